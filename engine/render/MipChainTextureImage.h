// The container with a 16-byte header and a chain of mip levels
// (uncompressed or PVRTC). The image points past the header into the file's
// bytes, which must outlive it.
#pragma once

#include "engine/render/TextureImage.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Varnok {

constexpr size_t kMipChainHeaderBytes = 16;

class MipChainTextureImage final : public TextureImage {
public:
    // A new image, or null when the bytes are not such a file: a short
    // header, a wrong tag, an unknown class, or a length that does not match
    // the levels exactly.
    static std::unique_ptr<MipChainTextureImage> Create(const uint8_t* bytes, size_t byteCount);

    // Everything after the header, whatever the layer and level: the GL
    // reads the chain from its first level.
    const uint8_t* GetData(int image, int level, size_t& outByteCount) const override;

private:
    MipChainTextureImage() = default;

    const uint8_t* m_data = nullptr;
    size_t m_byteCount = 0;
};

}  // namespace Varnok
