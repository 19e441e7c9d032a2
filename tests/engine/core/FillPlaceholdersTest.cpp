#include "engine/core/FillPlaceholders.h"

#include <gtest/gtest.h>

#include <string>

using Varnok::FillPlaceholders;
using Varnok::FormatToPlaceholders;

TEST(FillPlaceholders, ReplacesNumberedPlaceholders) {
    const char* const texts[] = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"};
    const struct {
        const char* format;
        const char* filled;
    } cases[] = {
        {"{0}{1}{2}{3}{4}{5}{6}{7}{8}{9}{10}{11}", "abcdefghijkl"},
        {"{11}-{0}-{11}", "l-a-l"},
        {"{12}", "{12}"},
        {"{99}{100}", "{99}{100}"},
        {"{012}", "{12}"},                           // leading zeros dropped
        {"{007}{00}", "ha"},
        {"{99999999999999999999}", "{99999999999999999999}"},  // no overflow
        {"{", "{"},
        {"}", "}"},
        {"{}", "{}"},
        {"{x}", "{x}"},
        {"{1", "{1"},
        {"{1x}", "{1x}"},
        {"{-1}", "{-1}"},
        {"{{0}}", "{a}"},
        {"no placeholders", "no placeholders"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_STREQ(FillPlaceholders(c.format, texts, 12).c_str(), c.filled);
    }
}

TEST(FillPlaceholders, MissingAndNullTextsReadNull) {
    const char* const texts[] = {"x", nullptr};
    EXPECT_STREQ(FillPlaceholders("{0}|{1}|{2}|{11}", texts, 2).c_str(),
                 "x|<NULL>|<NULL>|<NULL>");
    EXPECT_STREQ(FillPlaceholders("{0}", nullptr, 0).c_str(), "<NULL>");
    EXPECT_STREQ(FillPlaceholders(nullptr, texts, 2).c_str(), "");
}

TEST(FormatToPlaceholders, NumbersConversionsInArgumentOrder) {
    const struct {
        const char* format;
        const char* converted;
        int positions;
    } cases[] = {
        {"%s %5.2f %%", "{0} {1} %", 2},
        {"%*d %s", "{1} {2}", 3},
        {"%*.*f|%.*s", "{2}|{4}", 5},
        {"%q", "%q", 0},
        {"%5q", "%5q", 0},
        {"%", "%", 0},
        {"100%", "100%", 0},
        {"%-+ #08.3lld %hhu %zu %Lf %jd %td %hd %ld", "{0} {1} {2} {3} {4} {5} {6} {7}", 8},
        {"%A%E%F%G%X%a%c%d%e%f%g%i%n%o%p%s%u%x",
         "{0}{1}{2}{3}{4}{5}{6}{7}{8}{9}{10}{11}{12}{13}{14}{15}{16}{17}", 18},
        {"%.f", "{0}", 1},
        {"plain", "plain", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        std::string out = ">";
        EXPECT_EQ(FormatToPlaceholders(c.format, out), c.positions);
        EXPECT_EQ(out, std::string(">") + c.converted);  // appended, not replaced
    }
}

TEST(DebugPrintf, FillsConversionsFromTheTexts) {
    EXPECT_STREQ(Varnok::DebugPrintf("%s : %s", "alias", "unit").c_str(), "alias : unit");
    EXPECT_STREQ(Varnok::DebugPrintf("%s=%d%%", "hp", static_cast<const char*>(nullptr)).c_str(),
                 "hp=<NULL>%");
    EXPECT_STREQ(Varnok::DebugPrintf("%*s!", "8", "x").c_str(), "x!");
    EXPECT_STREQ(Varnok::DebugPrintf("%s %s").c_str(), "<NULL> <NULL>");
    // Past the twelfth conversion the placeholder is written back.
    EXPECT_STREQ(Varnok::DebugPrintf("%s%s%s%s%s%s%s%s%s%s%s%s %s", "0", "1", "2", "3", "4", "5",
                                     "6", "7", "8", "9", "A", "B")
                     .c_str(),
                 "0123456789AB {12}");
    // A literal placeholder in the format is filled like a converted one.
    EXPECT_STREQ(Varnok::DebugPrintf("{0}", "t").c_str(), "t");
}
