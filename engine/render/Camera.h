// A camera: position, target and up with a perspective or orthographic lens,
// turned into the view and projection of the render transforms. The matrices
// are rebuilt only after an input changed.
#pragma once

#include "engine/core/MathUtil.h"
#include "engine/render/RenderTransforms.h"

namespace Varnok {

// A rectangle of the view plane (orthographic lens).
struct CameraRect {
    float x0 = 0.0f;
    float y0 = 0.0f;
    float x1 = 0.0f;
    float y1 = 0.0f;
};

class Camera {
public:
    static constexpr int kModePerspective = 0;
    static constexpr int kModeOrthographic = 1;
    // Until SetViewport, SetPerspective or SetOrthographic: Apply does nothing.
    static constexpr int kModeUnconfigured = -1;

    Camera() = default;
    virtual ~Camera() = default;

    virtual void ApplyPerspective();
    virtual void ApplyOrthographic();

    // Mode 0: SetPerspective(nearDistance, farDistance, horizontal, vertical).
    // Mode 1: keeps the angles and sets an orthographic lens over the
    // renderer's viewport. Any other mode changes nothing.
    virtual void SetViewport(float nearDistance, float farDistance, float horizontalAngle,
                             float verticalAngle, int mode);
    // Angles in degrees; verticalAngle is half the vertical field of view, and
    // only horizontal / vertical (the aspect ratio) matters of the other.
    // Resets the zoom to 1 and the offset to zero.
    virtual void SetPerspective(float nearDistance, float farDistance, float horizontalAngle,
                                float verticalAngle);
    // Resets the zoom to 1 and the offset to zero.
    virtual void SetOrthographic(float nearDistance, float farDistance, const CameraRect& rect);
    // Nothing here; derived cameras animate.
    virtual void Update(float seconds) { (void)seconds; }
    // Sets view and projection by the lens, and resets the world stack.
    virtual void Apply();
    virtual float GetAspectRatio() const { return m_horizontalAngle / m_verticalAngle; }
    virtual float GetHorizontalAngle() const { return m_horizontalAngle; }
    virtual float GetVerticalAngle() const { return m_verticalAngle; }
    // The getters hand out the stored vectors: a change through them keeps
    // the cached matrices in use until a setter is called.
    virtual void SetTarget(const Vector3& target);
    virtual Vector3& GetTarget() { return m_target; }
    virtual void SetPosition(const Vector3& position);
    virtual Vector3& GetPosition() { return m_position; }
    virtual void SetUp(const Vector3& up);
    virtual Vector3& GetUp() { return m_up; }

    const Matrix43& GetView() const { return m_view; }
    const Matrix4& GetProjection() const { return m_projection; }
    const Matrix4& GetInverseViewRotation() const { return m_inverseViewRotation; }
    bool IsDirty() const { return m_dirty; }
    int GetMode() const { return m_mode; }
    float GetZoom() const { return m_zoom; }

protected:
    // Derived cameras shake and zoom through these.
    Vector3 m_offset;  // added to position and target when the view is built
    float m_zoom = 1.0f;  // both lenses divide by it
    bool m_dirty = true;

private:
    // After a rebuild: keep the matrices the transforms now hold.
    void KeepBuiltMatrices();
    // Puts the kept view and projection back and applies them.
    void RestoreKeptMatrices();

    Matrix43 m_view;
    Matrix4 m_projection;
    Matrix4 m_inverseViewRotation;
    Vector3 m_position{0.0f, 0.0f, 1.0f};
    Vector3 m_target;
    Vector3 m_up{0.0f, 1.0f, 0.0f};
    float m_builtWidth = 0.0f;  // the orthographic rectangle's size last built
    float m_builtHeight = 0.0f;
    float m_horizontalAngle = 0.0f;
    float m_verticalAngle = 0.0f;
    CameraRect m_rect;
    float m_near = 1.0f;
    float m_far = 1000.0f;
    int m_mode = kModeUnconfigured;
};

}  // namespace Varnok
