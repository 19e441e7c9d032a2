#include "engine/core/Colour.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Varnok {
namespace {

TEST(Colour, PacksAsArgbAndStoresBgra) {
    const Colour c(0x11, 0x22, 0x33, 0x44);  // red, green, blue, alpha
    EXPECT_EQ(c.GetPacked(), 0x44112233u);

    uint8_t bytes[4];
    std::memcpy(bytes, &c, 4);
    EXPECT_EQ(bytes[0], 0x33);  // blue first
    EXPECT_EQ(bytes[1], 0x22);
    EXPECT_EQ(bytes[2], 0x11);
    EXPECT_EQ(bytes[3], 0x44);

    uint32_t word;
    std::memcpy(&word, &c, 4);
    EXPECT_EQ(word, 0x44112233u);  // little-endian memory reads 0xAARRGGBB

    Colour d;
    d.SetPacked(0x80FF0102u);
    EXPECT_EQ(d.a, 0x80);
    EXPECT_EQ(d.r, 0xFF);
    EXPECT_EQ(d.g, 0x01);
    EXPECT_EQ(d.b, 0x02);
    EXPECT_EQ(d.GetPacked(), 0x80FF0102u);
}

TEST(Colour, HandsGlRedGreenBlueAlpha) {
    const Colour c(10, 20, 30, 40);
    uint8_t rgba[4];
    c.GetRGBA(rgba);
    EXPECT_EQ(rgba[0], 10);
    EXPECT_EQ(rgba[1], 20);
    EXPECT_EQ(rgba[2], 30);
    EXPECT_EQ(rgba[3], 40);
    float floats[4];
    c.GetRGBAFloats(floats);
    EXPECT_EQ(floats[0], 10.0f);
    EXPECT_EQ(floats[3], 40.0f);
}

TEST(Colour, NamedConstants) {
    EXPECT_EQ(kColourBlack.GetPacked(), 0xFF000000u);
    EXPECT_EQ(kColourWhite.GetPacked(), 0xFFFFFFFFu);
    EXPECT_EQ(kColourRed.GetPacked(), 0xFFFF0000u);
    EXPECT_EQ(kColourGreen.GetPacked(), 0xFF00FF00u);
    EXPECT_EQ(kColourBlue.GetPacked(), 0xFF0000FFu);
    EXPECT_EQ(kColourYellow.GetPacked(), 0xFFFFFF00u);
    EXPECT_EQ(kColourMagenta.GetPacked(), 0xFFFF00FFu);
    EXPECT_EQ(kColourCyan.GetPacked(), 0xFF00FFFFu);
}

TEST(Colour, LerpRunsFromSecondToFirst) {
    const Colour first(200, 0, 100, 255);
    const Colour second(0, 200, 101, 0);
    const struct {
        float t;
        Colour expected;
    } cases[] = {
        {1.0f, first},
        {0.0f, second},
        // Truncated toward zero: 200 - 200 * 0.5 = 100; 101 - 1 * 0.5 = 100.5 -> 100.
        {0.5f, Colour(100, 100, 100, 127)},
        // Outside 0..1 the channels stay within a byte.
        {2.0f, Colour(255, 0, 99, 255)},
        {-1.0f, Colour(0, 255, 102, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.t);
        Colour out;
        Colour::Lerp(out, first, second, c.t);
        EXPECT_EQ(out.GetPacked(), c.expected.GetPacked());
    }
}

}  // namespace
}  // namespace Varnok
