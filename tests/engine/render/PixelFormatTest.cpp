#include "engine/render/PixelFormat.h"

#include "engine/core/BinaryStream.h"
#include "engine/render/TextureImage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace Varnok {
namespace {

using namespace ChannelIds;

// GL_RGBA with GL_UNSIGNED_BYTE: bytes red, green, blue, alpha in memory.

TEST(PixelFormat, BitsAndChannels) {
    EXPECT_EQ(PixelFormat::GetBitsPerPixel(kRgba8Descriptor), 32);
    EXPECT_EQ(PixelFormat::GetBitsPerPixel(kRgb565Descriptor), 16);
    EXPECT_TRUE(PixelFormat::HasChannel(kRgba8Descriptor, kA));
    EXPECT_FALSE(PixelFormat::HasChannel(kRgb8Descriptor, kA));
    // The flag bit is ignored, and an entry of 0 bits is absent whatever its id.
    PixelDescriptor flagged = kRgb8Descriptor;
    flagged.channels[1].id = kG | kChannelFlag;
    flagged.channels[3].id = kA;
    EXPECT_TRUE(PixelFormat::HasChannel(flagged, kG));
    EXPECT_FALSE(PixelFormat::HasChannel(flagged, kA));
}

TEST(PixelFormat, CompareOrdersFieldByField) {
    EXPECT_EQ(PixelFormat::Compare(kRgba8Descriptor, kRgba8Descriptor), 0);

    PixelDescriptor absentId = kRgb8Descriptor;
    absentId.channels[3].id = kA;  // the id of a 0-bit entry says nothing
    EXPECT_EQ(PixelFormat::Compare(kRgb8Descriptor, absentId), 0);

    auto with = [](PixelDescriptor d, auto change) {
        change(d);
        return d;
    };
    const struct {
        const char* what;
        PixelDescriptor first;
        PixelDescriptor second;
    } cases[] = {
        {"encoding before everything",
         with(kRgba8Descriptor, [](PixelDescriptor& d) { d.variant = 9; }),
         with(kRgb8Descriptor, [](PixelDescriptor& d) { d.encoding = 1; })},
        {"variant before bits", with(kRgba8Descriptor, [](PixelDescriptor&) {}),
         with(kRgb8Descriptor, [](PixelDescriptor& d) { d.variant = 1; })},
        {"fewer bits per pixel first", kRgb565Descriptor, kRgb8Descriptor},
        {"first entry's bit count",
         with(kRgb8Descriptor,
              [](PixelDescriptor& d) {
                  d.channels[0].bits = 7;
                  d.channels[1].bits = 9;
              }),
         kRgb8Descriptor},
        {"then its id", with(kRgb8Descriptor, [](PixelDescriptor& d) { d.channels[0].id = kA; }),
         kRgb8Descriptor},
        {"then its flag", kRgb8Descriptor,
         with(kRgb8Descriptor, [](PixelDescriptor& d) { d.channels[0].id |= kChannelFlag; })},
        {"byte order low byte", kRgb8Descriptor,
         with(kRgb8Descriptor, [](PixelDescriptor& d) { d.byteOrder = 0x0001; })},
        {"byte order low byte before the flag",
         with(kRgb8Descriptor, [](PixelDescriptor& d) { d.byteOrder = 0x0100; }),
         with(kRgb8Descriptor, [](PixelDescriptor& d) { d.byteOrder = 0x0001; })},
        {"flag before group size",
         with(kRgb8Descriptor, [](PixelDescriptor& d) { d.byteOrder = 0x0200; }),
         with(kRgb8Descriptor, [](PixelDescriptor& d) { d.byteOrder = 0x0100; })},
        {"group size before group count",
         with(kRgb8Descriptor, [](PixelDescriptor& d) { d.byteOrder = 0xF000; }),
         with(kRgb8Descriptor, [](PixelDescriptor& d) { d.byteOrder = 0x0200; })},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_LT(PixelFormat::Compare(c.first, c.second), 0);
        EXPECT_GT(PixelFormat::Compare(c.second, c.first), 0);
    }
}

TEST(PixelFormat, ChannelCosts) {
    const struct {
        PixelChannel x;
        PixelChannel y;
        uint32_t cost;
    } cases[] = {
        {{8, kR}, {8, kR}, 8},
        {{8, kR}, {8, kL}, (1u << 17) + 8},
        {{8, kL}, {8, kG}, (1u << 17) + 8},
        {{8, kR}, {5, kR}, 1u << 6},
        {{5, kR}, {8, kR}, 1u << 7},  // widening costs double
        {{8, kR}, {8, kA}, (1u << 27) + 8},
        {{8, kA}, {8, kR}, (1u << 27) + 8},
        {{8, kL}, {8, kA}, (1u << 27) + 8},
        {{8, kX}, {8, kR}, 0},
        {{0, kX}, {8, kA}, 0},
        {{8, kX}, {8, kX}, 8},
        {{8, kX}, {0, kX}, 1u << 11},
        {{8, 9}, {8, kR}, 8},  // unknown ids carry only the bit penalty
        {{0, kR}, {27, kR}, 1u << 31},
        {{0, kR}, {28, kR}, 0},  // the exponent reached 32
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.x.bits) << "/" << int(c.x.id) << " as "
                                        << int(c.y.bits) << "/" << int(c.y.id));
        EXPECT_EQ(PixelFormat::ChannelCost(c.x, c.y), c.cost);
    }
}

