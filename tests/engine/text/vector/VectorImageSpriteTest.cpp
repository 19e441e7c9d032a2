// The vector sprite: pixel boxes, rasters on demand, and the quad drawn on
// the GL through the UI's view.
#include "engine/text/vector/VectorImageSprite.h"

#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/Texture.h"
#include "tests/engine/render/RenderTestEnvironment.h"
#include "tests/engine/text/vector/SvgTestSupport.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <cmath>

namespace Varnok {
namespace {

// Red above, blue below, in a 10 x 10 document.
const char* kTwoHalves =
    "<rect width='10' height='5' fill='red'/><rect y='5' width='10' height='5' fill='blue'/>";

SmartPtr<VectorImage> MakeImage(const char* body) {
    SmartPtr<VectorImage> image = new VectorImage();
    image->SetDocument(LoadSvgBody(body, "viewBox='0 0 10 10'"));
    return image;
}

TEST(VectorImageSpriteMath, WrapAngleTakesWholeTurns) {
    EXPECT_NEAR(WrapAngle(7.0f), 0.71682f, 1e-5f);
    EXPECT_NEAR(WrapAngle(-4.0f), 2.28318f, 1e-5f);
    EXPECT_EQ(WrapAngle(1.0f), 1.0f);
    EXPECT_EQ(WrapAngle(NAN), 0.0f);
    EXPECT_LE(std::fabs(WrapAngle(1.0e9f)), 3.14159f);
}

class VectorImageSpriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        RenderTest::UseTestTarget();
        glViewport(0, 0, RenderTest::kWidth, RenderTest::kHeight);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        Renderer& renderer = Renderer::Get();
        renderer.SetScreenSize(RenderTest::kWidth, RenderTest::kHeight);
        renderer.SetDepthTest(false);
        renderer.SetCullMode(kCullOff);
        renderer.SetBlendFunc(kBlendSrcAlpha, kBlendOneMinusSrcAlpha);
        UseView(RenderTest::kWidth, RenderTest::kHeight);
    }
    void TearDown() override {
        if (Texture* bound = Texture::GetCurrentlyBound()) {
            bound->Unbind();
        }
        RenderTransforms::Get().Reset();
        RenderTransforms::Get().Apply(false);
    }

    // As the UI draws: view times projection as the projection.
    void UseView(int width, int height) {
        Renderer::Get().SetScreenSize(width, height);
        view = VectorViewData::MakeUiPixelView(static_cast<float>(width), static_cast<float>(height));
        Matrix4 product;
        Matrix4::Multiply(Matrix4::FromMatrix43(view.view.m), view.projection, product);
        RenderTransforms& transforms = RenderTransforms::Get();
        transforms.Reset();
        transforms.Projection().Set(product);
        transforms.Apply(false);
    }

    static void ExpectColour(int x, int y, int r, int g, int b) {
        const RenderTest::Rgba p = RenderTest::ReadPixel(x, y);
        EXPECT_NEAR(p.r, r, 8) << x << "," << y;
        EXPECT_NEAR(p.g, g, 8) << x << "," << y;
        EXPECT_NEAR(p.b, b, 8) << x << "," << y;
    }

    VectorViewData view;
};

TEST_F(VectorImageSpriteTest, PixelBoxesRoundCornersToWholePixels) {
    UseView(200, 200);
    const struct {
        float scale;
        uint32_t width;
    } cases[] = {{100.3f, 100}, {101.2f, 102}, {1.2f, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scale);
        VectorImageSprite sprite;
        sprite.Init(MakeImage(kTwoHalves), Vector3{100, 100, 0}, c.scale, -c.scale, 0.0f, &view);
        EXPECT_EQ(sprite.GetSource()->GetRasterParams().width, c.width);
        EXPECT_EQ(sprite.GetSource()->GetRasterParams().height, c.width);
        EXPECT_TRUE(sprite.IsVisible());
    }
    // A quarter turn of a wide sprite gives a tall box.
    VectorImageSprite turned;
    turned.Init(MakeImage(kTwoHalves), Vector3{100, 100, 0}, 40.0f, -10.0f, 1.5707964f, &view);
    EXPECT_EQ(turned.GetSource()->GetRasterParams().width, 10u);
    EXPECT_EQ(turned.GetSource()->GetRasterParams().height, 40u);
    EXPECT_EQ(turned.GetSnapshot().rotation, 1.5707964f);
    EXPECT_STREQ(turned.GetSource()->Describe().c_str(), "Vector image");
}

TEST_F(VectorImageSpriteTest, EmptyAndOversizedBoxesAreNeitherRasterisedNorDrawn) {
    for (float scale : {0.0f, 0.2f, NAN, 1.0e7f}) {
        SCOPED_TRACE(scale);
        VectorImageSprite sprite;
        sprite.Init(MakeImage(kTwoHalves), Vector3{32, 32, 0}, scale, -scale, 0.0f, &view);
        EXPECT_FALSE(sprite.IsVisible());
        EXPECT_EQ(sprite.GetSource()->GetRasterParams().width, 0u);
        EXPECT_EQ(sprite.GetSource()->GetRasterCount(), 0);
        sprite.Draw();
    }
    ExpectColour(32, 32, 0, 0, 0);
    VectorImageSprite unset;
    unset.Rasterize();
    unset.Draw();
    EXPECT_FALSE(unset.IsVisible());
}

TEST_F(VectorImageSpriteTest, DrawsUprightAtItsPlaceAndFollowsMovesWithoutNewRasters) {
    VectorImageSprite sprite;
    sprite.Init(MakeImage(kTwoHalves), Vector3{32, 32, 0}, 40.0f, -40.0f, 0.0f, &view);
    ASSERT_TRUE(sprite.IsVisible());
    sprite.Draw();
    // GL rows count upwards: the red top half is above the centre.
    ExpectColour(32, 42, 255, 0, 0);
    ExpectColour(32, 22, 0, 0, 255);
    ExpectColour(32, 60, 0, 0, 0);
    ExpectColour(5, 32, 0, 0, 0);
    const int rasters = sprite.GetSource()->GetRasterCount();

    glClear(GL_COLOR_BUFFER_BIT);
    sprite.position = Vector3{20.5f, 32, 0};
    sprite.Draw();
    EXPECT_EQ(sprite.GetSource()->GetRasterCount(), rasters);
    ExpectColour(5, 42, 255, 0, 0);  // the left edge moved from 12 to 0
    ExpectColour(45, 42, 0, 0, 0);

    // Turned half a turn by transforming the last raster: blue on top.
    glClear(GL_COLOR_BUFFER_BIT);
    sprite.position = Vector3{32, 32, 0};
    sprite.rotation = WrapAngle(3.14159265f);
    sprite.Draw();
    ExpectColour(32, 42, 0, 0, 255);
    ExpectColour(32, 22, 255, 0, 0);
    EXPECT_EQ(sprite.GetSource()->GetRasterCount(), rasters);

    // A new raster at the turned placement draws the same picture.
    glClear(GL_COLOR_BUFFER_BIT);
    sprite.Rasterize();
    sprite.Draw();
    EXPECT_GT(sprite.GetSource()->GetRasterCount(), rasters);
    ExpectColour(32, 42, 0, 0, 255);
    ExpectColour(32, 22, 255, 0, 0);
}

}  // namespace
}  // namespace Varnok
