// A power's icon in the HUD pool: with no icon the dropped-fruit picture
// opens kept inside the screen and shakes for a count; it rises for its time.
#include "game/screens/HudPopup.h"

#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/screens/GameHud.h"
#include "game/screens/ScreenList.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

TEST(HudPopupIcon, WithoutAnIconTheDroppedPictureOpensInsideTheScreen) {
    GetGameRecord().paused = false;
    ScreenList list;
    GameHud::Create(2, list);
    const float edge = (LogicalScreenWidth() - 62.0f) / 2.0f;
    const float top = (LogicalScreenHeight() - 62.0f) / 2.0f;
    const struct {
        Vector3 at;
        int count;
        Vector3 shown;
        uint16_t shake;
    } cases[] = {
        {{10.0f, 20.0f, 0.0f}, 0, {10.0f, 20.0f, 0.0f}, 0},
        {{-5000.0f, 5000.0f, 0.0f}, 3, {-edge, top, 0.0f}, 30},
    };
    for (const auto& c : cases) {
        HudPopup* popup = GameHud::NextFreePopup();
        ASSERT_NE(popup, nullptr);
        popup->ShowIcon(c.at, c.count, SmartPtr<Texture>());
        EXPECT_TRUE(popup->m_rising && popup->m_visible);
        EXPECT_FLOAT_EQ(popup->m_offset.x, c.shown.x);
        EXPECT_FLOAT_EQ(popup->m_offset.y, c.shown.y);
        EXPECT_EQ(popup->m_shakeFrames, c.shake);
        EXPECT_FLOAT_EQ(popup->m_timeLeft, 1.66f);
        EXPECT_FLOAT_EQ(popup->m_scale.x, 62.0f);
    }
    list.Clear();
    GameHud::Destroy();
}

}  // namespace
}  // namespace Varnok