TEST(PixelFormat, DistanceRanksTheNearestLayout) {
    const PixelChannel* rgb = kRgb8Descriptor.channels;
    // Each entry goes to the cheapest entry of the other layout; the position
    // adds 8 per step.
    EXPECT_EQ(PixelFormat::Distance(rgb, kRgb8Descriptor.channels, 4), 0u + 8 + 16 + 0);
    EXPECT_EQ(PixelFormat::Distance(rgb, kRgba8Descriptor.channels, 4), 24u + 16 + 8 + 0);
    EXPECT_LT(PixelFormat::Distance(rgb, kRgb8Descriptor.channels, 4),
              PixelFormat::Distance(rgb, kRgba8Descriptor.channels, 4));
    // Ties go to the first entry.
    const PixelChannel twoReds[2] = {{8, kR}, {8, kR}};
    const PixelChannel red[2] = {{8, kR}, {}};
    EXPECT_EQ(PixelFormat::Distance(red, twoReds, 2), 0u);
}

TEST(PixelFormat, ReadsStoredByteOrderAndShortData) {
    const uint8_t stored[12] = {0, 0, 0x12, 0x03, 8, kA, 8, kB, 8, kG, 8, kR};
    BinaryStreamReader reader(stored, sizeof stored, kNativeByteOrder);
    PixelDescriptor d;
    ASSERT_TRUE(PixelFormat::Read(reader, d));
    EXPECT_EQ(d.byteOrder, 0x3012);  // 4 groups of 1 byte
    EXPECT_EQ(PixelFormat::Compare(d,
                                   [] {
                                       PixelDescriptor e = kRgba8Descriptor;
                                       e.byteOrder = 0x3012;
                                       return e;
                                   }()),
              0);

    // Flag, size and count travel to their places and back.
    for (unsigned high = 0; high < 256; ++high) {
        const uint16_t word = static_cast<uint16_t>(high << 8);
        const uint8_t bytes[4] = {0, 0, 0, PixelFormat::StoredOrderByte(word)};
        BinaryStreamReader r(bytes, sizeof bytes, kNativeByteOrder);
        PixelDescriptor back;
        PixelFormat::Read(r, back);
        EXPECT_EQ(back.byteOrder, word);
    }
    EXPECT_EQ(PixelFormat::StoredOrderByte(0x0100), 0x80);  // the flag
    EXPECT_EQ(PixelFormat::StoredOrderByte(0x0200), 0x10);  // groups of 2 bytes

    BinaryStreamReader shortReader(stored, 7, kNativeByteOrder);
    PixelDescriptor partial;
    EXPECT_FALSE(PixelFormat::Read(shortReader, partial));
    EXPECT_EQ(partial.channels[1].bits, 8);
    EXPECT_EQ(partial.channels[1].id, 0);
    EXPECT_EQ(partial.channels[3].bits, 0);
}

