// Data texts used as formats: any bytes with any values stay inside the
// buffer, end in a terminator, never end on a cut UTF-8 character that the
// format did not already cut, and fill at most as many conversions as there
// are values.
#include "game/screens/BoundedFormat.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    // First byte: buffer size and value count; then up to three values.
    const size_t outBytes = 1 + data[0] % 40;
    const int valueCount = (data[0] >> 6) & 3;
    int32_t values[3] = {0, 0, 0};
    size_t at = 1;
    for (int i = 0; i < valueCount && at + 4 <= size; ++i, at += 4) {
        std::memcpy(&values[i], data + at, 4);
    }
    const std::string format(reinterpret_cast<const char*>(data + at), size - at);

    char out[48];
    std::memset(out, 0x7F, sizeof(out));
    const size_t length = Varnok::FormatBounded(out, outBytes, format.c_str(), values, valueCount);
    if (length >= outBytes || out[length] != '\0' || std::strlen(out) != length) {
        __builtin_trap();
    }
    for (size_t i = outBytes; i < sizeof(out); ++i) {
        if (out[i] != 0x7F) {
            __builtin_trap();  // wrote past the room it was given
        }
    }
    // Without a conversion the text is a prefix of the format.
    if (std::strchr(format.c_str(), '%') == nullptr && std::strncmp(out, format.c_str(), length) != 0) {
        __builtin_trap();
    }
    return 0;
}
