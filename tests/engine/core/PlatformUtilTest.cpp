#include "engine/core/PlatformUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace Varnok;

TEST(PlatformClock, MicrosecondsStartAtZeroAndNeverGoBack) {
    // The first call of the process may have happened in another test; the
    // answer is still small and never decreases.
    uint64_t previous = GetMicroseconds();
    for (int i = 0; i < 1000; ++i) {
        const uint64_t now = GetMicroseconds();
        ASSERT_GE(now, previous);
        previous = now;
    }
}

TEST(PlatformClock, ConversionsAgree) {
    const uint64_t a = GetMachTime();
    EXPECT_EQ(ElapsedMilliseconds(a, a), 0.0f);
    EXPECT_FLOAT_EQ(ElapsedMilliseconds(a + 2500000, a), 2.5f);
    EXPECT_DOUBLE_EQ(MachTimeToNanoseconds(1234), 1234.0);
    EXPECT_FLOAT_EQ(MachTimeToMicroseconds(5000), 5.0f);

    // A real sleep shows up in both clocks.
    const uint64_t before = GetMicroseconds();
    const uint64_t start = GetMachTime();
    usleep(2000);
    EXPECT_GE(ElapsedMilliseconds(GetMachTime(), start), 1.9f);
    EXPECT_GE(GetMicroseconds() - before, 1900u);
}

TEST(PlatformClock, DateTimeInUtcStoresTheLocalFlagAsGiven) {
    DateTime record;
    record.local = 7;
    GetDateTime(&record, 0);
    EXPECT_EQ(record.local, 0);
    const time_t now = time(nullptr);
    tm utc{};
    gmtime_r(&now, &utc);
    EXPECT_EQ(record.yearsSince1900, utc.tm_year);
    EXPECT_EQ(record.dayOfYear, utc.tm_yday);
    EXPECT_EQ(record.daylightSaving, 0);
    EXPECT_NEAR(static_cast<double>(GetTime()), static_cast<double>(now), 2.0);

    GetDateTime(&record, 1);
    EXPECT_EQ(record.local, 1);
}

TEST(PlatformValues, MaxOf4) {
    EXPECT_EQ(MaxOf4(1, 4, 3, 2), 4.0f);
    EXPECT_EQ(MaxOf4(-1, -4, -3, -0.5f), -0.5f);
    EXPECT_EQ(MaxOf4(2, 2, 2, 2), 2.0f);
}

TEST(PlatformFiles, CreatesNestedDirectoriesAndRemovesThem) {
    char pattern[] = "/tmp/varnok_platform_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string root = pattern;
    const std::string deep = root + "/a/b/c";
    EXPECT_TRUE(CreateDirectory(deep.c_str()));
    EXPECT_TRUE(CreateDirectory(deep.c_str()));  // already there
    struct stat info {};
    EXPECT_EQ(stat(deep.c_str(), &info), 0);

    EXPECT_FALSE(RemoveFile((root + "/a").c_str()));  // not empty
    EXPECT_TRUE(RemoveFile(deep.c_str()));
    EXPECT_TRUE(RemoveFile((root + "/a/b").c_str()));
    EXPECT_TRUE(RemoveFile((root + "/a").c_str()));
    EXPECT_FALSE(RemoveFile((root + "/a").c_str()));
    EXPECT_TRUE(RemoveFile(root.c_str()));
}

TEST(PlatformImages, StretchesToPowersOfTwo) {
    // 320 x 480 becomes 512 x 512; each quadrant colour lands in the same quadrant.
    const int w = 320, h = 480;
    std::vector<uint8_t> pixels(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &pixels[(size_t(y) * w + x) * 4];
            p[0] = x < w / 2 ? 10 : 200;
            p[1] = y < h / 2 ? 20 : 220;
            p[2] = 30;
            p[3] = 255;
        }
    }
    int outW = 0, outH = 0;
    auto bitmap = UIImageHelper::ConvertImageToBitmapRGBA8({pixels.data(), w, h}, &outW, &outH);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(outW, 512);
    EXPECT_EQ(outH, 512);
    auto at = [&](int x, int y) { return bitmap.get() + (size_t(y) * 512 + x) * 4; };
    EXPECT_EQ(at(0, 0)[0], 10);
    EXPECT_EQ(at(511, 0)[0], 200);
    EXPECT_EQ(at(0, 511)[1], 220);
    EXPECT_EQ(at(255, 255)[1], 20);
    EXPECT_EQ(at(256, 256)[1], 220);

    // A 1 x 1 image stays 1 x 1; an empty one gives null and leaves the sizes.
    const uint8_t one[4] = {1, 2, 3, 4};
    bitmap = UIImageHelper::ConvertImageToBitmapRGBA8({one, 1, 1}, &outW, &outH);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(outW, 1);
    EXPECT_EQ(bitmap[3], 4);
    outW = -5;
    EXPECT_EQ(UIImageHelper::ConvertImageToBitmapRGBA8({one, 0, 1}, &outW, nullptr), nullptr);
    EXPECT_EQ(outW, -5);
}
