// The blade colour cycle and the installing of blade looks.
#include "game/world/BladeColours.h"

#include "engine/core/HashName.h"
#include "engine/core/Random.h"

#include <cmath>
#include <cstring>

namespace Varnok {

BladeLook& GetBladeLook() {
    static BladeLook s_look;
    return s_look;
}

void BladeColourCycle::Reset() {
    BladeLook& look = GetBladeLook();
    look.particleMode = 0;
    look.particles = look.contactParticles = look.releaseParticles = 0;
    look.splatColour = Colour(0, 0, 0, 0);
    look.position = 0.0f;
    look.paletteCount = 1;
    look.mode = kBladeColourNone;
    look.texture = SmartPtr<Texture>();
    for (Colour& colour : look.palette) {
        colour = kColourWhite;
    }
    look.currentColour = kColourWhite;
}

void BladeColourCycle::SetParameters(float length, float startThickness, float endThickness, float pointScale,
                                     uint8_t slashFlash, uint8_t flipForUpsideDown, float uvLength) {
    BladeLook& look = GetBladeLook();
    look.length = length;
    look.startThickness = startThickness;
    look.endThickness = endThickness;
    look.pointScale = pointScale;
    look.slashFlash = slashFlash;
    look.flipForUpsideDown = flipForUpsideDown;
    look.uvLength = uvLength;
}

void BladeColourCycle::SetParameters(const BladeShape& shape) {
    SetParameters(shape.length, shape.startThickness, shape.endThickness, shape.pointScale, shape.slashFlash,
                  shape.flipForUpsideDown, shape.uvLength);
}

Colour BladeColourCycle::Update(Colour* out, float x) {
    BladeLook& look = GetBladeLook();
    const int count = look.paletteCount < 1 ? 1 : look.paletteCount;
    if (x != 0.0f) {
        if (count == 1) {
            look.currentColour = look.palette[0];
        } else {
            look.position += x * look.speed;
            const float total = static_cast<float>(count);
            while (look.position > total) {
                look.position -= total;
            }
            if (look.position < 0.0f) {
                if (look.mode == kBladeColourNone) {
                    while (look.position < 0.0f) {
                        look.position += total;
                    }
                } else {
                    look.position = 0.0f;
                }
            }
            const float whole = std::floor(look.position);
            const float fraction = look.position - whole;
            const int i = static_cast<int>(whole);
            if (fraction < 0.01f || fraction > 0.99f) {
                const int nearest = fraction > 0.99f ? i + 1 : i;
                look.currentColour = look.palette[nearest % count];
            } else {
                const Colour& a = look.palette[i % count];
                const Colour& b = look.palette[(i + 1) % count];
                auto mix = [fraction](uint8_t from, uint8_t to) {
                    return static_cast<uint8_t>(from + (static_cast<float>(to) - from) * fraction);
                };
                look.currentColour = Colour(mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), mix(a.a, b.a));
            }
        }
    }
    if (out != nullptr) {
        *out = look.currentColour;
    }
    return look.currentColour;
}

void ApplyBladeItem(const BladeItemDef& def, Random& random) {
    BladeLook& look = GetBladeLook();
    int count = def.count;
    if (count < 1 || def.colours == nullptr) {
        count = 1;
    }
    if (count > BladeLook::kPaletteSize) {
        count = BladeLook::kPaletteSize;  // the palette holds 16
    }
    look.paletteCount = count;
    look.mode = def.mode;
    look.speed = def.speed;
    look.splatColour = def.splatColour;
    for (int i = 0; i < count; ++i) {
        look.palette[i] = def.colours != nullptr ? def.colours[i] : kColourWhite;
    }
    look.currentColour = look.palette[0];
    look.position = def.mode == kBladeColourPerSlash ? static_cast<float>(random.NextBelow(static_cast<uint32_t>(count)))
                                                     : 0.0f;
    look.particleMode = 0;
    look.particles = look.contactParticles = look.releaseParticles = 0;
    look.texture = def.texture;
    if (def.particles != 0) {
        look.particles = def.particles;
        look.particleMode = def.directional ? 2 : 1;
    }
    look.contactParticles = def.contactParticles;
    look.releaseParticles = def.releaseParticles;
    // The live slashes pick the look up at their next stroke point.
}

int32_t BladeModeFromName(const char* name) {
    if (name == nullptr || name[0] == '\0') {
        return kBladeColourNone;
    }
    static const uint32_t s_lerp = HashName("LERP", 4);
    static const uint32_t s_perSlash = HashName("PER_SLASH", 9);
    static const uint32_t s_continuous = HashName("CONTINUOUS", 10);
    const uint32_t hash = HashName(name, static_cast<int>(strlen(name)));
    if (hash == s_lerp) {
        return kBladeColourLerp;
    }
    if (hash == s_perSlash) {
        return kBladeColourPerSlash;
    }
    if (hash == s_continuous) {
        return kBladeColourContinuous;
    }
    return kBladeColourNone;
}

}  // namespace Varnok
