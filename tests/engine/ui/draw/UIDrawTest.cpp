// The UI's drawing on a real GL context: quads through the 2D batch with
// the UI's top-left pixel projection, layer by layer.
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/SpriteLayerBatch.h"
#include "engine/render/Texture.h"
#include "engine/ui/ComponentQuad.h"
#include "tests/engine/render/RenderTestEnvironment.h"
#include "tests/engine/ui/UITestSupport.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

namespace Varnok {
namespace {

using RenderTest::ReadPixel;
using RenderTest::Rgba;
using UITest::Make;

void ExpectPixel(int x, int yFromTop, Rgba expected) {
    // GL counts rows from the bottom; the UI from the top.
    const Rgba actual = ReadPixel(x, RenderTest::kHeight - 1 - yFromTop);
    const int got[4] = {actual.r, actual.g, actual.b, actual.a};
    const int want[4] = {expected.r, expected.g, expected.b, expected.a};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(got[i], want[i], 3) << "pixel (" << x << ", " << yFromTop << ") channel " << i;
    }
}

class UIDraw : public ::testing::Test {
protected:
    void SetUp() override {
        RenderTest::UseTestTarget();
        Renderer& renderer = Renderer::Get();
        renderer.SetViewport(0, RenderTest::kHeight, 0, RenderTest::kWidth);
        glViewport(0, 0, RenderTest::kWidth, RenderTest::kHeight);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderer.SetDepthTest(false);
        renderer.SetDepthWrite(false);
        renderer.SetCullMode(kCullOff);
        renderer.SetBlendFunc(kBlendSrcAlpha, kBlendOneMinusSrcAlpha);
        UIProjectSettings settings;
        settings.simple2DGlobalTransformIndex = 1;
        // The workspace is the target: screens draw one unit to a pixel.
        settings.workspaceWidth = RenderTest::kWidth;
        settings.workspaceHeight = RenderTest::kHeight;
        UIManager::Get().Init(settings, AsciiString("~base"));
        screen = Make<ComponentScreen>(UIManager::Get().GetRoot(), "screen");
    }
    void TearDown() override {
        UIManager::Get().Shutdown();
        if (Texture* bound = Texture::GetCurrentlyBound()) {
            bound->Unbind();
        }
        RenderTransforms::Get().Reset();
        RenderTransforms::Get().Apply(false);
    }

    ComponentQuad* AddQuad(const char* id, float x, float y, float w, float h, Colour colour, int layer) {
        auto* quad = Make<ComponentQuad>(screen, id);
        quad->GetOrAddProperty<Vector3>(AsciiString("position"), Vector3{})->Set(Vector3{x, y, 0.0f});
        quad->GetOrAddProperty<float>(AsciiString("width"), 0.0f)->Set(w);
        quad->GetOrAddProperty<float>(AsciiString("height"), 0.0f)->Set(h);
        quad->GetOrAddProperty<Colour>(AsciiString("colour"), kColourWhite)->Set(colour);
        quad->SetLayer(layer);
        return quad;
    }

    ComponentScreen* screen = nullptr;
};

TEST_F(UIDraw, QuadsLandWhereTheUIPlacesThemLayerByLayer) {
    AddQuad("red", 0.0f, 0.0f, 32.0f, 16.0f, Colour(255, 0, 0, 255), 0);
    AddQuad("green", 16.0f, 8.0f, 32.0f, 32.0f, Colour(0, 255, 0, 255), 2);
    UIManager& ui = UIManager::Get();
    ui.Update(0.016f);
    SpriteLayerBatch& batch = SpriteLayerBatch::GetInstance();
    const int32_t layerBefore = batch.GetCurrentLayer();
    ui.Draw(0);
    EXPECT_EQ(batch.GetCurrentLayer(), layerBefore);  // restored after the draw
    ExpectPixel(4, 4, Rgba{255, 0, 0, 255});     // top left is red
    ExpectPixel(20, 12, Rgba{255, 0, 0, 255});   // green not drawn yet
    ExpectPixel(40, 4, Rgba{0, 0, 0, 255});
    ExpectPixel(4, 40, Rgba{0, 0, 0, 255});
    ui.Draw(2);
    ExpectPixel(20, 12, Rgba{0, 255, 0, 255});   // the later layer on top
    ExpectPixel(4, 4, Rgba{255, 0, 0, 255});
    ExpectPixel(40, 36, Rgba{0, 255, 0, 255});
    ExpectPixel(60, 60, Rgba{0, 0, 0, 255});
    // The view-projection went into the configured slot.
    EXPECT_FLOAT_EQ(batch.LayerMatrix(1).m[0], 2.0f / RenderTest::kWidth);
}

TEST_F(UIDraw, HalfAlphaBlendsAndAllLayersDrawsNothing) {
    AddQuad("half", 0.0f, 0.0f, 64.0f, 64.0f, Colour(255, 0, 0, 128), 1);
    UIManager& ui = UIManager::Get();
    ui.Update(0.016f);
    ui.Draw(UIManager::kAllLayers);
    ExpectPixel(32, 32, Rgba{0, 0, 0, 255});
    ui.Draw(1);
    ExpectPixel(32, 32, Rgba{128, 0, 0, 255});
}

}  // namespace
}  // namespace Varnok
