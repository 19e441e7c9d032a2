#include "engine/render/TextureManager.h"

#include "engine/core/WeakPtr.h"
#include "tests/engine/render/TextureFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

using namespace TextureFixture;

std::vector<uint8_t> OpaqueTex(uint16_t size, uint8_t red) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < size * size; ++i) {
        pixels.insert(pixels.end(), {red, 0, 0, 255});
    }
    return TexFile(Describe(kRgba8, size, size), {pixels});
}

TEST(TextureManager, SharesOneTextureWhileItIsHeld) {
    MountedFolder folder;
    folder.Write("textures/effects/flash.tex", OpaqueTex(2, 200));
    TextureManager& manager = TextureManager::Get();

    SmartPtr<Texture> flash = manager.GetTexture("textures/effects/flash.tex");
    ASSERT_TRUE(flash);
    EXPECT_NE(flash->GetGLId(), 0u);
    for (const char* path : {"textures/./effects/flash.tex", "textures/effects/extra/../flash.tex",
                             "TEXTURES/Effects/FLASH.TEX", "textures\\effects\\flash.tex"}) {
        EXPECT_EQ(manager.GetTexture(path), flash) << path;
    }

    // Once nobody holds it, it is gone, and the next request reads the file again.
    WeakPtr<Texture> weak(flash);
    flash = nullptr;
    EXPECT_FALSE(weak.Lock());
    folder.Write("textures/effects/flash.tex", OpaqueTex(4, 100));
    SmartPtr<Texture> reloaded = manager.GetTexture("textures/effects/flash.tex");
    ASSERT_TRUE(reloaded);
    EXPECT_EQ(reloaded->GetDescription().width, 4);

    // Loading bypasses the cache.
    SmartPtr<Texture> fresh = manager.LoadTexture("textures/effects/flash.tex", TextureCreateMode::Scale);
    ASSERT_TRUE(fresh);
    EXPECT_NE(fresh, reloaded);
    manager.SetCacheLimit(2048);
    EXPECT_EQ(manager.GetTexture("textures/effects/flash.tex"), reloaded);
}

TEST(TextureManager, BadFilesGiveNullWithOneLogLine) {
    MountedFolder folder;
    folder.Write("textures/empty.tex", {});
    folder.WriteText("textures/garbage.tex", "TEX\x02junk");
    TextureDescription cube = Describe(kRgba8, 1, 1, TextureKind::Cube);
    folder.Write("textures/cube.tex", TexFile(cube, {{1, 2, 3, 4}}));
    TextureManager& manager = TextureManager::Get();

    const struct {
        const char* path;
        bool storesEntry;  // a file that exists but does not decode is remembered
    } cases[] = {
        {"textures/missing.tex", false},
        {"textures/empty.tex", false},
        {"textures/garbage.tex", true},
        {"textures/cube.tex", true},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const int entries = manager.GetEntryCount();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(manager.GetTexture(c.path));
        EXPECT_EQ(CountLines(testing::internal::GetCapturedStderr()), 1);
        EXPECT_EQ(manager.GetEntryCount(), entries + (c.storesEntry ? 1 : 0));
    }
    EXPECT_FALSE(manager.GetTexture(nullptr));

    // A failed load is tried again on the next request.
    folder.Write("textures/garbage.tex", OpaqueTex(1, 50));
    EXPECT_TRUE(manager.GetTexture("textures/garbage.tex"));
}

}  // namespace
}  // namespace Varnok
