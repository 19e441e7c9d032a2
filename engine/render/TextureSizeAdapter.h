// What the power-of-two adapters share: the size they pick, the wrapped
// source they pass changes on from, and the images they make or pass through.
#pragma once

#include "engine/core/SmartPtr.h"
#include "engine/render/AllocatedTextureImage.h"
#include "engine/render/CountedTextureSource.h"
#include "engine/render/TextureImage.h"
#include "engine/render/TextureSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

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

    // A level's bytes, at least `needed` of them: a short level is copied
    // into `spare` and padded with zeros, so nothing past its end is read.
    static const uint8_t* ReadableLevel(const TextureImage& image, int layer, int level,
                                        size_t needed, std::vector<uint8_t>& spare);

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

}  // namespace Varnok
