// Reading ".tex" files. Everything is little-endian; the level blocks stay in
// the file's bytes.
#include "engine/render/TexFileTextureImage.h"

#include "engine/core/BinaryStream.h"
#include "engine/core/Log.h"

#include <algorithm>

namespace Varnok {

namespace {

uint32_t MipSize(uint32_t size, int level) {
    return level < 32 ? std::max<uint32_t>(1, size >> level) : 1;
}

}  // namespace

std::unique_ptr<TexFileTextureImage> TexFileTextureImage::Create(const uint8_t* bytes,
                                                                 size_t byteCount) {
    if (bytes == nullptr) {
        return nullptr;
    }
    BinaryStreamReader reader(bytes, byteCount, kNativeByteOrder);
    uint32_t magic = 0;
    if (!reader.ReadUInt32(magic) || magic != kTexFileMagic) {
        return nullptr;  // another format; the loader tries the next reader
    }
    std::unique_ptr<TexFileTextureImage> image(new TexFileTextureImage());
    TextureDescription& d = image->description;
    if (!TextureImage::ReadDescription(reader, d)) {
        Log("TexFileTextureImage: header cut short (%zu bytes)", byteCount);
        return nullptr;
    }
    reader.ReadUInt32(image->extraWord);

    // The lists keep only the elements that are there whole; a count is
    // never trusted for an allocation.
    uint32_t pairCount = 0;
    reader.ReadUInt32(pairCount);
    image->pairList.reserve(std::min<size_t>(pairCount, reader.GetRemaining() / 8));
    for (uint32_t i = 0; i < pairCount; ++i) {
        TexturePair pair;
        if (!reader.ReadPair32(pair.first, pair.second)) {
            break;  // the stream is spent: everything after reads as 0
        }
        image->pairList.push_back(pair);
    }
    uint32_t shortCount = 0;
    reader.ReadUInt32(shortCount);
    image->shortList.reserve(std::min<size_t>(shortCount, reader.GetRemaining() / 2));
    for (uint32_t i = 0; i < shortCount; ++i) {
        uint16_t value = 0;
        if (!reader.ReadUInt16(value)) {
            break;
        }
        image->shortList.push_back(value);
    }

    const size_t levelCount = static_cast<size_t>(d.imageCount) * d.mipCount;
    if (levelCount == 0) {
        Log("TexFileTextureImage: %u images of %u levels: no pixels", d.imageCount, d.mipCount);
        return nullptr;
    }
    if (reader.IsOverrun() || reader.GetRemaining() / 4 < levelCount) {
        Log("TexFileTextureImage: level table cut short (%zu levels, %zu bytes left)", levelCount,
            reader.IsOverrun() ? size_t{0} : reader.GetRemaining());
        return nullptr;
    }
    image->m_levelSizes.resize(levelCount);
    for (uint32_t& size : image->m_levelSizes) {
        reader.ReadUInt32(size);
    }

    size_t offset = reader.GetPosition();
    image->m_levels.resize(levelCount);
    for (size_t entry = 0; entry < levelCount; ++entry) {
        const uint32_t size = image->m_levelSizes[entry];
        if (size > byteCount - offset) {
            Log("TexFileTextureImage: level block %zu of %u bytes runs past the end of the file",
                entry, size);
            return nullptr;
        }
        // The GL and the converter read as many bytes as the pixels need, so
        // a block that holds fewer is refused here.
        const int mip = static_cast<int>(entry % d.mipCount);
        uint64_t needed = 0;
        if (PixelFormat::GetLevelByteCount(d.pixelFormat, MipSize(d.width, mip),
                                           MipSize(d.height, mip), needed) &&
            size < needed) {
            Log("TexFileTextureImage: level block %zu holds %u bytes, its pixels need %llu", entry,
                size, static_cast<unsigned long long>(needed));
            return nullptr;
        }
        image->m_levels[entry] = bytes + offset;
        offset += size;
    }
    return image;
}

const uint8_t* TexFileTextureImage::GetData(int image, int level, size_t& outByteCount) const {
    if (image < 0 || image >= description.imageCount || level < 0 ||
        level >= description.mipCount) {
        outByteCount = 0;
        return nullptr;
    }
    const size_t entry = static_cast<size_t>(image) * description.mipCount + level;
    outByteCount = m_levelSizes[entry];
    return m_levels[entry];
}

}  // namespace Varnok
