// The texture sources that stand between a file's image and the GL texture
// and give the GL power-of-two sizes: TextureLayerScaler resamples the image,
// TextureSizePadder pads it with zeroed pixels.
#pragma once

#include "engine/core/SmartPtr.h"
#include "engine/render/TextureImage.h"
#include "engine/render/TextureSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

// An image that owns its pixels: every level of every layer in one block.
class AllocatedTextureImage final : public TextureImage {
public:
    // (Re)allocates zeroed storage for the current description: level m of
    // each layer holds bytes-per-pixel x max(1, width >> m) x max(1, height >> m).
    void Allocate();

    // Null (count 0) outside the image count or mip count.
    const uint8_t* GetData(int image, int level, size_t& outByteCount) const override;
    uint8_t* GetMutableData(int image, int level, size_t& outByteCount);

private:
    std::unique_ptr<uint8_t[]> m_block;
    std::vector<uint8_t*> m_levels;  // image x mip count + level
    std::vector<size_t> m_levelSizes;  // per mip level, the same for every layer
};

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

// How an adapter chooses its target size.
namespace TextureSizeMode {
enum : int {
    RoundUp = 0,    // the smallest power of two at least the size (0 stays 0)
    RoundDown = 1,  // the largest power of two at most the size (0 becomes 1)
    Explicit = 2,   // the explicit size, which nothing sets: 0 x 0
};
}  // namespace TextureSizeMode

// The power-of-two size for one side, as the mode asks (never above 32768,
// the largest that a 16-bit size holds).
uint32_t TargetTextureSize(uint32_t size, int mode, uint32_t explicitSize);

// What the two adapters share: the wrapped source (whose changes they pass
// on), the size mode, and images that are either the wrapped source's own
// (already the right size) or allocated here.
class TextureSizeAdapter : public CountedTextureSource {
public:
    ~TextureSizeAdapter() override;

    // The wrapped source's: caches keyed by texture hash (the batch texture
    // cache) must tell two wrapped files apart.
    uint32_t GetHash() const override { return m_wrapped ? m_wrapped->GetHash() : 0; }

    const SmartPtr<TextureSource>& GetWrappedSource() const { return m_wrapped; }
    // Whether the last image made was the wrapped source's own.
    bool IsPassThrough() const { return m_passThrough; }
    // The size that TextureSizeMode::Explicit asks for; used from the next
    // image made.
    void SetExplicitSize(uint16_t width, uint16_t height) {
        m_explicitWidth = width;
        m_explicitHeight = height;
    }

protected:
    TextureSizeAdapter(const SmartPtr<TextureSource>& source, int sizeMode);

    TextureImage* CreateImage() final;
    void DestroyImage(TextureImage* image) final;

    // Fills the allocated image (description already set) from the source.
    virtual void FillImage(const TextureImage& source, AllocatedTextureImage& target) = 0;
    // Sets the new image's description from the source's.
    virtual void DescribeImage(const TextureImage& source, uint16_t width, uint16_t height,
                               TextureDescription& outDescription) = 0;
    virtual const char* GetAdapterName() const = 0;

private:
    void OnSourceChanged() { NotifyChanged(); }
    void OnSourceRegionChanged(int32_t, int32_t, int32_t, int32_t) {
        NotifyRegionChanged(0, 0, kWholeRegionEnd, kWholeRegionEnd);
    }

    SmartPtr<TextureSource> m_wrapped;
    int m_sizeMode;
    uint32_t m_explicitWidth = 0;
    uint32_t m_explicitHeight = 0;
    bool m_passThrough = false;
    std::unique_ptr<AllocatedTextureImage> m_allocated;  // the image when not passing through
};

// Pads with zeroed pixels to the right and below; the content rectangle is
// clipped to the original pixels.
class TextureSizePadder final : public TextureSizeAdapter {
public:
    TextureSizePadder(const SmartPtr<TextureSource>& source, int sizeMode);
    ~TextureSizePadder() override;

private:
    void FillImage(const TextureImage& source, AllocatedTextureImage& target) override;
    void DescribeImage(const TextureImage& source, uint16_t width, uint16_t height,
                       TextureDescription& outDescription) override;
    const char* GetAdapterName() const override { return "TextureSizePadder"; }
};

// Resamples every level: linear when enlarging, averaging when shrinking.
class TextureLayerScaler final : public TextureSizeAdapter {
public:
    TextureLayerScaler(const SmartPtr<TextureSource>& source, int sizeMode);
    ~TextureLayerScaler() override;

    // "TextureLayerScaler(" + the wrapped source's description + ")".
    AsciiString Describe() const override;

private:
    void FillImage(const TextureImage& source, AllocatedTextureImage& target) override;
    void DescribeImage(const TextureImage& source, uint16_t width, uint16_t height,
                       TextureDescription& outDescription) override;
    const char* GetAdapterName() const override { return "TextureLayerScaler"; }
};

}  // namespace Varnok
