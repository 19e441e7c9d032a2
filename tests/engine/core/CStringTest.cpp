#include "engine/core/CString.h"

#include <gtest/gtest.h>

namespace {

using namespace Varnok;

TEST(CString, ComparesBytesAsSignedValues) {
    EXPECT_EQ(StrCompare("abc", "abc"), 0);
    EXPECT_EQ(StrCompare("abd", "abc"), 1);
    EXPECT_EQ(StrCompare("ab", "abc"), -1);
    EXPECT_EQ(StrCompare("abc", "ab"), 1);
    EXPECT_EQ(StrCompare("\xE9", "a"), -1);  // 0xE9 is -23
    EXPECT_EQ(StrCompareNoCase("HeLLo", "hello"), 0);
    EXPECT_EQ(StrCompareNoCase("B", "a"), 1);
}

TEST(CString, LowersInPlace) {
    char text[] = "MiXeD 12 \xC9";
    StrToLower(text);
    EXPECT_STREQ(text, "mixed 12 \xC9");
    StrToLower(nullptr);
    char copy[16];
    EXPECT_EQ(StrCopy(copy, "abc"), copy);
    EXPECT_STREQ(copy, "abc");
    EXPECT_EQ(StrLength("abcd"), 4);
}

TEST(CString, ParsesIntegers) {
    const struct {
        const char* text;
        int64_t value;
        int stop;
    } cases[] = {
        {"123", 123, 3},
        {"-45x", -45, 3},
        {"+7", 7, 2},
        {"abc", 0, 0},
        {"9223372036854775807", INT64_MAX, 19},
        {"18446744073709551617", 1, 20},  // wraps
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const char* end = nullptr;
        EXPECT_EQ(StrToInt64(c.text, &end), c.value);
        EXPECT_EQ(end - c.text, c.stop);
    }
    EXPECT_EQ(ParseInt64(" \t-12 "), -12);
    EXPECT_EQ(StrToInt64(" 5", nullptr), 0);  // no blank skipping here
}

TEST(CString, FormatStringCutsAtTheBufferSize) {
    char buffer[8];
    EXPECT_EQ(FormatString(buffer, sizeof(buffer), "%d-%s", 12, "ab"), 5);
    EXPECT_STREQ(buffer, "12-ab");
    EXPECT_EQ(FormatString(buffer, sizeof(buffer), "%s", "0123456789"), 7);
    EXPECT_STREQ(buffer, "0123456");
}

}  // namespace
