// What the document's nodes draw through: the path operations plus a shape's
// start, its drawing and ellipses. VectorImage supplies the AGG one.
#pragma once

#include "engine/text/vector/SvgPathData.h"
#include "engine/text/vector/SvgTypes.h"

namespace Varnok {

class SvgRenderBackend : public SvgPathSink {
public:
    // Keeps the style and the shape's user-space bounds; empties the path.
    virtual void Begin(const SvgRenderStyle& style, const SvgBounds& bounds) = 0;
    // Fills and strokes the path gathered since Begin (nothing below two vertices).
    virtual void Draw() = 0;
    // Draws an ellipse at once and leaves the path empty.
    virtual void Ellipse(const SvgRenderStyle& style, float cx, float cy, float rx, float ry) = 0;
};

}  // namespace Varnok
