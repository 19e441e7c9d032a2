// The hit tests between boxes, spheres and segments, the debug sphere mesh
// and the volumes' debug drawing.
#include "engine/model/CollisionVolume.h"

#include "engine/core/Log.h"
#include "engine/model/GeneratedMesh.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"

#include <algorithm>
#include <cmath>
#include <memory>

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

bool CollisionBox::Intersect(CollisionVolume& other, Vector3* out) {
    bool touching = false;
    switch (other.GetType()) {
        case CollisionType::Box:
            touching = IntersectBoxBox(*this, static_cast<CollisionBox&>(other), out);
            break;
        case CollisionType::Sphere:
            touching = IntersectBoxSphere(*this, static_cast<CollisionSphere&>(other), out);
            Negate(out);
            break;
        case CollisionType::Segment:
            touching = IntersectBoxSegment(*this, static_cast<CollisionSegment&>(other), out);
            Negate(out);
            break;
        default:
            return other.Intersect(*this, out);
    }
    if (touching) {
        MarkHit();
        other.MarkHit();
    }
    return touching;
}

bool CollisionSphere::Intersect(CollisionVolume& other, Vector3* out) {
    bool touching = false;
    switch (other.GetType()) {
        case CollisionType::Box:
            touching = IntersectBoxSphere(static_cast<CollisionBox&>(other), *this, out);
            break;
        case CollisionType::Sphere:
            touching = IntersectSphereSphere(*this, static_cast<CollisionSphere&>(other), out);
            break;
        case CollisionType::Segment:
            touching = IntersectSegmentSphere(*this, static_cast<CollisionSegment&>(other), out);
            break;
        default:
            return other.Intersect(*this, out);
    }
    if (touching) {
        MarkHit();
        other.MarkHit();
    }
    return touching;
}

bool CollisionSegment::Intersect(CollisionVolume& other, Vector3* out) {
    bool touching = false;
    switch (other.GetType()) {
        case CollisionType::Box:
            touching = IntersectBoxSegment(static_cast<CollisionBox&>(other), *this, out);
            Negate(out);
            break;
        case CollisionType::Sphere:
            touching = IntersectSegmentSphere(static_cast<CollisionSphere&>(other), *this, out);
            break;
        case CollisionType::Segment:
            touching = IntersectSegmentSegment(*this, static_cast<CollisionSegment&>(other), out);
            break;
        default:
            return other.Intersect(*this, out);
    }
    if (touching) {
        MarkHit();
        other.MarkHit();
    }
    return touching;
}

void BuildCodeGenSphere(GeneratedMesh& mesh, float radius, int ringCount, int segmentCount) {
    if (ringCount < 2 || segmentCount < 2) {
        Log("BuildCodeGenSphere: needs at least 2 rings and 2 segments, got %d and %d", ringCount,
            segmentCount);
        return;
    }
    std::vector<GeneratedVertex> grid(static_cast<size_t>(ringCount) * segmentCount);
    for (int j = 0; j < ringCount; ++j) {
        const float theta = static_cast<float>(j) * kPi / static_cast<float>(ringCount - 1);
        for (int i = 0; i < segmentCount; ++i) {
            const float phi = static_cast<float>(i) * 2.0f * kPi / static_cast<float>(segmentCount - 1);
            GeneratedVertex& vertex = grid[static_cast<size_t>(j) * segmentCount + i];
            vertex.normal[0] = std::sin(theta) * std::cos(phi);
            vertex.normal[1] = -std::cos(theta);
            vertex.normal[2] = std::sin(theta) * std::sin(phi);
            for (int k = 0; k < 3; ++k) {
                vertex.position[k] = radius * vertex.normal[k];
            }
            vertex.texCoord[0] = static_cast<float>(i % 2);
            vertex.texCoord[1] = static_cast<float>(j % 2);
            for (float& channel : vertex.colour) {
                channel = 255.0f;
            }
        }
    }
    auto at = [&grid, segmentCount](int ring, int segment) -> const GeneratedVertex& {
        return grid[static_cast<size_t>(ring) * segmentCount + segment];
    };

    auto subMesh = std::make_unique<GeneratedSubMesh>();
    subMesh->vertices.reserve(static_cast<size_t>(ringCount - 1) * segmentCount * 6);
    for (int j = 0; j + 1 < ringCount; ++j) {
        for (int i = 0; i < segmentCount; ++i) {
            const int next = (i + 1 == segmentCount) ? 0 : i + 1;
            for (const GeneratedVertex* vertex :
                 {&at(j, i), &at(j + 1, next), &at(j, next), &at(j, i), &at(j + 1, i),
                  &at(j + 1, next)}) {
                subMesh->vertices.push_back(*vertex);
            }
        }
    }
    DepthSortedIndexSets(*subMesh);
    mesh.subMeshes.push_back(std::move(subMesh));
    mesh.name = "CodeGenSphere";
}

