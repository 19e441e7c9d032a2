// One line of text drawn as up to six layers of the same glyphs: shadow,
// outline, fill, inner glow, and a light and a dark bevel. Labels build one
// per wrapped line; the HUD builds single-line captions directly.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/MathUtil.h"
#include "engine/text/TextLayout.h"

#include <memory>
#include <vector>

namespace Varnok {

class Font;
class MarkupColourMap;

// How a line looks. Sizes in pixels; a layer exists only when its size says
// so (see StyledText). Bevel angles in radians.
struct TextStyle {
    Colour fillColour = kColourWhite;
    float charSpacing = 0.0f;
    float arcRadius = 0.0f;  // 0: a straight line
    float outlineSize = 0.0f;
    Colour outlineColour{0, 0, 0, 255};
    float shadowSize = 0.0f;
    Colour shadowColour{0, 0, 0, 255};
    int shadowMode = 0;  // 0 blurred (size > 0), 1 hard-edged (size >= 0)
    float innerGlowSize = 0.0f;
    Colour innerGlowColour = kColourWhite;
    float bevelSize = 0.0f;
    float bevelSoftness = 0.0f;
    float bevelAngle = 0.0f;
    float bevelDepth = 0.0f;
    Colour bevelLightColour = kColourWhite;
    Colour bevelDarkColour = kColourWhite;
};

// A float rectangle; top and bottom as the bounds give them (y up unless the
// vertical draw scale is negative).
struct TextRect {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

class StyledText {
public:
    enum Layer : int { Shadow = 0, Outline, Fill, InnerGlow, BevelLight, BevelDark, kLayerCount };

    // markup (not owned, may be null) and indexBase go to the fill layer only.
    StyledText(Font* font, const char* text, float size, const TextStyle& style,
               MarkupColourMap* markup, int indexBase);
    ~StyledText();
    StyledText(const StyledText&) = delete;
    StyledText& operator=(const StyledText&) = delete;

    // Colouring acts on the fill layer.
    void SetColour(const Colour& colour);
    void SetGradient(const Colour& first, const Colour& second);
    // c1 at the top, c4 at the bottom, c2 and c3 meeting near the middle.
    void SetGradient4(const Colour& c1, const Colour& c2, const Colour& c3, const Colour& c4);
    // The shadow and outline keep their own alpha in proportion.
    void SetAlpha(uint8_t alpha);
    // Every layer takes the text and rebuilds.
    void SetText(const char* text);

    // Rotation in degrees; every layer aligns by the fill layer's bounds.
    void Draw(const Vector3& position, float scaleX, float scaleY, float rotationDegrees,
              int alignFlags);
    void DrawTransformed(const Matrix4& matrix, int alignFlags);

    void ResetClip();
    // Every layer but the shadow.
    void ClipPolygon(const std::vector<Vector2>& polygon, const Vector2& offset);
    void ClipShadow(const std::vector<Vector2>& polygon, const Vector2& offset);

    // Over the lines' fill layers (shadow layers) placed at their positions;
    // zeros for none.
    static TextRect ComputeBounds(const std::vector<StyledText*>& lines);
    static TextRect ComputeShadowBounds(const std::vector<StyledText*>& lines);
    // Grows bounds by each line's fill bounds at its truncated position.
    static void ComputeLayoutBounds(TextBounds& inOutBounds, const std::vector<StyledText*>& lines);

    // Null for a layer the style left out; the fill always exists.
    TextLayout* GetLayer(Layer layer) const { return m_layers[layer].get(); }
    TextLayout& GetFill() const { return *m_layers[Fill]; }
    const Vector3& GetPosition() const { return m_position; }
    void SetPosition(const Vector3& position) { m_position = position; }
    const Vector3& GetShadowOffset() const { return m_shadowOffset; }
    void SetShadowOffset(const Vector3& offset) { m_shadowOffset = offset; }

private:
    Vector3 m_shadowOffset;
    Vector3 m_position;
    std::unique_ptr<TextLayout> m_layers[kLayerCount];
    Colour m_shadowColour{0, 0, 0, 255};
    Colour m_outlineColour{0, 0, 0, 255};
};

}  // namespace Varnok
