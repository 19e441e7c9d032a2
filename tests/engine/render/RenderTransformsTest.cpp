#include "engine/render/RenderTransforms.h"

#include "engine/render/ShaderProgramCache.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace Varnok {
namespace {

// Row vector times matrix, as the engine transforms points.
void TransformPoint(const Matrix4& m, const float in[3], float out[4]) {
    for (int column = 0; column < 4; ++column) {
        out[column] =
            in[0] * m.m[column] + in[1] * m.m[4 + column] + in[2] * m.m[8 + column] + m.m[12 + column];
    }
}

bool SameMatrix(const Matrix4& a, const Matrix4& b) {
    return std::memcmp(a.m, b.m, sizeof(a.m)) == 0;
}

Matrix4 SampleMatrix(float seed) {
    Matrix4 m;
    for (int i = 0; i < 16; ++i) {
        m.m[i] = seed + static_cast<float>(i * i % 7) - 3.0f * (i % 3);
    }
    return m;
}

TEST(RenderTransforms, OrthographicMatchesTheFigures) {
    RenderTransforms transforms;
    Matrix4 result = SampleMatrix(9.0f);
    transforms.SetOrthographic(160, -160, -240, 240, -1, 1000, &result);
    const float expected[16] = {1.0f / 240, 0, 0, 0, 0, 1.0f / 160, 0, 0,
                                0, 0, 1.0f / 1001, 0, 0, 0, 1.0f / 1001, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(result.m[i], expected[i]) << "element " << i;
    }
    EXPECT_TRUE(SameMatrix(transforms.Projection().Current(), result));
    // Applied at once: the shader cache has it.
    EXPECT_TRUE(SameMatrix(ShaderProgramCache::Get().GetProjectionMatrix(), result));

    // Off-centre bounds move the origin, and depth runs 0..1 from near to far.
    const Matrix4 offCentre = BuildOrthographicMatrix(10, 0, 0, 20, 1, 11);
    const float corner[3] = {20, 10, -11};
    float out[4];
    TransformPoint(offCentre, corner, out);
    EXPECT_FLOAT_EQ(out[0], 1.0f);
    EXPECT_FLOAT_EQ(out[1], 1.0f);
    const float nearPoint[3] = {0, 0, 1};
    const float farPoint[3] = {0, 0, 11};
    TransformPoint(offCentre, nearPoint, out);
    EXPECT_FLOAT_EQ(out[2], 0.0f);
    TransformPoint(offCentre, farPoint, out);
    EXPECT_FLOAT_EQ(out[2], 1.0f);
}

TEST(RenderTransforms, PerspectiveMatchesTheFigures) {
    RenderTransforms transforms;
    const float half = std::sqrt(0.5f);  // sine and cosine of 45 degrees
    Matrix4 result;
    transforms.SetPerspective(half, half, 1.5f, 1, 1000, &result);
    EXPECT_FLOAT_EQ(result.m[5], 1.0f);
    EXPECT_FLOAT_EQ(result.m[0], 1.0f / 1.5f);
    EXPECT_FLOAT_EQ(result.m[11], -1.0f);
    EXPECT_FLOAT_EQ(result.m[10], -1001.0f / 999.0f);
    EXPECT_FLOAT_EQ(result.m[14], -2000.0f / 999.0f);
    EXPECT_EQ(result.m[15], 0.0f);
    EXPECT_TRUE(SameMatrix(ShaderProgramCache::Get().GetProjectionMatrix(), result));
}

TEST(RenderTransforms, LookAtPutsTheEyeAtTheOriginLookingDownMinusZ) {
    RenderTransforms transforms;
    Matrix43 view;
    transforms.SetLookAt(Vector3{0, 0, 1}, Vector3{0, 1, 0}, Vector3{0, 0, 0}, &view);
    const float expected[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, -1};
    for (int i = 0; i < 12; ++i) {
        EXPECT_FLOAT_EQ(view.m[i], expected[i]) << "element " << i;
    }
    const Matrix4& stored = transforms.View().Current();
    EXPECT_EQ(stored.m[3], 0.0f);
    EXPECT_EQ(stored.m[14], -1.0f);
    EXPECT_EQ(stored.m[15], 1.0f);

    // From an oblique eye: the eye lands on the origin, the target straight
    // ahead on -z, and "up" stays up.
    const Vector3 eye{3, 4, 12};
    const Vector3 target{0, 0, 0};
    Matrix43 oblique;
    BuildLookAtMatrix(eye, Vector3{0, 1, 0}, target, oblique);
    const Matrix4 m = Matrix4::FromMatrix43(oblique.m);
    float out[4];
    const float eyePoint[3] = {eye.x, eye.y, eye.z};
    TransformPoint(m, eyePoint, out);
    EXPECT_NEAR(out[0], 0.0f, 1e-5f);
    EXPECT_NEAR(out[1], 0.0f, 1e-5f);
    EXPECT_NEAR(out[2], 0.0f, 1e-5f);
    const float targetPoint[3] = {0, 0, 0};
    TransformPoint(m, targetPoint, out);
    EXPECT_NEAR(out[0], 0.0f, 1e-5f);
    EXPECT_NEAR(out[1], 0.0f, 1e-5f);
    EXPECT_NEAR(out[2], -13.0f, 1e-5f);
    const float above[3] = {0, 1, 0};
    TransformPoint(m, above, out);
    EXPECT_GT(out[1], 0.0f);
}

TEST(RenderTransforms, LookAtDoesNotApply) {
    RenderTransforms transforms;
    transforms.Apply(false);
    const Matrix4 before = ShaderProgramCache::Get().GetViewMatrix();
    transforms.SetLookAt(Vector3{5, 0, 0}, Vector3{0, 1, 0}, Vector3{0, 0, 0});
    EXPECT_TRUE(SameMatrix(ShaderProgramCache::Get().GetViewMatrix(), before));
    transforms.Apply(false);
    EXPECT_TRUE(SameMatrix(ShaderProgramCache::Get().GetViewMatrix(), transforms.View().Current()));
}

TEST(RenderTransforms, ResetMakesEveryStackIdentityAndCountsAChange) {
    RenderTransforms transforms;
    MatrixStack* stacks[] = {&transforms.Projection(), &transforms.View(), &transforms.World(),
                             &transforms.Texture()};
    uint32_t counts[4];
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(stacks[i]->ChangeCount(), 1u);
        stacks[i]->Set(SampleMatrix(static_cast<float>(i)));
        stacks[i]->Push();
        stacks[i]->Set(SampleMatrix(10.0f + i));
        counts[i] = stacks[i]->ChangeCount();
    }
    transforms.Reset();
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(stacks[i]->Depth(), 0);
        EXPECT_TRUE(SameMatrix(stacks[i]->Current(), Matrix4::Identity()));
        EXPECT_TRUE(SameMatrix(stacks[i]->Saved(0), Matrix4::Identity()));
        EXPECT_EQ(stacks[i]->ChangeCount(), counts[i] + 1);
    }
}

