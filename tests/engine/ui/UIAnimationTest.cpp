#include "engine/ui/UIAnimation.h"

#include "engine/ui/Component.h"
#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using UITest::Make;
using UITest::Recorder;

class Animations : public UITest::UIManagerTest {
protected:
    void SetUp() override {
        UIManagerTest::SetUp();
        owner = Make(root(), "owner");
        x = owner->GetOrAddProperty<float>(AsciiString("x"), 0.0f);
    }

    // Plays from the start and advances by the given seconds.
    static void Advance(UIAnimation& animation, float seconds) {
        animation.Update(seconds);
        animation.Apply();
    }

    Component* owner = nullptr;
    UIProperty<float>* x = nullptr;
};

TEST(UIAnimationTime, SecondsBecomeMillisecondsInSinglePrecision) {
    EXPECT_EQ(UISecondsToMs(0.5f), 500u);
    EXPECT_EQ(UISecondsToMs(0.0004f), 0u);
    EXPECT_EQ(UISecondsToMs(0.0005f), 1u);
    EXPECT_EQ(UISecondsToMs(-2.0f), 0u);
    EXPECT_EQ(UISecondsToMs(1e12f), 0xFFFFFFFFu);
    EXPECT_EQ(UIMsToSeconds(250), 0.25f);
}

TEST_F(Animations, FloatKeyframesInterpolateAndHoldTheEnd) {
    UIAnimation& animation = owner->CreateAnimation(AsciiString("move"), 0, AsciiString::Empty());
    animation.AddKeyframe<float>(AsciiString("x"), 0, UILerp_Linear, 0.0f);
    animation.AddKeyframe<float>(AsciiString("x"), 1000, UILerp_Linear, 10.0f);
    EXPECT_EQ(animation.GetDuration(), 1.0f);
    animation.Play(0);
    Advance(animation, 0.25f);
    EXPECT_EQ(x->Get(), 2.5f);
    Advance(animation, 0.75f);
    EXPECT_EQ(x->Get(), 10.0f);
    EXPECT_FALSE(animation.IsPlaying());
    EXPECT_TRUE(animation.IsFinished());
}

TEST_F(Animations, EachKeyframesCurveGovernsTheSegmentAfterIt) {
    UIAnimation& animation = owner->CreateAnimation(AsciiString("snap"), 0, AsciiString::Empty());
    animation.AddKeyframe<float>(AsciiString("x"), 0, UILerp_Snap, 1.0f);
    animation.AddKeyframe<float>(AsciiString("x"), 1000, UILerp_Linear, 5.0f);
    animation.Play(0);
    Advance(animation, 0.999f);
    EXPECT_EQ(x->Get(), 1.0f);
    Advance(animation, 0.001f);
    EXPECT_EQ(x->Get(), 5.0f);
}

TEST_F(Animations, IntsTruncateAndColoursCountDownFromTheEnd) {
    UIProperty<int>* n = owner->GetOrAddProperty<int>(AsciiString("n"), 0);
    UIProperty<Colour>* tint = owner->GetOrAddProperty<Colour>(AsciiString("tint"), kColourBlack);
    UIProperty<bool>* flag = owner->GetOrAddProperty<bool>(AsciiString("flag"), false);
    UIAnimation& animation = owner->CreateAnimation(AsciiString("mix"), 0, AsciiString::Empty());
    animation.AddKeyframe<int>(AsciiString("n"), 0, UILerp_Linear, 0);
    animation.AddKeyframe<int>(AsciiString("n"), 1000, UILerp_Linear, 3);
    animation.AddKeyframe<Colour>(AsciiString("tint"), 0, UILerp_Linear, kColourBlack);
    animation.AddKeyframe<Colour>(AsciiString("tint"), 1000, UILerp_Linear, kColourWhite);
    animation.AddKeyframe<bool>(AsciiString("flag"), 0, UILerp_Linear, false);
    animation.AddKeyframe<bool>(AsciiString("flag"), 600, UILerp_Linear, true);
    animation.AddKeyframe<float>(AsciiString("missing"), 0, UILerp_Linear, 1.0f);
    animation.Play(0);
    Advance(animation, 0.5f);
    EXPECT_EQ(n->Get(), 1);  // 1.5 truncated
    EXPECT_EQ(tint->Get(), Colour(127, 127, 127, 255));
    EXPECT_FALSE(flag->Get());
    Advance(animation, 0.1f);
    EXPECT_TRUE(flag->Get());
    EXPECT_EQ(owner->GetPropertyType(AsciiString("missing")), UIPT_Invalid);
}

