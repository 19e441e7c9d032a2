#include "engine/core/TextBuffer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

using Varnok::AsciiString;
using Varnok::TextBuffer;

TEST(TextBuffer, StartsEmptyAndTerminatedWhateverTheCapacity) {
    for (int capacity : {-5, 0, 1, 16}) {
        SCOPED_TRACE(capacity);
        TextBuffer buffer(capacity);
        EXPECT_GE(buffer.Capacity(), 1);
        EXPECT_EQ(buffer.Length(), 0);
        EXPECT_STREQ(buffer.Data(), "");
        EXPECT_TRUE(buffer.ToString().IsEmpty());
    }
}

TEST(TextBuffer, AppendsAndGrowsByHalfAsMuchAgainAsNeeded) {
    TextBuffer buffer(4);
    buffer.Append("abc");  // needs exactly 4: no growth
    EXPECT_EQ(buffer.Capacity(), 4);
    buffer.Append("d");  // needs 5: grows to 5 * 3 / 2 + 1
    EXPECT_EQ(buffer.Capacity(), 8);
    buffer.Append(nullptr);
    buffer.Append("");
    buffer.AppendString(AsciiString(" and a string longer than the inline part"));
    buffer.AppendString(AsciiString());
    buffer.AppendULong(0);
    buffer.AppendULong(ULONG_MAX);
    const std::string expected =
        "abcd and a string longer than the inline part0" + std::to_string(ULONG_MAX);
    EXPECT_STREQ(buffer.Data(), expected.c_str());
    EXPECT_EQ(buffer.Length(), static_cast<int>(expected.size()));
    EXPECT_GT(buffer.Capacity(), buffer.Length());
    EXPECT_STREQ(buffer.ToString().c_str(), expected.c_str());
}

TEST(TextBuffer, KeepsEmbeddedZerosOfEngineStrings) {
    TextBuffer buffer(1);
    buffer.AppendString(AsciiString("a\0b", 3));
    EXPECT_EQ(buffer.Length(), 3);
    const AsciiString copy = buffer.ToString();
    EXPECT_EQ(copy.Length(), 3);
    EXPECT_EQ(memcmp(copy.c_str(), "a\0b", 4), 0);
}

TEST(PrefixLines, WritesThePrefixByMode) {
    const struct {
        const char* text;
        int mode;
        const char* expected;
    } cases[] = {
        {"a\nb", 0, "> a\n> b"},
        {"a\nb", 1, "> a\nb"},
        {"a\nb", 2, "a\n> b"},
        {"a\nb", 3, "a\nb"},
        {"a\nb", 7, "a\nb"},
        {"a\n", 0, "> a\n> "},  // a closing newline is followed by the prefix too
        {"\n\n", 2, "\n> \n> "},
        {"", 0, "> "},
        {"", 2, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" mode " << c.mode);
        AsciiString out("old");
        Varnok::PrefixLines(out, c.text, "> ", c.mode);
        EXPECT_STREQ(out.c_str(), c.expected);
    }

    AsciiString out("old");
    Varnok::PrefixLines(out, nullptr, nullptr, 0);
    EXPECT_STREQ(out.c_str(), "");
}

TEST(PrefixLines, CopiesLinesLongerThanItsScratchWhole) {
    const std::string longLine(3000, 'x');
    const std::string text = longLine + "\n" + longLine;
    AsciiString out;
    Varnok::PrefixLines(out, text.c_str(), "  ", 0);
    EXPECT_EQ(std::string(out.c_str()), "  " + longLine + "\n  " + longLine);
}
