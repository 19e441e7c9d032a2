#include "engine/ui/ComponentScreen.h"

#include "engine/ui/UIAnimation.h"
#include "engine/ui/UILerp.h"
#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

using UITest::Make;

class ScreenTest : public UITest::UIManagerTest {
protected:
    void SetUp() override {
        UIManagerTest::SetUp();
        ui().SetScreenSize(Vector2{960.0f, 640.0f});  // twice the workspace
    }
    ComponentScreen* NewScreen(const char* transitionIn, float inTime) {
        ComponentScreen* screen = AddScreen("s");
        screen->SetStringProperty(AsciiString("transitionIn"), AsciiString(transitionIn));
        screen->FindProperty<float>(AsciiString("transitionInTime"))->Set(inTime);
        screen->GetEnabledProperty()->Set(false);
        screen->MarkLoaded();
        screen->OnScreenTransitionInComplete.AddListener(
            Component::PlainEvent::Listener(this, &ScreenTest::OnComplete));
        return screen;
    }
    void OnComplete(Component*) { ++completions; }
    // The screen's x scale as the transform shows it (viewport scale 2).
    static float ScaleX(const ComponentScreen& screen) { return screen.GetWorldTransform().m[0]; }

    int completions = 0;
};

TEST_F(ScreenTest, DefaultsScaleToTheViewportOnTheFirstUpdate) {
    ComponentScreen* screen = AddScreen("plain");
    EXPECT_EQ(0, screen->FindProperty<int>(AsciiString("screenPriority"))->Get());
    EXPECT_EQ(UIScreenTransition_None, screen->GetTransitionInKind());
    EXPECT_EQ(UILerp_EaseOutEaseIn, screen->GetTransitionInLerp());
    screen->Update(0.0f);
    EXPECT_FLOAT_EQ(2.0f, ScaleX(*screen));
    EXPECT_FLOAT_EQ(960.0f, screen->GetVertices()[2].x);
    const UIRect rect = screen->GetContainerRect();
    EXPECT_FLOAT_EQ(480.0f, rect.right);
    EXPECT_FLOAT_EQ(320.0f, rect.bottom);
    std::vector<AsciiString> names;
    screen->GetReservedAnimationNames(names);
    ASSERT_EQ(2u, names.size());
    EXPECT_STREQ("TransitionIn", names[0].c_str());
}

TEST_F(ScreenTest, AScreenIsAComponentThatDocksItsChildrenInItsRectangle) {
    ComponentScreen* screen = AddScreen("plain");
    // ComponentScreen, then Component: not a visual.
    const ComponentClassInfo& info = screen->GetClassInfo();
    EXPECT_EQ(info.id, ComponentClassId::Screen);
    ASSERT_EQ(info.parent, &Component::GetStaticClassInfo());
    EXPECT_EQ(info.parent->parent, nullptr);
    EXPECT_FALSE(screen->IsKindOf(ComponentVisual::GetStaticClassInfo()));
    auto* fill = Make<ComponentVisual>(screen, "fill");
    fill->SetDock(DockKind::Fill);
    screen->Update(0.0f);
    fill->Update(0.0f);
    const UIRect local = fill->GetLocalBounds();
    EXPECT_FLOAT_EQ(480.0f, local.right);  // screen units
    EXPECT_FLOAT_EQ(320.0f, local.bottom);
    ASSERT_EQ(4u, fill->GetOutline().size());
    EXPECT_FLOAT_EQ(960.0f, fill->GetOutline()[2].x);  // viewport pixels
    EXPECT_FLOAT_EQ(640.0f, fill->GetOutline()[2].y);

    // A new viewport size lays the docked children out again.
    ui().SetScreenSize(Vector2{480.0f, 640.0f});
    screen->FindProperty<AsciiString>(AsciiString("scaleToViewportMode"))->Set(AsciiString("None"));
    screen->Update(0.0f);
    EXPECT_FLOAT_EQ(480.0f, fill->GetLocalBounds().right);
    EXPECT_FLOAT_EQ(640.0f, fill->GetLocalBounds().bottom);
}

TEST_F(ScreenTest, ZoomInCompletesAfterItsTime) {
    ComponentScreen* screen = NewScreen("ZOOM", 0.5f);
    EXPECT_EQ(UIScreenTransition_Zoom, screen->GetTransitionInKind());
    screen->GetEnabledProperty()->Set(true);
    EXPECT_TRUE(screen->IsTransitioningIn());
    screen->Update(0.25f);
    const float half = EvaluateUILerp(UILerp_EaseOutEaseIn, 0.5f);
    EXPECT_FLOAT_EQ(half, screen->GetTransitionScale().x);
    EXPECT_FLOAT_EQ(2.0f * half, ScaleX(*screen));
    screen->Update(0.25f);
    EXPECT_FLOAT_EQ(1.0f, screen->GetTransitionScale().x);
    EXPECT_EQ(0, completions);  // 0.5 s reached, not passed
    screen->Update(0.01f);
    EXPECT_EQ(1, completions);
    EXPECT_FALSE(screen->IsTransitioningIn());
}

