// How a nine-patch image is cut: the whole image and its nine segments as
// integer pixel rectangles, and the reader of segmentation files.
//
// A segmentation file is XML: the document's first child element
// "segmentationmeta" holds "segmentation" (the geometry) and optionally
// "segmentationuv" (the texture-coordinate rectangles, a copy of the
// geometry by default). Each holds elements "w", "tl", "t", "tr", "l", "m",
// "r", "bl", "b", "br" (any letter case; others ignored; a repeat
// overwrites) with integer attributes "l", "t", "r", "b" (missing: 0). A
// segment not listed keeps its previous value.
#pragma once

#include "engine/ui/Component.h"

class TiXmlDocument;

namespace Varnok {

struct NinePatchRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

namespace NinePatchSegment {
enum : int {
    Whole = 0,
    TopLeft = 1,
    Top = 2,
    TopRight = 3,
    Left = 4,
    Middle = 5,
    Right = 6,
    BottomLeft = 7,
    Bottom = 8,
    BottomRight = 9,
    Count = 10,
};
}  // namespace NinePatchSegment

struct NinePatchSegmentation {
    NinePatchRect rects[NinePatchSegment::Count];

    // A 32 x 32 image with 15-pixel left and top borders, 16-pixel right and
    // bottom borders and a 1-pixel middle.
    static const NinePatchSegmentation& BuiltIn();
};

// The nine segments' rectangles in the window's own units, before the pivot
// is taken off, indexed by NinePatchSegment (entry 0, the whole image, is
// left empty).
struct NinePatchLayout {
    UIRect rects[NinePatchSegment::Count];
    float scaleX = 1.0f;
    float scaleY = 1.0f;
};

// Corners at their scaled size in their corners; edges and the middle span
// what lies between (never narrower than 0).
NinePatchLayout LayoutNinePatch(const NinePatchSegmentation& segmentation, float width, float height,
                                float componentScale, bool scaleIfTooSmall);

// Reads the document into geometry and uv (both reset to the built-in one
// first). False, leaving the built-in segmentation in both, when the
// document lacks "segmentationmeta" with "segmentation".
bool ReadNinePatchSegmentation(const TiXmlDocument& document, NinePatchSegmentation& outGeometry,
                               NinePatchSegmentation& outUV);

}  // namespace Varnok