// ---- debug drawing ----

namespace {

const Colour kDebugColour(0, 125, 125, 100);
const Colour kDebugHitColour(255, 0, 0, 100);
// Radians per debug draw, shared by every debug sphere.
constexpr float kDebugSpinStep = 0.0016f;
float s_debugSpin = 0.0f;

const Colour& DebugColour(const CollisionVolume& volume) {
    return volume.IsHit() ? kDebugHitColour : kDebugColour;
}

// The world transform becomes scale then translation, and is applied.
void SetDebugWorld(const Vector3& scale, const Vector3& translation) {
    RenderTransforms& transforms = RenderTransforms::Get();
    Matrix4 world;
    world.m[0] = scale.x;
    world.m[5] = scale.y;
    world.m[10] = scale.z;
    world.m[12] = translation.x;
    world.m[13] = translation.y;
    world.m[14] = translation.z;
    transforms.World().Set(world);
    transforms.Apply(true);
}

}  // namespace

const GeneratedMesh& GetCodeGenSphere() {
    static GeneratedMesh* mesh = [] {
        GeneratedMesh* made = new GeneratedMesh;  // kept for the run, as debug models share it
        BuildCodeGenSphere(*made, 1.0f, 8, 8);
        return made;
    }();
    return *mesh;
}

void CollisionBox::DebugDraw() {
    SetDebugWorld(halfExtents, centre);
    DebugDrawBox(Vector3{-1, -1, -1}, Vector3{1, 1, 1}, DebugColour(*this));
}

void CollisionSegment::DebugDraw() {
    SetDebugWorld(Vector3{1, 1, 1}, Vector3{});
    DebugDrawLine(a, b, DebugColour(*this), DebugColour(*this));
}

void CollisionSphere::DebugDraw() {
    if (!m_debugDraw) {
        return;
    }
    if (!m_debugModel) {
        SetDebugWorld(Vector3{radius, radius, radius}, centre);
        DebugDrawSphere(Vector3{}, 1.0f, DebugColour(*this));
        return;
    }
    s_debugSpin += kDebugSpinStep;
    const float s = std::sin(s_debugSpin);
    const float c = std::cos(s_debugSpin);
    Matrix4 scale;
    scale.m[0] = scale.m[5] = scale.m[10] = radius;
    Matrix4 rotation;
    rotation.m[5] = c;
    rotation.m[6] = s;
    rotation.m[9] = -s;
    rotation.m[10] = c;
    Matrix4 translation;
    translation.m[12] = centre.x;
    translation.m[13] = centre.y;
    translation.m[14] = centre.z;
    Matrix4& world = m_debugModel->world;
    Matrix4::Multiply(scale, rotation, world);
    Matrix4::Multiply(world, translation, world);
}

void CollisionSphere::AttachDebugModel(ModelDrawList& list) {
    m_debugDraw = true;
    if (!m_debugModel) {
        m_debugModel = GeneratedModelInstance::Create(GetCodeGenSphere());
    }
    list.AddInstance(m_debugModel);
}

void CollisionSphere::DetachDebugModel(ModelDrawList& list) {
    m_debugDraw = false;
    if (m_debugModel) {
        list.RemoveInstance(m_debugModel.Get());
        m_debugModel = nullptr;
    }
}

}  // namespace Varnok
