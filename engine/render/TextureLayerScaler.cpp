// Scaling: every level of every layer resampled to the target size.
#include "engine/render/TextureLayerScaler.h"

#include "engine/render/PixelFormat.h"
#include "engine/render/internal/LevelResampler.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Varnok {

TextureLayerScaler::TextureLayerScaler(const SmartPtr<TextureSource>& source, int sizeMode)
    : TextureSizeAdapter(source, sizeMode) {}

TextureLayerScaler::~TextureLayerScaler() = default;

AsciiString TextureLayerScaler::Describe() const {
    AsciiString text("TextureLayerScaler(");
    if (GetWrappedSource()) {
        text.AppendString(GetWrappedSource()->Describe());
    } else {
        text.Append("<NULL>");
    }
    text.Append(")");
    return text;
}

void TextureLayerScaler::DescribeImage(const TextureImage& source, uint16_t width, uint16_t height,
                                       TextureDescription& outDescription) {
    outDescription = source.description;
    outDescription.width = width;
    outDescription.height = height;
}

void TextureLayerScaler::FillImage(const TextureImage& source, AllocatedTextureImage& target) {
    const PixelDescriptor& descriptor = source.description.pixelFormat;
    const size_t pixelBytes = static_cast<size_t>(PixelFormat::GetBitsPerPixel(descriptor)) / 8;
    const TextureDescription& from = source.description;
    const TextureDescription& to = target.description;
    std::vector<uint8_t> spare;
    for (int m = 0; m < to.mipCount; ++m) {
        const uint32_t sw = MipLevelSide(from.width, m);
        const uint32_t sh = MipLevelSide(from.height, m);
        const uint32_t dw = MipLevelSide(to.width, m);
        const uint32_t dh = MipLevelSide(to.height, m);
        const size_t sourceBytes = pixelBytes * sw * sh;
        for (int i = 0; i < to.imageCount; ++i) {
            size_t targetBytes = 0;
            uint8_t* out = target.GetMutableData(i, m, targetBytes);
            if (out == nullptr || pixelBytes == 0) {
                continue;
            }
            const uint8_t* in = ReadableLevel(source, i, m, sourceBytes, spare);
            if (sw == dw && sh == dh) {
                std::memcpy(out, in, std::min(sourceBytes, targetBytes));
            } else {
                ResampleLevel(descriptor, in, sw, sh, out, dw, dh);
            }
        }
    }
}

}  // namespace Varnok
