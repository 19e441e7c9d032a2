#include "engine/render/ImmediatePrimitiveRenderer.h"

#include "engine/render/Effect.h"
#include "engine/render/ImmediateBatchSink.h"
#include "engine/render/MaterialParameter.h"
#include "engine/render/MemoryBlockTextureSource.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderProgram.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/render/Texture.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureAtlas.h"
#include "tests/engine/render/TextureFixtures.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Varnok {
namespace {

using RenderTest::ReadPixel;
using RenderTest::Rgba;

using TextureFixture::kRgb8;
using TextureFixture::MakeTexture;

ImmediateVertex Vertex(float x, float y, uint8_t r, uint8_t g, uint8_t b, uint8_t a, float u = 0.0f,
                       float v = 0.0f) {
    ImmediateVertex vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.r = r;
    vertex.g = g;
    vertex.b = b;
    vertex.a = a;
    vertex.u = u;
    vertex.v = v;
    return vertex;
}

// Places the shared quad: the world matrix scales the unit quad to w x h
// pixels centred in the rectangle starting at (x, y) (GL's bottom-left).
void PlaceQuad(float x, float y, float w, float h) {
    Matrix4 world;
    world.m[0] = w;
    world.m[5] = h;
    world.m[12] = x + w / 2;
    world.m[13] = y + h / 2;
    RenderTransforms::Get().World().Set(world);
    RenderTransforms::Get().Apply(false);
}

void ExpectPixel(int x, int y, Rgba expected, int tolerance = 2) {
    const Rgba actual = ReadPixel(x, y);
    const int got[4] = {actual.r, actual.g, actual.b, actual.a};
    const int want[4] = {expected.r, expected.g, expected.b, expected.a};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(got[i], want[i], tolerance) << "pixel (" << x << ", " << y << ") channel " << i;
    }
}

// A batch that records what it is given.
class RecordingBatch final : public ImmediateBatchSink {
public:
    struct Item {
        SmartPtr<Texture> texture;
        const ImmediateVertex* vertices;
        int32_t count;
        int32_t kind;
        bool blend;
        const AtlasNode* image;
    };

    bool IsActive() const override { return active; }
    void AddPrimitives(const SmartPtr<Texture>& texture, const ImmediateVertex* vertices,
                       int32_t count, int32_t kind, bool blend) override {
        if (vertices != nullptr && count > 0) {
            items.push_back(Item{texture, vertices, count, kind, blend, nullptr});
        }
    }
    void AddAtlasPrimitives(const AtlasNode* image, const ImmediateVertex* vertices, int32_t count,
                            int32_t kind) override {
        items.push_back(Item{SmartPtr<Texture>(), vertices, count, kind, true, image});
    }
    ImmediateVertex* AllocateVertices(int32_t count) override {
        storage.push_back(std::make_unique<ImmediateVertex[]>(count));
        return storage.back().get();
    }

    bool active = true;
    std::vector<Item> items;
    std::vector<std::unique_ptr<ImmediateVertex[]>> storage;
};

// Pixel units over the 64 x 64 target, y up, cleared to opaque black.
class ImmediateDrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        RenderTest::UseTestTarget();
        glViewport(0, 0, RenderTest::kWidth, RenderTest::kHeight);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        Renderer& renderer = Renderer::Get();
        renderer.SetDepthTest(false);
        renderer.SetCullMode(kCullOff);
        renderer.SetBlendFunc(kBlendSrcAlpha, kBlendOneMinusSrcAlpha);
        RenderTransforms& transforms = RenderTransforms::Get();
        transforms.Reset();
        transforms.SetOrthographic(RenderTest::kHeight, 0, 0, RenderTest::kWidth, -1, 1);
        transforms.Apply(false);
    }
    void TearDown() override {
        ImmediatePrimitiveRenderer::Get().SetBatchSink(nullptr);
        if (Texture* bound = Texture::GetCurrentlyBound()) {
            bound->Unbind();
        }
        RenderTransforms::Get().Reset();
        RenderTransforms::Get().Apply(false);
    }
};

TEST_F(ImmediateDrawingTest, ColouredQuadWithoutTextureUsesTheUntexturedProgramBlended) {
    PlaceQuad(8, 8, 16, 16);
    DrawColouredQuad(Colour(255, 0, 0, 128));
    EXPECT_EQ(ShaderProgramCache::Get().GetCurrentProgramId(),
              ShaderProgramCache::kUnlitNoTextureProgram);
    EXPECT_TRUE(Renderer::Get().GetBlendEnable());
    ExpectPixel(16, 16, Rgba{128, 0, 0, 191});  // half red over black
    ExpectPixel(30, 30, Rgba{0, 0, 0, 255});
}

