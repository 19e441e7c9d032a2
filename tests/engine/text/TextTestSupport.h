// What the text tests share: the bundle's fonts mounted and the font manager
// initialised for one test, shut down after it.
#pragma once

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/text/Font.h"
#include "engine/text/FontManager.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Renderer.h"
#include "engine/render/Texture.h"
#include "tests/engine/render/RenderTestEnvironment.h"

#include <GLES2/gl2.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {
namespace TextTest {

constexpr const char* kLatinFont = "fontstruetype/miserable.ttf";
constexpr const char* kBoldFont = "fontstruetype/bronic.ttf";
constexpr const char* kCjkFont = "fontstruetype/gangofchinese.ttf";
constexpr const char* kArabicFont = "fontstruetype/amiri.ttf";

class FontFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_bundle = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(VARNOK_BUNDLE_DIR, true),
            FileSystemKey("textbundle"), 5);
        ASSERT_TRUE(FontManager::Get().Init(1.0f, 1.0f, AtlasFormat(), false));
    }
    void TearDown() override {
        FontManager::Get().Shutdown();
        FileSystemRegistry::Get().Remove(m_bundle);
    }
    virtual int AtlasFormat() const { return FontManager::Rgba32; }

    static Font& GetFont(const char* path) {
        Font* font = FontManager::Get().GetFont(path);
        EXPECT_NE(font, nullptr);
        EXPECT_TRUE(font->HasFace()) << path;
        return *font;
    }

private:
    FileSystem* m_bundle = nullptr;
};

// Pixel units over the 64 x 64 test target, y up, cleared to opaque black,
// blending on, with the fonts of FontFixture.
class DrawingFixture : public FontFixture {
protected:
    void SetUp() override {
        FontFixture::SetUp();
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
        if (Texture* bound = Texture::GetCurrentlyBound()) {
            bound->Unbind();
        }
        RenderTransforms::Get().Reset();
        RenderTransforms::Get().Apply(false);
        FontFixture::TearDown();
    }

    // Pixels whose red channel is above the threshold inside [x0, x1) x
    // [y0, y1) (GL coordinates, y up), and in the rest of the target.
    struct Ink {
        int inside = 0;
        int outside = 0;
    };
    static Ink CountInk(int x0, int y0, int x1, int y1, int threshold = 60) {
        Ink ink;
        std::vector<uint8_t> pixels(RenderTest::kWidth * RenderTest::kHeight * 4);
        glBindFramebuffer(GL_FRAMEBUFFER, RenderTest::Framebuffer());
        glReadPixels(0, 0, RenderTest::kWidth, RenderTest::kHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                     pixels.data());
        for (int y = 0; y < RenderTest::kHeight; ++y) {
            for (int x = 0; x < RenderTest::kWidth; ++x) {
                if (pixels[(y * RenderTest::kWidth + x) * 4] > threshold) {
                    const bool in = x >= x0 && x < x1 && y >= y0 && y < y1;
                    (in ? ink.inside : ink.outside) += 1;
                }
            }
        }
        return ink;
    }
};

}  // namespace TextTest
}  // namespace Varnok
