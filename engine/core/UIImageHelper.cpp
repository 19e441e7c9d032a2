// A nearest-sample scaler and the view capture of the image helper.
#include "engine/core/UIImageHelper.h"

#include "engine/core/Log.h"
#include "engine/core/MathUtil.h"

#include <cstddef>
#include <cstring>
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

std::unique_ptr<uint8_t[]> UIImageHelper::ConvertViewToBitmapRGBA8(CapturableView& view,
                                                                   int* outWidth, int* outHeight,
                                                                   bool powerOfTwo) {
    constexpr float kMaxSide = 8192.0f;
    const float frameWidth = view.GetFrameWidth();
    const float frameHeight = view.GetFrameHeight();
    // NaN fails these too.
    if (!(frameWidth >= 1.0f && frameWidth <= kMaxSide && frameHeight >= 1.0f &&
          frameHeight <= kMaxSide)) {
        Log("UIImageHelper: no bitmap context for a %gx%g view", frameWidth, frameHeight);
        return nullptr;
    }
    int width = static_cast<int>(frameWidth);
    int height = static_cast<int>(frameHeight);
    if (powerOfTwo) {
        width = NextPowerOfTwo(width);
        height = NextPowerOfTwo(height);
    }
    const size_t byteCount = size_t(width) * height * 4;
    std::unique_ptr<uint8_t[]> bitmap(new (std::nothrow) uint8_t[byteCount]);
    if (!bitmap) {
        Log("Error allocating memory for bitmap");
        return nullptr;
    }
    std::memset(bitmap.get(), 0, byteCount);
    const bool wasHidden = view.IsHidden();
    if (wasHidden) {
        view.SetHidden(false);
    }
    view.RenderLayer(bitmap.get(), width, height);
    if (wasHidden) {
        view.SetHidden(true);
    }
    if (outWidth != nullptr) *outWidth = width;
    if (outHeight != nullptr) *outHeight = height;
    return bitmap;
}

}  // namespace Varnok
