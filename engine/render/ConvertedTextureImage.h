// Converting an image to another uncompressed pixel layout before upload:
// decompressing S3TC and ETC1, reordering bytes, moving and rescaling
// channels, and deriving missing colour or luminance channels.
#pragma once

#include "engine/render/PixelFormat.h"
#include "engine/render/TextureImage.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Varnok {

// The image ConvertTextureImage makes: level 0 of every layer of the source,
// in the target layout; its description is the source's with the target
// descriptor and one mip level.
class ConvertedTextureImage final : public TextureImage {
public:
    // Null for a level other than 0 or a layer the image does not have.
    const uint8_t* GetData(int image, int level, size_t& outByteCount) const override;

private:
    friend std::unique_ptr<ConvertedTextureImage> ConvertTextureImage(
        const TextureImage& image, const PixelDescriptor& target);

    std::unique_ptr<uint8_t[]> m_block;  // the layers one after the other
    size_t m_layerBytes = 0;             // one layer's level 0
};

// A new image in the target layout, or null when no conversion is needed
// (equal descriptors) or possible: a compressed target, a source that is
// neither uncompressed, S3TC nor ETC1, pixels that are not whole bytes, or
// level data shorter than the pixels need (logged).
std::unique_ptr<ConvertedTextureImage> ConvertTextureImage(const TextureImage& image,
                                                           const PixelDescriptor& target);

}  // namespace Varnok
