#include "engine/render/Texture2D.h"

#include "engine/render/MemoryBlockTextureSource.h"
#include "engine/render/Renderer.h"
#include "engine/render/TextureSizeAdapters.h"
#include "engine/render/TextureUploadFormats.h"
#include "tests/engine/render/TextureFixtures.h"

#include <GLES2/gl2.h>
#include <gtest/gtest.h>

#include <vector>

namespace Varnok {
namespace {

using namespace TextureFixture;

// A source over one image that counts its acquires.
class CountingSource final : public TextureSource {
public:
    CountingSource(const TextureDescription& description, std::vector<uint8_t> pixels)
        : m_pixels(std::move(pixels)) {
        m_image.description = description;
        m_image.SetBlock(m_pixels.data(), m_pixels.size());
    }
    TextureImage* AcquireImage() override {
        ++acquires;
        return &m_image;
    }
    void ReleaseImage(TextureImage*) override {}
    uint32_t GetHash() const override { return 0x1234; }

    int acquires = 0;

private:
    std::vector<uint8_t> m_pixels;
    MemoryTextureImage m_image;
};

GLint BoundTexture() {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return bound;
}

TEST(TextureUploadFormats, TableFollowsTheDevice) {
    const uint32_t kDxt1 = 0x83F1, kDxt3 = 0x83F2, kDxt5 = 0x83F3, kEtc1 = 0x8D64;
    const struct {
        const char* extensions;
        std::vector<int32_t> compressed;
        std::vector<uint32_t> present;
        std::vector<uint32_t> absent;
    } cases[] = {
        {"GL_OES_foo", {}, {}, {kDxt1, kDxt3, kDxt5, kEtc1}},
        {"GL_EXT_texture_compression_dxt1", {}, {kDxt1}, {kDxt3, kDxt5}},
        {" GL_A\tGL_EXT_texture_compression_s3tc  ", {}, {kDxt1, kDxt3, kDxt5}, {}},
        {"", {static_cast<int32_t>(kEtc1), 0x1234}, {kEtc1}, {kDxt1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extensions);
        const TextureUploadFormats table(c.compressed, GLExtensionList(c.extensions));
        auto has = [&table](uint32_t glFormat) {
            for (const TextureUploadFormat& f : table.GetFormats()) {
                if (f.glFormat == glFormat) {
                    return true;
                }
            }
            return false;
        };
        for (uint32_t f : c.present) {
            EXPECT_TRUE(has(f)) << std::hex << f;
        }
        for (uint32_t f : c.absent) {
            EXPECT_FALSE(has(f)) << std::hex << f;
        }
        EXPECT_TRUE(has(GL_RGBA) && has(GL_ALPHA) && has(GL_LUMINANCE_ALPHA));
        for (size_t i = 1; i < table.GetFormats().size(); ++i) {
            EXPECT_LT(PixelFormat::Compare(table.GetFormats()[i - 1].descriptor,
                                           table.GetFormats()[i].descriptor),
                      0);
        }
    }
    EXPECT_FALSE(GLExtensionList("GL_AB").Has("GL_A"));
}

TEST(TextureUploadFormats, FindsTheFormatOrTheNearestUncompressedOne) {
    const TextureUploadFormats withS3tc({}, GLExtensionList("GL_EXT_texture_compression_s3tc"));
    const TextureUploadFormats without({}, GLExtensionList(""));
    const PixelDescriptor luminance{PixelEncoding::Uncompressed, 0, 0, {{8, PixelChannelId::Luminance}}};
    const struct {
        const char* what;
        const TextureUploadFormats& table;
        PixelDescriptor descriptor;
        uint32_t glFormat;
        uint32_t glType;
    } cases[] = {
        {"exact RGBA", without, kRgba8, GL_RGBA, GL_UNSIGNED_BYTE},
        {"exact alpha", without, kAlpha8, GL_ALPHA, GL_UNSIGNED_BYTE},
        {"luminance alone", without, luminance, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE},
        {"DXT5 offered", withS3tc, kDxt5, 0x83F3, 0},
        {"DXT5 not offered", without, kDxt5, GL_RGBA, GL_UNSIGNED_BYTE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TextureUploadFormat* format = c.table.Find(c.descriptor);
        ASSERT_NE(format, nullptr);
        EXPECT_EQ(format->glFormat, c.glFormat);
        EXPECT_EQ(format->glType, c.glType);
    }
}

TEST(Texture2D, UploadsOnCreationAndAgainAfterEveryChange) {
    const std::vector<uint8_t> red = {255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255};
    SmartPtr<CountingSource> source(new CountingSource(Describe(kRgba8, 2, 2), red));
    SmartPtr<Texture> texture = Texture2D::Create(source, 0, TextureCreateMode::Scale);
    ASSERT_TRUE(texture);
    const uint32_t first = texture->GetGLId();
    ASSERT_NE(first, 0u);
    EXPECT_EQ(source->acquires, 1);
    EXPECT_EQ(PixelFormat::Compare(texture->GetDescription().pixelFormat, kRgba8), 0);
    EXPECT_EQ(texture->GetDescription().width, 2);
    EXPECT_TRUE(texture->HasAlpha());
    EXPECT_EQ(ReadTexture(first, 2, 2), std::vector<uint8_t>(red.begin(), red.end()));
    EXPECT_EQ(texture->Describe(), AsciiString("Texture2D(TextureLayerScaler(Base TextureSource class (not overriden!)))"));

    // Already there: nothing happens. Released: made again.
    texture->Upload();
    EXPECT_EQ(source->acquires, 1);
    texture->ReleaseGL();
    EXPECT_EQ(texture->GetGLId(), 0u);
    EXPECT_FALSE(glIsTexture(first));
    texture->Upload();
    EXPECT_NE(texture->GetGLId(), 0u);
    EXPECT_EQ(source->acquires, 2);

    // Any change of the source uploads it once, whatever the region.
    source->NotifyRegionChanged(0, 0, 1, 1);
    EXPECT_EQ(source->acquires, 3);
    source->NotifyChanged();
    EXPECT_EQ(source->acquires, 4);

    // Binding records the texture for immediate drawing.
    texture->Bind();
    EXPECT_EQ(Texture::GetCurrentlyBound(), texture.Get());
    EXPECT_EQ(BoundTexture(), static_cast<GLint>(texture->GetGLId()));
    texture->Unbind();
    EXPECT_EQ(Texture::GetCurrentlyBound(), nullptr);
    texture->Bind();
    texture = nullptr;  // a texture that is gone is no longer the bound one
    EXPECT_EQ(Texture::GetCurrentlyBound(), nullptr);
    EXPECT_EQ(source->GetChangeListeners().ListenerCount(), 0);
    EXPECT_EQ(source->GetRegionListeners().ListenerCount(), 0);
}

TEST(Texture2D, MemoryPixelsReplacedReachTheGl) {
    std::vector<uint8_t> pixels(4 * 4, 0);
    SmartPtr<MemoryBlockTextureSource> source(
        new MemoryBlockTextureSource(Describe(kRgba8, 2, 2), pixels.data(), pixels.size(), true));
    for (int mode : {TextureCreateMode::Pad, TextureCreateMode::Scale}) {
        SCOPED_TRACE(mode);
        SmartPtr<Texture> texture = Texture2D::Create(source, 0, mode);
        ASSERT_NE(texture->GetGLId(), 0u);
        std::vector<uint8_t> blue(16, 0);
        for (int i = 0; i < 4; ++i) {
            blue[i * 4 + 2] = 255;
            blue[i * 4 + 3] = 255;
        }
        source->SetData(blue.data(), blue.size(), true);
        ASSERT_NE(texture->GetGLId(), 0u);
        EXPECT_EQ(ReadTexture(texture->GetGLId(), 2, 2), blue);
        source->SetData(pixels.data(), pixels.size(), true);
    }
}

// One colour over a w x h RGBA image.
std::vector<uint8_t> Filled(int width, int height, uint32_t rgba) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<uint8_t>(rgba >> (24 - 8 * (i % 4)));
    }
    return pixels;
}

// Mip level 1 of a texture, read through a framebuffer.
std::vector<uint8_t> ReadLevelOne(uint32_t texture, int width, int height) {
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 1);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4, 0);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_FRAMEBUFFER, RenderTest::Framebuffer());
    glDeleteFramebuffers(1, &framebuffer);
    return pixels;
}

