// The game's scrolling list: the slide back of soft clamping, snapping onto
// rows, row visibility with the offset, taps on rows, and the guards for
// lists without soft clamping, without height or with too few rows to wrap.
#include "game/screens/ComponentScrollingList.h"

#include "tests/engine/ui/PaneTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace Varnok {
namespace {

using UITest::Make;

class ScrollingList : public UITest::PaneTest {
protected:
    // A vertical list of rows of one height, loaded and laid out once.
    ComponentScrollingList* MakeList(float height, int rows, float rowHeight) {
        auto* list = Make<ComponentScrollingList>(screen, "list");
        list->GetInputEnabledProperty()->Set(true);
        list->FindProperty<float>(AsciiString("height"))->Set(height);
        list->FindProperty<bool>(AsciiString("scrollVertically"))->Set(true);
        list->FindProperty<float>(AsciiString("extentsEnd"))->Set(-1.0f);
        for (int i = 0; i < rows; ++i) {
            auto* row = Make<ComponentVisual>(list, "row");
            row->FindProperty<float>(AsciiString("height"))->Set(rowHeight);
            list->AddItem(row);
        }
        Load();
        Step();
        return list;
    }
    static void SoftClamping(ComponentScrollingList* list, float inc, float max) {
        list->FindProperty<bool>(AsciiString("softClamping"))->Set(true);
        list->FindProperty<float>(AsciiString("softClampingSpeedInc"))->Set(inc);
        list->FindProperty<float>(AsciiString("softClampingSpeedMax"))->Set(max);
    }
    static void Touch(Component::TouchEvent& event, float x, float y) {
        bool handled = false;
        event.Raise(Vector2{x, y}, handled);
    }
};

TEST_F(ScrollingList, ReleasedPastItsEndItSlidesBackFasterAndStopsExactly) {
    ComponentScrollingList* list = MakeList(100.0f, 3, 50.0f);
    SoftClamping(list, 2.0f, 20.0f);
    list->ScrollBy(-120.0f);
    std::vector<float> steps;
    float previous = list->GetOffset();
    for (int i = 0; i < 20 && list->GetOffset() != -50.0f; ++i) {
        Step();
        steps.push_back(list->GetOffset() - previous);
        previous = list->GetOffset();
    }
    EXPECT_EQ(steps, (std::vector<float>{0, 2, 4, 6, 8, 10, 12, 14, 14}));
    EXPECT_EQ(list->GetOffset(), -50.0f);
    EXPECT_EQ(list->GetTarget(), -50.0f);
    // The last row sits at the list's bottom edge.
    EXPECT_FLOAT_EQ(list->GetItem(2)->FindProperty<Vector3>(AsciiString("position"))->Get().y, 50.0f);
}

TEST_F(ScrollingList, SnapsOntoTheNearestRowBoundary) {
    const struct {
        float rest;
        float snapped;
    } cases[] = {{-61.0f, -80.0f}, {-59.0f, -40.0f}, {-19.0f, 0.0f}, {-100.0f, -120.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rest);
        ComponentScrollingList* list = MakeList(100.0f, 10, 40.0f);
        SoftClamping(list, 100.0f, 100.0f);
        list->FindProperty<bool>(AsciiString("snapToItem"))->Set(true);
        list->ScrollBy(c.rest);
        Step(3);
        EXPECT_EQ(list->GetOffset(), c.snapped);
        ui().DestroyComponent(reinterpret_cast<Component*&>(list));
    }
}

TEST_F(ScrollingList, RowsOutsideTheListAreDisabledOnceScrolled) {
    ComponentScrollingList* list = MakeList(100.0f, 3, 50.0f);
    list->ScrollBy(-60.0f);
    EXPECT_FALSE(list->GetItem(0)->IsEnabled());  // at -60..-10
    EXPECT_TRUE(list->GetItem(1)->IsEnabled());
    EXPECT_TRUE(list->GetItem(2)->IsEnabled());
    list->ScrollBy(60.0f);
    EXPECT_TRUE(list->GetItem(0)->IsEnabled());
    EXPECT_FALSE(list->GetItem(2)->IsEnabled());  // at 100..150
}

TEST_F(ScrollingList, ATapAtRestScrollsToTheRowButNotWhileSliding) {
    ComponentScrollingList* list = MakeList(100.0f, 6, 50.0f);
    SoftClamping(list, 5.0f, 50.0f);
    list->FindProperty<bool>(AsciiString("holdsInput"))->Set(true);
    Touch(list->OnTouchDownEvent, 10.0f, 75.0f);  // on row 1
    Touch(list->OnTouchUpEvent, 10.0f, 75.0f);
    EXPECT_TRUE(list->IsLocked());
    EXPECT_EQ(list->GetTarget(), -50.0f);
    Touch(list->OnTouchDownEvent, 10.0f, 25.0f);  // ignored while locked
    EXPECT_FALSE(list->IsDragging());
    Step(10);
    EXPECT_EQ(list->GetOffset(), -50.0f);
    EXPECT_FALSE(list->IsLocked());

    list->ScrollBy(20.0f);  // sliding back: a tap now does not pick a row
    Touch(list->OnTouchDownEvent, 10.0f, 75.0f);
    Touch(list->OnTouchUpEvent, 10.0f, 75.0f);
    EXPECT_FALSE(list->IsLocked());
}

TEST_F(ScrollingList, WithoutSoftClampingAnAnimatedScrollJumpsAndLeavesTheListFree) {
    ComponentScrollingList* list = MakeList(100.0f, 6, 50.0f);
    list->ScrollToItem(3, true);
    EXPECT_EQ(list->GetOffset(), -150.0f);
    EXPECT_FALSE(list->IsLocked());
    Touch(list->OnTouchDownEvent, 10.0f, 25.0f);
    EXPECT_TRUE(list->IsDragging());
}

TEST_F(ScrollingList, DegenerateListsStayFinite) {
    // No height: a drag past the start is fully resisted, not divided by 0.
    ComponentScrollingList* flat = MakeList(0.0f, 3, 50.0f);
    SoftClamping(flat, 2.0f, 20.0f);
    flat->FindProperty<float>(AsciiString("softClampingDrag"))->Set(1.0f);
    Touch(flat->OnTouchDownEvent, 0.0f, 0.0f);
    Touch(flat->OnTouchMovedEvent, 0.0f, 30.0f);
    EXPECT_EQ(flat->GetOffset(), 0.0f);
    Touch(flat->OnTouchUpEvent, 0.0f, 30.0f);
    ui().DestroyComponent(reinterpret_cast<Component*&>(flat));

    // Wrapping with less than a screenful of rows: one lap fills what it can.
    ComponentScrollingList* shortList = MakeList(100.0f, 2, 30.0f);
    shortList->FindProperty<bool>(AsciiString("itemsWrap"))->Set(true);
    shortList->ScrollBy(-10.0f);
    shortList->ScrollBy(25.0f);
    Step(3);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(std::isfinite(shortList->GetItem(i)->FindProperty<Vector3>(AsciiString("position"))->Get().y));
    }
    // Rows of no height cannot be snapped onto.
    ComponentScrollingList* zeroRows = MakeList(100.0f, 3, 0.0f);
    SoftClamping(zeroRows, 2.0f, 20.0f);
    zeroRows->FindProperty<bool>(AsciiString("snapToItem"))->Set(true);
    zeroRows->ScrollBy(-30.0f);
    Step(30);
    EXPECT_TRUE(std::isfinite(zeroRows->GetOffset()));
}

}  // namespace
}  // namespace Varnok