TEST_F(ImmediateDrawingTest, BlendingFollowsTheFlagAndTheTexturesAlpha) {
    const std::vector<uint8_t> grey(4 * 4 * 3, 200);
    const std::vector<uint8_t> translucent(4 * 4 * 4, 100);
    const SmartPtr<Texture> opaque = MakeTexture(4, 4, grey, kRgb8);
    const SmartPtr<Texture> withAlpha = MakeTexture(4, 4, translucent);
    ASSERT_FALSE(opaque->HasAlpha());
    ASSERT_TRUE(withAlpha->HasAlpha());
    const ImmediateVertex strip[4] = {
        Vertex(0, 64, 255, 255, 255, 255), Vertex(0, 0, 255, 255, 255, 255),
        Vertex(64, 64, 255, 255, 255, 255), Vertex(64, 0, 255, 255, 255, 255)};
    const struct {
        const char* what;
        SmartPtr<Texture> texture;
        bool blend;
        bool expected;
    } cases[] = {
        {"opaque texture, flag clear", opaque, false, false},
        {"opaque texture, flag set", opaque, true, true},
        {"texture with alpha", withAlpha, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Renderer::Get().SetBlendEnable(!c.expected);
        DrawTexturedTriangleStrip(strip, 4, c.blend, nullptr, c.texture);
        EXPECT_EQ(Renderer::Get().GetBlendEnable(), c.expected);
        EXPECT_EQ(ShaderProgramCache::Get().GetCurrentProgramId(),
                  ShaderProgramCache::kUnlitProgram);
        EXPECT_EQ(Texture::GetCurrentlyBound(), nullptr);  // released after the draw
        if (!c.expected) {
            ExpectPixel(5, 5, Rgba{200, 200, 200, 255});
        }
    }
}

TEST_F(ImmediateDrawingTest, EveryDrawTakesTheNextRingBufferAndTheFiftyFirstReusesTheFirst) {
    ImmediatePrimitiveRenderer& renderer = ImmediatePrimitiveRenderer::Get();
    const ImmediateVertex triangle[3] = {Vertex(0, 0, 1, 1, 1, 255), Vertex(1, 0, 1, 1, 1, 255),
                                         Vertex(0, 1, 1, 1, 1, 255)};
    DrawTexturedTriangles(triangle, 3, false, nullptr, SmartPtr<Texture>());
    ASSERT_TRUE(renderer.IsCreated());
    // The buffer that first draw filled.
    const int start = (renderer.GetRingPosition() + ImmediatePrimitiveRenderer::kRingSize - 1) %
                      ImmediatePrimitiveRenderer::kRingSize;
    const uint32_t startBuffer = renderer.GetRingBuffer(start);
    for (int i = 0; i < ImmediatePrimitiveRenderer::kRingSize; ++i) {
        // One vertex more for the last, so that its buffer's size tells it apart.
        const int count = i + 1 == ImmediatePrimitiveRenderer::kRingSize ? 2 : 1;
        ImmediateVertex lines[2] = {triangle[0], triangle[1]};
        renderer.Draw(lines, count, PrimitiveKind::Lines, false, nullptr, SmartPtr<Texture>());
        EXPECT_EQ(renderer.GetRingPosition(),
                  (start + i + 2) % ImmediatePrimitiveRenderer::kRingSize);
    }
    EXPECT_EQ(renderer.GetRingPosition(), (start + 1) % ImmediatePrimitiveRenderer::kRingSize);
    glBindBuffer(GL_ARRAY_BUFFER, startBuffer);
    GLint size = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(size, 2 * static_cast<GLint>(sizeof(ImmediateVertex)));
}

TEST_F(ImmediateDrawingTest, UnknownKindsDrawNothingAndFansDraw) {
    ImmediatePrimitiveRenderer& renderer = ImmediatePrimitiveRenderer::Get();
    const ImmediateVertex fan[4] = {Vertex(0, 0, 0, 255, 0, 255), Vertex(40, 0, 0, 255, 0, 255),
                                    Vertex(40, 40, 0, 255, 0, 255), Vertex(0, 40, 0, 255, 0, 255)};
    renderer.Draw(fan, 4, PrimitiveKind::TriangleFan, false, nullptr, SmartPtr<Texture>());
    const int position = renderer.GetRingPosition();
    ExpectPixel(30, 10, Rgba{0, 255, 0, 255});
    glClear(GL_COLOR_BUFFER_BIT);
    for (int32_t kind : {0, 6, -1}) {
        renderer.Draw(fan, 4, kind, false, nullptr, SmartPtr<Texture>());
        EXPECT_EQ(renderer.GetRingPosition(), position) << kind;
    }
    ExpectPixel(30, 10, Rgba{0, 0, 0, 255});
}

TEST_F(ImmediateDrawingTest, PrimitivesWithoutAnAtlasImageNeedTheBatch) {
    ImmediatePrimitiveRenderer& renderer = ImmediatePrimitiveRenderer::Get();
    const ImmediateVertex triangle[3] = {
        Vertex(0, 0, 255, 0, 0, 255), Vertex(64, 0, 255, 0, 0, 255), Vertex(0, 64, 255, 0, 0, 255)};
    const int position = renderer.GetRingPosition();
    DrawBatchedTriangles(triangle, 3, nullptr, false, nullptr);
    EXPECT_EQ(renderer.GetRingPosition(), position);
    ExpectPixel(5, 5, Rgba{0, 0, 0, 255});

    // With an atlas image they are drawn with the image's page texture.
    TextureAtlas atlas(4, 4, 0, 2, false);
    const std::vector<uint8_t> blue(4 * 4 * 4, 0);
    std::vector<uint8_t> pixels = blue;
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i + 2] = 255;
        pixels[i + 3] = 255;
    }
    AtlasKey key;
    key.AppendBits("img", 24);
    const AtlasNode* image = atlas.AddImage(pixels.data(), 4, 4, key);
    ASSERT_NE(image, nullptr);
    atlas.UploadPages();
    ImmediateVertex textured[3] = {Vertex(0, 0, 255, 255, 255, 255, 0, 0),
                                   Vertex(64, 0, 255, 255, 255, 255, 1, 0),
                                   Vertex(0, 64, 255, 255, 255, 255, 0, 1)};
    DrawBatchedTriangles(textured, 3, image, false, nullptr);
    ExpectPixel(5, 5, Rgba{0, 0, 255, 255});
}

