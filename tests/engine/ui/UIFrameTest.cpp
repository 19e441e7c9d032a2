#include "engine/ui/ComponentVisual.h"
#include "engine/ui/UIAnimation.h"
#include "engine/ui/UIMessages.h"
#include "engine/ui/UIPostUpdateNotice.h"
#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Varnok {
namespace {

using UITest::Make;

// A visual that counts its updates and draws.
class CountingVisual : public ComponentVisual {
public:
    void Update(float dt) override {
        ComponentVisual::Update(dt);
        ++updates;
    }
    void Draw() override { ++draws; }
    int updates = 0;
    int draws = 0;
};

// Records every message of the listed kinds a listener hears.
struct Heard {
    std::vector<std::string> lines;
    int32_t answer = 0;
    void Handle(const UIMessage& message, int32_t& result, bool&) {
        std::string line = std::to_string(message.type);
        if (message.type == UIMessageType_Draw) {
            line += ":" + std::to_string(static_cast<const UIMessageDataDraw*>(message.data)->layer);
        }
        lines.push_back(line);
        result = answer;
    }
};

// A notice that records that it ran and, once, queues another.
class ChainNotice final : public UIPostUpdateNotice {
public:
    ChainNotice(std::vector<std::string>& log, const char* name, UIPostUpdateNotice* next)
        : UIPostUpdateNotice(nullptr), m_log(log), m_name(name), m_next(next) {}
    void Run() override {
        m_log.push_back(m_name);
        if (m_next != nullptr) {
            UIManager::Get().QueueCommandList(m_next);
            m_next = nullptr;
        }
    }

private:
    std::vector<std::string>& m_log;
    std::string m_name;
    UIPostUpdateNotice* m_next;
};

class UIFrame : public UITest::UIManagerTest {
protected:
    void Configure(UIProjectSettings& settings) override { settings.defaultLayer = 3; }

