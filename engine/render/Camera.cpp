// Camera: building and caching the view and projection.
#include "engine/render/Camera.h"

#include "engine/render/Renderer.h"

namespace Varnok {

void Camera::SetViewport(float nearDistance, float farDistance, float horizontalAngle,
                         float verticalAngle, int mode) {
    if (mode == kModePerspective) {
        SetPerspective(nearDistance, farDistance, horizontalAngle, verticalAngle);
    } else if (mode == kModeOrthographic) {
        m_horizontalAngle = horizontalAngle;
        m_verticalAngle = verticalAngle;
        const ViewportRect viewport = Renderer::Get().GetViewport();
        SetOrthographic(nearDistance, farDistance,
                        CameraRect{static_cast<float>(viewport.x0), static_cast<float>(viewport.y0),
                                   static_cast<float>(viewport.x1),
                                   static_cast<float>(viewport.y1)});
    }
}

void Camera::SetPerspective(float nearDistance, float farDistance, float horizontalAngle,
                            float verticalAngle) {
    m_near = nearDistance;
    m_far = farDistance;
    m_horizontalAngle = horizontalAngle;
    m_verticalAngle = verticalAngle;
    m_mode = kModePerspective;
    m_zoom = 1.0f;
    m_offset = Vector3{};
    m_rect = CameraRect{};
    m_dirty = true;
}

void Camera::SetOrthographic(float nearDistance, float farDistance, const CameraRect& rect) {
    m_near = nearDistance;
    m_far = farDistance;
    m_rect = rect;
    m_mode = kModeOrthographic;
    m_zoom = 1.0f;
    m_offset = Vector3{};
    m_dirty = true;
}

void Camera::Apply() {
    if (m_mode == kModeOrthographic) {
        ApplyOrthographic();
    } else if (m_mode == kModePerspective) {
        ApplyPerspective();
    }
}

void Camera::SetTarget(const Vector3& target) {
    m_target = target;
    m_dirty = true;
}

void Camera::SetPosition(const Vector3& position) {
    m_position = position;
    m_dirty = true;
}

void Camera::SetUp(const Vector3& up) {
    m_up = up;
    m_dirty = true;
}

void Camera::ApplyPerspective() {
    RenderTransforms& transforms = RenderTransforms::Get();
    if (m_dirty) {
        transforms.SetLookAt(Add(m_position, m_offset), m_up, Add(m_target, m_offset), &m_view);
        const Angle halfAngle = AngleFromDegrees(m_verticalAngle / m_zoom);
        transforms.SetPerspective(SinLookup(halfAngle), CosLookup(halfAngle), GetAspectRatio(),
                                  m_near, m_far, &m_projection);
        KeepBuiltMatrices();
    } else {
        RestoreKeptMatrices();
    }
    transforms.World().Reset();
}

void Camera::ApplyOrthographic() {
    RenderTransforms& transforms = RenderTransforms::Get();
    const float width = m_rect.x1 - m_rect.x0;
    const float height = m_rect.y1 - m_rect.y0;
    if (m_dirty || width != m_builtWidth || height != m_builtHeight) {
        transforms.SetLookAt(Add(m_position, m_offset), m_up, Add(m_target, m_offset), &m_view);
        const float halfWidth = width / 2.0f / m_zoom;
        const float halfHeight = height / 2.0f / m_zoom;
        // Negated distances: view depths -near..-far become 0..1.
        transforms.SetOrthographic(halfHeight, -halfHeight, -halfWidth, halfWidth, -m_near, -m_far,
                                   &m_projection);
        m_builtWidth = width;
        m_builtHeight = height;
        KeepBuiltMatrices();
    } else {
        RestoreKeptMatrices();
    }
    transforms.World().Reset();
}

void Camera::KeepBuiltMatrices() {
    Matrix4 rotation = Matrix4::FromMatrix43(m_view.m);
    rotation.m[12] = 0.0f;
    rotation.m[13] = 0.0f;
    rotation.m[14] = 0.0f;
    if (!InvertMatrix4(rotation, m_inverseViewRotation)) {
        m_inverseViewRotation = Matrix4::Identity();
    }
    m_dirty = false;
}

void Camera::RestoreKeptMatrices() {
    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.View().Set(Matrix4::FromMatrix43(m_view.m));
    transforms.Projection().Set(m_projection);
    transforms.Apply(false);
}

}  // namespace Varnok
