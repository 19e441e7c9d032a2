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

namespace Varnok {

namespace {

void SetPixel(RgbaPicture& picture, int x, int y, uint8_t r, uint8_t g, uint8_t b, float alpha) {
    uint8_t* p = &picture.pixels[(static_cast<size_t>(y) * picture.width + x) * 4];
    p[0] = r;
    p[1] = g;
    p[2] = b;
    p[3] = static_cast<uint8_t>(std::lround(std::clamp(alpha, 0.0f, 1.0f) * 255.0f));
}

// A blob of radius about 0.4 of the cell with a wavy edge, white, centred
// in the cell (x0, y0, w, h) in pixels; seed varies the edge.
void PaintBlob(RgbaPicture& picture, int x0, int y0, int w, int h, int seed) {
    const float cx = x0 + w * 0.5f;
    const float cy = y0 + h * 0.5f;
    const float radius = 0.4f * static_cast<float>(std::min(w, h));
    const float stretch = static_cast<float>(w) / static_cast<float>(std::max(1, h));
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) {
            const float dx = (x + 0.5f - cx) / stretch;
            const float dy = y + 0.5f - cy;
            const float a = std::atan2(dy, dx);
            const float edge = radius * (0.8f + 0.12f * std::sin(5.0f * a + seed) + 0.08f * std::sin(11.0f * a + 2.0f * seed));
            const float d = std::hypot(dx, dy);
            SetPixel(picture, x, y, 255, 255, 255, std::clamp(edge - d + 0.5f, 0.0f, 1.0f));
        }
    }
}

}  // namespace

RgbaPicture DrawBladeRibbon(int width, int height, float softness) {
    RgbaPicture picture = Blank(width, height);
    for (int y = 0; y < height; ++y) {
        const float v = (y + 0.5f) / static_cast<float>(height);
        const float across = 1.0f - std::fabs(v - 0.5f) * 2.0f;  // 1 on the centre line, 0 at the edges
        for (int x = 0; x < width; ++x) {
            const float u = (x + 0.5f) / static_cast<float>(width);
            const float along = std::min(1.0f, u * 4.0f);  // the old end fades in
            SetPixel(picture, x, y, 255, 255, 255, std::pow(across, softness) * along);
        }
    }
    return picture;
}

RgbaPicture DrawRopeStrand(int width, int height) {
    RgbaPicture picture = Blank(width, height);
    constexpr float kTwists = 2.0f;  // strands crossing the strip per tile
    for (int y = 0; y < height; ++y) {
        const float v = (y + 0.5f) / static_cast<float>(height);
        const float edge = std::clamp((0.5f - std::fabs(v - 0.5f)) * 10.0f, 0.0f, 1.0f);
        for (int x = 0; x < width; ++x) {
            const float u = (x + 0.5f) / static_cast<float>(width);
            // Strands run diagonally; the phase wraps at u = 1 so tiles join.
            const float phase = u * kTwists + v;
            const float strand = 0.5f + 0.5f * std::cos(phase * 2.0f * 3.14159265f);
            const float shade = 0.45f + 0.55f * strand * (1.0f - 0.4f * std::fabs(v - 0.5f));
            SetPixel(picture, x, y, static_cast<uint8_t>(190 * shade), static_cast<uint8_t>(140 * shade),
                     static_cast<uint8_t>(80 * shade), edge);
        }
    }
    return picture;
}

