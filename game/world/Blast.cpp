// Blast growth and the one batched draw of all blasts.
#include "game/world/Blast.h"

#include "engine/core/Random.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "game/rules/GameRecord.h"
#include "game/world/Bomb.h"
#include "game/world/WorldObjectManager.h"

namespace Varnok {

namespace {

constexpr float kStartWidth = 5.0f;
constexpr float kStartLength = 50.0f;

ImmediateVertex s_vertices[Blast::kMaxDrawn * 6];

}  // namespace

Blast::Blast() {
    flags &= ~kFlagsRetired;
}

void Blast::Spawn() {
    age = 0.0f;
    const Angle a = static_cast<Angle>(static_cast<uint32_t>(GlobalRandom().NextFloat() * 360.0f * kAngleUnitsPerDegree));
    angle = a;
    acrossDir = Vector3{0.5f * CosLookup(a), 0.5f * SinLookup(a), 0.0f};
    const Angle b = static_cast<Angle>(a + 16380);
    alongDir = Vector3{CosLookup(b), SinLookup(b), 0.0f};
    across = acrossDir;
    along = alongDir;
    scale = Vector3{kStartWidth, kStartLength, 1.0f};
    flags &= ~kFlagsRetired;
}

void Blast::Update(float /*stepSeconds*/) {
    const float step = GetGameRecord().frameStep;
    age += step;
    scale.x += kWidthGrowth * step;
    scale.y += kLengthGrowth * step;
    across = Scale(acrossDir, scale.x);
    along = Scale(alongDir, scale.y);
    if (age > kLifeSeconds) {
        flags |= kFlagDead;
    }
}

void Blast::WriteVertices(ImmediateVertex* out) const {
    const Vector3 far = Add(position, along);
    const Vector3 corners[6] = {Add(far, across),
                                Subtract(far, across),
                                Add(position, Scale(across, 0.25f)),
                                Add(position, Scale(across, 0.25f)),
                                Subtract(far, across),
                                Subtract(position, Scale(across, 0.25f))};
    static const float kUv[6][2] = {{1, 0}, {0, 0}, {1, 1}, {1, 1}, {0, 0}, {0, 1}};
    for (int i = 0; i < 6; ++i) {
        ImmediateVertex& v = out[i];
        v = ImmediateVertex{};
        v.x = corners[i].x;
        v.y = corners[i].y;
        v.z = 0.0f;
        v.nz = 1.0f;
        v.r = v.g = v.b = v.a = 255.0f;
        v.u = kUv[i][0];
        v.v = kUv[i][1];
    }
}

int Blast::RenderAll() {
    WorldObjectManager& world = WorldObjectManager::Instance();
    if (Bomb::ExplosionTexture().Get() == nullptr || !world.IsInitialised()) {
        return 0;
    }
    int count = 0;
    WorldObjectManager::Cursor cursor = nullptr;
    const uint32_t type = static_cast<uint32_t>(WorldObjectType::Blast);
    for (WorldObject* o = world.First(type, cursor); o != nullptr && count < kMaxDrawn; o = world.Next(type, cursor)) {
        if (!o->IsActive()) {
            continue;
        }
        static_cast<Blast*>(o)->WriteVertices(&s_vertices[count * 6]);
        ++count;
    }
    if (count == 0) {
        return 0;
    }
    RenderTransforms::Get().World().Set(Matrix4::Identity());
    DrawTexturedTriangles(s_vertices, count * 6, true, nullptr, Bomb::ExplosionTexture());
    return count;
}

}  // namespace Varnok
