// Placing a vector image's raster on screen pixel for pixel.
#include "engine/text/vector/VectorImageSprite.h"

#include "engine/core/Log.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/Renderer.h"
#include "engine/render/Texture.h"
#include "engine/render/Texture2D.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <cmath>

namespace Varnok {
namespace {

constexpr float kWrapPi = 3.14159f;
constexpr float kWrapTurn = 6.28318f;
constexpr float kUiDepthScale = 0.000999f;

// Row-vector matrix of a scale followed by a turn about z.
Matrix4 ScaleThenRotate(float sx, float sy, float radians) {
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    Matrix4 m;
    m.m[0] = sx * c;
    m.m[1] = sx * s;
    m.m[4] = -sy * s;
    m.m[5] = sy * c;
    return m;
}

// A turn about z through the engine's 16-bit angle tables.
Matrix4 TableRotation(float radians, float degreesPerHalfTurn) {
    const float units = radians * degreesPerHalfTurn / 3.14159f * kAngleUnitsPerDegree;
    const float turns = std::isfinite(units) ? std::fmod(units, 65536.0f) : 0.0f;
    const Angle angle = static_cast<Angle>(static_cast<int32_t>(turns));
    const float s = SinLookup(angle);
    const float c = CosLookup(angle);
    Matrix4 m;
    m.m[0] = c;
    m.m[1] = s;
    m.m[4] = -s;
    m.m[5] = c;
    return m;
}

// The GL's largest texture side; 65535 (the image's limit) without a GL.
int MaxTextureSide() {
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    while (glGetError() != GL_NO_ERROR) {
    }
    return side > 0 ? side : static_cast<int>(VectorImage::kMaxSide);
}

}  // namespace

float WrapAngle(float radians) {
    if (!std::isfinite(radians)) {
        return 0.0f;
    }
    if (std::fabs(radians) > 1.0e6f) {
        radians = std::fmod(radians, kWrapTurn);  // the loop below would not end soon
    }
    while (radians > kWrapPi) {
        radians -= kWrapTurn;
    }
    while (radians < -kWrapPi) {
        radians += kWrapTurn;
    }
    return radians;
}

VectorViewData VectorViewData::MakeUiPixelView(float width, float height) {
    VectorViewData data;
    BuildLookAtMatrix(Vector3{0.0f, 0.0f, 1.0f}, Vector3{0.0f, 1.0f, 0.0f},
                      Vector3{0.0f, 0.0f, 0.0f}, data.view);
    Matrix4& p = data.projection;
    std::fill(std::begin(p.m), std::end(p.m), 0.0f);
    p.m[0] = 2.0f / width;
    p.m[5] = -2.0f / height;
    p.m[10] = kUiDepthScale;
    p.m[12] = -1.0f;
    p.m[13] = 1.0f;
    p.m[14] = kUiDepthScale;
    p.m[15] = 1.0f;
    return data;
}

VectorImageSprite::~VectorImageSprite() = default;

void VectorImageSprite::Init(const SmartPtr<VectorImage>& image, const Vector3& newPosition,
                             float newScaleX, float newScaleY, float newRotation,
                             const VectorViewData* view) {
    position = newPosition;
    scaleX = newScaleX;
    scaleY = newScaleY;
    rotation = WrapAngle(newRotation);
    m_view = view;
    m_texture = nullptr;
    m_source = new VectorImageTextureSource(image, VectorRasterParams{});
    Rasterize();
    m_texture = Texture2D::Create(m_source, 0, TextureCreateMode::Scale);
}

void VectorImageSprite::Rasterize() {
    if (!m_source || m_view == nullptr) {
        return;
    }
    m_snapshot.fractionX = position.x - std::trunc(position.x);
    m_snapshot.fractionY = position.y - std::trunc(position.y);
    m_snapshot.offsetZ = 0.0f;
    m_snapshot.scaleX = scaleX;
    m_snapshot.scaleY = scaleY;
    m_snapshot.rotation = rotation;

    Matrix4 local = ScaleThenRotate(scaleX, scaleY, rotation);
    local.m[12] = m_snapshot.fractionX;
    local.m[13] = m_snapshot.fractionY;
    Matrix4 viewProjection;
    Matrix4::Multiply(Matrix4::FromMatrix43(m_view->view.m), m_view->projection, viewProjection);
    Matrix4 total;
    Matrix4::Multiply(local, viewProjection, total);

    // Top left, top right, bottom left, bottom right of the unit quad (y up),
    // relative to its centre, in normalised device coordinates.
    const float unit[4][2] = {{-0.5f, 0.5f}, {0.5f, 0.5f}, {-0.5f, -0.5f}, {0.5f, -0.5f}};
    float ndc[4][2];
    for (int i = 0; i < 4; ++i) {
        ndc[i][0] = unit[i][0] * total.m[0] + unit[i][1] * total.m[4];
        ndc[i][1] = unit[i][0] * total.m[1] + unit[i][1] * total.m[5];
    }
    if (m_view->view.m[4] < 0.0f) {
        // A view that flips y: keep the document upright.
        std::swap(ndc[0], ndc[2]);
        std::swap(ndc[1], ndc[3]);
    }
    Renderer& renderer = Renderer::Get();
    const float halfWidth = renderer.GetViewportWidth() / 2.0f;
    const float halfHeight = renderer.GetViewportHeight() / 2.0f;
    float px[4];
    float py[4];
    for (int i = 0; i < 4; ++i) {
        px[i] = ndc[i][0] * halfWidth;
        py[i] = ndc[i][1] * halfHeight;
    }
    // Rounded to whole pixels, halves away from zero.
    const float left = std::trunc(*std::min_element(px, px + 4) - 0.5f);
    const float right = std::trunc(*std::max_element(px, px + 4) + 0.5f);
    const float bottom = std::trunc(*std::min_element(py, py + 4) - 0.5f);
    const float top = std::trunc(*std::max_element(py, py + 4) + 0.5f);
    const float width = right - left;
    const float height = top - bottom;

    m_visible = false;
    const float maxSide = static_cast<float>(MaxTextureSide());
    if (!(width >= 1.0f && height >= 1.0f)) {
        // Nothing covered (or a placement that is not a number): the raster
        // matrix would divide by the zero side.
        m_source->SetRasterParams(VectorRasterParams{});
        return;
    }
    if (width > maxSide || height > maxSide) {
        Log("VectorImageSprite: %gx%g pixels exceed the largest texture side %g; not drawn", width,
            height, maxSide);
        m_source->SetRasterParams(VectorRasterParams{});
        return;
    }

    VectorRasterParams params;
    params.width = static_cast<uint32_t>(width);
    params.height = static_cast<uint32_t>(height);
    params.matrix.a = (px[1] - px[0]) / width;
    params.matrix.b = (py[1] - py[0]) / height;
    params.matrix.c = (px[2] - px[0]) / width;
    params.matrix.d = (py[2] - py[0]) / height;
    params.matrix.e = -0.5f - left / width;
    params.matrix.f = -0.5f - bottom / height;
    m_source->SetRasterParams(params);

    // The quad: the same corners in the sprite's units, relative to its
    // position. They are directions from the centre, so only the linear part
    // of view times projection is undone.
    Matrix4 inverse;
    Matrix4 linear = viewProjection;
    linear.m[12] = linear.m[13] = linear.m[14] = 0.0f;
    if (!InvertMatrix4(linear, inverse)) {
        return;
    }
    for (int i = 0; i < 4; ++i) {
        ImmediateVertex& v = m_quad[i];
        v.x = ndc[i][0] * inverse.m[0] + ndc[i][1] * inverse.m[4];
        v.y = ndc[i][0] * inverse.m[1] + ndc[i][1] * inverse.m[5];
        v.z = 0.0f;
        v.nx = 0.0f;
        v.ny = 0.0f;
        v.nz = 1.0f;
        v.r = v.g = v.b = v.a = 255.0f;
        v.u = px[i] / width + 0.5f;
        v.v = py[i] / height + 0.5f;
    }
    m_visible = true;
}

void VectorImageSprite::Draw() const {
    if (!m_source || !m_visible || !m_texture) {
        return;
    }
    Matrix4 world = TableRotation(m_snapshot.rotation, -180.0f);
    const float ratioX = m_snapshot.scaleX != 0.0f ? scaleX / m_snapshot.scaleX : 0.0f;
    const float ratioY = m_snapshot.scaleY != 0.0f ? scaleY / m_snapshot.scaleY : 0.0f;
    Matrix4 scale;
    scale.m[0] = ratioX;
    scale.m[5] = ratioY;
    Matrix4::Multiply(world, scale, world);
    Matrix4::Multiply(world, TableRotation(rotation, 180.0f), world);
    world.m[12] += position.x - m_snapshot.fractionX;
    world.m[13] += position.y - m_snapshot.fractionY;
    world.m[14] += position.z - m_snapshot.offsetZ;

    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.World().Set(world);
    transforms.Apply(true);
    m_texture->Bind();
    DrawTexturedTriangleStrip(m_quad, 4, true, nullptr, m_texture);
    m_texture->Unbind();
}

}  // namespace Varnok
