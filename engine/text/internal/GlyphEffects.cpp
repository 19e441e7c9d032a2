// Outline (max of precomputed discs stamped on the edge), glow and inner glow
// (a separable blur of the alpha) and bevel (edge normals lit from a
// direction) on 16-bit glyph images: alpha in the high byte.
#include "engine/text/internal/GlyphEffects.h"

#include "engine/core/MathUtil.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Varnok {
namespace {

constexpr float kTurn = 6.28318f;
constexpr float kRightAngle = 1.570795f;
constexpr uint16_t kTransparent = 0x00FF;

inline int AlphaOf(uint16_t pixel) {
    return pixel >> 8;
}

inline uint16_t PixelWithAlpha(int alpha) {
    return static_cast<uint16_t>((alpha << 8) | 0xFF);
}

// Adds 0.5 and truncates, as the key's other fields do.
int RoundedFraction(float value, float full, int steps) {
    const float fraction = value / full;
    if (!(fraction > 0.0f)) {
        return 0;
    }
    return static_cast<int>(std::min(fraction, 1.0f) * steps + 0.5f);
}

}  // namespace

BevelKey QuantiseBevel(float size, float softness, float angle, float depth) {
    BevelKey key;
    const float clampedSize = std::isfinite(size) ? std::max(-1.0f, std::min(size, 1000.0f)) : 0.0f;
    const int s = static_cast<int>(clampedSize);
    key.size = s < 1 ? 0 : (s >= 63 ? 63 : s);
    key.softness = RoundedFraction(softness / 10.0f, 1.0f, 63);
    key.angle = RoundedFraction(angle, kTurn, 15);
    key.depth = RoundedFraction(depth, kRightAngle, 3);
    return key;
}

void GlyphEffectCache::CollectEdgePoints(const uint16_t* pixels, int width, int height) {
    m_edgePoints.clear();
    for (int y = 1; y <= height - 2; ++y) {
        for (int x = 1; x <= width - 2; ++x) {
            const uint16_t pixel = pixels[y * width + x];
            const int alpha = AlphaOf(pixel);
            if (alpha < 1) {
                continue;
            }
            const bool besideEmpty = AlphaOf(pixels[y * width + x - 1]) == 0 ||
                                     AlphaOf(pixels[y * width + x + 1]) == 0 ||
                                     AlphaOf(pixels[(y - 1) * width + x]) == 0 ||
                                     AlphaOf(pixels[(y + 1) * width + x]) == 0;
            if (alpha < 255 || besideEmpty) {
                if (m_edgePoints.size() == m_edgePoints.capacity()) {
                    m_edgePoints.reserve(m_edgePoints.capacity() < 1024 ? 1024
                                                                         : m_edgePoints.capacity() + 512);
                }
                m_edgePoints.push_back(EdgePoint{static_cast<uint16_t>(x), static_cast<uint16_t>(y),
                                                 pixel});
            }
        }
    }
}

const uint8_t* GlyphEffectCache::GetDisc(int level) {
    const int n = m_discRadius;
    const size_t discBytes = static_cast<size_t>(2 * n) * (2 * n);
    uint8_t* disc = m_discs.get() + discBytes * level;
    if ((m_discsBuilt >> level & 1u) != 0) {
        return disc;
    }
    // Any alpha of the level has the same top five bits.
    const int alpha = level << 2;
    const float inset = static_cast<float>(alpha & 0xF8) / 255.0f;
    const float edge = static_cast<float>(n - 1);
    for (int j = -n; j < n; ++j) {
        for (int i = -n; i < n; ++i) {
            const float d = std::sqrt(static_cast<float>(i * i + j * j)) - inset;
            int value = 0;
            if (d < edge) {
                if (d < 0.01f) {
                    value = 255;
                } else {
                    const float v = (1.0f - std::pow(d / edge, static_cast<float>(n))) * 255.0f;
                    value = static_cast<int>(std::max(0.0f, std::min(v, 255.0f)));
                }
            }
            disc[(j + n) * (2 * n) + (i + n)] = static_cast<uint8_t>(value);
        }
    }
    m_discsBuilt |= uint64_t{1} << level;
    return disc;
}