TEST(Texture2D, NewPixelsOfTheSameSizeRefillTheSameGlTexture) {
    const std::vector<uint8_t> red = Filled(4, 4, 0xFF0000FF);
    const std::vector<uint8_t> green = Filled(4, 4, 0x00FF00FF);
    SmartPtr<MemoryBlockTextureSource> source(
        new MemoryBlockTextureSource(Describe(kRgba8, 4, 4), red.data(), red.size(), true));
    for (int mode : {TextureCreateMode::Pad, TextureCreateMode::Scale}) {
        SCOPED_TRACE(mode);
        source->SetData(red.data(), red.size(), true);
        SmartPtr<Texture> texture = Texture2D::Create(source, 0, mode);
        const uint32_t name = texture->GetGLId();
        ASSERT_NE(name, 0u);
        ASSERT_NE(texture->GetMipmapMinFilter(), 0u);  // made with mipmaps
        EXPECT_EQ(ReadLevelOne(name, 2, 2), Filled(2, 2, 0xFF0000FF));

        source->SetData(green.data(), green.size(), true);
        EXPECT_EQ(texture->GetGLId(), name);
        EXPECT_TRUE(glIsTexture(name));
        EXPECT_EQ(ReadTexture(name, 4, 4), green);
        // The mipmaps follow, or minified drawing would show the old picture.
        EXPECT_EQ(ReadLevelOne(name, 2, 2), Filled(2, 2, 0x00FF00FF));
        EXPECT_NE(texture->GetMipmapMinFilter(), 0u);
    }
}

