// Textures drawn headless and compared with reference pictures.
#include "engine/render/MemoryBlockTextureSource.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderProgram.h"
#include "engine/render/ShaderProgramCache.h"
#include "engine/render/Texture2D.h"
#include "engine/render/TextureManager.h"
#include "engine/render/TextureUploadFormats.h"
#include "tests/engine/render/TextureFixtures.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <vector>

namespace Varnok {
namespace {

using namespace TextureFixture;

constexpr int kTolerance = 3;

class TexturePicture : public ::testing::Test {
protected:
    void SetUp() override {
        RenderTest::UseTestTarget();
        Renderer& renderer = Renderer::Get();
        renderer.SetBlendEnable(false);
        renderer.SetDepthTest(false);
        renderer.SetCullMode(kCullOff);
        // Clamped, so that the edges do not blend with the opposite side.
        renderer.SetWrapS(0, kWrapClamp);
        renderer.SetWrapT(0, kWrapClamp);
        renderer.SetColour(kColourWhite);

        // The unit quad, scaled by the world matrix, fills the 64 x 64 frame.
        RenderTransforms& transforms = RenderTransforms::Get();
        transforms.Reset();
        transforms.SetOrthographic(32, -32, -32, 32, -1, 1);
        Matrix4& world = transforms.World().Current();
        world.m[0] = 64.0f;
        world.m[5] = 64.0f;
        transforms.Apply(false);
    }

    void TearDown() override {
        Renderer::Get().SetWrapS(0, kWrapRepeat);
        Renderer::Get().SetWrapT(0, kWrapRepeat);
        ShaderProgramCache::Get().Unbind();
        RenderTransforms::Get().Reset();
    }

    // The texture over the whole frame, its first row at the top.
    void Draw(Texture& texture) {
        glViewport(0, 0, RenderTest::kWidth, RenderTest::kHeight);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        texture.Bind();
        ShaderProgramCache& cache = ShaderProgramCache::Get();
        ASSERT_TRUE(cache.Use(ShaderProgramCache::kUnlitProgram));
        struct Vertex {
            float position[3];
            float colour[4];
            float uv[2];
        } quad[4];
        const float corners[4][2] = {{-0.5f, 0.5f}, {-0.5f, -0.5f}, {0.5f, 0.5f}, {0.5f, -0.5f}};
        for (int i = 0; i < 4; ++i) {
            quad[i] = Vertex{{corners[i][0], corners[i][1], 0}, {255, 255, 255, 255},
                             {corners[i][0] + 0.5f, 0.5f - corners[i][1]}};
        }
        const ShaderLocations& l = cache.GetCurrentProgram()->GetLocations();
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glVertexAttribPointer(l.position, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), quad[0].position);
        glVertexAttribPointer(l.vertexColour, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex), quad[0].colour);
        glVertexAttribPointer(l.uv, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), quad[0].uv);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        texture.Unbind();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
};

// 8 x 8: red grows to the right, green downwards, blue on the diagonal.
std::vector<uint8_t> GradientPixels() {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            pixels.insert(pixels.end(), {static_cast<uint8_t>(x * 32 + 16),
                                         static_cast<uint8_t>(y * 32 + 16),
                                         static_cast<uint8_t>(x == y ? 255 : 0), 255});
        }
    }
    return pixels;
}

// 6 x 5: orange and white checks with a blue first column.
std::vector<uint8_t> CheckerPixels() {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            if (x == 0) {
                pixels.insert(pixels.end(), {0, 0, 255, 255});
            } else if ((x + y) % 2 == 0) {
                pixels.insert(pixels.end(), {255, 128, 0, 255});
            } else {
                pixels.insert(pixels.end(), {255, 255, 255, 255});
            }
        }
    }
    return pixels;
}

TEST_F(TexturePicture, TexturedQuadFromATexFile) {
    MountedFolder folder;
    folder.Write("textures/gradient.tex", TexFile(Describe(kRgba8, 8, 8), {GradientPixels()}));
    SmartPtr<Texture> texture = TextureManager::Get().GetTexture("textures/gradient.tex");
    ASSERT_TRUE(texture);
    Draw(*texture);
    ExpectFrameMatches("textured_quad.png", kTolerance);
}

TEST_F(TexturePicture, NonPowerOfTwoImages) {
    const std::vector<uint8_t> checks = CheckerPixels();
    SmartPtr<TextureSource> source(
        new MemoryBlockTextureSource(Describe(kRgba8, 6, 5), checks.data(), checks.size(), true));
    const struct {
        int mode;
        const char* reference;
    } cases[] = {{TextureCreateMode::Pad, "padded_npot.png"},
                 {TextureCreateMode::Scale, "scaled_npot.png"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reference);
        SmartPtr<Texture> texture = Texture2D::Create(source, 0, c.mode);
        ASSERT_TRUE(texture);
        EXPECT_EQ(texture->GetDescription().width, 8);
        EXPECT_EQ(texture->GetDescription().height, 8);
        Draw(*texture);
        ExpectFrameMatches(c.reference, kTolerance);
    }
}

TEST_F(TexturePicture, Dxt5UploadsCompressedWhereOfferedElseDecoded) {
    // 8 x 8: four solid blocks, red and green above, blue and white below.
    std::vector<uint8_t> blocks;
    for (uint16_t colour : {0xF800, 0x07E0, 0x001F, 0xFFFF}) {
        AppendSolidDxt5Block(blocks, colour);
    }
    MountedFolder folder;
    folder.Write("textures/blocks.tex", TexFile(Describe(kDxt5, 8, 8), {blocks}));
    SmartPtr<Texture> texture = TextureManager::Get().GetTexture("textures/blocks.tex");
    ASSERT_TRUE(texture);
    ASSERT_NE(texture->GetGLId(), 0u);
    const bool offered = GLExtensionList::Get().Has("GL_EXT_texture_compression_s3tc");
    EXPECT_EQ(texture->GetDescription().pixelFormat.encoding,
              offered ? PixelEncoding::S3tc : PixelEncoding::Uncompressed);
    EXPECT_TRUE(texture->HasAlpha());

    Draw(*texture);
    // The software decoder widens 5 bits to 248, a GL may widen to 255.
    constexpr int kDecoderTolerance = 8;
    const struct {
        int x, y;  // GL's coordinates, from the bottom left
        RenderTest::Rgba expected;
    } samples[] = {{16, 48, {255, 0, 0, 255}},
                   {48, 48, {0, 255, 0, 255}},
                   {16, 16, {0, 0, 255, 255}},
                   {48, 16, {255, 255, 255, 255}}};
    for (const auto& s : samples) {
        const RenderTest::Rgba p = RenderTest::ReadPixel(s.x, s.y);
        EXPECT_NEAR(p.r, s.expected.r, kDecoderTolerance) << s.x << "," << s.y;
        EXPECT_NEAR(p.g, s.expected.g, kDecoderTolerance) << s.x << "," << s.y;
        EXPECT_NEAR(p.b, s.expected.b, kDecoderTolerance) << s.x << "," << s.y;
    }
}

}  // namespace
}  // namespace Varnok
