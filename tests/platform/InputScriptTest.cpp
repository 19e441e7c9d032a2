#include "platform/InputScript.h"

#include <gtest/gtest.h>

using Varnok::InputScript;
using Varnok::InputScriptEvent;
using Varnok::PlatformTouch;

TEST(InputScript, ReadsTouchesAndAccelerometerInFrameOrder) {
    InputScript script;
    script.Parse("# a swipe\n"
                 "12 up 1 0.9 0.5\n"
                 "10 down 1 0.1 0.5   # start\n"
                 "11 move 1 0.5 0.5\n"
                 "11 accel 0 0 -1\n",
                 "test");
    ASSERT_EQ(script.EventCount(), 4u);
    EXPECT_EQ(script.LastFrame(), 12);
    EXPECT_TRUE(script.EventsAt(9).empty());

    const auto down = script.EventsAt(10);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(down[0].touch.phase, PlatformTouch::Began);
    EXPECT_EQ(down[0].touch.id, 1u);
    EXPECT_FLOAT_EQ(down[0].touch.x, 0.1f);

    const auto both = script.EventsAt(11);
    ASSERT_EQ(both.size(), 2u);  // file order kept within a frame
    EXPECT_EQ(both[0].touch.phase, PlatformTouch::Moved);
    EXPECT_EQ(both[1].kind, InputScriptEvent::Accel);
    EXPECT_FLOAT_EQ(both[1].accel[2], -1.0f);
}

TEST(InputScript, TextIsTheRestOfTheLineWithoutSurroundingBlanks) {
    InputScript script;
    script.Parse("5 text Hello, world\r\n"
                 "5 down 2 0.5 0.5\n"
                 "7 text \t  na\xC3\xAFve caf\xC3\xA9  # typed\n",
                 "test");
    ASSERT_EQ(script.EventCount(), 3u);
    const auto five = script.EventsAt(5);
    ASSERT_EQ(five.size(), 2u);
    EXPECT_EQ(five[0].kind, InputScriptEvent::Text);
    EXPECT_EQ(five[0].text, "Hello, world");
    EXPECT_EQ(five[1].kind, InputScriptEvent::Touch);
    const auto seven = script.EventsAt(7);
    ASSERT_EQ(seven.size(), 1u);
    EXPECT_EQ(seven[0].text, "na\xC3\xAFve caf\xC3\xA9");
}

TEST(InputScript, SkipsMalformedLinesOnly) {
    const char* bad[] = {
        "x down 1 0.5 0.5",    // no frame
        "3 press 1 0.5 0.5",   // unknown action
        "3 down 1 0.5",        // missing y
        "3 down 1 1.5 0.5",    // outside the view
        "-1 down 1 0.5 0.5",   // negative frame
        "3 accel 1 2",         // missing z
        "3 text  \t\r",        // nothing to type
    };
    for (const char* line : bad) {
        SCOPED_TRACE(line);
        InputScript script;
        testing::internal::CaptureStderr();
        script.Parse(std::string(line) + "\n4 up 1 0.5 0.5\n", "test");
        EXPECT_NE(testing::internal::GetCapturedStderr().find("InputScript: test:1"), std::string::npos);
        EXPECT_EQ(script.EventCount(), 1u);
    }
}

TEST(InputScript, MissingFileIsAFailure) {
    InputScript script;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(script.Load("/nonexistent/script.txt"));
    testing::internal::GetCapturedStderr();
}
