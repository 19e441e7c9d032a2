// The pictures the tool draws itself, as RGBA bytes (red first), rows from
// the top.
#pragma once

#include <cstdint>
#include <vector>

namespace Varnok {

struct RgbaPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // width x height x 4
};

// The start-up logo: a sliced fruit and a blade stroke on a clear background,
// anti-aliased.
RgbaPicture DrawLogo(int width, int height);

// Orientation and format checks: colour bars in the top-left quarter, an
// 8-pixel checkerboard top-right, a grey ramp bottom-left and an alpha ramp
// bottom-right; the corner pixels are red (top-left), green (top-right),
// blue (bottom-left) and white (bottom-right).
RgbaPicture DrawTestPattern(int width, int height);

// The blade's ribbon: white, opaque along the centre line (v 0.5) and
// clear at both edges, fading in over the old end (u 0); softness above 1
// narrows the bright core (the glow uses less).
RgbaPicture DrawBladeRibbon(int width, int height, float softness);
// A braided rope running along u: brown strands twisting at a slant, dark
// between them and clear in a thin margin at both edges (v 0 and 1). The
// strip is repeated once a link, so the twist tiles along u.
RgbaPicture DrawRopeStrand(int width, int height);
// A round icon for a challenge mod: a coloured disc with a lighter mark
// whose shape (0 to 3) tells mods apart at a glance.
RgbaPicture DrawModIcon(int size, uint8_t r, uint8_t g, uint8_t b, int mark);
// Opaque white.
RgbaPicture DrawFlatWhite(int width, int height);
// A round black shadow, darkest (alpha = strength) in the middle.
RgbaPicture DrawSoftShadow(int size, float strength);
// The splatter atlas: four small white splats over the top half (cells of
// half the width and a quarter of the height) and two wide smears below.
RgbaPicture DrawSplashAtlas(int size);
// A round fruit-coloured badge with a highlight, for the HUD and results.
RgbaPicture DrawFruitBadge(int size, uint8_t r, uint8_t g, uint8_t b);
// The ultra-rare bonus badge: a gold disc with a plus.
RgbaPicture DrawPlusFiftyBadge(int width, int height);
// The menus' back icon: a white arrow pointing left on a dark round plate.
RgbaPicture DrawBackIcon(int size);
// A white brush stroke, ragged at both ends, that the menus tint.
RgbaPicture DrawPaintStroke(int width, int height);
// The screen flash: white, opaque in the middle and fading towards the edges.
RgbaPicture DrawFlash(int size);
// A ray of an exploding bomb: white, bright at its far end (v = 0), fading
// towards its origin and its sides.
RgbaPicture DrawExplosionRay(int width, int height);
// A white sunburst of soft rays fading outwards (the super-fruit glow).
RgbaPicture DrawSunburst(int size, int rays);
// A bright ring at ringFraction of the radius with a faint inside (shock discs).
RgbaPicture DrawShockRing(int size, float ringFraction);
// Particle sprites, white so that particle colours tint them: 0 a soft dot,
// 1 a smoke puff, 2 a four-pointed spark, 3 a heart.
RgbaPicture DrawParticleSprite(int size, int shape);
// The play-field background: wood planks (layer 0), or the vignette drawn
// over them (layer 1).
RgbaPicture DrawBackground(int width, int height, int layer);

// A nine-patch frame of size x size for the UI's windows, cut as the
// built-in segmentation cuts it (15-pixel left and top borders, 16-pixel
// right and bottom ones): a light rim, a dark border and a translucent
// middle.
RgbaPicture DrawNinePatchFrame(int size);
// A sprite sheet of columns x rows cells of cell x cell pixels: each cell a
// different colour with as many white dots as its frame number plus one.
RgbaPicture DrawNumberedSheet(int columns, int rows, int cell);

}  // namespace Varnok
