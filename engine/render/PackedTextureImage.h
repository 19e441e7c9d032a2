// The container with a 12-byte header and one level of pixels (uncompressed,
// paletted or PVRTC). The image points past the header into the file's
// bytes, which must outlive it.
#pragma once

#include "engine/render/TextureImage.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Varnok {

constexpr size_t kPackedHeaderBytes = 12;

class PackedTextureImage final : public TextureImage {
public:
    // A new image, or null when the bytes are not such a file: a short
    // header, an unknown format, or (except for PVRTC) a length that does
    // not match the pixels exactly.
    static std::unique_ptr<PackedTextureImage> Create(const uint8_t* bytes, size_t byteCount);

    // Everything after the header, whatever the layer and level.
    const uint8_t* GetData(int image, int level, size_t& outByteCount) const override;

private:
    PackedTextureImage() = default;

    const uint8_t* m_data = nullptr;
    size_t m_byteCount = 0;
};

}  // namespace Varnok