TEST(Texture2D, ChangesTheTextureCannotTakeMakeItAnew) {
    const std::vector<uint8_t> red = Filled(4, 4, 0xFF0000FF);
    SmartPtr<MemoryBlockTextureSource> source(
        new MemoryBlockTextureSource(Describe(kRgba8, 4, 4), red.data(), red.size(), true));
    SmartPtr<Texture> texture = Texture2D::Create(source, 0, TextureCreateMode::Pad);
    ASSERT_NE(texture->GetGLId(), 0u);

    // Another size.
    const std::vector<uint8_t> blue = Filled(8, 2, 0x0000FFFF);
    source->Reset(Describe(kRgba8, 8, 2), blue.data(), blue.size(), true);
    ASSERT_NE(texture->GetGLId(), 0u);
    EXPECT_EQ(texture->GetDescription().width, 8);
    EXPECT_EQ(texture->GetDescription().height, 2);
    EXPECT_EQ(ReadTexture(texture->GetGLId(), 8, 2), blue);

    // Another upload format at the first size.
    source->Reset(Describe(kRgba8, 4, 4), red.data(), red.size(), true);
    std::vector<uint8_t> blueRgb(4 * 4 * 3, 0);
    for (size_t i = 2; i < blueRgb.size(); i += 3) {
        blueRgb[i] = 255;
    }
    source->Reset(Describe(kRgb8, 4, 4), blueRgb.data(), blueRgb.size(), true);
    ASSERT_NE(texture->GetGLId(), 0u);
    EXPECT_EQ(PixelFormat::Compare(texture->GetDescription().pixelFormat, kRgb8), 0);
    EXPECT_FALSE(texture->HasAlpha());
    EXPECT_EQ(ReadTexture(texture->GetGLId(), 4, 4), Filled(4, 4, 0x0000FFFF));

    // The renderer's wrap changed since: a texture made now takes the new one.
    const std::vector<uint8_t> white = Filled(4, 4, 0xFFFFFFFF);
    source->Reset(Describe(kRgba8, 4, 4), red.data(), red.size(), true);
    Renderer& renderer = Renderer::Get();
    glBindTexture(GL_TEXTURE_2D, 0);
    renderer.SetWrapS(0, kWrapClamp);
    source->SetData(white.data(), white.size(), true);
    glBindTexture(GL_TEXTURE_2D, 0);  // the setter acts on the bound texture too
    renderer.SetWrapS(0, kWrapRepeat);
    ASSERT_NE(texture->GetGLId(), 0u);
    glBindTexture(GL_TEXTURE_2D, texture->GetGLId());
    GLint wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);
    EXPECT_EQ(ReadTexture(texture->GetGLId(), 4, 4), white);
}

