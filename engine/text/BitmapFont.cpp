// Bitmap-font measuring, wrapping and drawing. Text is first read into a list
// of glyph codes and colour-tag events, so that measuring and drawing walk
// the same lines and tags never count as glyphs.
#include "engine/text/BitmapFont.h"

#include "engine/core/MathUtil.h"
#include "engine/core/Utf8.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Texture.h"
#include "engine/text/LineBreak.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

namespace Varnok {
namespace {

constexpr float kJustifyMinimumFill = 0.75f;
constexpr int kSpaceJustifyUnits = 3;

enum class ItemKind : uint8_t { Glyph, SetColour, RestoreColour };

struct TextItem {
    ItemKind kind = ItemKind::Glyph;
    uint32_t code = 0;        // Glyph
    uint32_t tagColour = 0;   // SetColour: 0xAARRGGBB
    bool tagHasAlpha = false;  // SetColour: more than six digits
};

int JustifyUnits(uint32_t code) {
    return code == ' ' ? kSpaceJustifyUnits : 1;
}

// Case-blind match of `word` at `text`.
bool StartsWithNoCase(const char* text, const char* word) {
    for (; *word != '\0'; ++text, ++word) {
        if (*text == '\0' || std::tolower(static_cast<unsigned char>(*text)) != *word) {
            return false;
        }
    }
    return true;
}

// Reads the text into items. "<font color=" + hex digits + ">" and
// "</font" ... ">" become colour events; any other '<' is a glyph.
void ReadItems(const char* text, std::vector<TextItem>& outItems) {
    outItems.clear();
    const char* cursor = text;
    while (*cursor != '\0') {
        if (*cursor == '<' && StartsWithNoCase(cursor + 1, "font color=")) {
            cursor += 1 + std::strlen("font color=");
            TextItem item;
            item.kind = ItemKind::SetColour;
            int digits = 0;
            for (; *cursor != '\0' && *cursor != '>'; ++cursor) {
                const int c = std::tolower(static_cast<unsigned char>(*cursor));
                int value = -1;
                if (c >= '0' && c <= '9') {
                    value = c - '0';
                } else if (c >= 'a' && c <= 'f') {
                    value = c - 'a' + 10;
                }
                if (value >= 0) {
                    item.tagColour = item.tagColour << 4 | static_cast<uint32_t>(value);
                    ++digits;
                }
            }
            item.tagHasAlpha = digits > 6;
            if (*cursor == '>') {
                ++cursor;
            }
            outItems.push_back(item);
            continue;
        }
        if (*cursor == '<' && StartsWithNoCase(cursor + 1, "/font")) {
            while (*cursor != '\0' && *cursor != '>') {
                ++cursor;
            }
            if (*cursor == '>') {
                ++cursor;
            }
            TextItem item;
            item.kind = ItemKind::RestoreColour;
            outItems.push_back(item);
            continue;
        }
        TextItem item;
        item.code = Utf8Decode(cursor);
        if (item.code == 0) {
            break;  // a sequence cut short by the terminator
        }
        outItems.push_back(item);
    }
}

// The glyph code of the first glyph item at or after `index` (0 when none).
uint32_t GlyphAtOrAfter(const std::vector<TextItem>& items, size_t index, size_t* outIndex = nullptr) {
    for (; index < items.size(); ++index) {
        if (items[index].kind == ItemKind::Glyph) {
            if (outIndex != nullptr) {
                *outIndex = index;
            }
            return items[index].code;
        }
    }
    if (outIndex != nullptr) {
        *outIndex = items.size();
    }
    return 0;
}

struct Line {
    size_t end = 0;   // items [start, end) are the line
    size_t next = 0;  // where the next line starts
    float width = 0.0f;
    int justifyUnits = 0;
    bool brokeByWidth = false;
    bool endsAtNewline = false;
};

// Text items with their font; finds lines the same way for every caller.
class LineReader {
public:
    LineReader(const BitmapFont* font, const std::vector<TextItem>& items) : m_font(font), m_items(items) {}

    float Advance(uint32_t code) const {
        const BitmapGlyph* glyph = BitmapFont::FindGlyph(m_font, static_cast<int32_t>(code));
        return glyph != nullptr ? glyph->advance : 0.0f;
    }

