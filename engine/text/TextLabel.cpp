// Wrapping with shrinking, line placement, clipping and drawing of a label.
#include "engine/text/TextLabel.h"

#include "engine/text/Font.h"
#include "engine/text/MarkupColourMap.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Varnok {
namespace {

// Lines are drawn left-aligned on their baseline: the label places them.
constexpr int kLineDrawFlags = 9;

int32_t Truncate(float value) {
    if (!(value == value)) {
        return 0;
    }
    return static_cast<int32_t>(std::max(-1e9f, std::min(value, 1e9f)));
}

}  // namespace

TextLabel::TextLabel(Font* font, float size, int boxWidth, int boxHeight, int alignFlags,
                     int maximumLines, int lineSpacing)
    : TextLabel(font, size, boxWidth, boxHeight, alignFlags, maximumLines, lineSpacing, nullptr) {}

TextLabel::TextLabel(Font* font, float size, int boxWidth, int boxHeight, int alignFlags,
                     int maximumLines, int lineSpacing, const std::vector<float>* sizes)
    : m_boxWidth(boxWidth),
      m_boxHeight(boxHeight),
      m_maximumLines(maximumLines),
      m_alignFlags(alignFlags),
      m_lineSpacing(lineSpacing),
      m_size(size),
      m_font(font),
      m_currentSize(size),
      m_sizes(sizes) {}

TextLabel::~TextLabel() = default;

void TextLabel::SetText(const char* text) {
    if (text == nullptr || (m_hasText && m_sourceText == text)) {
        return;
    }
    m_sourceText = text;
    m_text = m_sourceText;
    m_hasText = true;
    if (m_markup != nullptr) {
        m_markup->Parse(m_text);
    }
    m_needsWrap = true;
}

void TextLabel::EnableMarkup(bool on) {
    if (on && m_markup == nullptr) {
        m_markup = std::make_unique<MarkupColourMap>();
        m_text = m_sourceText;
        m_markup->Parse(m_text);
    } else if (!on && m_markup != nullptr) {
        m_lines.clear();  // they point at the map
        m_markup.reset();
        m_text = m_sourceText;
    }
    m_needsWrap = true;
}

void TextLabel::SetColour(const Colour& colour, bool applyNow) {
    if (m_fillColours[0] == colour && m_fillMode == 1) {
        return;
    }
    m_fillColours[0] = colour;
    m_fillMode = 1;
    m_fourColour = false;
    if (applyNow) {
        for (auto& line : m_lines) {
            line->SetColour(colour);
        }
    } else {
        m_needsWrap = true;
    }
}

void TextLabel::SetGradient(const Colour& first, const Colour& second, bool applyNow) {
    if (m_fillColours[0] == first && m_fillColours[1] == second && m_fillMode == 2 && !m_fourColour) {
        return;
    }
    m_fillColours[0] = first;
    m_fillColours[1] = second;
    m_fillMode = 2;
    m_fourColour = false;
    if (applyNow) {
        for (auto& line : m_lines) {
            line->SetGradient(first, second);
        }
    } else {
        m_needsWrap = true;
    }
}

void TextLabel::SetGradient4(const Colour& c1, const Colour& c2, const Colour& c3,
                             const Colour& c4, bool applyNow) {
    m_fillColours[0] = c1;
    m_fillColours[1] = c2;
    m_fillColours[2] = c3;
    m_fillColours[3] = c4;
    m_fillMode = 4;
    m_fourColour = true;
    if (applyNow) {
        for (auto& line : m_lines) {
            line->SetGradient4(c1, c2, c3, c4);
        }
    } else {
        m_needsWrap = true;
    }
}

void TextLabel::SetAlpha(uint8_t alpha) {
    for (Colour& colour : m_fillColours) {
        colour.a = alpha;
    }
    for (auto& line : m_lines) {
        line->SetAlpha(alpha);
    }
}

