// Byte-string helpers used under the engine string and the file layer.
#include "engine/core/CString.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace Varnok {

namespace {

inline int Sign(int v) {
    return (v > 0) - (v < 0);
}

inline int Signed(char c) {
    return static_cast<signed char>(c);
}

}  // namespace

int StrLength(const char* s) {
    return static_cast<int>(strlen(s));
}

char* StrCopy(char* dst, const char* src) {
    return strcpy(dst, src);
}

int StrCompare(const char* a, const char* b) {
    while (*b != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return Sign(Signed(*a) - Signed(*b));
}

int StrCompareNoCase(const char* a, const char* b) {
    while (*b != '\0' && FoldAsciiCase(*a) == FoldAsciiCase(*b)) {
        ++a;
        ++b;
    }
    return Sign(Signed(FoldAsciiCase(*a)) - Signed(FoldAsciiCase(*b)));
}

void StrToLower(char* s) {
    if (s == nullptr) {
        return;
    }
    for (; *s != '\0'; ++s) {
        *s = FoldAsciiCase(*s);
    }
}

int64_t StrToInt64(const char* s, const char** outEnd) {
    bool negative = false;
    if (*s == '+' || *s == '-') {
        negative = *s == '-';
        ++s;
    }
    uint64_t value = 0;  // unsigned so that overflow wraps without UB
    while (*s >= '0' && *s <= '9') {
        value = value * 10u + static_cast<uint64_t>(*s - '0');
        ++s;
    }
    if (outEnd != nullptr) {
        *outEnd = s;
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<int64_t>(value);
}

int64_t ParseInt64(const char* s) {
    while (*s == ' ' || *s == '\t') {
        ++s;
    }
    return StrToInt64(s, nullptr);
}

int FormatString(char* buffer, int size, const char* format, ...) {
    if (size <= 0) {
        return 0;
    }
    va_list args;
    va_start(args, format);
    const int n = vsnprintf(buffer, static_cast<size_t>(size), format, args);
    va_end(args);
    if (n < 0) {
        buffer[0] = '\0';
        return 0;
    }
    return n < size ? n : size - 1;
}

}  // namespace Varnok
