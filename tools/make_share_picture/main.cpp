// make_share_picture: draws the picture that goes with a shared score (a
// sliced melon on a dusk gradient) and writes it as an RGBA PNG.
//
//   make_share_picture OUT.png [SIZE]   (SIZE pixels square, 90 by default)
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

struct Rgb {
    float r, g, b;
};

Rgb Mix(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// The colour at (x, y), both 0..1 across the picture.
Rgb PixelAt(float x, float y) {
    const Rgb top{0.16f, 0.10f, 0.32f};
    const Rgb bottom{0.95f, 0.55f, 0.25f};
    Rgb colour = Mix(top, bottom, y);
    // Two halves of a melon drifting apart along a diagonal cut.
    const float halves[2][2] = {{0.42f, 0.55f}, {0.60f, 0.45f}};
    const float radius = 0.27f;
    for (int half = 0; half < 2; ++half) {
        const float dx = x - halves[half][0];
        const float dy = y - halves[half][1];
        const float side = (x - 0.5f) + (y - 0.5f);  // the cut runs from top-right to bottom-left
        if ((half == 0) != (side < 0.0f)) {
            continue;
        }
        const float distance = std::sqrt(dx * dx + dy * dy) / radius;
        if (distance < 1.0f) {
            const Rgb rind{0.18f, 0.55f, 0.20f};
            const Rgb flesh{0.92f, 0.22f, 0.28f};
            colour = distance > 0.85f ? rind : Mix(flesh, Rgb{0.98f, 0.45f, 0.45f}, 1.0f - distance);
        }
    }
    return colour;
}

uint8_t ToByte(float value) {
    return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_share_picture OUT.png [SIZE]\n");
        return 2;
    }
    const int size = argc == 3 ? std::atoi(argv[2]) : 90;
    if (size < 8 || size > 1024) {
        std::fprintf(stderr, "make_share_picture: size %s outside 8..1024\n", argv[2]);
        return 2;
    }
    std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const Rgb colour = PixelAt((x + 0.5f) / size, (y + 0.5f) / size);
            uint8_t* pixel = &rgba[(static_cast<size_t>(y) * size + x) * 4];
            pixel[0] = ToByte(colour.r);
            pixel[1] = ToByte(colour.g);
            pixel[2] = ToByte(colour.b);
            pixel[3] = 255;
        }
    }
    std::error_code error;
    const std::filesystem::path out(argv[1]);
    if (out.has_parent_path()) {
        std::filesystem::create_directories(out.parent_path(), error);
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(size);
    image.height = static_cast<png_uint_32>(size);
    image.format = PNG_FORMAT_RGBA;
    if (png_image_write_to_file(&image, argv[1], 0, rgba.data(), 0, nullptr) == 0) {
        std::fprintf(stderr, "make_share_picture: cannot write %s: %s\n", argv[1], image.message);
        return 1;
    }
    return 0;
}
