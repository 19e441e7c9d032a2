// Text drawn from pre-rendered glyphs on texture pages: word wrapping,
// alignment, justification, clipping, rotation and inline colour tags
// ("<font color=RRGGBB>" or "AARRGGBB" ... "</font>").
// No file format exists: whoever supplies a font fills its pages and glyphs.
// Every entry point takes a null font: it measures 0 and draws nothing.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/ImmediateVertex.h"

#include <cstdint>
#include <vector>

namespace Varnok {

class Texture;

struct BitmapGlyph {
    uint32_t code = 0;
    float u = 0.0f;  // the top-left texture corner
    float v = 0.0f;
    float width = 0.0f;    // font units
    float height = 0.0f;   // in lines: times the line height
    float xOffset = 0.0f;  // font units
    float yOffset = 0.0f;  // in lines, downwards from the pen
    float advance = 0.0f;
    uint8_t page = 0;
};

namespace BitmapTextFlags {
enum : uint32_t {
    AlignLeft = 1,
    AlignRight = 2,
    AlignCentre = 3,
    AlignMask = 3,
    MiddleVertically = 0x04,  // the text's middle at the box's middle
    BottomVertically = 0x08,  // the text's bottom at the box's bottom (when 0x04 is clear)
    Justify = 0x10,           // wrapped lines spread to the box width
};
}  // namespace BitmapTextFlags

// y upwards: top > bottom.
struct BitmapClipRect {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

struct BitmapTextDef {
    float x = 0.0f;  // the first line's top-left corner
    float y = 0.0f;
    float z = 0.0f;
    Colour colour = kColourWhite;
    float scale = 1.0f;
    float boxWidth = 0.0f;  // the wrap width; 0 or less: lines break only at newlines
    float boxHeight = 0.0f;
    uint32_t flags = 0;        // BitmapTextFlags
    float lineHeight = 16.0f;  // font units
    const BitmapClipRect* clip = nullptr;  // in the caller's units; may be null
    float rotationDegrees = 0.0f;          // about (x, y)
};

// One glyph quad in the text's own unscaled units: x from the position,
// y upwards from the first line's top.
struct BitmapQuad {
    float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
    float uLeft = 0.0f, vTop = 0.0f, uRight = 0.0f, vBottom = 0.0f;
    Colour colour;
    uint8_t page = 0;
    int line = 0;
};

class BitmapFont {
public:
    // Texture coordinates are textureScale units per page pixel.
    BitmapFont(int pageWidth, int pageHeight, float textureScale);
    ~BitmapFont();
    BitmapFont(const BitmapFont&) = delete;
    BitmapFont& operator=(const BitmapFont&) = delete;

    // The page's index. The pixels are kept with it; the texture is drawn.
    int AddPage(SmartPtr<Texture> texture, std::vector<uint8_t> pixels = {});
    // Codes 0..255 go to the direct table, others to the searched list; a
    // later glyph of the same code replaces the earlier one.
    void AddGlyph(const BitmapGlyph& glyph);

    int GetPageCount() const { return static_cast<int>(m_pages.size()); }

    // A negative code (a signed byte) is taken + 256. Null when absent.
    static const BitmapGlyph* FindGlyph(const BitmapFont* font, int32_t code);
    // The sum of the advances of the first line (to a newline or the end).
    static float MeasureText(const BitmapFont* font, const char* text);
    // The first line's width when wrapped at maxWidth (MeasureText for
    // maxWidth <= 0). With outJustification, a line broken by width that
    // fills more than 0.75 of maxWidth answers maxWidth and the spacing
    // (per unit: 3 a space, 1 any other glyph) that spreads it there;
    // otherwise the spacing is 0.
    static float MeasureLine(const BitmapFont* font, const char* text, float maxWidth,
                             float* outJustification);
    // lineHeight times the number of lines (newlines, and word wraps at
    // maxWidth when it is positive).
    static float MeasureHeight(const BitmapFont* font, const char* text, float lineHeight,
                               float maxWidth);

    // The quads DrawText draws, before its transform (position, scale,
    // rotation) is applied; clipped to the clip rectangle.
    static void LayOut(const BitmapFont* font, const char* text, const BitmapTextDef& def,
                       std::vector<BitmapQuad>& outQuads);
    // Draws through immediate drawing (queued while the 2D batch collects).
    // Requires: a current GL context when font is not null.
    static void DrawText(BitmapFont* font, const char* text, const BitmapTextDef& def);

private:
    struct Page {
        std::vector<uint8_t> pixels;
        SmartPtr<Texture> texture;
    };

    int m_pageWidth;
    int m_pageHeight;
    float m_textureScale;
    BitmapGlyph m_direct[256];
    bool m_hasDirect[256] = {};
    std::vector<BitmapGlyph> m_extra;
    std::vector<Page> m_pages;
    std::vector<BitmapQuad> m_quads;                        // reused by every draw
    std::vector<std::vector<ImmediateVertex>> m_vertices;  // one list a page, reused
};

}  // namespace Varnok
