#include "engine/render/BlockDecoders.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace Varnok {
namespace {

struct Bgra {
    int b, g, r, a;
    bool operator==(const Bgra& o) const { return b == o.b && g == o.g && r == o.r && a == o.a; }
};

std::ostream& operator<<(std::ostream& out, const Bgra& p) {
    return out << "(r " << p.r << ", g " << p.g << ", b " << p.b << ", a " << p.a << ")";
}

Bgra PixelAt(const std::vector<uint8_t>& image, int width, int x, int y) {
    const uint8_t* p = &image[(static_cast<size_t>(y) * width + x) * 4];
    return Bgra{p[0], p[1], p[2], p[3]};
}

// An S3TC colour block whose 16 pixels all use `code`.
std::vector<uint8_t> ColourBlock(uint16_t c0, uint16_t c1, int code) {
    uint32_t codes = 0;
    for (int k = 0; k < 16; ++k) {
        codes |= static_cast<uint32_t>(code) << (2 * k);
    }
    return {static_cast<uint8_t>(c0),          static_cast<uint8_t>(c0 >> 8),
            static_cast<uint8_t>(c1),          static_cast<uint8_t>(c1 >> 8),
            static_cast<uint8_t>(codes),       static_cast<uint8_t>(codes >> 8),
            static_cast<uint8_t>(codes >> 16), static_cast<uint8_t>(codes >> 24)};
}

Bgra DecodeOneDxt1(uint16_t c0, uint16_t c1, int code) {
    std::vector<uint8_t> out(4 * 4 * 4, 0xEE);
    const std::vector<uint8_t> block = ColourBlock(c0, c1, code);
    EXPECT_TRUE(DecodeS3tc(block.data(), 4, 4, block.size(), 1, out.data()));
    return PixelAt(out, 4, 2, 3);
}

TEST(BlockDecoders, Dxt1Colours) {
    const struct {
        const char* what;
        uint16_t c0, c1;
        int code;
        Bgra expected;
    } cases[] = {
        {"equal colours, code 0", 0xF800, 0xF800, 0, {0, 0, 248, 0}},
        {"equal colours, code 2", 0xF800, 0xF800, 2, {0, 0, 248, 0}},
        {"equal colours: four-colour mode, code 3 is not black", 0xF800, 0xF800, 3, {0, 0, 248, 0}},
        {"white expands by shifting alone", 0xFFFF, 0x0000, 0, {248, 252, 248, 0}},
        {"three-colour mode, code 1", 0x0000, 0xFFFF, 1, {248, 252, 248, 0}},
        {"three-colour mode, exact average", 0x0000, 0xFFFF, 2, {124, 126, 124, 0}},
        {"three-colour mode, code 3 is black", 0x0000, 0xFFFF, 3, {0, 0, 0, 0}},
        {"four-colour mode, two thirds of c0", 0xFFFF, 0x0000, 2, {165, 168, 165, 0}},
        {"four-colour mode, two thirds of c1", 0xFFFF, 0x0000, 3, {82, 84, 82, 0}},
        {"green and blue fields", 0x07E0, 0x001F, 0, {0, 252, 0, 0}},
        {"blue field", 0x07E0, 0x001F, 1, {248, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DecodeOneDxt1(c.c0, c.c1, c.code), c.expected);
    }
}

TEST(BlockDecoders, Dxt1CodesFollowPixelOrder) {
    // Pixel k takes bits 2k and 2k + 1: codes 0, 1, 2, 3 along each row.
    std::vector<uint8_t> block = ColourBlock(0x0000, 0xFFFF, 0);
    for (int byte = 4; byte < 8; ++byte) {
        block[byte] = 0xE4;  // 3, 2, 1, 0 from the high bits: pixel 0 gets 0
    }
    std::vector<uint8_t> out(64);
    ASSERT_TRUE(DecodeS3tc(block.data(), 4, 4, block.size(), 1, out.data()));
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(PixelAt(out, 4, 0, y), (Bgra{0, 0, 0, 0}));
        EXPECT_EQ(PixelAt(out, 4, 1, y), (Bgra{248, 252, 248, 0}));
        EXPECT_EQ(PixelAt(out, 4, 2, y), (Bgra{124, 126, 124, 0}));
        EXPECT_EQ(PixelAt(out, 4, 3, y), (Bgra{0, 0, 0, 0}));
    }
}

TEST(BlockDecoders, Dxt3ExplicitAlpha) {
    const struct {
        int nibble;
        int alpha;
    } cases[] = {{0, 0}, {1, 31}, {8, 143}, {15, 255}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nibble);
        std::vector<uint8_t> block(8, static_cast<uint8_t>(c.nibble | (c.nibble << 4)));
        const std::vector<uint8_t> colour = ColourBlock(0xF800, 0xF800, 0);
        block.insert(block.end(), colour.begin(), colour.end());
        std::vector<uint8_t> out(64);
        for (int variant : {2, 3}) {
            ASSERT_TRUE(DecodeS3tc(block.data(), 4, 4, block.size(), variant, out.data()));
            EXPECT_EQ(PixelAt(out, 4, 3, 3), (Bgra{0, 0, 248, c.alpha}));
        }
    }
    // Even pixels take the low half of their byte.
    std::vector<uint8_t> block(16, 0);
    block[0] = 0xF1;
    std::vector<uint8_t> out(64);
    ASSERT_TRUE(DecodeS3tc(block.data(), 4, 4, block.size(), 3, out.data()));
    EXPECT_EQ(out[3], 31);
    EXPECT_EQ(out[7], 255);
}

