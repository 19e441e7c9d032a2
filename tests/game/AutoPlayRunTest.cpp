// The game program with the bot blade: a classic round starts without the
// menus, the bot plays it to the results, the last line says how it went,
// and one seed gives the same files byte for byte while another seed plays
// another game.
#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct BotRun {
    int status = -1;
    std::string lastLine;                      // the bot's summary
    std::map<std::string, std::string> frames;  // file name -> bytes
};

std::string ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Runs the game with the bot; stdout goes to a file so that its last line
// can be read.
BotRun RunAutoplay(const fs::path& dir, const char* seed, const char* frames) {
    fs::create_directories(dir / "shared");
    setenv("VARNOK_SHARED_DIR", (dir / "shared").c_str(), 1);
    setenv("VARNOK_DNS_RESOLVER", "127.0.0.1:9", 1);  // nothing answers there
    std::vector<std::string> args = {VARNOK_GAME_BINARY, "--headless", "--autoplay", "classic", "--seed", seed,
                                     "--size", "192x128", "--capture", (dir / "frames").string(),
                                     "--capture-every", "300", "--documents", (dir / "documents").string(),
                                     "--caches", (dir / "caches").string()};
    if (frames != nullptr) {
        args.insert(args.end(), {"--frames", frames});
    }
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(&arg[0]);
    }
    argv.push_back(nullptr);
    const std::string out = (dir / "stdout.txt").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    BotRun run;
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        if (waitpid(pid, &status, 0) >= 0 && WIFEXITED(status)) {
            run.status = WEXITSTATUS(status);
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    std::istringstream lines(ReadBytes(out));
    for (std::string line; std::getline(lines, line);) {
        if (line.find("autoplay classic:") != std::string::npos) {
            run.lastLine = line;
        }
    }
    if (fs::exists(dir / "frames")) {
        for (const auto& entry : fs::directory_iterator(dir / "frames")) {
            run.frames[entry.path().filename().string()] = ReadBytes(entry.path());
        }
    }
    return run;
}

TEST(AutoPlayRun, TheBotPlaysAClassicGameToItsResultsTheSameWayForOneSeed) {
    const fs::path base = fs::path(VarnokTest::MakeTempDir("varnok-autoplay"));
    ASSERT_FALSE(base.empty());
    const BotRun first = RunAutoplay(base / "first", "11", nullptr);
    const BotRun second = RunAutoplay(base / "second", "11", nullptr);
    ASSERT_EQ(first.status, 0);
    ASSERT_EQ(second.status, 0);

    // "score S, misses M, ended by REASON, F frames, K strokes"
    int score = -1;
    int misses = -1;
    char reason[32] = {};
    int frames = 0;
    int strokes = 0;
    const size_t at = first.lastLine.find("score");
    ASSERT_NE(at, std::string::npos) << first.lastLine;
    ASSERT_EQ(sscanf(first.lastLine.c_str() + at, "score %d, misses %d, ended by %31[a-z ], %d frames, %d strokes",
                     &score, &misses, reason, &frames, &strokes),
              5)
        << first.lastLine;
    EXPECT_GT(score, 0);
    EXPECT_GT(strokes, 0);
    const std::string ended = reason;
    EXPECT_TRUE(ended == "three misses" || ended == "bomb") << ended;
    if (ended == "three misses") {
        EXPECT_EQ(misses, 3);
    }

    EXPECT_EQ(first.lastLine, second.lastLine);
    ASSERT_FALSE(first.frames.empty());
    ASSERT_EQ(first.frames.size(), second.frames.size());
    for (const auto& [name, bytes] : first.frames) {
        SCOPED_TRACE(name);
        ASSERT_EQ(second.frames.count(name), 1u);
        EXPECT_TRUE(bytes == second.frames.at(name));
    }

    // Another seed, another game (cut short: it only has to differ).
    const BotRun other = RunAutoplay(base / "other", "12", "900");
    ASSERT_EQ(other.status, 0);
    bool differs = false;
    for (const auto& [name, bytes] : other.frames) {
        differs = differs || first.frames.count(name) == 0 || first.frames.at(name) != bytes;
    }
    EXPECT_TRUE(differs);
    std::error_code ignored;
    fs::remove_all(base, ignored);
}

}  // namespace
