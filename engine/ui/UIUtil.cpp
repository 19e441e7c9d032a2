#include "engine/ui/UIUtil.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace Varnok {

void FormatUIFloat(char* buffer, size_t size, float value, unsigned digits) {
    if (buffer == nullptr || size == 0) {
        return;
    }
    char format[16];
    std::snprintf(format, sizeof(format), "%%.%uf", digits);
    std::snprintf(buffer, size, format, static_cast<double>(value));
    TrimTrailingZeros(buffer, size);
}

void TrimTrailingZeros(char* buffer, size_t size) {
    if (buffer == nullptr || size == 0) {
        return;
    }
    buffer[size - 1] = '\0';
    if (std::strchr(buffer, '.') == nullptr) {
        return;
    }
    size_t length = std::strlen(buffer);
    while (length > 0 && buffer[length - 1] == '0') {
        buffer[--length] = '\0';
    }
    if (length > 0 && buffer[length - 1] == '.') {
        buffer[--length] = '\0';
    }
}

namespace UIUtil {

int CompareWithTolerance(float a, float b, float t) {
    const float difference = a - b;
    if (std::isnan(difference)) {
        return 0;
    }
    return difference >= t ? 1 : -1;
}

uint32_t MinUnset(uint32_t a, uint32_t b) {
    if (a == 0xFFFFFFFFu) {
        return b;
    }
    return a < b ? a : b;
}

uint32_t MaxUnset(uint32_t a, uint32_t b) {
    if (a == 0xFFFFFFFFu) {
        return b;
    }
    if (b != 0xFFFFFFFFu && b > a) {
        return b;
    }
    return a;
}

float FloorMod(float a, float b) { return a - b * std::floor(a / b); }

size_t Utf8CutPoint(const char* text, size_t length, size_t limit) {
    if (limit >= length) {
        return length;
    }
    const auto byteAt = [text](size_t i) { return static_cast<unsigned char>(text[i]); };
    const auto isContinuation = [&](size_t i) { return (byteAt(i) & 0xC0) == 0x80; };
    // Back from the first byte left out to the lead byte of its character;
    // a UTF-8 character has at most three continuation bytes.
    size_t start = limit;
    while (start > 0 && limit - start < 3 && isContinuation(start)) {
        --start;
    }
    if (start == limit) {
        return limit;  // the first byte left out begins a character
    }
    const unsigned char lead = byteAt(start);
    const size_t size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    // Stray continuation bytes belong to no character: any cut is whole.
    return start + size > limit ? start : limit;
}

}  // namespace UIUtil
}  // namespace Varnok
