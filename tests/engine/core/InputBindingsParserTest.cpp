#include "engine/core/InputBindingsParser.h"

#include "engine/core/InputEvent.h"
#include "tests/engine/core/InputTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace Varnok;
using VarnokTest::Hash;

namespace {

std::vector<InputBindingLine> Parse(const std::string& text) {
    return ParseInputBindings(reinterpret_cast<const uint8_t*>(text.data()),
                              static_cast<int32_t>(text.size()), "test");
}

struct Expected {
    const char* action;
    std::vector<uint32_t> inputs;
    uint32_t states;
};

constexpr uint32_t kPressed = InputEvent::kPressed;
constexpr uint32_t kDown = InputEvent::kDown;
constexpr uint32_t kReleased = InputEvent::kReleased;
constexpr uint32_t kMoved = InputEvent::kMoved;

}  // namespace

TEST(InputBindingsParser, LinesBecomeActionsInputsAndStates) {
    const struct {
        const char* what;
        std::string text;
        std::vector<Expected> lines;
    } cases[] = {
        {"one input, one state", "TouchDown_0: Touch1; pressed\n",
         {{"TouchDown_0", {137}, kPressed}}},
        {"two axes moving", "PointerMove: MouseAxisX, MouseAxisY; move\n",
         {{"PointerMove", {134, 135}, kMoved}}},
        {"inputs by ',', states by ','", "A:Touch1,Touch2;pressed,down\n",
         {{"A", {137, 138}, kPressed | kDown}}},
        {"a second ';' adds the word before it as an input", "A:Touch1;Touch2;pressed\n",
         {{"A", {137, 138}, kPressed}}},
        {"blanks never end a token", "A : Tou ch 1 ;\tpres sed\n", {{"A", {137}, kPressed}}},
        {"carriage returns are dropped", "A:Touch1;down\r\nB:Touch2;up\r\n",
         {{"A", {137}, kDown}, {"B", {138}, InputEvent::kUp}}},
        {"case-blind names and words", "A:POINTER;Released\n", {{"A", {219}, kReleased}}},
        {"an unknown input binds code 0", "A:Jump;pressed\n", {{"A", {0}, kPressed}}},
        {"unknown state words add nothing", "A:Touch1;hover\n", {}},
        {"no action", ":Touch1;pressed\n", {}},
        {"no ';' leaves no input", "A:Touch1\n", {}},
        {"last line without a line feed, one ':' and one ';'", "A:Touch1;pressed",
         {{"A", {137}, kPressed}}},
        {"last line without a line feed and two ';'", "A:Touch1;Touch2;pressed", {}},
        {"a line without ':' continues the one before",
         "A:Touch1;down\nTouch2;pressed\n",
         {{"A", {137}, kDown}, {"A", {137, 138}, kPressed}}},
        {"control bytes and bytes from 0xB0 are dropped", "A\x01\xB0\xFF\xAF:Touch1;pressed\n",
         {{"A\xAF", {137}, kPressed}}},
        {"empty", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<InputBindingLine> lines = Parse(c.text);
        ASSERT_EQ(lines.size(), c.lines.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].action, Hash(c.lines[i].action));
            EXPECT_EQ(lines[i].inputs, c.lines[i].inputs);
            EXPECT_EQ(lines[i].states, c.lines[i].states);
        }
    }
}

TEST(InputBindingsParser, OverlongNamesAreCutNotOverrun) {
    const std::string longName(5000, 'x');
    const std::vector<InputBindingLine> lines =
        Parse(longName + ":Touch1;pressed\nB:Touch2;" + longName + "down\nC:Touch3;up\n");
    ASSERT_EQ(lines.size(), 2u);  // B's state word is cut to garbage: B binds nothing
    EXPECT_EQ(lines[0].action, Hash(std::string(kInputBindingTokenMax, 'x').c_str()));
    EXPECT_EQ(lines[0].inputs, std::vector<uint32_t>{137});
    EXPECT_EQ(lines[1].action, Hash("C"));
    EXPECT_EQ(lines[1].inputs, std::vector<uint32_t>{139});
}

TEST(InputBindingsParser, LinesThatBindNothingGetOneLogLine) {
    const struct {
        const char* what;
        std::string text;
        const char* said;  // null: nothing logged
    } cases[] = {
        {"a good file", "A:Touch1;pressed\n\n  \nB:Touch2;down", nullptr},
        {"an unknown state word", "A:Touch1;hover\n", "1 line bind"},
        {"no ';', then good lines", "A:Touch1\nB:Touch2;down\nC:Touch3;up\n", "at line 1"},
        {"several bad lines, one log line", "A:Touch1;down\n\nB:Touch2;hover\nC:Touch3\n:x;y",
         "3 lines bind nothing (no action, input or known state), the first at line 3"},
        {"a last line with two ';'", "A:Touch1;Touch2;pressed", "at line 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::internal::CaptureStderr();
        Parse(c.text);
        const std::string log = testing::internal::GetCapturedStderr();
        if (c.said == nullptr) {
            EXPECT_EQ(log, "");
            continue;
        }
        EXPECT_EQ(log.rfind("Input bindings test: ", 0), 0u) << log;
        EXPECT_NE(log.find(c.said), std::string::npos) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    }
}
