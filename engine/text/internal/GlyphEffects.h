// The four glyph effects, applied in place to a 16-bit glyph image whose
// high byte is alpha and low byte luminance. One cache per font keeps what
// the effects build once: edge points, outline discs and blur tables.
#pragma once

#include "engine/core/Mutex.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace Varnok {

// The bevel's parameters as the glyph key quantises them.
struct BevelKey {
    int size = 0;      // 0..63 pixels
    int softness = 0;  // 0..63, 63 = softness 10
    int angle = 0;     // 0..15 sixteenths of a turn
    int depth = 0;     // 0..3 thirds of a right angle
};

BevelKey QuantiseBevel(float size, float softness, float angle, float depth);

class GlyphEffectCache {
public:
    // Requires for all: width x height pixels, both at most a few thousand.
    void ApplyOutline(uint16_t* pixels, int width, int height, unsigned radius);
    void ApplyGlow(uint16_t* pixels, int width, int height, int radius);
    void ApplyInnerGlow(uint16_t* pixels, int width, int height, int radius);
    void ApplyBevel(uint16_t* pixels, int width, int height, const BevelKey& bevel);

private:
    struct EdgePoint {
        uint16_t x, y, value;
    };
    void CollectEdgePoints(const uint16_t* pixels, int width, int height);
    const uint8_t* GetDisc(int level);
    const std::vector<float>& GetBlurTable(int radius);
    // The alpha of every pixel blurred by radius, written back as alpha with
    // luminance 255.
    void Blur(uint16_t* pixels, int width, int height, int radius);

    Mutex m_mutex;  // the edge points and the discs
    std::vector<EdgePoint> m_edgePoints;
    int m_discRadius = 0;  // n = outline radius + 1; 0 before the first disc
    size_t m_discCapacity = 0;
    std::unique_ptr<uint8_t[]> m_discs;
    uint64_t m_discsBuilt = 0;  // one bit per alpha level
    std::map<int, std::vector<float>> m_blurTables;  // (2r + 1) x 256 per radius
    std::vector<uint8_t> m_blurScratch;
    std::vector<uint16_t> m_copy;
    struct BevelRecord {
        float nx, ny, distance;
    };
    std::vector<BevelRecord> m_bevelRecords;
};

}  // namespace Varnok
