#include "engine/render/GlesRenderer.h"

#include "engine/render/ShaderProgramCache.h"
#include "tests/engine/render/RenderTestEnvironment.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

namespace Varnok {
namespace {

GLint GetInt(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

GLenum CompareToGl(int code) {
    const GLenum compares[] = {GL_NEVER,   GL_LESS,     GL_EQUAL,  GL_LEQUAL,
                               GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return code >= 0 && code <= 7 ? compares[code] : GL_LESS;
}

// Everything the cache answers must be what GL really has.
void ExpectCacheMatchesGl(const Renderer& renderer) {
    EXPECT_EQ(glIsEnabled(GL_BLEND) == GL_TRUE, renderer.GetBlendEnable());
    EXPECT_EQ(GetInt(GL_DEPTH_WRITEMASK) == GL_TRUE, renderer.GetDepthWrite());
    EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST) == GL_TRUE, renderer.GetDepthTest());
    EXPECT_EQ(static_cast<GLenum>(GetInt(GL_DEPTH_FUNC)), CompareToGl(renderer.GetDepthFunc()));
    EXPECT_EQ(static_cast<GLenum>(GetInt(GL_BLEND_SRC_RGB)),
              renderer.MapBlendFactor(renderer.GetBlendSrc()));
    EXPECT_EQ(static_cast<GLenum>(GetInt(GL_BLEND_SRC_ALPHA)),
              renderer.MapBlendFactor(renderer.GetBlendSrc()));
    EXPECT_EQ(static_cast<GLenum>(GetInt(GL_BLEND_DST_RGB)),
              renderer.MapBlendFactor(renderer.GetBlendDst()));
    EXPECT_EQ(static_cast<GLenum>(GetInt(GL_BLEND_DST_ALPHA)),
              renderer.MapBlendFactor(renderer.GetBlendDst()));
    const int cull = renderer.GetCullMode();
    EXPECT_EQ(glIsEnabled(GL_CULL_FACE) == GL_TRUE, cull != kCullOff);
    if (cull != kCullOff) {
        EXPECT_EQ(static_cast<GLenum>(GetInt(GL_FRONT_FACE)),
                  static_cast<GLenum>(cull == kCullClockwise ? GL_CW : GL_CCW));
    }
}

// Afterwards GL goes back to what the process-wide renderer's cache says it
// has, and the test's render target is in place again.
class SharedRendererTest : public ::testing::Test {
protected:
    void TearDown() override {
        Renderer& r = Renderer::Get();
        r.SetBlendFunc(r.GetBlendSrc(), r.GetBlendDst());
        r.SetDepthTest(r.GetDepthTest());
        r.SetDepthWrite(r.GetDepthWrite());
        r.SetDepthFunc(r.GetDepthFunc());
        r.SetCullMode(r.GetCullMode());
        if (r.GetBlendEnable()) {
            glEnable(GL_BLEND);
        } else {
            glDisable(GL_BLEND);
        }
        RenderTest::UseTestTarget();
        ExpectCacheMatchesGl(r);
    }
};

// Tests that build renderers of their own on the shared context start from
// GL's defaults, which a new renderer's cache assumes.
class GlesRendererTest : public SharedRendererTest {
protected:
    void SetUp() override {
        glBlendFunc(GL_ONE, GL_ZERO);
        glDisable(GL_BLEND);
        glDepthMask(GL_TRUE);
        glDisable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glDisable(GL_CULL_FACE);
        glFrontFace(GL_CCW);
    }
};

TEST_F(GlesRendererTest, FreshCacheMatchesAFreshContext) {
    {
        auto display = CreateHeadlessDisplay();
        ASSERT_TRUE(display->Open(DisplayDef{}));
        GlesRenderer renderer(RenderTest::Target());
        ExpectCacheMatchesGl(renderer);
        EXPECT_FALSE(renderer.GetAlphaTest());
        EXPECT_EQ(renderer.GetAlphaFunc(), kCompareGreater);
        EXPECT_EQ(renderer.GetColour(), kColourWhite);
        EXPECT_FALSE(renderer.IsInFrame());
    }
    ASSERT_TRUE(RenderTest::Display().MakeCurrent());
}

TEST_F(SharedRendererTest, InitBlendsBySourceAlphaInCacheAndGl) {
    Renderer& renderer = Renderer::Get();
    renderer.SetBlendFunc(kBlendOne, kBlendOne);
    renderer.Init(nullptr, "test", 0);
    EXPECT_EQ(renderer.GetBlendSrc(), kBlendSrcAlpha);
    EXPECT_EQ(renderer.GetBlendDst(), kBlendOneMinusSrcAlpha);
    ExpectCacheMatchesGl(renderer);
    EXPECT_EQ(static_cast<GLenum>(GetInt(GL_CULL_FACE_MODE)), static_cast<GLenum>(GL_BACK));
    GLfloat depthClear = 0.0f;
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &depthClear);
    EXPECT_EQ(depthClear, 1.0f);

