// Cutting triangle lists by a plane, for colour stops (keep both sides,
// colour the new vertices) and for clipping (keep the inside only).
#pragma once

#include "engine/render/ImmediateVertex.h"

#include <cstddef>
#include <vector>

namespace Varnok {

struct SplitPlane {
    float a = 0.0f, b = 0.0f, c = 0.0f, d = 0.0f;  // distance = a x + b y + c z + d
};

// Appends to out the pieces of every triangle of in (count a multiple of 3)
// on the inside of the plane (distance >= -1e-4), and with keepBoth the
// outside pieces too. Triangles not crossing the plane stay whole. Every
// attribute of a new vertex is interpolated; with planeColour set, the new
// vertices take that colour (0..255 floats, r g b a).
void SplitTriangles(const ImmediateVertex* in, size_t count, const SplitPlane& plane,
                    bool keepBoth, const float* planeColour, std::vector<ImmediateVertex>& out);

}  // namespace Varnok
