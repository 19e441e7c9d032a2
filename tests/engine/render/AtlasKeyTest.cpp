#include "engine/render/AtlasKey.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

TEST(AtlasKey, AppendsBitsLeastSignificantFirst) {
    AtlasKey key;
    const uint8_t three = 0x5;  // bits 1, 0, 1
    key.AppendBits(&three, 3);
    key.AppendBits(&three, 3);
    EXPECT_EQ(key.usedBits, 6u);
    EXPECT_EQ(key.bytes[0], 0x2D);  // 101 then 101 above it

    const uint16_t word = 0xABCD;
    key.AppendBits(&word, 16);  // straddles bytes 0..2
    EXPECT_EQ(key.usedBits, 22u);
    EXPECT_EQ(key.bytes[0], static_cast<uint8_t>(0x2D | (0xCD << 6)));
    EXPECT_EQ(key.bytes[1], static_cast<uint8_t>((0xABCD >> 2) & 0xFF));
    EXPECT_EQ(key.bytes[2], static_cast<uint8_t>((0xABCD >> 10) & 0x3F));
}

TEST(AtlasKey, StopsAt96Bits) {
    AtlasKey key;
    const uint8_t ones[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                              0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    key.AppendBits(ones, 90);
    key.AppendBits(ones, 20);
    EXPECT_EQ(key.usedBits, 96u);
    for (uint8_t byte : key.bytes) {
        EXPECT_EQ(byte, 0xFF);
    }
    key.AppendBits(ones, 8);
    EXPECT_EQ(key.usedBits, 96u);
}

TEST(AtlasKey, ComparesOnlyTheKeyBytes) {
    AtlasKey a;
    AtlasKey b;
    EXPECT_FALSE(a.IsValid());
    const uint32_t value = 0x1234;
    a.AppendBits(&value, 32);
    b.AppendBits(&value, 16);  // same bytes, fewer bits used
    EXPECT_TRUE(a.IsValid());
    EXPECT_EQ(a, b);
    EXPECT_EQ(AtlasKey::FromNameHash(0x1234), a);
    a.Clear();
    EXPECT_EQ(a.usedBits, 0u);
    EXPECT_FALSE(a.IsValid());
    EXPECT_NE(a, b);
}

}  // namespace
}  // namespace Varnok