    // Saving and restoring the codes gives back what GL had.
    const int src = renderer.GetBlendSrc();
    const int dst = renderer.GetBlendDst();
    renderer.SetBlendFunc(kBlendDstColour, kBlendZero);
    renderer.SetBlendFunc(src, dst);
    EXPECT_EQ(static_cast<GLenum>(GetInt(GL_BLEND_SRC_RGB)), static_cast<GLenum>(GL_SRC_ALPHA));
    EXPECT_EQ(static_cast<GLenum>(GetInt(GL_BLEND_DST_RGB)),
              static_cast<GLenum>(GL_ONE_MINUS_SRC_ALPHA));

    ShaderProgramCache& programs = ShaderProgramCache::Get();
    for (int32_t id : {ShaderProgramCache::kUnlitProgram, ShaderProgramCache::kUnlitNoTextureProgram,
                       ShaderProgramCache::kSimple2DProgram}) {
        EXPECT_TRUE(programs.Use(id)) << id;
    }
    programs.Unbind();
}

TEST_F(GlesRendererTest, SettersReachGlAndTheCache) {
    GlesRenderer renderer(RenderTest::Target());
    struct Step {
        const char* what;
        void (*apply)(Renderer&);
    };
    const Step steps[] = {
        {"depth test on", [](Renderer& r) { r.SetDepthTest(true); }},
        {"depth write off", [](Renderer& r) { r.SetDepthWrite(false); }},
        {"depth func greater", [](Renderer& r) { r.SetDepthFunc(kCompareGreater); }},
        {"depth func always", [](Renderer& r) { r.SetDepthFunc(kCompareAlways); }},
        {"cull clockwise", [](Renderer& r) { r.SetCullMode(kCullClockwise); }},
        {"cull mode 5 ignored", [](Renderer& r) { r.SetCullMode(5); }},
        {"cull counter-clockwise", [](Renderer& r) { r.SetCullMode(kCullCounterClockwise); }},
        {"blend on", [](Renderer& r) { r.SetBlendEnable(true); }},
        {"blend dst colour", [](Renderer& r) { r.SetBlendFunc(kBlendDstColour, kBlendSrcColour); }},
        {"blend off", [](Renderer& r) { r.SetBlendEnable(false); }},
        {"cull off", [](Renderer& r) { r.SetCullMode(kCullOff); }},
        {"depth write on", [](Renderer& r) { r.SetDepthWrite(true); }},
        {"depth test off", [](Renderer& r) { r.SetDepthTest(false); }},
        {"depth func less", [](Renderer& r) { r.SetDepthFunc(kCompareLess); }},
    };
    renderer.SetBlendFunc(kBlendSrcAlpha, kBlendOneMinusSrcAlpha);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.apply(renderer);
        ExpectCacheMatchesGl(renderer);
    }
    EXPECT_EQ(renderer.GetCullMode(), kCullOff);

    // An unknown compare code is kept for callers, and GL falls back to less.
    renderer.SetDepthFunc(9);
    EXPECT_EQ(renderer.GetDepthFunc(), 9);
    EXPECT_EQ(static_cast<GLenum>(GetInt(GL_DEPTH_FUNC)), static_cast<GLenum>(GL_LESS));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlesRendererTest, OnlyBlendEnableSkipsRedundantCalls) {
    GlesRenderer renderer(RenderTest::Target());
    renderer.SetBlendEnable(true);
    renderer.SetDepthTest(true);
    // Changed behind the cache's back: a repeated set shows whether GL is asked.
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    renderer.SetBlendEnable(true);
    renderer.SetDepthTest(true);
    EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);  // skipped
    EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_TRUE);

    renderer.SetBlendEnable(false);
    renderer.SetDepthTest(false);
    ExpectCacheMatchesGl(renderer);
}

