// A texture source whose pixels come from one source and whose layout size
// comes from another (or is given): a device variant of a texture keeps the
// apparent size of the base file it stands in for.
#pragma once

#include "engine/core/SmartPtr.h"
#include "engine/render/TextureImage.h"
#include "engine/render/TextureSource.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

// The pixel source's image under another apparent size.
class ApparentSizeTextureImage final : public TextureImage {
public:
    // Acquires the pixel source's image and takes its description with the
    // given apparent size; false when the source yields no image.
    bool Acquire(const SmartPtr<TextureSource>& pixelSource, uint32_t apparentWidth,
                 uint32_t apparentHeight);

    const uint8_t* GetData(int image, int level, size_t& outByteCount) const override;

private:
    TextureImageLock m_pixels;
};

class ApparentSizeTextureSource final : public TextureSource {
public:
    // Either may be null.
    ApparentSizeTextureSource(const SmartPtr<TextureSource>& pixelSource,
                              const SmartPtr<TextureSource>& sizeSource);
    ~ApparentSizeTextureSource() override;

    // Moves this source's listeners to the new pixel source (whose changes
    // and region changes it passes on) and tells its own change listeners.
    void SetPixelSource(const SmartPtr<TextureSource>& source);
    // Moves this source's change listener to the new size source; tells its
    // own change listeners when a pixel source is set.
    void SetSizeSource(const SmartPtr<TextureSource>& source);
    // The apparent size used while there is no size source (0 x 0 at first).
    void SetApparentSize(uint16_t width, uint16_t height);

    // A new image per acquire, or null without pixels (or without a size when
    // a size source is set but neither source yields an image).
    TextureImage* AcquireImage() override;
    // Destroys an image this source handed out; others are ignored.
    void ReleaseImage(TextureImage* image) override;
    // The pixel source's hash, 0 without one.
    uint32_t GetHash() const override;
    AsciiString Describe() const override;

    const SmartPtr<TextureSource>& GetPixelSource() const { return m_pixelSource; }
    const SmartPtr<TextureSource>& GetSizeSource() const { return m_sizeSource; }

private:
    void OnPixelsChanged() { NotifyChanged(); }
    void OnPixelRegionChanged(int32_t left, int32_t top, int32_t right, int32_t bottom) {
        NotifyRegionChanged(left, top, right, bottom);
    }
    void OnSizeChanged() { NotifyChanged(); }

    SmartPtr<TextureSource> m_pixelSource;
    SmartPtr<TextureSource> m_sizeSource;
    uint16_t m_apparentWidth = 0;
    uint16_t m_apparentHeight = 0;
    std::vector<std::unique_ptr<ApparentSizeTextureImage>> m_images;  // handed out
};

}  // namespace Varnok
