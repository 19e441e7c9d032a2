#include "engine/render/SpriteLayerBatch.h"

#include "engine/render/AtlasPacker.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/MemoryBlockTextureSource.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/render/Texture.h"
#include "engine/render/Texture2D.h"
#include "tests/engine/render/TextureFixtures.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace Varnok {
namespace {

using RenderTest::ReadPixel;
using RenderTest::Rgba;

using TextureFixture::kRgb8;
using TextureFixture::MakeTexture;

SmartPtr<Texture> SolidTexture(uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 4 * 4; ++i) {
        pixels.insert(pixels.end(), {r, g, b});
    }
    return MakeTexture(4, 4, pixels, kRgb8);
}

// A 4 x 4 RGBA texture carrying a ".tex" mesh: the first `extraWord`
// indices are the translucent rim.
class MeshTexture final : public Texture {
public:
    MeshTexture(const std::vector<uint8_t>& rgba, std::vector<uint16_t> indices,
                uint32_t extraWord) {
        MemoryTextureImage image;
        image.description = TextureFixture::Describe(TextureFixture::kRgba8, 4, 4);
        image.pairList = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
        image.shortList = std::move(indices);
        image.extraWord = extraWord;
        TakeImageInfo(image, TextureFixture::kRgba8);
        glGenTextures(1, &m_name);
        glBindTexture(GL_TEXTURE_2D, m_name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    }
    ~MeshTexture() override { glDeleteTextures(1, &m_name); }
    uint32_t GetGLId() const override { return m_name; }

private:
    GLuint m_name = 0;
};

BatchSprite Sprite(float x, float y, float w, float h, Colour colour = kColourWhite) {
    BatchSprite sprite;
    sprite.x = x;
    sprite.y = y;
    sprite.width = w;
    sprite.height = h;
    sprite.colour = colour;
    return sprite;
}

// What the recording callback saw, in drawing order.
struct DrawnSprite {
    float x;
    float depth;
};
std::vector<DrawnSprite> s_drawn;

void RecordSprite(const BatchSprite& sprite, float depth, float* outVertices) {
    s_drawn.push_back(DrawnSprite{sprite.x, depth});
    BuildSpriteQuad(sprite, depth, outVertices);
}

BatchSprite RecordedSprite(float x) {
    BatchSprite sprite = Sprite(x, 0, 1, 1);
    sprite.callback = RecordSprite;
    return sprite;
}

void ExpectPixel(int x, int y, Rgba expected, int tolerance = 3) {
    const Rgba actual = ReadPixel(x, y);
    const int got[4] = {actual.r, actual.g, actual.b, actual.a};
    const int want[4] = {expected.r, expected.g, expected.b, expected.a};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(got[i], want[i], tolerance) << "pixel (" << x << ", " << y << ") channel " << i;
    }
}

// The last layer's point for a point of the 480 x 320 screen, as GL's
// normalised device coordinates (x, y) and depth.
Vector3 Project(const Matrix4& m, float x, float y, float z) {
    const float w = x * m.m[3] + y * m.m[7] + z * m.m[11] + m.m[15];
    return Vector3{(x * m.m[0] + y * m.m[4] + z * m.m[8] + m.m[12]) / w,
                   (x * m.m[1] + y * m.m[5] + z * m.m[9] + m.m[13]) / w,
                   (x * m.m[2] + y * m.m[6] + z * m.m[10] + m.m[14]) / w};
}

