#include "engine/render/LoadingTexture.h"

#include "engine/render/ImageDecoder.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureSource.h"
#include "platform/PngReader.h"
#include "tests/engine/render/TextureFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
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
    SetLaunchImageDecoder(CreatePngDecoder());
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
    SetLaunchImageDecoder(nullptr);
}

// Answers as told, whatever the file holds.
class FixedDecoder : public ImageDecoder {
public:
    FixedDecoder(bool ok, int width, int height, size_t bytes)
        : m_ok(ok), m_width(width), m_height(height), m_bytes(bytes) {}
    bool DecodeFile(const char*, int& outWidth, int& outHeight, std::vector<uint8_t>& outRgba) override {
        outWidth = m_width;
        outHeight = m_height;
        outRgba.assign(m_bytes, 255);
        return m_ok;
    }

private:
    bool m_ok;
    int m_width;
    int m_height;
    size_t m_bytes;
};

TEST(LoadingTexture, UnreadableLaunchImagesGiveNoTextureAndOneLogLine) {
    MountedFolder bundle;
    WriteLaunchImage(bundle, "Default", 2, 2, std::vector<uint8_t>(16, 255));
    const struct {
        const char* what;
        std::shared_ptr<ImageDecoder> decoder;
        int logLines;  // a failing decoder logs its own line
    } cases[] = {
        {"no decoder installed", nullptr, 1},
        {"the decoder fails", std::make_shared<FixedDecoder>(false, 2, 2, 16), 0},
        {"no pixels", std::make_shared<FixedDecoder>(true, 0, 2, 0), 1},
        {"too wide for a texture", std::make_shared<FixedDecoder>(true, 0x10000, 1, 0x40000), 1},
        {"fewer bytes than pixels", std::make_shared<FixedDecoder>(true, 2, 2, 15), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetLaunchImageDecoder(c.decoder);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(CreateLoadingTexture(bundle.Root().c_str(), LaunchImageDef{}));
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), c.logLines) << log;
    }
    SetLaunchImageDecoder(nullptr);
}

}  // namespace
}  // namespace Varnok