void TextLabel::SetOutline(float size, const Colour& colour) {
    if (m_outlineSet && size == m_outlineSize && colour == m_outlineColour) {
        return;
    }
    m_outlineSet = true;
    m_outlineSize = size;
    m_outlineColour = colour;
    m_needsWrap = true;
}

void TextLabel::SetInnerGlow(float size, const Colour& colour) {
    if (size == m_innerGlowSize && colour == m_innerGlowColour) {
        return;
    }
    m_innerGlowSize = size;
    m_innerGlowColour = colour;
    m_needsWrap = true;
}

void TextLabel::SetShadow(float size, const Colour& colour, const Vector3& offset, int mode) {
    if (size == m_shadowSize && colour == m_shadowColour && mode == m_shadowMode &&
        offset.x == m_shadowOffset.x && offset.y == m_shadowOffset.y &&
        offset.z == m_shadowOffset.z) {
        return;
    }
    m_shadowSize = size;
    m_shadowColour = colour;
    m_shadowOffset = offset;
    m_shadowMode = mode;
    m_needsWrap = true;
}

void TextLabel::SetBevel(float size, float softness, float angle, float depth,
                         const Colour& light, const Colour& dark) {
    if (size == m_bevelSize && softness == m_bevelSoftness && angle == m_bevelAngle &&
        depth == m_bevelDepth && light == m_bevelLightColour && dark == m_bevelDarkColour) {
        return;
    }
    m_bevelSize = size;
    m_bevelSoftness = softness;
    m_bevelAngle = angle;
    m_bevelDepth = depth;
    m_bevelLightColour = light;
    m_bevelDarkColour = dark;
    m_needsWrap = true;
}

void TextLabel::SetCharSpacing(int spacing) {
    m_charSpacing = spacing;
    m_needsWrap = true;
}

void TextLabel::SetPosition(const Vector3& point, bool asCentre) {
    Vector3 p = point;
    if (asCentre) {
        p.x -= static_cast<float>(m_boxWidth / 2);
        p.y += static_cast<float>(m_boxHeight / 2);
    }
    m_position = p;
}

void TextLabel::SetClipPolygon(const std::vector<Vector2>* polygon,
                               const std::vector<Vector2>* shadowPolygon) {
    m_clipEnabled = polygon != nullptr;
    m_clipPolygon = polygon;
    m_shadowClipPolygon = shadowPolygon;
    m_needsLayout = true;
}

void TextLabel::SetSize(float size) {
    if (size != m_size) {
        m_size = size;
        m_needsWrap = true;
    }
}

void TextLabel::SetFirstLineOnTop(bool on) {
    m_firstLineOnTop = on;
    m_needsLayout = true;
}

int TextLabel::GetLineStep() const {
    return Truncate(m_currentSize + static_cast<float>(m_lineSpacing) -
                    0.5f * (m_size - m_currentSize));
}

bool TextLabel::WrapAt(float size, std::vector<std::string>* outLines,
                       std::vector<int>* outStarts) const {
    if (m_font == nullptr || m_text.empty()) {
        outLines->clear();
        if (outStarts != nullptr) {
            outStarts->clear();
        }
        return false;
    }
    const float width = m_noWrap ? -1.0f : static_cast<float>(m_boxWidth);
    return m_font->WrapText(size, m_text.c_str(), m_charSpacing, width, outLines, outStarts);
}

TextStyle TextLabel::MakeStyle() const {
    TextStyle style;
    style.fillColour = m_fillColours[0];
    style.charSpacing = static_cast<float>(m_charSpacing);
    style.outlineSize = m_outlineSize;
    style.outlineColour = m_outlineColour;
    style.shadowSize = m_shadowSize;
    style.shadowColour = m_shadowColour;
    style.shadowMode = m_shadowMode;
    style.innerGlowSize = m_innerGlowSize;
    style.innerGlowColour = m_innerGlowColour;
    style.bevelSize = m_bevelSize;
    style.bevelSoftness = m_bevelSoftness;
    style.bevelAngle = m_bevelAngle;
    style.bevelDepth = m_bevelDepth;
    style.bevelLightColour = m_bevelLightColour;
    style.bevelDarkColour = m_bevelDarkColour;
    return style;
}

