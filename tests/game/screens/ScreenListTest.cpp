// The screen list's update, removal and layered drawing; the HUD pool's ring
// of pop-ups; the countdown timer's refusal to close.
#include "game/screens/ScreenList.h"

#include "game/rules/GameRecord.h"
#include "game/screens/CountdownTimer.h"
#include "game/screens/GameHud.h"
#include "game/screens/HudPopup.h"
#include "game/screens/MenuScreen.h"
#include "game/screens/ScreenItem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

std::vector<std::string> s_calls;

// Notes its updates, draws and deletion by name.
class NotingItem : public ScreenItem {
public:
    explicit NotingItem(std::string name) : m_name(std::move(name)) {}
    ~NotingItem() override { s_calls.push_back("delete " + m_name); }
    void Update(float) override { s_calls.push_back("update " + m_name); }
    void Render(const float[3]) override { s_calls.push_back("draw " + m_name); }

private:
    std::string m_name;
};

void NoteRemoved(ScreenItem* /*item*/) {
    s_calls.push_back("removed");
}

using Calls = std::vector<std::string>;

TEST(ScreenList, FinishedItemsLeaveAtTheNextUpdateAndPersistentOnesSurvive) {
    s_calls.clear();
    ScreenList list;
    auto* hidden = new NotingItem("hidden");
    hidden->m_visible = false;
    hidden->m_finished = true;  // removed without an update
    auto* kept = new NotingItem("kept");
    kept->m_persistent = true;
    kept->m_finished = true;
    kept->m_onRemoved = ScreenItemRemoved(&NoteRemoved);
    auto* live = new NotingItem("live");
    list.Add(hidden);
    list.Add(kept);
    list.Add(live);
    list.UpdateAll(0.1f);
    EXPECT_EQ(s_calls, (Calls{"delete hidden", "removed", "update live"}));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_FALSE(list.Contains(kept));

    // A close-locked item refuses; an open one finishes and stops being persistent.
    auto* locked = new NotingItem("locked");
    locked->m_closeLocked = true;
    EXPECT_EQ(locked->RequestClose(), 0);
    list.Add(locked);
    live->m_persistent = true;
    EXPECT_EQ(live->RequestClose(), 1);
    EXPECT_FALSE(live->m_persistent);
    s_calls.clear();
    list.UpdateAll(0.1f);
    EXPECT_EQ(s_calls, (Calls{"delete live", "update locked"}));
    delete kept;
    s_calls.clear();
}

TEST(ScreenList, LayersDrawOnlyTheItemsSharingABit) {
    s_calls.clear();
    {
        ScreenList list;
        const struct {
            const char* name;
            uint32_t mask;
            bool visible;
        } items[] = {{"default", 0x1, true}, {"top", 0x200, true}, {"none", 0, true}, {"hidden", 0x201, false}};
        for (const auto& i : items) {
            auto* item = new NotingItem(i.name);
            item->m_layerMask = i.mask;
            item->m_visible = i.visible;
            list.Add(item);
        }
        list.RenderLayer(0x200);
        EXPECT_EQ(s_calls, (Calls{"draw top"}));
        s_calls.clear();
        list.RenderLayer(0x201);
        EXPECT_EQ(s_calls, (Calls{"draw default", "draw top"}));
        s_calls.clear();
    }
    EXPECT_EQ(s_calls.size(), 4u);  // the list deleted every item
    s_calls.clear();
}

TEST(GameHud, HandsOutHiddenPopupsInTurnAndExpiresVisibleOnes) {
    ScreenList list;
    GameHud::Create(3, list);
    ASSERT_EQ(GameHud::GetCount(), 3);
    EXPECT_EQ(list.Count(), 3);
    HudPopup* first = GameHud::NextFreePopup();
    EXPECT_EQ(first, GameHud::GetPopup(0));
    first->Open();
    first->m_timeLeft = 1.5f;
    GameHud::GetPopup(1)->Open();
    GameHud::GetPopup(1)->m_timeLeft = 0.01f;
    EXPECT_EQ(GameHud::NextFreePopup(), GameHud::GetPopup(2));
    GameHud::GetPopup(2)->Open();
    // All busy: after a full lap the one at the cursor.
    EXPECT_EQ(GameHud::NextFreePopup(), GameHud::GetPopup(2));

    GameHud::ExpireActivePopups();
    EXPECT_FLOAT_EQ(first->m_timeLeft, GameHud::kExpireSeconds);
    EXPECT_FLOAT_EQ(GameHud::GetPopup(1)->m_timeLeft, 0.01f);  // below the cap already
    list.UpdateAll(0.05f);
    EXPECT_FALSE(GameHud::GetPopup(1)->m_visible);  // ran out: hidden, kept for reuse
    EXPECT_TRUE(first->m_visible);
    EXPECT_EQ(list.Count(), 3);
    list.Clear();  // persistent: the pool still owns them
    GameHud::Destroy();
    EXPECT_EQ(GameHud::NextFreePopup(), nullptr);
}

TEST(CountdownTimer, ClosingResetsItAndIsRefused) {
    CountdownTimer timer;
    timer.SetStartTime(90.9f);
    timer.Open();
    EXPECT_FLOAT_EQ(timer.m_timeLeft, 90.9f);
    timer.m_timeLeft = 12.0f;
    EXPECT_EQ(timer.RequestClose(), 0);
    EXPECT_FLOAT_EQ(timer.m_timeLeft, 90.9f);
    EXPECT_FALSE(timer.m_finished);
    timer.SetStartTime(-1.0f);
    timer.Reset();
    EXPECT_EQ(timer.m_timeLeft, 0.0f);  // never below 0
}

TEST(MenuScreen, AnExitWithoutItsComponentEndsAtTheNextUpdate) {
    const struct {
        bool doneAtOnce;
        bool close;
    } cases[] = {{false, false}, {true, false}, {false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.doneAtOnce);
        MenuScreen screen;
        screen.PlayExitAnimation("no.such.layout", "animate_out", c.doneAtOnce, c.close);
        EXPECT_EQ(screen.m_exitDone, c.doneAtOnce);
        ASSERT_EQ(screen.GetExitQueue().size(), 1u);
        screen.UpdateExitAnimations();
        EXPECT_TRUE(screen.GetExitQueue().empty());
        EXPECT_TRUE(screen.m_exitDone);
        EXPECT_EQ(screen.m_finished, c.close);
    }
}

}  // namespace
}  // namespace Varnok
