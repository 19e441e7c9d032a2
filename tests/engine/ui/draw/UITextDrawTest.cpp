// Text components drawn through the UI on a real GL context with the
// bundle's fonts: the glyphs land inside the component's rectangle, on the
// screen's layer, whether or not the screen was loaded from a file.
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/Texture.h"
#include "engine/text/Font.h"
#include "engine/text/FontManager.h"
#include "engine/text/TextLabel.h"
#include "engine/ui/ComponentText.h"
#include "engine/ui/UIManager.h"
#include "platform/FrameCapture.h"
#include "platform/OffscreenFramebuffer.h"
#include "tests/engine/render/RenderTestEnvironment.h"
#include "tests/engine/ui/UITestSupport.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
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

    static void Frames(int count) {
        for (int frame = 0; frame < count; ++frame) {
            UIManager::Get().Update(1.0f / 60.0f);
        }
    }
    // Pixels of the box (y from the top) brighter than `level` in any channel.
    static int CountAbove(const Box& box, int level) {
        std::vector<uint8_t> rgba;
        EXPECT_TRUE(ReadFramebufferRgba(kWidth, kHeight, rgba));
        int count = 0;
        for (int y = std::max(0, box.top); y < std::min(kHeight, box.bottom); ++y) {
            for (int x = std::max(0, box.left); x < std::min(kWidth, box.right); ++x) {
                const uint8_t* p = &rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
                count += (p[0] > level || p[1] > level || p[2] > level) ? 1 : 0;
            }
        }
        return count;
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

TEST_F(UITextDraw, TheWrapBoxLeavesOutTheMarginsAndTheBlockCentres) {
    StartUI(1);
    ComponentText* text = AddText("caption", "Hi", {100, 100, 200, 140});
    text->FindProperty<float>(AsciiString("fontSize"))->Set(20.0f);
    Frames(2);
    ASSERT_NE(text->GetLabel(), nullptr);
    EXPECT_EQ(text->GetWrapWidth(), 100);
    EXPECT_EQ(text->GetWrapHeight(), 40);
    // One line of height 20 in a box of 40, centred: 10 down.
    ASSERT_EQ(text->GetLabel()->GetLineCount(), 1);
    EXPECT_FLOAT_EQ(text->ComputeTextOrigin().y, 10.0f);
    text->FindProperty<int>(AsciiString("marginsLeft"))->Set(60);
    text->FindProperty<int>(AsciiString("marginsRight"))->Set(60);
    text->FindProperty<int>(AsciiString("marginsTop"))->Set(10);
    Frames(1);
    EXPECT_EQ(text->GetWrapWidth(), 1);
    EXPECT_EQ(text->GetWrapHeight(), 30);
    EXPECT_FLOAT_EQ(text->ComputeTextOrigin().x, 60.0f);
}

TEST_F(UITextDraw, AlmostTransparentTextIsNotDrawn) {
    for (int alpha : {13, 14}) {
        SCOPED_TRACE(alpha);
        glClear(GL_COLOR_BUFFER_BIT);
        StartUI(1);
        ComponentText* text = AddText("caption", "MMMM", {80, 60, 400, 120});
        text->FindProperty<float>(AsciiString("fontSize"))->Set(40.0f);
        text->FindProperty<float>(AsciiString("strokeSize"))->Set(0.0f);
        text->FindProperty<float>(AsciiString("softShadowSize"))->Set(0.0f);
        text->FindProperty<Colour>(AsciiString("colour"))->Set(Colour{255, 255, 255, static_cast<uint8_t>(alpha)});
        Frames(3);
        UIManager::Get().Draw(3);
        const int lit = CountAbove({80, 60, 400, 120}, 4);
        if (alpha == 13) {
            EXPECT_EQ(lit, 0);
        } else {
            EXPECT_GT(lit, 50);
        }
        UIManager::Get().Shutdown();
    }
}

TEST_F(UITextDraw, TextInsideStraddlingAndOutsideItsClip) {
    StartUI(1);
    auto* clip = Make<ComponentVisual>(screen, "clip");
    clip->GetOrAddProperty<Vector3>(AsciiString("position"), Vector3{})->Set(Vector3{100.0f, 100.0f, 0.0f});
    clip->GetOrAddProperty<float>(AsciiString("width"), 0.0f)->Set(200.0f);
    clip->GetOrAddProperty<float>(AsciiString("height"), 0.0f)->Set(100.0f);
    clip->GetOrAddProperty<bool>(AsciiString("clipsChildren"), false)->Set(true);
    // Each text also clips to its own rectangle (a visual clips its
    // children, itself included, unless told otherwise).
    const struct {
        const char* id;
        Box box;  // in the clip's space
        const char* alignment;
        int clipClass;
    } cases[] = {
        {"inside", {20, 10, 180, 50}, "centreLeft", ComponentText::kClipInside},
        {"straddling", {120, 50, 280, 90}, "centreLeft", ComponentText::kClipPartly},
        {"outside", {20, 130, 180, 160}, "centreLeft", -1},  // no outline left: never placed
        // Its rectangle reaches into the clip; the glyphs, at its bottom, do not.
        {"glyphs outside", {20, 60, 180, 200}, "bottomLeft", ComponentText::kClipOutside},
    };
    std::vector<ComponentText*> texts;
    for (const auto& c : cases) {
        auto* text = Make<ComponentText>(clip, c.id);
        text->GetOrAddProperty<Vector3>(AsciiString("position"), Vector3{})
            ->Set(Vector3{static_cast<float>(c.box.left), static_cast<float>(c.box.top), 0.0f});
        text->FindProperty<float>(AsciiString("width"))->Set(static_cast<float>(c.box.right - c.box.left));
        text->FindProperty<float>(AsciiString("height"))->Set(static_cast<float>(c.box.bottom - c.box.top));
        text->FindProperty<float>(AsciiString("fontSize"))->Set(24.0f);
        text->FindProperty<float>(AsciiString("strokeSize"))->Set(0.0f);
        text->FindProperty<float>(AsciiString("softShadowSize"))->Set(0.0f);
        text->FindProperty<AsciiString>(AsciiString("alignment"))->Set(AsciiString(c.alignment));
        text->SetText(AsciiString("WWWWWW"));
        texts.push_back(text);
    }
    Frames(3);
    UIManager::Get().Draw(3);
    for (size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(cases[i].id);
        const bool shows = cases[i].clipClass == ComponentText::kClipInside ||
                           cases[i].clipClass == ComponentText::kClipPartly;
        EXPECT_EQ(texts[i]->IsTextVisible(), shows);
        if (cases[i].clipClass >= 0) {
            EXPECT_EQ(texts[i]->GetClipClass(), cases[i].clipClass);
        }
    }
    // Glyphs inside the clip, from the first two; none outside it, though
    // the straddling text runs past its right edge and the last two lie
    // below it.
    EXPECT_GT(CountAbove({100, 100, 300, 200}, 100), 200);
    EXPECT_GT(CountAbove({220, 150, 300, 190}, 100), 50) << "the straddling text's inner part";
    EXPECT_EQ(CountAbove({302, 90, 480, 320}, 100), 0) << "right of the clip";
    EXPECT_EQ(CountAbove({0, 202, 480, 320}, 100), 0) << "below the clip";
}

TEST_F(UITextDraw, ArcTextTooLongForItsArcShrinksOntoALargerRadius) {
    StartUI(1);
    ComponentText* text = AddText("arc", "Hello arc", {200, 150, 260, 180});
    text->FindProperty<float>(AsciiString("fontSize"))->Set(16.0f);
    text->FindProperty<float>(AsciiString("radius"))->Set(10.0f);
    Frames(2);
    ASSERT_NE(text->GetArcText(), nullptr);
    EXPECT_EQ(text->GetLabel(), nullptr);
    Font* font = FontManager::Get().GetFont(UIManager::Get().GetDefaultFont().c_str());
    ASSERT_NE(font, nullptr);
    std::string line = "Hello arc";
    std::string rest;
    float width = 0.0f;
    font->TakeLine(line, rest, 16.0f, 1, -1.0f, &width, nullptr, nullptr);
    const float arc = 153.0f * 0.017453292f * 10.0f;  // about 26.7
    ASSERT_GT(width, arc);
    const float expectedSize = 16.0f * arc / width;
    EXPECT_NEAR(text->GetArcSize(), expectedSize, 1e-3f);
    EXPECT_NEAR(text->GetArcRadius(), 10.0f + (16.0f - expectedSize), 1e-3f);
    UIManager::Get().Draw(3);
    EXPECT_GT(CountAbove({150, 100, 310, 230}, 100), 10) << "the arc draws";
}

}  // namespace
}  // namespace Varnok
