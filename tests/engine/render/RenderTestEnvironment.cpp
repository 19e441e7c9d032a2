// The shared GL context of the renderer and model tests, opened for the
// first test that draws: tests that never draw never start EGL.
#include "tests/engine/render/RenderTestEnvironment.h"

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderProgramCache.h"
#include "platform/OffscreenFramebuffer.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace Varnok {
namespace RenderTest {
namespace {

// Suites that neither draw nor make GL objects. Every other suite gets the
// context before its test starts, so a drawing test without a RenderTest
// call still finds one; a suite listed here that starts drawing fails on
// its pictures.
const char* const kSuitesWithoutGl[] = {
    "AtlasKey", "AtlasLayoutFile", "BatchTextureCacheTest", "BlockDecoders", "MipChainTextureImage",
    "PackedTextureImage", "ConvertTextureImage", "DdsTextureImage", "PixelFormat",
    "TexFileTextureImage", "TextureLoader", "AllocatedTextureImage", "TextureLayerScaler",
    "TextureSizeAdapters", "TextureSizePadder", "ApparentSizeTextureSource", "MemoryBlockTextureSource",
    "TextureImageLock", "TextureSource", "CameraTest", "InvertMatrix4", "MatrixStack", "RenderTransforms",
    // The model tests'.
    "BinModel", "CollisionVolume", "GeneratedMesh", "MaterialDescription", "NodeModel",
    // The text tests' vector images.
    "SvgPathData", "SvgLoader", "VectorImage", "VectorImageSpriteMath", "SvgCrossCheck",
};

std::unique_ptr<PlatformDisplay> s_display;
std::unique_ptr<OffscreenFramebuffer> s_framebuffer;

class TestTarget final : public RenderTarget {
public:
    uint32_t DefaultFramebuffer() const override { return Framebuffer(); }
    int FramebufferWidth() const override { return kWidth; }
    int FramebufferHeight() const override { return kHeight; }
};

TestTarget s_target;

bool DrawsWithoutAsking(const char* suite) {
    for (const char* name : kSuitesWithoutGl) {
        if (strcmp(name, suite) == 0) {
            return false;
        }
    }
    return true;
}

// The context, the framebuffer and the renderer with its shaders; once.
void OpenContext() {
    if (s_display != nullptr) {
        return;
    }
    s_display = CreateHeadlessDisplay();
    DisplayDef def;
    def.width = kWidth;
    def.height = kHeight;
    // Without a context every drawing test fails on its own pictures.
    EXPECT_TRUE(s_display->Open(def)) << "no headless GL ES 2.0 context";
    s_framebuffer = std::make_unique<OffscreenFramebuffer>();
    EXPECT_TRUE(s_framebuffer->Create(kWidth, kHeight));
    UseTestTarget();
    Renderer::Get().Init(nullptr, "render tests", 0);
}

class ContextOnFirstDrawingTest : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo& test) override {
        if (DrawsWithoutAsking(test.test_suite_name())) {
            OpenContext();
        }
    }
};

class RenderEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(VARNOK_SOURCE_DATA_DIR, true),
            FileSystemKey("base"), 0);
        RenderTransforms::Get().Reset();
    }

    void TearDown() override {
        // GL objects go while their context is still there.
        if (s_display != nullptr) {
            ShaderProgramCache::Get().Release();
        }
        FileSystemRegistry::Get().Clear();
        if (Renderer::Get().GetTarget() == &s_target) {
            Renderer::Get().SetTarget(nullptr);
        }
        s_framebuffer.reset();
        s_display.reset();
    }
};

[[maybe_unused]] ::testing::Environment* const s_environment =
    ::testing::AddGlobalTestEnvironment(new RenderEnvironment);

// Listeners go in before the tests run; the list owns it.
[[maybe_unused]] const bool s_listening = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ContextOnFirstDrawingTest);
    return true;
}();

}  // namespace

PlatformDisplay& Display() {
    OpenContext();
    return *s_display;
}

uint32_t Framebuffer() {
    OpenContext();
    return s_framebuffer != nullptr ? s_framebuffer->Framebuffer() : 0;
}

RenderTarget* Target() {
    OpenContext();
    return &s_target;
}

void UseTestTarget() {
    OpenContext();
    Renderer::Get().SetTarget(&s_target);
    glBindFramebuffer(GL_FRAMEBUFFER, Framebuffer());
}

Rgba ReadPixel(int x, int y) {
    OpenContext();
    uint8_t pixel[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return Rgba{pixel[0], pixel[1], pixel[2], pixel[3]};
}

}  // namespace RenderTest
}  // namespace Varnok
