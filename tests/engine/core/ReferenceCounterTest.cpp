#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/WeakPtr.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using Varnok::ReferenceCounter;
using Varnok::SmartPtr;
using Varnok::WeakPtr;

// Counts its deletions in a caller's counter.
class Tracked : public ReferenceCounter {
public:
    explicit Tracked(std::atomic<int>* deletions) : m_deletions(deletions) {}
    ~Tracked() override {
        m_deletions->fetch_add(1);
        m_alive = 0;
        if (t_isLocker) {
            s_deletedByLocker.fetch_add(1);
        }
    }
    int Alive() const { return m_alive; }

    static thread_local bool t_isLocker;
    static std::atomic<int> s_deletedByLocker;

private:
    std::atomic<int>* m_deletions;
    int m_alive = 1;
};

thread_local bool Tracked::t_isLocker = false;
std::atomic<int> Tracked::s_deletedByLocker{0};

// Counting along two paths still gives one count.
class Left : public virtual Varnok::__ReferenceCounterData {};
class Right : public ReferenceCounter {};
class Both : public Left, public Right {
public:
    explicit Both(int* deletions) : m_deletions(deletions) {}
    ~Both() override { ++*m_deletions; }

private:
    int* m_deletions;
};

static_assert(sizeof(SmartPtr<Tracked>) == sizeof(void*), "SmartPtr is one word");

TEST(SmartPtr, CountsHoldersAndDeletesOnLastRelease) {
    std::atomic<int> deletions{0};
    auto* object = new Tracked(&deletions);
    EXPECT_EQ(object->GetReferenceCount(), 0);
    {
        SmartPtr<Tracked> a(object);
        SmartPtr<Tracked> b = a;
        EXPECT_EQ(object->GetReferenceCount(), 2);
        a = object;  // the object already held
        EXPECT_EQ(object->GetReferenceCount(), 2);
        a.Assign(a);
        EXPECT_EQ(object->GetReferenceCount(), 2);
        EXPECT_EQ(a, b);
        a.Clear();
        EXPECT_EQ(object->GetReferenceCount(), 1);
        EXPECT_EQ(deletions.load(), 0);
    }
    EXPECT_EQ(deletions.load(), 1);
}

TEST(SmartPtr, OneCountAcrossSeveralCountingPaths) {
    int deletions = 0;
    {
        SmartPtr<Left> left(new Both(&deletions));
        SmartPtr<Right> right(static_cast<Both*>(left.Get()));
        EXPECT_EQ(right->GetReferenceCount(), 2);
        left.Clear();
        EXPECT_EQ(deletions, 0);
    }
    EXPECT_EQ(deletions, 1);
}

TEST(WeakPtr, LocksWhileAliveAndGivesNullAfter) {
    std::atomic<int> deletions{0};
    SmartPtr<Tracked> strong(new Tracked(&deletions));
    WeakPtr<Tracked> weak(strong);
    {
        SmartPtr<Tracked> locked = weak.Lock();
        ASSERT_EQ(locked, strong);
        EXPECT_EQ(strong->GetReferenceCount(), 2);
        strong.Clear();  // the lock's reference keeps it
        EXPECT_EQ(deletions.load(), 0);
        EXPECT_EQ(locked->GetReferenceCount(), 1);
    }
    EXPECT_EQ(deletions.load(), 1);
    EXPECT_EQ(weak.Lock(), nullptr);
    EXPECT_EQ(weak.GetBlock()->GetLiveCount(), 0);  // the block outlives the object
    EXPECT_EQ(WeakPtr<Tracked>().Lock(), nullptr);
}

TEST(WeakPtr, ObjectDestroyedWithoutReleaseStillLocksToNull) {
    std::atomic<int> deletions{0};
    WeakPtr<Tracked> weak;
    {
        Tracked local(&deletions);
        weak = &local;
        EXPECT_EQ(weak.GetBlock()->GetLiveCount(), 1);
    }
    EXPECT_EQ(weak.Lock(), nullptr);
}

// Runs body(thread index) on `threads` threads, all released at once.
template <typename Body>
void RunTogether(int threads, Body body) {
    std::atomic<int> ready{0};
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&, t] {
            ready.fetch_add(1);
            while (ready.load() < threads) {
                std::this_thread::yield();
            }
            body(t);
        });
    }
    for (std::thread& thread : pool) {
        thread.join();
    }
}

TEST(WeakPtr, LockRacingTheLastReleaseDeletesExactlyOnce) {
    constexpr int kThreads = 4;
    constexpr int kIterations = 300;
    constexpr int kObjectsPerIteration = 16;
    std::atomic<int> deletions{0};
    std::atomic<int> locks{0};
    std::atomic<int> deadLocks{0};
    for (int i = 0; i < kIterations; ++i) {
        std::vector<SmartPtr<Tracked>> strong(kObjectsPerIteration);
        std::vector<WeakPtr<Tracked>> weak(kObjectsPerIteration);
        for (int k = 0; k < kObjectsPerIteration; ++k) {
            strong[k] = new Tracked(&deletions);
            weak[k] = strong[k];
        }
        RunTogether(kThreads, [&](int t) {
            for (int k = 0; k < kObjectsPerIteration; ++k) {
                if (t == 0) {
                    strong[k].Clear();  // the last release
                } else {
                    Tracked::t_isLocker = true;
                    SmartPtr<Tracked> locked = weak[k].Lock();
                    if (locked) {
                        locks.fetch_add(1);
                        deadLocks.fetch_add(locked->Alive() == 1 ? 0 : 1);
                    }
                }
            }
        });
        for (int k = 0; k < kObjectsPerIteration; ++k) {
            EXPECT_EQ(weak[k].Lock(), nullptr);
        }
        ASSERT_EQ(deletions.load(), (i + 1) * kObjectsPerIteration) << "iteration " << i;
    }
    // A locker never got a dead object (ASan catches a use after the delete).
    EXPECT_EQ(deadLocks.load(), 0);
    printf("[ info ] %d locks got the object, %d objects were deleted by a locker\n",
           locks.load(), Tracked::s_deletedByLocker.load());
}

TEST(WeakPtr, FirstWeakReferencesFromTwoThreadsShareOneBlock) {
    constexpr int kIterations = 300;
    std::atomic<int> deletions{0};
    for (int i = 0; i < kIterations; ++i) {
        SmartPtr<Tracked> strong(new Tracked(&deletions));
        WeakPtr<Tracked> weak[2];
        RunTogether(2, [&](int t) { weak[t] = strong; });
        ASSERT_NE(weak[0].GetBlock(), nullptr);
        ASSERT_EQ(weak[0].GetBlock(), weak[1].GetBlock());
        // The object's hold and the two weak pointers; the losing block was freed.
        EXPECT_EQ(weak[0].GetBlock()->GetReferenceCount(), 3);
        strong.Clear();
        EXPECT_EQ(weak[1].Lock(), nullptr);
    }
    EXPECT_EQ(deletions.load(), kIterations);
}

TEST(SmartPtr, OneSlotAssignedFromSeveralThreads) {
    constexpr int kThreads = 4;
    constexpr int kAssignments = 2000;
    std::atomic<int> deletions{0};
    std::atomic<int> made{0};
    SmartPtr<Tracked> shared;
    RunTogether(kThreads, [&](int) {
        for (int i = 0; i < kAssignments; ++i) {
            shared = new Tracked(&deletions);
            made.fetch_add(1);
        }
    });
    EXPECT_EQ(deletions.load(), made.load() - 1);
    EXPECT_EQ(shared->GetReferenceCount(), 1);
}

}  // namespace
