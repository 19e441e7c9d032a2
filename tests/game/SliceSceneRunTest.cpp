// The game program runs the slice scene headless over the built bundle with
// the scripted swipe: the captured frames show the blade's ribbon along the
// swipe and, once the halves have fallen away, juice in the kinds' colours.
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
// The swipe runs along logical y 20 of the 320-unit-high screen.
constexpr int kSwipeRow = kHeight / 2 - 20 * kHeight / 320;

std::string MakeTempDir() { return VarnokTest::MakeTempDir("varnok_slice"); }

int RunScene(const std::string& dir) {
    std::vector<std::string> args = {VARNOK_GAME_BINARY, "--headless", "--scene", "slice", "--seed", "3",
                                     "--input", VARNOK_SOURCE_DATA_DIR "/scripts/slice_swipe.txt",
                                     "--frames", "131", "--capture", dir + "/frames", "--capture-every", "2",
                                     "--bundle", VARNOK_BUNDLE_DIR, "--documents", dir + "/documents",
                                     "--caches", dir + "/caches"};
    return VarnokTest::RunProgram(std::move(args));
}

struct Frame {
    std::vector<uint8_t> rgba;  // rows from the top
    const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * kWidth + x) * 4]; }
};

bool LoadFrame(const std::string& dir, int index, Frame& out) {
    char name[32];
    snprintf(name, sizeof(name), "/frame_%05d.png", index);
    int width = 0;
    int height = 0;
    return ReadPng((dir + "/frames" + name).c_str(), width, height, out.rgba) && width == kWidth &&
           height == kHeight;
}

bool NearWhite(const uint8_t* p) {
    return p[0] >= 230 && p[1] >= 230 && p[2] >= 230;
}

bool Near(const uint8_t* p, int r, int g, int b, int tolerance) {
    return std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance && std::abs(p[2] - b) <= tolerance;
}

// The ribbon's white pixels in the band of the swipe: how many, and the
// rightmost column.
void RibbonInBand(const Frame& frame, int& outCount, int& outRightmost) {
    outCount = 0;
    outRightmost = -1;
    for (int y = kSwipeRow - 12; y <= kSwipeRow + 12; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (NearWhite(frame.At(x, y))) {
                ++outCount;
                outRightmost = std::max(outRightmost, x);
            }
        }
    }
}

int CountNear(const Frame& frame, int r, int g, int b) {
    int count = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            count += Near(frame.At(x, y), r, g, b, 20) ? 1 : 0;
        }
    }
    return count;
}

TEST(SliceSceneRun, TheSwipeDrawsItsRibbonAndLeavesJuiceInTheKindsColours) {
    const std::string dir = MakeTempDir();
    ASSERT_FALSE(dir.empty());
    ASSERT_EQ(RunScene(dir), 0);

    Frame before;
    Frame during;
    Frame after;
    ASSERT_TRUE(LoadFrame(dir, 40, before));  // the fan is rising; no finger yet
    ASSERT_TRUE(LoadFrame(dir, 62, during));  // the finger is at x 0.64 of the screen
    ASSERT_TRUE(LoadFrame(dir, 130, after));  // the halves have fallen out

    int count = 0;
    int rightmost = 0;
    RibbonInBand(before, count, rightmost);
    EXPECT_EQ(count, 0);
    RibbonInBand(during, count, rightmost);
    EXPECT_GT(count, 300);
    // The ribbon ends at the finger (its tip a little ahead).
    const int finger = static_cast<int>(0.64 * kWidth);
    EXPECT_GT(rightmost, finger - 40);
    EXPECT_LT(rightmost, finger + 60);

    // Strawberry and lime juice as the fruit list gives them, on the
    // background where the fruit were cut; none of it before the cut.
    EXPECT_EQ(CountNear(before, 150, 230, 60), 0);
    EXPECT_GT(CountNear(after, 220, 20, 40), 500);
    EXPECT_GT(CountNear(after, 150, 230, 60), 500);
}

}  // namespace
}  // namespace Varnok