TEST_F(Animations, LoopsPlayCountPlusOneTimes) {
    UIAnimation& once = owner->CreateAnimation(AsciiString("once"), 1, AsciiString::Empty());
    once.AddKeyframe<float>(AsciiString("x"), 1000, UILerp_Linear, 1.0f);
    once.Play(0);
    int finishedUpdates = 0;
    int updates = 0;
    while (once.IsPlaying() && updates < 100) {
        Advance(once, 0.3f);
        ++updates;
        finishedUpdates += once.GetTimeMs() == 0 ? 1 : 0;  // a restart
    }
    EXPECT_EQ(finishedUpdates, 1);
    EXPECT_EQ(once.GetLoopsRemaining(), 0);
    EXPECT_FALSE(once.IsPlaying());

    UIAnimation& forever = owner->CreateAnimation(AsciiString("forever"), -1, AsciiString::Empty());
    forever.AddKeyframe<float>(AsciiString("x"), 100, UILerp_Linear, 1.0f);
    forever.Play(0);
    for (int i = 0; i < 100; ++i) {
        Advance(forever, 0.07f);
    }
    EXPECT_TRUE(forever.IsPlaying());
    EXPECT_EQ(forever.GetLoopsRemaining(), -1);
}

// A time that lands exactly on the end stays there, finished, for one
// update before the loop restarts.
TEST_F(Animations, ALoopLandingOnTheEndWaitsOneUpdate) {
    UIAnimation& animation = owner->CreateAnimation(AsciiString("a"), 1, AsciiString::Empty());
    animation.AddKeyframe<float>(AsciiString("x"), 500, UILerp_Linear, 1.0f);
    animation.Play(0);
    Advance(animation, 0.5f);
    EXPECT_TRUE(animation.IsFinished());
    EXPECT_TRUE(animation.IsPlaying());
    Advance(animation, 0.1f);
    EXPECT_EQ(animation.GetTimeMs(), 0u);
    EXPECT_EQ(animation.GetLoopsRemaining(), 0);
}

TEST_F(Animations, EventKeyframesAtZeroFirePerStartAndLoop) {
    UITest::CountingCommand* count = AddCommand("Count", 0);
    UITest::CountingCommand* late = AddCommand("Late", 0);
    UIAnimation& animation = owner->CreateAnimation(AsciiString("beat"), 1, AsciiString::Empty());
    animation.AddKeyframe<float>(AsciiString("x"), 200, UILerp_Linear, 1.0f);
    animation.AddEventKeyframe(0.0f, {UITest::Call("Count")});
    animation.AddEventKeyframe(0.1f, {UITest::Call("Late", {"a"})});
    animation.Play(0);
    for (int i = 0; i < 10; ++i) {
        Advance(animation, 0.08f);
        ui().ProcessPostUpdateNotices();
    }
    EXPECT_EQ(count->calls, 2);  // the start and the one loop
    EXPECT_EQ(late->calls, 2);
    EXPECT_EQ(late->lastContext, owner);
    ASSERT_EQ(late->lastArgs.size(), 1u);
    animation.Play(0);
    Advance(animation, 0.01f);
    ui().ProcessPostUpdateNotices();
    EXPECT_EQ(count->calls, 3);

    // A queued list whose animation is replaced never runs.
    owner->PlayAnimation(AsciiString("beat"), false);
    animation.Update(0.01f);
    owner->CreateAnimation(AsciiString("beat"), 0, AsciiString::Empty());
    ui().ProcessPostUpdateNotices();
    EXPECT_EQ(count->calls, 3);
}

