// The look of every blade, set by the equipped blade item: its palette and
// how the trail walks it, the ribbon's shape, texture, particles and the
// juice colour override. Slashes read it every frame. Main thread only.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/Texture.h"

#include <cstdint>

namespace Varnok {

class Random;

enum BladeColourMode : int32_t {
    kBladeColourNone = 0,        // still; the trail shows the palette as a gradient
    kBladeColourLerp = 1,        // walks the palette at `speed` steps per second
    kBladeColourPerSlash = 2,    // one step per new stroke
    kBladeColourContinuous = 3,  // accepted; nothing treats it specially
};

struct BladeLook {
    static constexpr int kPaletteSize = 16;

    Colour palette[kPaletteSize];
    int32_t paletteCount = 1;
    int32_t mode = kBladeColourNone;
    float speed = 1.0f;
    float position = 0.0f;  // 0..paletteCount
    Colour currentColour = kColourWhite;
    Colour splatColour{0, 0, 0, 0};  // opaque black means no override
    uint8_t particleMode = 0;        // 0 none, 1 stroke particles, 2 turned with the stroke
    uint32_t particles = 0;          // name hashes; 0 none
    uint32_t contactParticles = 0;
    uint32_t releaseParticles = 0;
    SmartPtr<Texture> texture;  // null draws the default blade texture
    float length = 1.0f;        // a point shrinks to its end thickness in length / 5 s
    float startThickness = 1.0f;  // half-width 9 x thickness
    float endThickness = 0.0f;
    float pointScale = 1.0f;  // the tip lies 2.5 x pointScale half-widths ahead
    float uvLength = 0.0f;    // 0: the texture spans the whole trail
    uint8_t slashFlash = 0;
    uint8_t flipForUpsideDown = 1;
};

// The one look.
BladeLook& GetBladeLook();

// The blade's shape, in the order SetParameters takes it.
struct BladeShape {
    float length = 1.0f;
    float startThickness = 1.0f;
    float endThickness = 0.0f;
    float pointScale = 1.0f;
    uint8_t slashFlash = 0;
    uint8_t flipForUpsideDown = 0;
    float uvLength = 0.0f;
};

// What an equipped blade item gives.
struct BladeItemDef {
    const Colour* colours = nullptr;
    int32_t count = 1;  // at most BladeLook::kPaletteSize are kept
    int32_t mode = kBladeColourNone;
    float speed = 1.0f;
    Colour splatColour{0, 0, 0, 255};
    SmartPtr<Texture> texture;  // null: the default blade texture
    // Name hashes of particle systems the particle manager holds; 0 none.
    uint32_t particles = 0;
    bool directional = false;
    uint32_t contactParticles = 0;
    uint32_t releaseParticles = 0;
};

class BladeColourCycle {
public:
    // No blade: white, still, no particles, no override, no texture.
    static void Reset();
    // Stores the shape. With no blade equipped the item side calls Reset
    // and then this with the default shape (BladeShape{}), which shows a
    // blade at the finger.
    static void SetParameters(float length, float startThickness, float endThickness, float pointScale,
                              uint8_t slashFlash, uint8_t flipForUpsideDown, float uvLength);
    static void SetParameters(const BladeShape& shape);
    // Advances the position by x palette steps (times the speed), stores the
    // colour there in *out when out is given, and answers it.
    static Colour Update(Colour* out, float x);
};

// Installs an equipped blade's look; random gives the start of a per-slash
// palette.
void ApplyBladeItem(const BladeItemDef& def, Random& random);

// "NONE", "LERP", "PER_SLASH", "CONTINUOUS" (any case); anything else 0.
int32_t BladeModeFromName(const char* name);

}  // namespace Varnok
