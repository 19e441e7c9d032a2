// The shared GL context of the renderer tests.
#include "tests/engine/render/RenderTestEnvironment.h"

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/render/Renderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/ShaderProgramCache.h"
#include "platform/OffscreenFramebuffer.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <memory>

namespace Varnok {
namespace RenderTest {
namespace {

std::unique_ptr<PlatformDisplay> s_display;
std::unique_ptr<OffscreenFramebuffer> s_framebuffer;

class TestTarget final : public RenderTarget {
public:
    uint32_t DefaultFramebuffer() const override { return Framebuffer(); }
    int FramebufferWidth() const override { return kWidth; }
    int FramebufferHeight() const override { return kHeight; }
};

TestTarget s_target;

class RenderEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        s_display = CreateHeadlessDisplay();
        DisplayDef def;
        def.width = kWidth;
        def.height = kHeight;
        ASSERT_TRUE(s_display->Open(def));

        s_framebuffer = std::make_unique<OffscreenFramebuffer>();
        ASSERT_TRUE(s_framebuffer->Create(kWidth, kHeight));
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
        Renderer::Get().SetTarget(nullptr);
        s_framebuffer.reset();
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
    return s_framebuffer != nullptr ? s_framebuffer->Framebuffer() : 0;
}

RenderTarget* Target() {
    return &s_target;
}

void UseTestTarget() {
    Renderer::Get().SetTarget(&s_target);
    glBindFramebuffer(GL_FRAMEBUFFER, Framebuffer());
}

Rgba ReadPixel(int x, int y) {
    uint8_t pixel[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return Rgba{pixel[0], pixel[1], pixel[2], pixel[3]};
}

}  // namespace RenderTest
}  // namespace Varnok