TEST_F(ScreenTest, ATransitionInAnimationLengthensTheTransition) {
    ComponentScreen* screen = NewScreen("Zoom", 0.5f);
    screen->CreateAnimation(AsciiString("TransitionIn"), 0, AsciiString())
        .AddKeyframe<int>(AsciiString("layer"), 2000, UILerp_Linear, 1);
    screen->GetEnabledProperty()->Set(true);
    for (int i = 0; i < 7; ++i) {
        screen->Update(0.25f);  // 1.75 s
    }
    EXPECT_FLOAT_EQ(1.0f, screen->GetTransitionScale().x);  // the zoom ended at 0.5 s
    EXPECT_EQ(0, completions);
    screen->Update(0.25f);
    EXPECT_EQ(0, completions);  // 2.0 s: not past it yet
    screen->Update(0.01f);
    EXPECT_EQ(1, completions);
}

TEST_F(ScreenTest, HidingHalfWayReversesFromTheCurrentScale) {
    ComponentScreen* screen = NewScreen("Zoom", 0.5f);
    screen->FindProperty<float>(AsciiString("transitionOutTime"))->Set(0.5f);
    screen->SetStringProperty(AsciiString("transitionOut"), AsciiString("zoom"));
    screen->GetEnabledProperty()->Set(true);
    screen->Update(0.25f);
    const float scaleAtHide = screen->GetTransitionScale().x;
    screen->Hide();
    EXPECT_TRUE(screen->IsTransitioningOut());
    EXPECT_FALSE(screen->IsTransitioningIn());
    EXPECT_FLOAT_EQ(0.25f, screen->GetTransitionElapsed());
    screen->Update(0.0f);
    const float f = EvaluateUILerp(UILerp_EaseOutEaseIn, 0.5f);
    EXPECT_FLOAT_EQ(scaleAtHide + f * (0.0f - scaleAtHide), screen->GetTransitionScale().x);
}

TEST_F(ScreenTest, SweepLeftOutEndsDisabledOffToTheLeft) {
    ComponentScreen* screen = NewScreen("SweepLeft", 0.5f);
    screen->SetStringProperty(AsciiString("transitionOut"), AsciiString("SweepLeft"));
    screen->FindProperty<float>(AsciiString("transitionOutTime"))->Set(0.5f);
    screen->GetEnabledProperty()->Set(true);
    for (int i = 0; i < 3; ++i) {
        screen->Update(0.25f);
    }
    EXPECT_FALSE(screen->IsTransitioningIn());
    int calls = 0;
    struct Counter {
        int* calls;
        void Called(Component*, const std::vector<AsciiString>& args) {
            *calls += static_cast<int>(args.size());
        }
    } counter{&calls};
    ScreenTransitionCallback callback;
    callback.function = ScreenTransitionCallback::Function(&counter, &Counter::Called);
    callback.args = {AsciiString("next")};
    screen->StartTransitionOut(callback);
    for (int i = 0; i < 3; ++i) {
        screen->Update(0.25f);
    }
    EXPECT_FALSE(screen->IsEnabled());
    EXPECT_EQ(1, calls);
    EXPECT_FLOAT_EQ(-960.0f, screen->GetTransitionPosition().x);
    EXPECT_FLOAT_EQ(0.0f, screen->GetTransitionPosition().y);

    screen->GetEnabledProperty()->Set(true);  // sweeps in again from the left
    screen->Update(0.0f);
    EXPECT_FLOAT_EQ(-960.0f, screen->GetTransitionPosition().x);
}