// The test target in pixel units (y up), cleared to dark blue; the batch's
// first layers get the same pixel projection as the UI would give them.
class SpriteLayerBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        RenderTest::UseTestTarget();
        glViewport(0, 0, RenderTest::kWidth, RenderTest::kHeight);
        glClearColor(0, 0, 0.25f, 1);
        glClearDepthf(1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        Renderer& renderer = Renderer::Get();
        renderer.SetDepthTest(false);
        renderer.SetDepthWrite(false);
        renderer.SetCullMode(kCullOff);
        renderer.SetBlendFunc(kBlendSrcAlpha, kBlendOneMinusSrcAlpha);
        renderer.SetWrapS(0, kWrapClamp);
        renderer.SetWrapT(0, kWrapClamp);
        RenderTransforms::Get().Reset();
        RenderTransforms::Get().Apply(false);
        s_drawn.clear();
    }
    void TearDown() override {
        Renderer& renderer = Renderer::Get();
        renderer.SetDepthTest(false);
        renderer.SetDepthWrite(false);
        renderer.SetDepthFunc(kCompareLessEqual);
        renderer.SetWrapS(0, kWrapRepeat);
        renderer.SetWrapT(0, kWrapRepeat);
        ImmediatePrimitiveRenderer::Get().SetBatchSink(nullptr);
        if (Texture* bound = Texture::GetCurrentlyBound()) {
            bound->Unbind();
        }
        RenderTransforms::Get().Reset();
        RenderTransforms::Get().Apply(false);
    }

    static Matrix4 PixelMatrix() {
        return BuildOrthographicMatrix(RenderTest::kHeight, 0, 0, RenderTest::kWidth, -1, 1);
    }
};

TEST_F(SpriteLayerBatchTest, ConfigurationMakesOneMoreLayerThanAskedWithTheLastAtAThousand) {
    const struct {
        const char* what;
        int32_t request;
        std::vector<int32_t> capacities;
        std::vector<int32_t> expected;
    } cases[] = {
        {"the UI's two layers", 2, {2000, 2000}, {2000, 2000, 1000}},
        {"one layer", 1, {50}, {50, 1000}},
        {"no capacities given", 2, {}, {1000, 1000, 1000}},
        {"nothing asked", 0, {7}, {7, 1000, 1000}},
        {"negative request", -4, {}, {1000, 1000, 1000}},
        {"negative capacity", 1, {-5}, {0, 1000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SpriteLayerBatch batch(c.request, c.capacities);
        ASSERT_EQ(batch.GetLayerCount(), static_cast<int32_t>(c.expected.size()));
        int32_t total = 0;
        for (int32_t i = 0; i < batch.GetLayerCount(); ++i) {
            EXPECT_EQ(batch.GetLayer(i).capacity, c.expected[i]) << "layer " << i;
            total += c.expected[i];
        }
        EXPECT_EQ(batch.GetTotalCapacity(), total);
        EXPECT_FALSE(batch.IsActive());
    }
}

TEST_F(SpriteLayerBatchTest, OnlyTheLastLayerProjectsTheFixedScreen) {
    SpriteLayerBatch batch(2, {2000, 2000});
    batch.LayerMatrix(0) = PixelMatrix();
    batch.LayerMatrix(1) = PixelMatrix();
    batch.Reset();  // the UI's layers go back to the identity; the screen stays
    EXPECT_TRUE(batch.IsActive());
    for (int32_t layer = 0; layer < 2; ++layer) {
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(batch.GetLayer(layer).matrix.m[i], Matrix4::Identity().m[i])
                << "layer " << layer << " element " << i;
        }
    }
    const struct {
        float x, y, z;
        Vector3 expected;
    } points[] = {
        {0, 0, 0, {0, 0, 0}},
        {240, 160, 0, {1, 1, 0}},
        {-240, -160, 0, {-1, -1, 0}},
        {120, -80, 500.5f, {0.5f, -0.5f, 0.5f}},
        {0, 0, 1001, {0, 0, 1}},
    };
    const Matrix4& screen = batch.GetLayer(2).matrix;
    for (const auto& p : points) {
        SCOPED_TRACE(p.x);
        const Vector3 projected = Project(screen, p.x, p.y, p.z);
        EXPECT_NEAR(projected.x, p.expected.x, 1e-5f);
        EXPECT_NEAR(projected.y, p.expected.y, 1e-5f);
        EXPECT_NEAR(projected.z, p.expected.z, 1e-5f);
    }
}

TEST_F(SpriteLayerBatchTest, SpritesGoToTheBlendedListByModeColourAlphaAndTexture) {
    const SmartPtr<Texture> opaque = SolidTexture(200, 200, 200);
    const SmartPtr<Texture> withAlpha = MakeTexture(2, 2, std::vector<uint8_t>(16, 100));
    ASSERT_FALSE(opaque->HasAlpha());
    ASSERT_TRUE(withAlpha->HasAlpha());
    const struct {
        const char* what;
        SmartPtr<Texture> texture;
        uint8_t alpha;
        int32_t blendMode;
        bool blended;
    } cases[] = {
        {"alpha 200 over an opaque texture", opaque, 200, 0, true},
        {"alpha 255, opaque texture, mode 0", opaque, 255, 0, false},
        {"texture with alpha", withAlpha, 255, 0, true},
        {"mode 1 forces blending", opaque, 255, 1, true},
        {"mode 2 never blends", withAlpha, 100, 2, false},
        {"no texture, alpha 255", SmartPtr<Texture>(), 255, 0, false},
        {"no texture, alpha 254", SmartPtr<Texture>(), 254, 0, true},
    };
    SpriteLayerBatch batch(2, {10, 10});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        batch.Reset();
        BatchSpriteOptions options;
        options.blendMode = c.blendMode;
        batch.AddItem(c.texture, Sprite(0, 0, 1, 1, Colour(255, 255, 255, c.alpha)), options);
        const BatchLayer& layer = batch.GetLayer(batch.GetCurrentLayer());
        EXPECT_EQ(layer.blendedCount, c.blended ? 1 : 0);
        EXPECT_EQ(layer.opaqueCount, c.blended ? 0 : 1);
        const BatchItem& item = c.blended ? layer.blended[0] : layer.opaque[0];
        EXPECT_EQ(item.blended, c.blended);
        EXPECT_EQ(item.kind, BatchItemKind::SpriteQuad);
        EXPECT_EQ(item.sequence, 1);
    }
    batch.Draw(BatchDrawMode::Merged, BatchDepthRange{});
}

