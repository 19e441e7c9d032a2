// Built-in commands whose effect shows over frames of the UI's update.
#include "engine/ui/UIAnimation.h"
#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using UITest::Make;

class CommandsInFrame : public UITest::UIManagerTest {
protected:
    int32_t Run(Component* context, const char* name, std::vector<const char*> args) {
        std::vector<AsciiString> texts(args.begin(), args.end());
        return ui().ExecuteCommand(context, AsciiString(name), texts);
    }

    // "x" from 0 to 10 over a second, not yet playing.
    static UIProperty<float>* Slide(Component& component) {
        UIProperty<float>* x = component.GetOrAddProperty<float>(AsciiString("x"), 0.0f);
        UIAnimation& animation = component.CreateAnimation(AsciiString("slide"), 0, AsciiString::Empty());
        animation.AddKeyframe<float>(AsciiString("x"), 0, UILerp_Linear, 0.0f);
        animation.AddKeyframe<float>(AsciiString("x"), 1000, UILerp_Linear, 10.0f);
        return x;
    }
};

TEST_F(CommandsInFrame, RootPlaysOnEveryScreenAndRootWithACapitalIsAPath) {
    ComponentScreen* menu = AddScreen("menu");
    ComponentScreen* hud = AddScreen("hud");
    Component* child = Make(menu, "child");
    UIProperty<float>* menuX = Slide(*menu);
    UIProperty<float>* hudX = Slide(*hud);
    UIProperty<float>* childX = Slide(*child);

    EXPECT_EQ(0, Run(nullptr, "PlayAnimation", {"Root", "slide"}));  // no screen "Root"
    ui().Update(0.5f);
    EXPECT_EQ(menuX->Get(), 0.0f);
    EXPECT_EQ(0, Run(nullptr, "PlayAnimation", {"root", "slide"}));
    ui().Update(0.5f);
    EXPECT_EQ(menuX->Get(), 5.0f);
    EXPECT_EQ(hudX->Get(), 5.0f);
    EXPECT_EQ(childX->Get(), 5.0f);  // recursive

    EXPECT_EQ(0, Run(nullptr, "StopAnimation", {"menu", "slide", "False"}));
    ui().Update(0.25f);
    EXPECT_EQ(menuX->Get(), 5.0f);  // stopped on the screen alone
    EXPECT_EQ(childX->Get(), 7.5f);
}

TEST_F(CommandsInFrame, DelayedAnimationStartsAfterItsDelay) {
    ComponentScreen* menu = AddScreen("menu");
    UIProperty<float>* x = Slide(*menu);
    EXPECT_EQ(0, Run(menu, "PlayAnimationDelayed", {"this", "slide", "500"}));
    ui().Update(0.4f);
    EXPECT_EQ(x->Get(), 0.0f);
    ui().Update(0.2f);
    EXPECT_GT(x->Get(), 0.0f);  // past the half second: under way

    Component* other = Make(menu, "other");
    UIProperty<float>* otherX = Slide(*other);
    EXPECT_EQ(0, Run(menu, "PlayAnimationDelayed", {"this.other", "slide", ""}));  // no delay
    ui().Update(0.25f);
    EXPECT_EQ(otherX->Get(), 2.5f);
}

}  // namespace
}  // namespace Varnok
