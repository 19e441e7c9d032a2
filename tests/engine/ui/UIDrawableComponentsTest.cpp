// Textures, nine-patch windows, sprite sheets and models without a GL
// context: what they choose to draw and how, read from their vertices and
// from the 2D batch's lists.
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/model/MeshModel.h"
#include "engine/render/MemoryBlockTextureSource.h"
#include "engine/render/PixelFormat.h"
#include "engine/render/SpriteLayerBatch.h"
#include "engine/render/Texture2D.h"
#include "engine/ui/ComponentModel.h"
#include "engine/ui/ComponentQuad.h"
#include "engine/ui/ComponentSprite.h"
#include "engine/ui/ComponentTexture.h"
#include "engine/ui/ComponentWindow.h"
#include "tests/engine/core/FileTestUtil.h"
#include "tests/engine/ui/UITestSupport.h"

#include <gtest/gtest.h>

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

namespace Varnok {
namespace {

using UITest::Make;

// A white 1 x 1 RGB texture: without alpha, only the draw's own flag blends it.
SmartPtr<Texture> OnePixel() {
    const uint8_t pixel[3] = {255, 255, 255};
    SmartPtr<TextureSource> source(
        new MemoryBlockTextureSource(FlatDescription(kRgb8Descriptor, 1, 1), pixel, sizeof(pixel), true));
    return Texture2D::Create(source, 0, TextureCreateMode::Scale);
}

int CountLines(const std::string& log) {
    int lines = 0;
    for (char c : log) {
        lines += c == '\n' ? 1 : 0;
    }
    return lines;
}

class Drawables : public UITest::UIManagerTest {
protected:
    void SetUp() override {
        UIManagerTest::SetUp();
        m_mounted = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(m_dir.Path().c_str(), false), FileSystemKey("uidraw"), 70);
        screen = AddScreen("gallery");
        screen->FindProperty<AsciiString>(AsciiString("scaleToViewportMode"))->Set(AsciiString("None"));
    }
    void TearDown() override {
        SpriteLayerBatch::GetInstance().Unconfigure();
        UIManagerTest::TearDown();
        FileSystemRegistry::Get().Remove(m_mounted);
    }
    void Write(const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(m_dir / path).parent_path());
        VarnokTest::WriteHostFile(m_dir / path, text);
    }
    template <typename T>
    T* Add(const char* id, float x, float y, float w, float h) {
        T* c = Make<T>(screen, id);
        c->template FindProperty<Vector3>(AsciiString("position"))->Set(Vector3{x, y, 0.0f});
        c->template FindProperty<float>(AsciiString("width"))->Set(w);
        c->template FindProperty<float>(AsciiString("height"))->Set(h);
        c->MarkLoaded();
        return c;
    }
    // Starts a pass of the 2D batch: what Draw queues is counted in layer 0.
    static BatchLayer& StartBatch() {
        SpriteLayerBatch& batch = SpriteLayerBatch::GetInstance();
        batch.Configure(2, {100, 100});
        batch.Reset();
        batch.SetCurrentLayer(0);
        return batch.GetLayer(0);
    }

    VarnokTest::TempDir m_dir;
    FileSystem* m_mounted = nullptr;
    ComponentScreen* screen = nullptr;
};

TEST_F(Drawables, ClassesHaveTheirIdsParentsAndFactories) {
    const struct {
        const char* name;
        int32_t id;
        const ComponentClassInfo* parent;
    } classes[] = {
        {"ComponentTexture", ComponentClassId::Texture, &ComponentVisual::GetStaticClassInfo()},
        {"ComponentWindow", ComponentClassId::Window, &ComponentTexture::GetStaticClassInfo()},
        {"ComponentSprite", ComponentClassId::Sprite, &ComponentTexture::GetStaticClassInfo()},
        {"ComponentModel", ComponentClassId::Model, &ComponentVisual::GetStaticClassInfo()},
        {"ComponentScreen", ComponentClassId::Screen, &Component::GetStaticClassInfo()},
    };
    for (const auto& c : classes) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<Component> made(ui().InstantiateClass(AsciiString(c.name)));
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->GetClassInfo().name, AsciiString(c.name));
        EXPECT_EQ(made->GetClassInfo().id, c.id);
        EXPECT_EQ(made->GetClassInfo().parent, c.parent);
    }
}

