// The rising pictures of the HUD pool: where they open, how long they last,
// and the way a hit fruit reaches them.
#include "game/screens/HudPopup.h"

#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/screens/GameHud.h"
#include "game/screens/ScreenList.h"
#include "game/world/Fruit.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

class HudPopupTest : public testing::Test {
protected:
    void SetUp() override {
        GetGameRecord().paused = false;
        GameHud::Create(2, list);
    }
    void TearDown() override {
        list.Clear();
        GameHud::Destroy();
    }

    ScreenList list;
};

TEST_F(HudPopupTest, UltraRareBonusRisesAtHalfSpeedInsideTheScreen) {
    // No picture is mounted here: the pop-up keeps its open size of 65.
    const float half = 65.0f / 2.0f;
    const float right = LogicalScreenWidth() / 2.0f - half;
    const float top = LogicalScreenHeight() / 2.0f - half;
    const struct {
        Vector3 at;
        Vector3 shown;
    } cases[] = {
        {{10.0f, -20.0f, 0.0f}, {10.0f, -20.0f, 0.0f}},
        {{1000.0f, 1000.0f, 0.0f}, {right, top, 0.0f}},
        {{-1000.0f, -1000.0f, 0.0f}, {-right, -top, 0.0f}},
    };
    for (const auto& c : cases) {
        HudPopup* popup = GameHud::GetPopup(0);
        popup->ShowUltraRareBonus(c.at);
        EXPECT_TRUE(popup->m_visible);
        EXPECT_TRUE(popup->m_rising);
        EXPECT_FLOAT_EQ(popup->m_offset.x, c.shown.x);
        EXPECT_FLOAT_EQ(popup->m_offset.y, c.shown.y);
        EXPECT_FLOAT_EQ(popup->m_timeLeft, 1.81f);
        EXPECT_FLOAT_EQ(popup->m_speed, 0.5f);
    }
    HudPopup* popup = GameHud::GetPopup(0);
    popup->Update(1.0f);
    EXPECT_NEAR(popup->m_timeLeft, 1.31f, 1e-5f);
    popup->Update(2.7f);
    EXPECT_FALSE(popup->m_visible);  // ran out, kept for reuse

    // A bean after it runs at full speed again.
    popup->ShowBean(Vector3{}, true);
    EXPECT_FLOAT_EQ(popup->m_speed, 1.0f);
}

TEST_F(HudPopupTest, AHitUltraRareFruitTakesTheNextFreePopup) {
    HudPopup* busy = GameHud::NextFreePopup();
    busy->ShowBean(Vector3{}, false);
    HudPopup::ShowUltraRareBonusAtNextFree(Vector3{5.0f, 6.0f, 0.0f});
    HudPopup* bonus = GameHud::GetPopup(1);
    EXPECT_NE(bonus, busy);
    EXPECT_TRUE(bonus->m_visible);
    EXPECT_FLOAT_EQ(bonus->m_speed, 0.5f);
    EXPECT_FLOAT_EQ(bonus->m_offset.x, 5.0f);

    list.Clear();
    GameHud::Destroy();
    HudPopup::ShowUltraRareBonusAtNextFree(Vector3{});  // no pool: nothing, no crash
}

}  // namespace
}  // namespace Varnok
