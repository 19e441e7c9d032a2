#include "engine/ui/UITransform.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

UITransform Translation(float x, float y) {
    UITransform t;
    UITransform::FromPositionRotationScale(t, Vector3{x, y, 0}, 0.0f, Vector3{1, 1, 1});
    return t;
}

TEST(UITransform, ProductsTakeTheirKindFromTheOperands) {
    const UITransform move = Translation(3, 4);
    UITransform turn;
    UITransform::FromPositionRotationScale(turn, Vector3{}, 90.0f, Vector3{1, 1, 1});
    UITransform grow;
    UITransform::FromPositionRotationScale(grow, Vector3{}, 0.0f, Vector3{2, 2, 2});
    EXPECT_EQ(move.kind, 1);
    EXPECT_EQ(turn.kind, 2);
    EXPECT_EQ(grow.kind, 3);

    UITransform out;
    UITransform::Multiply(out, UITransform::Identity(), move);
    EXPECT_EQ(out.kind, 1);
    EXPECT_EQ(out.m[12], 3.0f);
    UITransform::Multiply(out, move, turn);
    EXPECT_EQ(out.kind, 5);
    UITransform uniform = grow;
    uniform.kind = 4;
    UITransform::Multiply(out, grow, uniform);
    EXPECT_EQ(out.kind, 3);
    EXPECT_EQ(out.m[0], 4.0f);
    UITransform odd = move;
    odd.kind = 9;
    UITransform::Multiply(out, odd, move);
    EXPECT_EQ(out.kind, 5);

    // The point goes through the first transform, then the second.
    UITransform::Multiply(out, turn, move);
    const Vector2 p = out.TransformPoint(1, 0);
    EXPECT_NEAR(p.x, 3.0f, 1e-6f);
    EXPECT_NEAR(p.y, 5.0f, 1e-6f);
}

TEST(UITransform, CompositionKinds) {
    UITransform t;
    UITransform::FromPositionRotationScale(t, Vector3{}, 0.00005f, Vector3{1, 1, 1});
    EXPECT_EQ(t.kind, 0);
    UITransform::FromPositionRotationScale(t, Vector3{0, 0, 0.00001f}, 0.0f, Vector3{1.00001f, 1, 1});
    EXPECT_EQ(t.kind, 0);
    UITransform::FromPositionRotationScale(t, Vector3{1, 0, 0}, 0.0f, Vector3{2, 1, 1});
    EXPECT_EQ(t.kind, 5);
    UITransform::FromPositionRotationScale(t, Vector3{}, 30.0f, Vector3{2, 3, 1});
    EXPECT_EQ(t.kind, 5);
    UITransform nan;
    UITransform::FromPositionRotationScale(nan, Vector3{}, 0.0f, Vector3{1, 1, 0.0f / 0.0f});
    EXPECT_EQ(nan.kind, 3);  // NaN is never near 1
}

TEST(UITransform, Inverses) {
    UITransform inverse;
    ASSERT_TRUE(UITransform::Invert(UITransform::Identity(), inverse));
    EXPECT_EQ(inverse.kind, 0);
    UITransform t;
    UITransform::FromPositionRotationScale(t, Vector3{5, -2, 0}, 40.0f, Vector3{2, 0.5f, 1});
    ASSERT_TRUE(UITransform::Invert(t, inverse));
    EXPECT_EQ(inverse.kind, 5);
    const Vector2 there = t.TransformPoint(1.5f, -3.0f);
    const Vector2 back = inverse.TransformPoint(there.x, there.y);
    EXPECT_NEAR(back.x, 1.5f, 1e-5f);
    EXPECT_NEAR(back.y, -3.0f, 1e-5f);
    UITransform flat;
    UITransform::FromPositionRotationScale(flat, Vector3{}, 0.0f, Vector3{1, 0, 1});
    EXPECT_FALSE(UITransform::Invert(flat, inverse));
}

}  // namespace
}  // namespace Varnok