TEST_F(ImmediateDrawingTest, WhileTheBatchCollectsDrawsAreQueuedNotDrawn) {
    ImmediatePrimitiveRenderer& renderer = ImmediatePrimitiveRenderer::Get();
    RecordingBatch batch;
    renderer.SetBatchSink(&batch);
    const SmartPtr<Texture> texture = MakeTexture(2, 2, std::vector<uint8_t>(16, 255));
    const ImmediateVertex triangle[3] = {
        Vertex(0, 0, 255, 0, 0, 255), Vertex(64, 0, 255, 0, 0, 255), Vertex(0, 64, 255, 0, 0, 255)};
    const int position = renderer.GetRingPosition();

    DrawTexturedTriangles(triangle, 3, true, nullptr, texture);
    ASSERT_EQ(batch.items.size(), 1u);
    EXPECT_EQ(batch.items[0].texture, texture);
    EXPECT_EQ(batch.items[0].vertices, triangle);  // referenced, not copied
    EXPECT_EQ(batch.items[0].kind, PrimitiveKind::Triangles);
    EXPECT_TRUE(batch.items[0].blend);

    // Rectangles share one quad: each queued one keeps its own copy.
    texture->Bind();
    PlaceQuad(0, 0, 8, 8);
    DrawColouredRect(Colour(10, 20, 30, 255), 0.0f, 0.5f, 0.25f, 1.0f);
    texture->Bind();
    DrawColouredQuad(Colour(40, 50, 60, 255));
    ASSERT_EQ(batch.items.size(), 3u);
    EXPECT_EQ(batch.items[1].texture, texture);  // the bound texture
    EXPECT_NE(batch.items[1].vertices, batch.items[2].vertices);
    EXPECT_FLOAT_EQ(batch.items[1].vertices[0].r, 10.0f);
    EXPECT_FLOAT_EQ(batch.items[1].vertices[3].u, 0.5f);
    EXPECT_FLOAT_EQ(batch.items[1].vertices[1].v, 1.0f);
    EXPECT_FLOAT_EQ(batch.items[2].vertices[0].r, 40.0f);

    AtlasNode image;
    DrawBatchedTriangles(triangle, 3, &image, false, nullptr);
    DrawBatchedTriangles(triangle, 0, &image, false, nullptr);  // nothing to queue
    ASSERT_EQ(batch.items.size(), 4u);
    EXPECT_EQ(batch.items[3].image, &image);
    EXPECT_TRUE(batch.items[3].blend);
    EXPECT_EQ(batch.items[3].texture, nullptr);

    EXPECT_EQ(renderer.GetRingPosition(), position);
    ExpectPixel(5, 5, Rgba{0, 0, 0, 255});

    batch.active = false;  // between passes everything draws at once again
    DrawTexturedTriangles(triangle, 3, false, nullptr, SmartPtr<Texture>());
    EXPECT_EQ(batch.items.size(), 4u);
    ExpectPixel(5, 5, Rgba{255, 0, 0, 255});
}

