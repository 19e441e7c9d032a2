// The HUD's clocks: the pop-ups' frame factor and the moment they show, the
// countdown's seconds text, warning flips and ticks, the bonus label's
// doubling, and the swipe hint's wait.
#include "game/screens/CountdownTimer.h"

#include "game/rules/GameRecord.h"
#include "game/rules/InGameMode.h"
#include "game/screens/BonusTimeLabel.h"
#include "game/screens/GameHud.h"
#include "game/screens/HudPopup.h"
#include "game/screens/ScreenList.h"
#include "game/screens/SwipeHint.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace {

constexpr float kFrame = 1.0f / 60.0f;

TEST(HudTiming, OneRisingPopupRunsAtOneAndAHalfAndShowsAfterItsDelay) {
    GetGameRecord().paused = false;
    ScreenList list;
    GameHud::Create(3, list);
    EXPECT_FLOAT_EQ(GameHud::FrameFactor(), 1.0f);  // nothing counted yet
    HudPopup* bonus = GameHud::NextFreePopup();
    bonus->ShowUltraRareBonus(Vector3{});
    list.UpdateAll(kFrame);  // counts it
    list.UpdateAll(kFrame);
    EXPECT_FLOAT_EQ(GameHud::FrameFactor(), 1.5f);
    // At 1.5 times half speed: 0.75 of real time.
    const float before = bonus->m_timeLeft;
    list.UpdateAll(0.1f);
    EXPECT_NEAR(before - bonus->m_timeLeft, 0.075f, 1e-5f);

    // A 1.81 s bean announces itself once, as its first 0.15 s end.
    HudPopup* bean = GameHud::NextFreePopup();
    bean->ShowBean(Vector3{100.0f, 0.0f, 0.0f}, false);
    bonus->m_visible = false;  // alone now: factor 1.5 from the next frame on
    list.UpdateAll(kFrame);
    float shown = 0.0f;
    while (bean->m_announcements == 0 && shown < 1.0f) {
        list.UpdateAll(kFrame);
        shown += kFrame * 1.5f;
    }
    EXPECT_EQ(bean->m_announcements, 1);
    EXPECT_LT(bean->m_timeLeft, 1.66f);
    EXPECT_GT(bean->m_timeLeft, 1.66f - 2.0f * kFrame);
    for (int i = 0; i < 200 && bean->m_visible; ++i) {
        list.UpdateAll(kFrame);
    }
    EXPECT_FALSE(bean->m_visible);
    EXPECT_EQ(bean->m_announcements, 1);
    char buffer[16];
    EXPECT_STREQ(bean->AnnouncementSound(buffer, sizeof(buffer)), "New-best-score");
    bean->m_isCombo = true;
    bean->m_comboSize = 30;
    EXPECT_STREQ(bean->AnnouncementSound(buffer, sizeof(buffer)), "combo-8");

    // The pulse: nothing at the ends, full at a quarter turn in, 0.65 between.
    const struct {
        float timeLeft;
        float scale;
    } pulses[] = {{1.66f, 0.0f}, {1.66f * 5.0f / 6.0f, 1.0f}, {0.83f, 0.65f}, {1.66f / 6.0f, 1.0f}, {0.0f, 0.0f}};
    for (const auto& p : pulses) {
        SCOPED_TRACE(p.timeLeft);
        EXPECT_NEAR(HudPopup::PulseScale(p.timeLeft), p.scale, 1e-3f);
    }
    list.Clear();
    GameHud::Destroy();
}

class TimedMode : public InGameMode {
public:
    int GetModeType() const override { return 1; }
    void Start() override {}
    Component* ShowHud() override { return nullptr; }
    bool AreWavesSuspended() override { return false; }
    bool IsTimerRunning() override { return running; }
    void OnFruitSliced(Fruit*) override {}
    int GetSaveState() override { return 0; }

    bool running = true;
};

class CountdownTest : public testing::Test {
protected:
    void SetUp() override {
        GameRecord& game = GetGameRecord();
        game.paused = false;
        game.notInPlay = false;
        m_previous = game.currentMode;
        game.currentMode = &mode;
        timer.SetStartTime(90.9f);
        timer.Open();
    }
    void TearDown() override { GetGameRecord().currentMode = m_previous; }