TEST(Texture2D, ConvertsToTheNearestFormatTheGlTakes) {
    // 8-bit luminance alone has no GL format of its own: luminance-alpha is nearest.
    const PixelDescriptor luminance{PixelEncoding::Uncompressed, 0, 0, {{8, PixelChannelId::Luminance}}};
    SmartPtr<CountingSource> source(new CountingSource(Describe(luminance, 2, 2), {0, 85, 170, 255}));
    SmartPtr<Texture> texture = Texture2D::Create(source, 0, TextureCreateMode::Scale);
    ASSERT_NE(texture->GetGLId(), 0u);
    EXPECT_EQ(
        PixelFormat::Compare(texture->GetDescription().pixelFormat, kLuminanceAlpha8Descriptor), 0);
    EXPECT_FALSE(texture->HasAlpha());  // judged by the image's own pixels
    EXPECT_EQ(texture->GetDescription().mipCount, 1);
}

TEST(Texture2D, WithoutAUsableSourceNothingIsUploaded) {
    SmartPtr<CountingSource> source(new CountingSource(Describe(kRgba8, 1, 1), {1, 2, 3, 4}));
    EXPECT_FALSE(Texture2D::Create(nullptr, 0, TextureCreateMode::Scale));
    EXPECT_FALSE(Texture::CreateFromSource(nullptr, TextureCreateMode::Scale));

    // An unknown mode keeps no source: never uploaded, never bound.
    SmartPtr<Texture> unsourced = Texture2D::Create(source, 0, 7);
    ASSERT_TRUE(unsourced);
    glBindTexture(GL_TEXTURE_2D, 0);
    unsourced->Bind();
    EXPECT_EQ(unsourced->GetGLId(), 0u);
    EXPECT_EQ(BoundTexture(), 0);
    EXPECT_EQ(source->acquires, 0);
    unsourced->Unbind();

    // Volumes and cube maps make no texture.
    SmartPtr<CountingSource> cube(
        new CountingSource(Describe(kRgba8, 1, 1, TextureKind::Cube), {1, 2, 3, 4}));
    EXPECT_FALSE(Texture::CreateFromSource(cube, TextureCreateMode::Scale));
    SmartPtr<Texture> flat = Texture::CreateFromSource(source, TextureCreateMode::Scale);
    ASSERT_TRUE(flat);
    EXPECT_NE(flat->GetGLId(), 0u);

    // Level data shorter than the pixels need is refused, not read past.
    testing::internal::CaptureStderr();
    SmartPtr<CountingSource> shortData(new CountingSource(Describe(kRgba8, 2, 2), {1, 2, 3, 4}));
    SmartPtr<Texture> refused = Texture2D::Create(shortData, 0, TextureCreateMode::Scale);
    EXPECT_EQ(CountLines(testing::internal::GetCapturedStderr()), 1);
    ASSERT_TRUE(refused);
}

}  // namespace
}  // namespace Varnok
