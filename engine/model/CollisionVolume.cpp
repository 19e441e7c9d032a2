// The hit tests between boxes, spheres and segments, and the table that
// picks one for a pair of volumes.
#include "engine/model/CollisionVolume.h"

#include <algorithm>
#include <cmath>

namespace Varnok {

namespace {

// Squared distance under which two segments count as touching.
constexpr float kSegmentContactDistanceSq = 0.00001f;
// Below this the segments' directions count as parallel.
constexpr float kParallelDeterminant = 0.000001f;

float& Axis(Vector3& v, int axis) {
    return axis == 0 ? v.x : (axis == 1 ? v.y : v.z);
}
float Axis(const Vector3& v, int axis) {
    return axis == 0 ? v.x : (axis == 1 ? v.y : v.z);
}
float SignOf(float value) {
    return value >= 0.0f ? 1.0f : -1.0f;
}
void Negate(Vector3* out) {
    if (out != nullptr) {
        *out = Scale(*out, -1.0f);
    }
}

// Per axis, how far apart the two extents are (negative: overlapping).
Vector3 AxisGaps(const Vector3& centreA, const Vector3& halfA, const Vector3& centreB,
                 const Vector3& halfB) {
    Vector3 gap;
    for (int axis = 0; axis < 3; ++axis) {
        Axis(gap, axis) = std::fabs(Axis(centreA, axis) - Axis(centreB, axis)) -
                          (Axis(halfA, axis) + Axis(halfB, axis));
    }
    return gap;
}

// Written so that NaN counts as apart.
bool AnyAtLeastZero(const Vector3& gap) {
    return !(gap.x < 0.0f && gap.y < 0.0f && gap.z < 0.0f);
}

}  // namespace

CollisionBox::CollisionBox(const Vector3& boxCentre, const Vector3& boxHalfExtents)
    : centre(boxCentre), halfExtents(boxHalfExtents) {
    UpdateCorners();
}

void CollisionBox::UpdateCorners() {
    static const float kSigns[8][3] = {
        {1, 1, 1}, {1, -1, 1}, {-1, -1, 1}, {-1, 1, 1},
        {1, 1, -1}, {1, -1, -1}, {-1, -1, -1}, {-1, 1, -1},
    };
    for (int i = 0; i < 8; ++i) {
        corners[i] = {centre.x + kSigns[i][0] * halfExtents.x,
                      centre.y + kSigns[i][1] * halfExtents.y,
                      centre.z + kSigns[i][2] * halfExtents.z};
    }
}

bool CollisionBox::ContainsPoint(const Vector3& point, Vector3* out) const {
    bool inside = true;
    Vector3 distance;
    for (int axis = 0; axis < 3; ++axis) {
        const float c = Axis(centre, axis);
        const float h = Axis(halfExtents, axis);
        const float p = Axis(point, axis);
        if (p > c + h || p < c - h) {
            inside = false;
        }
        Axis(distance, axis) = (p > c ? c + h : c - h) - p;
    }
    if (out != nullptr) {
        // Whole units decide the axis, so small differences do not flicker it.
        const float tx = std::fabs(std::trunc(distance.x));
        const float ty = std::fabs(std::trunc(distance.y));
        const float tz = std::fabs(std::trunc(distance.z));
        *out = Vector3{};
        if (tz >= tx && tz >= ty) {
            out->z = distance.z;
        } else if (ty >= tx && ty >= tz) {
            out->y = distance.y;
        } else {
            out->x = distance.x;
        }
    }
    return inside;
}

bool IntersectBoxBox(const CollisionBox& a, const CollisionBox& b, Vector3* out) {
    const Vector3 gap = AxisGaps(a.centre, a.halfExtents, b.centre, b.halfExtents);
    if (AnyAtLeastZero(gap)) {
        return false;
    }
    if (out != nullptr) {
        const float ox = std::fabs(gap.x);
        const float oy = std::fabs(gap.y);
        const float oz = std::fabs(gap.z);
        const int axis = (ox < oy && ox < oz) ? 0 : (oy < oz ? 1 : 2);
        *out = Vector3{};
        Axis(*out, axis) = -std::fabs(Axis(gap, axis)) *
                           SignOf(Axis(a.centre, axis) - Axis(b.centre, axis));
    }
    return true;
}

bool IntersectBoxSphere(const CollisionBox& box, const CollisionSphere& sphere, Vector3* out) {
    if (out != nullptr) {
        *out = Vector3{};
    }
    const Vector3 radius{sphere.radius, sphere.radius, sphere.radius};
    const Vector3 gap = AxisGaps(box.centre, box.halfExtents, sphere.centre, radius);
    if (AnyAtLeastZero(gap)) {
        return false;
    }
    Vector3 closest;
    for (int axis = 0; axis < 3; ++axis) {
        const float c = Axis(box.centre, axis);
        const float h = Axis(box.halfExtents, axis);
        Axis(closest, axis) = std::min(std::max(Axis(sphere.centre, axis), c - h), c + h);
    }
    if (closest.x == sphere.centre.x && closest.y == sphere.centre.y &&
        closest.z == sphere.centre.z) {
        // The centre is inside the box: push out along the least overlap.
        if (out != nullptr) {
            const float ox = std::fabs(gap.x);
            const float oy = std::fabs(gap.y);
            const float oz = std::fabs(gap.z);
            const int axis = (ox < oy && ox <= oz) ? 0 : ((oy <= ox && oy <= oz) ? 1 : 2);
            Axis(*out, axis) = std::fabs(Axis(gap, axis)) *
                               SignOf(Axis(box.centre, axis) - Axis(sphere.centre, axis));
        }
        return true;
    }
    Vector3 v = Subtract(closest, sphere.centre);
    const float lengthSq = Dot(v, v);
    if (!(lengthSq - sphere.radius * sphere.radius < 0.0f)) {
        return false;
    }
    const float d = std::sqrt(lengthSq);
    v.Normalise();
    if (out != nullptr) {
        *out = Scale(v, std::fabs(d - sphere.radius));
    }
    return true;
}

bool IntersectBoxSegment(const CollisionBox& box, const CollisionSegment& segment, Vector3* out) {
    if (box.halfExtents.x == 0.0f && box.halfExtents.y == 0.0f && box.halfExtents.z == 0.0f) {
        return false;
    }
    const Vector3 d = Subtract(segment.b, segment.a);
    const Vector3 h = Scale(d, 0.5f);
    const Vector3 m = Add(segment.a, h);
    Vector3 e;
    for (int axis = 0; axis < 3; ++axis) {
        Axis(e, axis) = std::fabs(Axis(box.centre, axis) - Axis(m, axis)) -
                        (std::fabs(Axis(h, axis)) + Axis(box.halfExtents, axis));
        if (!(Axis(e, axis) <= 0.0f)) {
            return false;
        }
    }
    Vector3 n{d.x, d.y, -d.z};
    if (Dot(n, Subtract(box.centre, segment.a)) > 0.0f) {
        n = {-d.x, d.y, d.z};
    }
    n.Normalise();
    float boxReach = -INFINITY;
    for (const Vector3& corner : box.corners) {
        boxReach = std::max(boxReach, Dot(n, corner));
    }
    const float segmentReach = std::min(Dot(n, segment.a), Dot(n, segment.b));
    const float eN = segmentReach - boxReach;
    if (!(eN <= 0.0f)) {
        return false;
    }
    if (out != nullptr) {
        *out = Vector3{};
        const int axis = std::fabs(e.x) < std::fabs(e.y) ? 0 : 1;  // z is never chosen
        const float ea = std::fabs(Axis(e, axis));
        if (std::fabs(eN) < ea) {
            *out = Scale(n, eN);
        } else {
            Axis(*out, axis) = ea * SignOf(Axis(box.centre, axis) - Axis(m, axis));
        }
    }
    return true;
}

bool IntersectSphereSphere(const CollisionSphere& a, const CollisionSphere& b, Vector3* out) {
    const Vector3 diff = Subtract(a.centre, b.centre);
    if (out != nullptr) {
        *out = Vector3{};
    }
    const float reach = a.radius + b.radius;
    const float lengthSq = Dot(diff, diff);
    if (!(lengthSq < reach * reach)) {
        return false;
    }
    if (out != nullptr) {
        const float d = std::sqrt(lengthSq);
        *out = d == 0.0f ? Scale(diff, d - reach) : Scale(diff, (d - reach) / d);
    }
    return true;
}

bool IntersectSegmentSphere(const CollisionSphere& sphere, const CollisionSegment& segment,
                            Vector3* out) {
    // The nearest point of the segment itself, not of its line: a stroke cuts
    // only what it crosses.
    const float dx = segment.b.x - segment.a.x;
    const float dy = segment.b.y - segment.a.y;
    const float lengthSq = dx * dx + dy * dy;
    float t = 0.0f;
    if (lengthSq > 0.0f) {
        t = ((sphere.centre.x - segment.a.x) * dx + (sphere.centre.y - segment.a.y) * dy) / lengthSq;
        t = std::min(std::max(t, 0.0f), 1.0f);  // NaN stays NaN and misses below
    }
    const Vector3 nearest{segment.a.x + t * dx, segment.a.y + t * dy, 0.0f};
    Vector3 v = Subtract(nearest, sphere.centre);
    const float distanceSq = Dot(v, v);
    if (!(distanceSq < sphere.radius * sphere.radius)) {
        return false;
    }
    const float d = std::sqrt(distanceSq);
    v.Normalise();
    if (out != nullptr) {
        *out = Scale(v, std::fabs(sphere.radius - d));
    }
    return true;
}

bool IntersectSegmentSegment(const CollisionSegment& p, const CollisionSegment& q, Vector3* out) {
    const Vector3 u = Subtract(p.b, p.a);
    const Vector3 v = Subtract(q.b, q.a);
    const Vector3 w = Subtract(p.a, q.a);
    const float a = Dot(u, u);
    const float b = Dot(u, v);
    const float c = Dot(v, v);
    const float d = Dot(u, w);
    const float e = Dot(v, w);
    const float det = a * c - b * b;
    float s = 0.0f;
    float t = 0.0f;
    if (det < kParallelDeterminant) {
        // A zero-length q (c and b both 0) is a point: t stays 0.
        if (b <= c) {
            t = c != 0.0f ? e / c : 0.0f;
        } else {
            t = d / b;
        }
    } else {
        s = (b * e - c * d) / det;
        t = (a * e - b * d) / det;
    }
    const Vector3 closestP = Add(p.a, Scale(u, s));
    const Vector3 closestQ = Add(q.a, Scale(v, t));
    const Vector3 between = Subtract(closestP, closestQ);
    if (!(Dot(between, between) < kSegmentContactDistanceSq) || !(s >= 0.0f && s <= 1.0f) ||
        !(t >= 0.0f && t <= 1.0f)) {
        return false;
    }
    if (out != nullptr) {
        *out = s >= 0.5f ? Scale(u, -(1.0f - s)) : Scale(u, s);
    }
    return true;
}

namespace {

// Runs one pair test with the volumes in the order it takes them.
template <typename First, typename Second, bool (*Test)(const First&, const Second&, Vector3*)>
bool ReceiverFirst(CollisionVolume& receiver, CollisionVolume& other, Vector3* out) {
    return Test(static_cast<First&>(receiver), static_cast<Second&>(other), out);
}
template <typename First, typename Second, bool (*Test)(const First&, const Second&, Vector3*)>
bool OtherFirst(CollisionVolume& receiver, CollisionVolume& other, Vector3* out) {
    return Test(static_cast<First&>(other), static_cast<Second&>(receiver), out);
}

struct PairTest {
    bool (*test)(CollisionVolume& receiver, CollisionVolume& other, Vector3* out);
    // Whether the receiver flips the test's vector (even on a miss) so that
    // it points as Intersect promises.
    bool negate;
};

using Box = CollisionBox;
using Sphere = CollisionSphere;
using Segment = CollisionSegment;

constexpr int kTypeCount = 3;

// [receiver type][other type], in CollisionType order.
constexpr PairTest kPairTests[kTypeCount][kTypeCount] = {
    {
        {ReceiverFirst<Box, Box, IntersectBoxBox>, false},
        {ReceiverFirst<Box, Sphere, IntersectBoxSphere>, true},
        {ReceiverFirst<Box, Segment, IntersectBoxSegment>, true},
    },
    {
        {OtherFirst<Box, Sphere, IntersectBoxSphere>, false},
        {ReceiverFirst<Sphere, Sphere, IntersectSphereSphere>, false},
        {ReceiverFirst<Sphere, Segment, IntersectSegmentSphere>, false},
    },
    {
        {OtherFirst<Box, Segment, IntersectBoxSegment>, true},
        {OtherFirst<Sphere, Segment, IntersectSegmentSphere>, false},
        {ReceiverFirst<Segment, Segment, IntersectSegmentSegment>, false},
    },
};

bool IsKnownType(CollisionType type) {
    const int index = static_cast<int>(type);
    return index >= 0 && index < kTypeCount;
}

// What every receiver's Intersect does: the pair's test, then both marked on
// contact. A type this table does not know answers for itself.
bool IntersectPair(CollisionVolume& receiver, CollisionVolume& other, Vector3* out) {
    if (!IsKnownType(other.GetType())) {
        return other.Intersect(receiver, out);
    }
    const PairTest& pair =
        kPairTests[static_cast<int>(receiver.GetType())][static_cast<int>(other.GetType())];
    const bool touching = pair.test(receiver, other, out);
    if (pair.negate) {
        Negate(out);
    }
    if (touching) {
        receiver.MarkHit();
        other.MarkHit();
    }
    return touching;
}

}  // namespace

bool CollisionBox::Intersect(CollisionVolume& other, Vector3* out) {
    return IntersectPair(*this, other, out);
}

bool CollisionSphere::Intersect(CollisionVolume& other, Vector3* out) {
    return IntersectPair(*this, other, out);
}

bool CollisionSegment::Intersect(CollisionVolume& other, Vector3* out) {
    return IntersectPair(*this, other, out);
}

}  // namespace Varnok
