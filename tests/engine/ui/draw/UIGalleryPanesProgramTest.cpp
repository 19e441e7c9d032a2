// The gallery program on the "uiPanes" screen under a scripted swipe: the
// pages move one page to the left and snap, the page that comes into the
// left side shows dimmed, and the credits scroll by themselves.
#include "platform/PngReader.h"
#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace Varnok {
namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 320;

struct Frame {
    std::vector<uint8_t> rgba;
    const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * kWidth + x) * 4]; }
};

struct Box {
    int left, top, right, bottom;  // right and bottom excluded
};

template <typename Test>
int Count(const Frame& frame, const Box& box, Test test) {
    int count = 0;
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) {
            count += test(frame.At(x, y)) ? 1 : 0;
        }
    }
    return count;
}

bool IsOrange(const uint8_t* p) { return p[0] > 200 && p[1] > 90 && p[1] < 150 && p[2] < 80; }
// The card colour dimmed to about half: red well above blue, not bright.
bool IsDimmedCard(const uint8_t* p) { return p[0] > 90 && p[0] < 180 && p[0] > p[2] + 50; }
bool IsGreen(const uint8_t* p) { return p[1] > 160 && p[0] < 140 && p[2] < 140; }

TEST(UIGalleryPanesProgram, AScriptedSwipeMovesThePagesOnePage) {
    const std::string dir = VarnokTest::MakeTempDir("varnok_ui_gallery_panes");
    ASSERT_FALSE(dir.empty());
    const int status = VarnokTest::RunProgram(
        {VARNOK_UI_GALLERY_BINARY, "uiPanes", "--frames", "90", "--input", VARNOK_TEST_DATA_DIR "/uiPanesInput.txt",
         "--capture", dir + "/frames", "--size", "480x320", "--bundle", VARNOK_BUNDLE_DIR, "--documents",
         dir + "/documents"});
    ASSERT_EQ(status, 0);
    std::vector<Frame> frames;
    for (int number : {8, 89}) {
        char name[32];
        snprintf(name, sizeof(name), "/frame_%05d.png", number);
        Frame frame;
        int width = 0;
        int height = 0;
        ASSERT_TRUE(ReadPng((dir + "/frames" + name).c_str(), width, height, frame.rgba)) << name;
        ASSERT_EQ(width, kWidth);
        ASSERT_EQ(height, kHeight);
        frames.push_back(std::move(frame));
    }
    const Frame& before = frames[0];
    const Frame& after = frames[1];

    // The pane (240 x 140 at (20, 60)) centres a 100-unit card in 120-unit
    // pages: the current page's card at x 90..190, bright.
    const Box centre{100, 80, 180, 160};
    const int centreArea = 80 * 80;
    EXPECT_GT(Count(before, centre, IsOrange), centreArea * 9 / 10);
    EXPECT_GT(Count(after, centre, IsOrange), centreArea * 9 / 10);
    // Left of it nothing before the swipe; the first page, dimmed, after.
    const Box left{24, 80, 66, 160};
    EXPECT_EQ(Count(before, left, IsDimmedCard), 0);
    EXPECT_GT(Count(after, left, IsDimmedCard), 42 * 80 * 9 / 10);
    // The credits pane (160 x 240 at (300, 40)) starts empty and scrolls
    // its green lines up into view.
    const Box credits{300, 40, 460, 280};
    EXPECT_EQ(Count(before, credits, IsGreen), 0);
    EXPECT_GT(Count(after, credits, IsGreen), 1000);
}

}  // namespace
}  // namespace Varnok
