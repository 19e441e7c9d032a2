#include "engine/ui/Component.h"

#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using UITest::Box;
using UITest::Make;
using UITest::Recorder;

class ComponentInput : public UITest::UIManagerTest {};

TEST_F(ComponentInput, ANonInputAncestorShutsOutItsSubtree) {
    Box* parent = Make<Box>(root(), "parent", 0.0f, 0.0f, 100.0f, 100.0f);
    Box* child = Make<Box>(parent, "child", 0.0f, 0.0f, 50.0f, 50.0f);
    Recorder recorder;
    recorder.ListenTouch(child->OnTouchDownEvent);
    recorder.handle = true;
    EXPECT_TRUE(child->HandleTouchDown(Vector2{10, 10}, false));
    parent->GetInputEnabledProperty()->Set(false);
    EXPECT_FALSE(child->TakesInput());
    EXPECT_FALSE(child->HandleTouchDown(Vector2{10, 10}, false));
    std::vector<Component*> list;
    EXPECT_FALSE(parent->CollectComponentsAtPoint(Vector2{10, 10}, list));
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(recorder.lines.size(), 1u);
}

TEST_F(ComponentInput, ComponentsOutsideTheUpdateMaskRaiseNothing) {
    Box* box = Make<Box>(root(), "box", 0.0f, 0.0f, 100.0f, 100.0f);
    box->GetUpdateMaskProperty()->Set(1);
    box->ResolveUpdateMasks();
    Recorder recorder;
    recorder.ListenTouch(box->OnTouchDownEvent);
    ui().SetUpdateMask(2);
    EXPECT_FALSE(box->HandleTouchDown(Vector2{5, 5}, false));
    EXPECT_TRUE(recorder.lines.empty());
    ui().SetUpdateMask(3);
    box->HandleTouchDown(Vector2{5, 5}, false);
    EXPECT_EQ(recorder.lines.size(), 1u);
}

TEST_F(ComponentInput, CollectionOrdersByLayerKeepingTreeOrderWithinALayer) {
    Box* top = Make<Box>(root(), "top", 0.0f, 0.0f, 100.0f, 100.0f, 3);
    Box* first = Make<Box>(top, "first", 0.0f, 0.0f, 100.0f, 100.0f, 1);
    Box* second = Make<Box>(top, "second", 0.0f, 0.0f, 100.0f, 100.0f, 1);
    Make<Box>(top, "elsewhere", 200.0f, 0.0f, 10.0f, 10.0f, 0);
    std::vector<Component*> list;
    EXPECT_TRUE(top->CollectComponentsAtPoint(Vector2{50, 50}, list));
    EXPECT_EQ(list, (std::vector<Component*>{first, second, top}));
}

TEST_F(ComponentInput, AReleaseOutsideDropsTheFocusUnlessHandled) {
    Box* button = Make<Box>(root(), "button", 0.0f, 0.0f, 10.0f, 10.0f);
    Recorder recorder;
    recorder.ListenTouch(button->OnTouchUpEvent);
    recorder.ListenTouch(button->OnTouchUpHeldOutsideEvent);
    button->SetFocus();
    EXPECT_TRUE(button->HasFocus());
    EXPECT_STREQ(button->DumpShort().c_str(), "\nm_id = button\nm_bHasFocus = true");
    EXPECT_FALSE(button->HandleTouchUp(Vector2{50, 50}));
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"button"}));
    EXPECT_EQ(ui().GetFocus(), nullptr);

    button->SetFocus();
    recorder.handle = true;
    EXPECT_TRUE(button->HandleTouchUp(Vector2{50, 50}));
    EXPECT_TRUE(button->HasFocus());
    EXPECT_TRUE(button->HandleTouchUp(Vector2{5, 5}));
    EXPECT_TRUE(button->HasFocus());

    button->GetEnabledProperty()->Set(false);
    EXPECT_FALSE(button->HandleTouchUp(Vector2{5, 5}));  // no input taken: focus dropped
    EXPECT_EQ(ui().GetFocus(), nullptr);
}

TEST_F(ComponentInput, TouchesOutsideAndMoves) {
    Box* box = Make<Box>(root(), "box", 0.0f, 0.0f, 10.0f, 10.0f);
    Recorder recorder;
    recorder.ListenTouch(box->OnTouchDownOutsideEvent);
    recorder.ListenTouch(box->OnTouchMovedEvent);
    recorder.ListenTouch(box->OnTouchMovedOutsideEvent);
    recorder.ListenTouch(box->OnTouchDownObscuredEvent);
    EXPECT_FALSE(box->HandleTouchDownOutside(Vector2{50, 50}));  // not focused: nothing
    EXPECT_TRUE(recorder.lines.empty());
    box->SetFocus();
    EXPECT_FALSE(box->HandleTouchDownOutside(Vector2{50, 50}));
    EXPECT_EQ(ui().GetFocus(), nullptr);
    recorder.handle = true;
    EXPECT_TRUE(box->HandleTouchMoved(Vector2{5, 5}));
    EXPECT_TRUE(box->HandleTouchMoved(Vector2{50, 5}));
    EXPECT_TRUE(box->HandleTouchDown(Vector2{5, 5}, true));
    EXPECT_EQ(recorder.lines.size(), 4u);
}

TEST_F(ComponentInput, ABlockingComponentWinsTheHitTestOverItsChild) {
    Box* panel = Make<Box>(root(), "panel", 0.0f, 0.0f, 100.0f, 100.0f);
    Box* child = Make<Box>(panel, "child", 0.0f, 0.0f, 50.0f, 50.0f);
    child->m_blocks = true;
    Component* hit = nullptr;
    EXPECT_TRUE(panel->HitTest(Vector2{10, 10}, &hit));
    EXPECT_EQ(hit, child);
    panel->m_blocks = true;
    EXPECT_TRUE(panel->HitTest(Vector2{10, 10}, &hit));
    EXPECT_EQ(hit, panel);
    EXPECT_FALSE(panel->HitTest(Vector2{500, 10}, nullptr));

    Component* found = nullptr;
    Make<Box>(panel, "later", 0.0f, 0.0f, 20.0f, 20.0f);
    EXPECT_TRUE(panel->FindChildAtPoint(Vector2{10, 10}, &found));
    EXPECT_STREQ(found->GetId().c_str(), "later");
}

TEST_F(ComponentInput, FocusBelongsToOneComponent) {
    ComponentScreen* screen = AddScreen("screen");
    Box* button = Make<Box>(screen, "button", 0.0f, 0.0f, 10.0f, 10.0f);
    Box* sibling = Make<Box>(screen, "sibling", 0.0f, 0.0f, 10.0f, 10.0f);
    Recorder recorder;
    button->OnFocusGainedEvent.AddListener(Component::FlagEvent::Listener(&recorder, &Recorder::OnFlag));
    button->OnFocusLostEvent.AddListener(Component::FlagEvent::Listener(&recorder, &Recorder::OnFlag));
    button->SetFocus();
    EXPECT_TRUE(screen->ContainsFocus());
    EXPECT_FALSE(sibling->ContainsFocus());
    sibling->ReleaseFocus();  // not its focus
    EXPECT_TRUE(button->HasFocus());
    sibling->SetFocus();
    EXPECT_TRUE(sibling->HasFocus());
    EXPECT_EQ(recorder.lines.size(), 2u);  // gained, lost
    delete sibling;
    EXPECT_EQ(ui().GetFocus(), nullptr);
}

}  // namespace
}  // namespace Varnok