TEST_F(Drawables, FolderAtlasNames) {
    const struct {
        const char* path;
        const char* atlas;
    } cases[] = {
        {"textures/menu/play.tex", "textures/menu/menu.atlas#play"},
        {"ui/menu/play.tex", "ui/menu/menu.atlas#play"},
        {"menu/play", "menu/menu.atlas#play"},
        {"play.tex", ".atlas#play"},
        {"a/b.c.d", "a/a.atlas#b"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(FolderAtlasName(AsciiString(c.path)).c_str(), c.atlas) << c.path;
    }
}

TEST_F(Drawables, TextureCoordinatesChooseAPartOfTheImage) {
    auto* texture = Add<ComponentTexture>("tex", 10.0f, 10.0f, 100.0f, 50.0f);
    texture->FindProperty<Vector2>(AsciiString("texCoordRange"))->Set(Vector2{256.0f, 128.0f});
    texture->FindProperty<Vector2>(AsciiString("texCoordPos"))->Set(Vector2{128.0f, 0.0f});
    texture->FindProperty<Vector2>(AsciiString("texCoordSize"))->Set(Vector2{128.0f, 128.0f});
    texture->SetTexture(OnePixel());
    ui().Update(0.016f);
    UIVertexList quad;
    texture->BuildQuad(quad);
    EXPECT_FLOAT_EQ(quad[0].u, 0.5f);  // the right half
    EXPECT_FLOAT_EQ(quad[0].v, 0.0f);
    EXPECT_FLOAT_EQ(quad[2].u, 1.0f);
    EXPECT_FLOAT_EQ(quad[2].v, 1.0f);
    // The draw list is the outline reversed: its first vertex is the bottom left.
    ASSERT_EQ(texture->GetDrawVertices().size(), 4u);
    EXPECT_FLOAT_EQ(texture->GetDrawVertices()[0].u, 0.5f);
    EXPECT_FLOAT_EQ(texture->GetDrawVertices()[0].v, 1.0f);

    texture->FindProperty<Vector2>(AsciiString("texCoordRange"))->Set(Vector2{0.0f, 128.0f});
    texture->BuildQuad(quad);
    EXPECT_EQ(quad[2].u, 0.0f);  // a zero range gives 0, never a division by zero
}

TEST_F(Drawables, WorldAlphaDecidesHowATextureIsQueued) {
    auto* texture = Add<ComponentTexture>("tex", 10.0f, 10.0f, 100.0f, 50.0f);
    texture->SetTexture(OnePixel());
    UIProperty<Colour>* colour = texture->FindProperty<Colour>(AsciiString("colour"));
    const struct {
        uint8_t alpha;
        int blended;
        int opaque;
    } cases[] = {{255, 0, 1}, {128, 1, 0}, {0, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.alpha));
        colour->Set(Colour(255, 255, 255, c.alpha));
        ui().Update(0.016f);
        BatchLayer& layer = StartBatch();
        texture->Draw();
        EXPECT_EQ(layer.blendedCount, c.blended);
        EXPECT_EQ(layer.opaqueCount, c.opaque);
    }
}

TEST_F(Drawables, QuadsAreTranslucentAndClippedByTheirParent) {
    auto* panel = Add<ComponentVisual>("panel", 0.0f, 0.0f, 100.0f, 100.0f);
    auto* quad = Make<ComponentQuad>(panel, "quad");
    quad->FindProperty<Vector3>(AsciiString("position"))->Set(Vector3{50.0f, 20.0f, 0.0f});
    quad->FindProperty<Colour>(AsciiString("colour"))->Set(Colour(255, 0, 0, 128));
    ui().Update(0.016f);
    BatchLayer& layer = StartBatch();
    quad->Draw();
    EXPECT_EQ(layer.blendedCount, 1);
    float right = 0.0f;
    for (const ImmediateVertex& v : quad->GetDrawVertices()) {
        right = std::max(right, v.x);
    }
    EXPECT_FLOAT_EQ(right, 100.0f);  // only the half inside the panel
}

TEST_F(Drawables, AtlasFailuresLogOneLineAndKeepOrDropTheImage) {
    auto* texture = Add<ComponentTexture>("tex", 10.0f, 10.0f, 50.0f, 50.0f);
    const SmartPtr<Texture> previous = OnePixel();
    texture->SetTexture(previous);
    const struct {
        const char* name;
        bool keepsImage;
    } cases[] = {
        {"icons.atlas#coin", true},  // no such file: the previous image stays
        {"missing/vector.svg", false},
        {"   ", false},  // blanks clear the image, silently
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        texture->SetTexture(previous);
        texture->FindProperty<AsciiString>(AsciiString("texture"))->Set(AsciiString(c.name));
        testing::internal::CaptureStderr();
        ui().Update(0.016f);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(texture->GetTexture().Get() == previous.Get(), c.keepsImage);
        EXPECT_FALSE(texture->HasVectorImage());
        EXPECT_EQ(CountLines(log), c.name[0] == ' ' ? 0 : 1) << log;
    }
}

