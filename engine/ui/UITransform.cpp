// Products, inverses and composition of UI transforms.
#include "engine/ui/UITransform.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace Varnok {

namespace {

constexpr float kNearTolerance = 1e-4f;
constexpr float kDegreesToRadians = 0.017453292f;

// Row: kind of a; column: kind of b.
const int32_t kProductKind[6][6] = {
    {0, 1, 2, 3, 4, 5}, {1, 1, 5, 5, 5, 5}, {2, 5, 2, 5, 5, 5},
    {3, 5, 5, 3, 3, 5}, {4, 5, 5, 3, 4, 5}, {5, 5, 5, 5, 5, 5},
};

// NaN is never near.
bool IsNear(float value, float target) { return std::fabs(value - target) < kNearTolerance; }

}  // namespace

const UIVertex& DefaultUIVertex() {
    static const UIVertex s_vertex;
    return s_vertex;
}

const UIVertexList& EmptyUIVertexList() {
    static const UIVertexList s_empty;
    return s_empty;
}

const UITransform& UITransform::Identity() {
    static const UITransform s_identity;
    return s_identity;
}

void UITransform::SetIdentity(UITransform& t) { t = Identity(); }

void UITransform::Multiply(UITransform& out, const UITransform& a, const UITransform& b) {
    if (a.kind == 0) {
        out = b;
        return;
    }
    if (b.kind == 0) {
        out = a;
        return;
    }
    UITransform product;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            product.m[4 * r + c] = a.m[4 * r + 0] * b.m[0 + c] + a.m[4 * r + 1] * b.m[4 + c] +
                                   a.m[4 * r + 2] * b.m[8 + c] + a.m[4 * r + 3] * b.m[12 + c];
        }
    }
    const bool known = a.kind >= 0 && a.kind <= 5 && b.kind >= 0 && b.kind <= 5;
    product.kind = known ? kProductKind[a.kind][b.kind] : 5;
    out = product;
}

bool UITransform::Invert(const UITransform& t, UITransform& out) {
    if (t.kind == 0) {
        out = t;
        return true;
    }
    UITransform w = t;
    UITransform inverse;  // the identity
    for (int i = 0; i < 4; ++i) {
        int pivot = -1;
        float largest = 0.0f;
        for (int r = i; r < 4; ++r) {
            const float magnitude = std::fabs(w.m[4 * r + i]);
            if (magnitude > largest) {
                largest = magnitude;
                pivot = r;
            }
        }
        if (pivot < 0) {
            out = inverse;
            return false;
        }
        if (pivot != i) {
            for (int c = 0; c < 4; ++c) {
                std::swap(w.m[4 * pivot + c], w.m[4 * i + c]);
                std::swap(inverse.m[4 * pivot + c], inverse.m[4 * i + c]);
            }
        }
        const float divisor = w.m[4 * i + i];
        for (int c = 0; c < 4; ++c) {
            w.m[4 * i + c] /= divisor;
            inverse.m[4 * i + c] /= divisor;
        }
        for (int l = 0; l < 4; ++l) {
            if (l == i) {
                continue;
            }
            const float factor = w.m[4 * l + i];
            for (int c = 0; c < 4; ++c) {
                w.m[4 * l + c] -= factor * w.m[4 * i + c];
                inverse.m[4 * l + c] -= factor * inverse.m[4 * i + c];
            }
        }
    }
    inverse.kind = 5;
    out = inverse;
    return true;
}

void UITransform::TransformVertices(const UITransform& t, const UIVertexList& in, UIVertexList& out) {
    if (&out != &in) {
        out.resize(in.size(), DefaultUIVertex());
    }
    const float* m = t.m;
    for (size_t i = 0; i < in.size(); ++i) {
        const UIVertex& from = in[i];
        const float x = from.x * m[0] + from.y * m[4] + from.z * m[8] + m[12];
        const float y = from.x * m[1] + from.y * m[5] + from.z * m[9] + m[13];
        const float z = from.x * m[2] + from.y * m[6] + from.z * m[10] + m[14];
        UIVertex& to = out[i];
        if (&out != &in) {
            to = from;
        }
        to.x = x;
        to.y = y;
        to.z = z;
    }
}

Vector3 UITransform::AxisLengths() const {
    if (kind != 3 && kind != 5) {
        return Vector3{1.0f, 1.0f, 1.0f};
    }
    auto row = [this](int r) {
        const float* v = &m[r * 4];
        return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    };
    return Vector3{row(0), row(1), row(2)};
}

void UITransform::FromPositionRotationScale(UITransform& out, const Vector3& position,
                                            float degrees, const Vector3& scale) {
    out = Identity();
    const bool scaleIsOne =
        IsNear(scale.x, 1.0f) && IsNear(scale.y, 1.0f) && IsNear(scale.z, 1.0f);
    const bool noRotation = std::fabs(degrees) < kNearTolerance;
    const bool noPosition =
        IsNear(position.x, 0.0f) && IsNear(position.y, 0.0f) && IsNear(position.z, 0.0f);
    if (scaleIsOne && noRotation && noPosition) {
        return;
    }
    const float radians = degrees * kDegreesToRadians;
    const float c = std::cos(radians);
    const float n = std::sin(radians);
    if (!scaleIsOne && !noRotation) {
        // S x R: row 0 of S is (sx, 0, 0, 0), so each row scales R's row.
        out.m[0] = scale.x * c;
        out.m[1] = scale.x * n;
        out.m[4] = -scale.y * n;
        out.m[5] = scale.y * c;
        out.m[10] = scale.z;
    } else if (!scaleIsOne) {
        out.m[0] = scale.x;
        out.m[5] = scale.y;
        out.m[10] = scale.z;
    } else if (!noRotation) {
        out.m[0] = c;
        out.m[1] = n;
        out.m[4] = -n;
        out.m[5] = c;
    }
    if (!noPosition) {
        out.SetTranslation(position);
        out.kind = (scaleIsOne && noRotation) ? 1 : 5;
    } else if (!noRotation) {
        out.kind = scaleIsOne ? 2 : 5;
    } else {
        out.kind = 3;
    }
}

}  // namespace Varnok
