#include "engine/core/Base64.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Base64 = Varnok::Base64;

namespace {

std::string Encoded(const std::string& bytes) {
    std::vector<char> out(static_cast<size_t>(Base64::EncodedLength(static_cast<int>(bytes.size()))), 'X');
    EXPECT_TRUE(Base64::Encode(bytes.data(), static_cast<int>(bytes.size()), out.data(),
                               static_cast<int>(out.size())));
    EXPECT_EQ(out.back(), '\0');
    return out.data();
}

// Decodes into a buffer of the text's size; "<-1>" when refused.
std::string Decoded(const char* text, int capacity) {
    std::vector<char> out(static_cast<size_t>(capacity) + 1, '\0');
    const int n = Base64::Decode(text, out.data(), capacity);
    return n < 0 ? "<-1>" : std::string(out.data(), static_cast<size_t>(n));
}

std::string Decoded(const char* text) { return Decoded(text, static_cast<int>(std::string(text).size())); }

}  // namespace

TEST(Base64, EncodesTheStandardExamples) {
    // RFC 4648 section 10.
    const struct { const char* bytes; const char* text; } cases[] = {
        {"", ""},         {"f", "Zg=="},        {"fo", "Zm8="},         {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(Encoded(c.bytes), c.text);
        EXPECT_EQ(Decoded(c.text), c.bytes);
    }
    // The last two letters of the alphabet.
    EXPECT_EQ(Encoded("\xFB\xFF"), "+/8=");
    EXPECT_EQ(Decoded("+/8="), "\xFB\xFF");
}

TEST(Base64, EncodedLengthCountsTheTerminator) {
    EXPECT_EQ(Base64::EncodedLength(0), 1);
    EXPECT_EQ(Base64::EncodedLength(1), 5);
    EXPECT_EQ(Base64::EncodedLength(3), 5);
    EXPECT_EQ(Base64::EncodedLength(4), 9);
}

TEST(Base64, EncodeRefusesATooSmallBuffer) {
    char out[8];
    std::fill(out, out + 8, 'X');
    EXPECT_FALSE(Base64::Encode("abcd", 4, out, 8));  // needs 9
    EXPECT_EQ(out[0], 'X');                           // nothing written
    EXPECT_TRUE(Base64::Encode("abc", 3, out, 5));
    EXPECT_STREQ(out, "YWJj");
    EXPECT_FALSE(Base64::Encode("", 0, out, 0));  // no room for the terminator
}

TEST(Base64, RoundTripsEveryByteValue) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) {
        bytes += static_cast<char>(i);
    }
    for (size_t length : {size_t{254}, size_t{255}, size_t{256}}) {
        const std::string part = bytes.substr(0, length);
        const std::string text = Encoded(part);
        EXPECT_EQ(text.find('\n'), std::string::npos);
        EXPECT_EQ(Decoded(text.c_str()), part);
    }
}

TEST(Base64, DecodeSkipsForeignCharactersAndStopsAtPadding) {
    const struct { const char* what; const char* text; const char* bytes; } cases[] = {
        {"blanks and line breaks", " Zm9v\r\nYm Fy\t", "foobar"},
        {"two characters, no padding", "Zg", "f"},
        {"three characters, no padding", "Zm8", "fo"},
        {"one lone character", "Z", ""},
        {"padded group followed by more", "Zg==Zm9v", "f"},
        {"data after '=' in a group", "Zm9vZg=v", "foo"},
        {"only padding", "====", ""},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Decoded(c.text, 16), c.bytes);
    }
}

TEST(Base64, DecodeRefusesWhatDoesNotFit) {
    char out[8] = {};
    EXPECT_EQ(Base64::Decode("Zm9v", out, 2), -1);
    // A short last group must fit too; the earlier group is already written.
    EXPECT_EQ(Base64::Decode("Zm9vZm8=", out, 4), -1);
    EXPECT_EQ(std::string(out, 3), "foo");
    // Exactly enough.
    EXPECT_EQ(Base64::Decode("Zm9vZm8=", out, 5), 5);
    EXPECT_EQ(Base64::Decode("Zg==", out, 0), -1);
    EXPECT_EQ(Base64::Decode("", out, 0), 0);
}