TEST_F(SpriteLayerBatchTest, PrimitivesQueueByFlagAndTextureAndNeverWithoutVertices) {
    const SmartPtr<Texture> opaque = SolidTexture(10, 20, 30);
    const SmartPtr<Texture> withAlpha = MakeTexture(2, 2, std::vector<uint8_t>(16, 100));
    const ImmediateVertex triangle[3];
    SpriteLayerBatch batch(1, {10});
    batch.SetCurrentLayer(0);
    batch.Reset();
    Matrix4 world;
    world.m[12] = 5.0f;
    RenderTransforms::Get().World().Set(world);

    batch.AddPrimitives(opaque, triangle, 0, PrimitiveKind::Triangles, true);
    batch.AddPrimitives(opaque, nullptr, 3, PrimitiveKind::Triangles, true);
    batch.AddAtlasPrimitives(nullptr, triangle, 0, PrimitiveKind::Triangles);
    EXPECT_EQ(batch.GetLayer(0).blendedCount + batch.GetLayer(0).opaqueCount, 0);
    EXPECT_EQ(batch.GetPrimitivesCount(), 0);

    batch.AddPrimitives(opaque, triangle, 3, PrimitiveKind::Triangles, false);     // opaque
    batch.AddPrimitives(opaque, triangle, 3, PrimitiveKind::Triangles, true);      // blended
    batch.AddPrimitives(withAlpha, triangle, 3, PrimitiveKind::Triangles, false);  // blended
    batch.AddPrimitives(SmartPtr<Texture>(), triangle, 3, PrimitiveKind::Lines, false);
    AtlasNode image;
    batch.AddAtlasPrimitives(&image, triangle, 3, PrimitiveKind::Triangles);  // blended
    const BatchLayer& layer = batch.GetLayer(0);
    ASSERT_EQ(layer.opaqueCount, 2);
    ASSERT_EQ(layer.blendedCount, 3);
    EXPECT_EQ(layer.opaque[0].sequence, 1);
    EXPECT_EQ(layer.blended[0].sequence, 2);
    EXPECT_EQ(layer.opaque[1].sequence, 4);
    EXPECT_EQ(layer.blended[2].primitives->atlasImage, &image);
    EXPECT_EQ(layer.blended[2].texture, nullptr);
    EXPECT_EQ(layer.opaque[1].primitives->kind, PrimitiveKind::Lines);
    EXPECT_EQ(layer.opaque[0].primitives->vertices, triangle);  // referenced, not copied
    EXPECT_EQ(layer.opaque[0].primitives->world.m[12], 5.0f);
    EXPECT_EQ(layer.opaque[0].kind, BatchItemKind::Primitives);
    EXPECT_EQ(layer.opaque[0].depthCode, -1);
    EXPECT_EQ(batch.GetPrimitivesCount(), 5);
    EXPECT_EQ(batch.GetSpriteCount(), 0);
    batch.Reset();  // nothing is drawn from the empty atlas node
}