// A material's parameters reach the effect's program, and a location looked
// up for one program is not used for another.
TEST_F(ImmediateDrawingTest, MaterialParametersFollowTheProgramThatDraws) {
    TextureFixture::MountedFolder folder;
    const std::string vertex =
        "attribute vec3 IN_position;\n"
        "attribute vec2 IN_uv;\n"
        "uniform mat4 worldmatrix;\nuniform mat4 viewmatrix;\nuniform mat4 projectionmatrix;\n"
        "varying mediump vec2 v_uv;\n"
        "void main() {\n"
        "    v_uv = IN_uv;\n"
        "    gl_Position = projectionmatrix * (viewmatrix * (worldmatrix * vec4(IN_position, "
        "1.0)));\n"
        "}\n";
    folder.WriteText("fx/tint_a.vs", vertex);
    folder.WriteText("fx/tint_a.fs",
                     "precision mediump float;\n"
                     "uniform vec4 tint;\n"
                     "void main() { gl_FragColor = tint; }\n");
    // Extra uniforms ahead of "tint" move its location in this program.
    folder.WriteText("fx/tint_b.vs", vertex);
    folder.WriteText(
        "fx/tint_b.fs",
        "precision mediump float;\n"
        "uniform vec4 aaa;\nuniform vec4 bbb;\nuniform float scale;\n"
        "uniform sampler2D map;\nuniform vec4 tint;\n"
        "varying mediump vec2 v_uv;\n"
        "void main() { gl_FragColor = (tint + aaa + bbb) * scale * texture2D(map, v_uv); }\n");
    const SmartPtr<Effect> effectA = Effect::Create("fx/tint_a.fx", 0);
    const SmartPtr<Effect> effectB = Effect::Create("fx/tint_b.fx", 0);
    ASSERT_NE(effectA, nullptr);
    ASSERT_NE(effectB, nullptr);
    ShaderProgramCache& cache = ShaderProgramCache::Get();
    const ShaderProgram* programA =
        cache.FindOrCreate("fx/tint_a", ShaderProgramCache::kAutomaticId, nullptr);
    const ShaderProgram* programB =
        cache.FindOrCreate("fx/tint_b", ShaderProgramCache::kAutomaticId, nullptr);
    ASSERT_NE(programA, nullptr);
    ASSERT_NE(programB, nullptr);
    // Otherwise the test could not tell the programs' locations apart.
    ASSERT_NE(programA->GetUniformLocation("tint"), programB->GetUniformLocation("tint"));

    const std::vector<ParamDesc> declarations = {
        ParamDesc(MakeParamName("tint"), ParamType::Vector4, 1),
        ParamDesc(MakeParamName("scale"), ParamType::Float, 1),
        ParamDesc(MakeParamName("map"), ParamType::Texture2D, 1),
    };
    SmartPtr<MaterialParamBlock> block(new MaterialParamBlock(declarations, nullptr));
    float* tint = block->Find("tint")->GetFloats();
    tint[0] = 0.0f;
    tint[1] = 1.0f;
    tint[2] = 0.0f;
    tint[3] = 1.0f;
    block->Find("scale")->GetFloats()[0] = 0.5f;
    const SmartPtr<Texture> white = MakeTexture(2, 2, std::vector<uint8_t>(16, 255));
    ASSERT_TRUE(block->Find("map")->SetTexture(white));

    const ImmediateVertex left[4] = {
        Vertex(0, 64, 0, 0, 0, 0, 0, 0), Vertex(0, 0, 0, 0, 0, 0, 0, 1),
        Vertex(32, 64, 0, 0, 0, 0, 1, 0), Vertex(32, 0, 0, 0, 0, 0, 1, 1)};
    ImmediateVertex right[4];
    for (int i = 0; i < 4; ++i) {
        right[i] = left[i];
        right[i].x += 32;
    }
    Renderer::Get().SetBlendEnable(false);
    ImmediateMaterial materialA{effectA.Get(), block.Get()};
    ImmediateMaterial materialB{effectB.Get(), block.Get()};
    DrawTexturedTriangleStrip(left, 4, false, &materialA, SmartPtr<Texture>());
    DrawTexturedTriangleStrip(right, 4, false, &materialB, SmartPtr<Texture>());
    DrawTexturedTriangleStrip(left, 4, false, &materialA, SmartPtr<Texture>());

    ExpectPixel(10, 30, Rgba{0, 255, 0, 255});
    ExpectPixel(50, 30, Rgba{0, 128, 0, 128});  // half the tint, through the white map
    GLint unit = -1;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    EXPECT_EQ(unit, GL_TEXTURE0);
    GLint boundTexture = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    EXPECT_EQ(boundTexture, 0);  // the material's units are cleared after the draw
}

