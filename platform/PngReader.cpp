// PNG through libpng's simplified API: no setjmp, and the header's sizes are
// checked before the pixel buffer is allocated.
#include "platform/PngReader.h"

#include "engine/core/Log.h"

#include <png.h>

#include <cstring>

namespace Varnok {
namespace {

// Requires: png_image_begin_read_* succeeded on image.
bool FinishRead(png_image& image, const char* name, int& outWidth, int& outHeight,
                std::vector<uint8_t>& outRgba) {
    if (image.width == 0 || image.height == 0 || image.width > kMaxPngSide ||
        image.height > kMaxPngSide || uint64_t(image.width) * image.height > kMaxPngPixels) {
        Log("ReadPng: %s: %ux%u is larger than a launch image may be", name, image.width,
            image.height);
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        Log("ReadPng: cannot decode %s: %s", name, image.message);
        png_image_free(&image);
        return false;
    }
    outWidth = static_cast<int>(image.width);
    outHeight = static_cast<int>(image.height);
    outRgba = std::move(rgba);
    return true;
}

class PngDecoder final : public ImageDecoder {
public:
    bool DecodeFile(const char* path, int& outWidth, int& outHeight,
                    std::vector<uint8_t>& outRgba) override {
        return ReadPng(path, outWidth, outHeight, outRgba);
    }
};

}  // namespace

bool ReadPng(const char* path, int& outWidth, int& outHeight, std::vector<uint8_t>& outRgba) {
    png_image image;
    memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) {
        Log("ReadPng: cannot read %s: %s", path, image.message);
        return false;
    }
    return FinishRead(image, path, outWidth, outHeight, outRgba);
}

bool ReadPngFromMemory(const uint8_t* data, size_t size, const char* name, int& outWidth,
                       int& outHeight, std::vector<uint8_t>& outRgba) {
    png_image image;
    memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (data == nullptr || size == 0 || !png_image_begin_read_from_memory(&image, data, size)) {
        Log("ReadPng: cannot read %s: %s", name, data == nullptr || size == 0 ? "no bytes" : image.message);
        return false;
    }
    return FinishRead(image, name, outWidth, outHeight, outRgba);
}

std::unique_ptr<ImageDecoder> CreatePngDecoder() {
    return std::make_unique<PngDecoder>();
}

}  // namespace Varnok