void GlyphEffectCache::ApplyOutline(uint16_t* pixels, int width, int height, unsigned radius) {
    MutexLock lock(m_mutex);
    CollectEdgePoints(pixels, width, height);
    const int n = static_cast<int>(radius) + 1;
    if (n != m_discRadius) {
        const size_t side = static_cast<size_t>(std::max(n, 4));
        const size_t needed = 256 * side * side;
        if (m_discCapacity < needed) {
            m_discs.reset(new uint8_t[needed]);
            m_discCapacity = needed;
        }
        m_discsBuilt = 0;
        m_discRadius = n;
    }
    for (const EdgePoint& point : m_edgePoints) {
        const int alpha = AlphaOf(point.value);
        const uint8_t* disc = GetDisc(alpha >> 2);
        const int x0 = std::max(0, point.x - n);
        const int y0 = std::max(0, point.y - n);
        const int x1 = std::min(point.x + n, width);
        const int y1 = std::min(point.y + n, height);
        for (int y = y0; y < y1; ++y) {
            const uint8_t* discRow = disc + (y - point.y + n) * (2 * n);
            uint16_t* row = pixels + y * width;
            for (int x = x0; x < x1; ++x) {
                const int value =
                    std::max(AlphaOf(row[x]), static_cast<int>(discRow[x - point.x + n]));
                row[x] = PixelWithAlpha(value);
            }
        }
    }
}

const std::vector<float>& GlyphEffectCache::GetBlurTable(int radius) {
    auto found = m_blurTables.find(radius);
    if (found != m_blurTables.end()) {
        return found->second;
    }
    std::vector<float> weights(2 * radius + 1);
    float sum = 0.0f;
    for (int k = -radius; k <= radius; ++k) {
        float w = 1.0f - static_cast<float>(std::abs(k)) / radius + 0.2f;
        w = std::max(0.0f, std::min(w, 1.0f));
        weights[k + radius] = w * w;
        sum += w * w;
    }
    std::vector<float> table(weights.size() * 256);
    for (size_t k = 0; k < weights.size(); ++k) {
        for (int v = 0; v < 256; ++v) {
            table[k * 256 + v] = v == 0 ? 0.0f : static_cast<float>(v) * weights[k] / sum;
        }
    }
    return m_blurTables.emplace(radius, std::move(table)).first->second;
}

void GlyphEffectCache::Blur(uint16_t* pixels, int width, int height, int radius) {
    const std::vector<float>& table = GetBlurTable(radius);
    const size_t count = static_cast<size_t>(width) * height;
    m_blurScratch.resize(count);
    uint8_t* columnPass = m_blurScratch.data();
    auto toByte = [](float sum) {
        return static_cast<uint8_t>(sum >= 255.0f ? 255 : static_cast<int>(sum));
    };
    for (int y = 0; y < height; ++y) {
        const int k0 = std::max(-radius, -y);
        const int k1 = std::min(radius, height - 1 - y);
        for (int x = 0; x < width; ++x) {
            float sum = 0.0f;
            for (int k = k0; k <= k1; ++k) {
                sum += table[(k + radius) * 256 + AlphaOf(pixels[(y + k) * width + x])];
            }
            columnPass[y * width + x] = toByte(sum);
        }
    }
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = columnPass + y * width;
        for (int x = 0; x < width; ++x) {
            const int k0 = std::max(-radius, -x);
            const int k1 = std::min(radius, width - 1 - x);
            float sum = 0.0f;
            for (int k = k0; k <= k1; ++k) {
                sum += table[(k + radius) * 256 + row[x + k]];
            }
            pixels[y * width + x] = PixelWithAlpha(toByte(sum));
        }
    }
}

void GlyphEffectCache::ApplyGlow(uint16_t* pixels, int width, int height, int radius) {
    MutexLock lock(m_mutex);
    Blur(pixels, width, height, radius);
}

