#include "engine/core/Clock.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <ctime>

using namespace Varnok;

TEST(Clock, MicrosecondsStartAtZeroAndNeverGoBack) {
    // The first call of the process may have happened in another test; the
    // answer is still small and never decreases.
    uint64_t previous = GetMicroseconds();
    for (int i = 0; i < 1000; ++i) {
        const uint64_t now = GetMicroseconds();
        ASSERT_GE(now, previous);
        previous = now;
    }
}

TEST(Clock, ConversionsAgree) {
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

TEST(Clock, DateTimeInUtcStoresTheLocalFlagAsGiven) {
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
