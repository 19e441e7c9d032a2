#include "engine/ui/ComponentButton.h"
#include "engine/ui/ComponentGenericScrollingPane.h"
#include "engine/ui/ComponentScrollableSpace.h"
#include "engine/ui/ComponentSwipie.h"
#include "tests/engine/ui/PaneTestSupport.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using UITest::Make;

class ScrollingPane : public UITest::PaneTest {};

TEST_F(ScrollingPane, GetsItsContentAndPassesOverAnImpostor) {
    auto* pane = Create<ComponentGenericScrollingPane>("ComponentGenericScrollingPane", "pane", 200.0f, 100.0f);
    ASSERT_NE(pane->GetContent(), nullptr);
    EXPECT_EQ(pane->GetContent()->GetParent(), pane);
    EXPECT_STREQ(pane->GetContent()->GetId().c_str(), "scrollableSpace");
    // Its registered parent is Component, not ComponentVisual.
    EXPECT_FALSE(pane->GetContent()->IsKindOf(ComponentVisual::GetStaticClassInfo()));

    ComponentGenericScrollingPane other;
    ComponentVisual* impostor = Make<ComponentVisual>(&other, "scrollableSpace");
    other.OnCreated();
    ASSERT_NE(other.GetContent(), nullptr);
    EXPECT_NE(static_cast<Component*>(other.GetContent()), impostor);
    other.FindParts();  // later calls change nothing
    EXPECT_EQ(other.GetChildCount(), 2);
}

TEST_F(ScrollingPane, ScrollPositionIsTheContentPositionPlusThePivot) {
    auto* pane = Create<ComponentGenericScrollingPane>("ComponentGenericScrollingPane", "pane", 200.0f, 100.0f);
    pane->GetOrAddProperty<bool>(AsciiString("originFromCenter"), false)->Set(true);
    pane->SetScrollPosition(Vector2{30.0f, -40.0f});
    const Vector3 content = pane->GetContent()->FindProperty<Vector3>(AsciiString("position"))->Get();
    EXPECT_FLOAT_EQ(content.x, 30.0f - 100.0f);
    EXPECT_FLOAT_EQ(content.y, -40.0f - 50.0f);
    EXPECT_FLOAT_EQ(pane->GetScrollPosition().x, 30.0f);
    EXPECT_FLOAT_EQ(pane->GetScrollPosition().y, -40.0f);
    EXPECT_FLOAT_EQ(pane->GetViewMin().x, -30.0f);
    EXPECT_FLOAT_EQ(pane->GetViewMax().y, 140.0f);

    ComponentGenericScrollingPane bare;  // never created: no content
    bare.SetScrollPosition(Vector2{5.0f, 5.0f});
    EXPECT_FLOAT_EQ(bare.GetScrollPosition().x, 0.0f);
    EXPECT_FLOAT_EQ(bare.GetScrollPosition().y, 0.0f);
}

TEST_F(ScrollingPane, ParsesOrientationWithoutRegardToCase) {
    EXPECT_EQ(ComponentGenericScrollingPane::ParseOrientation(AsciiString("HORIZONTAL")), 1);
    EXPECT_EQ(ComponentGenericScrollingPane::ParseOrientation(AsciiString("vertical")), 2);
    EXPECT_EQ(ComponentGenericScrollingPane::ParseOrientation(AsciiString("sideways")), 0);
    EXPECT_STREQ(ComponentGenericScrollingPane::OrientationName(0), "unknown");
}

TEST_F(ScrollingPane, ADragStartingOnAButtonTakesTheFocusAfterThreeAndAHalfUnits) {
    auto* pane = Create<ComponentSwipie>("ComponentSwipie", "pane", 300.0f, 100.0f);
    auto* button = static_cast<ComponentButton*>(
        ui().CreateComponent(pane, AsciiString("ComponentButton"), AsciiString("button")));
    button->GetInputEnabledProperty()->Set(true);
    button->GetOrAddProperty<Vector3>(AsciiString("position"), Vector3{})->Set(Vector3{50.0f, 20.0f, 0.0f});
    Load();
    Step();

    Press(60.0f, 30.0f);
    EXPECT_EQ(ui().GetFocus(), button);
    PointerTo(63.0f, 30.0f);  // 3 units: the button keeps it
    EXPECT_EQ(ui().GetFocus(), button);
    EXPECT_FALSE(pane->IsDragStarted());
    PointerTo(63.5f, 30.0f);
    EXPECT_EQ(ui().GetFocus(), pane);
    EXPECT_TRUE(pane->IsDragStarted());
    Release();
    EXPECT_EQ(ui().GetFocus(), nullptr);
    EXPECT_FALSE(pane->IsDragStarted());
}

TEST_F(ScrollingPane, OfTwoNestedPanesTheFirstToStartKeepsTheDrag) {
    auto* outer = Create<ComponentSwipie>("ComponentSwipie", "outer", 300.0f, 300.0f);
    outer->GetOrAddProperty<AsciiString>(AsciiString("orientation"), AsciiString())->Set(AsciiString("vertical"));
    Component* inner = ui().CreateComponent(outer, AsciiString("ComponentSwipie"), AsciiString("inner"));
    inner->GetInputEnabledProperty()->Set(true);
    inner->GetOrAddProperty<float>(AsciiString("width"), 0.0f)->Set(300.0f);
    Load();
    Step();

    Press(100.0f, 50.0f);
    EXPECT_EQ(ui().GetFocus(), inner);
    PointerTo(100.0f, 60.0f);  // along the outer pane's axis only
    EXPECT_EQ(ui().GetFocus(), outer);
    PointerTo(120.0f, 60.0f);  // now across it too: the inner pane has no claim
    EXPECT_EQ(ui().GetFocus(), outer);
    Release();
}

}  // namespace
}  // namespace Varnok
