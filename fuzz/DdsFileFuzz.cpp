// DDS files from arbitrary bytes: every level the image keeps is read whole,
// and the image is converted to RGBA as an upload would. Nothing may read
// outside the data or allocate beyond what the data can justify.
#include "engine/render/ConvertedTextureImage.h"
#include "engine/render/DdsTextureImage.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

uint32_t Touch(const uint8_t* data, size_t size) {
    uint32_t sum = 0;
    for (size_t i = 0; i < size; ++i) {
        sum += data[i];
    }
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    const auto image = Varnok::DdsTextureImage::Create(bytes.data(), bytes.size());
    if (image == nullptr) {
        return 0;
    }
    volatile uint32_t sink = 0;
    const Varnok::TextureDescription& d = image->description;
    if (d.mipCount < 1 || d.mipCount > Varnok::kDdsMaxLevels || d.imageCount < 1) {
        __builtin_trap();
    }
    for (int layer = 0; layer < d.imageCount; ++layer) {
        for (int level = 0; level < d.mipCount; ++level) {
            size_t count = 0;
            const uint8_t* pixels = image->GetData(layer, level, count);
            if (pixels == nullptr && count != 0) {
                __builtin_trap();
            }
            if (pixels != nullptr) {
                sink = sink + Touch(pixels, count);
            }
        }
    }
    const auto converted = Varnok::ConvertTextureImage(*image, Varnok::kRgba8Descriptor);
    if (converted != nullptr) {
        size_t count = 0;
        const uint8_t* pixels = converted->GetData(0, 0, count);
        if (pixels == nullptr) {
            __builtin_trap();
        }
        sink = sink + Touch(pixels, count);
    }
    return 0;
}