TEST_F(Drawables, NinePatchLayoutFigures) {
    const NinePatchSegmentation& builtIn = NinePatchSegmentation::BuiltIn();
    const NinePatchLayout wide = LayoutNinePatch(builtIn, 100.0f, 50.0f, 1.0f, false);
    const struct {
        int segment;
        float left, top, right, bottom;
    } expected[] = {
        {NinePatchSegment::TopLeft, 0, 0, 15, 15},
        {NinePatchSegment::TopRight, 84, 0, 100, 15},
        {NinePatchSegment::BottomRight, 84, 34, 100, 50},
        {NinePatchSegment::Top, 15, 0, 84, 15},
        {NinePatchSegment::Middle, 15, 15, 84, 34},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.segment);
        const UIRect& r = wide.rects[e.segment];
        EXPECT_FLOAT_EQ(r.left, e.left);
        EXPECT_FLOAT_EQ(r.top, e.top);
        EXPECT_FLOAT_EQ(r.right, e.right);
        EXPECT_FLOAT_EQ(r.bottom, e.bottom);
    }

    const NinePatchLayout narrow = LayoutNinePatch(builtIn, 20.0f, 50.0f, 1.0f, false);
    EXPECT_FLOAT_EQ(narrow.rects[NinePatchSegment::Right].left, 4.0f);  // overlaps the left column
    EXPECT_FLOAT_EQ(narrow.rects[NinePatchSegment::Middle].right, narrow.rects[NinePatchSegment::Middle].left);

    const NinePatchLayout shrunk = LayoutNinePatch(builtIn, 20.0f, 50.0f, 1.0f, true);
    EXPECT_FLOAT_EQ(shrunk.scaleX, 0.625f);
    EXPECT_FLOAT_EQ(shrunk.rects[NinePatchSegment::Left].right, 9.375f);
    EXPECT_FLOAT_EQ(shrunk.rects[NinePatchSegment::Right].left, 10.0f);
    EXPECT_FLOAT_EQ(shrunk.rects[NinePatchSegment::Middle].left, 9.375f);
    EXPECT_FLOAT_EQ(shrunk.rects[NinePatchSegment::Middle].right, 10.0f);
    EXPECT_FLOAT_EQ(shrunk.scaleY, 1.0f);
}

TEST_F(Drawables, SegmentationFilesAndTheirFaults) {
    Write("ui/segmentation/panel.xml",
          "<segmentationmeta><segmentation>"
          "<w l='0' t='0' r='64' b='64'/><TL l='0' t='0' r='20' b='20'/><corner l='1' t='1' r='2' b='2'/>"
          "</segmentation><segmentationuv><m l='30' t='30' r='34' b='34'/></segmentationuv></segmentationmeta>");
    Write("ui/segmentation/broken.xml", "<segmentationmeta><segmentation><w l='0'");
    Write("ui/segmentation/other.xml", "<something/>");

    auto* window = Add<ComponentWindow>("window", 0.0f, 0.0f, 100.0f, 50.0f);
    UIProperty<AsciiString>* file = window->FindProperty<AsciiString>(AsciiString("smetafile"));
    file->Set(AsciiString("ui/segmentation/panel.xml"));
    const NinePatchSegmentation& geometry = window->GetSegmentation();
    EXPECT_EQ(geometry.rects[NinePatchSegment::Whole].right, 64);
    EXPECT_EQ(geometry.rects[NinePatchSegment::TopLeft].right, 20);  // the name in capitals counts
    EXPECT_EQ(geometry.rects[NinePatchSegment::Top].left, 15);       // not listed: built in
    EXPECT_EQ(window->GetSegmentationUV().rects[NinePatchSegment::Whole].right, 64);  // from the geometry
    EXPECT_EQ(window->GetSegmentationUV().rects[NinePatchSegment::Middle].left, 30);

    for (const char* bad : {"ui/segmentation/broken.xml", "ui/segmentation/other.xml", "ui/segmentation/none.xml"}) {
        SCOPED_TRACE(bad);
        testing::internal::CaptureStderr();
        file->Set(AsciiString(bad));
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(CountLines(log), 1) << log;
        EXPECT_EQ(window->GetSegmentation().rects[NinePatchSegment::Whole].right, 32);  // built in again
        EXPECT_EQ(window->GetSegmentation().rects[NinePatchSegment::TopLeft].right, 15);
    }
}

