// The gallery program on the "uiControls" screen, driven by an input script
// through the shell as a player would: a held button shrinks, a toggle
// flips, and text typed into the focused field shows in it. The program
// installs the application's UI host, which is what gives the field its
// keyboard.
#include "platform/PngReader.h"
#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
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

int Count(const Box& box, const std::function<bool(int x, int y)>& test) {
    int count = 0;
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) {
            count += test(x, y) ? 1 : 0;
        }
    }
    return count;
}

int Differing(const Frame& a, const Frame& b, const Box& box) {
    return Count(box, [&](int x, int y) {
        for (int c = 0; c < 3; ++c) {
            if (std::abs(int(a.At(x, y)[c]) - int(b.At(x, y)[c])) > 40) {
                return true;
            }
        }
        return false;
    });
}

bool IsGreen(const uint8_t* p) { return p[1] > 160 && p[0] < 140 && p[2] < 140; }
bool IsWhite(const uint8_t* p) { return p[0] > 235 && p[1] > 235 && p[2] > 235; }

TEST(UIGalleryControlsProgram, ScriptedTouchesAndTypingChangeTheScreen) {
    const std::string dir = VarnokTest::MakeTempDir("varnok_ui_gallery_controls");
    ASSERT_FALSE(dir.empty());
    const int status = VarnokTest::RunProgram(
        {VARNOK_UI_GALLERY_BINARY, "uiControls", "--frames", "60", "--input",
         VARNOK_TEST_DATA_DIR "/uiControlsInput.txt", "--capture", dir + "/frames", "--size", "480x320",
         "--bundle", VARNOK_BUNDLE_DIR, "--documents", dir + "/documents"});
    ASSERT_EQ(status, 0);
    // Before any touch; the button held; the toggle flipped and the field
    // focused; after the first text; after the second.
    const int numbers[] = {8, 16, 40, 45, 59};
    std::vector<Frame> frames;
    for (int number : numbers) {
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
    const Frame& held = frames[1];
    const Frame& focused = frames[2];
    const Frame& typedOnce = frames[3];
    const Frame& typedTwice = frames[4];

    // The bouncy button, 72 x 28 about (400, 8), scales to 0.9 while held and
    // back when let go.
    const Box button{360, 0, 440, 26};
    const int whileHeld = Differing(before, held, button);
    EXPECT_GT(whileHeld, 60) << "the held button did not shrink";
    EXPECT_LT(Differing(before, focused, button), whileHeld / 4) << "the button did not come back";

    // The sound toggle, 40 x 24 at (320, 76): grey off, green on.
    const Box toggle{324, 80, 356, 96};
    const int toggleArea = (toggle.right - toggle.left) * (toggle.bottom - toggle.top);
    auto green = [](const Frame& frame, const Box& box) {
        return Count(box, [&](int x, int y) { return IsGreen(frame.At(x, y)); });
    };
    EXPECT_EQ(green(before, toggle), 0);
    EXPECT_GT(green(focused, toggle), toggleArea * 9 / 10);

    // The name field, 180 x 24 at (8, 220): its placeholder is grey; focused
    // it turns white and shows the caret; typed text adds white strokes.
    const Box field{8, 220, 188, 244};
    auto white = [](const Frame& frame, const Box& box) {
        return Count(box, [&](int x, int y) { return IsWhite(frame.At(x, y)); });
    };
    const int placeholder = white(before, field);
    const int empty = white(focused, field);
    const int once = white(typedOnce, field);
    const int twice = white(typedTwice, field);
    EXPECT_EQ(placeholder, 0);
    EXPECT_LE(empty, 40) << "only the caret, if anything";
    EXPECT_GT(once, empty + 60) << "the typed text does not show";
    EXPECT_GT(twice, once + 60) << "the second text did not add to the first";
}

}  // namespace
}  // namespace Varnok