// A DXT5 block whose 16 pixels all use alpha code `code`.
std::vector<uint8_t> AlphaBlock(int a0, int a1, int code) {
    uint64_t codes = 0;
    for (int k = 0; k < 16; ++k) {
        codes |= static_cast<uint64_t>(code) << (3 * k);
    }
    std::vector<uint8_t> block = {static_cast<uint8_t>(a0), static_cast<uint8_t>(a1)};
    for (int i = 0; i < 6; ++i) {
        block.push_back(static_cast<uint8_t>(codes >> (8 * i)));
    }
    const std::vector<uint8_t> colour = ColourBlock(0x001F, 0x001F, 0);
    block.insert(block.end(), colour.begin(), colour.end());
    return block;
}

TEST(BlockDecoders, Dxt5InterpolatedAlpha) {
    const struct {
        int a0, a1, code, alpha;
    } cases[] = {
        // Equal ends: every code, 6 and 7 included, gives the same alpha.
        {100, 100, 0, 100},
        {100, 100, 3, 100},
        {100, 100, 6, 100},
        {100, 100, 7, 100},
        // a0 < a1: six steps of fifths, then 0 and 255.
        {10, 100, 0, 10},
        {10, 100, 1, 100},
        {10, 100, 2, 28},
        {10, 100, 3, 46},
        {10, 100, 4, 64},
        {10, 100, 5, 82},
        {10, 100, 6, 0},
        {10, 100, 7, 255},
        // a0 > a1: eight steps of sevenths.
        {200, 60, 2, 180},
        {200, 60, 4, 140},
        {200, 60, 7, 80},
        {255, 0, 2, 218},
        {255, 0, 7, 36},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a0 << ", " << c.a1 << " code " << c.code);
        const std::vector<uint8_t> block = AlphaBlock(c.a0, c.a1, c.code);
        std::vector<uint8_t> out(64);
        for (int variant : {4, 5}) {
            ASSERT_TRUE(DecodeS3tc(block.data(), 4, 4, block.size(), variant, out.data()));
            EXPECT_EQ(PixelAt(out, 4, 1, 2), (Bgra{248, 0, 0, c.alpha}));
        }
    }
    // Codes sit at bits 3k: pixel 1 takes bits 3 to 5.
    std::vector<uint8_t> block = AlphaBlock(10, 100, 0);
    block[2] = 0x3 << 3;  // pixel 0 code 0, pixel 1 code 3
    std::vector<uint8_t> out(64);
    ASSERT_TRUE(DecodeS3tc(block.data(), 4, 4, block.size(), 5, out.data()));
    EXPECT_EQ(out[3], 10);
    EXPECT_EQ(out[7], 46);
}

