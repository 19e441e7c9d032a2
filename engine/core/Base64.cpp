// Base64 encoder and decoder.
#include "engine/core/Base64.h"

#include <cstdint>

namespace Varnok {
namespace Base64 {

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kPadding = -2;   // '='
constexpr int kSkipped = -1;   // anything else outside the alphabet

int CharValue(unsigned char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+') {
        return 62;
    }
    if (c == '/') {
        return 63;
    }
    return c == '=' ? kPadding : kSkipped;
}

}  // namespace

int EncodedLength(int n) {
    return (n + 2) / 3 * 4 + 1;
}

bool Encode(const void* data, int n, char* out, int capacity) {
    if (n < 0 || capacity - 1 < (n + 2) / 3 * 4) {
        return false;
    }
    const uint8_t* in = static_cast<const uint8_t*>(data);
    char* o = out;
    for (int i = 0; i < n; i += 3) {
        const int remaining = n - i;
        const uint32_t group = (uint32_t{in[i]} << 16) | (remaining > 1 ? uint32_t{in[i + 1]} << 8 : 0u) |
                               (remaining > 2 ? uint32_t{in[i + 2]} : 0u);
        o[0] = kAlphabet[(group >> 18) & 0x3F];
        o[1] = kAlphabet[(group >> 12) & 0x3F];
        o[2] = remaining > 1 ? kAlphabet[(group >> 6) & 0x3F] : '=';
        o[3] = remaining > 2 ? kAlphabet[group & 0x3F] : '=';
        o += 4;
    }
    *o = '\0';
    return true;
}

int Decode(const char* text, void* out, int capacity) {
    uint8_t* o = static_cast<uint8_t*>(out);
    int written = 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text != nullptr ? text : "");
    for (;;) {
        // Gather four characters; the end of the text counts as '=' from here
        // on, as if "====" were appended.
        int values[4];
        for (int& value : values) {
            value = kPadding;
            while (*p != '\0') {
                const int v = CharValue(*p++);
                if (v != kSkipped) {
                    value = v;
                    break;
                }
            }
        }
        int bytes = 3;
        for (int i = 0; i < 4; ++i) {
            if (values[i] == kPadding) {
                --bytes;
            } else if (bytes < 3) {
                bytes = 0;  // a data character after '=': a malformed group
                break;
            }
        }
        // Three or four '=' leave nothing to write either.
        if (bytes <= 0) {
            return written;
        }
        if (bytes > capacity - written) {
            return -1;
        }
        uint32_t group = 0;
        for (int value : values) {
            group = (group << 6) | (value >= 0 ? static_cast<uint32_t>(value) : 0u);
        }
        for (int i = 0; i < bytes; ++i) {
            o[written++] = static_cast<uint8_t>(group >> (16 - 8 * i));
        }
        if (bytes < 3) {
            return written;
        }
    }
}

}  // namespace Base64
}  // namespace Varnok