TEST_F(Drawables, AZeroWideImageRectangleGivesZeroTextureCoordinates) {
    Write("ui/segmentation/flat.xml",
          "<segmentationmeta><segmentation><w l='0' t='0' r='0' b='32'/></segmentation></segmentationmeta>");
    auto* window = Add<ComponentWindow>("window", 0.0f, 0.0f, 100.0f, 50.0f);
    window->FindProperty<AsciiString>(AsciiString("smetafile"))->Set(AsciiString("ui/segmentation/flat.xml"));
    window->SetTexture(OnePixel());
    ui().Update(0.016f);
    for (int segment = NinePatchSegment::TopLeft; segment < NinePatchSegment::Count; ++segment) {
        for (const ImmediateVertex& v : window->GetSegmentVertices(segment)) {
            EXPECT_EQ(v.u, 0.0f);
            EXPECT_TRUE(std::isfinite(v.x));
        }
    }
}

TEST_F(Drawables, ANinePatchWithOneTextureIsOneRun) {
    auto* window = Add<ComponentWindow>("window", 10.0f, 10.0f, 100.0f, 50.0f);
    window->SetTexture(OnePixel());
    ui().Update(0.016f);
    ASSERT_EQ(window->GetRuns().size(), 1u);
    // Nine quads as fans of triangles: 3 x 3 vertices each.
    EXPECT_EQ(window->GetRuns()[0].count, 9 * 9);
    EXPECT_EQ(window->GetRuns()[0].mode, 0);
    BatchLayer& layer = StartBatch();
    window->Draw();
    EXPECT_EQ(layer.opaqueCount, 1);

    window->FindProperty<bool>(AsciiString("alphaBlendEnabled"))->Set(false);
    ui().Update(0.016f);
    EXPECT_EQ(window->GetRuns()[0].mode, 2);
}

TEST_F(Drawables, SpriteSheetCells) {
    auto* sprite = Add<ComponentSprite>("sprite", 0.0f, 0.0f, 64.0f, 64.0f);
    auto set = [&](const char* name, int value) { sprite->FindProperty<int>(AsciiString(name))->Set(value); };
    const struct {
        int columns, rows, frames, current;
        float u, v, width, height;
    } cases[] = {
        {4, 2, 6, 7, 0.25f, 0.0f, 0.25f, 0.5f},    // 7 wraps to 1 among 6 frames
        {4, 2, 20, 13, 0.25f, 0.5f, 0.25f, 0.5f},  // at most the 8 cells
        {4, 2, -1, 6, 0.5f, 0.5f, 0.25f, 0.5f},
        {4, 1, -1, -1, -0.25f, 0.0f, 0.25f, 1.0f},  // one cell before the start
        {0, 2, 6, 3, 0.0f, 0.0f, 1.0f, 1.0f},      // invalid: the whole texture
        {4, 2, 0, 3, 0.0f, 0.0f, 1.0f, 1.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.columns << "x" << c.rows << " " << c.frames << " " << c.current);
        set("spriteSheetColumns", c.columns);
        set("spriteSheetRows", c.rows);
        set("spriteSheetFrameCount", c.frames);
        set("spriteSheetCurrentFrame", c.current);
        EXPECT_FLOAT_EQ(sprite->GetTexCoordOffset().x, c.u);
        EXPECT_FLOAT_EQ(sprite->GetTexCoordOffset().y, c.v);
        EXPECT_FLOAT_EQ(sprite->GetTexCoordSize().x, c.width);
        EXPECT_FLOAT_EQ(sprite->GetTexCoordSize().y, c.height);
    }
}

TEST_F(Drawables, ModelsLoadOnlyByAChangeOfTheirPath) {
    auto* model = Add<ComponentModel>("model", 100.0f, 100.0f, 10.0f, 10.0f);
    EXPECT_FALSE(model->GetModel());
    testing::internal::CaptureStderr();
    model->FindProperty<AsciiString>(AsciiString("model"))->Set(AsciiString("models/none.binmodel"));
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(model->GetModel());
    model->FindProperty<AsciiString>(AsciiString("model"))->Set(AsciiString());
    EXPECT_FALSE(model->GetModel());
    model->Draw();  // nothing to draw, nothing touched

    // Placed at the pivot, scaled by "modelSize", stood up by a quarter turn about x.
    model->FindProperty<Vector3>(AsciiString("modelSize"))->Set(Vector3{2.0f, 3.0f, 4.0f});
    ui().Update(0.016f);
    const Matrix4 m = model->BuildModelMatrix();
    EXPECT_FLOAT_EQ(m.m[12], 100.0f);
    EXPECT_FLOAT_EQ(m.m[13], 100.0f);
    EXPECT_FLOAT_EQ(m.m[0], 2.0f);
}

}  // namespace
}  // namespace Varnok
