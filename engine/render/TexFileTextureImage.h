// The engine's own ".tex" texture container: a description, the extra word,
// the pair and 16-bit lists, then a table of level sizes and the level blocks.
// The image points into the file's bytes, which must outlive it.
#pragma once

#include "engine/render/TextureImage.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

// "TEX" followed by the byte 1, read as a little-endian word.
constexpr uint32_t kTexFileMagic = 0x01584554;

class TexFileTextureImage final : public TextureImage {
public:
    // A new image over the bytes, or null (with one log line) when they are
    // not a whole ".tex" file: wrong magic, a short header or level table, a
    // level block that runs past the end or that is smaller than its pixels
    // need. Bytes after the last block are ignored.
    static std::unique_ptr<TexFileTextureImage> Create(const uint8_t* bytes, size_t byteCount);

    // Levels are stored image by image, each from mip level 0 up.
    const uint8_t* GetData(int image, int level, size_t& outByteCount) const override;

private:
    TexFileTextureImage() = default;

    std::vector<uint32_t> m_levelSizes;
    std::vector<const uint8_t*> m_levels;  // into the file's bytes
};

}  // namespace Varnok
