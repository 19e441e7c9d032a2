// Sutherland-Hodgman clipping against a convex outline, one edge at a time.
#include "engine/ui/UIClip.h"

#include <cmath>

namespace Varnok {

namespace {

constexpr float kOnLineTolerance = 1e-5f;

// Clips input by one edge line into output (cleared first).
void ClipByLine(const UIClipEdgeIterator& edge, const UIVertexList& input, UIVertexList& output) {
    output.clear();
    output.reserve(input.size());
    const size_t count = input.size();
    if (count == 0) {
        return;
    }
    const UIVertex* previous = &input[count - 1];
    float ePrevious = edge.Distance(previous->x, previous->y);
    for (size_t i = 0; i < count; ++i) {
        const UIVertex& current = input[i];
        const float eCurrent = edge.Distance(current.x, current.y);
        const bool previousStrictlyIn = ePrevious >= kOnLineTolerance;
        const bool previousOut = ePrevious <= -kOnLineTolerance;
        const bool currentStrictlyIn = eCurrent >= kOnLineTolerance;
        const bool currentOut = eCurrent <= -kOnLineTolerance;
        if ((previousStrictlyIn && currentOut) || (previousOut && currentStrictlyIn)) {
            const float denominator = ePrevious - eCurrent;
            if (denominator == 0.0f) {
                output.push_back(*previous);
            } else {
                const float t = ePrevious / denominator;
                const UIVertex& p = *previous;
                UIVertex v = p;
                v.x = p.x + t * (current.x - p.x);
                v.y = p.y + t * (current.y - p.y);
                v.z = p.z + t * (current.z - p.z);
                v.nx = 0.0f;
                v.ny = 0.0f;
                v.nz = 1.0f;
                v.r = p.r + t * (current.r - p.r);
                v.g = p.g + t * (current.g - p.g);
                v.b = p.b + t * (current.b - p.b);
                v.a = p.a + t * (current.a - p.a);
                v.u = p.u + t * (current.u - p.u);
                v.v = p.v + t * (current.v - p.v);
                output.push_back(v);
            }
        }
        if (!currentOut) {
            output.push_back(current);
        }
        previous = &current;
        ePrevious = eCurrent;
    }
}

}  // namespace

bool UIClipEdgeIterator::Next() {
    const size_t count = m_polygon.size();
    if (m_next >= count) {
        return false;
    }
    const UIVertex& a = m_polygon[m_next];
    const UIVertex& b = m_polygon[(m_next + 1) % count];
    ++m_next;
    float nx = a.y - b.y;
    float ny = b.x - a.x;
    const float length = std::sqrt(nx * nx + ny * ny);
    if (length > 0.0f) {  // a zero vector stays as it is
        nx /= length;
        ny /= length;
    }
    m_nx = nx;
    m_ny = ny;
    m_d = nx * a.x + ny * a.y;
    return true;
}

void UIClipPolygon(const UIVertexList& clip, const UIVertexList& subject, UIVertexList& out,
                   UIVertexList& temp) {
    if (&temp == &out || &temp == &clip || &temp == &subject) {
        out.clear();
        return;
    }
    if (&clip == &subject) {
        if (&out != &clip) {
            out = clip;
        }
        return;
    }
    if (clip.empty() || subject.empty()) {
        out.clear();
        return;
    }
    if (&out == &clip || &out == &subject) {
        UIVertexList fresh;
        UIVertexList scratch;
        UIClipPolygon(clip, subject, fresh, scratch);
        out = fresh;
        return;
    }
    // Each step reads the last result and writes the other list; the final
    // polygon ends in out.
    const size_t edges = clip.size();
    UIVertexList* lists[2] = {&out, &temp};
    // With an even number of edges the first write goes to temp.
    int target = (edges % 2 == 1) ? 0 : 1;
    const UIVertexList* current = &subject;
    UIClipEdgeIterator edge(clip);
    while (edge.Next()) {
        UIVertexList& next = *lists[target];
        ClipByLine(edge, *current, next);
        current = &next;
        target = 1 - target;
        if (next.empty()) {
            break;
        }
    }
    if (current != &out) {
        out = *current;
    }
}

}  // namespace Varnok
