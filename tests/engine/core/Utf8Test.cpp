#include "engine/core/Utf8.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using Varnok::Utf8Decode;

TEST(Utf8Decode, DecodesEachFormAndReplacesMalformedSequences) {
    const struct {
        const char* what;
        const char* bytes;
        uint32_t codePoint;
        int consumed;  // bytes the cursor moves
    } cases[] = {
        {"ASCII", "A", 'A', 1},
        {"two bytes", "\xC3\xA9", 0xE9, 2},
        {"three bytes", "\xE2\x82\xAC", 0x20AC, 3},
        {"four bytes", "\xF0\x9F\x98\x80", 0x1F600, 4},
        {"highest code point", "\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
        // Four- to six-byte forms have no upper bound.
        {"above U+10FFFF", "\xF4\x90\x80\x80", 0x110000, 4},
        {"five bytes", "\xF8\x88\x80\x80\x80", 0x200000, 5},
        {"six bytes", "\xFD\xBF\xBF\xBF\xBF\xBF", 0x7FFFFFFF, 6},
        {"U+FFFD itself", "\xEF\xBF\xBD", 0xFFFD, 3},
        {"overlong two bytes", "\xC0\xAF", 0xFFFD, 2},
        {"overlong three bytes", "\xE0\x80\xAF", 0xFFFD, 3},
        {"overlong four bytes", "\xF0\x8F\xBF\xBF", 0xFFFD, 4},
        {"overlong five bytes", "\xF8\x87\xBF\xBF\xBF", 0xFFFD, 5},
        {"overlong six bytes", "\xFC\x83\xBF\xBF\xBF\xBF", 0xFFFD, 6},
        {"high surrogate", "\xED\xA0\x80", 0xFFFD, 3},
        {"low surrogate", "\xED\xBF\xBF", 0xFFFD, 3},
        {"U+FFFE", "\xEF\xBF\xBE", 0xFFFD, 3},
        {"U+FFFF", "\xEF\xBF\xBF", 0xFFFD, 3},
        {"stray continuation byte", "\x80" "A", 0xFFFD, 1},
        {"0xFE", "\xFE" "A", 0xFFFD, 1},
        {"0xFF", "\xFF" "A", 0xFFFD, 1},
        {"broken by ASCII: cursor stays on it", "\xC3" "A", 0xFFFD, 1},
        {"broken after two bytes", "\xE2\x82" "A", 0xFFFD, 2},
        {"cut by the terminator: cursor on it", "\xC3", 0, 1},
        {"four-byte form cut after three", "\xF0\x9F\x98", 0, 3},
        {"terminator", "", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const char* cursor = c.bytes;
        EXPECT_EQ(Utf8Decode(cursor), c.codePoint);
        EXPECT_EQ(cursor - c.bytes, c.consumed);
    }
}

TEST(Utf8String, CountsCodePointsAndBytes) {
    const struct {
        const char* text;
        int32_t codePoints;
        uint32_t bytes;
    } cases[] = {
        {"", 0, 0},
        {"abc", 3, 3},
        {"a\xC3\xA9\xF0\x9F\x98\x80", 3, 7},
        {"\x80\x80", 2, 2},        // each stray byte is one U+FFFD
        {"ab\xE2\x82", 2, 4},      // counting stops at the cut sequence
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Varnok::Utf8String view(c.text);
        EXPECT_EQ(view.Text(), c.text);
        EXPECT_EQ(view.CodePointCount(), c.codePoints);
        EXPECT_EQ(view.ByteLength(), c.bytes);
    }

    Varnok::Utf8String view("abc");
    view.SetText(nullptr);
    EXPECT_EQ(view.Text(), nullptr);
    EXPECT_EQ(view.CodePointCount(), 0);
    EXPECT_EQ(view.ByteLength(), 0u);
}

namespace {

std::vector<uint32_t> Walk(const char* text) {
    const Varnok::Utf8String view(text);
    Varnok::Utf8Iterator it;
    std::vector<uint32_t> out;
    for (it.Begin(view); it.CodePoint() != 0; it.Advance(1)) {
        out.push_back(it.CodePoint());
    }
    return out;
}

}  // namespace

TEST(Utf8Iterator, WalksCodePointsAndStopsAtTheEnd) {
    EXPECT_EQ(Walk("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
              (std::vector<uint32_t>{'a', 0xE9, 0x20AC, 0x1F600}));
    EXPECT_EQ(Walk("a\x80" "b"), (std::vector<uint32_t>{'a', 0xFFFD, 'b'}));
    EXPECT_EQ(Walk("a\xC3"), (std::vector<uint32_t>{'a'}));
    EXPECT_TRUE(Walk("").empty());
    EXPECT_TRUE(Walk(nullptr).empty());

    const char* text = "a\xC3\xA9z";
    const Varnok::Utf8String view(text);
    Varnok::Utf8Iterator it;
    it.Begin(view);
    EXPECT_EQ(it.Current(), text);
    EXPECT_EQ(it.Next(), text + 1);
    it.Advance(0);
    it.Advance(-3);
    EXPECT_EQ(it.CodePoint(), uint32_t{'a'});
    it.Advance(2);
    EXPECT_EQ(it.CodePoint(), uint32_t{'z'});
    EXPECT_EQ(it.Current(), text + 3);
    it.Advance(5);  // past the end: stays there
    EXPECT_EQ(it.CodePoint(), 0u);
    EXPECT_EQ(it.Current(), text + 4);
    it.Advance(1);
    EXPECT_EQ(it.Current(), text + 4);
}

TEST(Utf8Iterator, DoesNothingOnANullText) {
    Varnok::Utf8Iterator it;
    it.Begin(Varnok::Utf8String(nullptr));
    it.Advance(3);
    EXPECT_EQ(it.Current(), nullptr);
    EXPECT_EQ(it.CodePoint(), 0u);
}
