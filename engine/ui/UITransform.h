// The UI transform: a 4 x 4 matrix applied to row vectors (translation in
// m[12..14]) tagged with a kind that lets products and inversions skip work.
#pragma once

#include "engine/core/MathUtil.h"
#include "engine/ui/UIVertex.h"

#include <cstdint>

namespace Varnok {

enum class UITransformKind : int32_t {
    Identity = 0,
    Translation = 1,
    Rotation = 2,  // about z only
    Scale = 3,
    UniformScale = 4,  // nothing makes it; it takes part in the product table
    General = 5,
};

struct UITransform {
    int32_t kind = 0;  // a UITransformKind
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    static const UITransform& Identity();

    static void SetIdentity(UITransform& t);
    // out = a then b. out may be a or b.
    static void Multiply(UITransform& out, const UITransform& a, const UITransform& b);
    // False when the matrix is singular; out then holds a partial result
    // that callers discard.
    [[nodiscard]] static bool Invert(const UITransform& t, UITransform& out);
    // Scale first, then the rotation about z (degrees), then the position.
    static void FromPositionRotationScale(UITransform& out, const Vector3& position,
                                          float degrees, const Vector3& scale);

    // Maps every position as a point, whatever the kind; the other fields
    // are copied. in and out may be the same list; a different out is
    // resized to in's count first.
    static void TransformVertices(const UITransform& t, const UIVertexList& in, UIVertexList& out);
    // The Euclidean lengths of rows 0, 1 and 2 for kinds 3 and 5; (1, 1, 1)
    // for every other kind.
    Vector3 AxisLengths() const;

    // (x, y, 0, 1) through the matrix; the first two result components.
    Vector2 TransformPoint(float x, float y) const {
        return Vector2{x * m[0] + y * m[4] + m[12], x * m[1] + y * m[5] + m[13]};
    }
    Vector3 GetTranslation() const { return Vector3{m[12], m[13], m[14]}; }
    void SetTranslation(const Vector3& p) {
        m[12] = p.x;
        m[13] = p.y;
        m[14] = p.z;
    }
};

}  // namespace Varnok
