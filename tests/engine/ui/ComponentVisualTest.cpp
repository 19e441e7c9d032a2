#include "engine/ui/ComponentVisual.h"

#include "engine/ui/UIClip.h"

#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Varnok {
namespace {

using UITest::Make;

class Visual : public ComponentVisual {
public:
    void Set(float x, float y, float w, float h) {
        m_position->Set(Vector3{x, y, 0.0f});
        m_width->Set(w);
        m_height->Set(h);
    }
    void Dock(const char* name) { m_dock->Set(AsciiString(name)); }
    UIProperty<float>* Margin(const char* side) { return FindProperty<float>(AsciiString(side)); }
};

void ExpectRect(const UIRect& r, float left, float top, float right, float bottom) {
    EXPECT_NEAR(r.left, left, 1e-3f);
    EXPECT_NEAR(r.top, top, 1e-3f);
    EXPECT_NEAR(r.right, right, 1e-3f);
    EXPECT_NEAR(r.bottom, bottom, 1e-3f);
}

class ComponentVisualTest : public UITest::UIManagerTest {
protected:
    void SetUp() override {
        UIManagerTest::SetUp();
        ComponentScreen* screen = AddScreen("menu");
        // Screen units are pixels here: the placements below read as drawn.
        screen->FindProperty<AsciiString>(AsciiString("scaleToViewportMode"))->Set(AsciiString("None"));
        parent = Make<Visual>(screen, "parent");
        parent->Set(0.0f, 0.0f, 100.0f, 100.0f);
    }

    Visual* Child(const char* id, float w, float h, const char* dock) {
        Visual* child = Make<Visual>(parent, id);
        child->Set(0.0f, 0.0f, w, h);
        child->Dock(dock);
        return child;
    }

