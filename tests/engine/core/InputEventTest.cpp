#include "engine/core/InputEvent.h"

#include "engine/core/InputManager.h"
#include "tests/engine/core/InputTestUtil.h"

#include <gtest/gtest.h>

using namespace Varnok;
using VarnokTest::Hash;

TEST(InputEvent, InputCodeFollowsTheSingleClassBit) {
    InputEvent button = InputEvent::MakeButton(140, InputEvent::kPressed, 1.0f, 0);
    InputEvent axis = InputEvent::MakeAxis(160, InputEvent::kMoved, 0.5f, 0.1f, 0);
    InputEvent kinect = axis;
    kinect.eventType = InputEvent::kMoved | InputEvent::kKinect;
    InputEvent axis2d = axis;
    axis2d.eventType = InputEvent::kMoved | InputEvent::kAxis2D;
    InputEvent pointer = InputEvent::MakePointer(nullptr, 9, InputEvent::kDown, 0);
    InputEvent twoClasses = button;
    twoClasses.eventType |= InputEvent::kAxis;
    InputEvent noClass = button;
    noClass.eventType = InputEvent::kDown;

    const struct {
        const char* what;
        const InputEvent& event;
        uint32_t code;
    } cases[] = {
        {"button", button, 140},      {"axis", axis, 160},
        {"kinect", kinect, 160},      {"axis2d", axis2d, 0},
        {"pointer", pointer, 219},    {"two class bits", twoClasses, 0},
        {"no class bit", noClass, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.event.GetInputCode(), c.code);
    }
}

TEST(InputEvent, AxisEventsKeepTheLowByteOfTheirCode) {
    InputEvent axis = InputEvent::MakeAxis(0x1A2, InputEvent::kMoved, 0.0f, 0.0f, 0);
    EXPECT_EQ(axis.GetInputCode(), 0xA2u);
}

TEST(InputEvent, ToStringListsTheSetBitsInOrder) {
    InputEvent pressed = InputEvent::MakeButton(137, InputEvent::kPressed, 1.0f, 7);
    EXPECT_STREQ(pressed.ToString().c_str(),
                 "InputEvent\n{\n  eventType = { value=65537, PRESSED, BUTTON };\n"
                 "  timeStamp = 7;\n}");

    InputEvent every;
    every.eventType = 0x1F001F;
    every.timeStamp = 4294967295u;
    EXPECT_STREQ(every.ToString().c_str(),
                 "InputEvent\n{\n  eventType = { value=2031647, PRESSED, DOWN, RELEASED, UP, "
                 "MOVED, BUTTON, AXIS, AXIS2D, KINECT, POINTER };\n  timeStamp = 4294967295;\n}");

    InputEvent none;
    EXPECT_STREQ(none.ToString().c_str(),
                 "InputEvent\n{\n  eventType = { value=0 };\n  timeStamp = 0;\n}");
}

TEST(InputEvent, NamedInputsMapToTheirCodesCaseBlind) {
    const struct {
        const char* name;
        uint32_t code;
    } cases[] = {
        {"MouseButton1", 126}, {"MouseButton8", 133}, {"MouseAxisX", 134}, {"MouseAxisZ", 136},
        {"Touch1", 137},       {"Touch5", 141},       {"Touch16", 152},    {"TouchAxisX1", 153},
        {"TouchAxisX16", 168}, {"TouchAxisY1", 169},  {"touchaxisy16", 184},
        {"AccelAxisX", 185},   {"AccelAxisZ", 187},   {"POINTER", 219},
        {"Touch17", 0},        {"Touch0", 0},         {"MouseButton9", 0}, {"", 0},
        {"Jump", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(InputManager::GetInputId(Hash(c.name)), c.code);
    }
}

TEST(InputEvent, StateKeywordsAreCaseBlind) {
    EXPECT_EQ(FindInputStateKeyword(Hash("pressed")), InputEvent::kPressed);
    EXPECT_EQ(FindInputStateKeyword(Hash("Down")), InputEvent::kDown);
    EXPECT_EQ(FindInputStateKeyword(Hash("RELEASED")), InputEvent::kReleased);
    EXPECT_EQ(FindInputStateKeyword(Hash("up")), InputEvent::kUp);
    EXPECT_EQ(FindInputStateKeyword(Hash("move")), InputEvent::kMoved);
    EXPECT_EQ(FindInputStateKeyword(Hash("moved")), 0u);
    EXPECT_EQ(FindInputStateKeyword(0), 0u);
}
