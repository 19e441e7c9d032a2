#include "engine/core/MemoryPool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace Varnok {
namespace {

uint32_t WordAt(const void* at) {
    uint32_t word;
    std::memcpy(&word, at, 4);
    return word;
}

TEST(FixedPool, RecyclesFreedBlocksFirst) {
    FixedPool pool(24);
    void* a = pool.Alloc();
    void* b = pool.Alloc();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    pool.Free(b);
    pool.Free(a);
    EXPECT_EQ(pool.Alloc(), a);  // last freed, first out
    EXPECT_EQ(pool.Alloc(), b);
    pool.Free(nullptr);
    pool.Free(a);
    pool.Free(b);  // the destructor frees what sits on the free list
}

TEST(FixedPool, SmallBlocksStillHoldTheFreeLink) {
    FixedPool pool(1);
    EXPECT_EQ(pool.GetBlockSize(), sizeof(void*));
    void* a = pool.Alloc();
    pool.Free(a);
    EXPECT_EQ(pool.Alloc(), a);
    pool.Free(a);
}

TEST(FixedPool, ArenaBackedPoolRunsOutThenRecycles) {
    // Room for exactly two 16-byte blocks with their 8-byte headers.
    LinearArena arena(48);
    FixedPool pool(16, &arena);
    void* a = pool.Alloc();
    void* b = pool.Alloc();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(pool.Alloc(), nullptr);
    pool.Free(a);
    EXPECT_EQ(pool.Alloc(), a);
}

TEST(LinearArena, HeaderAndRounding) {
    LinearArena arena(64);
    uint8_t* a = static_cast<uint8_t*>(arena.Alloc(5, 7));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(WordAt(a - 8), 16u);  // whole size: header 8 + data rounded to 8
    EXPECT_EQ(WordAt(a - 4), 7u);   // tag
    uint8_t* b = static_cast<uint8_t*>(arena.Alloc(8, 1));
    EXPECT_EQ(b, a + 16);
    EXPECT_EQ(arena.GetUsedBytes(), 32u);
    // 32 bytes left: a 24-byte block fits exactly, then nothing does.
    EXPECT_NE(arena.Alloc(24, 1), nullptr);
    EXPECT_EQ(arena.Alloc(0, 1), nullptr);
    EXPECT_EQ(arena.Alloc(SIZE_MAX, 1), nullptr);
}

TEST(LinearArena, RawModeHandsOutTheBumpPointer) {
    LinearArena arena(32, 0, true);
    uint8_t* a = static_cast<uint8_t*>(arena.Alloc(4, 0));
    uint8_t* b = static_cast<uint8_t*>(arena.Alloc(16, 0));
    EXPECT_EQ(b, a + 8);
    EXPECT_NE(arena.Alloc(8, 0), nullptr);
    EXPECT_EQ(arena.Alloc(1, 0), nullptr);
}

TEST(LinearArena, GuardWordsFrameTheData) {
    LinearArena arena(128, 16);
    uint8_t* data = static_cast<uint8_t*>(arena.Alloc(8, 3));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(WordAt(data - 8 - 8), 8u + 16u + 8u);  // header, guards and data
    EXPECT_EQ(WordAt(data - 4), LinearArena::kGuardWord);
    EXPECT_EQ(WordAt(data - 8), LinearArena::kGuardWord);
    EXPECT_EQ(WordAt(data + 8), LinearArena::kGuardWord);
    EXPECT_EQ(WordAt(data + 12), LinearArena::kGuardWord);
}

TEST(MemFill, FillsExactlyCountBytes) {
    uint8_t buffer[8] = {};
    MemFill(buffer + 1, 0xAB, 6);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 0xAB);
    EXPECT_EQ(buffer[6], 0xAB);
    EXPECT_EQ(buffer[7], 0);
    MemFill(nullptr, 1, 0);
}

}  // namespace
}  // namespace Varnok
