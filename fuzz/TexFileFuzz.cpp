// ".tex" files from arbitrary bytes: every level the image admits to is read
// whole, and the image is converted to RGBA as an upload would. Nothing may
// read outside the data or allocate beyond what the data can justify.
#include "engine/render/ConvertedTextureImage.h"
#include "engine/render/TexFileTextureImage.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

// Reads every byte so that the sanitizer sees a level that lies about its size.
uint32_t Touch(const uint8_t* data, size_t size) {
    uint32_t sum = 0;
    for (size_t i = 0; i < size; ++i) {
        sum += data[i];
    }
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly `size` bytes, so that a read past the end is caught.
    std::vector<uint8_t> bytes(data, data + size);
    const auto image = Varnok::TexFileTextureImage::Create(bytes.data(), bytes.size());
    if (image == nullptr) {
        return 0;
    }
    volatile uint32_t sink = 0;
    const Varnok::TextureDescription& d = image->description;
    for (int layer = 0; layer < d.imageCount; ++layer) {
        for (int level = 0; level < d.mipCount; ++level) {
            size_t count = 0;
            const uint8_t* level0 = image->GetData(layer, level, count);
            if (level0 == nullptr) {
                __builtin_trap();  // every level of a loaded file is there
            }
            sink = sink + Touch(level0, count);
        }
    }
    const auto converted = Varnok::ConvertTextureImage(*image, Varnok::kRgba8Descriptor);
    if (converted != nullptr) {
        size_t count = 0;
        const uint8_t* pixels = converted->GetData(0, 0, count);
        if (pixels == nullptr || count != static_cast<size_t>(d.width > 0 ? d.width : 1) *
                                              (d.height > 0 ? d.height : 1) * 4) {
            __builtin_trap();
        }
        sink = sink + Touch(pixels, count);
    }
    return 0;
}