TEST_F(Animations, ADelayHoldsThenAdvancesByTheWholeStep) {
    UIAnimation& animation = owner->CreateAnimation(AsciiString("late"), 0, AsciiString::Empty());
    animation.AddKeyframe<float>(AsciiString("x"), 0, UILerp_Linear, 0.0f);
    animation.AddKeyframe<float>(AsciiString("x"), 1000, UILerp_Linear, 10.0f);
    x->Set(-1.0f);
    animation.Play(200);
    EXPECT_EQ(x->Get(), -1.0f);  // Play's apply changes nothing while delayed
    Advance(animation, 0.15f);
    EXPECT_EQ(x->Get(), -1.0f);
    Advance(animation, 0.1f);  // ends the delay: the full 0.1 s counts
    EXPECT_EQ(animation.GetTimeMs(), 100u);
    EXPECT_EQ(x->Get(), 1.0f);
}

TEST_F(Animations, GhostFramesGlideFromTheStartValue) {
    UIAnimation& animation = owner->CreateAnimation(AsciiString("ghost"), 0, AsciiString::Empty());
    animation.SetGhostFrame(true);
    animation.AddKeyframe<float>(AsciiString("x"), 500, UILerp_Linear, 10.0f);
    x->Set(4.0f);
    animation.Play(0);
    EXPECT_EQ(x->Get(), 4.0f);
    Advance(animation, 0.25f);
    EXPECT_EQ(x->Get(), 7.0f);
    Advance(animation, 0.25f);
    EXPECT_EQ(x->Get(), 10.0f);
    EXPECT_TRUE(animation.IsFinished());

    UIAnimation& plain = owner->CreateAnimation(AsciiString("plain"), 0, AsciiString::Empty());
    plain.AddKeyframe<float>(AsciiString("x"), 500, UILerp_Linear, 2.0f);
    plain.Play(0);
    EXPECT_EQ(x->Get(), 2.0f);
}

TEST_F(Animations, StopLeavesThePropertiesAndFinishes) {
    UIAnimation& animation = owner->CreateAnimation(AsciiString("move"), 0, AsciiString::Empty());
    animation.AddKeyframe<float>(AsciiString("x"), 0, UILerp_Linear, 0.0f);
    animation.AddKeyframe<float>(AsciiString("x"), 1000, UILerp_Linear, 10.0f);
    animation.Play(0);
    Advance(animation, 0.5f);
    animation.Stop();
    EXPECT_EQ(x->Get(), 5.0f);
    EXPECT_TRUE(animation.IsFinished());
    EXPECT_FALSE(animation.IsPlaying());
    owner->SkipAnimationToEnd(AsciiString("move"), false);
    EXPECT_EQ(x->Get(), 10.0f);
    owner->SeekAnimation(AsciiString("MOVE"), 0.3f, false);
    EXPECT_EQ(x->Get(), 3.0f);
}

TEST_F(Animations, DelayedPlayAnswersTheLongestTimeOfTheSubtree) {
    Component* child = Make(owner, "child");
    child->GetOrAddProperty<float>(AsciiString("x"), 0.0f);
    UIAnimation& mine = owner->CreateAnimation(AsciiString("in"), 0, AsciiString::Empty());
    mine.AddKeyframe<float>(AsciiString("x"), 2000, UILerp_Linear, 1.0f);
    EXPECT_EQ(owner->PlayAnimationDelayed(AsciiString("in"), 500, false), 2.5f);
    UIAnimation& theirs = child->CreateAnimation(AsciiString("in"), 0, AsciiString::Empty());
    theirs.AddKeyframe<float>(AsciiString("x"), 3000, UILerp_Linear, 1.0f);
    EXPECT_FLOAT_EQ(owner->PlayAnimation(AsciiString("in"), true), 3.0f);
    EXPECT_TRUE(owner->IsAnimationPlaying(AsciiString(""), true));
    owner->StopAnimation(AsciiString("in"), false);
    EXPECT_FALSE(owner->IsAnimationPlaying(AsciiString(""), false));
    EXPECT_TRUE(owner->IsAnimationPlaying(AsciiString(""), true));

    owner->GetEnabledProperty()->Set(false);
    EXPECT_EQ(owner->PlayAnimation(AsciiString("in"), true), 0.0f);
    EXPECT_FALSE(owner->IsAnimationPlaying(AsciiString(""), true));
    EXPECT_EQ(owner->PlayAnimation(AsciiString("unknown"), true), 0.0f);
}

