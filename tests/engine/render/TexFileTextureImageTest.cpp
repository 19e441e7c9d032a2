#include "engine/render/TexFileTextureImage.h"

#include "tests/engine/render/TextureTestBytes.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace Varnok {
namespace {

using TextureTest::Bytes;

using namespace ChannelIds;

// A ".tex" file as the fields say; level sizes default to the blocks' sizes.
struct TexFile {
    uint32_t magic = kTexFileMagic;
    PixelDescriptor format = kRgba8Descriptor;
    uint32_t kind = 0;
    uint16_t width = 2, height = 2, imageCount = 1, mipCount = 1;
    uint32_t apparentWidth = 2, apparentHeight = 2;
    uint32_t extraWord = 0;
    std::vector<TexturePair> pairs;
    std::vector<uint16_t> shorts;
    std::vector<std::vector<uint8_t>> blocks = {std::vector<uint8_t>(16, 0x11)};
    std::vector<uint32_t> sizes;  // empty: the blocks' sizes

    std::vector<uint8_t> Build() const {
        Bytes b;
        b.U32(magic).U8(format.encoding).U8(format.variant).U8(format.byteOrder & 0xFF);
        b.U8(PixelFormat::StoredOrderByte(format.byteOrder));
        for (const PixelChannel& c : format.channels) {
            b.U8(c.bits).U8(c.id);
        }
        b.U32(kind).U16(width).U16(height).U16(imageCount).U16(mipCount);
        b.U32(apparentWidth).U32(apparentHeight).U32(extraWord);
        b.U32(static_cast<uint32_t>(pairs.size()));
        for (const TexturePair& p : pairs) {
            b.U32(p.first).U32(p.second);
        }
        b.U32(static_cast<uint32_t>(shorts.size()));
        for (uint16_t s : shorts) {
            b.U16(s);
        }
        if (sizes.empty()) {
            for (const auto& block : blocks) {
                b.U32(static_cast<uint32_t>(block.size()));
            }
        } else {
            for (uint32_t s : sizes) {
                b.U32(s);
            }
        }
        for (const auto& block : blocks) {
            b.data.insert(b.data.end(), block.begin(), block.end());
        }
        return b.data;
    }
};

std::unique_ptr<TexFileTextureImage> Read(const std::vector<uint8_t>& bytes) {
    return TexFileTextureImage::Create(bytes.data(), bytes.size());
}

TEST(TexFileTextureImage, ReadsDescriptionListsAndLevels) {
    TexFile file;
    file.kind = TextureKind::Volume;
    file.imageCount = 2;
    file.mipCount = 2;
    file.apparentWidth = 3;
    file.apparentHeight = 1;
    file.extraWord = 0xDEADBEEF;
    file.pairs = {{1, 2}, {3, 4}};
    file.shorts = {7, 8, 9};
    // Image by image, each from level 0 up: 2 x 2 then 1 x 1 pixels.
    file.blocks = {std::vector<uint8_t>(16, 0xA0), std::vector<uint8_t>(4, 0xA1),
                   std::vector<uint8_t>(16, 0xB0), std::vector<uint8_t>(4, 0xB1)};
    const std::vector<uint8_t> bytes = file.Build();
    EXPECT_EQ(bytes[7], 0x03);  // 4 groups of 1 byte, as stored

    const auto image = Read(bytes);
    ASSERT_NE(image, nullptr);
    const TextureDescription& d = image->description;
    EXPECT_EQ(PixelFormat::Compare(d.pixelFormat, kRgba8Descriptor), 0);
    EXPECT_EQ(d.pixelFormat.byteOrder, 0x3000);
    EXPECT_EQ(d.kind, TextureKind::Volume);
    EXPECT_EQ(d.width, 2);
    EXPECT_EQ(d.height, 2);
    EXPECT_EQ(d.imageCount, 2);
    EXPECT_EQ(d.mipCount, 2);
    EXPECT_EQ(d.apparentWidth, 3u);
    EXPECT_EQ(d.apparentHeight, 1u);
    EXPECT_EQ(d.content.right, 0);  // not stored
    EXPECT_EQ(image->extraWord, 0xDEADBEEF);
    ASSERT_EQ(image->pairList.size(), 2u);
    EXPECT_EQ(image->pairList[1].first, 3u);
    EXPECT_EQ(image->pairList[1].second, 4u);
    EXPECT_EQ(image->shortList, (std::vector<uint16_t>{7, 8, 9}));

    const struct {
        int image, level;
        size_t size;
        uint8_t fill;
    } levels[] = {{0, 0, 16, 0xA0}, {0, 1, 4, 0xA1}, {1, 0, 16, 0xB0}, {1, 1, 4, 0xB1}};
    for (const auto& l : levels) {
        size_t size = 0;
        const uint8_t* data = image->GetData(l.image, l.level, size);
        ASSERT_NE(data, nullptr);
        ASSERT_EQ(size, l.size);
        EXPECT_TRUE(std::all_of(data, data + size, [&](uint8_t v) { return v == l.fill; }));
        EXPECT_GE(data, bytes.data());  // points into the file
        EXPECT_LE(data + size, bytes.data() + bytes.size());
    }
    for (auto [i, m] : {std::pair{2, 0}, std::pair{0, 2}, std::pair{-1, 0}}) {
        size_t size = 1;
        EXPECT_EQ(image->GetData(i, m, size), nullptr);
        EXPECT_EQ(size, 0u);
    }
}

TEST(TexFileTextureImage, BlocksMustFitAndExtraBytesAreIgnored) {
    TexFile file;
    std::vector<uint8_t> bytes = file.Build();
    bytes.pop_back();  // 15 bytes of a 16-byte block
    EXPECT_EQ(Read(bytes), nullptr);
    bytes.push_back(0x11);
    bytes.push_back(0x22);  // 17 bytes: the last is not the image's
    const auto image = Read(bytes);
    ASSERT_NE(image, nullptr);
    size_t size = 0;
    image->GetData(0, 0, size);
    EXPECT_EQ(size, 16u);
}

TEST(TexFileTextureImage, EncodingsTheGlAloneReadsAreNotSizeChecked) {
    TexFile file;
    file.format = PixelDescriptor{PixelEncoding::Pvrtc, 4, 0, {}};
    file.width = file.height = 8;
    file.blocks = {std::vector<uint8_t>(1, 0)};
    EXPECT_NE(Read(file.Build()), nullptr);
}

TEST(TexFileTextureImage, RefusesDamagedFilesWithOneLine) {
    auto with = [](auto change) {
        TexFile file;
        change(file);
        return file.Build();
    };
    const std::vector<uint8_t> good = TexFile().Build();
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message;  // null: not a ".tex" file at all, nothing said
    } cases[] = {
        {"empty", {}, nullptr},
        {"another version", with([](TexFile& f) { f.magic = 0x02584554; }), nullptr},
        {"a DDS file", with([](TexFile& f) { f.magic = 0x20534444; }), nullptr},
        {"header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 30),
         "header cut short"},
        {"no levels", with([](TexFile& f) {
             f.mipCount = 0;
             f.blocks.clear();
         }),
         "no pixels"},
        {"level table larger than the file", with([](TexFile& f) {
             f.imageCount = 65535;
             f.mipCount = 65535;
         }),
         "level table"},
        {"level size beyond the file", with([](TexFile& f) { f.sizes = {0xFFFFFFFF}; }),
         "runs past the end"},
        {"level smaller than its pixels",
         with([](TexFile& f) { f.blocks = {std::vector<uint8_t>(15, 0)}; }), "pixels need"},
        {"second level smaller than its pixels", with([](TexFile& f) {
             f.mipCount = 2;
             f.blocks = {std::vector<uint8_t>(16, 0), std::vector<uint8_t>(3, 0)};
         }),
         "pixels need"},
        {"DXT1 level smaller than its block", with([](TexFile& f) {
             f.format =
                 PixelDescriptor{PixelEncoding::S3tc, 1, 0, {{8, kB}, {8, kG}, {8, kR}, {8, 0}}};
             f.width = f.height = 4;
             f.blocks = {std::vector<uint8_t>(7, 0)};
         }),
         "pixels need"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestSupport::LogCapture capture;
        EXPECT_EQ(Read(c.bytes), nullptr);
        EXPECT_TRUE(TestSupport::IsRefusalLog(capture.Take(), "TexFileTextureImage: ", c.message));
    }
}

TEST(TexFileTextureImage, LyingListCountsAreNotTrusted) {
    TexFile file;
    file.pairs = {{1, 2}, {3, 4}};
    file.shorts = {5};
    const std::vector<uint8_t> good = file.Build();
    constexpr size_t kPairCountOffset = 40;
    const size_t shortCountOffset = kPairCountOffset + 4 + 16;
    for (size_t offset : {kPairCountOffset, shortCountOffset}) {
        for (uint32_t count : {3u, 0xFFFFFFFFu}) {
            SCOPED_TRACE(testing::Message() << "count " << count << " at " << offset);
            Bytes bytes;
            bytes.data = good;
            bytes.Put32(offset, count);
            testing::internal::CaptureStderr();
            EXPECT_EQ(Read(bytes.data), nullptr);
            EXPECT_NE(testing::internal::GetCapturedStderr().find("TexFileTextureImage: "),
                      std::string::npos);
        }
    }
}

TEST(TexFileTextureImage, EveryTruncationIsRefused) {
    TexFile file;
    file.imageCount = 1;
    file.mipCount = 2;
    file.pairs = {{1, 2}};
    file.shorts = {3, 4};
    file.blocks = {std::vector<uint8_t>(16, 1), std::vector<uint8_t>(4, 2)};
    const std::vector<uint8_t> bytes = file.Build();
    ASSERT_NE(Read(bytes), nullptr);
    testing::internal::CaptureStderr();
    for (size_t length = 0; length < bytes.size(); ++length) {
        // A copy of exactly `length` bytes, so that the sanitizer sees any read past it.
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + length);
        EXPECT_EQ(TexFileTextureImage::Create(cut.data(), cut.size()), nullptr) << length;
    }
    testing::internal::GetCapturedStderr();
}

}  // namespace
}  // namespace Varnok
