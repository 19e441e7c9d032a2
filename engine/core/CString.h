// Helpers on zero-terminated byte strings. Bytes compare as signed values.
#pragma once

#include <cstdint>

namespace Varnok {

// Requires: s not null.
int StrLength(const char* s);
// Copies src with its terminator; returns dst.
char* StrCopy(char* dst, const char* src);
// -1, 0 or 1: the sign of a's byte minus b's byte at the first difference or
// at b's terminator.
int StrCompare(const char* a, const char* b);
// As StrCompare with A-Z folded to a-z on both sides.
int StrCompareNoCase(const char* a, const char* b);
// In place; null does nothing.
void StrToLower(char* s);
// Optional sign, then decimal digits (wrapping on overflow) up to the first
// non-digit, whose position goes to *outEnd when outEnd is not null.
int64_t StrToInt64(const char* s, const char** outEnd);
// Skips spaces and tabs, then StrToInt64.
int64_t ParseInt64(const char* s);
// printf rules into buffer; output longer than size - 1 is cut (always
// terminated when size > 0). Returns the number of characters written.
int FormatString(char* buffer, int size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

inline char FoldAsciiCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

}  // namespace Varnok
