#include "engine/core/ArabicShaper.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The word kaf, teh, beh in logical order, and its visual form: beh final
// (U+FE90), teh medial (U+FE98), kaf initial (U+FEDB), left to right.
const char* const kWord = "\u0643\u062A\u0628";
const char* const kWordShaped = "\uFE90\uFE98\uFEDB";

std::string Shape(const char* text) {
    std::string out = "unchanged";
    EXPECT_TRUE(Varnok::ArabicTextShaper::Get().Transform(text, out)) << text;
    return out;
}

}  // namespace

TEST(ArabicTextShaper, GivesJoinedFormsInVisualOrder) {
    EXPECT_EQ(Shape(kWord), kWordShaped);
    // Lam then alef join into the isolated lam-alef ligature, one code point.
    EXPECT_EQ(Shape("\u0644\u0627"), "\uFEFB");
}

TEST(ArabicTextShaper, PlacesRunsAroundArabicWords) {
    const struct {
        const char* what;
        std::string text;
        std::string visual;
    } cases[] = {
        {"number after the word stays in digit order, on the left", std::string(kWord) + " 123",
         std::string("123 ") + kWordShaped},
        {"parentheses are mirrored and still enclose the word",
         std::string("(") + kWord + ")", std::string("(") + kWordShaped + ")"},
        {"Latin word before the Arabic one goes to the right", std::string("ab ") + kWord,
         std::string(kWordShaped) + "ab "},
        {"supplementary code point survives the reversal whole",
         std::string(kWord) + " \U0001F600", std::string("\U0001F600 ") + kWordShaped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Shape(c.text.c_str()), c.visual);
    }
}

TEST(ArabicTextShaper, LeavesTextWithoutArabicInReadingOrder) {
    EXPECT_EQ(Shape("Hello, world 123"), "Hello, world 123");
    EXPECT_EQ(Shape("caf\u00E9 \U0001F600!"), "caf\u00E9 \U0001F600!");
    // A leading neutral forms a right-to-left run of its own.
    EXPECT_EQ(Shape(" abc"), "abc ");
}

TEST(ArabicTextShaper, LeavesTheResultAloneForEmptyOrMalformedText) {
    const struct {
        const char* what;
        const char* text;
    } cases[] = {
        {"empty", ""},
        {"null", nullptr},
        {"stray byte after a word", "\u0643\u062A\u0628\xFF"},
        {"truncated sequence", "\xD9"},
        {"encoded surrogate", "\xED\xA0\x80"},
        {"overlong slash", "\xC0\xAF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string out = "previous";
        testing::internal::CaptureStderr();
        EXPECT_FALSE(Varnok::ArabicTextShaper::Get().Transform(c.text, out));
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(out, "previous");
    }
}
