// Sutherland-Hodgman on one triangle at a time, fanned back into triangles.
#include "engine/text/internal/TriangleSplit.h"

namespace Varnok {
namespace {

constexpr float kTolerance = 1e-4f;

float Distance(const ImmediateVertex& v, const SplitPlane& plane) {
    return plane.a * v.x + plane.b * v.y + plane.c * v.z + plane.d;
}

ImmediateVertex Interpolate(const ImmediateVertex& p, const ImmediateVertex& q, float t) {
    const float* a = &p.x;
    const float* b = &q.x;
    ImmediateVertex result;
    float* r = &result.x;
    for (int i = 0; i < 12; ++i) {
        r[i] = a[i] + (b[i] - a[i]) * t;
    }
    return result;
}

// The piece of the triangle on one side (sign +1: inside, -1: outside),
// fanned into out.
void AppendSide(const ImmediateVertex* tri, const float* distance, float sign,
                const float* planeColour, std::vector<ImmediateVertex>& out) {
    ImmediateVertex polygon[4];
    int count = 0;
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3;
        const float di = sign * distance[i];
        const float dj = sign * distance[j];
        if (di >= -kTolerance) {
            polygon[count++] = tri[i];
        }
        const bool crosses = (di > kTolerance && dj < -kTolerance) ||
                             (di < -kTolerance && dj > kTolerance);
        if (crosses && count < 4) {
            ImmediateVertex cut = Interpolate(tri[i], tri[j], di / (di - dj));
            if (planeColour != nullptr) {
                cut.r = planeColour[0];
                cut.g = planeColour[1];
                cut.b = planeColour[2];
                cut.a = planeColour[3];
            }
            polygon[count++] = cut;
        }
    }
    for (int k = 1; k + 1 < count; ++k) {
        out.push_back(polygon[0]);
        out.push_back(polygon[k]);
        out.push_back(polygon[k + 1]);
    }
}

}  // namespace

void SplitTriangles(const ImmediateVertex* in, size_t count, const SplitPlane& plane,
                    bool keepBoth, const float* planeColour, std::vector<ImmediateVertex>& out) {
    for (size_t t = 0; t + 2 < count; t += 3) {
        const ImmediateVertex* tri = in + t;
        const float distance[3] = {Distance(tri[0], plane), Distance(tri[1], plane),
                                   Distance(tri[2], plane)};
        const bool noneBelow = distance[0] >= -kTolerance && distance[1] >= -kTolerance &&
                               distance[2] >= -kTolerance;
        const bool noneAbove =
            distance[0] <= kTolerance && distance[1] <= kTolerance && distance[2] <= kTolerance;
        if (noneBelow || noneAbove) {
            if (noneBelow || keepBoth) {
                out.insert(out.end(), tri, tri + 3);
            }
            continue;
        }
        AppendSide(tri, distance, 1.0f, planeColour, out);
        if (keepBoth) {
            AppendSide(tri, distance, -1.0f, planeColour, out);
        }
    }
}

}  // namespace Varnok
