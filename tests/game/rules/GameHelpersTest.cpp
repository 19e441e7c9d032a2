// The shared helpers: data-file parsers, curves, the colour ramp, the
// shuffle, coordinate conversions and the strip quads.
#include "game/rules/GameHelpers.h"

#include "engine/core/Random.h"
#include "engine/render/ImmediateVertex.h"
#include "engine/render/Renderer.h"
#include "engine/ui/UIManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

namespace Varnok {
namespace {

TEST(GameHelpers, ParseColour) {
    const struct {
        const char* text;
        Colour expected;
    } cases[] = {
        {"255,0,0", Colour(255, 0, 0, 255)},
        {"10, 20, 30, 40", Colour(10, 20, 30, 40)},
        {"7", Colour(7, 255, 255, 255)},
        {"x,5", Colour(0, 5, 255, 255)},
        {"", Colour(1, 2, 3, 4)},  // unchanged
        {nullptr, Colour(1, 2, 3, 4)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text != nullptr ? c.text : "null");
        Colour colour(1, 2, 3, 4);
        ParseColour(colour, c.text);
        EXPECT_EQ(colour.r, c.expected.r);
        EXPECT_EQ(colour.g, c.expected.g);
        EXPECT_EQ(colour.b, c.expected.b);
        EXPECT_EQ(colour.a, c.expected.a);
    }
}

TEST(GameHelpers, ParseVectorsListsAndNames) {
    const Vector3 v = ParseVector3("1,2");
    EXPECT_EQ(v.x, 1.0f);
    EXPECT_EQ(v.y, 2.0f);
    EXPECT_EQ(v.z, 0.0f);
    EXPECT_EQ(ParseVector3("").x, 0.0f);
    EXPECT_EQ(ParseVector3("-1.5,0,3e1").z, 30.0f);

    std::vector<std::string> parts;
    EXPECT_EQ(SplitCommaList("apple,,  banana, x y,", parts), 3);
    EXPECT_EQ(parts, (std::vector<std::string>{"apple", "banana", "x y"}));
    EXPECT_EQ(SplitCommaList(nullptr, parts), 0);

    EXPECT_TRUE(StringsEqual("a", "a"));
    EXPECT_FALSE(StringsEqual("", ""));
    EXPECT_FALSE(StringsEqual("a", nullptr));
    EXPECT_TRUE(StartsWith("blade_red", "blade"));
    EXPECT_TRUE(StartsWith("blade", ""));
    EXPECT_FALSE(StartsWith("bl", "blade"));
    EXPECT_FALSE(StartsWith(nullptr, ""));

    EXPECT_EQ(ModeMaskFromNames("CLASSIC"), 1);
    EXPECT_EQ(ModeMaskFromNames("CLASSIC, NEW_MODE"), 3);
    EXPECT_EQ(ModeMaskFromNames("new_mode"), 2);
    EXPECT_EQ(ModeMaskFromNames("ARCADE"), -1);
    EXPECT_EQ(ModeMaskFromNames(""), -1);

    EXPECT_EQ(CompareOpFromName("GREATER"), CompareOp::Greater);
    EXPECT_EQ(CompareOpFromName("not_equal"), CompareOp::NotEqual);
    EXPECT_EQ(CompareOpFromName("LESS"), CompareOp::None);
    EXPECT_TRUE(TestCompare(CompareOp::Greater, 3, 2));
    EXPECT_FALSE(TestCompare(CompareOp::Equal, 3, 2));
    EXPECT_TRUE(TestCompare(CompareOp::NotEqual, 3, 2));
    EXPECT_FALSE(TestCompare(CompareOp::None, 2, 2));
}

TEST(GameHelpers, CurvesAndTweens) {
    EXPECT_FLOAT_EQ(EaseOutQuad(0.5f), 0.75f);
    EXPECT_NEAR(EaseInOutCosine(0.0f), 0.0f, 1e-3);
    EXPECT_NEAR(EaseInOutCosine(0.5f), 0.5f, 2e-3);
    EXPECT_NEAR(EaseInOutCosine(1.0f), 1.0f, 1e-3);
    EXPECT_NEAR(SineEase(1.0f, 90.0f), 1.0f, 1e-3);
    EXPECT_NEAR(SineEase(0.5f, 90.0f), std::sin(kPi / 4.0f), 2e-3);

    Tween tween;
    tween.startTime = 1.0f;
    tween.endTime = 3.0f;
    tween.startValue = 10.0f;
    tween.endValue = 20.0f;
    EXPECT_FLOAT_EQ(tween.Evaluate(0.0f), 10.0f);
    EXPECT_FLOAT_EQ(tween.Evaluate(2.0f), 15.0f);
    EXPECT_FLOAT_EQ(tween.Evaluate(9.0f), 20.0f);
    tween.easing = [](float t, float) { return EaseOutQuad(t); };
    EXPECT_FLOAT_EQ(tween.Evaluate(2.0f), 17.5f);
}

TEST(GameHelpers, ColourRamp) {
    const Colour ramp[] = {Colour(0, 0, 0, 0), Colour(100, 200, 50, 255), Colour(200, 0, 50, 255)};
    EXPECT_EQ(SampleColourRamp(-1.0f, ramp, 3).r, 0);
    EXPECT_EQ(SampleColourRamp(1.0f, ramp, 3).r, 200);
    EXPECT_EQ(SampleColourRamp(0.5f, ramp, 1).g, 0);
    const Colour mid = SampleColourRamp(0.75f, ramp, 3);
    EXPECT_EQ(mid.r, 150);
    EXPECT_EQ(mid.g, 100);
    EXPECT_EQ(mid.a, 255);
}

TEST(GameHelpers, ShuffleKeepsTheValues) {
    GlobalRandom().Reseed(0);
    std::vector<int32_t> values(10);
    std::iota(values.begin(), values.end(), 0);
    ShuffleArray(values.data(), 10);
    std::vector<int32_t> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(sorted[i], i);
    }
    EXPECT_NE(values, sorted);  // five swaps from state 0 move something
    ShuffleArray(nullptr, 4);
    ShuffleArray(values.data(), 0);
}

TEST(GameHelpers, LogicalAndUIPointsRoundTrip) {
    Renderer::Get().SetScreenSize(960, 640);
    UIManager::Get().SetScreenSize(Vector2{960.0f, 640.0f});
    const Vector3 centre = UIPointToLogical(Vector3{480.0f, 320.0f, 0.0f});
    EXPECT_NEAR(centre.x, 0.0f, 1e-4);
    EXPECT_NEAR(centre.y, 0.0f, 1e-4);
    const Vector3 corner = UIPointToLogical(Vector3{0.0f, 0.0f, 10.0f});
    EXPECT_NEAR(corner.x, -240.0f, 1e-4);
    EXPECT_NEAR(corner.y, 160.0f, 1e-4);
    EXPECT_NEAR(corner.z, 5.0f, 1e-4);
    const Vector3 back = LogicalToUIPoint(corner);
    EXPECT_NEAR(back.x, 0.0f, 1e-3);
    EXPECT_NEAR(back.y, 0.0f, 1e-3);
    EXPECT_NEAR(back.z, 10.0f, 1e-3);
}

TEST(GameHelpers, QuadVerticesChainIntoAStrip) {
    ImmediateVertex vertices[7];
    ImmediateVertex* end = BuildQuadVertices(vertices, 10.0f, 20.0f, 2.0f, 3.0f, Colour(1, 2, 3, 4));
    EXPECT_EQ(end, vertices + 6);
    const struct {
        float x, y, u, v;
    } expected[] = {{8, 17, 0, 1}, {8, 17, 0, 1}, {8, 23, 0, 0},
                    {12, 17, 1, 1}, {12, 23, 1, 0}, {12, 23, 1, 0}};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(vertices[i].x, expected[i].x);
        EXPECT_EQ(vertices[i].y, expected[i].y);
        EXPECT_EQ(vertices[i].u, expected[i].u);
        EXPECT_EQ(vertices[i].v, expected[i].v);
        EXPECT_EQ(vertices[i].z, -5000.0f);
        EXPECT_EQ(vertices[i].nz, 1.0f);
        EXPECT_EQ(vertices[i].r, 1.0f);
        EXPECT_EQ(vertices[i].a, 4.0f);
    }
}

}  // namespace
}  // namespace Varnok