TEST_F(GlesRendererTest, AlphaTestLivesInTheCacheOnly) {
    GlesRenderer renderer(RenderTest::Target());
    renderer.SetAlphaTest(true);
    renderer.SetAlphaFunc(kCompareEqual, 128);
    EXPECT_TRUE(renderer.GetAlphaTest());
    EXPECT_EQ(renderer.GetAlphaFunc(), kCompareEqual);
    EXPECT_EQ(renderer.GetAlphaRef(), 128);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlesRendererTest, ColourIsReplacedWhole) {
    GlesRenderer renderer(RenderTest::Target());
    renderer.SetColour(Colour(1, 2, 3, 4));
    renderer.SetColour(Colour(1, 2, 3, 5));
    EXPECT_EQ(renderer.GetColour().GetPacked(), 0x05010203u);
    renderer.SetPackedColour(0x11223344u);
    EXPECT_EQ(renderer.GetPackedColour(), 0x11223344u);
    EXPECT_EQ(renderer.GetColour().GetPacked(), 0x05010203u);  // a separate value
}

TEST_F(SharedRendererTest, BeginFrameClearsTheTarget) {
    RenderTest::UseTestTarget();
    Renderer& renderer = Renderer::Get();
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);

    renderer.SetClearColour(Colour(0, 128, 255, 255));
    renderer.SetDepthWrite(false);
    renderer.BeginFrame();
    EXPECT_TRUE(renderer.IsInFrame());
    RenderTest::Rgba pixel = RenderTest::ReadPixel(10, 50);
    EXPECT_EQ(pixel.r, 0);
    EXPECT_NEAR(pixel.g, 128, 1);
    EXPECT_EQ(pixel.b, 255);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], RenderTest::kWidth);
    EXPECT_EQ(viewport[3], RenderTest::kHeight);
    // The clear needs depth writes on, and the cache says so.
    EXPECT_TRUE(renderer.GetDepthWrite());
    EXPECT_EQ(renderer.GetDepthFunc(), kCompareLessEqual);
    ExpectCacheMatchesGl(renderer);

    // A nested begin only locks once more: nothing is cleared.
    renderer.SetClearColour(kColourYellow);
    renderer.BeginFrame();
    pixel = RenderTest::ReadPixel(10, 50);
    EXPECT_EQ(pixel.r, 0);
    renderer.Present();
    renderer.EndFrame();
    EXPECT_FALSE(renderer.IsInFrame());
    renderer.Present();
    renderer.Present();  // one too many: ignored

    renderer.BeginFrame();
    pixel = RenderTest::ReadPixel(10, 50);
    EXPECT_EQ(pixel.r, 255);
    EXPECT_EQ(pixel.g, 255);
    EXPECT_EQ(pixel.b, 0);
    renderer.EndFrame();
    renderer.Present();
    renderer.SetClearColour(kColourBlack);
}

struct FakeTarget final : RenderTarget {
    uint32_t DefaultFramebuffer() const override { return RenderTest::Framebuffer(); }
    int FramebufferWidth() const override { return width; }
    int FramebufferHeight() const override { return height; }
    void CreateCustomFramebuffer(int newWidth, int newHeight) override {
        createdWidth = newWidth;
        createdHeight = newHeight;
    }

    int width = 1024;
    int height = 768;
    int createdWidth = 0;
    int createdHeight = 0;
};

TEST_F(GlesRendererTest, FrameTakesTheTargetSizeTurnedWithTheOrientation) {
    FakeTarget target;
    GlesRenderer renderer(&target);
    EXPECT_EQ(renderer.GetViewportWidth(), 1024);  // from the target at construction
    EXPECT_EQ(renderer.GetDefaultFramebuffer(), RenderTest::Framebuffer());

    Matrix4 quarterTurn;
    const float rows[16] = {0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) {
        quarterTurn.m[i] = rows[i];
    }
    renderer.SetOrientationMatrix(quarterTurn);
    renderer.BeginFrame();
    ViewportRect viewport = renderer.GetViewport();
    EXPECT_EQ(viewport.x0, 0);
    EXPECT_EQ(viewport.y0, 0);
    EXPECT_EQ(viewport.x1, 768);
    EXPECT_EQ(viewport.y1, 1024);
    GLint glViewport[4];
    glGetIntegerv(GL_VIEWPORT, glViewport);
    EXPECT_EQ(glViewport[2], 768);
    EXPECT_EQ(glViewport[3], 1024);
    renderer.EndFrame();
    renderer.Present();

    renderer.SetOrientationMatrix(Matrix4::Identity());
    renderer.BeginFrame();
    EXPECT_EQ(renderer.GetViewportWidth(), 1024);
    EXPECT_EQ(renderer.GetViewportHeight(), 768);
    renderer.EndFrame();
    renderer.Present();

    // SetViewport asks the target for a framebuffer of the new size.
    renderer.SetViewport(0, 200, 0, 300);
    EXPECT_EQ(target.createdWidth, 300);
    EXPECT_EQ(target.createdHeight, 200);
}

