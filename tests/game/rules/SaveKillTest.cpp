// A process killed at any moment of a save leaves a container that loads and
// files that are each one complete save.
#include "game/rules/SaveFile.h"

#include "engine/core/FileObject.h"
#include "engine/core/XmlDocument.h"
#include "game/rules/GameStats.h"
#include "tests/game/rules/SaveFolder.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Varnok {
namespace {

constexpr const char* kSecondFile = "C:\\second_file.xml";
constexpr int kKills = 250;
constexpr auto kTimeBudget = std::chrono::seconds(9);

// Save number n: its size changes with n, so that blocks move around.
GameStats SaveNumber(int n) {
    GameStats stats;
    stats.Add("counter", n, 0, 0);
    stats.Add("games", n, 1, 0);
    for (int i = 0; i < n % 37; ++i) {
        stats.Add(("pad_" + std::to_string(i)).c_str(), i + 1, 0, 0);
    }
    return stats;
}

std::string SaveText(int n) {
    TiXmlDocument document;
    SaveFile::BuildDocument(SaveNumber(n), document);
    TiXmlPrinter printer;
    document.Accept(&printer);
    return printer.CStr();
}

std::string SecondText(int n) {
    std::string text = "<second count=\"" + std::to_string(n) + "\">";
    for (int i = 0; i < n % 23; ++i) {
        text += "<item name=\"entry_" + std::to_string(i) + "\"/>";
    }
    return text + "</second>";
}

// The child: saves both files over and over until it is killed. It tells
// the parent through `ready` when it starts saving, so that the kill lands
// among its saves rather than in the start of the process.
[[noreturn]] void SaveForever(TestSupport::SaveFolder& folder, int first, int ready) {
    folder.Mount();
    if (write(ready, "r", 1) != 1) {
        _exit(4);
    }
    for (int n = first;; ++n) {
        if (n == first + 1 && write(ready, "s", 1) != 1) {  // one round complete
            _exit(4);
        }
        GameStats stats = SaveNumber(n);
        if (!SaveFile::Write(stats)) {
            _exit(2);
        }
        TiXmlDocument second;
        const std::string text = SecondText(n);
        if (!ParseXmlDocument(second, text.data(), text.size()) || !SaveXmlDocument(second, kSecondFile)) {
            _exit(3);
        }
    }
}

std::string Stored(const char* path) {
    FileObject file(path, kOpenRead, 0);
    if (!file.Load() || file.GetData() == nullptr) {
        return "";
    }
    return std::string(reinterpret_cast<const char*>(file.GetData()), static_cast<size_t>(file.GetLength()));
}

// The number of the complete save the file holds, or -1 when it is none.
int SaveNumberOf(const std::string& bytes) {
    TiXmlDocument document;
    if (!ParseXmlDocument(document, bytes.data(), bytes.size())) {
        return -1;
    }
    GameStats stats;
    SaveFile::Read(&document, stats);
    const int n = stats.Get("counter");
    return bytes == SaveText(n) ? n : -1;
}

int SecondNumberOf(const std::string& bytes) {
    TiXmlDocument document;
    if (!ParseXmlDocument(document, bytes.data(), bytes.size()) || document.RootElement() == nullptr) {
        return -1;
    }
    int n = -1;
    document.RootElement()->QueryIntAttribute("count", &n);
    TiXmlPrinter printer;
    TiXmlDocument expected;
    const std::string text = SecondText(n);
    if (!ParseXmlDocument(expected, text.data(), text.size())) {
        return -1;
    }
    expected.Accept(&printer);
    return bytes == printer.CStr() ? n : -1;
}

// Memory-backed when the machine has it: a kill does not wait for the disk,
// and saves come fast enough for the kills to land in every phase of one.
std::filesystem::path FastFolder() {
    std::error_code error;
    return std::filesystem::is_directory("/dev/shm", error) ? std::filesystem::path("/dev/shm")
                                                            : std::filesystem::path();
}

// The median time of one round of both saves here, in microseconds.
int64_t RoundMicroseconds(const std::filesystem::path& base) {
    TestSupport::SaveFolder scratch("kill-timing", base);
    std::vector<int64_t> times;
    for (int n = 0; n < 7; ++n) {
        const auto start = std::chrono::steady_clock::now();
        GameStats stats = SaveNumber(n);
        EXPECT_TRUE(SaveFile::Write(stats));
        TiXmlDocument second;
        const std::string text = SecondText(n);
        EXPECT_TRUE(ParseXmlDocument(second, text.data(), text.size()) && SaveXmlDocument(second, kSecondFile));
        times.push_back(std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

TEST(SaveKill, AKilledSaveLeavesALoadableContainerOfCompleteFiles) {
    const std::filesystem::path base = FastFolder();
    // Kills spread over the child's first rounds.
    const int64_t maxDelay = std::min<int64_t>(std::max<int64_t>(4 * RoundMicroseconds(base), 1000), 8000);
    TestSupport::SaveFolder folder("kill", base);
    const std::filesystem::path container = folder.Path() / "save2.bin";
    const std::filesystem::path aside = folder.Path() / "save2.bin.bad";
    std::mt19937 random(12345);
    const auto start = std::chrono::steady_clock::now();
    int kills = 0;
    int midWrite = 0;  // kills that left the temporary file behind
    int saves = 0;     // kills after which a save was there
    int fresh = 0;     // kills after which that child's own save was there
    for (; kills < kKills && std::chrono::steady_clock::now() - start < kTimeBudget; ++kills) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            SaveForever(folder, (kills + 1) * 1000, ready[1]);
        }
        close(ready[1]);
        // Every fourth child is killed only after its first complete round,
        // whatever the machine's speed, so that saves are known to be made.
        const bool afterASave = kills % 4 == 0;
        char byte = 0;
        const bool started = read(ready[0], &byte, 1) == 1 && (!afterASave || read(ready[0], &byte, 1) == 1);
        close(ready[0]);
        ASSERT_TRUE(started);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % maxDelay));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself: " << WEXITSTATUS(status);
        if (std::filesystem::exists(folder.Path() / "save2.bitmp")) {
            ++midWrite;
        }

        const bool existed = std::filesystem::exists(container);
        EXPECT_EQ(folder.Mount().GetHostPath().IsEmpty(), false);
        ASSERT_FALSE(std::filesystem::exists(aside)) << "kill " << kills << " left a damaged container";
        ASSERT_EQ(folder.Container().IsImageValid(), true);
        if (!existed) {
            continue;  // killed before its first save
        }
        const std::string save = Stored(SaveFile::Path());
        if (save.empty()) {
            continue;
        }
        const int n = SaveNumberOf(save);
        ASSERT_GE(n, 0) << "kill " << kills << " left a save that is not one complete save:\n" << save;
        const std::string second = Stored(kSecondFile);
        if (!second.empty()) {
            ASSERT_GE(SecondNumberOf(second), 0) << "kill " << kills << ": " << second;
        }
        ++saves;
        if (n >= (kills + 1) * 1000) {
            ++fresh;
        } else {
            ASSERT_FALSE(afterASave) << "kill " << kills << ": the child's own save is not there";
        }
    }
    std::printf("kills %d (delays up to %lld us), with a save %d, the killed child's own %d, "
                "during a container write %d\n",
                kills, static_cast<long long>(maxDelay), saves, fresh, midWrite);
    EXPECT_GE(kills, 40);  // about 250 here; a slow machine gets through fewer in the time
    EXPECT_GE(fresh, kills / 4);
}

}  // namespace
}  // namespace Varnok
