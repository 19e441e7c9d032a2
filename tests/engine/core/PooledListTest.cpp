#include "engine/core/PooledList.h"

#include <gtest/gtest.h>

#include <vector>

namespace Varnok {
namespace {

std::vector<int> Values(const PooledList<int>& list) {
    std::vector<int> values;
    for (int v : list) {
        values.push_back(v);
    }
    return values;
}

TEST(PooledList, PushFrontAndRemoveAnywhere) {
    FixedPool pool(sizeof(PooledList<int>::Node));
    PooledList<int> list(&pool);
    auto* n1 = list.PushFront(1);
    auto* n2 = list.PushFront(2);
    auto* n3 = list.PushFront(3);
    auto* n4 = list.PushFront(4);
    EXPECT_EQ(Values(list), (std::vector<int>{4, 3, 2, 1}));
    EXPECT_EQ(list.Count(), 4);

    list.Remove(n3);  // middle
    EXPECT_EQ(Values(list), (std::vector<int>{4, 2, 1}));
    list.Remove(n4);  // head
    list.Remove(n1);  // tail
    EXPECT_EQ(Values(list), (std::vector<int>{2}));
    EXPECT_EQ(list.Head(), n2);
    EXPECT_EQ(list.Tail(), n2);
    list.Remove(n2);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.Head(), nullptr);
    EXPECT_EQ(list.Tail(), nullptr);
    EXPECT_EQ(list.begin(), list.end());

    // Nodes went back to the pool: the next push reuses one.
    EXPECT_EQ(list.PushFront(5), n2);
}

TEST(PooledList, EraseWhileIteratingAndClear) {
    PooledList<int> list;  // heap nodes
    for (int i = 0; i < 6; ++i) {
        list.PushFront(i);
    }
    for (auto it = list.begin(); it != list.end();) {
        it = *it % 2 == 0 ? list.Erase(it) : ++it;
    }
    EXPECT_EQ(Values(list), (std::vector<int>{5, 3, 1}));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    list.PushFront(7);  // the destructor clears what is left
}

TEST(PooledList, ExhaustedPoolAndTooSmallBlocks) {
    LinearArena arena(2 * (8 + sizeof(PooledList<int>::Node)));
    FixedPool pool(sizeof(PooledList<int>::Node), &arena);
    PooledList<int> list(&pool);
    EXPECT_NE(list.PushFront(1), nullptr);
    EXPECT_NE(list.PushFront(2), nullptr);
    EXPECT_EQ(list.PushFront(3), nullptr);
    EXPECT_EQ(list.Count(), 2);

    FixedPool tiny(8);
    PooledList<int> fallback(&tiny);  // logged; nodes come from the heap
    EXPECT_NE(fallback.PushFront(1), nullptr);
}

struct Record {
    float time;
    int kind;
};

TEST(NodePool, HandsOutZeroedRecordsUntilEmpty) {
    NodePool<Record> pool;
    EXPECT_EQ(pool.Take(), nullptr);  // nothing reserved
    pool.Reserve(100);
    EXPECT_EQ(pool.GetCapacity(), 100);
    std::vector<Record*> taken;
    for (int i = 0; i < 100; ++i) {
        Record* r = pool.Take();
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->time, 0.0f);
        EXPECT_EQ(r->kind, 0);
        taken.push_back(r);
    }
    EXPECT_EQ(pool.Take(), nullptr);
    pool.Give(taken[42]);
    EXPECT_EQ(pool.Take(), taken[42]);
}

TEST(NodePool, RefusesDoubleAndForeignReturns) {
    NodePool<Record> pool;
    pool.Reserve(2);
    Record* a = pool.Take();
    pool.Give(a);
    pool.Give(a);  // logged, ignored
    Record outsider{};
    pool.Give(&outsider);  // logged, ignored
    pool.Give(nullptr);
    EXPECT_EQ(pool.GetAvailable(), 2);
    Record* first = pool.Take();
    Record* second = pool.Take();
    EXPECT_NE(first, second);
    EXPECT_EQ(pool.Take(), nullptr);
}

}  // namespace
}  // namespace Varnok
