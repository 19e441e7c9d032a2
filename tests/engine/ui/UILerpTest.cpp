#include "engine/ui/UILerp.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Varnok {
namespace {

TEST(UILerp, TypesOutsideTheTableEvaluateAsLinear) {
    EXPECT_EQ(EvaluateUILerp(-1, 0.3f), 0.3f);
    EXPECT_EQ(EvaluateUILerp(39, 0.3f), 0.3f);
    EXPECT_EQ(EvaluateUILerp(0x7FFFFFFF, 0.7f), 0.7f);
}

TEST(UILerp, SimpleCurves) {
    EXPECT_EQ(EvaluateUILerp(UILerp_Snap, 0.999f), 0.0f);
    EXPECT_NEAR(EvaluateUILerp(UILerp_SCurve, 0.0f), 0.0024726f, 1e-7f);
    EXPECT_EQ(EvaluateUILerp(UILerp_SCurve, 0.5f), 0.5f);
    EXPECT_NEAR(EvaluateUILerp(UILerp_SCurve, 1.0f), 0.9975274f, 1e-7f);
    EXPECT_NEAR(EvaluateUILerp(UILerp_Sin, 0.0f), 0.0f, 1e-7f);
    EXPECT_NEAR(EvaluateUILerp(UILerp_Sin, 1.0f), 1.0f, 1e-7f);
}

TEST(UILerp, ExpoAndElasticEndsAreExact) {
    EXPECT_EQ(EvaluateUILerp(UILerp_EaseInExpo, 0.0f), 0.0f);
    EXPECT_EQ(EvaluateUILerp(UILerp_EaseInExpo, 1.0f), 1.0f);
    EXPECT_EQ(EvaluateUILerp(UILerp_EaseOutExpo, 1.0f), 1.0f);
    EXPECT_EQ(EvaluateUILerp(UILerp_EaseInOutExpo, 0.0f), 0.0f);
    EXPECT_EQ(EvaluateUILerp(UILerp_EaseInOutExpo, 1.0f), 1.0f);
    for (int type : {UILerp_EaseInElastic, UILerp_EaseOutElastic, UILerp_EaseInOutElastic}) {
        SCOPED_TRACE(type);
        EXPECT_EQ(EvaluateUILerp(type, 0.0f), 0.0f);
        EXPECT_EQ(EvaluateUILerp(type, 1.0f), 1.0f);
    }
    EXPECT_EQ(EvaluateUILerp(UILerp_EaseInOutElastic, 0.5f), 0.5f);
}

TEST(UILerp, BounceAndBack) {
    EXPECT_EQ(EvaluateUILerp(UILerp_EaseOutBounce, 0.5f), 0.765625f);
    EXPECT_EQ(EvaluateUILerp(UILerp_EaseOutBounce, 1.0f), 1.0f);
    EXPECT_EQ(EvaluateUILerp(UILerp_EaseInBounce, 0.0f), 0.0f);
    EXPECT_EQ(EvaluateUILerp(UILerp_EaseInOutBounce, 0.5f), 0.5f);
    EXPECT_NEAR(EvaluateUILerp(UILerp_EaseOutBack, 0.58f), 1.1f, 0.01f);
    EXPECT_NEAR(EvaluateUILerp(UILerp_EaseInBack, 0.42f), -0.1f, 0.01f);
}

// Every standard curve starts near 0 and ends at 1, and the in-out forms
// are symmetric about the middle.
TEST(UILerp, StandardCurvesRunFromZeroToOne) {
    for (int type = UILerp_EaseInSine; type <= UILerp_EaseInOutBounce; ++type) {
        SCOPED_TRACE(GetUILerpTypeName(type).c_str());
        EXPECT_NEAR(EvaluateUILerp(type, 0.0f), 0.0f, 1e-3f);
        EXPECT_NEAR(EvaluateUILerp(type, 1.0f), 1.0f, 1e-3f);
        if (type >= UILerp_EaseInOutSine) {
            EXPECT_NEAR(EvaluateUILerp(type, 0.25f) + EvaluateUILerp(type, 0.75f), 1.0f, 1e-3f);
        }
    }
}

TEST(UILerp, TableCurves) {
    for (int type = UILerp_EaseOutEaseIn; type <= UILerp_LinearOutEaseIn; ++type) {
        SCOPED_TRACE(type);
        EXPECT_EQ(EvaluateUILerp(type, 1.0f), 1.0f);
        EXPECT_EQ(EvaluateUILerp(type, 7.0f), 1.0f);
        EXPECT_EQ(EvaluateUILerp(type, 0.0f), 0.0f);
        float previous = 0.0f;
        for (int i = 0; i <= 100; ++i) {
            const float value = EvaluateUILerp(type, i / 100.0f);
            EXPECT_GE(value, previous);
            previous = value;
        }
    }
    // Entries 49 and 50 of EaseOutEaseIn are 126 and 135: t = 0.5 sits at
    // x = 49.5, halfway between them.
    EXPECT_NEAR(EvaluateUILerp(UILerp_EaseOutEaseIn, 0.5f), (126.0f + 4.5f) * 0.003921569f, 1e-6f);
    // The listed entries: entry 10 is x = 10 at t = 10 / 99.
    EXPECT_NEAR(EvaluateUILerp(UILerp_HardOutEaseIn, 10.0f / 99.0f), 130.0f / 255.0f, 1e-5f);
    EXPECT_NEAR(EvaluateUILerp(UILerp_EaseOutHardIn, 17.0f / 99.0f), 0.0f, 1e-6f);
}

TEST(UILerp, Names) {
    EXPECT_EQ(ParseUILerpType(AsciiString("EaseInOutBounce")), 38);
    EXPECT_EQ(ParseUILerpType(AsciiString("easeinoutbounce")), -1);
    EXPECT_EQ(ParseUILerpType(AsciiString("Linear")), 0);
    EXPECT_EQ(ParseUILerpType(AsciiString("")), -1);
    EXPECT_STREQ(GetUILerpTypeName(27).c_str(), "EaseOutElastic");
    EXPECT_STREQ(GetUILerpTypeName(-1).c_str(), "Invalid");
    EXPECT_STREQ(GetUILerpTypeName(39).c_str(), "Invalid");
    for (int type = 0; type < kUILerpTypeCount; ++type) {
        EXPECT_EQ(ParseUILerpType(GetUILerpTypeName(type)), type);
    }
}

}  // namespace
}  // namespace Varnok
