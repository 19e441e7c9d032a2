// DDS texture files: block-compressed (DXT1 to DXT5) or uncompressed with
// channel masks. The image copies its pixels into storage of its own.
#pragma once

#include "engine/render/TextureImage.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

// "DDS " read as a little-endian word.
constexpr uint32_t kDdsMagic = 0x20534444;
constexpr size_t kDdsHeaderBytes = 128;  // the magic and the 124-byte header
constexpr int kDdsMaxLevels = 16;

class DdsTextureImage final : public TextureImage {
public:
    // A new image, or null: silently when the bytes are not a DDS file, with
    // one log line when they are a damaged or unsupported one. A file whose
    // data stops early keeps the layers and levels that are complete; more
    // than 16 mip levels are cut to 16.
    static std::unique_ptr<DdsTextureImage> Create(const uint8_t* bytes, size_t byteCount);

    const uint8_t* GetData(int image, int level, size_t& outByteCount) const override;

    // Bytes of one layer at each level, for diagnostics and tests.
    size_t GetLevelSize(int level) const;

private:
    struct Level {
        std::vector<uint8_t> data;  // every layer of the level, one after the other
        size_t layerBytes = 0;
    };

    DdsTextureImage() = default;

    std::vector<Level> m_levels;  // at most 16
};

}  // namespace Varnok
