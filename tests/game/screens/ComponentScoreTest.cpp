// The game's own label classes: the counting score, the value label's safe
// formatting, and the background control's scroll.
#include "game/screens/ComponentScore.h"

#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/screens/ComponentBackgroundControl.h"
#include "game/screens/ComponentTextValue.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace {

class ScoreLabelTest : public testing::Test {
protected:
    void TearDown() override { SetScore(0); }
};

TEST_F(ScoreLabelTest, CountsTowardTheScoreWithoutPassingIt) {
    SetScore(0);
    ComponentScore label;
    EXPECT_EQ(std::string(label.GetDisplayText().c_str()), "0");
    SetScore(1000);
    int frames = 0;
    int last = 0;
    while (static_cast<int>(label.m_shownValue) != 1000 && frames < 600) {
        label.CountToward(1000, 1.0f / 60.0f);
        const int now = static_cast<int>(label.m_shownValue);
        EXPECT_GE(now, last);    // it only rises
        EXPECT_LE(now, 1000);    // and never passes the score at 60 frames a second
        last = now;
        ++frames;
    }
    EXPECT_EQ(last, 1000);
    EXPECT_GT(frames, 30);  // counted, not jumped
    EXPECT_LT(frames, 600);

    // Down the same way; held, it stays.
    label.m_shownValue = 500.0f;
    EXPECT_TRUE(label.CountToward(100, 1.0f / 60.0f));
    EXPECT_LT(label.m_shownValue, 500.0f);
    EXPECT_GT(label.m_shownValue, 100.0f);
    label.m_hold = true;
    const float held = label.m_shownValue;
    EXPECT_FALSE(label.CountToward(100, 1.0f / 60.0f));
    EXPECT_EQ(label.m_shownValue, held);
}

TEST_F(ScoreLabelTest, ShowsAtMostEightDigitsAndStartsFromTheScore) {
    SetScore(42);
    ComponentScore label;
    EXPECT_EQ(label.m_shownValue, 42.0f);
    label.m_shownValue = 123456789.0f;
    EXPECT_EQ(std::string(label.GetDisplayText().c_str()), "99999999");
}

TEST_F(ScoreLabelTest, ReachingTheScoreRevealsTheNewBestBadge) {
    SetScore(0);
    ComponentScore label;
    Component badge;
    badge.GetEnabledProperty()->Set(false);
    label.m_newBestLabel = &badge;
    SetScore(3);
    for (int i = 0; i < 120 && static_cast<int>(label.m_shownValue) != 3; ++i) {
        label.Update(1.0f / 60.0f);
    }
    EXPECT_EQ(static_cast<int>(label.m_shownValue), 3);
    EXPECT_TRUE(badge.GetEnabledProperty()->Get());
}

TEST(ComponentTextValue, FormatsOneIntegerAndShowsAnythingElseAsWritten) {
    const struct {
        const char* format;
        int value;
        const char* shown;
    } cases[] = {
        {"%d", 1, "1"},
        {"BEST %d", 250, "BEST 250"},
        {"%05d pts", 42, "00042 pts"},
        {"no number", 7, "no number"},
        {"100%% of %d", 3, "100% of 3"},
        {"%d and %d", 5, "5 and %d"},      // one value, one conversion
        {"%s%s%n %d", 9, "%s%s%n 9"},      // nothing else is read or written
        {"%99999d", 1, "%99999d"},         // no huge widths
        {"ends with %", 1, "ends with %"},
        {"%d 0123456789012345678901234567890123456789", 1, "1 01234567890123456789012345678"},  // 31 characters
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(std::string(ComponentTextValue::Format(c.format, c.value).c_str()), c.shown);
    }
    ComponentTextValue label;
    EXPECT_EQ(label.m_value, 1);
}

TEST(ComponentBackgroundControl, MovesTheBackgroundFromItsStartTowardItsTarget) {
    GameRecord& game = GetGameRecord();
    game.backgroundPos = Vector2{100.0f, 50.0f};
    game.backgroundTarget = game.backgroundPos;
    ComponentBackgroundControl control;
    EXPECT_EQ(control.GetMoveStart().x, 100.0f);
    control.FindProperty<Vector2>(AsciiString("backgroundtarget"))->Set(Vector2{300.0f, 250.0f});
    EXPECT_EQ(game.backgroundTarget.x, 300.0f);  // a new target begins a move
    const struct {
        float moveScale;
        Vector2 destination;
    } cases[] = {
        {0.0f, {100.0f, 50.0f}},
        {0.5f, {200.0f, 150.0f}},
        {1.0f, {300.0f, 250.0f}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.moveScale);
        control.FindProperty<float>(AsciiString("movescale"))->Set(c.moveScale);
        control.Update(0.0f);
        EXPECT_FLOAT_EQ(game.backgroundTarget.x, c.destination.x);
        EXPECT_FLOAT_EQ(game.backgroundTarget.y, c.destination.y);
    }
    // Negative: the background is left alone while the element still follows it.
    game.backgroundTarget = Vector2{7.0f, 8.0f};
    control.FindProperty<float>(AsciiString("movescale"))->Set(-1.0f);
    control.Update(0.0f);
    EXPECT_EQ(game.backgroundTarget.x, 7.0f);
    const Vector3 place = control.FindProperty<Vector3>(AsciiString("position"))->Get();
    EXPECT_FLOAT_EQ(place.x, 200.0f);  // target minus offset

    // Re-enabled, the next move starts from where the background is then.
    game.backgroundPos = Vector2{10.0f, 20.0f};
    control.GetEnabledProperty()->Set(false);
    control.GetEnabledProperty()->Set(true);
    EXPECT_EQ(control.GetMoveStart().x, 10.0f);
    control.ResetStart();
    game.backgroundPos = Vector2{};
    game.backgroundTarget = Vector2{};
}

}  // namespace
}  // namespace Varnok