TEST_F(SpriteLayerBatchTest, RotatedQuadTurnsCounterClockwise) {
    BatchSprite sprite = Sprite(0, 0, 2, 4);
    sprite.rotation = 90.0f;
    float vertices[20];
    BuildSpriteQuad(sprite, 7.0f, vertices);
    // The 16-bit angle of 90 degrees is a hair short of a quarter turn.
    EXPECT_NEAR(vertices[0], -2.0f, 0.01f);
    EXPECT_NEAR(vertices[1], -1.0f, 0.01f);
    EXPECT_EQ(vertices[2], 7.0f);
    EXPECT_NEAR(vertices[15], 2.0f, 0.01f);  // the last corner
    EXPECT_NEAR(vertices[16], 1.0f, 0.01f);

    sprite.rotation = 0.0f;
    sprite.uLeft = 0.25f;
    sprite.vBottom = 0.75f;
    BuildSpriteQuad(sprite, 0.0f, vertices);
    const float expected[20] = {-1, 2, 0, 0.25f, 0, -1, -2, 0, 0.25f, 0.75f,
                                1,  2, 0, 1,     0, 1,  -2, 0, 1,     0.75f};
    for (int i = 0; i < 20; ++i) {
        EXPECT_FLOAT_EQ(vertices[i], expected[i]) << i;
    }
}

// Three opaque items queued first, second and third lie at 2/3, 1/3 and 0
// of the span from near; the modes differ only in the order they draw.
TEST_F(SpriteLayerBatchTest, DepthsFollowTheQueueAndTheModeChoosesTheDrawingOrder) {
    const struct {
        const char* what;
        int32_t mode;
        std::vector<bool> blended;  // of the items queued at x = 1, 2, 3...
        std::vector<float> order;   // x in drawing order
    } cases[] = {
        {"three opaque, merged", BatchDrawMode::Merged, {false, false, false}, {1, 2, 3}},
        {"three opaque, opaque first", BatchDrawMode::OpaqueFirst, {false, false, false},
         {3, 2, 1}},
        {"mixed, merged", BatchDrawMode::Merged, {false, true, false, true}, {1, 2, 3, 4}},
        {"mixed, opaque first", BatchDrawMode::OpaqueFirst, {false, true, false, true},
         {3, 1, 2, 4}},
    };
    SpriteLayerBatch batch(1, {10});
    batch.SetCurrentLayer(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        s_drawn.clear();
        batch.Reset();  // layer 0 spans depth 0 (near) to 1 (far)
        for (size_t i = 0; i < c.blended.size(); ++i) {
            BatchSpriteOptions options;
            options.blendMode = c.blended[i] ? 1 : 2;
            batch.AddItem(SmartPtr<Texture>(), RecordedSprite(static_cast<float>(i + 1)), options);
        }
        batch.Draw(c.mode, BatchDepthRange{});
        ASSERT_EQ(s_drawn.size(), c.order.size());
        const float count = static_cast<float>(c.order.size());
        for (size_t i = 0; i < c.order.size(); ++i) {
            EXPECT_EQ(s_drawn[i].x, c.order[i]) << i;
            // The item queued n-th of N: (1 - n / N) of the way to far.
            EXPECT_NEAR(s_drawn[i].depth, 1.0f - c.order[i] / count, 1e-5f) << i;
        }
    }

    // The fixed screen spans z 0 to 1001; a sequence offset moves an item.
    s_drawn.clear();
    batch.SetCurrentLayer(1);
    batch.Reset();
    BatchSpriteOptions options;
    options.blendMode = 2;
    for (int i = 1; i <= 3; ++i) {
        batch.AddItem(SmartPtr<Texture>(), RecordedSprite(static_cast<float>(i)), options);
    }
    options.sequenceOffset = -2;
    batch.AddItem(SmartPtr<Texture>(), RecordedSprite(4), options);
    batch.Draw(BatchDrawMode::Merged, BatchDepthRange{});
    ASSERT_EQ(s_drawn.size(), 4u);
    EXPECT_EQ(s_drawn[3].x, 4.0f);  // a list keeps its own order
    EXPECT_NEAR(s_drawn[0].depth, 1001.0f * 3 / 4, 0.01f);
    EXPECT_NEAR(s_drawn[2].depth, 1001.0f * 1 / 4, 0.01f);
    EXPECT_NEAR(s_drawn[3].depth, 1001.0f * 2 / 4, 0.01f);  // at sequence 2
}

