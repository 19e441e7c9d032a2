#include "engine/ui/descriptions/UIDescValues.h"

#include "engine/ui/descriptions/ComponentDesc.h"
#include "tests/engine/ui/UIFilesTestSupport.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

class UIDescValuesTest : public UITest::UIFilesTest {};

// The value A finds, or -1 for none.
int ValueFor(const UISkuValues<int>& values, const UISkuDefinition* sku) {
    const int* value = values.Get(sku);
    return value != nullptr ? *value : -1;
}

TEST_F(UIDescValuesTest, SkuWalksFollowFallbacksToDefault) {
    UIProjectSettings chain = TestSettings();
    chain.skus[AsciiString("B")].fallbackName = AsciiString("~default");
    InitUI(chain, "A");
    UISkuDefinition* a = Sku("A");
    UISkuDefinition* b = Sku("B");
    UISkuDefinition* c = Sku("C");
    UISkuDefinition* def = ui().GetDefaultSku();

    UISkuValues<int> onlyDefault;
    onlyDefault.Set(def, 1);
    EXPECT_EQ(1, ValueFor(onlyDefault, a));

    UISkuValues<int> bAndDefault = onlyDefault;
    bAndDefault.Set(b, 2);
    EXPECT_EQ(2, ValueFor(bAndDefault, a));
    EXPECT_EQ(1, ValueFor(bAndDefault, def));  // "~default" itself sees only its own

    UISkuValues<int> onlyC;
    onlyC.Set(c, 3);
    EXPECT_EQ(-1, ValueFor(onlyC, a));

    // The null SKU's value: reached past a SKU without fallback, never past
    // "~default".
    UISkuValues<int> nullSku;
    nullSku.Set(nullptr, 4);
    EXPECT_EQ(-1, ValueFor(nullSku, a));
    ui().Shutdown();

    UIProjectSettings settings = TestSettings();
    settings.skus[AsciiString("Lone")] =
        UISkuDefinition{AsciiString("Lone"), AsciiString("nowhere"), 1, 1};
    InitUI(settings, "Lone");
    UISkuDefinition* lone = Sku("Lone");
    UISkuValues<int> values;
    values.Set(nullptr, 4);
    EXPECT_EQ(4, ValueFor(values, lone));
    values.Set(lone, 5);
    EXPECT_EQ(5, ValueFor(values, lone));
    EXPECT_EQ(4, ValueFor(values, nullptr));
}

TEST_F(UIDescValuesTest, AFallbackCycleEndsWithoutValue) {
    UIProjectSettings settings = TestSettings();
    settings.skus[AsciiString("P")] = UISkuDefinition{AsciiString("P"), AsciiString("Q"), 1, 1};
    settings.skus[AsciiString("Q")] = UISkuDefinition{AsciiString("Q"), AsciiString("P"), 1, 1};
    InitUI(settings, "P");
    UISkuValues<int> values;
    values.Set(Sku("C"), 1);
    values.Set(ui().GetDefaultSku(), 2);
    EXPECT_EQ(-1, ValueFor(values, Sku("P")));
}

TEST_F(UIDescValuesTest, FindAnimationNeverFallsBackToDefault) {
    InitUI("A");
    ComponentDesc node;
    node.AddAnimation(AsciiString("onlyDefault"), AsciiString("~default"));
    node.AddAnimation(AsciiString("forB"), AsciiString("B"));
    node.AddAnimation(AsciiString("forB"), AsciiString("~default"));
    node.AddAnimation(AsciiString("forC"), AsciiString("C"));
    EXPECT_EQ(nullptr, node.FindAnimation(AsciiString("onlyDefault")));
    ASSERT_NE(nullptr, node.FindAnimation(AsciiString("forB")));
    EXPECT_STREQ("B", node.FindAnimation(AsciiString("forB"))->m_sku.c_str());
    EXPECT_EQ(nullptr, node.FindAnimation(AsciiString("forC")));
    EXPECT_EQ(nullptr, node.FindAnimation(AsciiString("unknown")));
}

TEST_F(UIDescValuesTest, TracksSortRemoveAndCopyDeeply) {
    UIAnimationTrackDesc<int> track;
    for (uint32_t t : {300u, 100u, 200u}) {
        track.m_keyframes.emplace_back(t, static_cast<int>(t), 0);
    }
    EXPECT_EQ(300u, track.KeyframeAt(0).m_timeMs);
    track.SortKeyframes();
    EXPECT_EQ(100u, track.KeyframeAt(0).m_timeMs);
    EXPECT_EQ(300u, track.KeyframeAt(2).m_timeMs);
    track.RemoveKeyframe(0);
    EXPECT_EQ(2, track.KeyframeCount());
    EXPECT_EQ(200u, track.KeyframeAt(0).m_timeMs);

    UIAnimationDesc source;
    source.GetOrAddTrack<int>(AsciiString("x")) = track;
    source.AddEventKeyframe(UIEventKeyframeDesc{5, {UICommandCall{AsciiString("Cmd"), {}}}});
    UIAnimationDesc copy = source;
    copy.GetOrAddTrack<int>(AsciiString("x")).m_keyframes[0].m_value = 99;
    copy.GetEventKeyframes()[0].m_commands[0].name = AsciiString("Other");
    EXPECT_EQ(200, source.Tracks<int>().at(AsciiString("x")).KeyframeAt(0).m_value);
    EXPECT_STREQ("Cmd", source.GetEventKeyframes()[0].m_commands[0].name.c_str());
}

}  // namespace
}  // namespace Varnok