    // An animation moving "x" from 0 to 10 over a second.
    static UIProperty<float>* Animate(Component& component) {
        UIProperty<float>* x = component.GetOrAddProperty<float>(AsciiString("x"), 0.0f);
        UIAnimation& animation = component.CreateAnimation(AsciiString("move"), 0, AsciiString::Empty());
        animation.AddKeyframe<float>(AsciiString("x"), 0, UILerp_Linear, 0.0f);
        animation.AddKeyframe<float>(AsciiString("x"), 1000, UILerp_Linear, 10.0f);
        component.PlayAnimation(AsciiString("move"), false);
        return x;
    }
};

TEST_F(UIFrame, LayersInheritAndAScreenWithoutOneTakesTheDefault) {
    ComponentScreen* screen = AddScreen("menu");
    auto* inherits = Make<CountingVisual>(screen, "inherits");
    auto* own = Make<CountingVisual>(screen, "own");
    own->SetLayer(1);
    auto* below = Make<CountingVisual>(own, "below");
    ComponentScreen* placed = AddScreen("hud");
    placed->SetLayer(0);
    auto* onZero = Make<CountingVisual>(placed, "onZero");

    ui().Update(0.016f);
    EXPECT_EQ(screen->GetEffectiveLayer(), 3);
    EXPECT_EQ(inherits->GetEffectiveLayer(), 3);
    EXPECT_EQ(own->GetEffectiveLayer(), 1);
    EXPECT_EQ(below->GetEffectiveLayer(), 1);
    EXPECT_EQ(onZero->GetEffectiveLayer(), 0);
    // Plain screens are no visuals: only the visuals' layers are in use.
    EXPECT_TRUE(ui().IsLayerInUse(3));
    EXPECT_TRUE(ui().IsLayerInUse(1));
    EXPECT_TRUE(ui().IsLayerInUse(0));
    EXPECT_FALSE(ui().IsLayerInUse(2));
    ASSERT_NE(ui().FindDrawList(1), nullptr);
    EXPECT_EQ(*ui().FindDrawList(1), (std::vector<Component*>{own, below}));
}

TEST_F(UIFrame, UpdateMaskKeepsOnlyMatchingComponentsRunning) {
    ComponentScreen* pause = AddScreen("pause");
    auto* button = Make<CountingVisual>(pause, "button");
    button->GetUpdateMaskProperty()->Set(2);
    auto* sibling = Make<CountingVisual>(pause, "sibling");
    sibling->GetUpdateMaskProperty()->Set(1);
    auto* child = Make<CountingVisual>(sibling, "child");  // inherits the walk, not the skip
    auto* still = Make<CountingVisual>(pause, "still");
    still->GetAnimationUpdateMaskProperty()->Set(1);
    UIProperty<float>* buttonX = Animate(*button);
    UIProperty<float>* siblingX = Animate(*sibling);
    UIProperty<float>* stillX = Animate(*still);

    ui().SetUpdateMask(2);  // the game is paused
    ui().Update(0.5f);
    EXPECT_EQ(buttonX->Get(), 5.0f);
    EXPECT_EQ(siblingX->Get(), 0.0f);
    EXPECT_EQ(button->updates, 1);
    EXPECT_EQ(sibling->updates, 0);
    // Updated, but its animations stand still.
    EXPECT_EQ(still->updates, 1);
    EXPECT_EQ(stillX->Get(), 0.0f);
    // A component outside the mask is still drawn and its children walked.
    const std::vector<Component*>* list = ui().FindDrawList(3);
    ASSERT_NE(list, nullptr);
    EXPECT_NE(std::find(list->begin(), list->end(), sibling), list->end());
    EXPECT_NE(std::find(list->begin(), list->end(), child), list->end());
    EXPECT_EQ(child->updates, 0);  // inherits its parent's mask 1
    EXPECT_EQ(ui().GetFrameStats().componentCount, 3);  // the screen, the button, "still"
}

TEST_F(UIFrame, DisabledSubtreesAreNeitherUpdatedNorDrawn) {
    ComponentScreen* screen = AddScreen("menu");
    auto* panel = Make<CountingVisual>(screen, "panel");
    auto* inside = Make<CountingVisual>(panel, "inside");
    panel->GetEnabledProperty()->Set(false);
    ui().Update(0.016f);
    EXPECT_EQ(panel->updates, 0);
    EXPECT_EQ(inside->updates, 0);
    ui().Draw(3);
    EXPECT_EQ(inside->draws, 0);
}

TEST_F(UIFrame, NoticeQueuedWhileTheQueueRunsWaitsAFrame) {
    AddScreen("menu");
    std::vector<std::string> log;
    auto* later = new ChainNotice(log, "later", nullptr);
    auto* first = new ChainNotice(log, "first", later);
    ui().QueueCommandList(first);
    ui().Update(0.016f);
    EXPECT_EQ(log, (std::vector<std::string>{"first"}));
    ui().Update(0.016f);
    EXPECT_EQ(log, (std::vector<std::string>{"first", "later"}));
    delete first;
    delete later;
}

TEST_F(UIFrame, AnimationFinishedIsRaisedAfterTheWalk) {
    ComponentScreen* screen = AddScreen("menu");
    auto* box = Make<CountingVisual>(screen, "box");
    Animate(*box);
    auto* after = Make<CountingVisual>(screen, "after");
    std::vector<std::string> order;
    struct Probe {
        std::vector<std::string>* order;
        CountingVisual* after;
        void OnFinished(Component*, const AsciiString& name, bool&) {
            order->push_back(std::string(name.c_str()) + "@" + std::to_string(after->updates));
        }
    } probe{&order, after};
    box->OnAnimationFinishedEvent.AddListener(
        Component::AnimationFinishedEvent::Listener(&probe, &Probe::OnFinished));
    ui().Update(2.0f);
    // The later sibling had already been updated when the event came.
    EXPECT_EQ(order, (std::vector<std::string>{"move@1"}));
}

TEST_F(UIFrame, DrawBroadcastsPerLayerAndAllLayersDrawsNothing) {
    ComponentScreen* screen = AddScreen("menu");
    auto* box = Make<CountingVisual>(screen, "box");
    Heard heard;
    UIMessageListener listener("draws", UIMessageHandler(&heard, &Heard::Handle), UIMessageFilter::Realtime);
    ASSERT_TRUE(ui().AddMessageListener(&listener));

    ui().Draw(3);  // before the first update no layer is in use
    EXPECT_TRUE(heard.lines.empty());
    ui().Update(0.016f);
    heard.lines.clear();
    ui().Draw(7);  // unused: returns before broadcasting
    EXPECT_TRUE(heard.lines.empty());
    ui().Draw(UIManager::kAllLayers);
    EXPECT_EQ(box->draws, 0);
    ui().Draw(3);
    EXPECT_EQ(box->draws, 1);
    EXPECT_EQ(heard.lines, (std::vector<std::string>{"1:1337", "1:3"}));
    EXPECT_EQ(ui().GetFrameStats().currentLayerCount, 1);
    EXPECT_EQ(ui().GetFrameStats().GetMax(), 3);

    // An aborted broadcast suppresses the layer.
    heard.answer = 2;
    ui().Draw(3);
    EXPECT_EQ(box->draws, 1);
}

TEST_F(UIFrame, AbortedUpdateBroadcastSuspendsTheWholeUI) {
    ComponentScreen* screen = AddScreen("menu");
    auto* box = Make<CountingVisual>(screen, "box");
    Heard heard;
    heard.answer = 2;
    UIMessageListener listener("updates", UIMessageHandler(&heard, &Heard::Handle), UIMessageFilter::Realtime);
    ASSERT_TRUE(ui().AddMessageListener(&listener));
    ui().Update(0.016f);
    EXPECT_EQ(box->updates, 0);
    EXPECT_EQ(heard.lines, (std::vector<std::string>{"3"}));
}

TEST_F(UIFrame, BringToFrontWaitsForTheEndOfTheUpdate) {
    ComponentScreen* screen = AddScreen("menu");
    auto* a = Make<CountingVisual>(screen, "a");
    auto* b = Make<CountingVisual>(screen, "b");
    a->BringToFront();
    EXPECT_EQ(screen->GetFirstChild(), a);
    ui().Update(0.016f);
    EXPECT_EQ(screen->GetFirstChild(), b);
    EXPECT_EQ(screen->GetLastChild(), a);
}

// Queues a component for deletion from inside the walk, as a script's
// command does, and watches its destructor.
class DeletingVisual : public CountingVisual {
public:
    void Update(float dt) override {
        CountingVisual::Update(dt);
        if (victim != nullptr) {
            UIManager::Get().DeferredDelete(victim);
            victim = nullptr;
        }
    }
    Component* victim = nullptr;
};

class WatchedVisual : public CountingVisual {
public:
    ~WatchedVisual() override { *destroyed = true; }
    bool* destroyed = nullptr;
};

TEST_F(UIFrame, DeferredDeleteDuringTheWalkIsDestroyedAtTheEndAndNotDrawn) {
    ComponentScreen* screen = AddScreen("menu");
    auto* deleter = Make<DeletingVisual>(screen, "deleter");
    auto* doomed = Make<WatchedVisual>(screen, "doomed");
    Make<CountingVisual>(doomed, "child");
    bool destroyed = false;
    doomed->destroyed = &destroyed;
    deleter->victim = doomed;
    ui().Update(0.016f);
    EXPECT_TRUE(destroyed);  // gone by the end of the same update
    EXPECT_EQ(screen->FindChild(AsciiString("doomed")), nullptr);
    ASSERT_NE(ui().FindDrawList(3), nullptr);
    for (Component* listed : *ui().FindDrawList(3)) {
        EXPECT_NE(listed, static_cast<Component*>(doomed));
    }
    ui().Draw(3);  // must not reach the deleted component
    EXPECT_EQ(deleter->draws, 1);
}

// Adds a screen under the root from inside the walk, as a transition that
// shows its target does.
class ScreenOpener : public CountingVisual {
public:
    void Update(float dt) override {
        CountingVisual::Update(dt);
        if (opened == nullptr) {
            opened = new ComponentScreen();
            opened->SetId(AsciiString(id));
            UIManager::Get().GetRoot()->AddChild(opened, index);
            Make<CountingVisual>(opened, "inside");
        }
    }
    const char* id = "opened";
    int index = -1;
    ComponentScreen* opened = nullptr;
};

TEST_F(UIFrame, AScreenInsertedDuringTheWalkIsSafelyReached) {
    ComponentScreen* menu = AddScreen("menu");
    auto* after = Make<ScreenOpener>(menu, "after");
    auto* before = Make<ScreenOpener>(menu, "before");
    before->id = "first";
    before->index = 0;
    ui().Update(0.016f);
    ASSERT_NE(after->opened, nullptr);
    ASSERT_NE(before->opened, nullptr);
    EXPECT_EQ(root()->GetFirstChild(), before->opened);
    auto* appended = static_cast<CountingVisual*>(after->opened->FindChild(AsciiString("inside")));
    auto* prepended = static_cast<CountingVisual*>(before->opened->FindChild(AsciiString("inside")));
    EXPECT_EQ(appended->updates, 1);   // after the walk's place: this frame
    EXPECT_EQ(prepended->updates, 0);  // behind it: the next frame
    ui().Update(0.016f);
    EXPECT_EQ(prepended->updates, 1);
}

TEST_F(UIFrame, ViewProjectionMapsPixelsFromTheTopLeft) {
    ui().SetScreenSize(Vector2{480.0f, 320.0f});
    Matrix4 view;
    Matrix4 projection;
    ui().GetViewProjection(view, projection);
    EXPECT_FLOAT_EQ(projection.m[0], 2.0f / 480.0f);
    EXPECT_FLOAT_EQ(projection.m[5], -2.0f / 320.0f);
    EXPECT_EQ(projection.m[10], 0.000999f);
    EXPECT_EQ(projection.m[12], -1.0f);
    EXPECT_EQ(projection.m[13], 1.0f);
    // (480, 320) lands on the bottom-right corner of clip space.
    const float x = 480.0f * projection.m[0] + projection.m[12];
    const float y = 320.0f * projection.m[5] + projection.m[13];
    EXPECT_FLOAT_EQ(x, 1.0f);
    EXPECT_FLOAT_EQ(y, -1.0f);
}

}  // namespace
}  // namespace Varnok
