// Data texts used as formats: integer conversions filled from the values,
// everything else copied as written, the result cut on a character boundary.
#include "game/screens/BoundedFormat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace Varnok {
namespace {

std::string Format(const char* format, std::initializer_list<int32_t> values, size_t room = kBoundedTextBytes) {
    char out[64];
    std::memset(out, '#', sizeof(out));
    const size_t length = FormatBounded(out, room, format, values.begin(), static_cast<int>(values.size()));
    EXPECT_EQ(length, std::strlen(out));
    EXPECT_EQ(out[room], '#');  // nothing past the room given
    return out;
}

TEST(BoundedFormat, FillsIntegerConversionsAndCopiesTheRest) {
    const struct {
        const char* format;
        std::initializer_list<int32_t> values;
        const char* shown;
    } cases[] = {
        {"%d", {1}, "1"},
        {"%+05d|%-4i|%x|%X|%o|%u", {7, 3, 255, 255, 8, -1}, "+0007|3   |ff|FF|10|4294967295"},
        {"%ld %hhd %zu", {5, 6, 7}, "5 6 7"},              // length letters read, ignored
        {"RANK %d OF %d", {3}, "RANK 3 OF %d"},            // one past the values: as written
        {"%s %n %f %p %c %d", {9}, "%s %n %f %p %c 9"},    // never read, never written
        {"%*d %.*d %d", {4}, "%*d %.*d 4"},
        {"%100d %.100d", {1, 2}, "%100d %.100d"},          // no widths past 99
        {"100%% %d", {3}, "100% 3"},
        {"ends with %", {}, "ends with %"},
        {"%-", {1}, "%-"},
        {"", {1}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(Format(c.format, c.values, 48), c.shown);
    }
    char out[kBoundedTextBytes];
    EXPECT_EQ(FormatBounded(out, nullptr, 4), 0u);  // a missing text is empty
    EXPECT_STREQ(out, "");
}

TEST(BoundedFormat, CutsAtTheRoomWithoutSplittingACharacter) {
    const std::string thirty(30, 'a');
    const struct {
        std::string format;
        std::string shown;
    } cases[] = {
        {thirty + "b", thirty + "b"},                          // 31 bytes fit
        {thirty + "bc", thirty + "b"},                         // the 32nd is cut
        {thirty + "\xC3\xA9", thirty},                         // a two-byte character over the edge
        {thirty.substr(2) + "\xE2\x80\xA6z", thirty.substr(2) + "\xE2\x80\xA6"},  // ends exactly on one
        {thirty.substr(1) + "\xF0\x9F\x8D\x89", thirty.substr(1)},
        {"%d" + thirty, "12345" + thirty.substr(0, 26)},       // numbers count too
        {"%99d", std::string(31, ' ')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(Format(c.format.c_str(), {12345}), c.shown);
    }
    EXPECT_EQ(Format("abc", {}, 1), "");  // room for the terminator only
}

}  // namespace
}  // namespace Varnok
