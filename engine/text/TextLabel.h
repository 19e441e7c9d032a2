// A box of styled, wrapped text: wraps to the box width (shrinking the size
// until the text fits the allowed lines), builds one StyledText per line,
// places the lines by the alignment flags, clips them to a convex polygon
// when asked and draws them. Wrap and placement run lazily at the next draw.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/MathUtil.h"
#include "engine/text/StyledText.h"

#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class Font;
class MarkupColourMap;

// Label alignment flags (the label's y axis points up; its box spans y = 0
// at the top to -box height).
enum TextLabelAlign : int {
    kLabelAlignLeft = 0,
    kLabelAlignRight = 2,
    kLabelAlignCentre = 3,            // horizontal: flags & 3
    kLabelAlignBottom = 0x08,         // lines placed from the box bottom
    kLabelAlignMiddle = 0x0C,         // vertical centre
    kLabelAlignShowEnd = 0x20,        // overlong lines show their end; also centres vertically
    kLabelAlignNoPlacement = 0x40,    // line i at -(int)size - i x step
};

class TextLabel {
public:
    // font is not owned and may be null (nothing is drawn). maximumLines <= 0:
    // no limit.
    TextLabel(Font* font, float size, int boxWidth, int boxHeight, int alignFlags,
              int maximumLines, int lineSpacing);
    // The same, shrinking only through the listed sizes (ascending; not
    // owned, must outlive the label).
    TextLabel(Font* font, float size, int boxWidth, int boxHeight, int alignFlags,
              int maximumLines, int lineSpacing, const std::vector<float>* sizes);
    ~TextLabel();
    TextLabel(const TextLabel&) = delete;
    TextLabel& operator=(const TextLabel&) = delete;

    // Nothing for null or the text it has; with markup on, the tags are
    // parsed out of the copy.
    void SetText(const char* text);
    // Creates an empty colour map (named colours are defined on it) or
    // destroys it.
    void EnableMarkup(bool on);
    // Null while markup is off.
    MarkupColourMap* GetMarkup() const { return m_markup.get(); }

    // With applyNow the existing lines are recoloured at once; otherwise at
    // the next wrap.
    void SetColour(const Colour& colour, bool applyNow);
    void SetGradient(const Colour& first, const Colour& second, bool applyNow);
    void SetGradient4(const Colour& c1, const Colour& c2, const Colour& c3, const Colour& c4,
                      bool applyNow);
    void SetAlpha(uint8_t alpha);
    void SetOutline(float size, const Colour& colour);
    void SetInnerGlow(float size, const Colour& colour);
    // mode 0 blurred, 1 hard-edged.
    void SetShadow(float size, const Colour& colour, const Vector3& offset, int mode);
    void SetBevel(float size, float softness, float angle, float depth, const Colour& light,
                  const Colour& dark);
    void SetCharSpacing(int spacing);
    // The box's top-left corner, or its centre with asCentre.
    void SetPosition(const Vector3& point, bool asCentre);
    // Non-null turns polygon clipping on (y-down label coordinates); the
    // shadows use shadowPolygon when given. Neither is owned.
    void SetClipPolygon(const std::vector<Vector2>* polygon,
                        const std::vector<Vector2>* shadowPolygon);
    void SetSize(float size);
    // Top placement puts the first line's ink top on the box top.
    void SetFirstLineOnTop(bool on);

    // The size after shrinking.
    float GetCurrentSize() const { return m_currentSize; }
    int GetLineStep() const;
    void Invalidate() { m_needsWrap = true; }
    // A text box: wrapping ignores the line limit and never shrinks the font
    // (an editable field keeps its size while the text grows).
    void SetTextboxMode();
    // Wraps and places now.
    void Rebuild();
    // Lowers the size by 1 until the wrapped lines fit the box height (6 at
    // the least); true when the size changed.
    bool ShrinkToFit();

    // Rotation in degrees.
    void Draw(float scaleX, float scaleY, float rotationDegrees, bool aboutCentre);
    void DrawTransformed(const Matrix4& matrix);

    int GetLineCount() const { return static_cast<int>(m_lines.size()); }
    StyledText& GetLine(int index) const { return *m_lines[index]; }
    const std::vector<std::string>& GetWrappedLines() const { return m_wrappedLines; }
    const std::vector<int>& GetLineStarts() const { return m_lineStarts; }
    const std::string& GetText() const { return m_text; }
    bool NeedsWrap() const { return m_needsWrap; }
    bool NeedsLayout() const { return m_needsLayout; }
    float GetSize() const { return m_size; }
    const Vector3& GetPosition() const { return m_position; }
    int GetBoxWidth() const { return m_boxWidth; }
    int GetBoxHeight() const { return m_boxHeight; }

private:
    void Wrap();
    void Layout();
    void ApplyFill(StyledText& line) const;
    bool WrapAt(float size, std::vector<std::string>* outLines, std::vector<int>* outStarts) const;
    TextStyle MakeStyle() const;

    bool m_needsWrap = true;
    bool m_needsLayout = true;
    std::vector<std::unique_ptr<StyledText>> m_lines;
    Vector3 m_shadowOffset;
    int m_boxWidth;
    int m_boxHeight;
    int m_maximumLines;
    bool m_noWrap = false;
    bool m_textbox = false;
    int m_alignFlags;
    std::string m_sourceText;  // as given, for the same-text check
    std::string m_text;        // without markup tags
    bool m_hasText = false;
    Vector3 m_position;
    int m_charSpacing = 0;
    int m_lineSpacing;
    float m_size;
    Font* m_font;
    float m_outlineSize = 0.0f;
    Colour m_outlineColour = kColourWhite;
    bool m_outlineSet = false;
    float m_innerGlowSize = 0.0f;
    Colour m_innerGlowColour = kColourWhite;
    float m_shadowSize = 0.0f;
    Colour m_shadowColour = kColourWhite;
    int m_shadowMode = 0;
    Colour m_fillColours[4] = {kColourWhite, kColourWhite, kColourWhite, kColourWhite};
    int m_fillMode = 1;
    bool m_fourColour = false;
    bool m_clipEnabled = false;
    const std::vector<Vector2>* m_clipPolygon = nullptr;
    const std::vector<Vector2>* m_shadowClipPolygon = nullptr;
    float m_bevelSize = 0.0f;
    float m_bevelSoftness = 0.0f;
    float m_bevelAngle = 0.0f;
    float m_bevelDepth = 0.0f;
    Colour m_bevelLightColour = kColourWhite;
    Colour m_bevelDarkColour = kColourWhite;
    std::vector<std::string> m_wrappedLines;
    float m_currentSize;
    const std::vector<float>* m_sizes = nullptr;
    bool m_firstLineOnTop = false;
    std::unique_ptr<MarkupColourMap> m_markup;
    std::vector<int> m_lineStarts;
};

}  // namespace Varnok