    Visual* parent = nullptr;
};

TEST_F(ComponentVisualTest, EdgesStackInwardsAndFillTakesTheRest) {
    Visual* first = Child("first", 10.0f, 20.0f, "Top");
    Visual* second = Child("second", 10.0f, 30.0f, "Top");
    Visual* fill = Child("fill", 5.0f, 5.0f, "Fill");
    ComponentVisual::LayoutDockedChildren(*parent);
    ExpectRect(first->GetLocalBounds(), 0, 0, 100, 20);
    ExpectRect(second->GetLocalBounds(), 0, 20, 100, 50);
    ExpectRect(fill->GetLocalBounds(), 0, 50, 100, 100);

    for (const char* side : {"layoutMarginsTop", "layoutMarginsLeft", "layoutMarginsRight", "layoutMarginsBottom"}) {
        parent->Margin(side)->Set(10.0f);
    }
    ComponentVisual::LayoutDockedChildren(*parent);
    ExpectRect(first->GetLocalBounds(), 10, 10, 90, 30);
    ExpectRect(fill->GetLocalBounds(), 10, 60, 90, 90);
}

TEST_F(ComponentVisualTest, CornersNarrowTheBandsTheyMeet) {
    Visual* corner = Child("corner", 20.0f, 20.0f, "TopLeft");
    Visual* top = Child("top", 10.0f, 10.0f, "Top");
    Visual* wide = Child("wide", 30.0f, 10.0f, "BottomRight");
    Visual* narrow = Child("narrow", 10.0f, 10.0f, "BottomRight");
    Visual* bottom = Child("bottom", 10.0f, 5.0f, "Bottom");
    ComponentVisual::LayoutDockedChildren(*parent);
    ExpectRect(corner->GetLocalBounds(), 0, 0, 20, 20);
    ExpectRect(top->GetLocalBounds(), 20, 0, 100, 10);
    ExpectRect(wide->GetLocalBounds(), 70, 90, 100, 100);
    ExpectRect(narrow->GetLocalBounds(), 90, 90, 100, 100);
    ExpectRect(bottom->GetLocalBounds(), 0, 95, 70, 100);  // the narrower one did not widen it again
}

TEST_F(ComponentVisualTest, OverlappingEdgesLeaveFillAZeroWidth) {
    Child("left", 70.0f, 10.0f, "Left");
    Child("right", 70.0f, 10.0f, "Right");
    Visual* fill = Child("fill", 5.0f, 5.0f, "Fill");
    ComponentVisual::LayoutDockedChildren(*parent);
    const UIRect r = fill->GetLocalBounds();
    EXPECT_NEAR(r.left, 70.0f, 1e-3f);
    EXPECT_NEAR(r.right - r.left, 0.0f, 1e-3f);
}

TEST_F(ComponentVisualTest, DockNamesAreExactAndOnlyVisualsArePlaced) {
    Visual* lower = Child("lower", 10.0f, 10.0f, "fill");
    EXPECT_EQ(lower->GetDock(), DockKind::Invalid);
    EXPECT_EQ(lower->FindProperty<AsciiString>(AsciiString("dock"))->Get(), AsciiString("Invalid"));
    Component* plain = Make(parent, "plain");
    plain->GetOrAddProperty<AsciiString>(AsciiString("dock"), AsciiString("Fill"));
    ComponentVisual::LayoutDockedChildren(*parent);  // must leave both alone
    ExpectRect(lower->GetLocalBounds(), 0, 0, 10, 10);
    EXPECT_EQ(DockFromName(AsciiString("BottomLeft")), DockKind::BottomLeft);
    EXPECT_EQ(DockName(12), AsciiString("Invalid"));
}

TEST_F(ComponentVisualTest, OriginRotationAndColourCompose) {
    Visual* child = Make<Visual>(parent, "child");
    child->Set(50.0f, 50.0f, 20.0f, 10.0f);
    child->GetOrAddProperty<bool>(AsciiString("originFromCenter"), false)->Set(true);
    ExpectRect(child->GetLocalBounds(), 40, 45, 60, 55);  // "position" is the centre

    child->GetOrAddProperty<Rotation>(AsciiString("rotation"), Rotation{})->Set(Rotation{0.0f, 0.0f, 90.0f});
    ExpectRect(child->GetLocalBounds(), 45, 40, 55, 60);  // a quarter turn about the centre
    // Anticlockwise on a y-down screen: the local x axis points up.
    const Vector2 right = child->GetLocalTransform().TransformPoint(10.0f, 0.0f);
    EXPECT_NEAR(right.x, 50.0f, 1e-3f);
    EXPECT_NEAR(right.y, 40.0f, 1e-3f);

    parent->GetOrAddProperty<Colour>(AsciiString("colour"), kColourWhite)->Set(Colour(255, 255, 255, 128));
    child->GetOrAddProperty<Colour>(AsciiString("colour"), kColourWhite)->Set(Colour(255, 255, 255, 128));
    parent->Update(0.0f);
    child->Update(0.0f);
    EXPECT_EQ(child->GetWorldColour().a, 64);
}

TEST_F(ComponentVisualTest, OutlineIsEmptyOffScreenOrTooSmall) {
    Visual* onScreen = Make<Visual>(parent, "on");
    onScreen->Set(10.0f, 10.0f, 30.0f, 20.0f);
    Visual* outside = Make<Visual>(parent, "outside");
    outside->Set(-500.0f, 10.0f, 30.0f, 20.0f);
    Visual* thin = Make<Visual>(parent, "thin");
    thin->Set(10.0f, 10.0f, 0.5f, 20.0f);
    ui().Update(0.016f);
    ASSERT_EQ(onScreen->GetOutline().size(), 4u);
    EXPECT_EQ(onScreen->GetOutline()[2].x, 40.0f);
    EXPECT_EQ(onScreen->GetOutline()[2].y, 30.0f);
    EXPECT_TRUE(onScreen->ContainsPoint(Vector2{20.0f, 20.0f}));
    EXPECT_FALSE(outside->IsOnScreen());
    EXPECT_TRUE(outside->GetOutline().empty());
    EXPECT_FALSE(thin->IsOnScreen());
    EXPECT_FALSE(thin->ContainsPoint(Vector2{10.2f, 20.0f}));
}

TEST_F(ComponentVisualTest, SetLocalBoundsWritesOnlyRealisableChanges) {
    Visual* child = Make<Visual>(parent, "child");
    child->Set(10.0f, 10.0f, 20.0f, 20.0f);
    UITest::Recorder heard;
    heard.Listen(*child);
    child->SetLocalBounds(UIRect{10.05f, 10.0f, 30.0f, 30.05f});  // within 0.1
    EXPECT_TRUE(heard.lines.empty());

    child->GetOrAddProperty<Rotation>(AsciiString("rotation"), Rotation{})->Set(Rotation{0.0f, 0.0f, 30.0f});
    heard.lines.clear();
    child->SetLocalBounds(UIRect{0.0f, 0.0f, 100.0f, 5.0f});  // no rotated rectangle has these bounds
    EXPECT_TRUE(heard.lines.empty());
}

}  // namespace
}  // namespace Varnok

