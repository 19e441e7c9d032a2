#include "engine/render/TextureSizeAdapters.h"

#include "engine/core/HashName.h"
#include "engine/render/MemoryBlockTextureSource.h"
#include "engine/render/TextureLoader.h"
#include "tests/engine/render/TextureFixtures.h"

#include <gtest/gtest.h>

#include <vector>

namespace Varnok {
namespace {

using namespace TextureFixture;

SmartPtr<MemoryBlockTextureSource> Pixels(const TextureDescription& description,
                                          const std::vector<uint8_t>& bytes) {
    return SmartPtr<MemoryBlockTextureSource>(
        new MemoryBlockTextureSource(description, bytes.data(), bytes.size(), true));
}

std::vector<uint8_t> Level(const TextureImage& image, int level = 0) {
    size_t byteCount = 0;
    const uint8_t* data = image.GetData(0, level, byteCount);
    return data != nullptr ? std::vector<uint8_t>(data, data + byteCount) : std::vector<uint8_t>();
}

TEST(TextureSizeAdapters, TargetSizes) {
    const struct {
        uint32_t size;
        int mode;
        uint32_t target;
    } cases[] = {
        {0, TextureSizeMode::RoundUp, 0},       {1, TextureSizeMode::RoundUp, 1},
        {3, TextureSizeMode::RoundUp, 4},       {64, TextureSizeMode::RoundUp, 64},
        {1025, TextureSizeMode::RoundUp, 2048}, {65535, TextureSizeMode::RoundUp, 32768},
        {0, TextureSizeMode::RoundDown, 1},     {5, TextureSizeMode::RoundDown, 4},
        {64, TextureSizeMode::RoundDown, 64},   {65535, TextureSizeMode::RoundDown, 32768},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TargetTextureSize(c.size, c.mode, 0), c.target) << c.size << " mode " << c.mode;
    }
    EXPECT_EQ(TargetTextureSize(100, TextureSizeMode::Explicit, 8), 8u);
}

TEST(TextureSizeAdapters, PowerOfTwoImagesPassThrough) {
    SmartPtr<MemoryBlockTextureSource> source =
        Pixels(Describe(kAlpha8, 64, 64), std::vector<uint8_t>(64 * 64, 9));
    SmartPtr<TextureLayerScaler> scaler(new TextureLayerScaler(source, TextureSizeMode::RoundUp));
    TextureImage* image = scaler->AcquireImage();
    EXPECT_EQ(image, source->AcquireImage());
    EXPECT_TRUE(scaler->IsPassThrough());
    EXPECT_EQ(scaler->AcquireImage(), image);  // shared by every acquirer
    EXPECT_EQ(scaler->GetAcquireCount(), 2);
    scaler->ReleaseImage(image);
    scaler->ReleaseImage(image);
    EXPECT_EQ(scaler->GetAcquireCount(), 0);
    EXPECT_EQ(scaler->Describe(), AsciiString("TextureLayerScaler(<MemoryBlockTextureSource>)"));
    EXPECT_EQ(scaler->GetHash(), 0u);

    SmartPtr<TextureLayerScaler> grown(new TextureLayerScaler(
        Pixels(Describe(kAlpha8, 100, 60), std::vector<uint8_t>(6000, 9)), TextureSizeMode::RoundUp));
    TextureImageLock lock(grown);
    ASSERT_NE(lock.GetImage(), nullptr);
    EXPECT_FALSE(grown->IsPassThrough());
    EXPECT_EQ(lock.GetImage()->description.width, 128);
    EXPECT_EQ(lock.GetImage()->description.height, 64);
    EXPECT_EQ(lock.GetImage()->description.apparentWidth, 100u);
    EXPECT_EQ(Level(*lock.GetImage()), std::vector<uint8_t>(128 * 64, 9));
}

TEST(TextureSizePadder, PadsWithZerosAndClipsTheContent) {
    const struct {
        const char* what;
        TextureRect content;
        TextureRect expected;
    } cases[] = {
        {"inside", {0, 0, 3, 1}, {0, 0, 3, 1}},
        {"outside", {5, 0, 9, 1}, {0, 0, 3, 1}},
        {"unset", {0, 0, 0, 0}, {0, 0, 3, 1}},
        {"overhanging", {-2, 0, 7, 4}, {0, 0, 3, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TextureDescription d = Describe(kRgba8, 3, 1);
        d.content = c.content;
        const std::vector<uint8_t> row = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
        SmartPtr<TextureSizePadder> padder(new TextureSizePadder(Pixels(d, row), TextureSizeMode::RoundUp));
        TextureImageLock lock(padder);
        ASSERT_NE(lock.GetImage(), nullptr);
        const TextureDescription& padded = lock.GetImage()->description;
        EXPECT_EQ(padded.width, 4);
        EXPECT_EQ(padded.height, 1);
        EXPECT_EQ(padded.apparentWidth, 3u);
        EXPECT_EQ(padded.content.left, c.expected.left);
        EXPECT_EQ(padded.content.top, c.expected.top);
        EXPECT_EQ(padded.content.right, c.expected.right);
        EXPECT_EQ(padded.content.bottom, c.expected.bottom);
        EXPECT_EQ(Level(*lock.GetImage()),
                  (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 0, 0, 0}));
    }

    // Every mip level is padded, rows below the image zeroed.
    TextureDescription mipped = Describe(kAlpha8, 3, 3);
    mipped.mipCount = 2;
    SmartPtr<TextureSource> source(new MemoryBlockTextureSource(mipped, "abcdefghi", 9, true));
    SmartPtr<TextureSizePadder> padder(new TextureSizePadder(source, TextureSizeMode::RoundUp));
    TextureImageLock lock(padder);
    ASSERT_NE(lock.GetImage(), nullptr);
    // A memory image answers every level with its whole block.
    EXPECT_EQ(Level(*lock.GetImage(), 0),
              (std::vector<uint8_t>{'a', 'b', 'c', 0, 'd', 'e', 'f', 0, 'g', 'h', 'i', 0, 0, 0, 0, 0}));
    EXPECT_EQ(Level(*lock.GetImage(), 1), (std::vector<uint8_t>{'a', 0, 0, 0}));
}

TEST(TextureLayerScaler, Resamples) {
    const uint16_t pixel565 = (21 << 11) | (42 << 5) | 9;
    const uint8_t lo = pixel565 & 0xFF, hi = pixel565 >> 8;
    const struct {
        const char* what;
        TextureDescription from;
        std::vector<uint8_t> pixels;
        uint16_t toWidth, toHeight;
        std::vector<uint8_t> expected;
    } cases[] = {
        // The neighbour past the last pixel is the last pixel itself.
        {"row of two to four", Describe(kAlpha8, 2, 1), {10, 21}, 4, 1, {10, 15, 21, 21}},
        {"column of two to four", Describe(kAlpha8, 1, 2), {10, 21}, 1, 4, {10, 15, 21, 21}},
        {"every 5-6-5 field kept",
         Describe(kRgb565Descriptor, 3, 1),
         {lo, hi, lo, hi, lo, hi},
         4,
         1,
         {lo, hi, lo, hi, lo, hi, lo, hi}},
        {"four to two averages", Describe(kAlpha8, 4, 1), {10, 20, 100, 200}, 2, 1, {15, 150}},
        {"even shrinking, rows too", Describe(kAlpha8, 5, 5), std::vector<uint8_t>(25, 200), 4, 4,
         std::vector<uint8_t>(16, 200)},
        {"RGBA bytes stay in their channels",
         Describe(kRgba8, 1, 1),
         {1, 2, 3, 4},
         2,
         2,
         {1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SmartPtr<TextureLayerScaler> scaler(
            new TextureLayerScaler(Pixels(c.from, c.pixels), TextureSizeMode::Explicit));
        scaler->SetExplicitSize(c.toWidth, c.toHeight);
        TextureImageLock lock(scaler);
        ASSERT_NE(lock.GetImage(), nullptr);
        EXPECT_EQ(lock.GetImage()->description.width, c.toWidth);
        EXPECT_EQ(Level(*lock.GetImage()), c.expected);
    }
}

TEST(TextureLayerScaler, DecodesCompressedImagesBeforeResizing) {
    // 12 x 4 pixels of DXT5: three solid blocks, red, green and blue.
    std::vector<uint8_t> blocks;
    AppendSolidDxt5Block(blocks, 0xF800);
    AppendSolidDxt5Block(blocks, 0x07E0);
    AppendSolidDxt5Block(blocks, 0x001F);
    SmartPtr<TextureLayerScaler> scaler(
        new TextureLayerScaler(Pixels(Describe(kDxt5, 12, 4), blocks), TextureSizeMode::RoundUp));
    TextureImageLock lock(scaler);
    ASSERT_NE(lock.GetImage(), nullptr);
    const TextureDescription& d = lock.GetImage()->description;
    EXPECT_EQ(d.width, 16);
    EXPECT_EQ(d.height, 4);
    EXPECT_EQ(d.pixelFormat.encoding, PixelEncoding::Uncompressed);
    EXPECT_TRUE(PixelFormat::HasChannel(d.pixelFormat, PixelChannelId::Alpha));
    const std::vector<uint8_t> pixels = Level(*lock.GetImage());
    ASSERT_EQ(pixels.size(), 16u * 4 * 4);
    // Red, green, blue, alpha bytes well inside each block's span; the
    // decoder widens 5 and 6 bits by shifting alone.
    const struct {
        int x;
        uint8_t rgba[4];
    } samples[] = {{0, {248, 0, 0, 255}}, {7, {0, 252, 0, 255}}, {15, {0, 0, 248, 255}}};
    for (const auto& s : samples) {
        for (int y = 0; y < 4; ++y) {
            for (int c = 0; c < 4; ++c) {
                EXPECT_EQ(pixels[(y * 16 + s.x) * 4 + c], s.rgba[c]) << s.x << "," << y << " " << c;
            }
        }
    }
}

TEST(TextureSizeAdapters, PassChangesOn) {
    std::vector<uint8_t> pixels(9, 1);
    SmartPtr<MemoryBlockTextureSource> source = Pixels(Describe(kAlpha8, 3, 3), pixels);
    struct Recorder {
        int changes = 0;
        int regions = 0;
        int32_t right = 0;
        void OnChange() { ++changes; }
        void OnRegion(int32_t, int32_t, int32_t r, int32_t) {
            ++regions;
            right = r;
        }
    };
    SmartPtr<TextureSource> adapters[] = {
        SmartPtr<TextureSource>(new TextureLayerScaler(source, TextureSizeMode::RoundUp)),
        SmartPtr<TextureSource>(new TextureSizePadder(source, TextureSizeMode::RoundUp))};
    Recorder recorders[2];
    for (int i = 0; i < 2; ++i) {
        adapters[i]->GetChangeListeners().Add(Delegate0<void>(&recorders[i], &Recorder::OnChange));
        adapters[i]->GetRegionListeners().Add(
            TextureSource::RegionEvent::DelegateType(&recorders[i], &Recorder::OnRegion));
    }
    source->SetData(pixels.data(), pixels.size(), true);
    source->Reset(Describe(kAlpha8, 3, 3), pixels.data(), pixels.size(), true);
    for (const Recorder& r : recorders) {
        EXPECT_EQ(r.changes, 1);
        EXPECT_EQ(r.regions, 1);
        EXPECT_EQ(r.right, kWholeRegionEnd);
    }
    adapters[0] = nullptr;
    adapters[1] = nullptr;
    EXPECT_EQ(source->GetChangeListeners().ListenerCount(), 0);
}

TEST(TextureSizeAdapters, TakeTheWrappedSourcesHash) {
    // Caches keyed by texture hash must tell two wrapped files apart.
    MountedFolder folder;
    folder.Write("textures/one.tex", TexFile(Describe(kRgba8, 1, 1), {{10, 20, 30, 40}}));
    SmartPtr<TextureSource> file = TextureLoader::Create("textures/one.tex");
    ASSERT_TRUE(file);
    EXPECT_EQ(TextureLayerScaler(file, TextureSizeMode::RoundUp).GetHash(), HashPath("textures/one.tex"));
    EXPECT_EQ(TextureSizePadder(file, TextureSizeMode::RoundUp).GetHash(), HashPath("textures/one.tex"));
}

TEST(AllocatedTextureImage, LaysOutEveryLevelOfEveryLayer) {
    AllocatedTextureImage image;
    image.description = Describe(kRgba8, 4, 2);
    image.description.imageCount = 2;
    image.description.mipCount = 3;
    image.Allocate();
    const size_t sizes[] = {32, 8, 4};
    for (int layer = 0; layer < 2; ++layer) {
        for (int level = 0; level < 3; ++level) {
            size_t byteCount = 0;
            const uint8_t* data = image.GetData(layer, level, byteCount);
            ASSERT_NE(data, nullptr);
            EXPECT_EQ(byteCount, sizes[level]);
            EXPECT_EQ(reinterpret_cast<uintptr_t>(data) % 16, 0u);
        }
    }
    size_t byteCount = 99;
    EXPECT_EQ(image.GetData(2, 0, byteCount), nullptr);
    EXPECT_EQ(image.GetData(0, 3, byteCount), nullptr);
}

}  // namespace
}  // namespace Varnok