TEST(BlockDecoders, S3tcWritesOnlyInsideTheImage) {
    const struct {
        int width, height, blocks;
    } cases[] = {{2, 2, 1}, {6, 4, 2}, {5, 5, 4}, {1, 9, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        std::vector<uint8_t> blocks;
        for (int i = 0; i < c.blocks; ++i) {
            const std::vector<uint8_t> block = ColourBlock(0xFFFF, 0xFFFF, 0);
            blocks.insert(blocks.end(), block.begin(), block.end());
        }
        const size_t pixels = static_cast<size_t>(c.width) * c.height;
        std::vector<uint8_t> out(pixels * 4 + 64, 0xEE);
        ASSERT_TRUE(DecodeS3tc(blocks.data(), c.width, c.height, blocks.size(), 1, out.data()));
        for (size_t i = 0; i < pixels; ++i) {
            ASSERT_EQ(out[i * 4 + 2], 248) << "pixel " << i;
        }
        for (size_t i = pixels * 4; i < out.size(); ++i) {
            ASSERT_EQ(out[i], 0xEE) << "byte " << i << " past the image";
        }
    }
    std::vector<uint8_t> none(4, 0xEE);
    EXPECT_TRUE(DecodeS3tc(nullptr, 4, 0, 0, 1, none.data()));
    EXPECT_EQ(none[0], 0xEE);
}

TEST(BlockDecoders, S3tcRefusesShortDataAndUnknownVariants) {
    const std::vector<uint8_t> block = ColourBlock(0xFFFF, 0xFFFF, 0);
    std::vector<uint8_t> out(8 * 4 * 4, 0);
    // Two blocks wanted, one there: the first is decoded, nothing is read past it.
    EXPECT_FALSE(DecodeS3tc(block.data(), 8, 4, block.size(), 1, out.data()));
    EXPECT_EQ(PixelAt(out, 8, 3, 0), (Bgra{248, 252, 248, 0}));
    EXPECT_EQ(PixelAt(out, 8, 4, 0), (Bgra{0, 0, 0, 0}));
    EXPECT_FALSE(DecodeS3tc(block.data(), 4, 4, 7, 1, out.data()));
    EXPECT_FALSE(DecodeS3tc(block.data(), 4, 4, block.size(), 0, out.data()));
    EXPECT_FALSE(DecodeS3tc(block.data(), 4, 4, block.size(), 6, out.data()));
}

// An ETC1 block in individual mode (4-bit colours) or differential mode
// (5-bit colour plus a 3-bit difference).
struct Etc1Block {
    bool differential = false;
    bool flip = false;
    int colour1[3] = {};
    int colour2[3] = {};  // individual: the second colour; differential: the difference
    int table1 = 0;
    int table2 = 0;
    int index[4][4] = {};  // [y][x], 0 to 3

    std::vector<uint8_t> Bytes() const {
        uint32_t high = 0;
        for (int c = 0; c < 3; ++c) {
            const int shift = 24 - 8 * c;
            if (differential) {
                high |= static_cast<uint32_t>(colour1[c] & 31) << (shift + 3);
                high |= static_cast<uint32_t>(colour2[c] & 7) << shift;
            } else {
                high |= static_cast<uint32_t>(colour1[c] & 15) << (shift + 4);
                high |= static_cast<uint32_t>(colour2[c] & 15) << shift;
            }
        }
        high |= static_cast<uint32_t>(table1) << 5 | static_cast<uint32_t>(table2) << 2;
        high |= (differential ? 2u : 0u) | (flip ? 1u : 0u);
        uint32_t low = 0;
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                const int bit = x * 4 + y;
                low |= static_cast<uint32_t>(index[y][x] >> 1) << (16 + bit);
                low |= static_cast<uint32_t>(index[y][x] & 1) << bit;
            }
        }
        return {static_cast<uint8_t>(high >> 24), static_cast<uint8_t>(high >> 16),
                static_cast<uint8_t>(high >> 8),  static_cast<uint8_t>(high),
                static_cast<uint8_t>(low >> 24),  static_cast<uint8_t>(low >> 16),
                static_cast<uint8_t>(low >> 8),   static_cast<uint8_t>(low)};
    }
};

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

std::ostream& operator<<(std::ostream& out, const Rgb& p) {
    return out << "(" << p.r << ", " << p.g << ", " << p.b << ")";
}

Rgb RgbAt(const std::vector<uint8_t>& image, int width, int x, int y) {
    const uint8_t* p = &image[(static_cast<size_t>(y) * width + x) * 3];
    return Rgb{p[0], p[1], p[2]};
}