    TimedMode mode;
    CountdownTimer timer;

private:
    InGameMode* m_previous = nullptr;
};

TEST_F(CountdownTest, ShowsSecondsOnlyUnderAMinute) {
    timer.Update(kFrame);
    EXPECT_STREQ(timer.m_digits, "");
    timer.m_timeLeft = 60.0f + kFrame / 2.0f;
    timer.Update(kFrame);
    EXPECT_STREQ(timer.m_digits, "59");
    // Out of the timed phase nothing moves.
    mode.running = false;
    const float left = timer.m_timeLeft;
    timer.Update(1.0f);
    EXPECT_EQ(timer.m_timeLeft, left);
}

TEST_F(CountdownTest, UnderThreeSecondsFlipsEveryEighthWithATickOrTock) {
    timer.m_timeLeft = 2.9f;
    int flips = 0;
    uint8_t green = timer.m_colour.g;
    // One second in frames of 1/120 s: eight flips, each one a tick or tock.
    for (int i = 0; i < 120; ++i) {
        timer.Update(1.0f / 120.0f);
        if (timer.m_colour.g != green) {
            ++flips;
            green = timer.m_colour.g;
        }
    }
    EXPECT_GE(flips, 7);
    EXPECT_LE(flips, 9);
    EXPECT_EQ(timer.m_ticks, flips);
    // The end: red and stopped at 0, without a tick.
    timer.m_timeLeft = 0.55f;
    const int ticks = timer.m_ticks;
    timer.Update(0.1f);
    EXPECT_EQ(timer.m_timeLeft, 0.0f);
    EXPECT_EQ(timer.m_colour.g, 100);
    EXPECT_LE(timer.m_ticks, ticks + 1);
    // Paused, it holds.
    GetGameRecord().paused = true;
    timer.m_timeLeft = 5.0f;
    timer.Update(1.0f);
    EXPECT_EQ(timer.m_timeLeft, 5.0f);
    GetGameRecord().paused = false;
}

TEST_F(CountdownTest, ADoubledBonusOfFiveSecondsAddsTen) {
    GetGameRecord().countdownTimer = &timer;
    timer.m_timeLeft = 20.0f;
    BonusTimeLabel label;
    label.m_target = 5.0f;
    label.m_doubled = true;  // a score multiplier ran beside its power
    float waited = 0.0f;
    while (!label.m_finished && waited < 3.0f) {
        label.Update(kFrame);
        waited += kFrame;
    }
    EXPECT_TRUE(label.m_finished);
    // The clock stood still while the label flew, then took the bonus.
    EXPECT_NEAR(timer.m_timeLeft, 20.0f + waited + 10.0f, 1e-3f);
    GetGameRecord().countdownTimer = nullptr;
}

TEST(SwipeHint, ATouchBringsTheHintCloserButNeverPastItsEnd) {
    SwipeHint hint;
    hint.SetTarget(nullptr);
    EXPECT_FLOAT_EQ(hint.m_timer, -10.0f);
    hint.m_timer = -8.0f;  // two seconds after a choice
    hint.OnTargetTouched(nullptr);
    EXPECT_FLOAT_EQ(hint.m_timer, 0.0f);  // capped
    hint.m_timer = -10.0f;
    hint.OnTargetTouched(nullptr);
    EXPECT_FLOAT_EQ(hint.m_timer, -0.5f);
    hint.m_timer = 1.0f;  // showing: a touch changes nothing
    hint.OnTargetTouched(nullptr);
    EXPECT_FLOAT_EQ(hint.m_timer, 1.0f);
    // Without a target it keeps waiting and stays parked.
    GetGameRecord().menuPhase = -1.0f;
    hint.Update(kFrame);
    EXPECT_FLOAT_EQ(hint.m_timer, -10.0f);
    EXPECT_FLOAT_EQ(hint.m_hintOffset.x, -1000.0f);
    GetGameRecord().menuPhase = 0.0f;
}

}  // namespace
}  // namespace Varnok
