// The value types of an SVG document: matrices, boxes, paints, declared and
// computed styles, and gradients.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Colour.h"

#include <cstdint>
#include <vector>

namespace Varnok {

// SVG order: (x, y) maps to (a x + c y + e, b x + d y + f).
struct SvgAffine {
    float a = 1.0f, b = 0.0f, c = 0.0f, d = 1.0f, e = 0.0f, f = 0.0f;

    void Map(float x, float y, float& outX, float& outY) const {
        outX = a * x + c * y + e;
        outY = b * x + d * y + f;
    }
    // This then `right`: `right` acts on points first.
    SvgAffine Times(const SvgAffine& right) const {
        SvgAffine r;
        r.a = a * right.a + c * right.b;
        r.b = b * right.a + d * right.b;
        r.c = a * right.c + c * right.d;
        r.d = b * right.c + d * right.d;
        r.e = a * right.e + c * right.f + e;
        r.f = b * right.e + d * right.f + f;
        return r;
    }
};

// The all-zero box counts as empty wherever boxes are united.
struct SvgBounds {
    float minX = 0.0f, minY = 0.0f, maxX = 0.0f, maxY = 0.0f;

    bool IsEmpty() const { return minX == 0.0f && minY == 0.0f && maxX == 0.0f && maxY == 0.0f; }
    // Takes `other` when this box is empty; an empty `other` changes nothing.
    void Unite(const SvgBounds& other);
    // The axis-aligned box of the four mapped corners.
    SvgBounds Mapped(const SvgAffine& matrix) const;
};

namespace SvgPaintType {
enum : int32_t { None = 0, Colour = 1, Gradient = 2 };
}

struct SvgGradient;

struct SvgPaint {
    int32_t type = SvgPaintType::Colour;
    Colour colour = kColourBlack;
    AsciiString gradientId;            // without the "#"
    SvgGradient* gradient = nullptr;   // owned by the document; null until resolved or unknown
};

namespace SvgFillRule {
enum : int32_t { NonZero = 0, EvenOdd = 1 };
}

// What an element declares; only set properties override inherited ones.
struct SvgStyle {
    float strokeWidth = 0.0f;
    bool strokeWidthSet = false;
    SvgPaint stroke;
    bool strokeSet = false;
    SvgPaint fill;
    bool fillSet = false;
    float fillOpacity = 1.0f;
    bool fillOpacitySet = false;
    int32_t fillRule = SvgFillRule::NonZero;
    bool fillRuleSet = false;
    SvgAffine transform;
    bool hasTransform = false;
};

// The style handed down the tree while drawing.
struct SvgRenderStyle {
    float strokeWidth = 0.0f;
    SvgPaint stroke;
    SvgPaint fill;
    float fillOpacity = 1.0f;
    int32_t fillRule = SvgFillRule::NonZero;
    SvgAffine matrix;  // user space to image pixels

    // The node's declared style merged over this inherited one.
    SvgRenderStyle Merged(const SvgStyle& declared) const;
};

// An offset below every colour-table entry.
constexpr float kSvgStopWithoutOffset = -1.0e38f;

struct SvgGradientStop {
    float offset = kSvgStopWithoutOffset;
    Colour colour = kColourWhite;
};

namespace SvgGradientKind {
enum : int32_t { Linear = 0, Radial = 1 };
}
namespace SvgGradientUnits {
enum : int32_t { NotGiven = 0, ObjectBoundingBox = 1, UserSpaceOnUse = 2 };
}
namespace SvgSpread {
enum : int32_t { NotGiven = 0, Pad = 1, Reflect = 2, Repeat = 3 };
}

struct SvgGradient {
    int32_t kind = SvgGradientKind::Linear;
    std::vector<SvgGradientStop> stops;
    int32_t units = SvgGradientUnits::NotGiven;
    SvgAffine transform;
    int32_t spread = SvgSpread::NotGiven;
    AsciiString href;  // the gradient inherited from; empty when none
    // Linear: x1, y1, x2, y2. Radial: cx, cy, r, fx, fy.
    float coords[5] = {0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
};

}  // namespace Varnok
