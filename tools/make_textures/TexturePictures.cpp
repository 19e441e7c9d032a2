// Drawing by coverage: each pixel is sampled on a 4 x 4 grid and the shapes
// are painted back to front with the covered fraction as alpha.
#include "tools/make_textures/TexturePictures.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace Varnok {

namespace {

struct Colour {
    float r, g, b, a;
};

// Source-over blending of a colour with coverage into a pixel.
void Blend(uint8_t* pixel, const Colour& c, float coverage) {
    const float a = c.a * coverage;
    if (a <= 0.0f) {
        return;
    }
    const float destA = pixel[3] / 255.0f;
    const float outA = a + destA * (1.0f - a);
    const float src[3] = {c.r, c.g, c.b};
    for (int i = 0; i < 3; ++i) {
        const float dest = pixel[i] / 255.0f;
        const float value = (src[i] * a + dest * destA * (1.0f - a)) / outA;
        pixel[i] = static_cast<uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
    }
    pixel[3] = static_cast<uint8_t>(std::lround(outA * 255.0f));
}

// Paints a shape given as an inside test over normalised coordinates
// (x from 0 to aspect, y from 0 to 1, top down).
void Paint(RgbaPicture& picture, const Colour& colour,
           const std::function<bool(float, float)>& inside) {
    constexpr int kGrid = 4;
    const float scale = 1.0f / static_cast<float>(picture.height);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kGrid; ++sy) {
                for (int sx = 0; sx < kGrid; ++sx) {
                    const float px = (static_cast<float>(x) + (sx + 0.5f) / kGrid) * scale;
                    const float py = (static_cast<float>(y) + (sy + 0.5f) / kGrid) * scale;
                    hits += inside(px, py) ? 1 : 0;
                }
            }
            if (hits > 0) {
                Blend(&picture.pixels[(static_cast<size_t>(y) * picture.width + x) * 4], colour,
                      static_cast<float>(hits) / (kGrid * kGrid));
            }
        }
    }
}

float Distance(float x0, float y0, float x1, float y1) {
    return std::hypot(x1 - x0, y1 - y0);
}

RgbaPicture Blank(int width, int height) {
    RgbaPicture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    return picture;
}

}  // namespace

RgbaPicture DrawLogo(int width, int height) {
    RgbaPicture picture = Blank(width, height);
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    // The fruit: two halves of a melon drifting apart along the cut.
    const float cx = aspect * 0.5f;
    const float cy = 0.5f;
    const float radius = 0.38f;
    const float gap = 0.035f;
    // The cut runs from lower left to upper right; n is its normal.
    const float nx = 0.6f;
    const float ny = 0.8f;
    for (int side = -1; side <= 1; side += 2) {
        const float ox = cx + side * nx * gap;
        const float oy = cy + side * ny * gap;
        auto half = [=](float r) {
            return [=](float x, float y) {
                const float along = (x - ox) * nx + (y - oy) * ny;
                return side * along > 0.0f && Distance(x, y, ox, oy) < r;
            };
        };
        Paint(picture, Colour{0.10f, 0.45f, 0.12f, 1.0f}, half(radius));          // rind
        Paint(picture, Colour{0.80f, 0.95f, 0.55f, 1.0f}, half(radius * 0.90f));  // pith
        Paint(picture, Colour{0.90f, 0.15f, 0.20f, 1.0f}, half(radius * 0.84f));  // flesh
        // Seeds fanned out around the middle of each half.
        const float middle = std::atan2(side * ny, side * nx);
        for (int i = 0; i < 4; ++i) {
            const float angle = middle + (static_cast<float>(i) - 1.5f) * 0.5f;
            const float sx = ox + std::cos(angle) * radius * 0.55f;
            const float sy = oy + std::sin(angle) * radius * 0.55f;
            Paint(picture, Colour{0.08f, 0.05f, 0.05f, 1.0f}, [=](float x, float y) {
                return half(radius)(x, y) && Distance(x, y, sx, sy) < 0.025f;
            });
        }
    }
    // The blade stroke along the cut, thin at its ends.
    const float length = radius * 1.6f;
    Paint(picture, Colour{1.0f, 1.0f, 1.0f, 0.9f}, [=](float x, float y) {
        const float along = (x - cx) * ny - (y - cy) * nx;
        const float across = (x - cx) * nx + (y - cy) * ny;
        if (std::fabs(along) > length) {
            return false;
        }
        const float thickness = 0.018f * (1.0f - std::fabs(along) / length);
        return std::fabs(across) < thickness;
    });
    return picture;
}

RgbaPicture DrawTestPattern(int width, int height) {
    RgbaPicture picture = Blank(width, height);
    static const uint8_t kBars[8][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                        {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};
    const int halfW = std::max(1, width / 2);
    const int halfH = std::max(1, height / 2);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &picture.pixels[(static_cast<size_t>(y) * width + x) * 4];
            const bool right = x >= halfW;
            const bool bottom = y >= halfH;
            if (!right && !bottom) {
                const uint8_t* bar = kBars[std::min(7, x * 8 / halfW)];
                p[0] = bar[0], p[1] = bar[1], p[2] = bar[2], p[3] = 255;
            } else if (right && !bottom) {
                const uint8_t v = ((x / 8 + y / 8) % 2 == 0) ? 255 : 0;
                p[0] = p[1] = p[2] = v, p[3] = 255;
            } else if (!right) {
                const uint8_t v = static_cast<uint8_t>(x * 255 / std::max(1, halfW - 1));
                p[0] = p[1] = p[2] = v, p[3] = 255;
            } else {
                p[0] = 255, p[1] = 128, p[2] = 0;
                p[3] = static_cast<uint8_t>((x - halfW) * 255 / std::max(1, width - halfW - 1));
            }
        }
    }
    auto corner = [&](int x, int y, uint8_t r, uint8_t g, uint8_t b) {
        uint8_t* p = &picture.pixels[(static_cast<size_t>(y) * width + x) * 4];
        p[0] = r, p[1] = g, p[2] = b, p[3] = 255;
    };
    corner(0, 0, 255, 0, 0);
    corner(width - 1, 0, 0, 255, 0);
    corner(0, height - 1, 0, 0, 255);
    corner(width - 1, height - 1, 255, 255, 255);
    return picture;
}

}  // namespace Varnok
