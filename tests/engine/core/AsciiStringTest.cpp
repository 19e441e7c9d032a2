#include "engine/core/AsciiString.h"
#include "engine/core/NameMap.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using Varnok::AsciiString;

int Cmp(const char* a, const char* b) {
    return AsciiString::Compare(AsciiString(a), AsciiString(b));
}

TEST(AsciiString, NullAndEmptyAreTheEmptyString) {
    const AsciiString fromNull(static_cast<const char*>(nullptr));
    EXPECT_TRUE(fromNull.IsEmpty());
    EXPECT_STREQ(fromNull.c_str(), "");
    EXPECT_EQ(fromNull.GetHash(), 0u);
    AsciiString s("abc");
    s.Assign(nullptr, 3);
    EXPECT_STREQ(s.c_str(), "");
    EXPECT_EQ(AsciiString::Empty().Length(), 0);
}

TEST(AsciiString, OrdersByLengthThenHashNotAlphabetically) {
    EXPECT_LT(Cmp("zz", "aaa"), 0);
    EXPECT_GT(Cmp("aaa", "zz"), 0);
    EXPECT_EQ(Cmp("abc", "abc"), 0);

    // Equal length: whichever hash is smaller comes first.
    const AsciiString a("abc");
    const AsciiString b("abd");
    const int expected = a.GetHash() < b.GetHash() ? -1 : 1;
    EXPECT_EQ(AsciiString::Compare(a, b), expected);
    EXPECT_EQ(AsciiString::Compare(b, a), -expected);

    // The hash is case-blind, so "ABC" and "abc" tie until the bytes.
    EXPECT_LT(Cmp("ABC", "abc"), 0);
    EXPECT_EQ(AsciiString::CompareNoCase(AsciiString("ABC"), AsciiString("abc")), 0);

    // Sorting a set of same-length names gives hash order.
    std::map<AsciiString, int, Varnok::AsciiStringLess> map;
    for (const char* name : {"pear", "kiwi", "lime", "plum", "fig", "banana"}) {
        map[AsciiString(name)] = 1;
    }
    std::vector<std::string> order;
    uint32_t lastHash = 0;
    int lastLength = 0;
    for (const auto& entry : map) {
        if (entry.first.Length() == lastLength) {
            EXPECT_GT(entry.first.GetHash(), lastHash) << entry.first.c_str();
        } else {
            EXPECT_GT(entry.first.Length(), lastLength);
        }
        lastLength = entry.first.Length();
        lastHash = entry.first.GetHash();
    }
}

TEST(AsciiString, SwitchesBetweenInlineAndHeapAt32Bytes) {
    AsciiString s(std::string(31, 'x').c_str());
    EXPECT_TRUE(s.IsInline());
    EXPECT_EQ(s.Capacity(), 32);

    s.AppendChar('y');
    EXPECT_FALSE(s.IsInline());
    EXPECT_EQ(s.Capacity(), 33);  // exactly the new size, terminator included
    EXPECT_EQ(s.Length(), 32);
    EXPECT_EQ(std::string(s.c_str()), std::string(31, 'x') + "y");

    s.AppendChar('z');
    EXPECT_EQ(s.Capacity(), 34);  // growth is exact

    s.Resize(31);
    EXPECT_TRUE(s.IsInline());
    EXPECT_EQ(std::string(s.c_str()), std::string(31, 'x'));
}

TEST(AsciiString, ShrinksAHeapBlockOnlyWhenFarTooBig) {
    AsciiString s(std::string(100, 'a').c_str());
    s.Resize(60);
    EXPECT_EQ(s.Capacity(), 101);  // 101 is not above 61 + 60: kept
    s.Resize(40);
    EXPECT_EQ(s.Capacity(), 41);  // 101 > 41 + 40: replaced by an exact block
    EXPECT_EQ(std::string(s.c_str()), std::string(40, 'a'));
}

TEST(AsciiString, HashIsCachedCopiedAndResetOnChange) {
    AsciiString s("Fruit");
    const uint32_t hash = s.GetHash();
    EXPECT_EQ(hash, Varnok::HashName("fruit", 5));
    AsciiString copy(s);
    EXPECT_EQ(copy.GetHash(), hash);
    s.AppendChar('s');
    EXPECT_EQ(s.GetHash(), Varnok::HashName("fruits", 6));
    AsciiString assigned;
    assigned = copy;
    EXPECT_EQ(assigned.GetHash(), hash);
}

TEST(AsciiString, EqualsNeedsLengthHashAndBytes) {
    const AsciiString s("apple");
    const uint32_t hash = Varnok::HashName("apple", 5);
    EXPECT_TRUE(s.Equals("apple", 5, hash));
    EXPECT_FALSE(s.Equals("apple", 5, hash + 1));  // wrong hash
    EXPECT_FALSE(s.Equals("apple", 4, hash));
    EXPECT_FALSE(s.Equals("APPLE", 5, hash));  // same hash, other bytes
    EXPECT_TRUE(s.EqualsNoCase("APPLE", 5, hash));
    EXPECT_FALSE(s.EqualsNoCase("APPLE", 5, hash ^ 1));
    EXPECT_TRUE(AsciiString("").Equals("", 0, 0));
}