void TextLabel::ApplyFill(StyledText& line) const {
    if (m_fillMode == 4) {
        line.SetGradient4(m_fillColours[0], m_fillColours[1], m_fillColours[2], m_fillColours[3]);
    } else if (m_fillMode == 2) {
        line.SetGradient(m_fillColours[0], m_fillColours[1]);
    }
}

void TextLabel::Wrap() {
    m_currentSize = m_size;
    auto tooMany = [this] {
        return !m_textbox && m_maximumLines > 0 && static_cast<int>(m_wrappedLines.size()) > m_maximumLines;
    };
    bool cut = WrapAt(m_currentSize, &m_wrappedLines, &m_lineStarts);
    if (m_sizes != nullptr && !m_sizes->empty()) {
        // The largest listed size below the requested one comes next.
        int next = static_cast<int>(m_sizes->size()) - 1;
        while (next >= 0 && (*m_sizes)[next] >= m_currentSize) {
            --next;
        }
        while ((cut || tooMany()) && m_currentSize > 5.0f && !m_noWrap && !m_textbox && next >= 0) {
            m_currentSize = (*m_sizes)[next--];
            cut = WrapAt(m_currentSize, &m_wrappedLines, &m_lineStarts);
        }
    } else {
        while ((cut || tooMany()) && m_currentSize > 5.0f && !m_noWrap && !m_textbox) {
            m_currentSize -= 1.0f;
            cut = WrapAt(m_currentSize, &m_wrappedLines, &m_lineStarts);
        }
    }

    m_lines.clear();
    const TextStyle style = MakeStyle();
    for (size_t i = 0; i < m_wrappedLines.size(); ++i) {
        auto line = std::make_unique<StyledText>(m_font, m_wrappedLines[i].c_str(), m_currentSize,
                                                 style, m_markup.get(), m_lineStarts[i]);
        ApplyFill(*line);
        line->SetShadowOffset(m_shadowOffset);
        m_lines.push_back(std::move(line));
    }
    m_needsWrap = false;
    m_needsLayout = true;
}

void TextLabel::Layout() {
    const int step = GetLineStep();
    const int n = static_cast<int>(m_lines.size());
    const int boxHeight = m_boxHeight;
    const int vertical = m_alignFlags & 0x0C;
    int maxLineHeight = 0;
    for (const auto& line : m_lines) {
        const TextBounds& b = line->GetFill().GetBounds();
        maxLineHeight = std::max(maxLineHeight, std::abs(b.maxY - b.minY));
    }
    for (int i = 0; i < n; ++i) {
        StyledText& line = *m_lines[i];
        const TextBounds& b = line.GetFill().GetBounds();
        const int lineHeight = std::abs(b.maxY - b.minY);
        int y = 0;
        if ((m_alignFlags & kLabelAlignNoPlacement) != 0) {
            y = -Truncate(m_currentSize) - i * step;
        } else if (vertical == kLabelAlignMiddle || (m_alignFlags & kLabelAlignShowEnd) != 0) {
            if (n == 1) {
                y = b.minY / 2 - b.maxY - (boxHeight - lineHeight) / 2;
            } else {
                const int first = -(maxLineHeight / 2) + n * step / 2 - boxHeight / 2 - step / 2;
                y = first - i * step;
            }
        } else if (vertical == kLabelAlignBottom) {
            // The last line sits on the box bottom, the others above it in
            // reading order.
            const int bottom = -boxHeight - m_lines[n - 1]->GetFill().GetBounds().minY;
            y = bottom + (n - 1 - i) * step;
        } else if (i == 0 && m_firstLineOnTop) {
            y = -b.maxY;
        } else {
            const int slotCentre = -step / 2 - i * step;
            y = slotCentre - lineHeight / 2 - b.minY;
        }

        const int lineWidth = std::abs(b.maxX - b.minX);
        int x = 0;
        if ((m_alignFlags & kLabelAlignShowEnd) != 0) {
            x = lineWidth < m_boxWidth ? 0 : m_boxWidth - lineWidth;
        } else if ((m_alignFlags & 3) == kLabelAlignRight) {
            x = m_boxWidth - lineWidth;
        } else if ((m_alignFlags & 3) == kLabelAlignCentre) {
            x = m_boxWidth / 2 - lineWidth / 2;
        }
        line.SetPosition(Vector3{static_cast<float>(x), static_cast<float>(y), 0.0f});

        line.ResetClip();
        if (m_clipEnabled && m_clipPolygon != nullptr) {
            const Vector2 offset{static_cast<float>(-b.minX - x), static_cast<float>(y)};
            line.ClipPolygon(*m_clipPolygon, offset);
            line.ClipShadow(m_shadowClipPolygon != nullptr ? *m_shadowClipPolygon : *m_clipPolygon,
                            offset);
        }
    }
    m_needsLayout = false;
}

