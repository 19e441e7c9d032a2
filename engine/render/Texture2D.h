// The engine's one kind of texture: a GL ES 2.0 two-dimensional texture whose
// pixels come from a texture source, uploaded again whenever it changes.
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

    // Any change of the source, whatever the region, re-creates the texture.
    void OnSourceChanged();
    void OnSourceRegionChanged(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void RemoveListeners();

    uint32_t m_name = 0;  // GL name; 0 while none
    SmartPtr<TextureSource> m_source;
    bool m_ownsName = true;
};

}  // namespace Varnok
