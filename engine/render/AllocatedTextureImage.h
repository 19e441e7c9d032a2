// An image whose pixels the engine made itself, such as a resized copy of a
// file's image.
#pragma once

#include "engine/core/Assert.h"
#include "engine/render/TextureImage.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

// The width or height of mip level `level` of a side of `size`: at least 1.
inline uint32_t MipLevelSide(uint32_t size, int level) {
    VARNOK_ASSERT(level >= 0 && level < 32);  // a wider shift is undefined
    const uint32_t side = size >> level;
    return side > 0 ? side : 1;
}

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
    std::vector<uint8_t*> m_levels;    // image x mip count + level
    std::vector<size_t> m_levelSizes;  // per mip level, the same for every layer
};

}  // namespace Varnok
