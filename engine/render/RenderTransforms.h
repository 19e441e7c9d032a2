// The four matrix stacks every draw uses (projection, view, world, texture),
// and the builders of the matrices that go on them. Matrices are row-major
// with points as row vectors, which is the layout GL reads untransposed.
#pragma once

#include "engine/core/Assert.h"
#include "engine/core/MathUtil.h"

#include <cstdint>

namespace Varnok {

// Four rows of three floats: a rotation (rows 0-2) and a translation (row 3);
// the missing last column is (0, 0, 0, 1).
struct Matrix43 {
    float m[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
};

class MatrixStack {
public:
    static constexpr int kMaxDepth = 32;

    MatrixStack() { Reset(); }

    // Saves the current matrix; the current matrix stays as it was. A push
    // past kMaxDepth levels is refused with a log line.
    void Push();
    // Brings back the last saved matrix. Popping an empty stack is refused
    // with a log line.
    void Pop();
    // Depth 0, level 0 and the current matrix the identity.
    void Reset();
    // Replaces the current matrix.
    void Set(const Matrix4& matrix);

    // Callers multiply into the current matrix in place, then apply.
    Matrix4& Current() { return m_current; }
    const Matrix4& Current() const { return m_current; }
    // level below kMaxDepth.
    const Matrix4& Saved(int level) const {
        VARNOK_ASSERT(level >= 0 && level < kMaxDepth);
        return m_saved[level];
    }
    int Depth() const { return m_depth; }
    // Grows whenever the current matrix is replaced (set, reset, pop).
    uint32_t ChangeCount() const { return m_changeCount; }
    void MarkChanged() { ++m_changeCount; }

private:
    Matrix4 m_saved[kMaxDepth];
    Matrix4 m_current;
    uint8_t m_depth = 0;
    uint32_t m_changeCount = 0;  // Reset() in the constructor makes it 1
};

class RenderTransforms {
public:
    RenderTransforms() = default;
    virtual ~RenderTransforms() = default;
    RenderTransforms(const RenderTransforms&) = delete;
    RenderTransforms& operator=(const RenderTransforms&) = delete;

    // The process-wide instance.
    static RenderTransforms& Get();

    // Resets all four stacks; the shader cache sees it at the next Apply().
    void Reset();

    // sine and cosine of half the vertical field of view; aspect is width /
    // height. Writes the matrix to outResult when given, makes it the
    // projection and applies.
    void SetPerspective(float sine, float cosine, float aspect, float nearDistance,
                        float farDistance, Matrix4* outResult = nullptr);
    // Vertical bounds first. Depth maps nearDistance to 0 and farDistance to 1.
    // Makes it the projection and applies.
    void SetOrthographic(float top, float bottom, float left, float right, float nearDistance,
                         float farDistance, Matrix4* outResult = nullptr);
    // Makes the look-at matrix the view, without applying.
    void SetLookAt(const Vector3& eye, const Vector3& up, const Vector3& target,
                   Matrix43* outResult = nullptr);

    // Hands the current matrices to the shader program cache; with
    // keepViewProjection only the world and texture matrices.
    void Apply(bool keepViewProjection);

    MatrixStack& Projection() { return m_projection; }
    MatrixStack& View() { return m_view; }
    MatrixStack& World() { return m_world; }
    MatrixStack& Texture() { return m_texture; }

private:
    MatrixStack m_projection;
    MatrixStack m_view;
    MatrixStack m_world;
    MatrixStack m_texture;
};

Matrix4 BuildPerspectiveMatrix(float sine, float cosine, float aspect, float nearDistance,
                               float farDistance);
Matrix4 BuildOrthographicMatrix(float top, float bottom, float left, float right,
                                float nearDistance, float farDistance);
// The view from eye towards target; eye must differ from target and up must
// not be parallel to the line of sight.
void BuildLookAtMatrix(const Vector3& eye, const Vector3& up, const Vector3& target,
                       Matrix43& outResult);

// Inverse by cofactors. A singular matrix (determinant 0) gives false and
// leaves outResult untouched. out may be the input.
bool InvertMatrix4(const Matrix4& matrix, Matrix4& outResult);

}  // namespace Varnok
