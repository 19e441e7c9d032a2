// Storage for every level of every layer in one zeroed block.
#include "engine/render/AllocatedTextureImage.h"

#include "engine/render/PixelFormat.h"

#include <algorithm>

namespace Varnok {
namespace {

// Levels start on 16-byte boundaries.
size_t AlignUp16(size_t value) {
    return (value + 15) & ~static_cast<size_t>(15);
}

}  // namespace

void AllocatedTextureImage::Allocate() {
    m_block.reset();
    const uint32_t images = description.imageCount;
    const uint32_t mips = description.mipCount;
    const size_t pixelBytes =
        static_cast<size_t>(PixelFormat::GetBitsPerPixel(description.pixelFormat)) / 8;
    m_levelSizes.assign(mips, 0);
    m_levels.assign(static_cast<size_t>(images) * mips, nullptr);
    std::vector<size_t> offsets(m_levels.size(), 0);
    size_t end = 0;
    for (uint32_t m = 0; m < mips; ++m) {
        m_levelSizes[m] = pixelBytes * MipLevelSide(description.width, static_cast<int>(m)) *
                          MipLevelSide(description.height, static_cast<int>(m));
        for (uint32_t i = 0; i < images; ++i) {
            const size_t start = AlignUp16(end);
            offsets[static_cast<size_t>(i) * mips + m] = start;
            end = start + m_levelSizes[m];
        }
    }
    m_block.reset(new uint8_t[std::max<size_t>(end, 1)]());
    for (size_t k = 0; k < m_levels.size(); ++k) {
        m_levels[k] = m_block.get() + offsets[k];
    }
}

const uint8_t* AllocatedTextureImage::GetData(int image, int level, size_t& outByteCount) const {
    return const_cast<AllocatedTextureImage*>(this)->GetMutableData(image, level, outByteCount);
}

uint8_t* AllocatedTextureImage::GetMutableData(int image, int level, size_t& outByteCount) {
    const int mips = static_cast<int>(m_levelSizes.size());
    const int images = mips > 0 ? static_cast<int>(m_levels.size()) / mips : 0;
    if (image < 0 || level < 0 || image >= images || level >= mips) {
        outByteCount = 0;
        return nullptr;
    }
    outByteCount = m_levelSizes[static_cast<size_t>(level)];
    return m_levels[static_cast<size_t>(image) * mips + level];
}

}  // namespace Varnok
