// The sample gallery screen from the generated bundle, drawn headless at the
// workspace's size: each kind of element lands where the screen puts it,
// and nothing of the clipped quad shows outside its turned parent.
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/Texture.h"
#include "engine/ui/ComponentSprite.h"
#include "engine/ui/ComponentTexture.h"
#include "engine/ui/ComponentWindow.h"
#include "engine/ui/UIClip.h"
#include "engine/ui/UIManager.h"
#include "platform/FrameCapture.h"
#include "platform/OffscreenFramebuffer.h"
#include "platform/PngReader.h"
#include "tests/engine/render/RenderTestEnvironment.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {
namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 320;

struct Pixel {
    int r, g, b;
};

class UIGallery : public ::testing::Test {
protected:
    void SetUp() override {
        RenderTest::UseTestTarget();
        m_bundle = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(VARNOK_BUNDLE_DIR, false), FileSystemKey("gallery"), 80);
        ASSERT_TRUE(m_target.Create(kWidth, kHeight));
        m_target.Bind();
        Renderer& renderer = Renderer::Get();
        renderer.SetViewport(0, kHeight, 0, kWidth);
        glViewport(0, 0, kWidth, kHeight);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderer.SetDepthTest(false);
        renderer.SetDepthWrite(false);
        renderer.SetCullMode(kCullOff);
        renderer.SetBlendFunc(kBlendSrcAlpha, kBlendOneMinusSrcAlpha);
        UIManager& ui = UIManager::Get();
        ASSERT_EQ(ui.LoadProject("xml/TamberloFelis_skuLayout.xml", AsciiString("~iPhone")), 0);
        ui.SetScreenSize(Vector2{static_cast<float>(kWidth), static_cast<float>(kHeight)});
        screen = ui.LoadScreenEnabled(AsciiString("uiGallery"));
        ASSERT_NE(screen, nullptr);
        for (int frame = 0; frame < 3; ++frame) {
            ui.Update(1.0f / 60.0f);
        }
        ui.Draw(2);
        ASSERT_TRUE(ReadFramebufferRgba(kWidth, kHeight, m_rgba));
    }
    void TearDown() override {
        UIManager::Get().Shutdown();
        if (Texture* bound = Texture::GetCurrentlyBound()) {
            bound->Unbind();
        }
        RenderTransforms::Get().Reset();
        RenderTransforms::Get().Apply(false);
        m_target.Delete();
        RenderTest::UseTestTarget();
        FileSystemRegistry::Get().Remove(m_bundle);
    }

    // Top-down, in workspace units (one to a pixel here).
    Pixel At(int x, int y) const {
        const uint8_t* p = &m_rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
        return Pixel{p[0], p[1], p[2]};
    }
    template <typename T>
    T* Find(const char* path) const {
        Component* found = screen->FindChildByPath(path);
        return found != nullptr && found->IsKindOf(T::GetStaticClassInfo()) ? static_cast<T*>(found) : nullptr;
    }

    Component* screen = nullptr;
    std::vector<uint8_t> m_rgba;

private:
    FileSystem* m_bundle = nullptr;
    OffscreenFramebuffer m_target;
};

bool Near(const Pixel& p, int r, int g, int b, int tolerance = 24) {
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance && std::abs(p.b - b) <= tolerance;
}

TEST_F(UIGallery, EveryElementDrawsWhereTheScreenPutsIt) {
    if (const char* dir = std::getenv("VARNOK_GALLERY_PNG")) {  // for looking at it
        (void)WritePng((std::string(dir) + "/uiGallery.png").c_str(), kWidth, kHeight, m_rgba);
    }
    // The folder atlas serves the play button; the sheet shows frame 5.
    auto* play = Find<ComponentTexture>("panel.play");
    ASSERT_NE(play, nullptr);
    EXPECT_NE(play->GetAtlas().Get(), nullptr);
    EXPECT_NE(play->GetAtlasEntry(), nullptr);
    auto* sprite = Find<ComponentSprite>("sprite");
    ASSERT_NE(sprite, nullptr);
    EXPECT_TRUE(Near(At(360 + 16, 16 + 8), 70, 90, 220)) << "sprite frame 5";
    // The panel's frame: one run, its rim and border at the corner, the
    // docked title across the top inside the margins.
    auto* panel = Find<ComponentWindow>("panel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetRuns().size(), 1u);
    EXPECT_TRUE(Near(At(16 + 6, 16 + 40), 90, 60, 30)) << "panel border";
    EXPECT_TRUE(Near(At(100, 16 + 12 + 10), 230, 120, 40)) << "docked title";
    EXPECT_TRUE(Near(At(100, 16 + 150 - 12 - 6), 90, 200, 90)) << "docked footer";
    // The model draws in its place in the layer's order: after the backdrop
    // quad, which the batch would otherwise paint over it.
    int modelPixels = 0;
    for (int y = 100; y < 180; ++y) {
        for (int x = 360; x < 440; ++x) {
            modelPixels += Near(At(x, y), 20, 28, 60, 40) ? 0 : 1;
        }
    }
    EXPECT_GT(modelPixels, 2000) << "the model";
    // The half-transparent quad over the backdrop.
    const Pixel half = At(120, 240);
    EXPECT_NEAR(half.r, (255 + 20) / 2, 12);

    // Red inside the turned parent; outside it, only the backdrop, although
    // the red quad itself covers the whole neighbourhood.
    const Component* clipper = screen->FindChildByPath("clipper");
    ASSERT_NE(clipper, nullptr);
    const UIVertexList& outline = clipper->GetVertices();
    ASSERT_GE(outline.size(), 3u);
    int inside = 0;
    int outside = 0;
    for (int y = 170; y < 310; y += 2) {
        for (int x = 230; x < 430; x += 2) {
            const Vector2 point{x + 0.5f, y + 0.5f};
            float nearest = 1e9f;
            UIClipEdgeIterator edge(outline);
            while (edge.Next()) {
                nearest = std::min(nearest, edge.Distance(point.x, point.y));
            }
            const Pixel p = At(x, y);
            if (nearest > 1.5f) {
                EXPECT_TRUE(Near(p, 230, 40, 40)) << x << "," << y;
                ++inside;
            } else if (nearest < -1.5f && x >= 330 - 100 && x < 330 + 100 && y >= 240 - 60 && y < 240 + 60) {
                EXPECT_FALSE(Near(p, 230, 40, 40, 60)) << "red outside the clip at " << x << "," << y;
                ++outside;
            }
        }
    }
    EXPECT_GT(inside, 100);
    EXPECT_GT(outside, 100);
}

TEST_F(UIGallery, TheFrameMatchesItsReferencePicture) {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> reference;
    ASSERT_TRUE(ReadPng(VARNOK_TEST_REFERENCE_DIR "/uiGallery.png", width, height, reference));
    ASSERT_EQ(width, kWidth);
    ASSERT_EQ(height, kHeight);
    // Generous: filtering and blending may differ by a few levels, edges by
    // more; a moved or missing element changes thousands of pixels.
    int differing = 0;
    for (size_t i = 0; i < reference.size(); i += 4) {
        for (int c = 0; c < 3; ++c) {
            if (std::abs(int(reference[i + c]) - int(m_rgba[i + c])) > 24) {
                ++differing;
                break;
            }
        }
    }
    EXPECT_LT(differing, kWidth * kHeight / 200) << "pixels off the reference";
}

}  // namespace
}  // namespace Varnok
