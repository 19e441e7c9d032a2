// The game program run headless: its captured frames show the demo's vector
// badge where its placement says, turned by its rotation.
#include "game/DemoVectorImage.h"
#include "platform/PngReader.h"

#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>


#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>


namespace Varnok {
namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 160;

std::string MakeTempDir() { return VarnokTest::MakeTempDir("varnok_svg"); }

int RunGame(const std::string& dir) {
    const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
    std::vector<std::string> args = {VARNOK_GAME_BINARY, "--scene", "demo", "--headless", "--frames", "100",
                                     "--capture", dir + "/frames", "--capture-every", "30",
                                     "--size", size, "--bundle", VARNOK_SOURCE_DATA_DIR,
                                     "--documents", dir + "/documents", "--caches", dir + "/caches"};
    return VarnokTest::RunProgram(std::move(args));
}

struct Centroid {
    double x = 0, y = 0;
    int count = 0;
};

// The mean position of the pixels that pass the test, origin top-left.
template <typename Test>
Centroid Find(const std::vector<uint8_t>& rgba, Test test) {
    Centroid c;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* p = &rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
            if (test(p[0], p[1], p[2])) {
                c.x += x + 0.5;
                c.y += y + 0.5;
                ++c.count;
            }
        }
    }
    if (c.count > 0) {
        c.x /= c.count;
        c.y /= c.count;
    }
    return c;
}

TEST(DemoVectorImageRun, CapturedFramesShowTheBadgeMovingAndTurning) {
    const std::string dir = MakeTempDir();
    ASSERT_FALSE(dir.empty());
    ASSERT_EQ(RunGame(dir), 0);
    for (int frame : {30, 60, 90}) {
        SCOPED_TRACE(frame);
        char name[32];
        snprintf(name, sizeof(name), "/frames/frame_%05d.png", frame);
        int width = 0;
        int height = 0;
        std::vector<uint8_t> rgba;
        ASSERT_TRUE(ReadPng((dir + name).c_str(), width, height, rgba));
        ASSERT_EQ(width, kWidth);
        ASSERT_EQ(height, kHeight);

        // The solid cyan centre (#00e5ff), 14/64 of the 48-pixel side in radius.
        const Centroid centre = Find(rgba, [](int r, int g, int b) {
            return r < 60 && g > 190 && b > 220;
        });
        const double radius = 48.0 * 14.0 / 64.0;
        EXPECT_NEAR(centre.count, kPi * radius * radius, 40);
        const DemoVectorPlacement at = DemoVectorImage::PlacementAt(frame / 60.0f, kWidth, kHeight);
        EXPECT_NEAR(centre.x, at.x, 2.0);
        EXPECT_NEAR(centre.y, at.y, 2.0);

        // The yellow arrow (#ffeb3b) points up in the file; on screen it has
        // turned clockwise by the rotation.
        const Centroid arrow = Find(rgba, [](int r, int g, int b) {
            return r > 220 && g > 200 && b < 120;
        });
        ASSERT_GT(arrow.count, 20);
        const double turned = std::atan2(arrow.x - centre.x, centre.y - arrow.y);
        EXPECT_NEAR(std::remainder(turned - at.rotation, 2 * kPiDouble), 0.0, 0.12);
    }
    const std::string command = "rm -rf '" + dir + "'";
    EXPECT_EQ(system(command.c_str()), 0);
}

}  // namespace
}  // namespace Varnok