TEST_F(SpriteLayerBatchTest, EmptyLayersLeaveTheTransformsAndFilledOnesReplaceThem) {
    SpriteLayerBatch batch(2, {10, 10});
    RenderTransforms& transforms = RenderTransforms::Get();
    Matrix4 projection = PixelMatrix();
    transforms.Projection().Set(projection);
    Matrix4 world;
    world.m[13] = 3.0f;
    transforms.World().Set(world);
    const uint32_t projectionChanges = transforms.Projection().ChangeCount();
    const uint32_t worldChanges = transforms.World().ChangeCount();

    batch.Reset();
    batch.Draw(BatchDrawMode::Merged, BatchDepthRange{});
    EXPECT_FALSE(batch.IsActive());
    EXPECT_EQ(transforms.Projection().ChangeCount(), projectionChanges);
    EXPECT_EQ(transforms.World().ChangeCount(), worldChanges);

    // A layer with an item takes the transforms over and does not give them back.
    batch.Reset();
    batch.SetCurrentLayer(1);
    batch.LayerMatrix(1).m[0] = 0.5f;
    batch.AddItem(SmartPtr<Texture>(), RecordedSprite(1));
    batch.Draw(BatchDrawMode::Merged, BatchDepthRange{});
    EXPECT_EQ(transforms.Projection().Current().m[0], 0.5f);
    EXPECT_EQ(transforms.World().Current().m[13], 0.0f);
    EXPECT_EQ(transforms.View().Current().m[0], 1.0f);
    EXPECT_EQ(s_drawn.size(), 1u);
}

TEST_F(SpriteLayerBatchTest, ItemCodesAreSetOnlyWhenTheyChangeAndRestoredAfterwards) {
    SpriteLayerBatch batch(1, {10});
    batch.SetCurrentLayer(0);
    batch.Reset();
    BatchSpriteOptions additive;
    additive.blendMode = 1;
    additive.blendSrcCode = kBlendSrcAlpha;
    additive.blendDstCode = kBlendOne;
    additive.depthCode = kCompareAlways;
    batch.AddItem(SmartPtr<Texture>(), RecordedSprite(1), additive);
    batch.AddItem(SmartPtr<Texture>(), RecordedSprite(2));
    Renderer& renderer = Renderer::Get();
    renderer.SetDepthFunc(kCompareLessEqual);
    batch.Draw(BatchDrawMode::Merged, BatchDepthRange{});
    EXPECT_EQ(s_drawn.size(), 2u);
    EXPECT_EQ(renderer.GetDepthFunc(), kCompareLessEqual);
    EXPECT_EQ(renderer.GetBlendSrc(), kBlendSrcAlpha);
    EXPECT_EQ(renderer.GetBlendDst(), kBlendOneMinusSrcAlpha);
}

