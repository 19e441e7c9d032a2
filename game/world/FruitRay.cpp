// Growth, fading and drawing of the fruit rays.
#include "game/world/FruitRay.h"

#include "engine/core/Random.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/Texture.h"
#include "game/rules/GameRecord.h"
#include "game/world/Fruit.h"
#include "game/world/WorldObjectManager.h"

#include <algorithm>

namespace Varnok {

namespace {

SmartPtr<Texture>& RayTexture() {
    static SmartPtr<Texture> texture;
    return texture;
}

constexpr uint32_t kRayType = static_cast<uint32_t>(WorldObjectType::FruitRay);

template <typename Visit>
void ForEachRay(Visit visit) {
    WorldObjectManager& world = WorldObjectManager::Instance();
    if (!world.IsInitialised()) {
        return;
    }
    WorldObjectManager::Cursor cursor = nullptr;
    for (WorldObject* o = world.First(kRayType, cursor); o != nullptr; o = world.Next(kRayType, cursor)) {
        visit(static_cast<FruitRay&>(*o));
    }
}

}  // namespace

void FruitRay::Start(Fruit& fruit, const Quaternion& q) {
    flags &= ~kFlagsRetired;
    ending = 0;
    source = &fruit;
    sourceSerial = fruit.spawnSerial;
    const float r = 70.0f + 50.0f * GlobalRandom().NextFloat();
    targetScale = Vector3{r, r, r};
    startScale = Vector3{kStartScale, kStartScale, kStartScale};
    scale = startScale;
    age = 0.0f;
    fade = 1.0f;
    position = fruit.position;
    orientation = Matrix4::FromQuaternion(q);
    fruitOrientation = Matrix4::FromQuaternion(fruit.halfOrientation[0]);
}

bool FruitRay::SourceIsValid() const {
    return source != nullptr && source->spawnSerial == sourceSerial && !source->IsDead();
}

void FruitRay::Update(float stepSeconds) {
    if (ending == 0 && !SourceIsValid()) {
        // The fruit went (or was recycled) under the ray: it fades where it
        // is rather than follow whatever took the fruit's place.
        ending = 1;
    }
    if (ending != 0) {
        source = nullptr;
        fade -= kFadePerSecond * stepSeconds;
        if (fade <= 0.0f) {
            flags |= kFlagDead;
        }
        return;
    }
    // The frame step, not the world step: the growth keeps its pace while
    // the world runs slowed or stands still.
    age += GetGameRecord().frameStep;
    position = Add(source->position, Vector3{0.0f, 0.0f, source->depth});
    fruitOrientation = Matrix4::FromQuaternion(source->halfOrientation[0]);
    const float t = std::clamp(age / kGrowSeconds, 0.0f, 1.0f);
    scale = Add(startScale, Scale(Subtract(targetScale, startScale), t));
}

void FruitRay::BuildVertices(ImmediateVertex out[3]) const {
    const float alpha = static_cast<float>(static_cast<int>(fade * 255.0f));
    const struct {
        float x, z, u, v;
    } corners[3] = {{0.0f, 0.0f, 0.5f, 1.0f}, {-0.25f, 1.0f, 0.0f, 0.05f}, {0.25f, 1.0f, 1.0f, 0.05f}};
    for (int i = 0; i < 3; ++i) {
        ImmediateVertex& v = out[i];
        v = ImmediateVertex{};
        v.x = corners[i].x;
        v.z = corners[i].z;
        v.nz = 1.0f;
        v.r = v.g = v.b = 255.0f;
        v.a = alpha;
        v.u = corners[i].u;
        v.v = corners[i].v;
    }
}

Matrix4 FruitRay::WorldMatrix() const {
    const float w = 3.0f - 2.0f * fade;
    Matrix4 s;
    s.m[0] = scale.x * w;
    s.m[5] = scale.y * w;
    s.m[10] = scale.z * w;
    Matrix4 turned;
    Matrix4::Multiply(s, orientation, turned);
    Matrix4 world;
    Matrix4::Multiply(turned, fruitOrientation, world);
    world.m[12] += position.x;
    world.m[13] += position.y;
    world.m[14] += position.z;
    return world;
}

void FruitRay::Draw() const {
    ImmediateVertex vertices[3];
    BuildVertices(vertices);
    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.World().Set(WorldMatrix());
    transforms.Apply(true);
    DrawTexturedTriangleStrip(vertices, 3, true, nullptr, RayTexture());
}

void FruitRay::RenderAll() {
    ForEachRay([](FruitRay& ray) {
        if (ray.IsActive()) {
            ray.Draw();
        }
    });
}

void FruitRay::SetTexture(const SmartPtr<Texture>& texture) {
    RayTexture() = texture;
}

void FruitRay::EndAll() {
    ForEachRay([](FruitRay& ray) { ray.End(); });
}

void FruitRay::KillAll() {
    ForEachRay([](FruitRay& ray) {
        ray.source = nullptr;
        ray.flags |= kFlagDead;
    });
}

}  // namespace Varnok
