// Formatting of texts that come from data (string tables, screen files) as
// printf-style formats. Such a text is never handed to printf: only integer
// conversions are filled, from the values given, and everything else is
// copied as written, so a format can neither read arguments that are not
// there nor write past its buffer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Varnok {

constexpr size_t kBoundedTextBytes = 32;  // 31 bytes of text and the terminator

// Fills out (outBytes of room, at least 1) with the format applied to the
// values: "%d", "%i", "%u", "%x", "%X" and "%o", with flags, a width and a
// precision of at most two digits and any length letters, each take the next
// value (read as a 32-bit int); "%%" is one percent sign; any other
// conversion, one past the values, and an unfinished one at the end are
// copied as written. A text longer than outBytes - 1 bytes is cut before the
// first UTF-8 character that would not fit whole. Returns the length written.
size_t FormatBounded(char* out, size_t outBytes, const char* format, const int32_t* values, int valueCount);

// The common case: one value into a kBoundedTextBytes buffer.
inline size_t FormatBounded(char (&out)[kBoundedTextBytes], const char* format, int32_t value) {
    return FormatBounded(out, sizeof(out), format, &value, 1);
}

}  // namespace Varnok