// Queueing past any capacity drops the item with a log line; nothing is
// written past the arrays (AddressSanitizer would tell).
TEST_F(SpriteLayerBatchTest, QueueingPastTheCapacitiesDropsSafely) {
    SpriteLayerBatch batch(1, {2});
    batch.SetCurrentLayer(0);
    batch.Reset();
    BatchSpriteOptions opaque;
    opaque.blendMode = 2;
    for (int i = 1; i <= 3; ++i) {
        batch.AddItem(SmartPtr<Texture>(), RecordedSprite(static_cast<float>(i)), opaque);
    }
    EXPECT_EQ(batch.GetLayer(0).opaqueCount, 2);
    EXPECT_EQ(batch.GetDroppedCount(), 1);
    const ImmediateVertex triangle[3];
    for (int i = 0; i < 3; ++i) {
        batch.AddPrimitives(SmartPtr<Texture>(), triangle, 3, PrimitiveKind::Triangles, true);
    }
    EXPECT_EQ(batch.GetLayer(0).blendedCount, 2);
    EXPECT_EQ(batch.GetDroppedCount(), 2);

    batch.SetCurrentLayer(5);  // no such layer
    batch.AddItem(SmartPtr<Texture>(), RecordedSprite(9));
    batch.AddPrimitives(SmartPtr<Texture>(), triangle, 3, PrimitiveKind::Triangles, true);
    batch.SetCurrentLayer(-1);
    batch.AddItem(SmartPtr<Texture>(), RecordedSprite(9));
    EXPECT_EQ(batch.GetDroppedCount(), 5);
    batch.Draw(BatchDrawMode::Merged, BatchDepthRange{});
    EXPECT_EQ(s_drawn.size(), 2u);

    // The records run out before the lists: the last layer's two lists hold
    // 1000 each, the records only 1000 in all.
    SpriteLayerBatch small(1, {0});
    small.SetCurrentLayer(1);
    small.Reset();
    for (int i = 0; i < 1000; ++i) {
        small.AddItem(SmartPtr<Texture>(), Sprite(0, 0, 1, 1), opaque);
    }
    EXPECT_EQ(small.GetDroppedCount(), 0);
    small.AddItem(SmartPtr<Texture>(), Sprite(0, 0, 1, 1, Colour(1, 2, 3, 4)));
    EXPECT_EQ(small.GetSpriteCount(), 1000);
    EXPECT_EQ(small.GetLayer(1).blendedCount, 0);
    EXPECT_EQ(small.GetDroppedCount(), 1);
    small.AddPrimitives(SmartPtr<Texture>(), triangle, 3, PrimitiveKind::Triangles, true);
    EXPECT_EQ(small.GetLayer(1).blendedCount, 1);  // primitives have records of their own
    small.Reset();
    EXPECT_EQ(small.GetDroppedCount(), 0);
    small.Draw(BatchDrawMode::Merged, BatchDepthRange{});

    // An unconfigured batch never collects.
    SpriteLayerBatch unconfigured;
    unconfigured.Reset();
    EXPECT_FALSE(unconfigured.IsActive());
    unconfigured.AddItem(SmartPtr<Texture>(), Sprite(0, 0, 1, 1));
    unconfigured.Draw(BatchDrawMode::Merged, BatchDepthRange{});
    EXPECT_EQ(&SpriteLayerBatch::GetInstance(), &SpriteLayerBatch::GetInstance());
}

TEST_F(SpriteLayerBatchTest, ImmediateDrawingQueuesIntoTheBatchWhileItCollects) {
    SpriteLayerBatch batch(1, {10});
    batch.SetCurrentLayer(0);
    batch.Reset();
    ImmediatePrimitiveRenderer& immediate = ImmediatePrimitiveRenderer::Get();
    EXPECT_EQ(immediate.GetActiveBatch(), &batch);
    batch.LayerMatrix(0) = PixelMatrix();

    Matrix4 world;  // the shared unit quad as a 16 x 16 square at (8, 8)
    world.m[0] = 16.0f;
    world.m[5] = 16.0f;
    world.m[12] = 16.0f;
    world.m[13] = 16.0f;
    RenderTransforms::Get().World().Set(world);
    DrawColouredQuad(Colour(255, 0, 0, 255));
    world.m[12] = 40.0f;
    RenderTransforms::Get().World().Set(world);
    DrawColouredQuad(Colour(0, 255, 0, 255));  // rewrites the shared quad
    EXPECT_EQ(batch.GetPrimitivesCount(), 2);
    ExpectPixel(16, 16, Rgba{0, 0, 64, 255});  // not drawn yet

    // Vertex storage handed out during a pass never overlaps and survives
    // chunk changes.
    ImmediateVertex* small = batch.AllocateVertices(4000);
    ImmediateVertex* large = batch.AllocateVertices(9000);
    ImmediateVertex* next = batch.AllocateVertices(200);
    ASSERT_NE(small, nullptr);
    ASSERT_NE(large, nullptr);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(batch.AllocateVertices(0), nullptr);
    small[3999].x = 1.0f;
    large[8999].x = 2.0f;
    next[199].x = 3.0f;
    EXPECT_EQ(small[3999].x, 1.0f);
    EXPECT_EQ(large[8999].x, 2.0f);

    batch.Draw(BatchDrawMode::Merged, BatchDepthRange{});
    EXPECT_EQ(immediate.GetActiveBatch(), nullptr);
    ExpectPixel(16, 16, Rgba{255, 0, 0, 255});
    ExpectPixel(40, 16, Rgba{0, 255, 0, 255});
}

