// make_ad_images: draws the advertising provider's pictures into the bundle:
// the close button of the full-screen fallback ad, a dark disc with a white
// ring and a white cross, 36 points square.
//
//   make_ad_images BUNDLE_DIR
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 36;
constexpr int kSamples = 4;  // per axis, for smooth edges

// Coverage of the button's three shapes at a point, in the button's points.
void Shade(float x, float y, float& outAlpha, float& outWhite) {
    const float centre = kSide * 0.5f;
    const float dx = x - centre;
    const float dy = y - centre;
    const float radius = std::sqrt(dx * dx + dy * dy);
    outAlpha = radius <= centre - 1.0f ? 1.0f : 0.0f;
    outWhite = 0.0f;
    if (outAlpha == 0.0f) {
        return;
    }
    const bool ring = radius >= centre - 4.0f;
    // The cross: two bars 3 points thick along the diagonals, inside the ring.
    const float along1 = std::fabs(dx - dy) / std::sqrt(2.0f);
    const float along2 = std::fabs(dx + dy) / std::sqrt(2.0f);
    const bool cross = radius <= centre - 9.0f && (along1 <= 1.5f || along2 <= 1.5f);
    outWhite = ring || cross ? 1.0f : 0.0f;
}

std::vector<uint8_t> DrawCloseButton() {
    std::vector<uint8_t> rgba(size_t(kSide) * kSide * 4, 0);
    for (int py = 0; py < kSide; ++py) {
        for (int px = 0; px < kSide; ++px) {
            float alpha = 0.0f;
            float white = 0.0f;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    float a = 0.0f;
                    float w = 0.0f;
                    Shade(px + (sx + 0.5f) / kSamples, py + (sy + 0.5f) / kSamples, a, w);
                    alpha += a;
                    white += a * w;
                }
            }
            uint8_t* pixel = &rgba[(size_t(py) * kSide + px) * 4];
            const float grey = alpha > 0.0f ? 0.15f + 0.85f * white / alpha : 0.0f;
            pixel[0] = pixel[1] = pixel[2] = static_cast<uint8_t>(std::lround(grey * 255.0f));
            pixel[3] = static_cast<uint8_t>(std::lround(alpha / (kSamples * kSamples) * 255.0f));
        }
    }
    return rgba;
}

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    if (png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) == 0) {
        std::fprintf(stderr, "make_ad_images: cannot write %s: %s\n", path.c_str(), image.message);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_ad_images BUNDLE_DIR\n");
        return 2;
    }
    std::error_code error;
    std::filesystem::create_directories(argv[1], error);
    // Lower case on disk; the engine finds "MPCloseButtonX.png" case-blind.
    const std::string path = std::string(argv[1]) + "/mpclosebuttonx.png";
    return WritePng(path, kSide, kSide, DrawCloseButton()) ? 0 : 1;
}
