// Text components drawn through the UI on a real GL context with the
// bundle's fonts: the glyphs land inside the component's rectangle, on the
// screen's layer, whether or not the screen was loaded from a file.
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/Texture.h"
#include "engine/text/FontManager.h"
#include "engine/ui/ComponentText.h"
#include "engine/ui/UIManager.h"
#include "platform/FrameCapture.h"
#include "platform/OffscreenFramebuffer.h"
#include "tests/engine/render/RenderTestEnvironment.h"
#include "tests/engine/ui/UITestSupport.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace Varnok {
namespace {

using UITest::Make;

constexpr int kWidth = 480;
constexpr int kHeight = 320;

struct Box {
    int left, top, right, bottom;
};

class UITextDraw : public ::testing::Test {
protected:
    void SetUp() override {
        RenderTest::UseTestTarget();
        m_bundle = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(VARNOK_BUNDLE_DIR, false), FileSystemKey("uitext"), 80);
        ASSERT_TRUE(FontManager::Get().Init(1.0f, 1.0f, FontManager::Rgba32, false));
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
    }
    // A screen on layer 3 whose workspace is `divisor` times smaller than the
    // target: the screen scales it up to fill the target.
    void StartUI(int divisor) {
        UIProjectSettings settings;
        settings.simple2DGlobalTransformIndex = 0;
        settings.workspaceWidth = kWidth / divisor;
        settings.workspaceHeight = kHeight / divisor;
        settings.defaultFontPath = AsciiString("fontstruetype/miserable.ttf");
        UIManager::Get().Init(settings, AsciiString("~base"));
        screen = Make<ComponentScreen>(UIManager::Get().GetRoot(), "screen");
        screen->SetLayer(3);
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
        FontManager::Get().Shutdown();
        FileSystemRegistry::Get().Remove(m_bundle);
    }

    ComponentText* AddText(const char* id, const char* text, const Box& box) {
        auto* label = Make<ComponentText>(screen, id);
        label->GetOrAddProperty<Vector3>(AsciiString("position"), Vector3{})
            ->Set(Vector3{static_cast<float>(box.left), static_cast<float>(box.top), 0.0f});
        label->GetOrAddProperty<float>(AsciiString("width"), 0.0f)->Set(static_cast<float>(box.right - box.left));
        label->GetOrAddProperty<float>(AsciiString("height"), 0.0f)->Set(static_cast<float>(box.bottom - box.top));
        label->GetOrAddProperty<float>(AsciiString("fontSize"), 1.0f)->Set(18.0f);
        label->GetOrAddProperty<AsciiString>(AsciiString("alignment"), AsciiString())->Set(AsciiString("CENTRE"));
        label->SetText(AsciiString(text));
        return label;
    }

    // Lit pixels inside the box, and those further than the glyphs' outline
    // (up to two units) outside it; y counts from the top.
    void CountLit(const Box& box, int divisor, int& inside, int& outside) {
        const int outline = 2 * divisor;
        std::vector<uint8_t> rgba;
        ASSERT_TRUE(ReadFramebufferRgba(kWidth, kHeight, rgba));
        inside = 0;
        outside = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const uint8_t* p = &rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
                if (p[0] + p[1] + p[2] < 120) {
                    continue;
                }
                const bool in = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
                const bool near = x >= box.left - outline && x < box.right + outline &&
                                  y >= box.top - outline && y < box.bottom + outline;
                inside += in ? 1 : 0;
                outside += near ? 0 : 1;
            }
        }
    }

    ComponentScreen* screen = nullptr;

private:
    FileSystem* m_bundle = nullptr;
    OffscreenFramebuffer m_target;
};

TEST_F(UITextDraw, GlyphsLandInsideTheTextsRectangle) {
    struct Case {
        int divisor;   // workspace units to a pixel
        Box units;     // the text's rectangle on its screen
    };
    const Case cases[] = {
        {1, {80, 60, 400, 100}},
        {2, {40, 30, 200, 50}},  // the screen's scale moves and grows the text
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.divisor);
        glClear(GL_COLOR_BUFFER_BIT);
        StartUI(c.divisor);
        AddText("caption", "Hello there", c.units);
        UIManager& ui = UIManager::Get();
        for (int frame = 0; frame < 3; ++frame) {
            ui.Update(1.0f / 60.0f);
        }
        ui.Draw(3);
        const Box pixels{c.units.left * c.divisor, c.units.top * c.divisor, c.units.right * c.divisor,
                         c.units.bottom * c.divisor};
        int inside = 0;
        int outside = 0;
        CountLit(pixels, c.divisor, inside, outside);
        EXPECT_GT(inside, 100 * c.divisor * c.divisor);
        EXPECT_EQ(outside, 0);
        UIManager::Get().Shutdown();
    }
}

}  // namespace
}  // namespace Varnok
