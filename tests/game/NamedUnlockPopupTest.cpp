// The popup overlay's listener carries the id hash of an unlock to the game:
// an item unlock becomes a pop-up of its name that joins the screen list at
// the flow's next update; achievements, unknown hashes and an empty name
// make none; a second unlock in the same frame does not drop the first.
#include "game/GameFlow.h"

#include "engine/core/HashName.h"
#include "engine/iOS/PopupOverlay.h"
#include "game/rules/Achievements.h"
#include "game/rules/GameRecord.h"
#include "game/screens/ScreenItem.h"
#include "game/screens/ScreenList.h"
#include "platform/PlatformDisplay.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace Varnok {
namespace {

int32_t HashOf(const char* name) {
    return static_cast<int32_t>(HashName(name, static_cast<int>(std::strlen(name))));
}

TEST(NamedUnlockPopup, AnItemUnlockThroughTheOverlayListenerQueuesItsPopup) {
    std::unique_ptr<PlatformDisplay> display = CreateHeadlessDisplay();
    DisplayDef def;
    def.width = 64;
    def.height = 64;
    ASSERT_TRUE(display->Open(def)) << "no headless GL ES 2.0 context";

    GameFlow& flow = GameFlow::Get();
    AchievementManager& achievements = AchievementManager::Instance();
    achievements.Load();  // no list mounted: empty, but the listener is in place
    const std::string list =
        "<achievementManagerFile>"
        "<achievement id=\"red_blade\" name=\"Red\" type=\"TOTAL\" total=\"5\"/>"
        "<achievement id=\"green_blade\" name=\"Green\" type=\"TOTAL\" total=\"6\"/>"
        "<achievement id=\"12_score\" name=\"Score\" type=\"SCORE\" total=\"5\"/>"
        "</achievementManagerFile>";
    achievements.LoadFromText(list.c_str(), list.size());
    const PopupOverlay::Listener& listener = PopupOverlay::Get().GetListener();
    ASSERT_FALSE(listener.IsEmpty());

    GameRecord& game = GetGameRecord();
    ScreenList* const saved = game.screenList;
    game.screenList = nullptr;
    listener(HashOf("12_score"));  // an achievement: its queue shows it
    listener(HashOf("no_such_item"));
    EXPECT_EQ(flow.m_pendingPopup, nullptr);
    flow.ShowNamedUnlockPopup("", 2);
    EXPECT_EQ(flow.m_pendingPopup, nullptr);

    auto screens = std::make_unique<ScreenList>();
    game.screenList = screens.get();
    listener(HashOf("red_blade"));
    ScreenItem* first = flow.m_pendingPopup;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetTypeId(), 7);
    EXPECT_EQ(screens->Count(), 0);  // joins at the next update
    listener(HashOf("green_blade"));
    EXPECT_TRUE(screens->Contains(first));
    EXPECT_NE(flow.m_pendingPopup, first);

    delete flow.m_pendingPopup;
    flow.m_pendingPopup = nullptr;
    screens->Clear();
    screens.reset();
    game.screenList = saved;
    achievements.Clear();
}

}  // namespace
}  // namespace Varnok