RgbaPicture DrawModIcon(int size, uint8_t r, uint8_t g, uint8_t b, int mark) {
    RgbaPicture picture = Blank(size, size);
    const float centre = size * 0.5f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float px = (x + 0.5f - centre) / centre;  // -1..1
            const float py = (y + 0.5f - centre) / centre;
            const float d = std::sqrt(px * px + py * py);
            const float disc = std::clamp((1.0f - d) * centre * 0.5f, 0.0f, 1.0f);
            bool marked = false;
            switch (mark & 3) {
                case 0:  // a dot
                    marked = d < 0.35f;
                    break;
                case 1:  // a bar across
                    marked = std::fabs(py) < 0.15f && std::fabs(px) < 0.6f;
                    break;
                case 2:  // a ring
                    marked = d > 0.4f && d < 0.6f;
                    break;
                default:  // an upward arrow
                    marked = (std::fabs(px) < 0.12f && py > -0.2f && py < 0.6f) ||
                             (py <= -0.2f && py > -0.6f && std::fabs(px) < (py + 0.6f));
                    break;
            }
            const uint8_t lift = marked ? 110 : 0;
            SetPixel(picture, x, y, static_cast<uint8_t>(std::min(255, r + lift)),
                     static_cast<uint8_t>(std::min(255, g + lift)), static_cast<uint8_t>(std::min(255, b + lift)),
                     disc);
        }
    }
    return picture;
}

RgbaPicture DrawFlatWhite(int width, int height) {
    RgbaPicture picture = Blank(width, height);
    std::fill(picture.pixels.begin(), picture.pixels.end(), 255);
    return picture;
}

RgbaPicture DrawSoftShadow(int size, float strength) {
    RgbaPicture picture = Blank(size, size);
    const float centre = size * 0.5f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float d = Distance(x + 0.5f, y + 0.5f, centre, centre) / centre;
            SetPixel(picture, x, y, 0, 0, 0, strength * std::clamp(1.0f - d * d, 0.0f, 1.0f));
        }
    }
    return picture;
}

RgbaPicture DrawSunburst(int size, int rays) {
    RgbaPicture picture = Blank(size, size);
    const float centre = size * 0.5f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float d = Distance(x + 0.5f, y + 0.5f, centre, centre) / centre;
            const float angle = std::atan2(y + 0.5f - centre, x + 0.5f - centre);
            const float beam = std::pow(std::fabs(std::cos(angle * static_cast<float>(rays) / 2.0f)), 6.0f);
            const float fall = std::clamp(1.0f - d, 0.0f, 1.0f);
            SetPixel(picture, x, y, 255, 250, 220, std::clamp(beam * fall * 1.5f, 0.0f, 1.0f));
        }
    }
    return picture;
}

RgbaPicture DrawShockRing(int size, float ringFraction) {
    RgbaPicture picture = Blank(size, size);
    const float centre = size * 0.5f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float d = Distance(x + 0.5f, y + 0.5f, centre, centre) / centre;
            // Brightest on the ring, a soft inner glow, nothing outside it.
            const float ring = std::clamp(1.0f - std::fabs(d - ringFraction) * 12.0f, 0.0f, 1.0f);
            const float inner = d < ringFraction ? 0.25f * d / ringFraction : 0.0f;
            SetPixel(picture, x, y, 255, 255, 255, std::max(ring, inner));
        }
    }
    return picture;
}

RgbaPicture DrawSplashAtlas(int size) {
    RgbaPicture picture = Blank(size, size);
    const int half = size / 2;
    const int quarter = size / 4;
    // Four small splats in the top half, two wide smears below.
    PaintBlob(picture, 0, 0, half, quarter, 1);
    PaintBlob(picture, half, 0, half, quarter, 2);
    PaintBlob(picture, 0, quarter, half, quarter, 3);
    PaintBlob(picture, half, quarter, half, quarter, 4);
    PaintBlob(picture, 0, 2 * quarter, size, quarter, 5);
    PaintBlob(picture, 0, 3 * quarter, size, quarter, 6);
    return picture;
}

RgbaPicture DrawFruitBadge(int size, uint8_t r, uint8_t g, uint8_t b) {
    RgbaPicture picture = Blank(size, size);
    Paint(picture, Colour{r / 255.0f, g / 255.0f, b / 255.0f, 1.0f},
          [](float x, float y) { return Distance(x, y, 0.5f, 0.5f) < 0.42f; });
    Paint(picture, Colour{1.0f, 1.0f, 1.0f, 0.55f},
          [](float x, float y) { return Distance(x, y, 0.38f, 0.36f) < 0.1f; });
    return picture;
}