    // The line from `start`. With maxWidth > 0, at every place where a line
    // may break the word that follows is measured (up to the next such place);
    // when it would pass maxWidth on this line but fits alone, the line ends
    // there and a space at the break is dropped. A wider word stays.
    Line Take(size_t start, float maxWidth) const {
        Line line;
        uint32_t beforePrevious = 0;
        uint32_t previous = 0;
        for (size_t i = start; i < m_items.size(); ++i) {
            if (m_items[i].kind != ItemKind::Glyph) {
                continue;
            }
            const uint32_t code = m_items[i].code;
            if (code == '\n') {
                line.end = i;
                line.next = i + 1;
                line.endsAtNewline = true;
                return line;
            }
            if (maxWidth > 0.0f && previous != 0 && BreaksBefore(beforePrevious, previous, i)) {
                const float word = WordWidth(i);
                if (line.width + word > maxWidth && word <= maxWidth) {
                    line.end = i;
                    line.next = code == ' ' ? i + 1 : i;
                    line.brokeByWidth = true;
                    return line;
                }
            }
            const BitmapGlyph* glyph = BitmapFont::FindGlyph(m_font, static_cast<int32_t>(code));
            if (glyph != nullptr) {
                line.width += glyph->advance;
                line.justifyUnits += JustifyUnits(code);
            }
            beforePrevious = previous;
            previous = code;
        }
        line.end = m_items.size();
        line.next = m_items.size();
        return line;
    }

    // The justification spacing of a line (0 when it is not spread).
    static float Justification(const Line& line, float maxWidth) {
        if (!line.brokeByWidth || line.justifyUnits <= 0 || !(line.width > kJustifyMinimumFill * maxWidth)) {
            return 0.0f;
        }
        return (maxWidth - line.width) / static_cast<float>(line.justifyUnits);
    }

    // Lines until the text ends; a final newline starts one more (empty) line.
    int CountLines(float maxWidth) const {
        int count = 0;
        size_t start = 0;
        for (;;) {
            const Line line = Take(start, maxWidth);
            ++count;
            if (line.next >= m_items.size() && !line.endsAtNewline) {
                return count;
            }
            start = line.next;
            if (start >= m_items.size()) {
                return count + 1;
            }
        }
    }

private:
    bool BreaksBefore(uint32_t beforePrevious, uint32_t previous, size_t index) const {
        const uint32_t afterNext = GlyphAtOrAfter(m_items, index + 1);
        return LineBreak::CanBreakBetween(beforePrevious, previous, m_items[index].code, afterNext);
    }

    // From a place where a line may break to the next one, a newline or the end.
    float WordWidth(size_t start) const {
        float width = Advance(m_items[start].code);
        uint32_t beforePrevious = 0;
        uint32_t previous = m_items[start].code;
        for (size_t i = start + 1; i < m_items.size(); ++i) {
            if (m_items[i].kind != ItemKind::Glyph) {
                continue;
            }
            const uint32_t code = m_items[i].code;
            if (code == '\n' || BreaksBefore(beforePrevious, previous, i)) {
                break;
            }
            width += Advance(code);
            beforePrevious = previous;
            previous = code;
        }
        return width;
    }

