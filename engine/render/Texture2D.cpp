// Texture binding and the upload of a source's image into a GL texture.
#include "engine/render/Texture2D.h"

#include "engine/core/Log.h"
#include "engine/render/ConvertedTextureImage.h"
#include "engine/render/Renderer.h"
#include "engine/render/TextureSizeAdapters.h"
#include "engine/render/TextureSource.h"
#include "engine/render/TextureUploadFormats.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <memory>

namespace Varnok {
namespace {

Texture* s_currentlyBound = nullptr;

// The bytes level 0 of one layer needs in `descriptor` at this size; false
// when the format's size is unknown here.
bool LevelZeroBytes(const PixelDescriptor& descriptor, uint32_t width, uint32_t height,
                    uint64_t& outBytes) {
    if (PixelFormat::GetLevelByteCount(descriptor, width, height, outBytes)) {
        return true;
    }
    const uint64_t w = std::max<uint32_t>(width, 1);
    const uint64_t h = std::max<uint32_t>(height, 1);
    switch (descriptor.encoding) {
        case PixelEncoding::Pvrtc:
            // Blocks of 8 x 4 (2 bits per pixel) or 4 x 4 pixels, 8 bytes
            // each, and at least 2 x 2 blocks.
            if (descriptor.variant == 2) {
                outBytes = std::max<uint64_t>(w, 16) * std::max<uint64_t>(h, 8) * 2 / 8;
            } else {
                outBytes = std::max<uint64_t>(w, 8) * std::max<uint64_t>(h, 8) * 4 / 8;
            }
            return true;
        case PixelEncoding::Atc:
            outBytes = ((w + 3) / 4) * ((h + 3) / 4) * (descriptor.variant == 0 ? 8 : 16);
            return true;
        default:
            return false;
    }
}

// Level 0 of image 0 in the upload format, with the bytes the GL will read.
struct LevelZero {
    const uint8_t* data = nullptr;
    size_t byteCount = 0;  // what the image holds for the level
    uint64_t needed = 0;   // what the GL reads for it
};

enum class LevelZeroResult { Ready, NotConverted, Short };

// Converts the image when the upload format differs from its own (into
// `converted`, which must outlive the use of the bytes). Only level 0 goes to
// GL, so only its own bytes are passed (a mip-chain image reports all its
// levels together), and never fewer than the size needs: GL would read past
// the block.
LevelZeroResult TakeLevelZero(const TextureImage& image, const TextureUploadFormat& format,
                              std::unique_ptr<TextureImage>& converted, LevelZero& out) {
    const TextureImage* pixels = &image;
    if (PixelFormat::Compare(format.descriptor, image.description.pixelFormat) != 0) {
        converted = ConvertTextureImage(image, format.descriptor);
        if (!converted) {
            return LevelZeroResult::NotConverted;
        }
        pixels = converted.get();
    }
    out.data = pixels->GetData(0, 0, out.byteCount);
    if (out.data == nullptr) {
        out.byteCount = 0;
    }
    if (!LevelZeroBytes(format.descriptor, image.description.width, image.description.height,
                        out.needed) ||
        (out.needed > 0 && (out.data == nullptr || out.byteCount < out.needed))) {
        return LevelZeroResult::Short;
    }
    return LevelZeroResult::Ready;
}

SmartPtr<TextureSource> WrapSource(const SmartPtr<TextureSource>& source, int mode) {
    if (!source) {
        return nullptr;
    }
    switch (mode) {
        case TextureCreateMode::Pad:
            return SmartPtr<TextureSource>(new TextureSizePadder(source, TextureSizeMode::RoundUp));
        case TextureCreateMode::Scale:
            return SmartPtr<TextureSource>(new TextureLayerScaler(source, TextureSizeMode::RoundUp));
        default:
            return nullptr;
    }
}

}  // namespace

// ---- Texture ----

Texture::Texture() = default;

Texture::~Texture() {
    if (s_currentlyBound == this) {
        s_currentlyBound = nullptr;
    }
}

SmartPtr<Texture> Texture::CreateFromSource(const SmartPtr<TextureSource>& source, int mode) {
    if (!source) {
        return nullptr;
    }
    uint32_t kind = 0;
    {
        TextureImageLock lock(source);
        if (lock.GetImage() == nullptr) {
            return nullptr;
        }
        kind = lock.GetImage()->description.kind;
    }
    if (kind != TextureKind::Flat) {
        return nullptr;
    }
    return Texture2D::Create(source, 0, mode);
}

void Texture::Bind() {
    s_currentlyBound = this;
    if (GetGLId() == 0) {
        Upload();
    }
    if (GetGLId() != 0) {
        glBindTexture(GL_TEXTURE_2D, GetGLId());
    }
}

void Texture::Unbind() {
    s_currentlyBound = nullptr;
}

AsciiString Texture::Describe() const {
    return AsciiString("<Texture base class>(Not overloaded!)");
}

Texture* Texture::GetCurrentlyBound() {
    return s_currentlyBound;
}

void Texture::TakeImageInfo(const TextureImage& image, const PixelDescriptor& uploadFormat) {
    m_description = image.description;
    m_description.pixelFormat = uploadFormat;
    m_description.mipCount = 1;
    m_hasAlpha = PixelFormat::HasChannel(image.description.pixelFormat, PixelChannelId::Alpha);
    m_pairList = image.pairList;
    m_shortList = image.shortList;
    m_extraWord = image.extraWord;
}

// ---- Texture2D ----

Texture2D::Texture2D(const SmartPtr<TextureSource>& source, int mode) {
    SetSource(source, mode);
}

Texture2D::~Texture2D() {
    ReleaseGL();
    RemoveListeners();
    m_source = nullptr;
}

SmartPtr<Texture> Texture2D::Create(const SmartPtr<TextureSource>& source, int /*unused*/,
                                    int mode) {
    if (!source) {
        return nullptr;
    }
    return SmartPtr<Texture>(new Texture2D(source, mode));
}

void Texture2D::SetSource(const SmartPtr<TextureSource>& source, int mode) {
    ReleaseGL();
    RemoveListeners();
    m_source = WrapSource(source, mode);
    if (m_source) {
        m_source->GetRegionListeners().Add(
            TextureSource::RegionEvent::DelegateType(this, &Texture2D::OnSourceRegionChanged));
        m_source->GetChangeListeners().Add(Delegate0<void>(this, &Texture2D::OnSourceChanged));
    }
    Upload();
}

void Texture2D::RemoveListeners() {
    if (!m_source) {
        return;
    }
    m_source->GetRegionListeners().Remove(
        TextureSource::RegionEvent::DelegateType(this, &Texture2D::OnSourceRegionChanged));
    m_source->GetChangeListeners().Remove(Delegate0<void>(this, &Texture2D::OnSourceChanged));
}

void Texture2D::OnSourceChanged() {
    UploadChange();
}

void Texture2D::OnSourceRegionChanged(int32_t, int32_t, int32_t, int32_t) {
    UploadChange();
}

void Texture2D::UploadChange() {
    if (Refill()) {
        return;
    }
    ReleaseGL();
    Upload();
}

uint32_t Texture2D::GetHash() const {
    return m_source ? m_source->GetHash() : 0;
}

AsciiString Texture2D::Describe() const {
    AsciiString text("Texture2D(");
    if (m_source) {
        text.AppendString(m_source->Describe());
    } else {
        text.Append("<NULL>");
    }
    text.Append(")");
    return text;
}

void Texture2D::ReleaseGL() {
    if (m_ownsName && m_name != 0) {
        glDeleteTextures(1, &m_name);
    }
    m_name = 0;
    m_hasStorage = false;
    m_madeWith = MadeWith();
    SetMipmapMinFilter(0);
}

void Texture2D::Upload() {
    if (!m_source || m_name != 0) {
        return;
    }
    TextureImageLock lock(m_source);
    const TextureImage* image = lock.GetImage();
    if (image == nullptr) {
        return;
    }
    const TextureUploadFormat* format =
        TextureUploadFormats::Get().Find(image->description.pixelFormat);
    if (format == nullptr) {
        return;
    }
    TakeImageInfo(*image, format->descriptor);
    const TextureDescription& description = GetDescription();

    Renderer& renderer = Renderer::Get();
    renderer.Lock();
    glGenTextures(1, &m_name);
    glBindTexture(GL_TEXTURE_2D, m_name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(renderer.GetWrapS()));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(renderer.GetWrapT()));