RgbaPicture DrawPlusFiftyBadge(int width, int height) {
    RgbaPicture picture = Blank(width, height);
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    Paint(picture, Colour{1.0f, 0.85f, 0.2f, 1.0f}, [aspect](float x, float y) {
        return Distance(x, y, aspect * 0.5f, 0.5f) < 0.45f;
    });
    // A plus sign on the gold disc.
    Paint(picture, Colour{1.0f, 1.0f, 1.0f, 1.0f}, [aspect](float x, float y) {
        const float dx = std::fabs(x - aspect * 0.5f);
        const float dy = std::fabs(y - 0.5f);
        return (dx < 0.25f && dy < 0.06f) || (dx < 0.06f && dy < 0.25f);
    });
    return picture;
}

RgbaPicture DrawBackIcon(int size) {
    RgbaPicture picture = Blank(size, size);
    Paint(picture, Colour{0.1f, 0.08f, 0.06f, 0.85f},
          [](float x, float y) { return Distance(x, y, 0.5f, 0.5f) < 0.46f; });
    // The head of the arrow and its shaft.
    Paint(picture, Colour{1.0f, 1.0f, 1.0f, 1.0f}, [](float x, float y) {
        const bool head = x > 0.22f && x < 0.5f && std::fabs(y - 0.5f) < (x - 0.22f);
        const bool shaft = x >= 0.45f && x < 0.76f && std::fabs(y - 0.5f) < 0.08f;
        return head || shaft;
    });
    return picture;
}

RgbaPicture DrawPaintStroke(int width, int height) {
    RgbaPicture picture = Blank(width, height);
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    Paint(picture, Colour{1.0f, 1.0f, 1.0f, 1.0f}, [aspect](float x, float y) {
        // Bristle streaks make the ends ragged; the body is a slight arc.
        const float u = x / aspect;
        const float centre = 0.5f + 0.08f * std::sin(u * 3.14159f);
        const float half = 0.34f * std::min(1.0f, std::min(u, 1.0f - u) * 6.0f);
        const float streak = 0.04f * std::sin(y * 61.0f) + 0.03f * std::sin(y * 23.0f + 1.0f);
        return std::fabs(y - centre) < half && u > 0.02f + streak + 0.03f && u < 0.95f + streak;
    });
    return picture;
}

RgbaPicture DrawFlash(int size) {
    RgbaPicture picture = Blank(size, size);
    const float centre = size * 0.5f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float d = Distance(x + 0.5f, y + 0.5f, centre, centre) / centre;
            SetPixel(picture, x, y, 255, 255, 255, std::clamp(1.2f - d * 0.7f, 0.0f, 1.0f));
        }
    }
    return picture;
}

RgbaPicture DrawExplosionRay(int width, int height) {
    RgbaPicture picture = Blank(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float across = std::fabs((x + 0.5f) / width - 0.5f) * 2.0f;
            const float along = 1.0f - (y + 0.5f) / height;
            const float alpha = std::clamp((1.0f - across * across) * (0.35f + 0.65f * along), 0.0f, 1.0f);
            SetPixel(picture, x, y, 255, 250, 220, alpha);
        }
    }
    return picture;
}

