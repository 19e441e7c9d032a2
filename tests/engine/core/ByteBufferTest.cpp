#include "engine/core/ByteBuffer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ByteBuffer, GrowAddsCapacityAndKeepsTheUsedPart) {
    Varnok::ByteBuffer buffer;
    buffer.Grow(0);
    buffer.Grow(-3);
    EXPECT_EQ(buffer.Capacity(), 0);
    buffer.Grow(4);
    EXPECT_EQ(buffer.Capacity(), 4);
    buffer.Append("abc", 3);
    buffer.Grow(10);
    EXPECT_EQ(buffer.Capacity(), 14);
    ASSERT_EQ(buffer.Size(), 3);
    EXPECT_EQ(memcmp(buffer.Data(), "abc", 3), 0);

    buffer.Append("0123456789012345", 16);  // past the capacity: grows
    EXPECT_EQ(buffer.Size(), 19);
    EXPECT_GE(buffer.Capacity(), 19);
    EXPECT_EQ(memcmp(buffer.Data(), "abc0123456789012345", 19), 0);

    const Varnok::ByteBuffer copy(buffer);
    EXPECT_EQ(copy.Size(), 19);
    EXPECT_EQ(memcmp(copy.Data(), buffer.Data(), 19), 0);
}

}  // namespace
