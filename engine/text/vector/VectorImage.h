// A vector picture turned into pixels on demand: each rasterisation draws the
// whole document at the requested size and placement into a new B, G, R, A
// image.
#pragma once

#include "engine/core/ReferenceCounter.h"
#include "engine/render/PixelFormat.h"
#include "engine/render/TextureImage.h"
#include "engine/text/vector/SvgTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

class SvgDocument;

// Bytes blue, green, red, alpha in memory, in the canonical order.
constexpr PixelDescriptor kBgra8Descriptor{PixelEncoding::Uncompressed,
                                           0,
                                           kByteOrderCanonical,
                                           {kChannelB8, kChannelG8, kChannelR8, kChannelA8}};

// What a rasterisation is asked for. The matrix places the document's
// mapped rectangle, normalised to the square -0.5..0.5, in the image
// before it is scaled to width x height; the identity fills the image.
struct VectorRasterParams {
    uint32_t width = 0;
    uint32_t height = 0;
    SvgAffine matrix;
};

class VectorRasterImage final : public TextureImage {
public:
    // Transparent black pixels; the description's sizes are 16-bit.
    VectorRasterImage(uint32_t width, uint32_t height);

    const uint8_t* GetData(int image, int level, size_t& outByteCount) const override;

    uint8_t* GetPixels() { return m_pixels.data(); }
    const std::vector<uint8_t>& GetBytes() const { return m_pixels; }
    uint32_t GetWidth() const { return m_width; }
    uint32_t GetHeight() const { return m_height; }

private:
    uint32_t m_width;
    uint32_t m_height;
    std::vector<uint8_t> m_pixels;  // row 0 first
};

class VectorImage : public virtual ReferenceCounter {
public:
    // Sides above this do not fit the image's 16-bit sizes.
    static constexpr uint32_t kMaxSide = 65535;

    VectorImage();
    ~VectorImage() override;

    // The image owns the document.
    void SetDocument(std::unique_ptr<SvgDocument> document);
    // The document must outlive the image.
    void SetDocument(const SvgDocument* document);
    const SvgDocument* GetDocument() const { return m_document; }

    // A rectangle to map in place of the document's bounds; null goes back
    // to the bounds.
    virtual void SetSourceRect(const SvgBounds* rect);

    // A new image, or null without a document or for a side above kMaxSide
    // (logged).
    virtual std::unique_ptr<VectorRasterImage> Rasterize(const VectorRasterParams& params) const;

private:
    std::unique_ptr<SvgDocument> m_ownedDocument;
    const SvgDocument* m_document = nullptr;
    bool m_hasSourceRect = false;
    SvgBounds m_sourceRect;
};

}  // namespace Varnok
