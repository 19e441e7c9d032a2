// Touch states, the pointer, the touch look-ups and the menu back request,
// driven through the handlers as the input manager calls them.
#include "game/rules/InputActions.h"

#include "engine/core/InputEvent.h"
#include "game/rules/GameRecord.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

class CountingFollower : public TouchFollower {
public:
    int OnPointerX(float value) override {
        lastX = value;
        return 1;
    }
    int OnPointerY(float value) override {
        lastY = value;
        return 1;
    }
    int StartStroke() override { return ++strokes; }

    float lastX = -1.0f;
    float lastY = -1.0f;
    int strokes = 0;
};

int g_firstTouches = 0;
void CountFirstTouch() {
    ++g_firstTouches;
}

class InputActionsTest : public testing::Test {
protected:
    void SetUp() override {
        GameRecord& record = GetGameRecord();
        for (TouchRecord& touch : record.touches) {
            touch = TouchRecord{0.0f, 0.0f, -1.0f};
        }
        record.menuBackRequested = false;
        InputActionState& state = GetInputActionState();
        state = InputActionState{};
        state.slashes[3] = &follower;
        g_firstTouches = 0;
        SetFirstTouchHook(FirstTouchHook(&CountFirstTouch));
    }
    void TearDown() override {
        SetFirstTouchHook(FirstTouchHook());
        GetInputActionState() = InputActionState{};
    }

    static InputEvent Down(int slot) {
        return InputEvent::MakeButton(InputCode::kTouch1 + static_cast<uint32_t>(slot), InputEvent::kDown, 1.0f, 0);
    }
    // Frame: age, then the down events the manager delivers.
    static void Frame(bool down, int slot) {
        AgeTouchStates();
        if (down) {
            InputEvent event = Down(slot);
            OnTouchDownInput(event);
        }
    }

    CountingFollower follower;
};

TEST_F(InputActionsTest, TouchStatesAgeFromPressedToUp) {
    const struct {
        bool down;
        float state;
        int firstTouches;
    } frames[] = {
        {true, 2.0f, 1},   // new touch
        {true, 1.0f, 1},   // held; no second notice
        {false, 0.0f, 1},  // lifted
        {false, -1.0f, 1},
        {true, 2.0f, 2},
        {false, 0.0f, 2},
    };
    int index = 0;
    for (const auto& f : frames) {
        SCOPED_TRACE(index++);
        Frame(f.down, 3);
        EXPECT_EQ(GetGameRecord().touches[3].state, f.state);
        EXPECT_EQ(g_firstTouches, f.firstTouches);
    }
    EXPECT_EQ(follower.strokes, 3);
    // A down event on a slot at 0 (lifted in the previous frame) holds it.
    InputEvent event = Down(3);
    OnTouchDownInput(event);
    EXPECT_EQ(GetGameRecord().touches[3].state, 1.0f);
    EXPECT_EQ(g_firstTouches, 2);
}

TEST_F(InputActionsTest, GetTouchStateAnswersPressedOrHeld) {
    GameRecord& record = GetGameRecord();
    record.touches[0].state = 2.0f;
    record.touches[1].state = 1.0f;
    record.touches[2].state = 0.0f;
    EXPECT_EQ(GetTouchState(0), 2);
    EXPECT_EQ(GetTouchState(1), 1);
    EXPECT_EQ(GetTouchState(2), 0);
    EXPECT_EQ(GetTouchState(5), 0);  // up
    EXPECT_EQ(GetTouchState(16), 0);
}

TEST_F(InputActionsTest, FindTouchInRectPrefersTheHintAndIncludesEdges) {
    GameRecord& record = GetGameRecord();
    record.touches[1] = TouchRecord{10.0f, 10.0f, 1.0f};
    record.touches[4] = TouchRecord{20.0f, 0.0f, 2.0f};   // on the right and bottom edges
    record.touches[6] = TouchRecord{5.0f, 5.0f, 0.0f};    // lifted: never
    EXPECT_EQ(FindTouchInRect(0.0f, 20.0f, 0.0f, 20.0f, 4), 4);
    EXPECT_EQ(FindTouchInRect(0.0f, 20.0f, 0.0f, 20.0f, 16), 1);
    EXPECT_EQ(FindTouchInRect(0.0f, 20.0f, 0.0f, 20.0f, 6), 1);
    EXPECT_EQ(FindTouchInRect(4.0f, 6.0f, 4.0f, 6.0f, 6), -1);
}

TEST_F(InputActionsTest, RegressMenuTwiceWithinHalfASecondIsOneBackRequest) {
    InputEvent event = InputEvent::MakeButton(InputCode::kMouseButton1 + 1, InputEvent::kPressed, 1.0f, 0);
    GameRecord& record = GetGameRecord();
    EXPECT_EQ(OnRegressMenuInput(event), 1);
    EXPECT_TRUE(record.menuBackRequested);
    record.menuBackRequested = false;  // the dispatcher clears it each tick
    UpdateInputBlock(0.3f);
    OnRegressMenuInput(event);
    EXPECT_FALSE(record.menuBackRequested);
    UpdateInputBlock(0.2f);
    OnRegressMenuInput(event);
    EXPECT_TRUE(record.menuBackRequested);

    record.menuBackRequested = false;
    UpdateInputBlock(1.0f);
    BlockMenuInput(0.5f);  // a screen's transition swallows it too
    OnRegressMenuInput(event);
    EXPECT_FALSE(record.menuBackRequested);
}

TEST_F(InputActionsTest, MovesReachTheBladeAndTheSlot) {
    InputEvent x = InputEvent::MakeAxis(InputCode::kTouchAxisX1 + 3, InputEvent::kMoved, 0.75f, 0.0f, 0);
    InputEvent y = InputEvent::MakeAxis(InputCode::kTouchAxisY1 + 3, InputEvent::kMoved, 0.25f, 0.0f, 0);
    EXPECT_EQ(OnTouchMoveInput(x), 1);
    EXPECT_EQ(OnTouchMoveInput(y), 1);
    EXPECT_FLOAT_EQ(follower.lastX, 0.75f);
    EXPECT_FLOAT_EQ(GetGameRecord().touches[3].y, 80.0f);  // -(0.25 - 0.5) x 320
    InputEvent other = InputEvent::MakeAxis(InputCode::kAccelAxisX, InputEvent::kMoved, 0.9f, 0.0f, 0);
    const TouchRecord before = GetGameRecord().touches[3];
    EXPECT_EQ(OnTouchMoveInput(other), 1);
    EXPECT_EQ(GetGameRecord().touches[3].x, before.x);
}

}  // namespace
}  // namespace Varnok
