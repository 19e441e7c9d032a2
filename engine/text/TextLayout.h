// One run of text in one font, size and glyph effect: glyphs placed on a pen
// line or an arc, grouped by atlas page into triangle batches, coloured
// (solid, vertical gradient, extra stops, markup, alpha), optionally clipped
// to a convex polygon, and drawn with alignment, scale, rotation and position.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/MathUtil.h"
#include "engine/render/ImmediateVertex.h"
#include "engine/text/Glyph.h"
#include "engine/text/GlyphEffect.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class Font;
class MarkupColourMap;
class TextureAtlasPage;

// Layout units, y upwards, baseline at 0.
struct TextBounds {
    int32_t minX = 0;
    int32_t maxY = 0;
    int32_t maxX = 0;
    int32_t minY = 0;
};

struct TextColourStop {
    Colour colour;
    float position = 0.0f;  // 0 top .. 1 bottom for the first two
};

// Alignment flags of TextLayout::Draw.
enum TextAlign : int {
    kTextAlignLeft = 0,
    kTextAlignRight = 2,
    kTextAlignCentre = 3,  // horizontal: flags & 3
    kTextAlignTop = 4,
    kTextAlignBaseline = 8,
    kTextAlignMiddle = 12,  // vertical: flags & 12
};

// The glyphs of one atlas page.
class TextBatch {
public:
    TextureAtlasPage* GetPage() const { return m_page; }
    // Six vertices a drawn glyph.
    const std::vector<ImmediateVertex>& GetVertices() const { return m_vertices; }
    // What a draw sends: the vertices, or the clipped ones while clipped.
    const std::vector<ImmediateVertex>& GetDrawnVertices() const {
        return m_clipIndex < 0 ? m_vertices : m_clipBuffers[m_clipIndex];
    }
    bool IsClipped() const { return m_clipIndex >= 0; }
    const TextBounds& GetBounds() const { return m_bounds; }

private:
    friend class TextLayout;

    TextureAtlasPage* m_page = nullptr;
    const AtlasNode* m_pageImage = nullptr;  // any image of the page, to draw with its texture
    std::vector<int> m_glyphs;               // indices into the layout's glyphs
    std::vector<ImmediateVertex> m_vertices;
    std::vector<ImmediateVertex> m_clipBuffers[2];
    int m_clipIndex = -1;  // -1: not clipped
    TextBounds m_bounds;
    Colour m_colour;
    uint8_t m_alpha = 255;
};

class TextLayout {
public:
    // Builds at once and registers with the font manager. font may be null
    // (nothing is drawn); markup is not owned and may be null.
    TextLayout(Font* font, const char* text, float size, const Colour& colour, float charSpacing,
               const GlyphEffect& effect, MarkupColourMap* markup, int indexBase);
    ~TextLayout();
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    // Replaces the text; the caller rebuilds (Build) or the next draw does.
    void SetText(const char* text);
    // Glyphs, positions, batches, colours. Reuses its storage.
    void Build();
    // Drops glyphs and batches (the atlas was emptied); the next draw rebuilds.
    void Invalidate();

    // Lays the glyphs on an arc of that radius (0: a straight line).
    void SetArc(float radius);
    // Top colour, bottom colour; replaces every stop.
    void SetGradient(const Colour& first, const Colour& second);
    // Splits the triangles along y = (max y + min y) x position; the new
    // vertices on that line take the colour.
    void AddColourStop(const Colour& colour, float position);
    // Replaces every vertex's alpha, now and after every rebuild.
    void SetAlpha(uint8_t alpha);

    // Rotation in degrees. reference: whose bounds align (null: this one's).
    void Draw(const Vector3& position, float scaleX, float scaleY, float rotationDegrees,
              int alignFlags, const TextLayout* reference);
    // As Draw with a matrix in place of scale, rotation and position.
    void DrawTransformed(const Matrix4& matrix, int alignFlags, const TextLayout* reference);

    // Clips to a convex polygon given in y-down coordinates, each point
    // moved by offset; until ResetClip or a rebuild.
    void ClipPolygon(const std::vector<Vector2>& points, const Vector2& offset);
    void ResetClip();

    const TextBounds& GetBounds() const { return m_bounds; }
    float GetWidth() const { return m_width; }
    float GetSize() const { return m_size; }
    float GetCharSpacing() const { return m_charSpacing; }
    const GlyphEffect& GetEffect() const { return m_effect; }
    const std::string& GetText() const { return m_text; }
    const std::vector<Glyph>& GetGlyphs() const { return m_glyphs; }
    int GetBatchCount() const { return m_batchCount; }
    const TextBatch& GetBatch(int index) const { return *m_batches[index]; }
    const std::vector<TextColourStop>& GetColourStops() const { return m_stops; }
    bool IsCurved() const { return m_curved; }
    bool IsBuilt() const { return m_batchesBuilt; }
    Font* GetFont() const { return m_font; }

private:
    void BuildGlyphs();
    void PlaceGlyphs();
    void ApplyArc();
    void BuildBatches();
    void ApplyColours();
    void ApplyGradient(const Colour& first, const Colour& second);
    void ApplyStop(const TextColourStop& stop);
    void ApplyAlpha();
    // The world matrix up to (not including) the caller's transform.
    Matrix4 AlignmentShift(int alignFlags, const TextLayout* reference) const;
    void DrawBatches(const Matrix4& world);

    TextBounds m_bounds;
    bool m_alphaOverride = false;
    uint8_t m_alpha = 255;
    std::vector<TextColourStop> m_stops;
    float m_arcRadius = 0.0f;
    float m_charSpacing = 0.0f;
    GlyphEffect m_effect;
    float m_size = 0.0f;
    Font* m_font = nullptr;
    std::vector<Glyph> m_glyphs;
    std::string m_text;
    bool m_glyphsBuilt = false;
    bool m_curved = false;
    float m_width = 0.0f;
    MarkupColourMap* m_markup = nullptr;
    int m_indexBase = 0;
    std::vector<std::unique_ptr<TextBatch>> m_batches;  // the first m_batchCount are in use
    int m_batchCount = 0;
    bool m_batchesBuilt = false;
    std::vector<ImmediateVertex> m_splitScratch;
};

}  // namespace Varnok
