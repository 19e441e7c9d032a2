// The shared GL context of the renderer tests.
#include "tests/engine/render/RenderTestEnvironment.h"

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/render/Renderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/ShaderProgramCache.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <memory>

namespace Varnok {
namespace RenderTest {
namespace {

constexpr GLenum kRgba8 = 0x8058;  // GL_RGBA8_OES

std::unique_ptr<PlatformDisplay> s_display;
GLuint s_framebuffer = 0;
GLuint s_colourBuffer = 0;
GLuint s_depthBuffer = 0;

uint32_t TestFramebuffer(void*) {
    return s_framebuffer;
}
int TestWidth(void*) {
    return kWidth;
}
int TestHeight(void*) {
    return kHeight;
}

class RenderEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        s_display = CreateHeadlessDisplay();
        DisplayDef def;
        def.width = kWidth;
        def.height = kHeight;
        ASSERT_TRUE(s_display->Open(def));

        glGenFramebuffers(1, &s_framebuffer);
        glGenRenderbuffers(1, &s_colourBuffer);
        glGenRenderbuffers(1, &s_depthBuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, s_colourBuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, kRgba8, kWidth, kHeight);
        glBindRenderbuffer(GL_RENDERBUFFER, s_depthBuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, kWidth, kHeight);
        glBindFramebuffer(GL_FRAMEBUFFER, s_framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  s_colourBuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                  s_depthBuffer);
        ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
                  static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        UseTestTarget();

        FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(VARNOK_SOURCE_DATA_DIR, true),
            FileSystemKey("base"), 0);
        RenderTransforms::Get().Reset();
        Renderer::Get().Init(nullptr, "render tests", 0);
    }

    void TearDown() override {
        // GL objects go while their context is still there.
        ShaderProgramCache::Get().Release();
        FileSystemRegistry::Get().Clear();
        Renderer::SetTargetHooks(RenderTargetHooks{});
        glDeleteFramebuffers(1, &s_framebuffer);
        glDeleteRenderbuffers(1, &s_colourBuffer);
        glDeleteRenderbuffers(1, &s_depthBuffer);
        s_display.reset();
    }
};

[[maybe_unused]] ::testing::Environment* const s_environment =
    ::testing::AddGlobalTestEnvironment(new RenderEnvironment);

}  // namespace

PlatformDisplay& Display() {
    return *s_display;
}

uint32_t Framebuffer() {
    return s_framebuffer;
}

void UseTestTarget() {
    RenderTargetHooks hooks;
    hooks.getDefaultFramebuffer = TestFramebuffer;
    hooks.getFramebufferWidth = TestWidth;
    hooks.getFramebufferHeight = TestHeight;
    Renderer::SetTargetHooks(hooks);
    glBindFramebuffer(GL_FRAMEBUFFER, s_framebuffer);
}

Rgba ReadPixel(int x, int y) {
    uint8_t pixel[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return Rgba{pixel[0], pixel[1], pixel[2], pixel[3]};
}

}  // namespace RenderTest
}  // namespace Varnok
