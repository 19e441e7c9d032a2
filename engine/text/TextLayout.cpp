// Glyph placement, page batches, colouring, clipping and drawing of one text
// run.
#include "engine/text/TextLayout.h"

#include "engine/core/Utf8.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/text/Font.h"
#include "engine/text/FontManager.h"
#include "engine/text/MarkupColourMap.h"
#include "engine/text/internal/TriangleSplit.h"

#include <algorithm>
#include <cmath>

namespace Varnok {
namespace {

constexpr float kDegreesToRadians = 0.017453292f;

ImmediateVertex MakeVertex(float x, float y, float u, float v, const Colour& colour) {
    ImmediateVertex vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.nz = 1.0f;
    vertex.r = colour.r;
    vertex.g = colour.g;
    vertex.b = colour.b;
    vertex.a = colour.a;
    vertex.u = u;
    vertex.v = v;
    return vertex;
}

int32_t FloorToInt(float value) {
    return static_cast<int32_t>(std::floor(std::max(-1e9f, std::min(value, 1e9f))));
}

int32_t CeilToInt(float value) {
    return static_cast<int32_t>(std::ceil(std::max(-1e9f, std::min(value, 1e9f))));
}

}  // namespace

TextLayout::TextLayout(Font* font, const char* text, float size, const Colour& colour,
                       float charSpacing, const GlyphEffect& effect, MarkupColourMap* markup,
                       int indexBase)
    : m_effect(effect), m_font(font), m_text(text != nullptr ? text : ""), m_markup(markup),
      m_indexBase(indexBase) {
    FontManager& manager = FontManager::Get();
    const float reciprocal = font != nullptr ? font->GetReciprocalScale() : 1.0f;
    const float scale = font != nullptr ? font->GetScale() : 1.0f;
    m_size = size * manager.GetSizeMultiplier();
    m_charSpacing = (charSpacing + static_cast<float>(manager.GetExtraSpacing())) * reciprocal;
    if (effect.type == GlyphEffect::Outline || effect.type == GlyphEffect::Glow ||
        effect.type == GlyphEffect::InnerGlow) {
        m_effect.params[0] = std::ceil(effect.params[0] * scale);
    }
    m_stops.push_back(TextColourStop{colour, 0.0f});
    Build();
    manager.RegisterLayout(this);
}

TextLayout::~TextLayout() {
    FontManager::Get().UnregisterLayout(this);
}

void TextLayout::SetText(const char* text) {
    m_text = text != nullptr ? text : "";
    m_glyphsBuilt = false;
    m_batchesBuilt = false;
}

void TextLayout::Invalidate() {
    m_glyphs.clear();
    m_glyphsBuilt = false;
    m_batchCount = 0;
    m_batchesBuilt = false;
    m_bounds = TextBounds{};
    if (m_font != nullptr) {
        m_font->ResetSizeCache();
    }
}

void TextLayout::Build() {
    if (!m_glyphsBuilt) {
        BuildGlyphs();
    }
    PlaceGlyphs();
    if (m_arcRadius != 0.0f) {
        ApplyArc();
    }
    BuildBatches();
    ApplyColours();
}

void TextLayout::BuildGlyphs() {
    m_glyphs.clear();
    m_glyphsBuilt = true;
    if (m_font == nullptr) {
        return;
    }
    const char* cursor = m_text.c_str();
    int index = 0;
    for (uint32_t c = Utf8Decode(cursor); c != 0; c = Utf8Decode(cursor), ++index) {
        Glyph glyph;
        // A glyph the font cannot produce is left out; the others keep
        // their indices in the text.
        if (m_font->GetGlyph(c, m_size, m_effect, glyph)) {
            glyph.index = index + m_indexBase;
            m_glyphs.push_back(glyph);
        }
    }
}

void TextLayout::PlaceGlyphs() {
    float pen = 0.0f;
    m_curved = false;
    const size_t count = m_glyphs.size();
    for (size_t i = 0; i < count; ++i) {
        Glyph& glyph = m_glyphs[i];
        glyph.positionX = pen;
        glyph.positionY = glyph.advanceY;
        glyph.rotation = 0.0f;
        if (i + 1 < count) {
            pen += glyph.GetAdvanceWithKerning(&m_glyphs[i + 1]);
        } else if (m_arcRadius != 0.0f) {
            pen += glyph.advanceX;
        } else {
            pen += glyph.width + (glyph.character == 32 ? glyph.advanceX : 0.0f);
        }
        pen += m_charSpacing + 1.0f;
    }
    m_width = pen;
}

void TextLayout::ApplyArc() {
    const float radius = m_arcRadius;
    const float degreesPerUnit = 360.0f / (radius * 6.2831855f);
    const float centre = m_width * 0.5f * degreesPerUnit;
    for (Glyph& glyph : m_glyphs) {
        const float x = glyph.positionX;
        const float y = glyph.positionY;
        const float phi = (degreesPerUnit * x - centre) * -kDegreesToRadians + 1.5707964f;
        glyph.positionX = (y + radius) * std::cos(phi);
        glyph.positionY = (y + radius) * std::sin(phi);
        glyph.rotation =
            (degreesPerUnit * (x + glyph.width * 0.5f - glyph.offsetX) - centre) * -kDegreesToRadians;
    }
    m_curved = true;
}

void TextLayout::BuildBatches() {
    m_batchCount = 0;
    for (size_t i = 0; i < m_glyphs.size(); ++i) {
        const Glyph& glyph = m_glyphs[i];
        TextBatch* batch = nullptr;
        for (int b = 0; b < m_batchCount; ++b) {
            if (m_batches[b]->m_page == glyph.page) {
                batch = m_batches[b].get();
                break;
            }
        }
        if (batch == nullptr) {
            if (m_batchCount == static_cast<int>(m_batches.size())) {
                m_batches.push_back(std::make_unique<TextBatch>());
            }
            batch = m_batches[m_batchCount++].get();
            batch->m_page = glyph.page;
            batch->m_pageImage = glyph.image;
            batch->m_glyphs.clear();
            batch->m_vertices.clear();
            batch->m_clipBuffers[0].clear();
            batch->m_clipBuffers[1].clear();
            batch->m_clipIndex = -1;
        }
        batch->m_glyphs.push_back(static_cast<int>(i));
    }

    const Colour base = m_stops.front().colour;
    bool anyVertices = false;
    TextBounds bounds;
    for (int b = 0; b < m_batchCount; ++b) {
        TextBatch& batch = *m_batches[b];
        batch.m_colour = base;
        batch.m_alpha = base.a;
        std::vector<ImmediateVertex>& vertices = batch.m_vertices;
        for (int index : batch.m_glyphs) {
            const Glyph& g = m_glyphs[index];
            if (g.width < 1.0f || g.height < 1.0f || g.character == 10) {
                continue;
            }
            Colour colour = base;
            if (m_markup != nullptr && m_markup->GetCharColour(g.index, colour)) {
                colour.a = batch.m_alpha;
            }
            const float c = std::cos(g.rotation);
            const float s = std::sin(g.rotation);
            auto corner = [&](float cx, float cy, float u, float v) {
                return MakeVertex(g.positionX + cx * c - cy * s, g.positionY + cx * s + cy * c, u,
                                  v, colour);
            };
            const ImmediateVertex bottomLeft = corner(-g.offsetX, -g.offsetY, g.texLeft, g.texBottom);
            const ImmediateVertex bottomRight =
                corner(g.width - g.offsetX, -g.offsetY, g.texRight, g.texBottom);
            const ImmediateVertex topLeft = corner(-g.offsetX, g.height - g.offsetY, g.texLeft, g.texTop);
            const ImmediateVertex topRight =
                corner(g.width - g.offsetX, g.height - g.offsetY, g.texRight, g.texTop);
            vertices.push_back(bottomRight);
            vertices.push_back(topLeft);
            vertices.push_back(bottomLeft);
            vertices.push_back(topRight);
            vertices.push_back(topLeft);
            vertices.push_back(bottomRight);
        }
        batch.m_bounds = TextBounds{};
        if (vertices.empty()) {
            continue;
        }
        float minX = vertices[0].x, maxX = vertices[0].x, minY = vertices[0].y, maxY = vertices[0].y;
        for (const ImmediateVertex& v : vertices) {
            minX = std::min(minX, v.x);
            maxX = std::max(maxX, v.x);
            minY = std::min(minY, v.y);
            maxY = std::max(maxY, v.y);
        }
        batch.m_bounds = TextBounds{FloorToInt(minX), CeilToInt(maxY), CeilToInt(maxX), FloorToInt(minY)};
        if (!anyVertices) {
            bounds = batch.m_bounds;
            anyVertices = true;
        } else {
            bounds.minX = std::min(bounds.minX, batch.m_bounds.minX);
            bounds.maxY = std::max(bounds.maxY, batch.m_bounds.maxY);
            bounds.maxX = std::max(bounds.maxX, batch.m_bounds.maxX);
            bounds.minY = std::min(bounds.minY, batch.m_bounds.minY);
        }
    }
    if (anyVertices) {
        const int32_t widthEdge = static_cast<int32_t>(
            std::max(-1e9f, std::min(m_width + static_cast<float>(bounds.minX) + 0.5f, 1e9f)));
        bounds.maxX = std::max(bounds.maxX, widthEdge);
    }
    m_bounds = bounds;
    m_batchesBuilt = true;
}

void TextLayout::ApplyColours() {
    if (m_stops.size() >= 2) {
        ApplyGradient(m_stops[0].colour, m_stops[1].colour);
        for (size_t i = 2; i < m_stops.size(); ++i) {
            ApplyStop(m_stops[i]);
        }
    }
    if (m_alphaOverride) {
        ApplyAlpha();
    }
}

void TextLayout::ApplyGradient(const Colour& first, const Colour& second) {
    const float height = static_cast<float>(std::max(1, m_bounds.maxY - m_bounds.minY));
    const float top[4] = {first.r / 255.0f, first.g / 255.0f, first.b / 255.0f, first.a / 255.0f};
    const float bottom[4] = {second.r / 255.0f, second.g / 255.0f, second.b / 255.0f,
                             second.a / 255.0f};
    for (int b = 0; b < m_batchCount; ++b) {
        for (ImmediateVertex& v : m_batches[b]->m_vertices) {
            const float s = std::max(0.0f, std::min((v.y - m_bounds.minY) / height, 1.0f));
            float* channel = &v.r;
            for (int i = 0; i < 4; ++i) {
                channel[i] = static_cast<float>(static_cast<int>((s * top[i] + (1.0f - s) * bottom[i]) * 255.0f));
            }
        }
    }
}

void TextLayout::ApplyStop(const TextColourStop& stop) {
    SplitPlane plane;
    plane.b = 1.0f;
    plane.d = -static_cast<float>(m_bounds.maxY + m_bounds.minY) * stop.position;
    float colour[4];
    stop.colour.GetRGBAFloats(colour);
    for (int b = 0; b < m_batchCount; ++b) {
        std::vector<ImmediateVertex>& vertices = m_batches[b]->m_vertices;
        m_splitScratch.clear();
        SplitTriangles(vertices.data(), vertices.size(), plane, true, colour, m_splitScratch);
        vertices.swap(m_splitScratch);
    }
}

void TextLayout::ApplyAlpha() {
    const float alpha = m_alpha;
    for (int b = 0; b < m_batchCount; ++b) {
        TextBatch& batch = *m_batches[b];
        for (ImmediateVertex& v : batch.m_vertices) {
            v.a = alpha;
        }
        for (std::vector<ImmediateVertex>& buffer : batch.m_clipBuffers) {
            for (ImmediateVertex& v : buffer) {
                v.a = alpha;
            }
        }
    }
}

void TextLayout::SetArc(float radius) {
    m_arcRadius = std::isfinite(radius) ? radius : 0.0f;
    Build();
}

void TextLayout::SetGradient(const Colour& first, const Colour& second) {
    m_stops.clear();
    m_stops.push_back(TextColourStop{first, 0.0f});
    m_stops.push_back(TextColourStop{second, 1.0f});
    if (m_batchesBuilt) {
        ApplyGradient(first, second);
        if (m_alphaOverride) {
            ApplyAlpha();
        }
    }
}

void TextLayout::AddColourStop(const Colour& colour, float position) {
    m_stops.push_back(TextColourStop{colour, position});
    if (m_batchesBuilt) {
        ApplyStop(m_stops.back());
        if (m_alphaOverride) {
            ApplyAlpha();
        }
    }
}

void TextLayout::SetAlpha(uint8_t alpha) {
    m_alphaOverride = true;
    m_alpha = alpha;
    ApplyAlpha();
}

Matrix4 TextLayout::AlignmentShift(int alignFlags, const TextLayout* reference) const {
    Matrix4 matrix;
    if (m_curved) {
        return matrix;
    }
    const TextBounds& b = reference != nullptr ? reference->m_bounds : m_bounds;
    switch (alignFlags & 3) {
        case kTextAlignRight:
            matrix.m[12] = -static_cast<float>(b.maxX - b.minX);
            break;
        case kTextAlignCentre:
            matrix.m[12] = -static_cast<float>((b.maxX - b.minX) / 2);
            break;
        default:
            break;
    }
    switch (alignFlags & 12) {
        case kTextAlignTop:
            matrix.m[13] = -static_cast<float>(b.maxY);
            break;
        case kTextAlignMiddle:
            matrix.m[13] = static_cast<float>((b.minY - b.maxY) / 2 - b.minY);
            break;
        default:
            break;
    }
    return matrix;
}

void TextLayout::Draw(const Vector3& position, float scaleX, float scaleY, float rotationDegrees,
                      int alignFlags, const TextLayout* reference) {
    if (!m_batchesBuilt) {
        Build();
    }
    Matrix4 world = AlignmentShift(alignFlags, reference);
    Matrix4::Scale(world, scaleX, scaleY, 1.0f);
    const Angle angle = AngleFromDegrees(rotationDegrees);
    Matrix4::RotateZ(world, SinLookup(angle), CosLookup(angle));
    world.m[12] += position.x;
    world.m[13] += position.y;
    world.m[14] += position.z;
    DrawBatches(world);
}

void TextLayout::DrawTransformed(const Matrix4& matrix, int alignFlags,
                                 const TextLayout* reference) {
    if (!m_batchesBuilt) {
        Build();
    }
    Matrix4 world;
    Matrix4::Multiply(AlignmentShift(alignFlags, reference), matrix, world);
    DrawBatches(world);
}

void TextLayout::DrawBatches(const Matrix4& world) {
    bool any = false;
    for (int b = 0; b < m_batchCount && !any; ++b) {
        any = !m_batches[b]->GetDrawnVertices().empty();
    }
    if (!any) {
        return;
    }
    FontManager& manager = FontManager::Get();
    manager.UploadAtlas();
    Matrix4 scaled = world;
    Matrix4::Scale(scaled, 1.0f, manager.GetVerticalDrawScale(), 1.0f);
    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.World().Set(scaled);
    transforms.Apply(false);
    for (int b = 0; b < m_batchCount; ++b) {
        const std::vector<ImmediateVertex>& vertices = m_batches[b]->GetDrawnVertices();
        if (!vertices.empty()) {
            DrawBatchedTriangles(vertices.data(), static_cast<int32_t>(vertices.size()),
                                 m_batches[b]->m_pageImage, true, nullptr);
        }
    }
}

void TextLayout::ClipPolygon(const std::vector<Vector2>& points, const Vector2& offset) {
    const size_t count = points.size();
    if (count < 3) {
        return;
    }
    // Inside an edge from a to b: n . q >= n . (a + offset).
    struct Edge {
        Vector2 normal;
        float limit;
    };
    std::vector<Edge> edges(count);
    for (size_t i = 0; i < count; ++i) {
        const Vector2& a = points[i];
        const Vector2& b = points[(i + 1) % count];
        Vector2 normal{a.y - b.y, b.x - a.x};
        normal.Normalise();
        edges[i] = Edge{normal, normal.x * (a.x + offset.x) + normal.y * (a.y + offset.y)};
    }
    for (int bi = 0; bi < m_batchCount; ++bi) {
        TextBatch& batch = *m_batches[bi];
        const TextBounds& bounds = batch.m_bounds;
        const Vector2 corners[4] = {{static_cast<float>(bounds.minX), -static_cast<float>(bounds.maxY)},
                                    {static_cast<float>(bounds.maxX), -static_cast<float>(bounds.maxY)},
                                    {static_cast<float>(bounds.minX), -static_cast<float>(bounds.minY)},
                                    {static_cast<float>(bounds.maxX), -static_cast<float>(bounds.minY)}};
        bool allInside = true;
        bool someEdgeExcludesAll = false;
        for (const Edge& edge : edges) {
            int inside = 0;
            for (const Vector2& corner : corners) {
                inside += edge.normal.x * corner.x + edge.normal.y * corner.y >= edge.limit ? 1 : 0;
            }
            allInside = allInside && inside == 4;
            someEdgeExcludesAll = someEdgeExcludesAll || inside == 0;
        }
        if (allInside) {
            batch.m_clipIndex = -1;
            continue;
        }
        batch.m_clipBuffers[0].clear();
        batch.m_clipBuffers[1].clear();
        batch.m_clipIndex = 0;
        if (someEdgeExcludesAll) {
            continue;
        }
        std::vector<ImmediateVertex>* current = &batch.m_clipBuffers[0];
        std::vector<ImmediateVertex>* other = &batch.m_clipBuffers[1];
        *current = batch.m_vertices;
        for (ImmediateVertex& v : *current) {
            v.y = -v.y;
        }
        for (const Edge& edge : edges) {
            other->clear();
            SplitPlane plane;
            plane.a = edge.normal.x;
            plane.b = edge.normal.y;
            plane.d = -edge.limit;
            SplitTriangles(current->data(), current->size(), plane, false, nullptr, *other);
            std::swap(current, other);
        }
        for (ImmediateVertex& v : *current) {
            v.y = -v.y;
        }
        batch.m_clipIndex = current == &batch.m_clipBuffers[0] ? 0 : 1;
    }
}

void TextLayout::ResetClip() {
    for (int b = 0; b < m_batchCount; ++b) {
        m_batches[b]->m_clipIndex = -1;
    }
}

}  // namespace Varnok