TEST_F(GlesRendererTest, WithoutATargetDrawsToFramebufferZeroAtTheScreenSize) {
    GlesRenderer renderer;
    EXPECT_EQ(renderer.GetDefaultFramebuffer(), 0u);
    EXPECT_EQ(renderer.GetViewportWidth(), 640);
    renderer.SetScreenSize(480, 320);
    const ViewportRect viewport = renderer.GetViewport();
    EXPECT_EQ(viewport.x1, 480);
    EXPECT_EQ(viewport.y1, 320);
    EXPECT_FLOAT_EQ(renderer.GetAspectRatio(), 1.5f);
    EXPECT_FLOAT_EQ(renderer.GetInverseAspectRatio(), 320.0f / 480.0f);
    renderer.SetViewport(0, 100, 0, 100);  // no target to ask: nothing else happens
    renderer.BeginFrame();  // the frame is the screen size again
    EXPECT_EQ(renderer.GetViewportWidth(), 480);
    EXPECT_EQ(renderer.GetViewportHeight(), 320);
    renderer.EndFrame();
    renderer.Present();
}

TEST_F(GlesRendererTest, MapsEngineCodesToGl) {
    GlesRenderer renderer(RenderTest::Target());
    const GLenum factors[] = {GL_ZERO,      GL_ZERO,
                              GL_ONE,       GL_SRC_COLOR,
                              GL_ONE_MINUS_SRC_COLOR, GL_SRC_ALPHA,
                              GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA,
                              GL_ONE_MINUS_DST_ALPHA, GL_DST_COLOR,
                              GL_ONE_MINUS_DST_COLOR, GL_SRC_ALPHA_SATURATE,
                              GL_ZERO};
    for (int code = 0; code <= 12; ++code) {
        EXPECT_EQ(renderer.MapBlendFactor(code), factors[code]) << code;
    }
    EXPECT_EQ(renderer.MapBlendFactor(-3), static_cast<uint32_t>(GL_ZERO));
    EXPECT_EQ(renderer.NormaliseBlendCode(13), 13);
    EXPECT_EQ(renderer.NormaliseBlendCode(14), 1);
    EXPECT_EQ(renderer.NormaliseBlendCodeAlt(1), 1);
    EXPECT_EQ(renderer.GetMagFilter(), static_cast<uint32_t>(GL_LINEAR));
    EXPECT_EQ(renderer.GetMinFilter(), static_cast<uint32_t>(GL_LINEAR_MIPMAP_NEAREST));
    EXPECT_TRUE(renderer.GetGenerateMipmaps());
}

TEST_F(GlesRendererTest, WrapModesActOnTheBoundTexture) {
    GlesRenderer renderer(RenderTest::Target());
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const struct {
        int mode;
        GLint inGl;       // what the texture then has
        uint32_t answer;  // what GetWrapS answers
    } cases[] = {
        {kWrapClamp, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE},
        {kWrapRepeat, GL_REPEAT, GL_REPEAT},
        {7, GL_REPEAT, GL_CLAMP_TO_EDGE},  // kept, but not sent
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        renderer.SetWrapS(0, c.mode);
        renderer.SetWrapT(0, c.mode);
        GLint s = 0;
        GLint t = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &s);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &t);
        EXPECT_EQ(s, c.inGl);
        EXPECT_EQ(t, c.inGl);
        EXPECT_EQ(renderer.GetWrapS(), c.answer);
        EXPECT_EQ(renderer.GetWrapT(), c.answer);
    }
    glDeleteTextures(1, &texture);
}

}  // namespace
}  // namespace Varnok
