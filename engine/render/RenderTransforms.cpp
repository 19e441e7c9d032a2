// Matrix stacks and the projection, view and inverse builders.
#include "engine/render/RenderTransforms.h"

#include "engine/core/Log.h"
#include "engine/render/ShaderProgramCache.h"

namespace Varnok {
namespace {

Matrix4 ZeroMatrix() {
    Matrix4 matrix;
    for (float& element : matrix.m) {
        element = 0.0f;
    }
    return matrix;
}

}  // namespace

void MatrixStack::Push() {
    if (m_depth >= kMaxDepth) {
        Log("MatrixStack: push past %d levels ignored", kMaxDepth);
        return;
    }
    m_saved[m_depth] = m_current;
    ++m_depth;
}

void MatrixStack::Pop() {
    if (m_depth == 0) {
        Log("MatrixStack: pop of an empty stack ignored");
        return;
    }
    --m_depth;
    m_current = m_saved[m_depth];
    ++m_changeCount;
}

void MatrixStack::Reset() {
    m_depth = 0;
    m_saved[0] = Matrix4::Identity();
    m_current = Matrix4::Identity();
    ++m_changeCount;
}

void MatrixStack::Set(const Matrix4& matrix) {
    m_current = matrix;
    ++m_changeCount;
}

RenderTransforms& RenderTransforms::Get() {
    static RenderTransforms instance;
    return instance;
}

void RenderTransforms::Reset() {
    m_projection.Reset();
    m_view.Reset();
    m_world.Reset();
    m_texture.Reset();
}

void RenderTransforms::SetPerspective(float sine, float cosine, float aspect, float nearDistance,
                                      float farDistance, Matrix4* outResult) {
    const Matrix4 matrix = BuildPerspectiveMatrix(sine, cosine, aspect, nearDistance, farDistance);
    if (outResult != nullptr) {
        *outResult = matrix;
    }
    m_projection.Set(matrix);
    Apply(false);
}

void RenderTransforms::SetOrthographic(float top, float bottom, float left, float right,
                                       float nearDistance, float farDistance, Matrix4* outResult) {
    const Matrix4 matrix =
        BuildOrthographicMatrix(top, bottom, left, right, nearDistance, farDistance);
    if (outResult != nullptr) {
        *outResult = matrix;
    }
    m_projection.Set(matrix);
    Apply(false);
}

void RenderTransforms::SetLookAt(const Vector3& eye, const Vector3& up, const Vector3& target,
                                 Matrix43* outResult) {
    Matrix43 view;
    BuildLookAtMatrix(eye, up, target, view);
    if (outResult != nullptr) {
        *outResult = view;
    }
    m_view.Set(Matrix4::FromMatrix43(view.m));
}

void RenderTransforms::Apply(bool keepViewProjection) {
    ShaderProgramCache& cache = ShaderProgramCache::Get();
    if (!keepViewProjection) {
        cache.SetViewMatrix(m_view.Current());
        cache.SetProjectionMatrix(m_projection.Current());
    }
    cache.SetWorldMatrix(m_world.Current());
    cache.SetTextureMatrix(m_texture.Current());
}

Matrix4 BuildPerspectiveMatrix(float sine, float cosine, float aspect, float nearDistance,
                               float farDistance) {
    Matrix4 matrix = ZeroMatrix();
    const float cotangent = cosine / sine;
    matrix.m[0] = cotangent / aspect;
    matrix.m[5] = cotangent;
    matrix.m[10] = (nearDistance + farDistance) / (nearDistance - farDistance);
    matrix.m[11] = -1.0f;
    matrix.m[14] = 2.0f * nearDistance * farDistance / (nearDistance - farDistance);
    return matrix;
}

Matrix4 BuildOrthographicMatrix(float top, float bottom, float left, float right,
                                float nearDistance, float farDistance) {
    Matrix4 matrix = ZeroMatrix();
    matrix.m[0] = 2.0f / (right - left);
    matrix.m[12] = -(left + right) / (right - left);
    matrix.m[5] = 2.0f / (top - bottom);
    matrix.m[13] = -(top + bottom) / (top - bottom);
    // Depth to 0..1 rather than GL's -1..1.
    matrix.m[10] = 1.0f / (farDistance - nearDistance);
    matrix.m[14] = nearDistance / (nearDistance - farDistance);
    matrix.m[15] = 1.0f;
    return matrix;
}

void BuildLookAtMatrix(const Vector3& eye, const Vector3& up, const Vector3& target,
                       Matrix43& outResult) {
    Vector3 z = Subtract(eye, target);
    z.Normalise();
    Vector3 x = Cross(up, z);
    x.Normalise();
    const Vector3 y = Cross(z, x);
    float* m = outResult.m;
    m[0] = x.x;
    m[1] = y.x;
    m[2] = z.x;
    m[3] = x.y;
    m[4] = y.y;
    m[5] = z.y;
    m[6] = x.z;
    m[7] = y.z;
    m[8] = z.z;
    m[9] = -Dot(x, eye);
    m[10] = -Dot(y, eye);
    m[11] = -Dot(z, eye);
}

bool InvertMatrix4(const Matrix4& matrix, Matrix4& outResult) {
    const float* a = matrix.m;
    float inv[16];
    // Cofactors, transposed (the adjugate), for a row-major 4x4.
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] +
             a[9] * a[7] * a[14] + a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] -
             a[8] * a[7] * a[14] - a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] +
             a[8] * a[7] * a[13] + a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] -
              a[8] * a[6] * a[13] - a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] -
             a[9] * a[3] * a[14] - a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] +
             a[8] * a[3] * a[14] + a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] -
             a[8] * a[3] * a[13] - a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] +
              a[8] * a[2] * a[13] + a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] +
             a[5] * a[3] * a[14] + a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] -
             a[4] * a[3] * a[14] - a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] +
              a[4] * a[3] * a[13] + a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] -
              a[4] * a[2] * a[13] - a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] -
             a[5] * a[3] * a[10] - a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] +
             a[4] * a[3] * a[10] + a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] -
              a[4] * a[3] * a[9] - a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] +
              a[4] * a[2] * a[9] + a[8] * a[1] * a[6] - a[8] * a[2] * a[5];

    const float determinant = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    if (determinant == 0.0f) {
        return false;
    }
    const float scale = 1.0f / determinant;
    for (int i = 0; i < 16; ++i) {
        outResult.m[i] = inv[i] * scale;
    }
    return true;
}

}  // namespace Varnok
