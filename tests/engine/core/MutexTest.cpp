#include "engine/core/Mutex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <atomic>
#include <thread>

namespace Varnok {
namespace {

// True when another thread can take the mutex within 0.3 s. When it
// cannot, the caller's extra Unlock() lets that thread finish; taken must
// outlive the taker.
bool FreeForAnotherThread(Mutex& mutex, std::atomic<bool>& taken, std::thread& outTaker) {
    outTaker = std::thread([&mutex, &taken] {
        mutex.Lock();
        taken = true;
        mutex.Unlock();
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (!taken && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return taken;
}

TEST(Mutex, RecursiveLockTwiceUnlockTwiceLeavesItFree) {
    Mutex mutex;
    mutex.Lock();
    mutex.Lock();  // would deadlock if not recursive
    mutex.Unlock();
    mutex.Unlock();
    std::atomic<bool> taken{false};
    std::thread taker;
    EXPECT_TRUE(FreeForAnotherThread(mutex, taken, taker));
    taker.join();
}

TEST(Mutex, StillHeldAfterOneUnlockOfTwo) {
    Mutex mutex;
    mutex.Lock();
    mutex.Lock();
    mutex.Unlock();
    std::atomic<bool> taken{false};
    std::thread taker;
    EXPECT_FALSE(FreeForAnotherThread(mutex, taken, taker));
    mutex.Unlock();
    taker.join();
}

TEST(Mutex, ScopedLockGuardsACounter) {
    Mutex mutex;
    int counter = 0;
    auto work = [&] {
        for (int i = 0; i < 10000; ++i) {
            MutexLock lock(mutex);
            MutexLock again(mutex);
            ++counter;
        }
    };
    std::thread a(work);
    std::thread b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 20000);
}

}  // namespace
}  // namespace Varnok