    std::unique_ptr<TextureImage> converted;
    LevelZero level;
    const LevelZeroResult result = TakeLevelZero(*image, *format, converted, level);
    if (result == LevelZeroResult::NotConverted) {
        renderer.Unlock();
        return;
    }
    if (result == LevelZeroResult::Short) {
        Log("Texture2D: %s: level 0 holds %zu bytes, %llu needed; not uploaded",
            m_source->Describe().c_str(), level.byteCount,
            static_cast<unsigned long long>(level.needed));
        renderer.Unlock();
        return;
    }
    while (glGetError() != GL_NO_ERROR) {
    }

    MadeWith madeWith;
    madeWith.glFormat = format->glFormat;
    madeWith.glType = format->glType;
    madeWith.wrapS = renderer.GetWrapS();
    madeWith.wrapT = renderer.GetWrapT();
    madeWith.magFilter = renderer.GetMagFilter();
    madeWith.minFilter = renderer.GetMinFilter();
    if (format->descriptor.encoding != PixelEncoding::Uncompressed) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glCompressedTexImage2D(GL_TEXTURE_2D, 0, format->glFormat, description.width,
                               description.height, 0, static_cast<GLsizei>(level.needed),
                               level.data);
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                        static_cast<GLint>(madeWith.magFilter));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                        static_cast<GLint>(madeWith.minFilter));
        // Rows are packed without padding.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format->glFormat), description.width,
                     description.height, 0, format->glFormat, format->glType, level.data);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        if (renderer.GetGenerateMipmaps()) {
            glGenerateMipmap(GL_TEXTURE_2D);
            madeWith.mipmaps = true;
            const uint32_t minFilter = renderer.GetMinFilter();
            if (minFilter != GL_NEAREST && minFilter != GL_LINEAR) {
                SetMipmapMinFilter(minFilter);
            }
        } else {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        }
    }
    // A GL that refused the pixels (out of memory, a size it cannot take)
    // leaves the name without storage: the next change makes it anew.
    m_hasStorage = glGetError() == GL_NO_ERROR;
    m_madeWith = madeWith;
    converted.reset();
    renderer.Unlock();
}

