// Kerning between neighbours and the wrapping of effect angles.
#include "engine/text/Glyph.h"

#include "engine/text/Font.h"
#include "engine/text/GlyphEffect.h"

#include <cmath>

namespace Varnok {

float WrapEffectAngle(float radians) {
    constexpr float kTurn = 6.28318f;
    if (!std::isfinite(radians)) {
        return 0.0f;
    }
    float wrapped = std::fmod(radians, kTurn);
    if (wrapped < 0.0f) {
        wrapped += kTurn;
    }
    return wrapped >= kTurn ? 0.0f : wrapped;
}

GlyphEffect GlyphEffect::MakeBevel(float size, float softness, float angle, float depth) {
    return GlyphEffect(Bevel, size, softness, WrapEffectAngle(angle), WrapEffectAngle(depth));
}

float Glyph::GetAdvanceWithKerning(const Glyph* next) const {
    if (next == nullptr || next->size != size || next->font != font || font == nullptr) {
        return advanceX;
    }
    return advanceX + font->GetKerning(character, next->character, size);
}

}  // namespace Varnok
