// Where text may break between lines: whitespace, zero-width spaces, between
// CJK characters and after hyphens, with the Japanese and Chinese line-start
// and line-end rules (kinsoku) from a fixed table.
#pragma once

#include <cstdint>

namespace Varnok {

namespace LineBreak {

// Options word bits. Default: kinsoku on, Hangul breaks like CJK.
constexpr uint32_t kKinsokuRules = 1;
constexpr uint32_t kHangulLikeLatin = 4;  // Korean breaks only at spaces
constexpr uint32_t kDefaultOptions = kKinsokuRules;
constexpr int kKinsokuTableSize = 146;

// Process-wide; main thread only.
uint32_t GetOptions();
void SetOptions(uint32_t options);

// Whether a line may begin at `next`, the character at `position` in the
// text that begins at `start` (the characters around it are read from the
// text). No at the start of the text.
bool CanBreakBefore(const char* position, uint32_t next, const char* start);
// The same rule on the four characters around the break; 0 for a character
// missing at an end of the text.
bool CanBreakBetween(uint32_t beforePrevious, uint32_t previous, uint32_t next,
                     uint32_t afterNext);

// Whether the character cannot start a line; false while the kinsoku rules
// are off.
bool LookupRule(uint32_t codePoint);
// Whether the character cannot end a line; false while the rules are off.
bool CannotEndLine(uint32_t codePoint);

// The kinsoku table, sorted by code point, for checks.
struct KinsokuRecord {
    uint32_t codePoint;
    uint8_t cannotStart;
    uint8_t cannotEnd;
};
const KinsokuRecord* GetKinsokuTable();

}  // namespace LineBreak

// Han, kana, Hangul, CJK punctuation and full-width forms; Hangul not while
// the Hangul-like-Latin option is set.
bool IsCJK(uint32_t codePoint);

}  // namespace Varnok
