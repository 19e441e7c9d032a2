// PNG writing through libpng's simplified API: one call, no setjmp.
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

}  // namespace Varnok
