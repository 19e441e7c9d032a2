#include "engine/render/DdsTextureImage.h"

#include "engine/render/ConvertedTextureImage.h"
#include "tests/engine/render/TextureTestBytes.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace Varnok {
namespace {

using TextureTest::Bytes;

using namespace ChannelIds;

constexpr uint32_t kFlagPitch = 0x8;
constexpr uint32_t kFlagLinearSize = 0x80000;

constexpr uint32_t FourCc(const char* name) {
    return static_cast<uint32_t>(name[0]) | static_cast<uint32_t>(name[1]) << 8 |
           static_cast<uint32_t>(name[2]) << 16 | static_cast<uint32_t>(name[3]) << 24;
}

// A DDS header with the fields the reader looks at; data follows it.
struct DdsFile {
    uint32_t flags = 0;
    uint32_t width = 4, height = 4;
    uint32_t pitchOrLinearSize = 0;
    uint32_t depth = 0;
    uint32_t mipCount = 0;
    uint32_t fourCc = FourCc("DXT1");  // 0: masks
    uint32_t rgbBits = 0;
    uint32_t masks[4] = {};  // red, green, blue, alpha
    uint32_t caps2 = 0;
    std::vector<uint8_t> data = std::vector<uint8_t>(8, 0);

    std::vector<uint8_t> Build() const {
        Bytes b;
        b.U32(kDdsMagic).U32(124).U32(flags).U32(height).U32(width).U32(pitchOrLinearSize);
        b.U32(depth).U32(mipCount);
        b.Fill(44, 0);  // reserved, up to the pixel format at 76
        b.U32(32).U32(fourCc != 0 ? 0x4 : 0x40).U32(fourCc).U32(rgbBits);
        for (uint32_t mask : masks) {
            b.U32(mask);
        }
        b.U32(0x1000).U32(caps2).Fill(12, 0);
        b.data.insert(b.data.end(), data.begin(), data.end());
        return b.data;
    }
};

std::unique_ptr<DdsTextureImage> Read(const std::vector<uint8_t>& bytes) {
    return DdsTextureImage::Create(bytes.data(), bytes.size());
}

TEST(DdsTextureImage, HeaderLayout) {
    const std::vector<uint8_t> bytes = DdsFile().Build();
    ASSERT_EQ(bytes.size(), kDdsHeaderBytes + 8);
    EXPECT_EQ(bytes[84], 'D');
    EXPECT_EQ(bytes[87], '1');
}

TEST(DdsTextureImage, FourCcDescriptors) {
    const struct {
        const char* fourCc;
        int variant;
        uint8_t lastChannel;
        size_t blockBytes;
    } cases[] = {
        {"DXT1", 1, kX, 8},  {"DXT2", 3, kA, 16}, {"DXT3", 3, kA, 16},
        {"DXT4", 5, kA, 16}, {"DXT5", 5, kA, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fourCc);
        DdsFile file;
        file.fourCc = FourCc(c.fourCc);
        file.data.assign(c.blockBytes, 0);
        const auto image = Read(file.Build());
        ASSERT_NE(image, nullptr);
        const PixelDescriptor expected{PixelEncoding::S3tc,
                                       static_cast<uint8_t>(c.variant),
                                       0,
                                       {{8, kB}, {8, kG}, {8, kR}, {8, c.lastChannel}}};
        EXPECT_EQ(PixelFormat::Compare(image->description.pixelFormat, expected), 0);
        EXPECT_EQ(image->GetLevelSize(0), c.blockBytes);
    }
}

TEST(DdsTextureImage, MaskDescriptors) {
    const struct {
        const char* what;
        uint32_t rgbBits;
        uint32_t masks[4];
        PixelDescriptor expected;
    } cases[] = {
        {"32-bit BGRX",
         32,
         {0xFF0000, 0xFF00, 0xFF, 0},
         {0, 0, kByteOrderLittle32, {{8, kX}, {8, kR}, {8, kG}, {8, kB}}}},
        {"32-bit BGRA",
         32,
         {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
         {0, 0, kByteOrderLittle32, {{8, kA}, {8, kR}, {8, kG}, {8, kB}}}},
        {"32-bit RGBA in bytes", 32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, kRgba8Descriptor},
        {"24-bit BGR",
         24,
         {0xFF0000, 0xFF00, 0xFF, 0},
         {0, 0, kByteOrderLittle24, {{8, kR}, {8, kG}, {8, kB}, {0, kA}}}},
        {"16-bit 565",
         16,
         {0xF800, 0x07E0, 0x001F, 0},
         {0, 0, kByteOrderLittle16, {{5, kR}, {6, kG}, {5, kB}, {0, kA}}}},
        {"16-bit 1555",
         16,
         {0x7C00, 0x03E0, 0x001F, 0x8000},
         {0, 0, kByteOrderLittle16, {{1, kA}, {5, kR}, {5, kG}, {5, kB}}}},
        {"8-bit alpha", 8, {0, 0, 0, 0xFF}, {0, 0, 0, {{8, kA}, {0, kR}, {0, kG}, {0, kB}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DdsFile file;
        file.fourCc = 0;
        file.rgbBits = c.rgbBits;
        std::copy(std::begin(c.masks), std::end(c.masks), file.masks);
        file.data.assign(16 * c.rgbBits / 8, 0);
        const auto image = Read(file.Build());
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(PixelFormat::Compare(image->description.pixelFormat, c.expected), 0);
        EXPECT_EQ(image->description.pixelFormat.byteOrder, c.expected.byteOrder);
    }
}

TEST(DdsTextureImage, LevelSizes) {
    auto dxt1 = [](uint32_t w, uint32_t h, uint32_t flags, uint32_t pitch, uint32_t mips) {
        DdsFile f;
        f.width = w, f.height = h, f.flags = flags, f.pitchOrLinearSize = pitch, f.mipCount = mips;
        return f;
    };
    auto rgba = [](uint32_t w, uint32_t h, uint32_t flags, uint32_t pitch, uint32_t mips) {
        DdsFile f;
        f.width = w, f.height = h, f.flags = flags, f.pitchOrLinearSize = pitch, f.mipCount = mips;
        f.fourCc = 0;
        f.rgbBits = 32;
        f.masks[0] = 0xFF0000, f.masks[1] = 0xFF00, f.masks[2] = 0xFF, f.masks[3] = 0xFF000000;
        return f;
    };
    auto rgb = [](uint32_t w, uint32_t h, uint32_t mips) {
        DdsFile f;
        f.width = w, f.height = h, f.mipCount = mips;
        f.fourCc = 0;
        f.rgbBits = 24;
        f.masks[0] = 0xFF0000, f.masks[1] = 0xFF00, f.masks[2] = 0xFF;
        return f;
    };
    const struct {
        const char* what;
        DdsFile file;
        std::vector<size_t> sizes;
    } cases[] = {
        {"64 x 64 DXT1, linear size",
         dxt1(64, 64, kFlagLinearSize, 2048, 7),
         {2048, 512, 128, 32, 8, 8, 8}},
        {"linear size counts for level 0 only", dxt1(8, 8, kFlagLinearSize, 40, 2), {40, 8}},
        {"pitch, rows counted from 1", rgba(8, 2, kFlagPitch, 32, 4), {64, 16, 8, 4}},
        {"uncompressed without pitch", rgb(3, 3, 2), {27, 3}},
        {"a mip count of 1 or 0 is one level", dxt1(4, 4, 0, 0, 0), {8}},
        {"more than 16 levels keep 16", dxt1(4, 4, 0, 0, 20), std::vector<size_t>(16, 8)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DdsFile file = c.file;
        size_t total = 0;
        for (size_t s : c.sizes) {
            total += s;
        }
        file.data.assign(total, 0x33);
        testing::internal::CaptureStderr();
        const auto image = Read(file.Build());
        testing::internal::GetCapturedStderr();
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->description.mipCount, c.sizes.size());
        for (size_t level = 0; level < c.sizes.size(); ++level) {
            EXPECT_EQ(image->GetLevelSize(static_cast<int>(level)), c.sizes[level]) << level;
        }
        size_t size = 1;
        EXPECT_EQ(image->GetData(0, static_cast<int>(c.sizes.size()), size), nullptr);
    }
}

TEST(DdsTextureImage, KindLayersAndApparentSize) {
    DdsFile file;
    file.caps2 = 0x200000;
    file.depth = 3;
    file.width = 8;
    file.height = 4;
    file.data.clear();
    for (uint8_t layer = 0; layer < 3; ++layer) {
        file.data.insert(file.data.end(), 16, layer);  // two blocks a layer
    }
    const auto image = Read(file.Build());
    ASSERT_NE(image, nullptr);
    const TextureDescription& d = image->description;
    EXPECT_EQ(d.kind, TextureKind::Volume);
    EXPECT_EQ(d.imageCount, 3);
    EXPECT_EQ(d.apparentWidth, 8u);
    EXPECT_EQ(d.apparentHeight, 4u);
    for (int layer = 0; layer < 3; ++layer) {
        size_t size = 0;
        const uint8_t* data = image->GetData(layer, 0, size);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(size, 16u);
        EXPECT_EQ(data[15], layer);
    }

    DdsFile cube;
    cube.caps2 = 0x200 | 0x200000;  // the cube bit wins
    cube.depth = 1;
    const auto cubeImage = Read(cube.Build());
    ASSERT_NE(cubeImage, nullptr);
    EXPECT_EQ(cubeImage->description.kind, TextureKind::Cube);
    EXPECT_EQ(cubeImage->description.imageCount, 1);
}

TEST(DdsTextureImage, DataCutShortKeepsWhatIsComplete) {
    auto cut = [](size_t dataBytes) {
        DdsFile f;
        f.width = f.height = 8;  // DXT1 levels of 32, 8, 8 bytes
        f.mipCount = 3;
        f.depth = 2;
        f.data.assign(dataBytes, 0x44);
        return f.Build();
    };
    const struct {
        const char* what;
        size_t dataBytes;
        int imageCount, mipCount;
    } cases[] = {
        {"everything", 96, 2, 3},
        {"level 1 of the second layer missing", 72, 1, 2},
        {"level 1 missing", 64, 1, 1},
        {"a byte short of level 1", 71, 1, 1},
        {"level 0 of the second layer missing", 32, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto image = Read(cut(c.dataBytes));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->description.imageCount, c.imageCount);
        EXPECT_EQ(image->description.mipCount, c.mipCount);
        for (int layer = 0; layer < c.imageCount; ++layer) {
            for (int level = 0; level < c.mipCount; ++level) {
                size_t size = 0;
                EXPECT_NE(image->GetData(layer, level, size), nullptr);
            }
        }
    }
}

TEST(DdsTextureImage, RefusesDamagedFilesWithOneLine) {
    auto with = [](auto change) {
        DdsFile file;
        change(file);
        return file.Build();
    };
    const std::vector<uint8_t> good = DdsFile().Build();
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message;  // null: not a DDS file at all, nothing said
    } cases[] = {
        {"empty", {}, nullptr},
        {"another magic", std::vector<uint8_t>(200, 'D'), nullptr},
        {"header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 127),
         "header cut short"},
        {"no pixel data", std::vector<uint8_t>(good.begin(), good.begin() + 128), "cut short"},
        {"half a block", std::vector<uint8_t>(good.begin(), good.begin() + 132), "cut short"},
        {"unknown FourCC", with([](DdsFile& f) { f.fourCc = FourCc("ATI2"); }), "\"ATI2\""},
        {"neither FourCC nor masks", with([](DdsFile& f) { f.fourCc = 0; }), "no format"},
        {"wider than 16 bits", with([](DdsFile& f) { f.width = 65536; }), "larger"},
        {"linear size smaller than the pixels", with([](DdsFile& f) {
             f.flags = kFlagLinearSize;
             f.pitchOrLinearSize = 4;
         }),
         "pixels need"},
        {"pitch smaller than a row", with([](DdsFile& f) {
             f.fourCc = 0;
             f.rgbBits = 32;
             f.masks[0] = 0xFF0000, f.masks[1] = 0xFF00, f.masks[2] = 0xFF, f.masks[3] = 0xFF000000;
             f.flags = kFlagPitch;
             f.pitchOrLinearSize = 12;
             f.data.assign(64, 0);
         }),
         "pixels need"},
        {"masks claiming more bits than the pixel has", with([](DdsFile& f) {
             f.fourCc = 0;
             f.rgbBits = 8;
             f.masks[0] = f.masks[1] = f.masks[2] = f.masks[3] = 0xFFFFFFFF;
             f.data.assign(16, 0);
         }),
         "pixels need"},
        {"an enormous level", with([](DdsFile& f) {
             f.width = f.height = 65535;
             f.depth = 65535;
         }),
         "cut short"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestSupport::LogCapture capture;
        EXPECT_EQ(Read(c.bytes), nullptr);
        EXPECT_TRUE(TestSupport::IsRefusalLog(capture.Take(), "DdsTextureImage: ", c.message));
    }
}

// An 8 x 4 DXT5 file decoded in software and converted to GL's RGBA bytes.
TEST(DdsTextureImage, Dxt5DecodesToRgba) {
    DdsFile file;
    file.fourCc = FourCc("DXT5");
    file.width = 8;
    file.height = 4;
    Bytes blocks;
    // Block 0: alpha 255 and 0 with codes 0 on the top row, 1 below; colour
    // red and blue with code 0 in even columns, 1 in odd ones.
    blocks.U8(255).U8(0).Raw({0x00, 0x90, 0x24, 0x49, 0x92, 0x24});
    blocks.U16(0xF800).U16(0x001F).U32(0x44444444);
    // Block 1: alpha 10 to 100, every code 3; colour white to black, code 2.
    blocks.U8(10).U8(100).Raw({0xDB, 0xB6, 0x6D, 0xDB, 0xB6, 0x6D});
    blocks.U16(0xFFFF).U16(0x0000).U32(0xAAAAAAAA);
    file.data = blocks.data;
    const auto image = Read(file.Build());
    ASSERT_NE(image, nullptr);

    const auto rgba = ConvertTextureImage(*image, kRgba8Descriptor);
    ASSERT_NE(rgba, nullptr);
    size_t size = 0;
    const uint8_t* pixels = rgba->GetData(0, 0, size);
    ASSERT_EQ(size, 8u * 4 * 4);
    auto at = [&](int x, int y) {
        const uint8_t* p = pixels + (y * 8 + x) * 4;
        return std::vector<int>{p[0], p[1], p[2], p[3]};
    };
    EXPECT_EQ(at(0, 0), (std::vector<int>{248, 0, 0, 255}));
    EXPECT_EQ(at(1, 0), (std::vector<int>{0, 0, 248, 255}));
    EXPECT_EQ(at(2, 1), (std::vector<int>{248, 0, 0, 0}));
    EXPECT_EQ(at(3, 3), (std::vector<int>{0, 0, 248, 0}));
    // (2 x 248 + 0) / 3 = 165, (2 x 252) / 3 = 168; alpha (3 x 10 + 2 x 100) / 5 = 46.
    EXPECT_EQ(at(4, 0), (std::vector<int>{165, 168, 165, 46}));
    EXPECT_EQ(at(7, 3), (std::vector<int>{165, 168, 165, 46}));
}

// A 100 x 76 BGRA file with 7 levels and the pitch flag, written by GIMP's
// DDS export: red, green, blue and white quarters. Rows of levels past the
// first hold whole pixels (12 pixels: 48 bytes), not the halved pitch.
TEST(DdsTextureImage, NonPowerOfTwoMipChainWithPitch) {
    std::ifstream in(std::string(VARNOK_TEST_DATA_DIR) + "/npot_mips.dds", std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 40584u);
    testing::internal::CaptureStderr();
    const auto image = Read(bytes);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->description.mipCount, 7);
    const size_t sizes[] = {30400, 7600, 1900, 432, 96, 24, 4};
    using Pixel = std::vector<int>;  // bytes in memory: blue, green, red, alpha
    for (int level = 0; level < 7; ++level) {
        SCOPED_TRACE(level);
        size_t size = 0;
        const uint8_t* data = image->GetData(0, level, size);
        ASSERT_NE(data, nullptr);
        ASSERT_EQ(size, sizes[level]);
        const int w = std::max(1, 100 >> level);
        const int h = std::max(1, 76 >> level);
        auto at = [&](int x, int y) {
            const uint8_t* p = data + (y * w + x) * 4;
            return Pixel{p[0], p[1], p[2], p[3]};
        };
        if (level < 6) {
            EXPECT_EQ(at(0, 0), (Pixel{0, 0, 255, 255}));           // red
            EXPECT_EQ(at(w - 1, 0), (Pixel{0, 255, 0, 255}));       // green
            EXPECT_EQ(at(0, h - 1), (Pixel{255, 0, 0, 255}));       // blue
            EXPECT_EQ(at(w - 1, h - 1), (Pixel{255, 255, 255, 255}));  // white
        } else {
            const Pixel grey = at(0, 0);  // the four quarters averaged
            for (int c = 0; c < 3; ++c) {
                EXPECT_NEAR(grey[c], 128, 8) << c;
            }
            EXPECT_EQ(grey[3], 255);
        }
    }
}

}  // namespace
}  // namespace Varnok
