// A texture source that makes its image on the first acquire and disposes of
// it after the last release.
#pragma once

#include "engine/render/TextureImage.h"
#include "engine/render/TextureSource.h"

#include <cstdint>

namespace Varnok {

// Shares one image between all acquirers: made on the first acquire and
// disposed of after the last release.
class CountedTextureSource : public TextureSource {
public:
    ~CountedTextureSource() override;

    // Null, with the count back at 0, when CreateImage fails.
    TextureImage* AcquireImage() override;
    // Ignores any image but the shared one.
    void ReleaseImage(TextureImage* image) override;

    int32_t GetAcquireCount() const { return m_count; }

protected:
    CountedTextureSource() = default;

    // The image for the first acquirer; null on failure.
    virtual TextureImage* CreateImage() = 0;
    // Disposes of it after the last release.
    virtual void DestroyImage(TextureImage* image) = 0;

    // Subclasses call it from their destructors: an image still held by
    // someone is disposed of before the source goes.
    void DestroyHeldImage();

private:
    TextureImage* m_image = nullptr;
    int32_t m_count = 0;
};

}  // namespace Varnok
