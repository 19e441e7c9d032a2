// Version texts read into major, minor, patch and the comparable number.
#include "engine/iOS/GameVersion.h"

#include <gtest/gtest.h>

#include <climits>

namespace Varnok {
namespace {

TEST(GameVersion, ReadsOneDigitMinorAndFinalPatchInTenths) {
    const struct {
        const char* text;
        int major, minor, patch, number;
        const char* formatted;
    } cases[] = {
        {"1.0.0", 1, 0, 0, 10000, "0001.00.00"},
        {"1.0.4", 1, 0, 40, 10040, "0001.00.40"},
        {"2.13.5", 2, 13, 50, 21350, "0002.13.50"},
        {"1.5", 1, 50, 0, 15000, "0001.50.00"},
        {"10", 10, 0, 0, 100000, "0010.00.00"},
        {"1..3", 1, 0, 30, 10030, "0001.00.30"},
        {"1.2.34", 1, 20, 34, 12034, "0001.20.34"},
        {"", 0, 0, 0, 0, "0000.00.00"},
        // Clamped, not overflowed.
        {"99999999999.1", INT_MAX, 10, 0, INT_MAX, "2147483647.10.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const GameVersion version = ParseGameVersion(c.text);
        EXPECT_EQ(version.major, c.major);
        EXPECT_EQ(version.minor, c.minor);
        EXPECT_EQ(version.patch, c.patch);
        EXPECT_EQ(version.number, c.number);
        char formatted[64];
        FormatGameVersion(version, formatted, sizeof(formatted));
        EXPECT_STREQ(formatted, c.formatted);
    }
}

TEST(GameVersion, FormattingIsCutToTheBuffer) {
    char formatted[6] = "xxxxx";
    FormatGameVersion(ParseGameVersion("1.0.4"), formatted, sizeof(formatted));
    EXPECT_STREQ(formatted, "0001.");
    FormatGameVersion(ParseGameVersion("1.0.4"), formatted, 0);  // writes nothing
    EXPECT_STREQ(formatted, "0001.");
}

}  // namespace
}  // namespace Varnok
