// The list's close request and suspend notice: closed items leave the list
// undeleted (the game record may still point at them); only the scrolling
// lists hear of a suspend.
#include "game/screens/ScreenList.h"

#include "game/screens/ScreenItem.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

int s_deleted = 0;
int s_removed = 0;

class CountingItem : public ScreenItem {
public:
    explicit CountingItem(int type = 0) : m_type(type) {}
    ~CountingItem() override { ++s_deleted; }
    int GetTypeId() const override { return m_type; }
    void CancelTouches() override { ++cancelled; }

    int cancelled = 0;

private:
    int m_type;
};

void CountRemoved(ScreenItem* /*item*/) {
    ++s_removed;
}

TEST(ScreenListClose, ClosedItemsLeaveTheListButAreNotDeleted) {
    s_deleted = 0;
    s_removed = 0;
    CountingItem open;
    open.m_onRemoved = ScreenItemRemoved(&CountRemoved);
    auto* locked = new CountingItem();
    locked->m_closeLocked = true;
    {
        ScreenList list;
        list.Add(&open);
        list.Add(locked);
        list.CloseClosable();
        EXPECT_EQ(list.Count(), 1);
        EXPECT_TRUE(list.Contains(locked));
        EXPECT_EQ(s_removed, 1);
        EXPECT_EQ(s_deleted, 0);
        EXPECT_TRUE(open.m_finished);
    }
    EXPECT_EQ(s_deleted, 1);  // the list deleted only what it still held
}

TEST(ScreenListClose, ASuspendReachesOnlyTheScrollingLists) {
    ScreenList list;
    auto* plain = new CountingItem(1);
    auto* scrolling = new CountingItem(8);
    list.Add(plain);
    list.Add(scrolling);
    list.NotifySuspend();
    EXPECT_EQ(plain->cancelled, 0);
    EXPECT_EQ(scrolling->cancelled, 1);
}

}  // namespace
}  // namespace Varnok