    const BitmapFont* m_font;
    const std::vector<TextItem>& m_items;
};

// Cuts the quad to the rectangle, texture coordinates in proportion. False
// when nothing is left.
bool ClipQuad(BitmapQuad& quad, const BitmapClipRect& clip) {
    if (quad.right <= clip.left || quad.left >= clip.right || quad.bottom >= clip.top ||
        quad.top <= clip.bottom) {
        return false;
    }
    const float width = quad.right - quad.left;
    const float height = quad.top - quad.bottom;
    const float uSpan = quad.uRight - quad.uLeft;
    const float vSpan = quad.vBottom - quad.vTop;
    if (quad.left < clip.left) {
        quad.uLeft += uSpan * (clip.left - quad.left) / width;
        quad.left = clip.left;
    }
    if (quad.right > clip.right) {
        quad.uRight -= uSpan * (quad.right - clip.right) / width;
        quad.right = clip.right;
    }
    if (quad.top > clip.top) {
        quad.vTop += vSpan * (quad.top - clip.top) / height;
        quad.top = clip.top;
    }
    if (quad.bottom < clip.bottom) {
        quad.vBottom -= vSpan * (clip.bottom - quad.bottom) / height;
        quad.bottom = clip.bottom;
    }
    return true;
}

std::vector<TextItem>& ScratchItems() {
    // Main thread only, like all text drawing; reused so that a steady
    // frame allocates nothing.
    static std::vector<TextItem> s_items;
    return s_items;
}

}  // namespace

BitmapFont::BitmapFont(int pageWidth, int pageHeight, float textureScale)
    : m_pageWidth(std::max(pageWidth, 1)), m_pageHeight(std::max(pageHeight, 1)), m_textureScale(textureScale) {}

BitmapFont::~BitmapFont() = default;

int BitmapFont::AddPage(SmartPtr<Texture> texture, std::vector<uint8_t> pixels) {
    m_pages.push_back(Page{std::move(pixels), std::move(texture)});
    m_vertices.emplace_back();
    return static_cast<int>(m_pages.size()) - 1;
}

void BitmapFont::AddGlyph(const BitmapGlyph& glyph) {
    if (glyph.code < 256) {
        m_direct[glyph.code] = glyph;
        m_hasDirect[glyph.code] = true;
        return;
    }
    for (BitmapGlyph& extra : m_extra) {
        if (extra.code == glyph.code) {
            extra = glyph;
            return;
        }
    }
    m_extra.push_back(glyph);
}

const BitmapGlyph* BitmapFont::FindGlyph(const BitmapFont* font, int32_t code) {
    if (font == nullptr) {
        return nullptr;
    }
    if (code < 0) {
        code += 256;
    }
    if (code >= 0 && code < 256 && font->m_hasDirect[code]) {
        return &font->m_direct[code];
    }
    for (const BitmapGlyph& glyph : font->m_extra) {
        if (static_cast<int64_t>(glyph.code) == code) {
            return &glyph;
        }
    }
    return nullptr;
}

float BitmapFont::MeasureText(const BitmapFont* font, const char* text) {
    return MeasureLine(font, text, 0.0f, nullptr);
}

float BitmapFont::MeasureLine(const BitmapFont* font, const char* text, float maxWidth,
                              float* outJustification) {
    if (outJustification != nullptr) {
        *outJustification = 0.0f;
    }
    if (font == nullptr || text == nullptr) {
        return 0.0f;
    }
    std::vector<TextItem>& items = ScratchItems();
    ReadItems(text, items);
    const LineReader reader(font, items);
    const Line line = reader.Take(0, maxWidth);
    if (outJustification != nullptr && maxWidth > 0.0f) {
        const float spacing = LineReader::Justification(line, maxWidth);
        if (spacing > 0.0f) {
            *outJustification = spacing;
            return maxWidth;
        }
    }
    return line.width;
}

float BitmapFont::MeasureHeight(const BitmapFont* font, const char* text, float lineHeight, float maxWidth) {
    if (font == nullptr || text == nullptr) {
        return 0.0f;
    }
    std::vector<TextItem>& items = ScratchItems();
    ReadItems(text, items);
    const LineReader reader(font, items);
    return lineHeight * static_cast<float>(reader.CountLines(maxWidth));
}

void BitmapFont::LayOut(const BitmapFont* font, const char* text, const BitmapTextDef& def,
                        std::vector<BitmapQuad>& outQuads) {
    outQuads.clear();
    if (font == nullptr || text == nullptr || text[0] == '\0' || !(def.scale != 0.0f)) {
        return;
    }
    std::vector<TextItem>& items = ScratchItems();
    ReadItems(text, items);
    const LineReader reader(font, items);
    // The box and the clip rectangle in the text's own units.
    const float boxWidth = def.boxWidth / def.scale;
    const float boxHeight = def.boxHeight / def.scale;
    BitmapClipRect clip;
    if (def.clip != nullptr) {
        clip.left = (def.clip->left - def.x) / def.scale;
        clip.right = (def.clip->right - def.x) / def.scale;
        clip.top = (def.clip->top - def.y) / def.scale;
        clip.bottom = (def.clip->bottom - def.y) / def.scale;
    }
    // One vertical move for the whole text, from its full height.
    float verticalMove = 0.0f;
    const float factor = (def.flags & BitmapTextFlags::MiddleVertically) != 0   ? 0.5f
                         : (def.flags & BitmapTextFlags::BottomVertically) != 0 ? 1.0f
                                                                                : 0.0f;
    if (factor != 0.0f) {
        const float textHeight = def.lineHeight * static_cast<float>(reader.CountLines(boxWidth));
        verticalMove = factor * (textHeight - boxHeight);
    }

    const uint32_t align = def.flags & BitmapTextFlags::AlignMask;
    const bool justify = (def.flags & BitmapTextFlags::Justify) != 0 && boxWidth > 0.0f;
    Colour colour = def.colour;
    size_t start = 0;
    int lineIndex = 0;
    float penY = 0.0f;
    for (;;) {
        const Line line = reader.Take(start, boxWidth);
        const float justification = justify ? LineReader::Justification(line, boxWidth) : 0.0f;
        const float shownWidth = justification > 0.0f ? boxWidth : line.width;
        float lineOffset = 0.0f;
        if (align == BitmapTextFlags::AlignRight) {
            lineOffset = boxWidth - shownWidth;
        } else if (align == BitmapTextFlags::AlignCentre) {
            lineOffset = (boxWidth - shownWidth) / 2;
        }
        float penX = 0.0f;
        for (size_t i = start; i < line.end; ++i) {
            const TextItem& item = items[i];
            if (item.kind == ItemKind::SetColour) {
                colour = Colour::FromPacked(item.tagHasAlpha ? item.tagColour
                                                             : (item.tagColour & 0xFFFFFFu) |
                                                                   static_cast<uint32_t>(def.colour.a) << 24);
                continue;
            }
            if (item.kind == ItemKind::RestoreColour) {
                colour = def.colour;
                continue;
            }
            const BitmapGlyph* glyph = FindGlyph(font, static_cast<int32_t>(item.code));
            if (glyph == nullptr) {
                continue;
            }
            BitmapQuad quad;
            quad.left = penX + glyph->xOffset + lineOffset;
            quad.top = penY - glyph->yOffset * def.lineHeight + verticalMove;
            quad.right = quad.left + glyph->width;
            quad.bottom = quad.top - glyph->height * def.lineHeight;
            quad.uLeft = glyph->u;
            quad.vTop = glyph->v;
            quad.uRight = glyph->u + glyph->width * font->m_textureScale / static_cast<float>(font->m_pageWidth);
            quad.vBottom =
                glyph->v + glyph->height * font->m_textureScale / static_cast<float>(font->m_pageHeight);
            quad.colour = colour;
            quad.page = glyph->page;
            quad.line = lineIndex;
            penX += glyph->advance + justification * static_cast<float>(JustifyUnits(item.code));
            if (glyph->width > 0.0f && glyph->height > 0.0f &&
                (def.clip == nullptr || ClipQuad(quad, clip))) {
                outQuads.push_back(quad);
            }
        }
        if (line.next >= items.size() && !line.endsAtNewline) {
            return;
        }
        start = line.next;
        penY -= def.lineHeight;
        ++lineIndex;
        if (start >= items.size()) {
            return;
        }
    }
}

void BitmapFont::DrawText(BitmapFont* font, const char* text, const BitmapTextDef& def) {
    if (font == nullptr) {
        return;
    }
    LayOut(font, text, def, font->m_quads);
    if (font->m_quads.empty()) {
        return;
    }
    for (std::vector<ImmediateVertex>& vertices : font->m_vertices) {
        vertices.clear();
    }
    for (const BitmapQuad& quad : font->m_quads) {
        if (quad.page >= font->m_vertices.size()) {
            continue;  // a glyph on a page the font does not have
        }
        float rgba[4];
        quad.colour.GetRGBAFloats(rgba);
        const float corners[6][4] = {
            {quad.left, quad.top, quad.uLeft, quad.vTop},         {quad.left, quad.bottom, quad.uLeft, quad.vBottom},
            {quad.right, quad.top, quad.uRight, quad.vTop},       {quad.right, quad.top, quad.uRight, quad.vTop},
            {quad.left, quad.bottom, quad.uLeft, quad.vBottom},   {quad.right, quad.bottom, quad.uRight, quad.vBottom},
        };
        for (const auto& corner : corners) {
            ImmediateVertex vertex;
            vertex.x = corner[0];
            vertex.y = corner[1];
            vertex.nz = 1.0f;
            vertex.r = rgba[0];
            vertex.g = rgba[1];
            vertex.b = rgba[2];
            vertex.a = rgba[3];
            vertex.u = corner[2];
            vertex.v = corner[3];
            font->m_vertices[quad.page].push_back(vertex);
        }
    }
    // World: the text's own units scaled, turned about its position, placed.
    Matrix4 world = Matrix4::Identity();
    const Angle angle = AngleFromDegrees(def.rotationDegrees);
    Matrix4::Scale(world, def.scale, def.scale, 1.0f);
    Matrix4::RotateZ(world, SinLookup(angle), CosLookup(angle));
    world.m[12] = def.x;
    world.m[13] = def.y;
    world.m[14] = def.z;
    RenderTransforms& transforms = RenderTransforms::Get();
    MatrixStack& worldStack = transforms.World();
    const Matrix4 saved = worldStack.Current();
    worldStack.Set(world);
    transforms.Apply(false);
    for (size_t page = 0; page < font->m_vertices.size(); ++page) {
        const std::vector<ImmediateVertex>& vertices = font->m_vertices[page];
        if (!vertices.empty()) {
            DrawTexturedTriangles(vertices.data(), static_cast<int32_t>(vertices.size()), true, nullptr,
                                  font->m_pages[page].texture);
        }
    }
    worldStack.Set(saved);
    transforms.Apply(false);
}

}  // namespace Varnok
