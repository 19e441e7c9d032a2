// Padding: the original pixels copied into the top-left of a zeroed image.
#include "engine/render/TextureSizePadder.h"

#include "engine/render/PixelFormat.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Varnok {

TextureSizePadder::TextureSizePadder(const SmartPtr<TextureSource>& source, int sizeMode)
    : TextureSizeAdapter(source, sizeMode) {}

TextureSizePadder::~TextureSizePadder() = default;

void TextureSizePadder::DescribeImage(const TextureImage& source, uint16_t width, uint16_t height,
                                      TextureDescription& outDescription) {
    outDescription = source.description;
    outDescription.width = width;
    outDescription.height = height;
    // The content stays on the original pixels.
    const int32_t w = source.description.width;
    const int32_t h = source.description.height;
    const TextureRect& rect = source.description.content;
    TextureRect& clipped = outDescription.content;
    if (rect.left < w && rect.right >= 1 && rect.top < h && rect.bottom >= 1) {
        clipped.left = std::max(rect.left, 0);
        clipped.top = std::max(rect.top, 0);
        clipped.right = std::max(std::min(rect.right, w), clipped.left);
        clipped.bottom = std::max(std::min(rect.bottom, h), clipped.top);
    } else {
        clipped = TextureRect{0, 0, w, h};
    }
}

void TextureSizePadder::FillImage(const TextureImage& source, AllocatedTextureImage& target) {
    const size_t pixelBytes =
        static_cast<size_t>(PixelFormat::GetBitsPerPixel(source.description.pixelFormat)) / 8;
    const TextureDescription& from = source.description;
    const TextureDescription& to = target.description;
    std::vector<uint8_t> spare;
    for (int m = 0; m < to.mipCount; ++m) {
        const size_t sourceRowBytes = pixelBytes * MipLevelSide(from.width, m);
        const size_t targetRowBytes = pixelBytes * MipLevelSide(to.width, m);
        const size_t sourceRows = MipLevelSide(from.height, m);
        const size_t rows = std::min<size_t>(sourceRows, MipLevelSide(to.height, m));
        const size_t rowBytes = std::min(sourceRowBytes, targetRowBytes);
        for (int i = 0; i < to.imageCount; ++i) {
            size_t targetBytes = 0;
            uint8_t* out = target.GetMutableData(i, m, targetBytes);
            if (out == nullptr || rowBytes == 0) {
                continue;
            }
            const uint8_t* in = ReadableLevel(source, i, m, sourceRowBytes * sourceRows, spare);
            // The target is zeroed: the rest of each row and the rows below stay 0.
            for (size_t row = 0; row < rows; ++row) {
                std::memcpy(out + row * targetRowBytes, in + row * sourceRowBytes, rowBytes);
            }
        }
    }
}

}  // namespace Varnok
