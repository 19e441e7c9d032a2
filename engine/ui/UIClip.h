// Geometric clipping of UI outlines: a vertex polygon cut by a convex
// outline, edge by edge. The edge walk is shared with the point-in-outline
// test, so what is drawn and what is hit agree.
#pragma once

#include "engine/ui/UIVertex.h"

#include <cstddef>

namespace Varnok {

// The edges of a convex polygon, from vertex i to vertex i + 1 and from the
// last back to the first. Each edge gives its unit normal n and offset d
// (x and y only); the inside of an edge is where n.(x, y) - d >= 0, so for a
// quad in quad order the inside of all four edges is the rectangle.
class UIClipEdgeIterator {
public:
    explicit UIClipEdgeIterator(const UIVertexList& polygon) : m_polygon(polygon) {}

    // False past the last edge.
    bool Next();

    float NormalX() const { return m_nx; }
    float NormalY() const { return m_ny; }
    float Offset() const { return m_d; }
    // Signed distance of a point from the current edge's line.
    float Distance(float x, float y) const { return m_nx * x + m_ny * y - m_d; }

private:
    const UIVertexList& m_polygon;
    size_t m_next = 0;
    float m_nx = 0.0f;
    float m_ny = 0.0f;
    float m_d = 0.0f;
};

// Clips subject by the convex clip polygon into out; temp is the caller's
// scratch. out becomes empty when temp is out, clip or subject, or when
// either polygon is empty. A vertex within 1e-5 of a clip line counts as
// inside and adds no intersection. Vertices made by clipping interpolate
// position, colour and texture coordinates and take the normal (0, 0, 1).
void UIClipPolygon(const UIVertexList& clip, const UIVertexList& subject, UIVertexList& out,
                   UIVertexList& temp);

}  // namespace Varnok
