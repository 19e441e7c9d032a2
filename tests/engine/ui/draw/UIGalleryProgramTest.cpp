// The gallery program shows a screen by name headless and writes its frames:
// a frame of the sample gallery matches the gallery's reference picture (the
// same one the in-process drawing is held to), and nothing
// of the red quad shows outside its turned clipping parent.
#include "platform/FrameCapture.h"
#include "platform/PngReader.h"
#include "tests/support/RunProgram.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace Varnok {
namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 320;

// The highest-numbered frame the program wrote; empty when none.
std::string LastFrame(const std::string& dir) {
    std::string last;
    if (DIR* folder = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(folder)) {
            const std::string name = entry->d_name;
            if (name.rfind("frame_", 0) == 0 && name > last) {
                last = name;
            }
        }
        closedir(folder);
    }
    return last.empty() ? last : dir + "/" + last;
}

bool IsClipRed(const uint8_t* p) {
    return std::abs(p[0] - 230) <= 40 && std::abs(p[1] - 40) <= 40 && std::abs(p[2] - 40) <= 40;
}

TEST(UIGalleryProgram, WritesFramesOfTheNamedScreen) {
    const std::string dir = VarnokTest::MakeTempDir("varnok_ui_gallery");
    ASSERT_FALSE(dir.empty());
    const int status = VarnokTest::RunProgram({VARNOK_UI_GALLERY_BINARY, "uiGallery", "--frames", "4", "--capture",
                                               dir + "/frames", "--size", "480x320", "--bundle", VARNOK_BUNDLE_DIR,
                                               "--documents", dir + "/documents"});
    ASSERT_EQ(status, 0);
    const std::string frame = LastFrame(dir + "/frames");
    ASSERT_FALSE(frame.empty());
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(ReadPng(frame.c_str(), width, height, rgba));
    ASSERT_EQ(width, kWidth);
    ASSERT_EQ(height, kHeight);
    if (const char* keep = std::getenv("VARNOK_GALLERY_PNG")) {  // for looking at it
        (void)WritePng((std::string(keep) + "/uiGalleryProgram.png").c_str(), kWidth, kHeight, rgba);
    }

    std::vector<uint8_t> reference;
    ASSERT_TRUE(ReadPng(VARNOK_TEST_REFERENCE_DIR "/uiGallery.png", width, height, reference));
    ASSERT_EQ(reference.size(), rgba.size());
    int differing = 0;
    for (size_t i = 0; i < reference.size(); i += 4) {
        for (int c = 0; c < 3; ++c) {
            if (std::abs(int(reference[i + c]) - int(rgba[i + c])) > 24) {
                ++differing;
                break;
            }
        }
    }
    EXPECT_LT(differing, kWidth * kHeight / 200) << "pixels off the reference";

    // The clipping parent: 120 x 60 about (330, 240), its long side turned
    // 30 degrees up to the right; the red quad inside it is larger.
    const float c = std::cos(30.0f * 3.14159265f / 180.0f);
    const float s = std::sin(30.0f * 3.14159265f / 180.0f);
    int inside = 0;
    int strayed = 0;
    for (int y = 150; y < 320; ++y) {
        for (int x = 200; x < 460; ++x) {
            const float dx = x + 0.5f - 330.0f;
            const float dy = y + 0.5f - 240.0f;
            const float along = dx * c - dy * s;
            const float across = dx * s + dy * c;
            const float margin = std::min(60.0f - std::fabs(along), 30.0f - std::fabs(across));
            const bool red = IsClipRed(&rgba[(static_cast<size_t>(y) * kWidth + x) * 4]);
            if (margin > 2.0f) {
                inside += red ? 1 : 0;
                EXPECT_TRUE(red) << x << "," << y;
            } else if (margin < -2.0f && red) {
                ++strayed;
            }
        }
    }
    EXPECT_GT(inside, 4000);
    EXPECT_EQ(strayed, 0) << "red outside the turned clip";
}

}  // namespace
}  // namespace Varnok
