// A block of text inside the component's rectangle, drawn by a TextLabel at
// the visual's place, or, with a non-zero "radius", one line bent along an
// arc. "text" is shown as it is, or looked up as a key in a string table
// when "localiseText" is set. Property changes only raise flags; the work
// happens in the next update on screen (rebuild, text, colours, placement).
#pragma once

#include "engine/text/StyledText.h"
#include "engine/ui/ComponentVisual.h"

#include <memory>
#include <vector>

namespace Varnok {

class TextLabel;

class ComponentText : public ComponentVisual {
public:
    // How the laid-out text lies against its clipping outline.
    enum ClipClass : int { kClipPartly = 0, kClipInside = 1, kClipOutside = 2 };
    // The least world alpha that draws.
    static constexpr uint8_t kMinDrawAlpha = 14;

    ComponentText();
    ~ComponentText() override;

    static const ComponentClassInfo& GetStaticClassInfo();

    void SetText(const AsciiString& text) override;
    void Update(float dt) override;
    void Draw() override;
    void OnFinishedLoading() override;
    void OnPropertyChanged(UIPropertyBase* property) override;
    void OnReset() override;
    // The text to show: "text", or its string-table value when localised
    // ("STRING NOT FOUND" for a missing key, "!! WRONG TABLE !!" for a key
    // only the game's table holds while the screen names its own).
    virtual AsciiString GetDisplayText() const;

    // Hands the current display text to the text objects now.
    void RefreshText();
    // Re-wraps now so that line metrics can be read.
    void UpdateTextLayout();
    // Where the first line's box starts, in the visual's local space.
    Vector3 ComputeTextOrigin() const;

    // Null until a font is available (and for arc text).
    TextLabel* GetLabel() const { return m_label.get(); }
    // Null unless "radius" is non-zero and a font is available.
    StyledText* GetArcText() const { return m_arcText.get(); }
    // Alignment words ("topLeft", "centre", "textbox"...) as label flags.
    static int ParseAlignment(const AsciiString& words);
    int GetAlignFlags() const { return m_alignFlags; }
    // The wrap box the label was built with.
    int GetWrapWidth() const { return m_labelWrapWidth; }
    int GetWrapHeight() const { return m_labelWrapHeight; }
    // The font size the arc text was built with (smaller when the text
    // would not fit "MaxArcDegrees") and its radius.
    float GetArcSize() const { return m_arcSize; }
    float GetArcRadius() const { return m_arcRadius; }
    bool IsTextVisible() const { return m_textVisible; }
    int GetClipClass() const { return m_clipClass; }
    // A rectangle (x0, y0, x1, y1, y down) against a convex outline: 1 when
    // inside every edge, 2 when wholly outside one, 0 otherwise; 1 for an
    // outline without edges.
    static int ClassifyAgainstClip(const float rect[4], const UIVertexList& outline);

protected:
    UIProperty<AsciiString>* m_text;
    UIProperty<AsciiString>* m_fontName;
    UIProperty<float>* m_fontSize;
    UIProperty<int>* m_maxLines;
    UIProperty<AsciiString>* m_alignment;
    UIProperty<bool>* m_localiseText;
    UIProperty<float>* m_strokeSize;
    UIProperty<Colour>* m_strokeColour;

private:
    AsciiString ResolveFontName() const;
    bool HasLoadedFont(const AsciiString& font) const;
    void RebuildTextObject();
    void CreateTextLabel();
    void CreateRadiusText();
    void ApplyColours();
    void ApplyOutlineAndGlow();
    void UpdatePlacement();
    // Whether the world transform or the clip outline moved since the last
    // placement.
    bool PlacementInputsChanged();
    Colour Tinted(const Colour& colour) const;
    int MarkupMode() const;

    UIProperty<float>* m_radius;
    UIProperty<Colour>* m_insideColour;
    UIProperty<Colour>* m_outsideColour;
    UIProperty<int>* m_verticalSpacing;
    UIProperty<int>* m_horizontalSpacing;
    UIProperty<int>* m_dropShadowStyle;
    UIProperty<float>* m_softShadowSize;
    UIProperty<Colour>* m_softShadowColour;
    UIProperty<Vector3>* m_softShadowOffset;
    UIProperty<float>* m_innerGlowSize;
    UIProperty<Colour>* m_innerGlowColour;
    UIProperty<bool>* m_bevelEnabled;
    UIProperty<float>* m_bevelSize;
    UIProperty<float>* m_bevelDepth;
    UIProperty<float>* m_bevelAzimuth;
    UIProperty<float>* m_bevelZenith;
    UIProperty<Colour>* m_bevelColourA;
    UIProperty<Colour>* m_bevelColourB;
    UIProperty<bool>* m_useGradient;
    UIProperty<AsciiString>* m_clip;
    UIProperty<bool>* m_confineToHeight;
    UIProperty<int>* m_maxArcDegrees;
    UIProperty<bool>* m_useMetallicGradient;
    UIProperty<Colour>* m_metallic[4];
    UIProperty<int>* m_marginsTop;
    UIProperty<int>* m_marginsBottom;
    UIProperty<int>* m_marginsLeft;
    UIProperty<int>* m_marginsRight;
    UIProperty<bool>* m_alignToFontMeshBounds;
    UIProperty<AsciiString>* m_colourisation;

    int m_alignFlags = 15;
    std::unique_ptr<TextLabel> m_label;
    std::unique_ptr<StyledText> m_arcText;
    AsciiString m_fontFile;
    int m_labelWrapWidth = 0;
    int m_labelWrapHeight = 0;
    float m_arcSize = 0.0f;
    float m_arcRadius = 0.0f;
    // Clip outlines in the text's own space (y down from the text origin),
    // as the label's clipping takes them.
    std::vector<Vector2> m_textClipOutline;
    std::vector<Vector2> m_shadowClipOutline;
    // Scratch of the placement, kept to spare allocations.
    UIVertexList m_clipScratch;
    std::vector<StyledText*> m_placedLines;
    // What the last placement was computed from.
    float m_placedWorld[16] = {};
    std::vector<Vector2> m_placedOutline;
    bool m_textVisible = false;
    bool m_rebuildPending = true;
    bool m_textDirty = false;
    bool m_coloursDirty = false;
    bool m_placementDirty = true;
    int m_clipClass = kClipPartly;
};

}  // namespace Varnok
