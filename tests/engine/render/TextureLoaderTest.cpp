#include "engine/render/TextureLoader.h"

#include "engine/core/HashName.h"
#include "tests/engine/render/TextureFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace Varnok {
namespace {

using namespace TextureFixture;

std::vector<uint8_t> SmallTex() {
    return TexFile(Describe(kRgba8, 1, 1), {{10, 20, 30, 40}});
}

// A 4 x 4 DXT1 DDS file of one level.
std::vector<uint8_t> SmallDds() {
    std::vector<uint8_t> bytes(128 + 8, 0);
    auto put32 = [&bytes](size_t offset, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
        }
    };
    put32(0, 0x20534444);  // "DDS "
    put32(4, 124);
    put32(8, 0x1007 | 0x80000);  // linear size given
    put32(12, 4);
    put32(16, 4);
    put32(20, 8);
    put32(76, 32);
    put32(80, 4);  // FourCC
    std::memcpy(&bytes[84], "DXT1", 4);
    return bytes;
}

TEST(TextureLoader, HoldsTheImageWhileAcquiredAndReadsTheFileAgainAfter) {
    MountedFolder folder;
    folder.Write("textures/one.tex", SmallTex());
    SmartPtr<TextureSource> source = TextureLoader::Create("textures\\one.tex");
    ASSERT_TRUE(source);
    auto* loader = static_cast<TextureLoader*>(source.Get());
    EXPECT_EQ(loader->GetName(), AsciiString("textures/one.tex"));
    EXPECT_EQ(loader->GetHash(), HashPath("textures/one.tex"));
    EXPECT_EQ(loader->Describe(), AsciiString("(TextureLoader)textures/one.tex"));
    EXPECT_FALSE(loader->IsFileLoaded());  // not read until acquired

    TextureImage* first = source->AcquireImage();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(source->AcquireImage(), first);
    EXPECT_EQ(loader->GetAcquireCount(), 2);

    // A pointer that is not the current image changes nothing.
    MemoryTextureImage stranger;
    source->ReleaseImage(&stranger);
    EXPECT_EQ(loader->GetAcquireCount(), 2);

    source->ReleaseImage(first);
    EXPECT_TRUE(loader->IsFileLoaded());
    size_t byteCount = 0;
    EXPECT_EQ(first->GetData(0, 0, byteCount)[2], 30);
    source->ReleaseImage(first);
    EXPECT_EQ(loader->GetAcquireCount(), 0);
    EXPECT_FALSE(loader->IsFileLoaded());

    // The file is read again: new contents show.
    folder.Write("textures/one.tex", TexFile(Describe(kRgba8, 1, 1), {{50, 60, 70, 80}}));
    TextureImage* again = source->AcquireImage();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->GetData(0, 0, byteCount)[2], 70);
    source->ReleaseImage(again);

    EXPECT_FALSE(TextureLoader::Create("textures/missing.tex"));
    EXPECT_FALSE(TextureLoader::Create(nullptr));
}

TEST(TextureLoader, TriesEveryReaderAndRetriesAfterAFailure) {
    MountedFolder folder;
    folder.Write("a.dds", SmallDds());
    folder.WriteText("bad.tex", "TEX\x02junk");
    SmartPtr<TextureSource> dds = TextureLoader::Create("a.dds");
    TextureImage* image = dds->AcquireImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->description.pixelFormat.encoding, PixelEncoding::S3tc);
    EXPECT_EQ(image->description.width, 4);
    dds->ReleaseImage(image);

    SmartPtr<TextureSource> bad = TextureLoader::Create("bad.tex");
    auto* loader = static_cast<TextureLoader*>(bad.Get());
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(bad->AcquireImage(), nullptr);
        EXPECT_EQ(loader->GetAcquireCount(), 0);
        EXPECT_FALSE(loader->IsFileLoaded());
    }
    // Mended on disk, the next acquire succeeds.
    folder.Write("bad.tex", SmallTex());
    image = bad->AcquireImage();
    EXPECT_NE(image, nullptr);
    bad->ReleaseImage(image);
}

TEST(TextureLoader, MemoryLoadersOwnTheirBytes) {
    const std::vector<uint8_t> tex = SmallTex();
    std::unique_ptr<uint8_t[]> block(new uint8_t[tex.size()]);
    std::memcpy(block.get(), tex.data(), tex.size());
    const uintptr_t address = reinterpret_cast<uintptr_t>(block.get());
    SmartPtr<TextureSource> source =
        TextureLoader::CreateFromMemory(std::move(block), static_cast<uint32_t>(tex.size()));
    auto* loader = static_cast<TextureLoader*>(source.Get());

    char upper[64];
    std::snprintf(upper, sizeof(upper), "TextureLoader(0x%08llX,%zu)",
                  static_cast<unsigned long long>(address), tex.size());
    char lower[64];
    std::snprintf(lower, sizeof(lower), "(TextureLoader) mem: 0x%08llx",
                  static_cast<unsigned long long>(address));
    EXPECT_EQ(loader->GetName(), AsciiString(upper));
    EXPECT_EQ(loader->Describe(), AsciiString(lower));
    EXPECT_EQ(loader->GetHash(), 0u);

    TextureImage* image = source->AcquireImage();
    ASSERT_NE(image, nullptr);
    size_t byteCount = 0;
    EXPECT_EQ(image->GetData(0, 0, byteCount)[0], 10);
    source->ReleaseImage(image);
    // Acquired again from the same bytes.
    image = source->AcquireImage();
    EXPECT_NE(image, nullptr);
    source->ReleaseImage(image);
}

TEST(TextureLoader, BytesNoReaderAcceptsGetOneLogLine) {
    MountedFolder folder;
    folder.WriteText("noise.tex", std::string(64, '\x5A'));
    SmartPtr<TextureSource> noise = TextureLoader::Create("noise.tex");
    testing::internal::CaptureStderr();
    EXPECT_EQ(noise->AcquireImage(), nullptr);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log, "TextureLoader: noise.tex: no texture reader accepts its 64 bytes\n");
}

}  // namespace
}  // namespace Varnok
