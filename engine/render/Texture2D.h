// The engine's one kind of texture: a GL ES 2.0 two-dimensional texture whose
// pixels come from a texture source, uploaded again whenever it changes. New
// pixels of an unchanged size and format refill the GL texture in place.
#pragma once

#include "engine/core/SmartPtr.h"
#include "engine/render/Texture.h"

#include <cstdint>

namespace Varnok {

class TextureSource;

class Texture2D final : public Texture {
public:
    ~Texture2D() override;

    // A texture over the source wrapped for `mode` (TextureCreateMode; any
    // other mode gives a texture that never uploads), uploaded at once.
    // Null for a null source. `unused` is not read.
    static SmartPtr<Texture> Create(const SmartPtr<TextureSource>& source, int unused, int mode);

    // Drops the GL texture, takes the new source wrapped for `mode` and
    // uploads from it.
    void SetSource(const SmartPtr<TextureSource>& source, int mode);

    uint32_t GetHash() const override;
    // "Texture2D(" + the source's description + ")".
    AsciiString Describe() const override;
    uint32_t GetGLId() const override { return m_name; }
    void ReleaseGL() override;
    void Upload() override;

    // The wrapped source (the size adapter); null when the mode wraps none.
    const SmartPtr<TextureSource>& GetSource() const { return m_source; }

private:
    Texture2D(const SmartPtr<TextureSource>& source, int mode);

    // The GL state the texture was made with; a refill keeps it, so a
    // refill is only done while the renderer would make the same.
    struct MadeWith {
        uint32_t glFormat = 0;
        uint32_t glType = 0;
        uint32_t wrapS = 0;
        uint32_t wrapT = 0;
        uint32_t magFilter = 0;
        uint32_t minFilter = 0;
        bool mipmaps = false;  // glGenerateMipmap made the levels above 0
    };

    // Any change of the source, whatever the region, uploads the whole image
    // again: into the existing GL texture when its size and format stay
    // (Refill), else into a new one.
    void OnSourceChanged();
    void OnSourceRegionChanged(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void UploadChange();
    // Replaces level 0 of the existing texture (and its mipmaps, when it has
    // them) with the source's image; false, touching nothing, when the image
    // does not fit the texture as it was made.
    bool Refill();
    void RemoveListeners();

    uint32_t m_name = 0;  // GL name; 0 while none
    SmartPtr<TextureSource> m_source;
    bool m_ownsName = true;
    bool m_hasStorage = false;  // level 0 was given pixels since m_name was made
    MadeWith m_madeWith;
};

}  // namespace Varnok
