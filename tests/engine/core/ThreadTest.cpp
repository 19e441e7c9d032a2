#include "engine/core/Thread.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <string>

namespace Varnok {
namespace {

class RecordingThread : public Thread {
public:
    ~RecordingThread() override { Stop(); }

    std::atomic<int> runs{0};
    std::string name;
    bool sawRunning = false;

protected:
    void Run() override {
        char buffer[32] = {};
        pthread_getname_np(pthread_self(), buffer, sizeof buffer);
        name = buffer;
        sawRunning = IsRunning();
        ++runs;
    }
};

// Runs until asked to stop.
class PollingThread : public Thread {
public:
    ~PollingThread() override { Stop(); }
    std::atomic<bool> started{false};

protected:
    void Run() override {
        started = true;
        while (!IsStopRequested()) {
            Sleep(0, 1000000);
        }
    }
};

TEST(Thread, StartTwiceStartsOneThread) {
    RecordingThread thread;
    thread.Start("Twice", 0);
    thread.Start("Twice", 0);
    thread.Join();
    EXPECT_TRUE(thread.IsStarted());
    EXPECT_EQ(thread.runs.load(), 1);
    EXPECT_TRUE(thread.sawRunning);
    EXPECT_FALSE(thread.IsRunning());
    thread.Join();  // a second join returns at once
}

TEST(Thread, NamesAreCutToFifteenCharacters) {
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"com.varnok.audio", "om.varnok.audio"},       // 16 with '.': the last 15
        {"VarnokMixerOutThread", "VarnokMixerOutT"},   // 20 without '.': the first 15
        {"com.varnok.audio.out", "arnok.audio.out"},   // 20 with '.'
        {"user@host.example", "user@host.examp"},      // an at sign keeps the start
        {"short.name", "short.name"},
        {"fifteen.chars15", "fifteen.chars15"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingThread thread;
        thread.Start(c.name, 0);
        thread.Join();
        EXPECT_EQ(thread.name, c.expected);
    }
}

TEST(Thread, RefusedPriorityStillRuns) {
    // Without privilege the real-time priorities are refused; either way
    // every thread runs its body.
    for (int priority = -2; priority <= 2; ++priority) {
        SCOPED_TRACE(priority);
        RecordingThread thread;
        thread.Start("Priority", priority);
        thread.Join();
        EXPECT_EQ(thread.runs.load(), 1);
    }
}

TEST(Thread, DestructorStopsAPollingBody) {
    auto thread = std::make_unique<PollingThread>();
    thread->Start("Polling", 0);
    while (!thread->started) {
        Thread::Sleep(0, 100000);
    }
    EXPECT_TRUE(thread->IsRunning());
    thread.reset();  // sets the stop flag and joins; would hang otherwise
}

TEST(Thread, SleepCarriesNanosecondsIntoSeconds) {
    const auto start = std::chrono::steady_clock::now();
    Thread::Sleep(0, 1000000000ull + 20000000ull);  // 1.02 s
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(1020));
    EXPECT_LT(elapsed, std::chrono::seconds(3));
}

}  // namespace
}  // namespace Varnok
