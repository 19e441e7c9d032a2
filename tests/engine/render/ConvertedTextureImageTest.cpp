#include "engine/render/ConvertedTextureImage.h"

#include "engine/render/TextureImage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace Varnok {
namespace {

using namespace ChannelIds;

constexpr PixelDescriptor kGlLuminance{0, 0, 0, {{8, kL}, {}, {}, {}}};

// A w x h image with `layers` layers over the given bytes (all layers share them).
struct Fixture {
    Fixture(const PixelDescriptor& format, int width, int height, std::vector<uint8_t> pixels,
            int layers = 1)
        : bytes(std::move(pixels)) {
        image.description.pixelFormat = format;
        image.description.width = static_cast<uint16_t>(width);
        image.description.height = static_cast<uint16_t>(height);
        image.description.imageCount = static_cast<uint16_t>(layers);
        image.SetBlock(bytes.data(), bytes.size());
    }
    std::vector<uint8_t> bytes;
    MemoryTextureImage image;
};

std::vector<uint8_t> Level0(const TextureImage& image, int layer = 0) {
    size_t count = 0;
    const uint8_t* data = image.GetData(layer, 0, count);
    return data != nullptr ? std::vector<uint8_t>(data, data + count) : std::vector<uint8_t>();
}

TEST(ConvertTextureImage, ChannelConversions) {
    const struct {
        const char* what;
        PixelDescriptor from;
        std::vector<uint8_t> pixels;
        PixelDescriptor to;
        std::vector<uint8_t> expected;
    } cases[] = {
        {"luminance fills red, green and blue; alpha is full",
         kGlLuminance,
         {77},
         kRgba8Descriptor,
         {77, 77, 77, 255}},
        {"luminance into luminance-alpha",
         kGlLuminance,
         {77},
         kLuminanceAlpha8Descriptor,
         {77, 255}},
        {"red is a third of luminance", kRgb8Descriptor, {255, 0, 0}, kGlLuminance, {85}},
        {"grey stays grey", kRgb8Descriptor, {90, 90, 90}, kGlLuminance, {90}},
        {"5-bit 31 and 6-bit 63 widen to 255",
         kRgb565Descriptor,
         {0xFF, 0xFF},
         kRgb8Descriptor,
         {255, 255, 255}},
        // 16 << 3 with the three new bits set: 135.
        {"5-bit 16 widens to 135", kRgb565Descriptor, {0x00, 0x80}, kRgb8Descriptor, {135, 0, 0}},
        {"0 stays 0", kRgb565Descriptor, {0x00, 0x00}, kRgb8Descriptor, {0, 0, 0}},
        // 200 >> 3 = 25 in red, 100 >> 2 = 25 in green, 8 >> 3 = 1 in blue:
        // the word 0xCB21, stored low byte first.
        {"8-bit 200 narrows to 25",
         kRgb8Descriptor,
         {200, 100, 8},
         kRgb565Descriptor,
         {0x21, 0xCB}},
        {"byte orders on both sides", kRgba8Descriptor, {1, 2, 3, 4}, kRgb8Descriptor, {1, 2, 3}},
        {"alpha only", kRgba8Descriptor, {1, 2, 3, 200}, kAlpha8Descriptor, {200}},
        {"alpha into 4 bits, colour absent in the source written as 0",
         kAlpha8Descriptor,
         {0xFF},
         kRgba4444Descriptor,
         {0x0F, 0x00}},
        {"padding of the source is dropped",
         {0, 0, kByteOrderLittle32, {{8, kX}, {8, kR}, {8, kG}, {8, kB}}},
         {30, 20, 10, 99},
         kRgba8Descriptor,
         {10, 20, 30, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture source(c.from, 1, 1, c.pixels);
        const auto converted = ConvertTextureImage(source.image, c.to);
        ASSERT_NE(converted, nullptr);
        EXPECT_EQ(PixelFormat::Compare(converted->description.pixelFormat, c.to), 0);
        EXPECT_EQ(Level0(*converted), c.expected);
    }
}

TEST(ConvertTextureImage, KeepsTheDescriptionAndEveryLayer) {
    // Two 2 x 1 layers; the fixture shares its bytes, so both convert alike.
    Fixture source(kRgb8Descriptor, 2, 1, {10, 20, 30, 40, 50, 60}, 2);
    source.image.description.mipCount = 3;
    source.image.description.kind = TextureKind::Volume;
    source.image.description.apparentWidth = 7;
    source.image.pairList.push_back(TexturePair{1, 2});
    source.image.shortList.push_back(9);
    source.image.extraWord = 5;
    const auto converted = ConvertTextureImage(source.image, kRgba8Descriptor);
    ASSERT_NE(converted, nullptr);
    const TextureDescription& d = converted->description;
    EXPECT_EQ(d.mipCount, 1);
    EXPECT_EQ(d.imageCount, 2);
    EXPECT_EQ(d.kind, TextureKind::Volume);
    EXPECT_EQ(d.apparentWidth, 7u);
    EXPECT_EQ(converted->pairList.size(), 1u);
    EXPECT_EQ(converted->shortList.size(), 1u);
    EXPECT_EQ(converted->extraWord, 5u);
    const std::vector<uint8_t> expected = {10, 20, 30, 255, 40, 50, 60, 255};
    EXPECT_EQ(Level0(*converted, 0), expected);
    EXPECT_EQ(Level0(*converted, 1), expected);
    size_t count = 1;
    EXPECT_EQ(converted->GetData(2, 0, count), nullptr);
    EXPECT_EQ(converted->GetData(0, 1, count), nullptr);
    EXPECT_EQ(count, 0u);
}

TEST(ConvertTextureImage, DecompressesS3tcAndEtc1) {
    // One DXT1 block: c0 = red, every pixel code 0.
    const PixelDescriptor dxt1{PixelEncoding::S3tc, 1, 0, {{8, kB}, {8, kG}, {8, kR}, {8, kX}}};
    Fixture dxt(dxt1, 4, 4, {0x00, 0xF8, 0x00, 0x00, 0, 0, 0, 0});
    const auto fromDxt = ConvertTextureImage(dxt.image, kRgb8Descriptor);
    ASSERT_NE(fromDxt, nullptr);
    const std::vector<uint8_t> rgb = Level0(*fromDxt);
    ASSERT_EQ(rgb.size(), 48u);
    EXPECT_EQ((std::vector<uint8_t>(rgb.end() - 3, rgb.end())), (std::vector<uint8_t>{248, 0, 0}));

    // One ETC1 block, individual mode, colour (0xF, 0x8, 0x0) with +2 everywhere.
    Fixture etc(kEtc1RgbDescriptor, 4, 4, {0xF0, 0x88, 0x00, 0x00, 0, 0, 0, 0});
    const auto fromEtc = ConvertTextureImage(etc.image, kRgba8Descriptor);
    ASSERT_NE(fromEtc, nullptr);
    const std::vector<uint8_t> rgba = Level0(*fromEtc);
    ASSERT_EQ(rgba.size(), 64u);
    EXPECT_EQ((std::vector<uint8_t>(rgba.begin(), rgba.begin() + 4)),
              (std::vector<uint8_t>{255, 138, 2, 255}));
}

TEST(ConvertTextureImage, RefusesWhatItCannotConvert) {
    const PixelDescriptor dxt5{PixelEncoding::S3tc, 5, 0, {{8, kB}, {8, kG}, {8, kR}, {8, kA}}};
    const PixelDescriptor dxt5Wide{
        PixelEncoding::S3tc, 5, 0, {{16, kB}, {16, kG}, {16, kR}, {16, kA}}};
    const PixelDescriptor pvrtc{PixelEncoding::Pvrtc, 4, 0, {{8, kR}, {8, kG}, {8, kB}, {8, kA}}};
    const PixelDescriptor twelveBits{0, 0, 0, {{4, kR}, {4, kG}, {4, kB}, {}}};
    const PixelDescriptor wideChannel{0, 0, 0, {{72, kR}, {}, {}, {}}};
    const struct {
        const char* what;
        PixelDescriptor from;
        int width, height;
        size_t bytes;
        PixelDescriptor to;
    } cases[] = {
        {"equal descriptors: used as it is", kRgba8Descriptor, 1, 1, 4, kRgba8Descriptor},
        {"compressed target", kRgba8Descriptor, 4, 4, 64, dxt5},
        {"no software path for PVRTC", pvrtc, 8, 8, 32, kRgba8Descriptor},
        {"pixels that are not whole bytes", twelveBits, 2, 1, 3, kRgba8Descriptor},
        {"a target that is not whole bytes", kRgba8Descriptor, 2, 1, 8, twelveBits},
        {"a channel wider than 64 bits", wideChannel, 1, 1, 9, kRgba8Descriptor},
        {"S3TC that does not decode to 4 bytes a pixel", dxt5Wide, 4, 4, 16, kRgba8Descriptor},
        {"uncompressed data short by a byte", kRgb8Descriptor, 2, 2, 11, kRgba8Descriptor},
        {"S3TC data short by a block", dxt5, 8, 4, 16, kRgba8Descriptor},
        {"ETC1 data short", kEtc1RgbDescriptor, 4, 4, 7, kRgba8Descriptor},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture source(c.from, c.width, c.height, std::vector<uint8_t>(c.bytes, 0x5A));
        EXPECT_EQ(ConvertTextureImage(source.image, c.to), nullptr);
    }
    Fixture noLayers(kRgb8Descriptor, 1, 1, {1, 2, 3}, 0);
    EXPECT_EQ(ConvertTextureImage(noLayers.image, kRgba8Descriptor), nullptr);
}

}  // namespace
}  // namespace Varnok
