// One character laid out: where its image lies in the glyph atlas, how far it
// moves the pen and where the layout put it.
#pragma once

#include <cstdint>

namespace Varnok {

class Font;
class Texture;
class TextureAtlasPage;
struct AtlasNode;

struct Glyph {
    uint32_t character = 0;
    float size = 0.0f;  // as asked for
    // x: the pen advance in layout units, measured from the image's left edge;
    // y: the image's bottom relative to the baseline, y upwards.
    float advanceX = 0.0f;
    float advanceY = 0.0f;
    // The atlas image and its page; null for a metrics-only glyph.
    const AtlasNode* image = nullptr;
    TextureAtlasPage* page = nullptr;
    // Texture coordinates of the image.
    float texLeft = 0.0f;
    float texTop = 0.0f;
    float texRight = 0.0f;
    float texBottom = 0.0f;
    // The effect padding of the image, in layout units.
    float offsetX = 0.0f;
    float offsetY = 0.0f;
    // Pen position given by the layout; rotation in radians.
    float positionX = 0.0f;
    float positionY = 0.0f;
    float rotation = 0.0f;
    // The image size in layout units.
    float width = 0.0f;
    float height = 0.0f;
    int32_t index = 0;  // in its text, plus the layout's index base
    // The font that was asked for it, also when a fallback drew the image;
    // kerning goes through it. Not owned.
    Font* font = nullptr;

    // The advance, plus the kerning of (this character, next character) when
    // next exists, has the same size and comes from the same font.
    float GetAdvanceWithKerning(const Glyph* next) const;
};

}  // namespace Varnok
