// What every drawing path binds: a GL texture with the description of the
// image it was last uploaded from.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/ReferenceCounter.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/GLResource.h"
#include "engine/render/TextureImage.h"

#include <cstdint>
#include <vector>

namespace Varnok {

class TextureSource;

// How a Texture2D fits its source's image to power-of-two sizes.
namespace TextureCreateMode {
enum : int {
    Pad = 0,    // TextureSizePadder: zeroed pixels right and below
    Scale = 1,  // TextureLayerScaler: resampled; what the engine's callers use
};
}  // namespace TextureCreateMode

class Texture : public virtual ReferenceCounter, public GLResource {
public:
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;
    ~Texture() override;

    // A texture over the source when its image is a flat one (kind 0); null
    // for a null source, a source without an image, or a volume or cube.
    static SmartPtr<Texture> CreateFromSource(const SmartPtr<TextureSource>& source, int mode);

    // Records this as the currently bound texture, uploads when there is no
    // GL texture yet and binds it to GL_TEXTURE_2D when there is one.
    virtual void Bind();
    // Clears the currently bound record; no GL call.
    virtual void Unbind();
    // The source's identity (0 without a source).
    virtual uint32_t GetHash() const { return 0; }
    virtual AsciiString Describe() const;
    // 0 while there is no GL texture.
    virtual uint32_t GetGLId() const { return 0; }
    // Deletes the GL texture.
    virtual void ReleaseGL() {}
    // Creates the GL texture from the source's image when there is none.
    virtual void Upload() {}

    // As a live GL resource.
    void Release() override { ReleaseGL(); }
    void Restore() override { Upload(); }

    // The texture last bound through Bind and not unbound since; null when
    // none. Immediate drawing reads it. Main thread only.
    static Texture* GetCurrentlyBound();

    // Taken from the image at upload, with the upload format's descriptor
    // and one mip level; the default description before the first upload.
    const TextureDescription& GetDescription() const { return m_description; }
    // Whether the image's own pixels have an alpha channel; true until the
    // first upload says otherwise.
    bool HasAlpha() const { return m_hasAlpha; }
    const std::vector<TexturePair>& GetPairList() const { return m_pairList; }
    const std::vector<uint16_t>& GetShortList() const { return m_shortList; }
    uint32_t GetExtraWord() const { return m_extraWord; }
    // The GL minification filter of the texture's mipmaps when it has them;
    // 0 when it has none. Drawing at or above 1:1 needs no mipmaps, so 2D
    // drawing may sample level 0 alone for a while and put this back.
    uint32_t GetMipmapMinFilter() const { return m_mipmapMinFilter; }

protected:
    Texture();

    void SetMipmapMinFilter(uint32_t glFilter) { m_mipmapMinFilter = glFilter; }

    // Takes the image's description, alpha and lists at upload.
    void TakeImageInfo(const TextureImage& image, const PixelDescriptor& uploadFormat);

private:
    TextureDescription m_description;
    bool m_hasAlpha = true;
    std::vector<TexturePair> m_pairList;
    std::vector<uint16_t> m_shortList;
    uint32_t m_extraWord = 0;
    uint32_t m_mipmapMinFilter = 0;
};

}  // namespace Varnok
