// How the collision volumes show themselves: immediate debug shapes, or for a
// sphere an instance of the shared sphere mesh on a caller's draw list.
#include "engine/model/CollisionVolume.h"

#include "engine/model/CodeGenSphere.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"

#include <cmath>

namespace Varnok {

namespace {

const Colour kDebugColour(0, 125, 125, 100);
const Colour kDebugHitColour(255, 0, 0, 100);
// Radians per debug draw, shared by every debug sphere.
constexpr float kDebugSpinStep = 0.0016f;
float s_debugSpin = 0.0f;

const Colour& DebugColour(const CollisionVolume& volume) {
    return volume.IsHit() ? kDebugHitColour : kDebugColour;
}

// The world transform becomes scale then translation, and is applied.
void SetDebugWorld(const Vector3& scale, const Vector3& translation) {
    RenderTransforms& transforms = RenderTransforms::Get();
    Matrix4 world;
    world.m[0] = scale.x;
    world.m[5] = scale.y;
    world.m[10] = scale.z;
    world.m[12] = translation.x;
    world.m[13] = translation.y;
    world.m[14] = translation.z;
    transforms.World().Set(world);
    transforms.Apply(true);
}

}  // namespace

void CollisionBox::DebugDraw() {
    SetDebugWorld(halfExtents, centre);
    DebugDrawBox(Vector3{-1, -1, -1}, Vector3{1, 1, 1}, DebugColour(*this));
}

void CollisionSegment::DebugDraw() {
    SetDebugWorld(Vector3{1, 1, 1}, Vector3{});
    DebugDrawLine(a, b, DebugColour(*this), DebugColour(*this));
}

void CollisionSphere::DebugDraw() {
    if (!m_debugDraw) {
        return;
    }
    if (!m_debugModel) {
        SetDebugWorld(Vector3{radius, radius, radius}, centre);
        DebugDrawSphere(Vector3{}, 1.0f, DebugColour(*this));
        return;
    }
    s_debugSpin += kDebugSpinStep;
    const float s = std::sin(s_debugSpin);
    const float c = std::cos(s_debugSpin);
    Matrix4 scale;
    scale.m[0] = scale.m[5] = scale.m[10] = radius;
    Matrix4 rotation;
    rotation.m[5] = c;
    rotation.m[6] = s;
    rotation.m[9] = -s;
    rotation.m[10] = c;
    Matrix4 translation;
    translation.m[12] = centre.x;
    translation.m[13] = centre.y;
    translation.m[14] = centre.z;
    Matrix4& world = m_debugModel->world;
    Matrix4::Multiply(scale, rotation, world);
    Matrix4::Multiply(world, translation, world);
}

void CollisionSphere::AttachDebugModel(ModelDrawList& list) {
    m_debugDraw = true;
    if (!m_debugModel) {
        m_debugModel = GeneratedModelInstance::Create(GetCodeGenSphere());
    }
    list.AddInstance(m_debugModel);
}

void CollisionSphere::DetachDebugModel(ModelDrawList& list) {
    m_debugDraw = false;
    if (m_debugModel) {
        list.RemoveInstance(m_debugModel.Get());
        m_debugModel = nullptr;
    }
}

}  // namespace Varnok
