// PNG through libpng's simplified API: one call each way, no setjmp.
#include "platform/FrameCapture.h"

#include "engine/core/Log.h"

#include <png.h>

#include <cstring>

namespace Varnok {

bool WritePng(const char* path, int width, int height, const std::vector<uint8_t>& rgba) {
    if (width <= 0 || height <= 0 || rgba.size() < static_cast<size_t>(width) * height * 4) {
        Log("WritePng: %s: no pixels to write", path);
        return false;
    }
    png_image image;
    memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, path, 0, rgba.data(), 0, nullptr)) {
        Log("WritePng: cannot write %s: %s", path, image.message);
        return false;
    }
    return true;
}

bool ReadPng(const char* path, int& outWidth, int& outHeight, std::vector<uint8_t>& outRgba) {
    png_image image;
    memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) {
        Log("ReadPng: cannot read %s: %s", path, image.message);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    outRgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, outRgba.data(), 0, nullptr)) {
        Log("ReadPng: cannot decode %s: %s", path, image.message);
        png_image_free(&image);
        return false;
    }
    outWidth = static_cast<int>(image.width);
    outHeight = static_cast<int>(image.height);
    return true;
}

}  // namespace Varnok
