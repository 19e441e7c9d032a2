// The two small containers: 16-byte header with a mip chain, 12-byte header
// with one level.
#include "engine/render/MipChainTextureImage.h"
#include "engine/render/PackedTextureImage.h"

#include "tests/engine/render/TextureTestBytes.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Varnok {
namespace {

using TextureTest::Bytes;

using namespace ChannelIds;

std::vector<uint8_t> MipChainFile(int formatClass, int subFormat, int log2Width, int log2Height,
                                  int levels, size_t dataBytes, uint16_t tag = 4) {
    Bytes b;
    b.U16(0).U16(tag).U32(static_cast<uint32_t>(formatClass << 8 | subFormat));
    b.U8(log2Width).U8(log2Height).U8(0).U8(levels).U16(100).U16(50);
    b.Fill(dataBytes, 0x5A);
    return b.data;
}

std::vector<uint8_t> PackedFile(int format, int log2Width, int log2Height, size_t dataBytes) {
    Bytes b;
    b.U8(log2Width).U8(log2Height).U8(format).U8(0).U16(30).U16(20).U32(0);
    b.Fill(dataBytes, 0x5A);
    return b.data;
}

TEST(MipChainTextureImage, SizesMustMatchTheChainExactly) {
    const struct {
        const char* what;
        int formatClass, subFormat, log2Width, log2Height, levels;
        size_t exact;  // data bytes the chain needs
    } cases[] = {
        {"32-bit, one level", 1, 2, 3, 2, 1, 128},
        {"32-bit, two levels", 1, 2, 3, 2, 2, 128 + 32},
        {"24-bit down to 1 x 1", 1, 1, 2, 0, 3, 12 + 6 + 3},
        {"16-bit, levels not below 1 x 1", 1, 5, 1, 1, 2, 8 + 2},
        {"unknown sub-format counts 2 bits", 1, 0, 2, 2, 1, 4},
        {"PVRTC 4 bits", 3, 0, 3, 3, 2, 32 + 8},
        {"PVRTC 2 bits, per-level division", 2, 0, 1, 1, 2, 1 + 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> exact =
            MipChainFile(c.formatClass, c.subFormat, c.log2Width, c.log2Height, c.levels, c.exact);
        const auto image = MipChainTextureImage::Create(exact.data(), exact.size());
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->description.width, 1 << c.log2Width);
        EXPECT_EQ(image->description.height, 1 << c.log2Height);
        EXPECT_EQ(image->description.mipCount, 1);
        EXPECT_EQ(image->description.apparentWidth, 100u);
        EXPECT_EQ(image->description.apparentHeight, 50u);
        size_t size = 0;
        EXPECT_EQ(image->GetData(0, 0, size), exact.data() + kMipChainHeaderBytes);
        EXPECT_EQ(size, c.exact);
        EXPECT_EQ(image->GetData(3, 5, size), exact.data() + kMipChainHeaderBytes);

        testing::internal::CaptureStderr();
        for (size_t wrong : {c.exact + 1, c.exact > 0 ? c.exact - 1 : c.exact + 2}) {
            const std::vector<uint8_t> bytes = MipChainFile(c.formatClass, c.subFormat, c.log2Width,
                                                            c.log2Height, c.levels, wrong);
            EXPECT_EQ(MipChainTextureImage::Create(bytes.data(), bytes.size()), nullptr) << wrong;
        }
        testing::internal::GetCapturedStderr();
    }
}

TEST(MipChainTextureImage, Descriptors) {
    const struct {
        int formatClass, subFormat;
        size_t bytes;  // one level of 8 x 8 pixels
        PixelDescriptor expected;
    } cases[] = {
        {1, 2, 256, kRgba8Descriptor},
        {1, 5, 128, {0, 0, kByteOrderLittle16, {{5, kR}, {6, kG}, {5, kB}, {}}}},
        {1, 9, 256, {0, 0, kByteOrderLittle32, {{8, 0}, {8, kR}, {8, kG}, {8, kB}}}},
        {1, 11, 128, {0, 0, kByteOrderLittle16, {{4, kA}, {4, kR}, {4, kG}, {4, kB}}}},
        {2, 0, 16, {PixelEncoding::Pvrtc, 2, 0, {}}},
        {3, 1, 32, {PixelEncoding::Pvrtc, 4, 0, {{8, kR}, {8, kG}, {8, kB}, {}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.formatClass << "/" << c.subFormat);
        const std::vector<uint8_t> bytes =
            MipChainFile(c.formatClass, c.subFormat, 3, 3, 1, c.bytes);
        const auto image = MipChainTextureImage::Create(bytes.data(), bytes.size());
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(PixelFormat::Compare(image->description.pixelFormat, c.expected), 0);
        EXPECT_EQ(image->description.pixelFormat.byteOrder, c.expected.byteOrder);
    }
}

TEST(MipChainTextureImage, RefusesOtherFiles) {
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message;  // null: nothing said
    } cases[] = {
        {"header only", MipChainFile(1, 2, 0, 0, 0, 0), nullptr},
        {"wrong tag", MipChainFile(1, 2, 0, 0, 1, 4, 5), nullptr},
        {"unknown class", MipChainFile(4, 2, 0, 0, 1, 4), "class"},
        {"more levels than the size allows", MipChainFile(1, 2, 2, 1, 4, 64 + 16 + 4 + 4),
         "levels"},
        {"a size past 16 bits", MipChainFile(1, 2, 16, 0, 1, 4), "larger"},
        {"a size far past 16 bits", MipChainFile(1, 2, 200, 0, 1, 4), "larger"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestSupport::LogCapture capture;
        EXPECT_EQ(MipChainTextureImage::Create(c.bytes.data(), c.bytes.size()), nullptr);
        EXPECT_TRUE(TestSupport::IsRefusalLog(capture.Take(), "MipChainTextureImage: ", c.message));
    }
}

TEST(PackedTextureImage, SizesAndDescriptors) {
    const struct {
        const char* what;
        int format, log2Width, log2Height;
        size_t exact;
        PixelDescriptor expected;
    } cases[] = {
        {"24-bit, 4 x 1", 0, 2, 0, 12, {0, 0, 0, {{8, kR}, {8, kG}, {8, kB}, {}}}},
        {"4-bit index, 1 x 1, rounded up",
         6,
         0,
         0,
         1,
         {PixelEncoding::Paletted, 4, 0, {{8, kA}, {8, kB}, {8, kG}, {8, kR}}}},
        {"4-bit index, rows rounded",
         10,
         0,
         2,
         4,
         {PixelEncoding::Paletted, 4, 0, {{4, kA}, {4, kB}, {4, kG}, {4, kR}}}},
        {"32-bit", 2, 1, 1, 16, kRgba8Descriptor},
        {"1555", 3, 1, 0, 4, {0, 0, kByteOrderLittle16, {{1, kA}, {5, kB}, {5, kG}, {5, kR}}}},
        {"8-bit index",
         7,
         2,
         2,
         16,
         {PixelEncoding::Paletted, 8, 0, {{1, kA}, {5, kB}, {5, kG}, {5, kR}}}},
        {"565", 17, 2, 1, 16, {0, 0, kByteOrderLittle16, {{5, kR}, {6, kG}, {5, kB}, {}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> bytes = PackedFile(c.format, c.log2Width, c.log2Height, c.exact);
        const auto image = PackedTextureImage::Create(bytes.data(), bytes.size());
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(PixelFormat::Compare(image->description.pixelFormat, c.expected), 0);
        EXPECT_EQ(image->description.pixelFormat.byteOrder, c.expected.byteOrder);
        EXPECT_EQ(image->description.width, 1 << c.log2Width);
        EXPECT_EQ(image->description.height, 1 << c.log2Height);
        EXPECT_EQ(image->description.apparentWidth, 30u);
        EXPECT_EQ(image->description.apparentHeight, 20u);
        size_t size = 0;
        EXPECT_EQ(image->GetData(0, 0, size), bytes.data() + kPackedHeaderBytes);
        EXPECT_EQ(size, c.exact);

        testing::internal::CaptureStderr();
        for (size_t wrong : {c.exact + 1, c.exact - 1}) {
            const std::vector<uint8_t> other =
                PackedFile(c.format, c.log2Width, c.log2Height, wrong);
            EXPECT_EQ(PackedTextureImage::Create(other.data(), other.size()), nullptr) << wrong;
        }
        testing::internal::GetCapturedStderr();
    }
}

TEST(PackedTextureImage, PvrtcIsNotSizeCheckedAndOtherFilesAreRefused) {
    for (int format = 11; format <= 14; ++format) {
        const std::vector<uint8_t> bytes = PackedFile(format, 5, 5, 3);
        const auto image = PackedTextureImage::Create(bytes.data(), bytes.size());
        ASSERT_NE(image, nullptr) << format;
        EXPECT_EQ(image->description.pixelFormat.encoding, PixelEncoding::Pvrtc);
    }
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"header only", PackedFile(0, 0, 0, 0)},
        {"unknown format", PackedFile(18, 0, 0, 3)},
        {"a size past 16 bits", PackedFile(11, 16, 0, 3)},
        {"a size far past 16 bits", PackedFile(0, 0, 255, 3)},
    };
    testing::internal::CaptureStderr();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PackedTextureImage::Create(c.bytes.data(), c.bytes.size()), nullptr);
    }
    testing::internal::GetCapturedStderr();
}

}  // namespace
}  // namespace Varnok