TEST(MatrixStack, PushAndPopRestoreExactly) {
    MatrixStack stack;
    const Matrix4 first = SampleMatrix(1.5f);
    stack.Set(first);
    const uint32_t count = stack.ChangeCount();
    stack.Push();
    EXPECT_EQ(stack.ChangeCount(), count);  // a push changes nothing current
    EXPECT_TRUE(SameMatrix(stack.Current(), first));
    Matrix4::Multiply(stack.Current(), SampleMatrix(-2.25f), stack.Current());
    stack.Pop();
    EXPECT_TRUE(SameMatrix(stack.Current(), first));
    EXPECT_EQ(stack.ChangeCount(), count + 1);
    EXPECT_EQ(stack.Depth(), 0);
}

TEST(MatrixStack, RefusesOverflowAndUnderflow) {
    MatrixStack stack;
    stack.Pop();  // empty: nothing happens
    EXPECT_EQ(stack.Depth(), 0);
    EXPECT_TRUE(SameMatrix(stack.Current(), Matrix4::Identity()));

    for (int level = 0; level < MatrixStack::kMaxDepth; ++level) {
        stack.Set(SampleMatrix(static_cast<float>(level)));
        stack.Push();
    }
    EXPECT_EQ(stack.Depth(), MatrixStack::kMaxDepth);
    stack.Set(SampleMatrix(100.0f));
    stack.Push();  // full: refused
    EXPECT_EQ(stack.Depth(), MatrixStack::kMaxDepth);
    for (int level = MatrixStack::kMaxDepth - 1; level >= 0; --level) {
        stack.Pop();
        EXPECT_TRUE(SameMatrix(stack.Current(), SampleMatrix(static_cast<float>(level))));
    }
}

TEST(RenderTransforms, ApplyKeepingViewProjectionSendsOnlyWorldAndTexture) {
    RenderTransforms transforms;
    ShaderProgramCache& cache = ShaderProgramCache::Get();
    transforms.View().Set(SampleMatrix(1));
    transforms.Projection().Set(SampleMatrix(2));
    transforms.Apply(false);
    transforms.View().Set(SampleMatrix(3));
    transforms.Projection().Set(SampleMatrix(4));
    transforms.World().Set(SampleMatrix(5));
    transforms.Texture().Set(SampleMatrix(6));
    transforms.Apply(true);
    EXPECT_TRUE(SameMatrix(cache.GetViewMatrix(), SampleMatrix(1)));
    EXPECT_TRUE(SameMatrix(cache.GetProjectionMatrix(), SampleMatrix(2)));
    EXPECT_TRUE(SameMatrix(cache.GetWorldMatrix(), SampleMatrix(5)));
    EXPECT_TRUE(SameMatrix(cache.GetTextureMatrix(), SampleMatrix(6)));
    RenderTransforms::Get().Apply(false);  // leave the shared cache as the process has it
}

TEST(InvertMatrix4, GivesTheInverseAndRefusesSingularMatrices) {
    Matrix4 m = Matrix4::Identity();
    Matrix4::RotateZ(m, 0.6f, 0.8f);
    Matrix4::Scale(m, 2.0f, 3.0f, 0.5f);
    m.m[12] = 7.0f;
    m.m[13] = -4.0f;
    m.m[14] = 2.5f;
    m.m[3] = 0.25f;  // not affine either
    Matrix4 inverse;
    ASSERT_TRUE(InvertMatrix4(m, inverse));
    Matrix4 product;
    Matrix4::Multiply(m, inverse, product);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(product.m[i], Matrix4::Identity().m[i], 1e-5f) << "element " << i;
    }

    Matrix4 singular = SampleMatrix(0.0f);
    for (int column = 0; column < 4; ++column) {
        singular.m[4 + column] = 2.0f * singular.m[column];  // row 1 = 2 x row 0
    }
    Matrix4 untouched = SampleMatrix(3.0f);
    EXPECT_FALSE(InvertMatrix4(singular, untouched));
    EXPECT_TRUE(SameMatrix(untouched, SampleMatrix(3.0f)));
}

}  // namespace
}  // namespace Varnok
