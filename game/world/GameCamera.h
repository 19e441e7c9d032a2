// The game's one camera: a straight-on orthographic view of the logical
// screen with a decaying shake, a zoom transition onto a focus point with a
// callback on arrival, the set-up of each render pass and the mapping of
// screen points to the world under the current view. Main thread only.
#pragma once

#include "engine/core/Delegate.h"
#include "engine/core/MathUtil.h"
#include "engine/render/Camera.h"

#include <cstdint>

namespace Varnok {

class Random;

class GameCamera : public Camera {
public:
    static constexpr int32_t kModeZoomIn = 2;
    static constexpr int32_t kModeZoomOut = 3;
    static constexpr int kPassWorld = 0;
    static constexpr int kPassWorldAgain = 1;
    static constexpr int kPassScreen = 4;

    using ArrivalCallback = Delegate0<void>;
    // Moves the background's shake container; installed by the screens
    // once the UI holds one (nothing is moved while it is empty).
    using ShakeContainerMover = Delegate2<void, float, float>;

    // random is the game-wide generator; it must outlive the camera.
    explicit GameCamera(Random& random);
    ~GameCamera() override;

    // step in seconds, negative while time runs backwards.
    void Update(float stepSeconds) override;
    // direction's x and y aim the first swing; duration in seconds; kick
    // scales the first swing, radius the later ones.
    void StartShake(const Vector3& direction, float durationSeconds, float kick, float radius);
    // Kinds 0 and 1: the world view; 4: the plain screen. Others do nothing.
    void SetupPass(int kind);
    // Screen point to world point (toWorld 1) or back, in place; withShake 1
    // includes the shake. Unchanged while no transition has progressed.
    Vector3& WorldToCamera(Vector3& point, int toWorld, int withShake) const;

    void SetShakeContainerMover(const ShakeContainerMover& mover) { m_shakeMover = mover; }
    // The view and projection the last pass set.
    const Matrix4& GetPassView() const { return m_passView; }
    const Matrix4& GetPassProjection() const { return m_passProjection; }

    // Written directly by the super-fruit events and the save code.
    int32_t mode = 0;
    Vector2 shakeTarget;
    Angle shakeAngle = 0;
    Vector2 shakeOffset;  // logical units
    float shakeRadius = 0.0f;
    Vector3 offset;  // focus part plus shake part, rebuilt by every update
    float zoom = 1.0f;  // the view shows zoom x the logical screen
    Angle roll = 0;
    float progress = 0.0f;  // 0 no transition .. 1 arrived
    Vector3 focus;
    float zoomTarget = 1.0f;
    float rollTarget = 0.0f;  // degrees
    float shakeTime = 0.0f;   // seconds left
    float shakeLength = 0.0f;
    ArrivalCallback onArrival;

private:
    void UpdateShake(float stepSeconds);
    void Arrive();

    Random& m_random;
    ShakeContainerMover m_shakeMover;
    Matrix4 m_passView;
    Matrix4 m_passProjection;
};

}  // namespace Varnok