void GlyphEffectCache::ApplyInnerGlow(uint16_t* pixels, int width, int height, int radius) {
    MutexLock lock(m_mutex);
    const size_t count = static_cast<size_t>(width) * height;
    m_copy.assign(pixels, pixels + count);
    for (size_t i = 0; i < count; ++i) {
        pixels[i] ^= 0xFF00;
    }
    Blur(pixels, width, height, radius);
    for (size_t i = 0; i < count; ++i) {
        const float kept = AlphaOf(m_copy[i]) / 255.0f;
        const float glow = AlphaOf(pixels[i]) / 255.0f;
        const int alpha = static_cast<int>(kept * glow * 255.0f);
        pixels[i] = static_cast<uint16_t>((alpha << 8) | (m_copy[i] & 0xFF));
    }
}

void GlyphEffectCache::ApplyBevel(uint16_t* pixels, int width, int height, const BevelKey& bevel) {
    MutexLock lock(m_mutex);
    CollectEdgePoints(pixels, width, height);
    const int s = bevel.size;
    const size_t count = static_cast<size_t>(width) * height;
    m_bevelRecords.assign(count, BevelRecord{0.0f, 0.0f, 10000000.0f});
    for (const EdgePoint& point : m_edgePoints) {
        const float inset = AlphaOf(point.value) / 255.0f;
        for (int dy = -s; dy < s; ++dy) {
            const int y = point.y + dy;
            if (y < 0 || y >= height) {
                continue;
            }
            for (int dx = -s; dx < s; ++dx) {
                const int x = point.x + dx;
                if (x < 0 || x >= width || AlphaOf(pixels[y * width + x]) < 1) {
                    continue;
                }
                BevelRecord& record = m_bevelRecords[y * width + x];
                if (dx == 0 && dy == 0) {
                    record.nx = 0.0f;
                    record.ny = 0.0f;
                }
                const float length = std::sqrt(static_cast<float>(dx * dx + dy * dy));
                const float distance = length + inset;
                record.distance = std::min(record.distance, distance);
                if (length > 0.01f) {
                    record.nx += dx / length * (s - distance);
                    record.ny += dy / length * (s - distance);
                }
            }
        }
    }

    const float angle = bevel.angle / 15.0f * kTurn;
    const float elevation = bevel.depth / 3.0f * kRightAngle;
    const float softness = bevel.softness / 63.0f * 10.0f;
    const float cosAngle = std::cos(angle);
    const float sinAngle = std::sin(angle);
    Vector3 light{std::cos(elevation) * cosAngle, -std::cos(elevation) * sinAngle,
                  std::sin(elevation)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint16_t& pixel = pixels[y * width + x];
            const BevelRecord& record = m_bevelRecords[y * width + x];
            if (record.distance >= s) {
                pixel = kTransparent;
                continue;
            }
            Vector2 normal;
            for (int ny = std::max(0, y - 1); ny <= std::min(height - 1, y + 1); ++ny) {
                for (int nx = std::max(0, x - 1); nx <= std::min(width - 1, x + 1); ++nx) {
                    normal.x += m_bevelRecords[ny * width + nx].nx;
                    normal.y += m_bevelRecords[ny * width + nx].ny;
                }
            }
            normal.Normalise();
            const float facing = -cosAngle * normal.x + sinAngle * normal.y - 0.125f;
            if (facing <= 0.0f) {
                pixel = kTransparent;
                continue;
            }
            const float h = 1.0f - std::max(record.distance / s, 0.0f);
            Vector3 surface{h * normal.x, h * normal.y,
                            softness * std::sqrt(std::max(0.0f, 1.0f - h * h))};
            surface.Normalise();
            const float m = std::min(1.5f, s - record.distance) / 1.5f;
            const float lit = std::min(255.0f, (1.0f - Dot(surface, light)) * 255.0f);
            const int value = static_cast<int>(m * m * std::min(2.0f * facing, 1.0f) * lit);
            pixel = PixelWithAlpha(std::max(0, std::min(value, AlphaOf(pixel))));
        }
    }
}

}  // namespace Varnok
