#include "engine/render/Camera.h"

#include "engine/render/Renderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/ShaderProgramCache.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Varnok {
namespace {

bool SameMatrix(const Matrix4& a, const Matrix4& b) {
    return std::memcmp(a.m, b.m, sizeof(a.m)) == 0;
}

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override { RenderTransforms::Get().Reset(); }
    void TearDown() override {
        RenderTransforms::Get().Reset();
        RenderTransforms::Get().Apply(false);
    }

    RenderTransforms& transforms = RenderTransforms::Get();
};

TEST_F(CameraTest, PerspectiveMatchesTheFigures) {
    Camera camera;
    camera.SetPerspective(1, 1000, 45, 45);
    camera.Apply();
    const Matrix4& projection = transforms.Projection().Current();
    // 45 degrees become 8190/65536 of a turn, a little short of an eighth,
    // and the sine table's step is 16 units: cot(44.91 degrees) = 1.0031.
    EXPECT_NEAR(projection.m[0], 1.0f, 5e-3f);
    EXPECT_NEAR(projection.m[5], 1.0f, 5e-3f);
    EXPECT_NE(projection.m[5], 1.0f);
    EXPECT_EQ(projection.m[0], projection.m[5]);  // aspect 45 / 45
    EXPECT_EQ(projection.m[11], -1.0f);
    const float view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -1, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(transforms.View().Current().m[i], view[i]) << "element " << i;
    }
    EXPECT_TRUE(SameMatrix(camera.GetProjection(), projection));
    EXPECT_TRUE(SameMatrix(ShaderProgramCache::Get().GetProjectionMatrix(), projection));
    EXPECT_FALSE(camera.IsDirty());
}

TEST_F(CameraTest, OrthographicMatchesTheFigures) {
    Camera camera;
    camera.SetOrthographic(1, 1000, CameraRect{0, 0, 480, 320});
    camera.Apply();
    const Matrix4& projection = transforms.Projection().Current();
    EXPECT_FLOAT_EQ(projection.m[0], 1.0f / 240);
    EXPECT_FLOAT_EQ(projection.m[5], 1.0f / 160);
    // View depths -near..-far land on 0..1.
    const float nearDepth = -1.0f * projection.m[10] + projection.m[14];
    const float farDepth = -1000.0f * projection.m[10] + projection.m[14];
    EXPECT_NEAR(nearDepth, 0.0f, 1e-6f);
    EXPECT_NEAR(farDepth, 1.0f, 1e-6f);
}

TEST_F(CameraTest, RebuildsOnlyAfterASetter) {
    Camera camera;
    camera.SetPerspective(1, 1000, 16.95f, 11.3f);
    camera.Apply();
    const Matrix4 builtView = transforms.View().Current();

    // Something else takes over the stacks between frames.
    transforms.View().Set(Matrix4::Identity());
    transforms.Projection().Set(Matrix4::Identity());
    transforms.Apply(false);

    // Moving through the getter is not seen: the kept view comes back.
    camera.GetPosition().x = 50.0f;
    camera.GetTarget().x = 50.0f;
    EXPECT_FALSE(camera.IsDirty());
    const uint32_t viewChanges = transforms.View().ChangeCount();
    camera.Apply();
    EXPECT_TRUE(SameMatrix(transforms.View().Current(), builtView));
    EXPECT_TRUE(SameMatrix(transforms.Projection().Current(), camera.GetProjection()));
    EXPECT_EQ(transforms.View().ChangeCount(), viewChanges + 1);
    EXPECT_TRUE(SameMatrix(ShaderProgramCache::Get().GetViewMatrix(), builtView));

    camera.SetPosition(camera.GetPosition());
    EXPECT_TRUE(camera.IsDirty());
    camera.Apply();
    EXPECT_FLOAT_EQ(transforms.View().Current().m[12], -50.0f);
}

TEST_F(CameraTest, ApplyResetsTheWorldStack) {
    Camera camera;
    camera.SetPerspective(1, 1000, 16.95f, 11.3f);
    for (int pass = 0; pass < 2; ++pass) {  // built, then kept
        SCOPED_TRACE(pass);
        transforms.World().Current().m[12] = 3.0f;
        transforms.World().Push();
        camera.Apply();
        EXPECT_EQ(transforms.World().Depth(), 0);
        EXPECT_TRUE(SameMatrix(transforms.World().Current(), Matrix4::Identity()));
    }
}

TEST_F(CameraTest, InverseViewRotationUndoesTheView) {
    Camera camera;
    camera.SetPosition(Vector3{3, 4, 12});
    camera.SetUp(Vector3{0, 1, 0});
    camera.SetPerspective(1, 1000, 16.95f, 11.3f);
    camera.Apply();
    Matrix4 rotation = Matrix4::FromMatrix43(camera.GetView().m);
    rotation.m[12] = rotation.m[13] = rotation.m[14] = 0.0f;
    Matrix4 product;
    Matrix4::Multiply(rotation, camera.GetInverseViewRotation(), product);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(product.m[i], Matrix4::Identity().m[i], 1e-5f) << "element " << i;
    }
}

TEST_F(CameraTest, SetViewportByMode) {
    Renderer& renderer = Renderer::Get();
    const ViewportRect saved = renderer.GetViewport();
    renderer.SetViewport(10, 330, 20, 500);  // y0, y1, x0, x1

    Camera camera;
    camera.SetViewport(1, 10000, 16.95f, 11.3f, Camera::kModePerspective);
    EXPECT_EQ(camera.GetMode(), Camera::kModePerspective);
    EXPECT_FLOAT_EQ(camera.GetAspectRatio(), 1.5f);

    camera.SetViewport(1, 1000, 30.0f, 20.0f, Camera::kModeOrthographic);
    EXPECT_EQ(camera.GetMode(), Camera::kModeOrthographic);
    EXPECT_EQ(camera.GetHorizontalAngle(), 30.0f);
    camera.Apply();
    // The rectangle is the renderer's viewport: 480 x 320.
    EXPECT_FLOAT_EQ(transforms.Projection().Current().m[0], 1.0f / 240);
    EXPECT_FLOAT_EQ(transforms.Projection().Current().m[5], 1.0f / 160);

    EXPECT_FALSE(camera.IsDirty());
    camera.SetViewport(5, 50, 1.0f, 2.0f, 2);  // any other mode: nothing
    EXPECT_FALSE(camera.IsDirty());
    EXPECT_EQ(camera.GetMode(), Camera::kModeOrthographic);
    EXPECT_EQ(camera.GetVerticalAngle(), 20.0f);

    renderer.SetViewport(saved.y0, saved.y1, saved.x0, saved.x1);
}

TEST_F(CameraTest, UnconfiguredCameraAppliesNothing) {
    Camera camera;
    transforms.World().Push();
    const uint32_t projectionChanges = transforms.Projection().ChangeCount();
    camera.Apply();
    EXPECT_EQ(transforms.Projection().ChangeCount(), projectionChanges);
    EXPECT_EQ(transforms.World().Depth(), 1);
}

}  // namespace
}  // namespace Varnok
