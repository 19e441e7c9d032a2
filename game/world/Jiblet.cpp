// Flight, tumbling, trail and drawing of jiblets.
#include "game/world/Jiblet.h"

#include "engine/core/Random.h"
#include "engine/model/MeshModel.h"
#include "game/rules/GameFunctions.h"
#include "game/world/ParticleManager.h"
#include "game/world/WorldObjectManager.h"

#include <cmath>
#include <cstdint>

namespace Varnok {

namespace {

// An angle in degrees as 16-bit angle units, wrapping negatives.
Angle SpinAngle(float degrees) {
    const double units = static_cast<double>(degrees) * kAngleUnitsPerDegree;
    if (!(std::fabs(units) < 2147483647.0)) {
        return 0;  // a step that large has no meaningful turn
    }
    return static_cast<Angle>(static_cast<uint32_t>(static_cast<int32_t>(units)) & 0xFFFFu);
}

// Hamilton product a·b.
Quaternion Product(const Quaternion& a, const Quaternion& b) {
    return Quaternion{a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                      a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

Angle RandomAngle(Random& random) {
    return static_cast<Angle>(random.Next() & 0xFFFFu);
}

}  // namespace

Jiblet::Jiblet() = default;

Jiblet::~Jiblet() {
    ReleaseTrail();
}

void Jiblet::SpawnFromFruit(const JibletLaunch& launch) {
    Random& random = GlobalRandom();
    position = launch.position;
    model = launch.model;
    velocity = launch.velocity;
    scale = Vector3{launch.scale, launch.scale, launch.scale};
    age = kSpawnAge;
    orientation = Matrix4::Identity();
    const Angle ax = RandomAngle(random);
    const Angle ay = RandomAngle(random);
    const Angle az = RandomAngle(random);
    Matrix4::RotateX(orientation, SinLookup(ax), CosLookup(ax));
    Matrix4::RotateY(orientation, SinLookup(ay), CosLookup(ay));
    Matrix4::RotateZ(orientation, SinLookup(az), CosLookup(az));
    flags &= ~kFlagsRetired;
    for (float& rate : spin) {
        const float magnitude = 50.0f + 100.0f * random.NextFloat();
        rate = random.NextFloat() <= 0.5f ? -magnitude : magnitude;
    }
    trailEffect = launch.trailEffect;
    if (trailEffect != 0 && !ParticleManager::Instance().HasSystem(trailEffect)) {
        trailEffect = 0;
    }
    ReleaseTrail();
}

void Jiblet::Update(float stepSeconds) {
    const float a = 2.0f * stepSeconds;
    age += a;
    if (trail == nullptr && age > kTrailAge && trailEffect != 0) {
        // The slot ties the two together: whichever goes first clears it.
        ParticleSystem* system = ParticleManager::Instance().Spawn(trailEffect, &trail);
        if (system != nullptr) {
            trail = system;
            system->position = position;
            Vector3 n = velocity;
            n.Normalise();
            system->dirCos = -n.y;
            system->dirSin = -n.x;
        }
    }
    if (age >= 0.0f) {
        position = Add(position, Scale(velocity, a));
        const Quaternion qx = Quaternion::FromAxisAngle(1.0f, 0.0f, 0.0f, SpinAngle(a * spin[0]));
        const Quaternion qy = Quaternion::FromAxisAngle(0.0f, 1.0f, 0.0f, SpinAngle(a * spin[1]));
        const Quaternion qz = Quaternion::FromAxisAngle(0.0f, 0.0f, 1.0f, SpinAngle(a * spin[2]));
        Matrix4 r;
        for (float& e : r.m) {
            e = 0.0f;
        }
        r.m[15] = 1.0f;
        Matrix4::SetRotationFromQuaternion(r, Product(Product(qx, qy), qz));
        Matrix4::Multiply(orientation, r, orientation);
    }
    if (trail != nullptr) {
        trail->position = position;
    }
    const float halfWidth = kScreenMargin * LogicalScreenWidth();
    const float halfHeight = kScreenMargin * LogicalScreenHeight();
    if (position.x < -halfWidth || position.x > halfWidth || position.y < -halfHeight || position.y > halfHeight) {
        Remove();
    }
}

Matrix4 Jiblet::WorldMatrix() const {
    Matrix4 world = orientation;
    Matrix4::Scale(world, scale.x, scale.y, scale.z);
    world.m[12] += position.x;
    world.m[13] += position.y;
    world.m[14] += position.z;
    return world;
}

void Jiblet::Render() {
    if (model != nullptr) {
        DrawSortedByDepth(*model, WorldMatrix());
    }
}

void Jiblet::ReleaseTrail() {
    if (trail != nullptr) {
        ParticleSystem* system = trail;
        trail = nullptr;
        ParticleManager::Instance().ReleaseEmitter(system);
    }
}

void Jiblet::Remove() {
    ReleaseTrail();
    model = nullptr;
    flags |= kFlagDead;
}

void Jiblet::Deactivate() {
    ReleaseTrail();
    model = nullptr;
    WorldObject::Deactivate();
}

void Jiblet::RemoveAll() {
    WorldObjectManager& world = WorldObjectManager::Instance();
    if (!world.IsInitialised()) {
        return;
    }
    constexpr uint32_t type = static_cast<uint32_t>(WorldObjectType::Jiblet);
    WorldObjectManager::Cursor cursor = nullptr;
    for (WorldObject* o = world.First(type, cursor); o != nullptr; o = world.Next(type, cursor)) {
        static_cast<Jiblet*>(o)->Remove();
    }
}

}  // namespace Varnok
