// 8-bit colours: stored blue, green, red, alpha so that the packed 32-bit
// value reads 0xAARRGGBB; everything handed to GL goes red, green, blue, alpha.
#pragma once

#include <cstdint>

namespace Varnok {

// Per channel: out = second - (second - first) * t, truncated toward zero and
// kept within 0..255. t = 1 gives the first colour, t = 0 the second.
inline void LerpColourBytes(uint8_t out[4], const uint8_t first[4], const uint8_t second[4],
                            float t) {
    for (int i = 0; i < 4; ++i) {
        const float value = second[i] - (second[i] - first[i]) * t;
        // Only t outside 0..1 (or NaN) can leave the byte range.
        if (!(value >= 0.0f)) {
            out[i] = 0;
        } else if (value >= 255.0f) {
            out[i] = 255;
        } else {
            out[i] = static_cast<uint8_t>(value);
        }
    }
}

struct Colour {
    // Memory order matters: the packed value and code that copies colours as
    // 32-bit words rely on it.
    uint8_t b = 0;
    uint8_t g = 0;
    uint8_t r = 0;
    uint8_t a = 0;

    constexpr Colour() = default;
    constexpr Colour(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 255)
        : b(blue), g(green), r(red), a(alpha) {}

    static constexpr Colour FromPacked(uint32_t argb) {
        return Colour(static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8),
                      static_cast<uint8_t>(argb), static_cast<uint8_t>(argb >> 24));
    }

    // 0xAARRGGBB.
    constexpr uint32_t GetPacked() const {
        return static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(r) << 16 |
               static_cast<uint32_t>(g) << 8 | b;
    }
    void SetPacked(uint32_t argb) { *this = FromPacked(argb); }

    // The order GL takes: red, green, blue, alpha.
    void GetRGBA(uint8_t outRgba[4]) const {
        outRgba[0] = r;
        outRgba[1] = g;
        outRgba[2] = b;
        outRgba[3] = a;
    }
    // As GetRGBA, as floats 0..255 (the engine's vertex colours).
    void GetRGBAFloats(float outRgba[4]) const {
        outRgba[0] = r;
        outRgba[1] = g;
        outRgba[2] = b;
        outRgba[3] = a;
    }

    static void Lerp(Colour& out, const Colour& first, const Colour& second, float t) {
        uint8_t firstBytes[4] = {first.b, first.g, first.r, first.a};
        uint8_t secondBytes[4] = {second.b, second.g, second.r, second.a};
        uint8_t outBytes[4];
        LerpColourBytes(outBytes, firstBytes, secondBytes, t);
        out = Colour(outBytes[2], outBytes[1], outBytes[0], outBytes[3]);
    }

    constexpr bool operator==(const Colour& other) const {
        return GetPacked() == other.GetPacked();
    }
    constexpr bool operator!=(const Colour& other) const { return !(*this == other); }
};

static_assert(sizeof(Colour) == 4, "a colour is one 32-bit word");

// The engine's opaque colour constants.
inline constexpr Colour kColourBlack{0, 0, 0, 255};
inline constexpr Colour kColourWhite{255, 255, 255, 255};
inline constexpr Colour kColourRed{255, 0, 0, 255};
inline constexpr Colour kColourGreen{0, 255, 0, 255};
inline constexpr Colour kColourBlue{0, 0, 255, 255};
inline constexpr Colour kColourYellow{255, 255, 0, 255};
inline constexpr Colour kColourMagenta{255, 0, 255, 255};
inline constexpr Colour kColourCyan{0, 255, 255, 255};

}  // namespace Varnok