TEST(AsciiString, TrimCopy) {
    const struct {
        const char* source;
        const char* expected;
    } cases[] = {
        {" a ", "a"}, {"  ", ""}, {"", ""}, {"\t x y\t", "x y"}, {"abc", "abc"}, {"\t", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_STREQ(AsciiString::TrimCopy(AsciiString(c.source)).c_str(), c.expected);
    }
}

TEST(AsciiString, PadToWidth) {
    const struct {
        const char* source;
        int width;
        int align;
        const char* expected;
    } cases[] = {
        {"abcdef", 4, 1, "cdef"}, {"abcdef", 4, 0, "abcd"}, {"ab", 4, 1, "  ab"},
        {"ab", 4, 0, "ab  "},     {"ab", 4, 7, "ab  "},     {"abcdef", 0, 1, ""},
        {"", 3, 1, "   "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " width " + std::to_string(c.width) + " align " +
                     std::to_string(c.align));
        EXPECT_STREQ(AsciiString::PadToWidth(AsciiString(c.source), c.width, c.align).c_str(),
                     c.expected);
    }
}

TEST(AsciiString, Appends) {
    AsciiString s;
    s.Append(nullptr);
    s.Append("");
    s.AppendChars("xyz", 0);
    s.AppendChars("\0yz", 3);
    s.AppendString(AsciiString());
    EXPECT_STREQ(s.c_str(), "");

    s.Append("n=");
    s.AppendInt(-42);
    s.AppendChar(' ');
    s.AppendUInt(4000000000u);
    s.AppendChar(' ');
    s.AppendFloat(1.5f);
    s.AppendChar(' ');
    s.AppendBool(1);
    s.AppendBool(2);
    s.AppendBool(0);
    EXPECT_STREQ(s.c_str(), "n=-42 4000000000 1.500000 truefalsefalse");
    EXPECT_FALSE(s.IsInline());
}

TEST(AsciiString, AppendsItselfAcrossTheHeapSwitch) {
    AsciiString s(std::string(20, 'q').c_str());
    s.AppendString(s);
    EXPECT_EQ(std::string(s.c_str()), std::string(40, 'q'));
    s.AppendChars(s.c_str() + 30, 10);
    EXPECT_EQ(std::string(s.c_str()), std::string(50, 'q'));
    s.Assign(s.c_str() + 45, 5);
    EXPECT_EQ(std::string(s.c_str()), std::string(5, 'q'));
}

TEST(AsciiString, Copies) {
    const AsciiString source("Data/Textures/Logo.TEX");
    EXPECT_STREQ(AsciiString::Substring(source, 5, 13).c_str(), "Textures");
    EXPECT_STREQ(AsciiString::Substring(source, 14).c_str(), "Logo.TEX");
    EXPECT_STREQ(AsciiString::Substring(source, 14, 99).c_str(), "Logo.TEX");
    EXPECT_STREQ(AsciiString::Substring(source, 9, 3).c_str(), "");
    EXPECT_STREQ(AsciiString::ToLowerCopy(source).c_str(), "data/textures/logo.tex");
    EXPECT_STREQ(AsciiString::ReplaceCharCopy(source, '/', '\\').c_str(),
                 "Data\\Textures\\Logo.TEX");
}

TEST(AsciiString, PrefixSuffixAndSearch) {
    const AsciiString s("Sounds/splat.ogg");
    EXPECT_TRUE(s.StartsWith("Sounds", 6));
    EXPECT_FALSE(s.StartsWith("sounds", 6));
    EXPECT_TRUE(s.StartsWithNoCase("sOUNDS", 6));
    EXPECT_TRUE(s.EndsWith(".ogg", 4));
    EXPECT_FALSE(s.EndsWith(".wav", 4));
    EXPECT_FALSE(AsciiString("ab").StartsWith("abc", 3));  // shorter than n
    EXPECT_FALSE(AsciiString("ab").EndsWith("xab", 3));
    EXPECT_TRUE(AsciiString("ab").StartsWithNoCase("AB", 2));
    EXPECT_TRUE(s.StartsWithNoCase(s.c_str(), 5));  // the same pointer

    EXPECT_EQ(s.FindChar('s'), 5);
    EXPECT_EQ(s.FindLastChar('s'), 7);
    EXPECT_EQ(s.FindChar('g'), 14);
    EXPECT_EQ(s.FindLastChar('g'), 15);
    EXPECT_EQ(s.FindChar('#'), -1);
    EXPECT_EQ(s.FindLastChar('#'), -1);
    const AsciiString withZero("a\0b", 3);
    EXPECT_EQ(withZero.FindChar('b'), -1);  // the scan stops at the zero byte
    EXPECT_EQ(withZero.FindLastChar('b'), 2);
}

TEST(AsciiString, MoveLeavesTheSourceEmpty) {
    AsciiString big(std::string(40, 'm').c_str());
    const uint32_t hash = big.GetHash();
    AsciiString moved(std::move(big));
    EXPECT_EQ(moved.Length(), 40);
    EXPECT_EQ(moved.GetHash(), hash);
    EXPECT_TRUE(big.IsEmpty());  // NOLINT: the moved-from state is defined
    big = std::move(moved);
    EXPECT_EQ(big.Length(), 40);
}

TEST(AsciiString, HashesKeyAHashMap) {
    Varnok::NameMap<int> map;
    map[AsciiString("Apple")] = 1;
    map[AsciiString("apple")] = 2;  // same hash, other bytes: its own key
    map[AsciiString(std::string(45, 'k').c_str())] = 3;
    EXPECT_EQ(map.size(), 3u);
    EXPECT_EQ(map[AsciiString("Apple")], 1);
    EXPECT_EQ(map[AsciiString("apple")], 2);
    EXPECT_EQ(map.count(AsciiString("pear")), 0u);
}

}  // namespace