namespace Varnok {
namespace {

class VisualStretchTest : public UITest::UIManagerTest {};

TEST_F(VisualStretchTest, AxesThatMayNotStretchTakeTheScreensBaseScale) {
    ui().SetScreenSize(Vector2{960.0f, 320.0f});  // the workspace scaled 2 by 1
    const struct {
        const char* flag;  // set true on the screen; null for none
        float x;
        float y;
    } cases[] = {{nullptr, 1.0f, 1.0f}, {"maintainViewportWidth", 2.0f, 2.0f}, {"maintainViewportHeight", 1.0f, 1.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flag != nullptr ? c.flag : "no flag");
        ComponentScreen* screen = AddScreen("stretch");
        if (c.flag != nullptr) {
            screen->FindProperty<bool>(AsciiString(c.flag))->Set(true);
        }
        auto* child = Make<ComponentVisual>(screen, "child");
        child->FindProperty<bool>(AsciiString("allowStretchX"))->Set(false);
        child->FindProperty<bool>(AsciiString("allowStretchY"))->Set(false);
        screen->Update(0.0f);
        child->Update(0.0f);
        EXPECT_NEAR(child->GetWorldScale().x, c.x, 1e-4f);
        EXPECT_NEAR(child->GetWorldScale().y, c.y, 1e-4f);
        delete screen;
    }
}

TEST_F(VisualStretchTest, ARotatedClippingParentCutsItsChildrenAndPassesItsOutlineOn) {
    ComponentScreen* screen = AddScreen("clip");
    screen->FindProperty<AsciiString>(AsciiString("scaleToViewportMode"))->Set(AsciiString("None"));
    auto* parent = Make<ComponentVisual>(screen, "parent");
    parent->FindProperty<Vector3>(AsciiString("position"))->Set(Vector3{150.0f, 150.0f, 0.0f});
    parent->FindProperty<bool>(AsciiString("originFromCenter"))->Set(true);
    parent->FindProperty<Rotation>(AsciiString("rotation"))->Set(Rotation{0.0f, 0.0f, 30.0f});
    auto* pass = Make<ComponentVisual>(parent, "pass");  // clips nothing: offers the parent's
    pass->FindProperty<bool>(AsciiString("clipsChildren"))->Set(false);
    auto* child = Make<ComponentVisual>(pass, "child");
    child->FindProperty<Vector3>(AsciiString("position"))->Set(Vector3{20.0f, -60.0f, 0.0f});  // over the turned parent's upper edge
    child->FindProperty<float>(AsciiString("width"))->Set(80.0f);
    child->FindProperty<float>(AsciiString("height"))->Set(80.0f);
    ui().Update(0.016f);

    EXPECT_EQ(&pass->GetVertices(), &parent->GetVertices());
    const UIVertexList& cut = child->GetOutline();
    ASSERT_GE(cut.size(), 3u);
    for (const UIVertex& v : cut) {
        UIClipEdgeIterator edge(parent->GetOutline());
        while (edge.Next()) {
            EXPECT_GE(edge.Distance(v.x, v.y), -1e-3f);
        }
    }
    // Parents without an outline give their children none.
    parent->FindProperty<Vector3>(AsciiString("position"))->Set(Vector3{-900.0f, 150.0f, 0.0f});
    ui().Update(0.016f);
    EXPECT_TRUE(parent->GetOutline().empty());
    EXPECT_TRUE(child->GetOutline().empty());
}

}  // namespace
}  // namespace Varnok