RgbaPicture DrawParticleSprite(int size, int shape) {
    RgbaPicture picture = Blank(size, size);
    const float centre = size * 0.5f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float dx = (x + 0.5f - centre) / centre;
            const float dy = (y + 0.5f - centre) / centre;
            const float d = std::sqrt(dx * dx + dy * dy);
            float alpha = 0.0f;
            switch (shape) {
                case 0:
                    alpha = std::clamp(1.0f - d, 0.0f, 1.0f);
                    alpha *= alpha;
                    break;
                case 1:
                    alpha = std::clamp(1.0f - d, 0.0f, 1.0f) * (0.75f + 0.25f * std::sin(dx * 9.0f + dy * 7.0f));
                    break;
                case 2:
                    alpha = std::clamp(1.0f - (std::fabs(dx) * std::fabs(dy) * 12.0f + d * 0.6f), 0.0f, 1.0f);
                    break;
                default: {
                    // |x|^2 + (y - sqrt|x|)^2 <= 1, scaled: the classic heart curve.
                    const float hx = dx * 1.3f;
                    const float hy = -dy * 1.3f + 0.3f;
                    const float q = hy - std::sqrt(std::fabs(hx)) * 0.8f;
                    alpha = hx * hx + q * q <= 1.0f ? 1.0f : 0.0f;
                    break;
                }
            }
            SetPixel(picture, x, y, 255, 255, 255, std::clamp(alpha, 0.0f, 1.0f));
        }
    }
    return picture;
}

RgbaPicture DrawBackground(int width, int height, int layer) {
    RgbaPicture picture = Blank(width, height);
    const int planks = 5;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float u = (x + 0.5f) / width;
            const float v = (y + 0.5f) / height;
            if (layer == 0) {
                // Vertical planks with grain and dark seams.
                const float plank = u * planks;
                const float seam = std::fabs(plank - std::round(plank)) < 0.02f ? 0.45f : 1.0f;
                const float grain = 0.85f + 0.15f * std::sin(v * 40.0f + std::floor(plank) * 2.3f +
                                                            std::sin(v * 7.0f) * 3.0f);
                const float light = seam * grain;
                SetPixel(picture, x, y, static_cast<uint8_t>(150 * light), static_cast<uint8_t>(100 * light),
                         static_cast<uint8_t>(60 * light), 1.0f);
            } else {
                // Darker towards the corners, clear in the middle.
                const float d = Distance(u, v, 0.5f, 0.5f) / 0.7071f;
                SetPixel(picture, x, y, 0, 0, 0, std::clamp((d - 0.45f) * 1.2f, 0.0f, 0.75f));
            }
        }
    }
    return picture;
}

RgbaPicture DrawNinePatchFrame(int size) {
    RgbaPicture picture{size, size, std::vector<uint8_t>(static_cast<size_t>(size) * size * 4)};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            uint8_t* p = &picture.pixels[(static_cast<size_t>(y) * size + x) * 4];
            const int edge = std::min(std::min(x, y), std::min(size - 1 - x, size - 1 - y));
            if (edge < 2) {  // the rim
                p[0] = 240, p[1] = 220, p[2] = 150, p[3] = 255;
            } else if (edge < 12) {  // the border
                p[0] = 90, p[1] = 60, p[2] = 30, p[3] = 255;
            } else {  // the middle
                p[0] = 40, p[1] = 30, p[2] = 20, p[3] = 200;
            }
        }
    }
    return picture;
}

RgbaPicture DrawNumberedSheet(int columns, int rows, int cell) {
    const int width = columns * cell;
    const int height = rows * cell;
    RgbaPicture picture{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
    const uint8_t colours[8][3] = {{220, 60, 60},  {230, 150, 40}, {220, 210, 50}, {80, 190, 70},
                                   {60, 170, 200}, {70, 90, 220},  {150, 70, 200}, {200, 80, 150}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int frame = (y / cell) * columns + x / cell;
            const uint8_t* c = colours[frame % 8];
            uint8_t* p = &picture.pixels[(static_cast<size_t>(y) * width + x) * 4];
            p[0] = c[0], p[1] = c[1], p[2] = c[2], p[3] = 255;
            // frame + 1 dots along the cell's middle row.
            const int cx = x % cell;
            const int cy = y % cell;
            const int spacing = cell / 9;
            const int dot = cx / spacing;
            if (cy >= cell / 2 - 2 && cy < cell / 2 + 2 && cx % spacing >= 1 && cx % spacing <= 3 &&
                dot >= 1 && dot <= frame + 1) {
                p[0] = 255, p[1] = 255, p[2] = 255;
            }
        }
    }
    return picture;
}

}  // namespace Varnok
