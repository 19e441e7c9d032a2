// The game program run headless over the built bundle with the demo's input
// script: the UI's sample screens animate, and the scripted press on the
// menu's "play" quad sweeps the menu out and brings the panel in.
#include "platform/PngReader.h"

#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>


#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>


namespace Varnok {
namespace {

// The program's default size: two pixels to a unit of the screens' 480 x 320.
constexpr int kScale = 2;
constexpr int kWidth = 480 * kScale;
constexpr int kHeight = 320 * kScale;

std::string MakeTempDir() { return VarnokTest::MakeTempDir("varnok_screens"); }

// As `./run --headless --scene demo --frames 240 --input SCRIPT --capture DIR`;
// the exit status, -1 when the game could not run.
int RunGame(const std::string& dir) {
    std::vector<std::string> args = {VARNOK_GAME_BINARY, "--headless", "--scene", "demo", "--frames", "240",
                                     "--input", std::string(VARNOK_BUNDLE_DIR) + "/Input/DemoMenuPlay.txt",
                                     "--capture", dir + "/frames", "--capture-every", "5",
                                     "--size", std::to_string(kWidth) + "x" + std::to_string(kHeight),
                                     "--bundle", VARNOK_BUNDLE_DIR,
                                     "--documents", dir + "/documents", "--caches", dir + "/caches"};
    return VarnokTest::RunProgram(std::move(args));
}

struct Rgb {
    int r, g, b;
};

class Frame {
public:
    bool Load(const std::string& dir, int frame) {
        char name[32];
        snprintf(name, sizeof(name), "/frames/frame_%05d.png", frame);
        int width = 0;
        int height = 0;
        return ReadPng((dir + name).c_str(), width, height, m_rgba) && width == kWidth && height == kHeight;
    }

    // At a point in workspace units.
    Rgb At(int x, int y) const { return Pixel(x * kScale, y * kScale); }

    Rgb Pixel(int x, int y) const {
        const uint8_t* p = &m_rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
        return Rgb{p[0], p[1], p[2]};
    }

    // How many pixels are near the colour, and the mean x of those in units.
    int Count(Rgb colour, double* outMeanX = nullptr) const {
        int count = 0;
        double sumX = 0.0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (Near(Pixel(x, y), colour)) {
                    ++count;
                    sumX += x + 0.5;
                }
            }
        }
        if (outMeanX != nullptr) {
            *outMeanX = count > 0 ? sumX / count / kScale : -1.0;
        }
        return count;
    }

    // How many pixels inside a rectangle in units are near the colour.
    int CountIn(int left, int top, int right, int bottom, Rgb colour) const {
        int count = 0;
        for (int y = top * kScale; y < bottom * kScale; ++y) {
            for (int x = left * kScale; x < right * kScale; ++x) {
                count += Near(Pixel(x, y), colour) ? 1 : 0;
            }
        }
        return count;
    }

    static bool Near(Rgb a, Rgb b) {
        return std::abs(a.r - b.r) <= 6 && std::abs(a.g - b.g) <= 6 && std::abs(a.b - b.b) <= 6;
    }

private:
    std::vector<uint8_t> m_rgba;
};

// demoMenu's quads.
constexpr Rgb kPlayGreen{64, 200, 64};
constexpr Rgb kTitleOrange{255, 96, 32};
constexpr int kPlayArea = 120 * 48 * kScale * kScale;  // pixels
// demoPanel's caption: white text.
constexpr Rgb kTextWhite{255, 255, 255};

TEST(DemoScreensRun, APressOnPlaySweepsTheMenuOutForThePanel) {
    const std::string dir = MakeTempDir();
    ASSERT_FALSE(dir.empty());
    ASSERT_EQ(RunGame(dir), 0);
    Frame early, before, sweeping, swept, after;
    ASSERT_TRUE(early.Load(dir, 20));
    ASSERT_TRUE(before.Load(dir, 80));     // the press comes at frame 90
    ASSERT_TRUE(sweeping.Load(dir, 100));  // the menu leaves over 0.4 s
    ASSERT_TRUE(swept.Load(dir, 105));
    ASSERT_TRUE(after.Load(dir, 200));

    // Before: the menu has zoomed and bounced in where the screen puts it.
    EXPECT_TRUE(Frame::Near(before.At(240, 164), kPlayGreen));
    EXPECT_TRUE(Frame::Near(before.At(240, 64), kTitleOrange));
    double playX = 0.0;
    EXPECT_NEAR(before.Count(kPlayGreen, &playX), kPlayArea, kPlayArea / 20);
    EXPECT_NEAR(playX, 240.0, 1.0);
    // The backdrop's colour loops: the corner is not what it was.
    const Rgb corner0 = early.At(4, 316);
    const Rgb corner1 = before.At(4, 316);
    EXPECT_GT(std::abs(corner0.r - corner1.r) + std::abs(corner0.b - corner1.b), 20);

    // Sweeping: the quad keeps its size and moves left, then leaves past the
    // left edge.
    double sweepingX = 0.0;
    double sweptX = 0.0;
    EXPECT_NEAR(sweeping.Count(kPlayGreen, &sweepingX), kPlayArea, kPlayArea / 20);
    EXPECT_LT(sweepingX, playX - 10.0);
    const int sweptCount = swept.Count(kPlayGreen, &sweptX);
    EXPECT_GT(sweptCount, 0);
    EXPECT_LT(sweptCount, kPlayArea * 9 / 10);
    EXPECT_LT(sweptX, sweepingX - 40.0);

    // After: the menu is gone and the panel's translucent black darkens
    // the backdrop inside it only.
    EXPECT_EQ(after.Count(kPlayGreen), 0);
    EXPECT_EQ(after.Count(kTitleOrange), 0);
    const Rgb inside = after.At(100, 250);
    const Rgb outside = after.At(30, 250);
    EXPECT_LT(inside.r + inside.g + inside.b, 90);
    EXPECT_GT(outside.r + outside.g + outside.b, (inside.r + inside.g + inside.b) * 2);
    // The caption's glyphs show in its rectangle, and no white anywhere else
    // above the panel's middle.
    const int captionWhite = after.CountIn(80, 60, 400, 100, kTextWhite);
    EXPECT_GT(captionWhite, 300);
    EXPECT_EQ(after.CountIn(0, 0, 480, 160, kTextWhite), captionWhite);

    const std::string command = "rm -rf '" + dir + "'";
    EXPECT_EQ(system(command.c_str()), 0);
}

}  // namespace
}  // namespace Varnok
