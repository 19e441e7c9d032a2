// A nearest-sample scaler for the image helper.
#include "engine/core/UIImageHelper.h"

#include "engine/core/Log.h"
#include "engine/core/MathUtil.h"

#include <cstddef>
#include <new>

namespace Varnok {

std::unique_ptr<uint8_t[]> UIImageHelper::ConvertImageToBitmapRGBA8(const RgbaImage& image,
                                                                    int* outWidth,
                                                                    int* outHeight) {
    constexpr int kMaxSide = 8192;  // larger than any texture the renderer takes
    if (image.pixels == nullptr || image.width <= 0 || image.height <= 0 ||
        image.width > kMaxSide || image.height > kMaxSide) {
        Log("Error allocating memory for bitmap");
        return nullptr;
    }
    const int width = NextPowerOfTwo(image.width);
    const int height = NextPowerOfTwo(image.height);
    std::unique_ptr<uint8_t[]> bitmap(new (std::nothrow) uint8_t[size_t(width) * height * 4]);
    if (!bitmap) {
        Log("Error allocating memory for bitmap");
        return nullptr;
    }
    // Stretch to fill: each target pixel takes the source pixel under its centre.
    for (int y = 0; y < height; ++y) {
        const int sy = static_cast<int>((int64_t(y) * 2 + 1) * image.height / (int64_t(height) * 2));
        for (int x = 0; x < width; ++x) {
            const int sx = static_cast<int>((int64_t(x) * 2 + 1) * image.width / (int64_t(width) * 2));
            const uint8_t* src = image.pixels + (size_t(sy) * image.width + sx) * 4;
            uint8_t* dst = bitmap.get() + (size_t(y) * width + x) * 4;
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = src[3];
        }
    }
    if (outWidth != nullptr) *outWidth = width;
    if (outHeight != nullptr) *outHeight = height;
    return bitmap;
}

}  // namespace Varnok