// At the workspace size the viewport scale is 1 and the screen's own
// transform starts as the identity: the transition alone has to move the
// children, and the right way.
TEST_F(ScreenTest, TransitionsMoveChildrenAtTheWorkspaceSize) {
    ui().SetScreenSize(Vector2{480.0f, 320.0f});
    struct Visual : ComponentVisual {
        void Place(float x, float y) {
            m_position->Set(Vector3{x, y, 0.0f});
            m_width->Set(20.0f);
            m_height->Set(20.0f);
        }
    };
    struct Case {
        const char* in;
        const char* out;
        // The child's world x a quarter, half and all the way through the
        // transition in, then half and all the way through the transition out.
        float x[5];
        float halfY;  // its y half-way in
    };
    // Linear curves; the child sits at (100, 50), the centre is (240, 160).
    const Case cases[] = {
        {"SweepLeft", "SweepLeft", {-260.0f, -140.0f, 100.0f, -140.0f, -380.0f}, 50.0f},
        {"Zoom", "Zoom", {205.0f, 170.0f, 100.0f, 170.0f, 240.0f}, 105.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        ComponentScreen* screen = NewScreen(c.in, 1.0f);
        screen->SetStringProperty(AsciiString("transitionInLerp"), AsciiString("Linear"));
        screen->SetStringProperty(AsciiString("transitionOut"), AsciiString(c.out));
        screen->SetStringProperty(AsciiString("transitionOutLerp"), AsciiString("Linear"));
        screen->FindProperty<float>(AsciiString("transitionOutTime"))->Set(1.0f);
        Visual* child = Make<Visual>(screen, "child");
        child->Place(100.0f, 50.0f);
        auto step = [&](float dt) {
            screen->Update(dt);
            child->Update(0.0f);
        };
        screen->StartTransitionIn(ScreenTransitionCallback::None());
        step(0.0f);
        step(0.25f);
        EXPECT_NEAR(c.x[0], child->GetWorldPosition().x, 0.05f);
        step(0.25f);
        EXPECT_NEAR(c.x[1], child->GetWorldPosition().x, 0.05f);
        EXPECT_NEAR(c.halfY, child->GetWorldPosition().y, 0.05f);
        step(0.5f);
        EXPECT_NEAR(c.x[2], child->GetWorldPosition().x, 0.05f);
        step(0.25f);  // past the end: the transition in completes
        EXPECT_FALSE(screen->IsTransitioningIn());

        screen->StartTransitionOut(ScreenTransitionCallback::None());
        step(0.5f);
        EXPECT_NEAR(c.x[3], child->GetWorldPosition().x, 0.05f);
        step(0.5f);
        EXPECT_NEAR(c.x[4], child->GetWorldPosition().x, 0.05f);
    }
}

TEST_F(ScreenTest, UnknownCurveNamesActAsLinear) {
    ComponentScreen* screen = NewScreen("Zoom", 1.0f);
    screen->SetStringProperty(AsciiString("transitionInLerp"), AsciiString("easeoutquad"));
    EXPECT_EQ(-1, screen->GetTransitionInLerp());
    screen->GetEnabledProperty()->Set(true);
    screen->Update(0.25f);
    EXPECT_FLOAT_EQ(0.25f, screen->GetTransitionScale().x);
}

TEST_F(ScreenTest, ScreenEventsAndTheBlockingHitTest) {
    std::vector<std::string> heard;
    struct Listener {
        std::vector<std::string>* heard;
        void Loaded(Component*) { heard->push_back("loaded"); }
        void Displayed(Component*) { heard->push_back("displayed"); }
        void Enabled(Component*) { heard->push_back("enabled"); }
        void Disabled(Component*) { heard->push_back("disabled"); }
    } listener{&heard};
    ComponentScreen* screen = AddScreen("events");
    screen->OnScreenLoaded.AddListener(Component::PlainEvent::Listener(&listener, &Listener::Loaded));
    screen->OnScreenDisplayed.AddListener(
        Component::PlainEvent::Listener(&listener, &Listener::Displayed));
    screen->OnScreenEnabled.AddListener(Component::PlainEvent::Listener(&listener, &Listener::Enabled));
    screen->OnScreenDisabled.AddListener(
        Component::PlainEvent::Listener(&listener, &Listener::Disabled));
    screen->MarkLoaded();
    screen->GetEnabledProperty()->Set(false);
    screen->GetEnabledProperty()->Set(true);
    const std::vector<std::string> order = {"loaded", "displayed", "enabled", "disabled", "enabled"};
    EXPECT_EQ(order, heard);

    Component* hit = nullptr;
    EXPECT_FALSE(screen->HitTest(Vector2{5.0f, 5.0f}, &hit));
    screen->FindProperty<bool>(AsciiString("blocksinputfromgame"))->Set(true);
    EXPECT_TRUE(screen->HitTest(Vector2{5.0f, 5.0f}, &hit));
    EXPECT_EQ(screen, hit);
    screen->GetEnabledProperty()->Set(false);
    EXPECT_FALSE(screen->HitTest(Vector2{5.0f, 5.0f}, &hit));
}

}  // namespace
}  // namespace Varnok