// Pictures: drawn headless and compared with the kept references.
TEST_F(ImmediateDrawingTest, ColouredQuadsPicture) {
    PlaceQuad(4, 4, 28, 28);
    DrawColouredQuad(Colour(230, 40, 40, 255));
    PlaceQuad(20, 20, 28, 28);
    DrawColouredQuad(Colour(40, 200, 60, 160));
    PlaceQuad(40, 6, 20, 52);
    DrawColouredRect(Colour(60, 90, 240, 255), 0, 1, 0, 1);
    const ImmediateVertex gradient[3] = {Vertex(4, 60, 255, 255, 0, 255),
                                         Vertex(30, 60, 0, 255, 255, 255),
                                         Vertex(4, 38, 255, 0, 255, 255)};
    RenderTransforms::Get().World().Set(Matrix4{});
    RenderTransforms::Get().Apply(false);
    DrawTexturedTriangles(gradient, 3, false, nullptr, SmartPtr<Texture>());
    const ImmediateVertex lines[4] = {
        Vertex(2, 2, 255, 255, 255, 255), Vertex(61, 61, 255, 255, 255, 255),
        Vertex(2, 61, 255, 255, 0, 255), Vertex(61, 2, 255, 255, 0, 255)};
    ImmediatePrimitiveRenderer::Get().Draw(lines, 4, PrimitiveKind::Lines, false, nullptr,
                                           SmartPtr<Texture>());
    TextureFixture::ExpectFrameMatches("immediate_coloured_quads.png", 2);
}

TEST_F(ImmediateDrawingTest, TexturedQuadsPicture) {
    // 8 x 8 texels, row 0 on top: red, green / blue, white quarters; the
    // bottom-right texel is half transparent.
    std::vector<uint8_t> quarters;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            static const uint8_t kColours[4][4] = {
                {220, 30, 30, 255}, {30, 200, 30, 255}, {30, 30, 220, 255}, {255, 255, 255, 255}};
            const uint8_t* c = kColours[(y / 4) * 2 + x / 4];
            quarters.insert(quarters.end(), c, c + 4);
        }
    }
    quarters.back() = 128;
    const SmartPtr<Texture> texture = MakeTexture(8, 8, quarters);
    // Nearest texels keep the picture sharp enough to check by eye.
    texture->Bind();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);

    PlaceQuad(2, 34, 28, 28);
    DrawColouredQuad(Colour(255, 255, 255, 255));
    texture->Bind();
    PlaceQuad(34, 34, 28, 28);
    // The middle of the top half, tinted orange: red left, green right.
    DrawColouredRect(Colour(255, 200, 120, 255), 0.25f, 0.75f, 0.0f, 0.5f);

    // Twice across and down, fading out to the right.
    RenderTransforms::Get().World().Set(Matrix4{});
    RenderTransforms::Get().Apply(false);
    const ImmediateVertex strip[4] = {
        Vertex(4, 30, 255, 255, 255, 255, 0, 0), Vertex(4, 4, 255, 255, 255, 255, 0, 2),
        Vertex(60, 30, 255, 255, 255, 64, 2, 0), Vertex(60, 4, 255, 255, 255, 64, 2, 2)};
    DrawTexturedTriangleStrip(strip, 4, true, nullptr, texture);
    TextureFixture::ExpectFrameMatches("immediate_textured_quads.png", 2);
}

}  // namespace
}  // namespace Varnok
