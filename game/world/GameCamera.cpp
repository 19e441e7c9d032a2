// Shake, zoom transition, pass set-up and point mapping of the game camera.
#include "game/world/GameCamera.h"

#include "engine/core/Random.h"
#include "engine/render/RenderTransforms.h"
#include "game/rules/GameFunctions.h"

#include <algorithm>
#include <cmath>

namespace Varnok {
namespace {

constexpr float kNearDepth = 2000.0f;
constexpr float kFarDepth = -6000.0f;
constexpr float kNewSwingDistanceSq = 16.0f;  // within 4 units of the target
constexpr uint32_t kSwingSpread = 14560;      // up to 80 degrees
constexpr Angle kSwingTurn = 25480;           // 140 degrees
constexpr float kFirstSwingUnits = 6.0f;      // per unit of kick
constexpr float kRestFactor = 0.8f;           // per update once the shake is over
constexpr float kZoomInPerSecond = 3.0f;
constexpr float kZoomOutPerSecond = 10.0f;

// x' = cos a x - sin a y, y' = sin a x + cos a y.
void Turn(Vector3& point, Angle angle) {
    const float s = SinLookup(angle);
    const float c = CosLookup(angle);
    const float x = c * point.x - s * point.y;
    const float y = s * point.x + c * point.y;
    point.x = x;
    point.y = y;
}

// The camera's own curves: sin(t x degrees) exactly, not the table's.
float CameraSineEase(float t, float degrees) {
    return std::sin(t * degrees * kPi / 180.0f);
}

float CameraEaseOutQuad(float t) {
    return 1.0f - (1.0f - t) * (1.0f - t);
}

}  // namespace

GameCamera::GameCamera(Random& random) : m_random(random) {}

GameCamera::~GameCamera() {
    onArrival = ArrivalCallback();
}

void GameCamera::UpdateShake(float stepSeconds) {
    if (shakeTime > 0.0f) {
        shakeTime = std::max(0.0f, shakeTime - stepSeconds);
        const float dx = shakeTarget.x - shakeOffset.x;
        const float dy = shakeTarget.y - shakeOffset.y;
        if (dx * dx + dy * dy < kNewSwingDistanceSq) {
            const uint64_t g = (static_cast<uint64_t>(m_random.Next()) * kSwingSpread) >> 32;
            shakeAngle = static_cast<Angle>(shakeAngle + kSwingTurn + g);
            const float radius = shakeRadius * shakeTime / shakeLength;
            shakeTarget.x = radius * CosLookup(shakeAngle);
            shakeTarget.y = radius * SinLookup(shakeAngle);
        }
        const float fraction = shakeTime / shakeLength;
        shakeOffset.x += (shakeTarget.x - shakeOffset.x) * 0.2f * (1.0f + fraction);
        shakeOffset.y += (shakeTarget.y - shakeOffset.y) * 0.2f * (1.0f + fraction);
        m_dirty = true;
        return;
    }
    shakeTarget = Vector2{};
    shakeOffset.x = std::fabs(shakeOffset.x) > 0.01f ? shakeOffset.x * kRestFactor : 0.0f;
    shakeOffset.y = std::fabs(shakeOffset.y) > 0.01f ? shakeOffset.y * kRestFactor : 0.0f;
}

void GameCamera::Arrive() {
    if (onArrival) {
        onArrival();
    }
}

void GameCamera::Update(float stepSeconds) {
    UpdateShake(stepSeconds);
    offset = Vector3{};
    if (mode == kModeZoomOut) {
        if (progress > 0.0f) {
            progress -= kZoomOutPerSecond * stepSeconds;
            if (progress <= 0.0f) {
                progress = 0.0f;
                Arrive();
            }
        }
    } else if (mode == kModeZoomIn) {
        if (progress < 1.0f) {
            progress += kZoomInPerSecond * stepSeconds;
            if (progress >= 1.0f) {
                progress = 1.0f;
                Arrive();
            }
        }
    }
    m_dirty = true;
    const float eased = CameraEaseOutQuad(progress);
    zoom = 1.0f + (zoomTarget - 1.0f) * eased;
    offset = Scale(focus, CameraSineEase(progress, 90.0f));
    roll = static_cast<Angle>(static_cast<int32_t>(rollTarget * eased * kAngleUnitsPerDegree));
    offset.x += shakeOffset.x;
    offset.y += shakeOffset.y;
}

void GameCamera::StartShake(const Vector3& direction, float durationSeconds, float kick, float radius) {
    shakeRadius = radius;
    shakeAngle = Atan2Lookup(direction.y, direction.x);
    shakeTarget.x = kFirstSwingUnits * kick * CosLookup(shakeAngle);
    shakeTarget.y = kFirstSwingUnits * kick * SinLookup(shakeAngle);
    shakeTime = shakeLength = durationSeconds;
}

void GameCamera::SetupPass(int kind) {
    if (kind != kPassWorld && kind != kPassWorldAgain && kind != kPassScreen) {
        return;
    }
    float z = zoom;
    Vector3 centre = offset;
    Angle angle = roll;
    if (kind == kPassScreen) {
        z = 1.0f;
        centre = Vector3{};
        angle = 0;
    }
    const float width = LogicalScreenWidth();
    const float height = LogicalScreenHeight();
    RenderTransforms& transforms = RenderTransforms::Get();
    const Vector3 eye{centre.x, centre.y, centre.z + 1.0f};
    const Vector3 up{SinLookup(angle), CosLookup(angle), 0.0f};
    transforms.SetLookAt(eye, up, centre);
    m_passView = transforms.View().Current();
    transforms.SetOrthographic(z * height / 2, -z * height / 2, -z * width / 2, z * width / 2, kNearDepth,
                               kFarDepth, &m_passProjection);
    if (m_shakeMover) {
        m_shakeMover(shakeOffset.x, shakeOffset.y);
    }
    transforms.World().Reset();
}

Vector3& GameCamera::WorldToCamera(Vector3& point, int toWorld, int withShake) const {
    if (progress <= 0.0f) {
        return point;
    }
    Vector3 origin = offset;
    if (withShake != 1) {
        origin.x -= shakeOffset.x;
        origin.y -= shakeOffset.y;
    }
    if (toWorld == 1) {
        Turn(point, static_cast<Angle>(-roll));
        point = Add(Scale(point, zoom), origin);
    } else {
        point = Subtract(point, origin);
        point = Scale(point, 1.0f / zoom);
        Turn(point, roll);
    }
    return point;
}

}  // namespace Varnok