TEST(BlockDecoders, Etc1IndividualMode) {
    Etc1Block block;
    block.colour1[0] = 0xF, block.colour1[1] = 0x0, block.colour1[2] = 0x8;  // 255, 0, 136
    block.colour2[0] = 0x1, block.colour2[1] = 0x2, block.colour2[2] = 0x3;  // 17, 34, 51

    block.table1 = 0;       // modifiers 2 and 8
    block.table2 = 7;       // modifiers 47 and 183
    block.index[0][0] = 3;  // -8
    block.index[2][1] = 2;  // -2
    block.index[3][3] = 1;  // +183
    block.index[1][2] = 2;  // -47
    const std::vector<uint8_t> bytes = block.Bytes();
    std::vector<uint8_t> out(4 * 4 * 3);
    ASSERT_TRUE(DecodeEtc1(bytes.data(), 4, 4, bytes.size(), out.data()));
    const struct {
        int x, y;
        Rgb expected;
    } cases[] = {
        {1, 1, {255, 2, 138}},    // left sub-block, +2, clamped
        {0, 0, {247, 0, 128}},    // -8, clamped at 0
        {1, 2, {253, 0, 134}},    // -2
        {2, 0, {64, 81, 98}},     // right sub-block, +47
        {2, 1, {0, 0, 4}},        // -47
        {3, 3, {200, 217, 234}},  // +183
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        EXPECT_EQ(RgbAt(out, 4, c.x, c.y), c.expected);
    }
}

TEST(BlockDecoders, Etc1DifferentialModeAndFlip) {
    Etc1Block block;
    block.differential = true;
    block.flip = true;  // sub-blocks are the top and bottom two rows
    block.colour1[0] = 31, block.colour1[1] = 0, block.colour1[2] = 16;
    block.colour2[0] = -4, block.colour2[1] = 3, block.colour2[2] = 0;  // 27, 3, 16

    block.table1 = 1;       // 5 and 17
    block.table2 = 2;       // 9 and 29
    block.index[3][0] = 3;  // -29
    const std::vector<uint8_t> bytes = block.Bytes();
    std::vector<uint8_t> out(4 * 4 * 3);
    ASSERT_TRUE(DecodeEtc1(bytes.data(), 4, 4, bytes.size(), out.data()));
    // Expanded: 31 -> 255, 16 -> 132, 27 -> 222, 3 -> 24.
    EXPECT_EQ(RgbAt(out, 4, 3, 1), (Rgb{255, 5, 137}));
    EXPECT_EQ(RgbAt(out, 4, 3, 2), (Rgb{231, 33, 141}));
    EXPECT_EQ(RgbAt(out, 4, 0, 3), (Rgb{193, 0, 103}));
}

TEST(BlockDecoders, Etc1PartialBlocksAreDecodedAndClipped) {
    // 6 x 8 pixels: 2 x 2 blocks, each a flat colour of its own.
    std::vector<uint8_t> blocks;
    for (int i = 0; i < 4; ++i) {
        Etc1Block block;
        block.colour1[0] = block.colour2[0] = i;
        const std::vector<uint8_t> bytes = block.Bytes();
        blocks.insert(blocks.end(), bytes.begin(), bytes.end());
    }
    std::vector<uint8_t> out(6 * 8 * 3 + 16, 0xEE);
    ASSERT_TRUE(DecodeEtc1(blocks.data(), 6, 8, blocks.size(), out.data()));
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 6; ++x) {
            const int block = (y / 4) * 2 + x / 4;
            ASSERT_EQ(RgbAt(out, 6, x, y), (Rgb{block * 17 + 2, 2, 2}))
                << "pixel " << x << ", " << y;
        }
    }
    for (size_t i = 6 * 8 * 3; i < out.size(); ++i) {
        ASSERT_EQ(out[i], 0xEE);
    }
    // A block short: the rest is left alone.
    std::vector<uint8_t> partial(6 * 8 * 3, 0xEE);
    EXPECT_FALSE(DecodeEtc1(blocks.data(), 6, 8, blocks.size() - 1, partial.data()));
    EXPECT_EQ(partial[(7 * 6 + 5) * 3], 0xEE);
}

}  // namespace
}  // namespace Varnok
