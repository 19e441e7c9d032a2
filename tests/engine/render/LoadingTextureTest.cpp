#include "engine/render/LoadingTexture.h"

#include "engine/render/Texture2D.h"
#include "engine/render/TextureSource.h"
#include "tests/engine/render/TextureFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

using namespace TextureFixture;

void WriteLaunchImage(const MountedFolder& bundle, const std::string& name, int width, int height,
                      const std::vector<uint8_t>& rgba) {
    ASSERT_TRUE(WritePng((bundle.Root() + "/" + name + ".png").c_str(), width, height, rgba));
}

TEST(LoadingTexture, ChoosesTheLaunchImageForTheScreen) {
    const std::vector<uint8_t> pixel = {0, 0, 0, 255};
    const struct {
        const char* what;
        std::vector<const char*> files;
        LaunchImageDef def;
        const char* chosen;
    } cases[] = {
        {"nothing in the bundle", {}, {}, "Default"},
        {"a phone", {"Default", "Default-Landscape@2x"}, {}, "Default"},
        {"a phone with a landscape image", {"Default-Landscape"}, {}, "Default-Landscape"},
        {"a retina phone", {"Default", "Default-Landscape@2x"}, {false, false, true, 0.66f},
         "Default-Landscape@2x"},
        {"a tall retina phone", {"Default-Landscape-568h@2x", "Default-Landscape@2x"},
         {false, false, true, 0.5633803f}, "Default-Landscape-568h@2x"},
        {"a tall retina phone without tall images", {"Default-Landscape@2x"},
         {false, false, true, 1.775f}, "Default-Landscape@2x"},
        {"a tablet", {"Default-Landscape~ipad", "Default-Landscape"}, {false, true, false, 0.75f},
         "Default-Landscape~ipad"},
        {"a tablet in portrait", {"Default-iPad-Portrait~ipad"}, {true, true, false, 1.33f},
         "Default-iPad-Portrait~ipad"},
        {"a portrait phone without its images", {"Default-Landscape"}, {true, false, true, 1.5f},
         "Default"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MountedFolder bundle;
        for (const char* file : c.files) {
            WriteLaunchImage(bundle, file, 1, 1, pixel);
        }
        EXPECT_EQ(ChooseLaunchImage(bundle.Root().c_str(), c.def), AsciiString(c.chosen));
    }
}

TEST(LoadingTexture, LaunchImageBecomesAPowerOfTwoTexture) {
    MountedFolder bundle;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CreateLoadingTexture(bundle.Root().c_str(), LaunchImageDef{}));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // the image is optional

    // 4 x 2 opaque pixels and one half-transparent one.
    std::vector<uint8_t> rgba;
    for (int i = 0; i < 8; ++i) {
        rgba.insert(rgba.end(), {static_cast<uint8_t>(i * 30), 100, 200, 255});
    }
    rgba[7 * 4 + 3] = 128;
    WriteLaunchImage(bundle, "Default-Landscape", 4, 2, rgba);
    SmartPtr<Texture> texture = CreateLoadingTexture(bundle.Root().c_str(), LaunchImageDef{});
    ASSERT_TRUE(texture);
    const TextureDescription& d = texture->GetDescription();
    EXPECT_EQ(d.width, 4);
    EXPECT_EQ(d.height, 2);
    EXPECT_EQ(d.apparentWidth, 4u);
    EXPECT_EQ(d.apparentHeight, 2u);

    // Read again after the GL texture was dropped (as a restore would):
    // the source still has the pixels.
    texture->ReleaseGL();
    texture->Upload();
    ASSERT_NE(texture->GetGLId(), 0u);
    std::vector<uint8_t> expected = rgba;
    for (int c = 0; c < 3; ++c) {
        expected[7 * 4 + c] = static_cast<uint8_t>((rgba[7 * 4 + c] * 128 + 127) / 255);
    }
    EXPECT_EQ(ReadTexture(texture->GetGLId(), 4, 2), expected);

    // Sizes that are not powers of two are scaled up.
    WriteLaunchImage(bundle, "Default-Landscape", 3, 2, std::vector<uint8_t>(24, 255));
    texture = CreateLoadingTexture(bundle.Root().c_str(), LaunchImageDef{});
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->GetDescription().width, 4);
    EXPECT_EQ(texture->GetDescription().apparentWidth, 4u);
    EXPECT_EQ(ReadTexture(texture->GetGLId(), 4, 2), std::vector<uint8_t>(32, 255));
}

}  // namespace
}  // namespace Varnok
