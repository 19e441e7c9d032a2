// Turning a platform image into an RGBA8 bitmap with power-of-two sides.
#pragma once

#include <cstdint>
#include <memory>

namespace Varnok {

// A platform image as plain pixels: rows top to bottom, 4 bytes a pixel (RGBA).
struct RgbaImage {
    const uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

class UIImageHelper {
public:
    // The image stretched into a bitmap whose sides are its own rounded up to
    // powers of two; the rounded sizes go to the out-pointers when given.
    // Null (and a log line) when the image is empty or too large.
    static std::unique_ptr<uint8_t[]> ConvertImageToBitmapRGBA8(const RgbaImage& image,
                                                                int* outWidth, int* outHeight);
};

}  // namespace Varnok