TEST_F(Animations, SpeedFactorsMultiplyUpTheTree) {
    Component* child = Make(owner, "child");
    UIProperty<float>* cx = child->GetOrAddProperty<float>(AsciiString("x"), 0.0f);
    UIAnimation& animation = child->CreateAnimation(AsciiString("move"), 0, AsciiString::Empty());
    animation.AddKeyframe<float>(AsciiString("x"), 0, UILerp_Linear, 0.0f);
    animation.AddKeyframe<float>(AsciiString("x"), 1000, UILerp_Linear, 10.0f);
    child->SetAnimationSpeed(2.0f);
    owner->SetAnimationSpeed(0.5f);
    child->PlayAnimation(AsciiString("move"), false);
    child->AdvanceAnimations(0.25f);
    EXPECT_EQ(cx->Get(), 2.5f);
    owner->SetAnimationSpeed(1.0f);
    child->UpdateAnimations(0.25f);
    EXPECT_EQ(cx->Get(), 7.5f);
}

TEST_F(Animations, AFinishedAnimationStartsItsSuccessorAndReportsAfterThePass) {
    Component* child = Make(owner, "child");
    child->GetOrAddProperty<float>(AsciiString("x"), 0.0f);
    UIAnimation& in = owner->CreateAnimation(AsciiString("in"), 0, AsciiString("idle"));
    in.AddKeyframe<float>(AsciiString("x"), 100, UILerp_Linear, 1.0f);
    owner->CreateAnimation(AsciiString("idle"), -1, AsciiString::Empty())
        .AddKeyframe<float>(AsciiString("x"), 100, UILerp_Linear, 2.0f);
    child->CreateAnimation(AsciiString("idle"), -1, AsciiString::Empty())
        .AddKeyframe<float>(AsciiString("x"), 100, UILerp_Linear, 2.0f);
    Recorder recorder;
    owner->OnAnimationFinishedEvent.AddListener(
        Component::AnimationFinishedEvent::Listener(&recorder, &Recorder::OnFinished));
    owner->PlayAnimation(AsciiString("in"), false);
    owner->AdvanceAnimations(0.2f);
    EXPECT_TRUE(owner->FindAnimation(AsciiString("idle"))->IsPlaying());
    EXPECT_TRUE(child->FindAnimation(AsciiString("idle"))->IsPlaying());
    EXPECT_TRUE(recorder.lines.empty());
    ui().ProcessPostUpdateNotices();
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"owner:in:in"}));
    EXPECT_TRUE(owner->GetFinishedAnimationName().IsEmpty());

    // A notice of a component destroyed before the pass ends is dropped.
    child->PlayAnimation(AsciiString("idle"), false);
    child->FindAnimation(AsciiString("idle"))->SetLoopCount(0);
    child->PlayAnimation(AsciiString("idle"), false);
    child->AdvanceAnimations(0.2f);
    delete child;
    ui().ProcessPostUpdateNotices();
}

TEST_F(Animations, Dumps) {
    UIAnimation& animation = owner->CreateAnimation(AsciiString("move"), 0, AsciiString::Empty());
    animation.AddKeyframe<float>(AsciiString("x"), 250, UILerp_EaseInQuad, 2.5f);
    animation.AddEventKeyframe(0.5f, {UITest::Call("PlaySound", {"swish", "1"})});
    animation.AddEventKeyframe(0.0f, {});
    EXPECT_STREQ(owner->DumpAnimations(AsciiString("move")).c_str(),
                 "Animation \"move\"\nUIAnimation(move)\nTrackCount : 1\n"
                 "track\n{  Name:x\n  k{    Time 250ms, val: 2.5         , lerp: EaseInQuad}\n"
                 "EventsCount: 2\nEventKeyframe, time: 500\n{\n    PlaySound(swish, 1)\n}\n"
                 "EventKeyframe, time: 0 No Commands\n");
    const std::string missing = owner->DumpAnimations(AsciiString("other")).c_str();
    EXPECT_EQ(missing.substr(missing.size() - 10), "Not found.");
    owner->PlayAnimation(AsciiString("move"), false);
    EXPECT_STREQ(owner->DumpAnimations(AsciiString("")).c_str(),
                 "Animation List\n  <running> move\n");
}

}  // namespace
}  // namespace Varnok
