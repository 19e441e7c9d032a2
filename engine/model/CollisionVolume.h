// The world's hit-test volumes: an axis-aligned box, a sphere and a line
// segment. A test answers whether two volumes touch, marks both as hit and
// writes a vector whose length is the penetration depth (for two segments,
// an offset along the receiver).
#pragma once

#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "engine/model/GeneratedModelInstance.h"

#include <cstdint>

namespace Varnok {

class ModelDrawList;

enum class CollisionType : int32_t {
    Box = 0,
    Sphere = 1,
    Segment = 2,
};

class CollisionVolume {
public:
    virtual ~CollisionVolume() = default;

    virtual CollisionType GetType() const = 0;

    // True on contact, when both volumes are marked hit and the vector is
    // written to out (which may be null). Box-box, box-sphere, sphere-box,
    // sphere-sphere and sphere-segment vectors point from the receiver
    // towards the other volume; a segment's point from the other volume
    // towards the segment. A receiver that is a box facing a sphere or a
    // segment negates out even on a miss.
    virtual bool Intersect(CollisionVolume& other, Vector3* out) = 0;

    // Only a box contains points; see CollisionBox.
    virtual bool ContainsPoint(const Vector3& /*point*/, Vector3* /*out*/) const { return false; }

    // Draws the volume through the immediate debug shapes, in (0, 125, 125,
    // 100) or, once hit, (255, 0, 0, 100).
    virtual void DebugDraw() = 0;
    // Only a sphere shows a model on a caller's draw list; see CollisionSphere.
    virtual void AttachDebugModel(ModelDrawList& /*list*/) {}
    virtual void DetachDebugModel(ModelDrawList& /*list*/) {}

    // Set by a successful test; never cleared.
    bool IsHit() const { return m_hit; }
    void MarkHit() { m_hit = true; }

protected:
    CollisionVolume() = default;
    CollisionVolume(const CollisionVolume&) = default;
    CollisionVolume& operator=(const CollisionVolume&) = default;

private:
    bool m_hit = false;
};

class CollisionBox : public CollisionVolume {
public:
    CollisionBox(const Vector3& centre, const Vector3& halfExtents);

    CollisionType GetType() const override { return CollisionType::Box; }
    bool Intersect(CollisionVolume& other, Vector3* out) override;
    // Inside unless above centre + half or below centre - half on an axis.
    // out (when given, whether inside or not): the distance to the face on
    // the point's side along the axis of the largest whole-unit distance
    // (z, then y, then x on ties); the other two components 0.
    bool ContainsPoint(const Vector3& point, Vector3* out) const override;
    void DebugDraw() override;

    // Recomputes the corners after the centre or half extents changed.
    void UpdateCorners();

    Vector3 centre;
    Vector3 halfExtents;
    // Signs on the half extents: (+,+,+), (+,-,+), (-,-,+), (-,+,+),
    // (+,+,-), (+,-,-), (-,-,-), (-,+,-).
    Vector3 corners[8];
};

class CollisionSphere : public CollisionVolume {
public:
    CollisionSphere() = default;  // centre (0, 0, 0), radius 1
    CollisionSphere(const Vector3& sphereCentre, float sphereRadius)
        : centre(sphereCentre), radius(sphereRadius) {}

    CollisionType GetType() const override { return CollisionType::Sphere; }
    bool Intersect(CollisionVolume& other, Vector3* out) override;
    // Only while the debug-draw flag is set: the immediate debug sphere, or,
    // with a debug model, its world matrix (scaled, spun about x, placed).
    void DebugDraw() override;
    // Sets the flag and puts an instance of the shared "CodeGenSphere" mesh
    // (made on first use) on the list.
    void AttachDebugModel(ModelDrawList& list) override;
    // Clears the flag, takes the instance off the list and releases it.
    void DetachDebugModel(ModelDrawList& list) override;

    const SmartPtr<GeneratedModelInstance>& GetDebugModel() const { return m_debugModel; }
    bool IsDebugDrawn() const { return m_debugDraw; }

    Vector3 centre;
    float radius = 1.0f;

private:
    SmartPtr<GeneratedModelInstance> m_debugModel;
    bool m_debugDraw = false;
};

class CollisionSegment : public CollisionVolume {
public:
    CollisionSegment() = default;  // (0, 0, 0) to (1, 0, 0)

    CollisionType GetType() const override { return CollisionType::Segment; }
    bool Intersect(CollisionVolume& other, Vector3* out) override;
    void DebugDraw() override;

    Vector3 a;
    Vector3 b{1.0f, 0.0f, 0.0f};
};

// The tests behind Intersect. They neither mark hits nor negate; where a test
// zeroes out first it says so.

// out is left alone on a miss. Touching faces are no contact.
bool IntersectBoxBox(const CollisionBox& a, const CollisionBox& b, Vector3* out);
// out is zeroed first; points from the sphere towards the box.
bool IntersectBoxSphere(const CollisionBox& box, const CollisionSphere& sphere, Vector3* out);
// out is left alone on a miss. A box with zero half extents never touches.
bool IntersectBoxSegment(const CollisionBox& box, const CollisionSegment& segment, Vector3* out);
// out is zeroed first; points from a towards b.
bool IntersectSphereSphere(const CollisionSphere& a, const CollisionSphere& b, Vector3* out);
// Works in the x-y plane: the segment's point nearest the sphere's centre,
// at z 0, must lie inside the sphere. out (left alone on a miss) points from
// the sphere towards that point. A zero-length segment is a point.
bool IntersectSegmentSphere(const CollisionSphere& sphere, const CollisionSegment& segment,
                            Vector3* out);
// Touching within a small tolerance; out is the contact point's offset from
// the nearer end of p.
bool IntersectSegmentSegment(const CollisionSegment& p, const CollisionSegment& q, Vector3* out);

}  // namespace Varnok