// With the depth test on, opaque items drawn newest first still end up with
// the last-queued in front, and blended items go over them.
TEST_F(SpriteLayerBatchTest, OpaqueItemsDrawnNewestFirstKeepTheQueueOrderOnScreen) {
    Renderer& renderer = Renderer::Get();
    renderer.SetDepthTest(true);
    renderer.SetDepthWrite(true);
    renderer.SetDepthFunc(kCompareLessEqual);
    const SmartPtr<Texture> white = SolidTexture(255, 255, 255);
    SpriteLayerBatch batch(1, {10});
    batch.SetCurrentLayer(0);
    batch.Reset();
    batch.LayerMatrix(0) = PixelMatrix();
    batch.AddItem(white, Sprite(24, 32, 40, 40, Colour(255, 0, 0, 255)));
    batch.AddItem(white, Sprite(40, 32, 40, 40, Colour(0, 255, 0, 255)));
    batch.AddItem(white, Sprite(32, 20, 20, 20, Colour(255, 255, 255, 128)));
    batch.Draw(BatchDrawMode::OpaqueFirst, BatchDepthRange{});
    ExpectPixel(8, 32, Rgba{255, 0, 0, 255});
    ExpectPixel(32, 40, Rgba{0, 255, 0, 255});  // the green, queued later, in front
    ExpectPixel(32, 20, Rgba{128, 255, 128, 191});
    EXPECT_EQ(Texture::GetCurrentlyBound(), nullptr);  // released after the pass
}

// A texture carrying a mesh makes a shaped sprite, which is drawn (as its
// plain quad) rather than left out.
TEST_F(SpriteLayerBatchTest, SpritesWithAMeshAreDrawn) {
    std::vector<uint8_t> rgba;
    for (int i = 0; i < 16; ++i) {
        rgba.insert(rgba.end(), {255, 255, 0, 255});
    }
    const SmartPtr<Texture> mesh(new MeshTexture(rgba, {0, 1, 2, 1, 3, 2}, 3));
    ASSERT_TRUE(mesh->HasAlpha());
    SpriteLayerBatch batch(1, {10});
    batch.SetCurrentLayer(0);
    batch.Reset();
    batch.LayerMatrix(0) = PixelMatrix();
    batch.AddItem(mesh, Sprite(16, 32, 24, 24));
    BatchSprite tinted = Sprite(48, 32, 24, 24, Colour(255, 255, 255, 128));
    batch.AddItem(mesh, tinted);
    const BatchLayer& layer = batch.GetLayer(0);
    // Both blended (the texture has alpha); the opaque one also gets an
    // entry for its mesh's opaque interior.
    ASSERT_EQ(layer.blendedCount, 2);
    ASSERT_EQ(layer.opaqueCount, 1);
    EXPECT_EQ(layer.blended[0].kind, BatchItemKind::ShapedSprite);
    EXPECT_TRUE(layer.opaque[0].opaqueInterior);
    EXPECT_FALSE(layer.opaque[0].blended);
    EXPECT_EQ(layer.opaque[0].sequence, layer.blended[0].sequence);
    EXPECT_EQ(layer.opaque[0].sprite, layer.blended[0].sprite);

    batch.Draw(BatchDrawMode::Merged, BatchDepthRange{});
    ExpectPixel(16, 32, Rgba{255, 255, 0, 255});
    ExpectPixel(48, 32, Rgba{128, 128, 32, 191});
}

