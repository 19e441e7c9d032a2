#include "engine/text/LineBreak.h"

#include "engine/text/Font.h"
#include "tests/engine/text/TextTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

// The options word is process-wide: every test leaves the default behind.
class OptionsGuard {
public:
    explicit OptionsGuard(uint32_t options) { LineBreak::SetOptions(options); }
    ~OptionsGuard() { LineBreak::SetOptions(LineBreak::kDefaultOptions); }
};

class LineBreakTest : public TextTest::FontFixture {
protected:
    float Width(Font& font, const char* text, float size = 20.0f) {
        std::string line = text;
        std::string rest;
        float width = 0.0f;
        font.TakeLine(line, rest, size, 0, -1.0f, &width, nullptr, nullptr);
        return width;
    }

    struct Taken {
        std::string line, rest;
        bool cut = false;
        int consumed = -1;
    };
    Taken Take(Font& font, const char* text, float maximumWidth, float size = 20.0f) {
        Taken taken;
        taken.line = text;
        font.TakeLine(taken.line, taken.rest, size, 0, maximumWidth, nullptr, &taken.cut,
                      &taken.consumed);
        return taken;
    }
};

TEST(LineBreakRules, TheKinsokuTableIsSortedWithItsRows) {
    const LineBreak::KinsokuRecord* table = LineBreak::GetKinsokuTable();
    int starts = 0, ends = 0, both = 0;
    for (int i = 0; i < LineBreak::kKinsokuTableSize; ++i) {
        if (i > 0) {
            EXPECT_LT(table[i - 1].codePoint, table[i].codePoint);
        }
        starts += table[i].cannotStart && !table[i].cannotEnd;
        ends += table[i].cannotEnd && !table[i].cannotStart;
        both += table[i].cannotStart && table[i].cannotEnd;
    }
    EXPECT_EQ(starts, 110);
    EXPECT_EQ(ends, 32);
    EXPECT_EQ(both, 4);
}