void TextLabel::Rebuild() {
    Wrap();
    Layout();
}

void TextLabel::SetTextboxMode() {
    if (!m_textbox) {
        m_textbox = true;
        m_needsWrap = true;
    }
}

bool TextLabel::ShrinkToFit() {
    if (m_textbox) {
        return false;
    }
    float size = m_size;
    std::vector<std::string> lines;
    for (;;) {
        WrapAt(size, &lines, nullptr);
        const int n = static_cast<int>(lines.size());
        if (static_cast<float>(m_lineSpacing * (n - 1)) + size * static_cast<float>(n) <
            static_cast<float>(m_boxHeight)) {
            break;
        }
        size -= 1.0f;
        if (!(size > 6.0f)) {
            break;
        }
    }
    if (size == m_size) {
        return false;
    }
    m_size = size;
    m_needsWrap = true;
    return true;
}

void TextLabel::Draw(float scaleX, float scaleY, float rotationDegrees, bool aboutCentre) {
    if (m_needsWrap) {
        Wrap();
    }
    if (m_needsLayout) {
        Layout();
    }
    Vector3 p = m_position;
    if (aboutCentre) {
        const float w = static_cast<float>(m_boxWidth);
        const float h = static_cast<float>(m_boxHeight);
        p.x += w / 2 - w * scaleX / 2;
        p.y -= h / 2 - scaleY * h / 2;
    }
    const float radians = rotationDegrees * 3.1415927f / 180.0f;
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    for (auto& line : m_lines) {
        const Vector3& at = line->GetPosition();
        float ox = at.x * scaleX;
        float oy = at.y * scaleY;
        if (rotationDegrees != 0.0f) {
            const float rx = ox * c - oy * s;
            oy = ox * s + oy * c;
            ox = rx;
        }
        line->Draw(Vector3{p.x + ox, p.y + oy, p.z + scaleX * at.z}, scaleX, scaleY,
                   rotationDegrees, kLineDrawFlags);
    }
}

void TextLabel::DrawTransformed(const Matrix4& matrix) {
    if (m_needsWrap) {
        Wrap();
    }
    if (m_needsLayout) {
        Layout();
    }
    for (auto& line : m_lines) {
        const Vector3& at = line->GetPosition();
        Matrix4 placed = matrix;
        for (int k = 0; k < 3; ++k) {
            const float position = k == 0 ? m_position.x : (k == 1 ? m_position.y : m_position.z);
            placed.m[12 + k] = matrix.m[12 + k] + position + at.x * matrix.m[k] +
                               at.y * matrix.m[4 + k] + at.z * matrix.m[8 + k];
        }
        line->DrawTransformed(placed, kLineDrawFlags);
    }
}

}  // namespace Varnok
