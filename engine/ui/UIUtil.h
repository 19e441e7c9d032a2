// Small value helpers of the UI classes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Varnok {

// The value with `digits` places after the point, trailing zeros and a bare
// point removed (0.25 with 5 digits gives "0.25", 3 gives "3").
void FormatUIFloat(char* buffer, size_t size, float value, unsigned digits);
// Only text with a point is touched: 1.500 gives 1.5, 2.000 gives 2.
void TrimTrailingZeros(char* buffer, size_t size);

namespace UIUtil {

// 1 when a - b is at least t, -1 when less, 0 only when the difference is
// not a number.
int CompareWithTolerance(float a, float b, float t);
// 0xFFFFFFFF is "unset": the other value wins.
uint32_t MinUnset(uint32_t a, uint32_t b);
uint32_t MaxUnset(uint32_t a, uint32_t b);
// a - b * floor(a / b): the result takes the sign of b.
float FloorMod(float a, float b);
// How many of text's first length bytes to keep for at most limit bytes
// without cutting a UTF-8 character: limit itself, or less when byte limit
// falls inside a character. Malformed bytes count as characters of one byte.
size_t Utf8CutPoint(const char* text, size_t length, size_t limit);

}  // namespace UIUtil
}  // namespace Varnok
