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

}  // namespace UIUtil
}  // namespace Varnok
