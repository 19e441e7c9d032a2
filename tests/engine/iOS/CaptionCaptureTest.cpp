// The game program run headless over the built bundle without the UI's
// screens (with them the demo shows the screens instead): the captured frame
// shows ink inside every caption's box and nothing outside them.
#include "game/DemoCaptions.h"
#include "game/DemoGame.h"
#include "platform/PngReader.h"

#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>


#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>


namespace Varnok {
namespace {

constexpr int kWidth = 960;
constexpr int kHeight = 640;
constexpr float kScale = kHeight / DemoCaptions::kWorkspaceHeight;  // pixels per workspace unit
constexpr int kInkDifference = 40;  // per channel, from the background

std::string MakeTempDir() { return VarnokTest::MakeTempDir("varnok_captions"); }

// The built bundle but for its "ui" folder, as links in dir/bundle.
std::string BundleWithoutScreens(const std::string& dir) {
    namespace fs = std::filesystem;
    const fs::path bundle = fs::path(dir) / "bundle";
    std::error_code error;
    fs::create_directories(bundle, error);
    for (const fs::directory_entry& entry : fs::directory_iterator(VARNOK_BUNDLE_DIR, error)) {
        if (entry.path().filename() != "ui") {
            fs::create_symlink(entry.path(), bundle / entry.path().filename(), error);
        }
    }
    return bundle.string();
}

// As `./run --headless --frames 60 --capture DIR`; the exit status, -1 when
// the game could not run.
int RunGame(const std::string& dir) {
    std::vector<std::string> args = {VARNOK_GAME_BINARY, "--scene", "demo", "--headless", "--frames", "60",
                                     "--capture", dir + "/frames", "--capture-every", "59",
                                     "--size", std::to_string(kWidth) + "x" + std::to_string(kHeight),
                                     "--bundle", BundleWithoutScreens(dir),
                                     "--documents", dir + "/documents", "--caches", dir + "/caches"};
    return VarnokTest::RunProgram(std::move(args));
}

struct PixelBox {
    int left, top, right, bottom;  // pixels, origin top-left, right and bottom excluded

    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

PixelBox ToPixels(const CaptionBox& box, float margin) {
    return PixelBox{static_cast<int>((box.left - margin) * kScale), static_cast<int>((box.top - margin) * kScale),
                    static_cast<int>((box.left + box.width + margin) * kScale),
                    static_cast<int>((box.top + box.height + margin) * kScale)};
}

TEST(CaptionCapture, InkInsideEveryCaptionBoxAndNoneOutside) {
    const std::string dir = MakeTempDir();
    ASSERT_FALSE(dir.empty());
    ASSERT_EQ(RunGame(dir), 0);
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(ReadPng((dir + "/frames/frame_00059.png").c_str(), width, height, rgba));
    ASSERT_EQ(width, kWidth);
    ASSERT_EQ(height, kHeight);

    const Colour background = DemoGame::kIdleColour;
    auto isInk = [&](int x, int y) {
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
        return std::abs(p[0] - background.r) > kInkDifference || std::abs(p[1] - background.g) > kInkDifference ||
               std::abs(p[2] - background.b) > kInkDifference;
    };

    std::vector<PixelBox> allowed;
    for (const CaptionBox& box : kCaptionBoxes) {
        allowed.push_back(ToPixels(box, kCaptionEffectMargin));
    }
    // Inside: a fair share of every box is ink, in its top and bottom halves
    // alike for the wrapped paragraph.
    for (size_t i = 0; i < std::size(kCaptionBoxes); ++i) {
        SCOPED_TRACE(i);
        const PixelBox box = ToPixels(kCaptionBoxes[i], 0.0f);
        int ink = 0;
        int lowerInk = 0;
        const int middle = (box.top + box.bottom) / 2;
        for (int y = box.top; y < box.bottom; ++y) {
            for (int x = box.left; x < box.right; ++x) {
                if (isInk(x, y)) {
                    ++ink;
                    lowerInk += y >= middle ? 1 : 0;
                }
            }
        }
        const int area = (box.right - box.left) * (box.bottom - box.top);
        EXPECT_GT(ink, area / 50) << "of " << area;
        EXPECT_GT(lowerInk, 0);
    }
    // Outside: the background only.
    int stray = 0;
    int firstX = -1;
    int firstY = -1;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool inside = std::any_of(allowed.begin(), allowed.end(),
                                            [&](const PixelBox& box) { return box.Contains(x, y); });
            if (!inside && isInk(x, y)) {
                if (stray++ == 0) {
                    firstX = x;
                    firstY = y;
                }
            }
        }
    }
    EXPECT_EQ(stray, 0) << "the first at " << firstX << ", " << firstY;
    const std::string command = "rm -rf '" + dir + "'";
    EXPECT_EQ(system(command.c_str()), 0);
}

}  // namespace
}  // namespace Varnok
