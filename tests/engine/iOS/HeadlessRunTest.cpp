// The game program run headless with an input script: its captured frames
// show the stand-in game's answer, and two runs give the same frames.
#include "platform/PngReader.h"

#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>


#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>


namespace Varnok {
namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 160;

struct Rgb {
    int r, g, b;
};

// The stand-in game's colours.
constexpr Rgb kIdle{20, 40, 90};
constexpr Rgb kTouched{150, 30, 40};
constexpr Rgb kSquare{255, 220, 0};

std::string MakeTempDir() { return VarnokTest::MakeTempDir("varnok_run"); }

// Runs the game and answers its exit status (-1 when it could not start).
int RunGame(const std::string& dir) {
    const std::string capture = dir + "/frames";
    const std::string script = std::string(VARNOK_TEST_DATA_DIR) + "/demo_touch.txt";
    const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
    std::vector<std::string> args = {VARNOK_GAME_BINARY, "--scene", "demo", "--headless", "--frames", "120",
                                     "--capture", capture, "--capture-every", "10",
                                     "--input", script, "--size", size,
                                     "--bundle", VARNOK_SOURCE_DATA_DIR,
                                     "--documents", dir + "/documents", "--caches", dir + "/caches"};
    return VarnokTest::RunProgram(std::move(args));
}

std::string FramePath(const std::string& dir, int frame) {
    char name[32];
    snprintf(name, sizeof(name), "/frames/frame_%05d.png", frame);
    return dir + name;
}

// Pixel at normalised (x, y), origin top-left.
Rgb PixelAt(const std::vector<uint8_t>& rgba, float x, float y) {
    const size_t px = static_cast<size_t>(x * kWidth);
    const size_t py = static_cast<size_t>(y * kHeight);
    const uint8_t* p = &rgba[(py * kWidth + px) * 4];
    return Rgb{p[0], p[1], p[2]};
}

void ExpectColour(const Rgb& actual, const Rgb& expected, const char* what) {
    EXPECT_NEAR(actual.r, expected.r, 2) << what;
    EXPECT_NEAR(actual.g, expected.g, 2) << what;
    EXPECT_NEAR(actual.b, expected.b, 2) << what;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(HeadlessRun, FramesShowTheDemoGameAnsweringTheScriptAndRepeatExactly) {
    const std::string first = MakeTempDir();
    const std::string second = MakeTempDir();
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    ASSERT_EQ(RunGame(first), 0);

    const struct {
        int frame;
        Rgb background;
        bool square;
        float x, y;  // the finger, normalised
    } cases[] = {
        {20, kIdle, false, 0.25f, 0.5f},     // before the touch
        {70, kTouched, true, 0.75f, 0.25f},  // held after the drag
        {100, kIdle, false, 0.75f, 0.25f},   // lifted
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frame);
        int width = 0;
        int height = 0;
        std::vector<uint8_t> rgba;
        ASSERT_TRUE(ReadPng(FramePath(first, c.frame).c_str(), width, height, rgba));
        ASSERT_EQ(width, kWidth);
        ASSERT_EQ(height, kHeight);
        ExpectColour(PixelAt(rgba, 0.02f, 0.95f), c.background, "corner");
        ExpectColour(PixelAt(rgba, c.x, c.y), c.square ? kSquare : c.background, "under the finger");
    }

    ASSERT_EQ(RunGame(second), 0);
    for (int frame = 0; frame < 120; frame += 10) {
        SCOPED_TRACE(frame);
        const std::string bytes = ReadBytes(FramePath(first, frame));
        EXPECT_FALSE(bytes.empty());
        EXPECT_EQ(bytes, ReadBytes(FramePath(second, frame)));
    }
    for (const std::string& dir : {first, second}) {
        const std::string command = "rm -rf '" + dir + "'";
        EXPECT_EQ(system(command.c_str()), 0);
    }
}

}  // namespace
}  // namespace Varnok