bool Texture2D::Refill() {
    if (!m_source || m_name == 0 || !m_ownsName || !m_hasStorage) {
        return false;
    }
    TextureImageLock lock(m_source);
    const TextureImage* image = lock.GetImage();
    if (image == nullptr) {
        return false;
    }
    const TextureUploadFormat* format =
        TextureUploadFormats::Get().Find(image->description.pixelFormat);
    // Compressed levels are made anew: GL ES 2.0 leaves sub-image updates of
    // them to each format (ETC1 has none).
    if (format == nullptr || format->descriptor.encoding != PixelEncoding::Uncompressed ||
        format->glFormat != m_madeWith.glFormat || format->glType != m_madeWith.glType) {
        return false;
    }
    const TextureDescription& current = GetDescription();
    if (image->description.width != current.width || image->description.height != current.height) {
        return false;
    }
    // The texture keeps its wrap, filters and mipmaps; the renderer's may
    // have changed since, and a texture made now would take the new ones.
    Renderer& renderer = Renderer::Get();
    if (renderer.GetWrapS() != m_madeWith.wrapS || renderer.GetWrapT() != m_madeWith.wrapT ||
        renderer.GetMagFilter() != m_madeWith.magFilter ||
        renderer.GetMinFilter() != m_madeWith.minFilter ||
        renderer.GetGenerateMipmaps() != m_madeWith.mipmaps) {
        return false;
    }
    std::unique_ptr<TextureImage> converted;
    LevelZero level;
    if (TakeLevelZero(*image, *format, converted, level) != LevelZeroResult::Ready) {
        return false;  // made anew, which reports it
    }
    TakeImageInfo(*image, format->descriptor);

    renderer.Lock();
    glBindTexture(GL_TEXTURE_2D, m_name);
    while (glGetError() != GL_NO_ERROR) {
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, current.width, current.height, format->glFormat,
                    format->glType, level.data);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (m_madeWith.mipmaps) {
        glGenerateMipmap(GL_TEXTURE_2D);
    }
    glGetError();
    renderer.Unlock();
    return true;
}

}  // namespace Varnok
