#include "engine/core/ArenaAllocator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace Varnok {
namespace {

uint8_t* Bytes(void* p) {
    return static_cast<uint8_t*>(p);
}

// The arena's per-block overhead, read from two neighbouring 8-byte blocks.
size_t HeaderSize() {
    ArenaAllocator arena(1024);
    uint8_t* a = Bytes(arena.Alloc(8, "a"));
    uint8_t* b = Bytes(arena.Alloc(8, "b"));
    return static_cast<size_t>(b - a) - 8;
}

TEST(ArenaAllocator, FreedLowerBlockIsReusedFirstFit) {
    ArenaAllocator arena(4096, "Lists");
    void* a = arena.Alloc(64, "a");
    void* b = arena.Alloc(64, "b");
    void* c = arena.Alloc(64, "c");
    ASSERT_NE(c, nullptr);
    arena.Free(b);
    EXPECT_STREQ(ArenaAllocator::GetBlockName(b), "unnamed");
    EXPECT_EQ(arena.Alloc(64, "again"), b);
    EXPECT_STREQ(ArenaAllocator::GetBlockName(b), "again");
    EXPECT_STREQ(ArenaAllocator::GetBlockName(a), "a");
    EXPECT_EQ(ArenaAllocator::GetBlockName(nullptr), nullptr);
}

TEST(ArenaAllocator, FreeingTheTopReturnsItAndFreeBlocksBelow) {
    const size_t header = HeaderSize();
    ArenaAllocator arena(4096);
    void* a = arena.Alloc(64, "a");
    void* b = arena.Alloc(64, "b");
    void* c = arena.Alloc(64, "c");
    arena.Free(b);  // stays in the arena as a free block
    EXPECT_EQ(arena.GetUsedBytes(), 3 * (header + 64));
    arena.Free(c);  // the top: c and b go back to the bump area
    EXPECT_EQ(arena.GetUsedBytes(), header + 64);
    // A block as large as b and c together now starts where b did.
    EXPECT_EQ(arena.Alloc(64 + header + 64, "bc"), b);

    arena.Free(a);
    arena.Free(b);
    EXPECT_EQ(arena.GetUsedBytes(), 0u);  // empty again
    EXPECT_EQ(arena.Alloc(8, "fresh"), a);
}

TEST(ArenaAllocator, FreeBlocksMergeWithFreeNeighbours) {
    const size_t header = HeaderSize();
    ArenaAllocator arena(4096);
    void* a = arena.Alloc(32, "a");
    void* b = arena.Alloc(32, "b");
    void* c = arena.Alloc(32, "c");
    void* d = arena.Alloc(32, "d");
    ASSERT_NE(d, nullptr);
    arena.Free(a);
    arena.Free(c);
    arena.Free(b);  // joins a before it and c after it
    // One block spanning a, b and c takes a request of all three.
    EXPECT_EQ(arena.Alloc(3 * 32 + 2 * header, "abc"), a);
    EXPECT_EQ(arena.GetUsedBytes(), 4 * (header + 32));
}

TEST(ArenaAllocator, SplitsOnlyWhenTheRestCanHoldData) {
    const size_t header = HeaderSize();
    ArenaAllocator arena(4096);
    void* big = arena.Alloc(256, "big");
    void* guard = arena.Alloc(8, "guard");  // keeps big off the top
    ASSERT_NE(guard, nullptr);
    arena.Free(big);

    // Split: the front is taken, the rest stays free right after it.
    void* front = arena.Alloc(64, "front");
    EXPECT_EQ(front, big);
    void* next = arena.Alloc(64, "next");
    EXPECT_EQ(Bytes(next), Bytes(front) + 64 + header);
    EXPECT_STREQ(ArenaAllocator::GetBlockName(next), "next");

    // What is left after two splits fits one more block exactly.
    const size_t rest = (header + 256) - 2 * (header + 64);  // whole bytes left
    const size_t used = arena.GetUsedBytes();
    void* whole = arena.Alloc(rest - header, "whole");
    EXPECT_EQ(Bytes(whole), Bytes(next) + 64 + header);
    EXPECT_EQ(arena.GetUsedBytes(), used);  // no fresh space taken
}

TEST(ArenaAllocator, RestNoBiggerThanAHeaderIsNotSplitOff) {
    const size_t header = HeaderSize();
    const struct {
        const char* what;
        size_t request;      // from a free block of 256 data bytes
        bool restReusable;   // whether an 8-byte block then fits in the rest
    } cases[] = {
        {"rest of a header: taken whole", 256 - header, false},
        {"rest of a header and 8: split", 256 - header - 8, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ArenaAllocator arena(4096);
        void* big = arena.Alloc(256, "big");
        ASSERT_NE(arena.Alloc(8, "top"), nullptr);
        arena.Free(big);
        EXPECT_EQ(arena.Alloc(c.request, "front"), big);
        const size_t used = arena.GetUsedBytes();
        ASSERT_NE(arena.Alloc(c.restReusable ? 8 : 0, "rest"), nullptr);
        EXPECT_EQ(arena.GetUsedBytes() == used, c.restReusable);
    }
}

TEST(ArenaAllocator, FullArenaAndBadFrees) {
    const size_t header = HeaderSize();
    ArenaAllocator arena(2 * (header + 16));
    void* a = arena.Alloc(16, "a");
    void* b = arena.Alloc(16, "b");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(arena.Alloc(1, "c"), nullptr);
    EXPECT_EQ(arena.Alloc(SIZE_MAX, "huge"), nullptr);

    arena.Free(nullptr);
    arena.Free(a);
    arena.Free(a);  // already free: nothing
    int local = 0;
    arena.Free(&local);  // not from this arena: logged, ignored
    EXPECT_EQ(arena.Alloc(16, "a again"), a);
}

TEST(ArenaAllocator, ZeroSizedBlocksAreDistinct) {
    ArenaAllocator arena(1024);
    void* a = arena.Alloc(0, "a");
    void* b = arena.Alloc(0, "b");
    ASSERT_NE(a, nullptr);
    EXPECT_NE(a, b);
    arena.Free(a);
    arena.Free(b);
    EXPECT_EQ(arena.GetUsedBytes(), 0u);
}

}  // namespace
}  // namespace Varnok
