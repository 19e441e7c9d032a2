// The slice scene cut with an equipped blade of the item catalogue: the
// captured frames show that blade's warm ribbon where the plain blade draws
// a white one.
#include "platform/PngReader.h"

#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace Varnok {
namespace {

constexpr int kWidth = 960;
constexpr int kHeight = 640;
constexpr int kSwipeRow = kHeight / 2 - 20 * kHeight / 320;
constexpr int kFingerFrame = 62;

// The slice scene's swipe, with the blade named (none: the plain blade).
bool CaptureSwipe(const char* blade, std::vector<uint8_t>& rgba) {
    const std::string dir = VarnokTest::MakeTempDir("varnok_blade_item");
    if (dir.empty()) {
        return false;
    }
    if (blade != nullptr) {
        setenv("VARNOK_SLICE_BLADE", blade, 1);
    }
    std::vector<std::string> args = {VARNOK_GAME_BINARY, "--headless", "--scene", "slice", "--seed", "3",
                                     "--input", VARNOK_SOURCE_DATA_DIR "/scripts/slice_swipe.txt",
                                     "--frames", "64", "--capture", dir + "/frames", "--capture-every", "2",
                                     "--bundle", VARNOK_BUNDLE_DIR, "--documents", dir + "/documents",
                                     "--caches", dir + "/caches"};
    const int status = VarnokTest::RunProgram(std::move(args));
    unsetenv("VARNOK_SLICE_BLADE");
    char name[32];
    snprintf(name, sizeof(name), "/frame_%05d.png", kFingerFrame);
    int width = 0;
    int height = 0;
    return status == 0 && ReadPng((dir + "/frames" + name).c_str(), width, height, rgba) && width == kWidth &&
           height == kHeight;
}

struct BandCounts {
    int white = 0;
    int warm = 0;  // strong red, little blue: the ember blade's palette
};

BandCounts CountBand(const std::vector<uint8_t>& rgba) {
    BandCounts counts;
    for (int y = kSwipeRow - 12; y <= kSwipeRow + 12; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* p = &rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
            counts.white += p[0] >= 230 && p[1] >= 230 && p[2] >= 230 ? 1 : 0;
            counts.warm += p[0] >= 200 && p[2] <= 90 && p[1] <= 210 ? 1 : 0;
        }
    }
    return counts;
}

TEST(BladeItemRun, TheEquippedBladeRecoloursTheRibbon) {
    std::vector<uint8_t> plain;
    std::vector<uint8_t> ember;
    ASSERT_TRUE(CaptureSwipe(nullptr, plain));
    ASSERT_TRUE(CaptureSwipe("blade_ember", ember));
    const BandCounts plainCounts = CountBand(plain);
    const BandCounts emberCounts = CountBand(ember);
    EXPECT_GT(plainCounts.white, 300);
    EXPECT_LT(emberCounts.white, plainCounts.white / 4);
    EXPECT_GT(emberCounts.warm, plainCounts.warm + 300);
}

}  // namespace
}  // namespace Varnok
