// Ranks the pattern of fruit kinds one blade stroke cut: the better of two
// combos of the same size is the one with the greater id. Main thread only.
#pragma once

#include <cstdint>

namespace Varnok {

class FruitCatalogue;

constexpr int kComboMaxFruit = 11;

// -1 no pattern, 0..5 by size alone, 6..18 one kind only (by kind), 20..24
// mixed patterns. count is at most kComboMaxFruit (more are not looked at).
// The single-kind table is filled from the catalogue on the first call that
// needs it.
int32_t AnalyseComboFruit(const int32_t* kinds, int count);

// Forgets the single-kind table (a new catalogue was loaded).
void ResetComboKindTable();

}  // namespace Varnok
