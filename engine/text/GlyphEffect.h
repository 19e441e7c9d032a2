// The effect part of a glyph request: none, outline, glow, inner glow or
// bevel, with its parameters. Glyphs with different effects are cached apart.
#pragma once

#include <cstdint>

namespace Varnok {

struct GlyphEffect {
    enum Type : uint32_t { None = 0, Outline = 1, Glow = 2, InnerGlow = 3, Bevel = 4 };

    uint32_t type = None;
    // Outline, glow, inner glow: params[0] is the size in pixels. Bevel:
    // size, softness, light angle (radians), depth (radians, 0..pi/2).
    float params[4] = {0.0f, 0.0f, 0.0f, 0.0f};

    GlyphEffect() = default;
    GlyphEffect(uint32_t effectType, float p0, float p1 = 0.0f, float p2 = 0.0f, float p3 = 0.0f)
        : type(effectType), params{p0, p1, p2, p3} {}

    // The bevel with its angle and depth wrapped into [0, 2 pi).
    static GlyphEffect MakeBevel(float size, float softness, float angle, float depth);
};

// Brings an angle into [0, 6.28318) by whole turns; NaN gives 0.
float WrapEffectAngle(float radians);

}  // namespace Varnok