TEST(LineBreakRules, BreakOpportunities) {
    const struct {
        const char* what;
        uint32_t beforePrevious, previous, next, afterNext;
        bool kinsokuOn, kinsokuOff;
    } cases[] = {
        {"between kana", 0, 0x3042, 0x3044, 0, true, true},
        {"before a small kana", 0, 0x3042, 0x3063, 0, false, true},
        {"before a small katakana", 0, 0x30AB, 0x30C3, 0, false, true},
        {"before a closing bracket", 0, 0x3042, 0x300D, 0, false, true},
        {"before an ideographic full stop", 0, 0x3042, 0x3002, 0, false, true},
        {"after an opening bracket", 0, 0x300C, 0x3042, 0, false, true},
        {"between Han", 0, 0x4E2D, 0x6587, 0, true, true},
        {"between Latin letters", 0, 'a', 'b', 0, false, false},
        {"after a hyphen", 'a', '-', 'b', 'c', true, true},
        {"at the start", 0, 0, 'a', 0, false, false},
        {"before a space followed by a closing mark", 0, 0x3042, ' ', 0x3001, false, true},
        {"a quote opened after a space", ' ', '"', 0x3042, 0, false, false},
        {"before a quote that ends a word", 0, 0x3042, '"', ' ', false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        {
            OptionsGuard options(LineBreak::kKinsokuRules);
            EXPECT_EQ(LineBreak::CanBreakBetween(c.beforePrevious, c.previous, c.next, c.afterNext),
                      c.kinsokuOn);
        }
        OptionsGuard options(0);
        EXPECT_EQ(LineBreak::CanBreakBetween(c.beforePrevious, c.previous, c.next, c.afterNext),
                  c.kinsokuOff);
    }
}

TEST(LineBreakRules, CanBreakBeforeReadsTheNeighboursFromTheText) {
    const char* text = "\xE3\x81\x82\xE3\x81\xA3\xE3\x81\x8B";  // あっか
    EXPECT_FALSE(LineBreak::CanBreakBefore(text, 0x3042, text));
    EXPECT_FALSE(LineBreak::CanBreakBefore(text + 3, 0x3063, text));  // before っ
    EXPECT_TRUE(LineBreak::CanBreakBefore(text + 6, 0x304B, text));   // before か
    const char* broken = "a\x80-b";  // a stray continuation byte before the hyphen
    EXPECT_TRUE(LineBreak::CanBreakBefore(broken + 3, 'b', broken));
}

TEST(LineBreakRules, HangulIsCjkUnlessTheOptionSaysLatin) {
    EXPECT_TRUE(IsCJK(0xAC00));
    EXPECT_TRUE(LineBreak::CanBreakBetween(0, 0xAC00, 0xB098, 0));
    OptionsGuard options(LineBreak::kDefaultOptions | LineBreak::kHangulLikeLatin);
    EXPECT_FALSE(IsCJK(0xAC00));
    EXPECT_FALSE(IsCJK(0x3131));
    EXPECT_TRUE(IsCJK(0x3042));
    EXPECT_FALSE(LineBreak::CanBreakBetween(0, 0xAC00, 0xB098, 0));
}

TEST_F(LineBreakTest, TwoWordsBreakAtTheSpace) {
    Font& font = GetFont(TextTest::kLatinFont);
    const float limit = Width(font, "Hello w");
    const Taken taken = Take(font, "Hello world", limit);
    EXPECT_EQ(taken.line, "Hello");
    EXPECT_EQ(taken.rest, "world");
    EXPECT_FALSE(taken.cut);
    EXPECT_EQ(taken.consumed, 6);  // the dropped space counts
    std::string line = "Hello world", rest;
    float width = 0.0f;
    font.TakeLine(line, rest, 20.0f, 0, limit, &width, nullptr, nullptr);
    EXPECT_FLOAT_EQ(width, Width(font, "Hello"));
}

TEST_F(LineBreakTest, ALongWordIsCutWhereItStopsFitting) {
    Font& font = GetFont(TextTest::kLatinFont);
    const Taken taken = Take(font, "Unbreakable", Width(font, "Unbre") + 0.5f);
    EXPECT_EQ(taken.line, "Unbre");
    EXPECT_EQ(taken.rest, "akable");
    EXPECT_TRUE(taken.cut);
    EXPECT_EQ(taken.consumed, 5);

    // Not even the first character fits: the whole text is the line.
    const Taken tiny = Take(font, "Wide", 1.0f);
    EXPECT_EQ(tiny.line, "Wide");
    EXPECT_EQ(tiny.rest, "");
    EXPECT_TRUE(tiny.cut);
}

TEST_F(LineBreakTest, NewlinesForceBreaks) {
    Font& font = GetFont(TextTest::kLatinFont);
    const Taken leading = Take(font, "\nabc", -1.0f);
    EXPECT_EQ(leading.line, "\n");
    EXPECT_EQ(leading.rest, "abc");
    EXPECT_EQ(leading.consumed, 1);

    std::vector<std::string> lines;
    std::vector<int> starts;
    EXPECT_FALSE(font.WrapText(20.0f, "ab\ncd\n\nef", 0, -1.0f, &lines, &starts));
    EXPECT_EQ(lines, (std::vector<std::string>{"ab", "cd", "\n", "ef"}));
    EXPECT_EQ(starts, (std::vector<int>{0, 3, 6, 7}));
}

TEST_F(LineBreakTest, WrapTextSplitsAParagraph) {
    Font& font = GetFont(TextTest::kLatinFont);
    std::vector<std::string> lines;
    std::vector<int> starts;
    const float limit = Width(font, "one two") + 1.0f;
    EXPECT_FALSE(font.WrapText(20.0f, "one two one two  one", 0, limit, &lines, &starts));
    EXPECT_EQ(lines, (std::vector<std::string>{"one two", "one two", " one"}));
    EXPECT_EQ(starts, (std::vector<int>{0, 8, 16}));
    EXPECT_FALSE(font.WrapText(20.0f, "", 0, 10.0f, &lines, &starts));
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(font.WrapText(20.0f, "Unbreakable", 0, Width(font, "Unbr"), &lines, nullptr));
    EXPECT_EQ(lines.size(), 3u);
}

TEST_F(LineBreakTest, JapaneseBreaksFollowKinsoku) {
    Font& font = GetFont(TextTest::kCjkFont);
    // あいうえっか: the limit falls on the small っ, which cannot start a line.
    const char* text = "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86\xE3\x81\x88\xE3\x81\xA3\xE3\x81\x8B";
    const float fourWide = Width(font, "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86\xE3\x81\x88");
    const Taken taken = Take(font, text, fourWide + 1.0f);
    EXPECT_EQ(taken.line, "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86");  // あいう
    EXPECT_EQ(taken.rest, "\xE3\x81\x88\xE3\x81\xA3\xE3\x81\x8B");  // えっか
    EXPECT_FALSE(taken.cut);

    // 「あい」: no break after the opening bracket nor before the closing one.
    const char* quoted = "\xE3\x81\x82\xE3\x80\x8C\xE3\x81\x84\xE3\x81\x86\xE3\x80\x8D";
    const float twoWide = Width(font, "\xE3\x81\x82\xE3\x80\x8C");
    const Taken bracket = Take(font, quoted, twoWide + 1.0f);
    EXPECT_EQ(bracket.line, "\xE3\x81\x82");  // あ, the bracket moves down with its word
}

TEST_F(LineBreakTest, KoreanBreaksOnlyAtSpacesWithTheOption) {
    Font& font = GetFont(TextTest::kCjkFont);
    const char* text = "\xEA\xB0\x80\xEB\x82\x98\xEB\x8B\xA4 \xEB\x9D\xBC\xEB\xA7\x88";  // 가나다 라마
    const float limit = Width(font, "\xEA\xB0\x80\xEB\x82\x98\xEB\x8B\xA4 \xEB\x9D\xBC") + 1.0f;
    EXPECT_EQ(Take(font, text, limit).line, "\xEA\xB0\x80\xEB\x82\x98\xEB\x8B\xA4 \xEB\x9D\xBC");
    OptionsGuard options(LineBreak::kDefaultOptions | LineBreak::kHangulLikeLatin);
    const Taken taken = Take(font, text, limit);
    EXPECT_EQ(taken.line, "\xEA\xB0\x80\xEB\x82\x98\xEB\x8B\xA4");
    EXPECT_EQ(taken.rest, "\xEB\x9D\xBC\xEB\xA7\x88");
}

TEST_F(LineBreakTest, AHyphenAllowsABreakAfterIt) {
    Font& font = GetFont(TextTest::kLatinFont);
    const Taken taken = Take(font, "well-known", Width(font, "well-kn"));
    EXPECT_EQ(taken.line, "well-");
    EXPECT_EQ(taken.rest, "known");
    EXPECT_FALSE(taken.cut);
}

TEST_F(LineBreakTest, MalformedTextMeasuresAsReplacementCharacters) {
    Font& font = GetFont(TextTest::kLatinFont);
    EXPECT_FLOAT_EQ(Width(font, "a\xFF" "b"), Width(font, "a\xEF\xBF\xBD" "b"));
    std::vector<std::string> lines;
    font.WrapText(20.0f, "\xC3", 0, 5.0f, &lines, nullptr);  // cut short by the end
    EXPECT_EQ(lines, (std::vector<std::string>{"\xC3"}));
}

}  // namespace
}  // namespace Varnok
