// The game program run headless with a seed: the start-up logo fades out
// over the frames, two runs give the same files byte for byte, and the
// captured frames keep the size asked for whatever the content scale.
#include "engine/core/Clock.h"
#include "platform/PngReader.h"

#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>


#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>


namespace Varnok {
namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 480;
constexpr int kHeight = 320;

int RunGame(const fs::path& dir) {
    fs::create_directories(dir / "shared");
    setenv("VARNOK_SHARED_DIR", (dir / "shared").c_str(), 1);
    setenv("VARNOK_DNS_RESOLVER", "127.0.0.1:9", 1);  // nothing answers there
    std::vector<std::string> args = {VARNOK_GAME_BINARY, "--headless", "--frames", "120",
                                     "--capture", (dir / "frames").string(), "--capture-every", "10",
                                     "--seed", "7", "--size", std::to_string(kWidth) + "x" + std::to_string(kHeight),
                                     "--documents", (dir / "documents").string(),
                                     "--caches", (dir / "caches").string()};
    return VarnokTest::RunProgram(std::move(args));
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

fs::path FramePath(const fs::path& dir, int frame) {
    char name[32];
    snprintf(name, sizeof(name), "frame_%05d.png", frame);
    return dir / "frames" / name;
}

// The summed brightness of the frame.
double Brightness(const std::vector<uint8_t>& rgba) {
    double sum = 0.0;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        sum += rgba[i] + rgba[i + 1] + rgba[i + 2];
    }
    return sum;
}

TEST(SeededRun, TheLogoFadesOutAndTwoRunsGiveTheSameFiles) {
    const fs::path base = fs::temp_directory_path() / ("varnok-seeded-" + std::to_string(getpid()));
    const fs::path first = base / "first";
    const fs::path second = base / "second";
    ASSERT_EQ(RunGame(first), 0);
    ASSERT_EQ(RunGame(second), 0);

    std::vector<double> brightness;
    for (int frame = 0; frame < 120; frame += 10) {
        SCOPED_TRACE(frame);
        const std::string bytes = ReadBytes(FramePath(first, frame));
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(bytes, ReadBytes(FramePath(second, frame)));
        int width = 0;
        int height = 0;
        std::vector<uint8_t> rgba;
        ASSERT_TRUE(ReadPng(FramePath(first, frame).c_str(), width, height, rgba));
        EXPECT_EQ(width, kWidth);  // the content scale of 2 does not double it
        EXPECT_EQ(height, kHeight);
        brightness.push_back(Brightness(rgba));
    }
    // Full colour for the first quarter of a second, then growing while it
    // darkens to black, then black fading out over black: nothing shows
    // from the thirtieth frame on.
    EXPECT_GT(brightness[0], 0.0);
    EXPECT_EQ(brightness[0], brightness[1]);
    EXPECT_NE(brightness[1], brightness[2]);
    EXPECT_GT(brightness[2], brightness[3]);
    for (size_t i = 3; i < brightness.size(); ++i) {
        EXPECT_LT(brightness[i], brightness[0] / 100.0) << "frame " << i * 10;
    }
    // The online library's files of the player were written on the way out,
    // while the save folder was still there.
    int userFiles = 0;
    for (const auto& entry : fs::recursive_directory_iterator(first / "documents" / "save")) {
        userFiles += entry.path().filename() == "UserData.json" ? 1 : 0;
    }
    EXPECT_EQ(userFiles, 1);
    fs::remove_all(base);
}

TEST(SeededRun, TheFixedCalendarMovesOnlyWhenAdvanced) {
    SetFixedClock(1767225600);
    EXPECT_TRUE(IsClockFixed());
    EXPECT_EQ(GetTime(), 1767225600);
    AdvanceFixedClock(1.5);
    AdvanceFixedClock(-10.0);  // never backwards
    EXPECT_EQ(GetTime(), 1767225601);
    DateTime date;
    GetDateTime(&date, 0);
    EXPECT_EQ(date.yearsSince1900, 126);
    EXPECT_EQ(date.dayOfYear, 0);
    EXPECT_EQ(date.second, 1);
    ClearFixedClock();
    EXPECT_FALSE(IsClockFixed());
    EXPECT_GT(GetTime(), 1767225600 + 3600);
}

}  // namespace
}  // namespace Varnok
