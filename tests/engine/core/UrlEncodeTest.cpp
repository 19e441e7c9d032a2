#include "engine/core/UrlEncode.h"

#include <gtest/gtest.h>

#include <string>

TEST(UrlEncode, EncodesByTheFlags) {
    const struct {
        const char* text;
        bool encodeReserved;
        bool spaceAsPlus;
        const char* expected;
    } cases[] = {
        {"AZaz09-.*_", false, true, "AZaz09-.*_"},
        {"a/b", false, true, "a%2Fb"},
        {"\xC3\xA9t\xC3\xA9", false, true, "%C3%A9t%C3%A9"},  // "été" in UTF-8
        {"a b", false, true, "a+b"},
        {"a b", false, false, "a%20b"},
        {"k=v&x=y", false, true, "k=v&x=y"},
        {"k=v&x=y", true, true, "k%3Dv%26x%3Dy"},
        {"~!+%?#:\x7F\xFF", false, false, "%7E%21%2B%25%3F%23%3A%7F%FF"},
        {"", true, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string out = "stale";
        const char* result = Varnok::UrlEncode(c.text, out, c.encodeReserved, c.spaceAsPlus);
        EXPECT_EQ(out, c.expected);
        EXPECT_EQ(result, out.c_str());
    }
}

TEST(UrlEncode, NullTextGivesAnEmptyString) {
    std::string out = "stale";
    EXPECT_STREQ(Varnok::UrlEncode(nullptr, out, false, true), "");
}