TEST(PixelFormat, ReorderReversesGroupsOfWholeUnits) {
    const uint8_t bytes[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const struct {
        const char* what;
        uint16_t word;
        std::vector<uint8_t> expected;
    } cases[] = {
        {"four single bytes", 0x3000, {4, 3, 2, 1, 8, 7, 6, 5, 0xEE}},
        {"two pairs", 0x1200, {3, 4, 1, 2, 7, 8, 5, 6, 0xEE}},
        {"two single bytes", 0x1000, {2, 1, 4, 3, 6, 5, 8, 7, 0xEE}},
        {"canonical", 0x0FFF, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> out(9, 0xEE);
        PixelFormat::Reorder(out.data(), bytes, 9, c.word);
        EXPECT_EQ(out, c.expected);

        std::vector<uint8_t> inPlace(bytes, bytes + 9);
        PixelFormat::Reorder(inPlace.data(), inPlace.data(), 9, c.word);
        std::vector<uint8_t> expectedInPlace = c.expected;
        expectedInPlace[8] = 9;  // untouched
        EXPECT_EQ(inPlace, expectedInPlace);
    }
    // 16 groups of 8 bytes: the largest unit.
    std::vector<uint8_t> big(128);
    for (int i = 0; i < 128; ++i) {
        big[i] = static_cast<uint8_t>(i);
    }
    PixelFormat::Reorder(big.data(), big.data(), big.size(), 0xFE00);
    EXPECT_EQ(big[0], 120);
    EXPECT_EQ(big[127], 7);
}

TEST(PixelFormat, NamedLayoutsAreWhatGlUploads) {
    // Memory bytes red, green, blue, alpha read back as the canonical alpha,
    // blue, green, red that kRgba8Descriptor names.
    const uint8_t rgba[4] = {0x11, 0x22, 0x33, 0x44};
    uint8_t canonical[4] = {};
    PixelFormat::Reorder(canonical, rgba, 4, kRgba8Descriptor.byteOrder);
    EXPECT_EQ(canonical[0], 0x44);
    EXPECT_EQ(canonical[3], 0x11);
    EXPECT_EQ(kRgba8Descriptor.channels[0].id, PixelChannelId::Alpha);
    EXPECT_EQ(kRgba8Descriptor.channels[3].id, PixelChannelId::Red);
    EXPECT_EQ(PixelFormat::GetBitsPerPixel(kRgba8Descriptor), 32);
    EXPECT_EQ(PixelFormat::GetBitsPerPixel(kRgb8Descriptor), 24);
    EXPECT_LT(kRgb8Descriptor.byteOrder, kCanonicalOrderLimit);  // stored as read

    const TextureDescription d = RgbaDescription(5, 3);
    EXPECT_EQ(PixelFormat::Compare(d.pixelFormat, kRgba8Descriptor), 0);
    EXPECT_EQ(d.kind, TextureKind::Flat);
    EXPECT_EQ(d.width, 5);
    EXPECT_EQ(d.height, 3);
    EXPECT_EQ(d.apparentWidth, 5u);
    EXPECT_EQ(d.apparentHeight, 3u);
    EXPECT_EQ(d.imageCount, 1);
    EXPECT_EQ(d.mipCount, 1);
}

TEST(PixelFormat, LevelByteCounts) {
    const PixelDescriptor dxt1{PixelEncoding::S3tc, 1, 0, {{8, kB}, {8, kG}, {8, kR}, {8, kX}}};
    const PixelDescriptor dxt5{PixelEncoding::S3tc, 5, 0, {{8, kB}, {8, kG}, {8, kR}, {8, kA}}};
    const PixelDescriptor pvrtc{PixelEncoding::Pvrtc, 4, 0, {}};
    const struct {
        PixelDescriptor format;
        uint32_t width;
        uint32_t height;
        uint64_t bytes;
    } cases[] = {
        {kRgba8Descriptor, 3, 5, 60},
        {kRgb565Descriptor, 0, 0, 2},  // at least one pixel
        {dxt1, 64, 64, 2048},
        {dxt1, 2, 1, 8},
        {dxt5, 6, 4, 32},
        {kEtc1RgbDescriptor, 6, 6, 32},
        {{0, 0, 0, {{4, kL}, {}, {}, {}}}, 3, 1, 2},             // rounded up to whole bytes
        {kRgba8Descriptor, 65535, 65535, 65535ull * 65535 * 4},  // no 32-bit overflow
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        uint64_t bytes = 0;
        EXPECT_TRUE(PixelFormat::GetLevelByteCount(c.format, c.width, c.height, bytes));
        EXPECT_EQ(bytes, c.bytes);
    }
    uint64_t unused = 0;
    EXPECT_FALSE(PixelFormat::GetLevelByteCount(pvrtc, 8, 8, unused));
}

}  // namespace
}  // namespace Varnok