// At 1:1 a sprite samples its texture's level 0 alone; drawn smaller it
// still reads the mipmaps. An 8 x 8 texture with one white column in four
// shows black from level 0 where its mipmaps have averaged the columns to a
// quarter of white; the texture keeps its mipmap filter afterwards.
TEST_F(SpriteLayerBatchTest, SpritesDrawnSmallerThanTheirTexelsStillUseTheMipmaps) {
    std::vector<uint8_t> stripes;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const uint8_t value = x % 4 == 0 ? 255 : 0;
            stripes.insert(stripes.end(), {value, value, value});
        }
    }
    const SmartPtr<Texture> texture = MakeTexture(8, 8, stripes, kRgb8);
    const uint32_t mipmapFilter = texture->GetMipmapMinFilter();
    ASSERT_NE(mipmapFilter, 0u);
    SpriteLayerBatch batch(1, {10});
    batch.SetCurrentLayer(0);
    batch.Reset();
    batch.LayerMatrix(0) = PixelMatrix();
    batch.AddItem(texture, Sprite(20, 20, 8, 8));  // 1:1
    batch.AddItem(texture, Sprite(41, 21, 2, 2));  // a quarter
    batch.Draw(BatchDrawMode::Merged, BatchDepthRange{});
    // The half-texel inset puts the first pixel's sample 7/16 of the way
    // from the white column 0 to the black column 1.
    ExpectPixel(16, 20, Rgba{143, 143, 143, 255}, 6);
    ExpectPixel(18, 20, Rgba{0, 0, 0, 255}, 6);
    ExpectPixel(40, 20, Rgba{64, 64, 64, 255}, 16);
    GLint filter = 0;
    glBindTexture(GL_TEXTURE_2D, texture->GetGLId());
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(static_cast<uint32_t>(filter), mipmapFilter);
}

// Opaque and blended sprites and queued primitives in all three layers; the
// last layer in the fixed 480 x 320 screen units.
TEST_F(SpriteLayerBatchTest, LayersPicture) {
    std::vector<uint8_t> checker;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const bool light = ((x + y) & 1) == 0;
            checker.insert(checker.end(), {255, static_cast<uint8_t>(light ? 230 : 40),
                                           static_cast<uint8_t>(light ? 200 : 40)});
        }
    }
    std::vector<uint8_t> fade;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            fade.insert(fade.end(), {80, 160, 255, static_cast<uint8_t>(60 + 60 * x)});
        }
    }
    const SmartPtr<Texture> checkerTexture = MakeTexture(4, 4, checker, kRgb8);
    const SmartPtr<Texture> fadeTexture = MakeTexture(4, 4, fade);

    SpriteLayerBatch batch(2, {2000, 2000});
    batch.Reset();
    batch.SetCurrentLayer(0);
    batch.LayerMatrix(0) = PixelMatrix();
    batch.AddItem(checkerTexture, Sprite(18, 40, 28, 28));  // opaque
    batch.AddItem(SolidTexture(255, 255, 255), Sprite(34, 30, 24, 24, Colour(40, 220, 60, 150)));
    ImmediateVertex triangle[3];
    const float corners[3][2] = {{40, 60}, {62, 60}, {62, 38}};
    for (int i = 0; i < 3; ++i) {
        triangle[i].x = corners[i][0];
        triangle[i].y = corners[i][1];
        triangle[i].r = 250;
        triangle[i].g = static_cast<float>(80 * i);
        triangle[i].b = 40;
        triangle[i].a = 255;
    }
    RenderTransforms::Get().World().Reset();
    DrawTexturedTriangles(triangle, 3, false, nullptr, SmartPtr<Texture>());

    batch.SetCurrentLayer(1);
    batch.LayerMatrix(1) = PixelMatrix();
    BatchSprite turned = Sprite(44, 20, 26, 14);
    turned.rotation = 30.0f;
    batch.AddItem(fadeTexture, turned);  // blended by the texture's alpha

    batch.SetCurrentLayer(2);  // 480 x 320 units: 7.5 units a pixel
    batch.AddItem(SolidTexture(255, 255, 255), Sprite(-60, -120, 240, 30, Colour(230, 60, 230, 170)));
    batch.Draw(BatchDrawMode::Merged, BatchDepthRange{});

    TextureFixture::ExpectFrameMatches("sprite_batch_layers.png", 3);
}

}  // namespace
}  // namespace Varnok
