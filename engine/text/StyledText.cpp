// The layers of a styled line, built, coloured and drawn together.
#include "engine/text/StyledText.h"

#include "engine/text/FontManager.h"
#include "engine/text/GlyphEffect.h"

#include <algorithm>

namespace Varnok {

StyledText::StyledText(Font* font, const char* text, float size, const TextStyle& style,
                       MarkupColourMap* markup, int indexBase)
    : m_shadowColour(style.shadowColour),
      m_outlineColour(style.outlineColour) {
    auto make = [&](const Colour& colour, const GlyphEffect& effect, MarkupColourMap* map,
                    int base) {
        return std::make_unique<TextLayout>(font, text, size, colour, style.charSpacing, effect,
                                            map, base);
    };
    if (style.shadowSize > 0.0f && style.shadowMode == 0) {
        m_layers[Shadow] = make(style.shadowColour, GlyphEffect(GlyphEffect::Glow, style.shadowSize),
                                nullptr, 0);
    } else if (style.shadowSize >= 0.0f && style.shadowMode == 1) {
        m_layers[Shadow] = make(style.shadowColour,
                                GlyphEffect(GlyphEffect::Outline, style.shadowSize), nullptr, 0);
    }
    if (style.outlineSize > 0.0f) {
        m_layers[Outline] = make(style.outlineColour,
                                 GlyphEffect(GlyphEffect::Outline, style.outlineSize), nullptr, 0);
    }
    m_layers[Fill] = make(style.fillColour, GlyphEffect(), markup, indexBase);
    if (style.innerGlowSize > 0.0f) {
        m_layers[InnerGlow] = make(style.innerGlowColour,
                                   GlyphEffect(GlyphEffect::InnerGlow, style.innerGlowSize), nullptr, 0);
    }
    if (style.bevelSize > 0.0f) {
        m_layers[BevelLight] =
            make(style.bevelLightColour,
                 GlyphEffect::MakeBevel(style.bevelSize, style.bevelSoftness, style.bevelAngle,
                                        style.bevelDepth),
                 nullptr, 0);
        m_layers[BevelDark] =
            make(style.bevelDarkColour,
                 GlyphEffect::MakeBevel(style.bevelSize, style.bevelSoftness,
                                        style.bevelAngle + 3.14159f, style.bevelDepth),
                 nullptr, 0);
    }
    if (style.arcRadius != 0.0f) {
        for (auto& layer : m_layers) {
            if (layer != nullptr) {
                layer->SetArc(style.arcRadius);
            }
        }
    }
}

StyledText::~StyledText() = default;

void StyledText::SetColour(const Colour& colour) {
    m_layers[Fill]->SetGradient(colour, colour);
}

void StyledText::SetGradient(const Colour& first, const Colour& second) {
    m_layers[Fill]->SetGradient(first, second);
}

void StyledText::SetGradient4(const Colour& c1, const Colour& c2, const Colour& c3,
                              const Colour& c4) {
    TextLayout& fill = *m_layers[Fill];
    fill.SetGradient(c1, c4);
    fill.AddColourStop(c2, 0.51f);
    fill.AddColourStop(c3, 0.49f);
}

void StyledText::SetAlpha(uint8_t alpha) {
    const float a = alpha / 255.0f;
    for (int i = 0; i < kLayerCount; ++i) {
        if (m_layers[i] == nullptr) {
            continue;
        }
        uint8_t layerAlpha = alpha;
        if (i == Shadow) {
            layerAlpha = static_cast<uint8_t>(a * (m_shadowColour.a / 255.0f) * 255.0f);
        } else if (i == Outline) {
            layerAlpha = static_cast<uint8_t>(a * (m_outlineColour.a / 255.0f) * 255.0f);
        }
        m_layers[i]->SetAlpha(layerAlpha);
    }
}

void StyledText::SetText(const char* text) {
    for (auto& layer : m_layers) {
        if (layer != nullptr) {
            layer->SetText(text);
            layer->Build();
        }
    }
}

void StyledText::Draw(const Vector3& position, float scaleX, float scaleY, float rotationDegrees,
                      int alignFlags) {
    TextLayout* fill = m_layers[Fill].get();
    if (!fill->IsBuilt()) {
        fill->Build();
    }
    for (int i = 0; i < kLayerCount; ++i) {
        if (m_layers[i] == nullptr) {
            continue;
        }
        const Vector3 at = i == Shadow ? Add(position, m_shadowOffset) : position;
        m_layers[i]->Draw(at, scaleX, scaleY, rotationDegrees, alignFlags, fill);
    }
}

void StyledText::DrawTransformed(const Matrix4& matrix, int alignFlags) {
    TextLayout* fill = m_layers[Fill].get();
    if (!fill->IsBuilt()) {
        fill->Build();
    }
    for (int i = 0; i < kLayerCount; ++i) {
        if (m_layers[i] == nullptr) {
            continue;
        }
        if (i == Shadow) {
            Matrix4 shifted = matrix;
            shifted.m[12] += m_shadowOffset.x;
            shifted.m[13] += m_shadowOffset.y;
            shifted.m[14] += m_shadowOffset.z;
            m_layers[i]->DrawTransformed(shifted, alignFlags, fill);
        } else {
            m_layers[i]->DrawTransformed(matrix, alignFlags, fill);
        }
    }
}

void StyledText::ResetClip() {
    for (auto& layer : m_layers) {
        if (layer != nullptr) {
            layer->ResetClip();
        }
    }
}

void StyledText::ClipPolygon(const std::vector<Vector2>& polygon, const Vector2& offset) {
    for (int i = Outline; i < kLayerCount; ++i) {
        if (m_layers[i] != nullptr) {
            m_layers[i]->ClipPolygon(polygon, offset);
        }
    }
}

void StyledText::ClipShadow(const std::vector<Vector2>& polygon, const Vector2& offset) {
    if (m_layers[Shadow] != nullptr) {
        m_layers[Shadow]->ClipPolygon(polygon, offset);
    }
}

namespace {

TextRect BoundsOverLayer(const std::vector<StyledText*>& lines, StyledText::Layer layer) {
    const float k = FontManager::Get().GetVerticalDrawScale() < 0.0f ? -1.0f : 1.0f;
    TextRect rect;
    bool any = false;
    for (const StyledText* line : lines) {
        const TextLayout* layout = line != nullptr ? line->GetLayer(layer) : nullptr;
        if (layout == nullptr) {
            continue;
        }
        const TextBounds& b = layout->GetBounds();
        const Vector3& p = line->GetPosition();
        const float left = p.x + b.minX;
        const float right = p.x + b.maxX;
        const float top = p.y + b.maxY;
        const float bottom = p.y + b.minY;
        if (!any) {
            rect = TextRect{left, top, right, bottom};
            any = true;
        } else {
            rect.left = std::min(rect.left, left);
            rect.right = std::max(rect.right, right);
            rect.top = std::max(rect.top, top);
            rect.bottom = std::min(rect.bottom, bottom);
        }
    }
    rect.top *= k;
    rect.bottom *= k;
    return rect;
}

}  // namespace

TextRect StyledText::ComputeBounds(const std::vector<StyledText*>& lines) {
    return BoundsOverLayer(lines, Fill);
}

TextRect StyledText::ComputeShadowBounds(const std::vector<StyledText*>& lines) {
    return BoundsOverLayer(lines, Shadow);
}

void StyledText::ComputeLayoutBounds(TextBounds& inOutBounds, const std::vector<StyledText*>& lines) {
    for (const StyledText* line : lines) {
        if (line == nullptr) {
            continue;
        }
        const TextBounds& b = line->GetFill().GetBounds();
        const int32_t x = static_cast<int32_t>(line->GetPosition().x);
        const int32_t y = static_cast<int32_t>(line->GetPosition().y);
        inOutBounds.minX = std::min(inOutBounds.minX, x + b.minX);
        inOutBounds.maxX = std::max(inOutBounds.maxX, x + b.maxX);
        inOutBounds.maxY = std::max(inOutBounds.maxY, y + b.maxY);
        inOutBounds.minY = std::min(inOutBounds.minY, y + b.minY);
    }
}

}  // namespace Varnok
