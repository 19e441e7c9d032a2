// Bomb flight, throw delay, hits, blasts and the bomb queries.
#include "game/world/Bomb.h"

#include "engine/core/HashName.h"
#include "engine/core/Random.h"
#include "engine/model/MeshModel.h"
#include "engine/render/RenderTransforms.h"
#include "engine/render/TextureManager.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameHelpers.h"
#include "game/rules/GameRecord.h"
#include "game/rules/InGameMode.h"
#include "game/rules/SessionControl.h"
#include "game/rules/SoundPlayer.h"
#include "game/world/Blast.h"
#include "game/world/Fruit.h"
#include "game/world/GameCamera.h"
#include "game/world/ParticleManager.h"
#include "game/world/WaveManager.h"
#include "game/world/WorldObjectManager.h"

#include <cmath>
#include <cstring>

namespace Varnok {

Bomb* Bomb::visibleBomb = nullptr;
bool Bomb::s_throwSoundPlayed = false;
float Bomb::s_previousDepth = Bomb::kFirstDepth;
int Bomb::s_throwSounds = 0;
SmartPtr<MeshModel> Bomb::s_models[2];
SmartPtr<Texture> Bomb::s_explosion;
bool Bomb::s_explosionTried = false;
uint32_t Bomb::s_smokeNames[2] = {0, 0};

namespace {

constexpr float kSmokeLift = 5.0f;

uint32_t HashOf(const char* text) {
    return HashName(text, static_cast<int>(std::strlen(text)));
}

template <typename Visit>
void ForEachBomb(Visit visit) {
    WorldObjectManager& world = WorldObjectManager::Instance();
    if (!world.IsInitialised()) {
        return;
    }
    WorldObjectManager::Cursor cursor = nullptr;
    for (WorldObject* o = world.First(static_cast<uint32_t>(WorldObjectType::Bomb), cursor); o != nullptr;
         o = world.Next(static_cast<uint32_t>(WorldObjectType::Bomb), cursor)) {
        visit(*static_cast<Bomb*>(o));
    }
}

}  // namespace

void Bomb::LoadResources() {
    s_models[0] = LoadNamedModel("models/Fruit/Bomb");
    s_models[1] = LoadNamedModel("models/Fruit/Bomb_purple");
    s_smokeNames[0] = HashOf("bomb_smoke");
    s_smokeNames[1] = HashOf("purple_bomb_smoke");
}

void Bomb::UnloadResources() {
    s_models[0] = nullptr;
    s_models[1] = nullptr;
    s_explosion = nullptr;
    s_explosionTried = false;
}

void Bomb::Spawn(float size) {
    GameRecord& record = GetGameRecord();
    const float radius = 0.5f * record.bombCollision * size;
    const Vector3 centre{position.x, position.y, 0.0f};
    if (CollisionSphere* sphere = Sphere()) {
        sphere->centre = centre;
        sphere->radius = radius;
    } else {
        collision = std::make_unique<CollisionSphere>(centre, radius);
    }
    held = mega = hit = menuHit = hitImmune = fliesOff = false;
    noPenalty = false;
    armed = true;
    shadowOffset = Vector3{};
    variant = 0;
    flags = (flags & ~(0x02u | kFlagDead)) | 0x02u;
    timeScale = 1.0f;
    age = 0.0f;
    explosionTimer = kFirstBlastSeconds;
    throwDelay = 0.0f;
    smoke = nullptr;
    owner = nullptr;
    gravityOn = true;
    Random& waves = WaveManager::Instance().GetRandom();
    for (int axis = 0; axis < 2; ++axis) {
        spinSpeed[axis] = static_cast<uint16_t>(1 + ((static_cast<uint64_t>(waves.Next()) * 7) >> 32));
        spinAngle[axis] = static_cast<uint16_t>((static_cast<uint64_t>(waves.Next()) * 359) >> 32);
    }
    acceleration = Vector3{0.0f, -12.0f, 0.0f};
    const float bombSize = record.bombSize > 0.0f ? record.bombSize : GameRecord::kBombSize;
    const float factor = bombSize * 0.01f * size;
    scale = baseScale = Vector3{factor, factor, factor};
    depth = s_previousDepth - kDepthStep;
    if (depth < kDeepestDepth) {
        depth = kFirstDepth;
    }
    s_previousDepth = depth;
    if (!s_explosionTried) {
        // Once: a missing texture is logged by the texture manager and the
        // blasts are then not drawn.
        s_explosionTried = true;
        s_explosion = TextureManager::Get().GetTexture(kExplosionTexture);
    }
}

CollisionSphere* Bomb::Sphere() {
    return collision != nullptr && collision->GetType() == CollisionType::Sphere
               ? static_cast<CollisionSphere*>(collision.get())
               : nullptr;
}

void Bomb::SetThrowDelay(float seconds) {
    throwDelay = seconds > 0.0f ? seconds : kThrowSoundWait;
}

void Bomb::AttachToMenu(const Action& action, void* element) {
    fliesOff = true;
    onSlice = action;
    owner = element;
    spinSpeed[0] = 2;
    spinSpeed[1] = 0;
    spinAngle[0] = 0;
    spinAngle[1] = 45;
}

void Bomb::Remove() {
    flags |= kFlagDead;
    owner = nullptr;
    if (smoke != nullptr) {
        ParticleManager::Instance().ReleaseEmitter(smoke);
        smoke = nullptr;
    }
}

void Bomb::Deactivate() {
    if (smoke != nullptr) {
        ParticleManager::Instance().ReleaseEmitter(smoke);
        smoke = nullptr;
    }
    owner = nullptr;
    if (visibleBomb == this) {
        visibleBomb = nullptr;
    }
    WorldObject::Deactivate();
}

void Bomb::Fall(float t, float frames) {
    if (gravityOn) {
        velocity = Add(velocity, Scale(acceleration, t));
        const bool fallingX = acceleration.x != 0.0f && (velocity.x > 0.0f) == (acceleration.x > 0.0f);
        const bool fallingY = acceleration.y != 0.0f && (velocity.y > 0.0f) == (acceleration.y > 0.0f);
        if (fallingX || fallingY) {
            Vector3 direction = acceleration;
            const float length = direction.Normalise();
            acceleration = Scale(direction, length + 0.4f * frames);
        }
    }
    position = Add(position, Scale(velocity, frames));
}

bool Bomb::HasLeftPlay() const {
    const float halfHeight = LogicalScreenHeight() / 2.0f;
    const float halfWidth = LogicalScreenWidth() / 2.0f;
    const float marginY = 50.0f * scale.y;
    const float marginX = 50.0f * scale.x;
    if (acceleration.y <= 0.0f && position.y <= -(marginY + halfHeight) && velocity.y < 0.0f) {
        return true;
    }
    if (acceleration.y > 0.0f && position.y >= marginY + halfHeight && velocity.y > 0.0f) {
        return true;
    }
    if (position.x <= -(marginX + halfWidth) && velocity.x < 0.0f && acceleration.x <= 0.0f) {
        return true;
    }
    return position.x >= marginX + halfWidth && velocity.x > 0.0f && acceleration.x >= 0.0f;
}

void Bomb::Update(float stepSeconds) {
    GameRecord& record = GetGameRecord();
    const float t = stepSeconds * timeScale;
    age += t;
    const float frames = t * 60.0f;
    if (hit) {
        if (fliesOff) {
            Fall(t, frames);
            const float factor = 1.0f;  // UI height over 320 joins with the menus
            position.x -= record.backgroundDelta.x * factor;
            position.y += record.backgroundDelta.y * factor;
            if (t > 0.0f) {
                spinAngle[0] = static_cast<uint16_t>(spinAngle[0] + spinSpeed[0] * frames);
                spinAngle[1] = static_cast<uint16_t>(spinAngle[1] + spinSpeed[1] * frames);
            }
        } else {
            // Blasts keep their pace while the world is stopped.
            explosionTimer -= record.frameStep;
            while (explosionTimer < 0.0f) {
                WorldObject* object = WorldObjectManager::Instance().Acquire(static_cast<uint32_t>(WorldObjectType::Blast));
                if (object != nullptr) {
                    object->position = position;
                    static_cast<Blast*>(object)->Spawn();
                }
                explosionTimer = kBlastIntervalSeconds;
            }
        }
        if (CollisionSphere* sphere = Sphere()) {
            sphere->radius = 0.01f;
        }
        return;
    }
    if (throwDelay > 0.0f) {
        if (record.modeIndex == 0 && (record.bombExplosionTime > 0.0f || record.notInPlay)) {
            throwDelay = 0.0f;
            position.y = -LogicalScreenHeight();
            velocity = Vector3{0.0f, -1.0f, 0.0f};
        }
        const float before = throwDelay;
        if (!record.paused) {
            throwDelay -= record.frameStep;
        }
        if (before > kThrowSoundWait && throwDelay <= kThrowSoundWait && !record.notInPlay && !s_throwSoundPlayed) {
            s_throwSoundPlayed = true;
            ++s_throwSounds;
            if (record.soundPlayer != nullptr) {
                record.soundPlayer->Play("Throw-bomb", 1.0f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
            }
        }
        if (throwDelay > 0.0f) {
            return;
        }
        WaveManager& waves = WaveManager::Instance();
        const float factor = waves.bombFactor;
        int n = static_cast<int>(factor);
        const float fraction = factor - static_cast<float>(n);
        if (fraction > 0.01f) {
            const uint32_t draw = static_cast<uint32_t>((static_cast<uint64_t>(waves.GetRandom().Next()) * 100) >> 32);
            if (fraction * 100.0f > static_cast<float>(draw)) {
                ++n;
            }
        }
        if (n <= 0) {
            throwDelay = 0.0f;
            position.y = -LogicalScreenHeight();
            velocity = Vector3{0.0f, -1.0f, 0.0f};
        } else if (n >= 2) {
            (void)waves.LaunchBomb(n - 1, nullptr);
        }
    }
    Fall(t, frames);
    if (t > 0.0f) {
        spinAngle[0] = static_cast<uint16_t>(spinAngle[0] + spinSpeed[0]);
        spinAngle[1] = static_cast<uint16_t>(spinAngle[1] + spinSpeed[1]);
    }
    if (CollisionSphere* sphere = Sphere()) {
        sphere->centre = Vector3{position.x, position.y, 0.0f};
    }
    if (HasLeftPlay()) {
        Remove();
        held = false;
        return;
    }
    if (smoke == nullptr && !hitImmune) {
        smoke = ParticleManager::Instance().Spawn(s_smokeNames[variant == 1 ? 1 : 0], &smoke);
        if (smoke != nullptr) {
            smoke->position = position;
        }
    }
    held = false;
}

void Bomb::PostUpdate(float /*stepSeconds*/) {
    if (smoke == nullptr) {
        return;
    }
    const Angle a = static_cast<Angle>(-static_cast<int32_t>(spinAngle[1]) * kAngleUnitsPerDegree);
    const float reach = scale.x * 0.8f * 100.0f;
    smoke->position = Vector3{position.x + SinLookup(a) * reach, position.y + CosLookup(a) * reach,
                              position.z + kSmokeLift};
    smoke->dirCos = CosLookup(a);
    smoke->dirSin = -SinLookup(a);
}

void Bomb::AppendShadow(std::vector<ImmediateVertex>& out) const {
    if (!IsActive() || throwDelay > 0.0f) {
        return;
    }
    constexpr float kShadowSide = 82.0f;
    AppendShadowQuad(out, position.x + shadowOffset.x,
                     position.y - 0.65f * kShadowSide * baseScale.x + shadowOffset.y, kShadowSide * scale.x, 230.0f);
}

void Bomb::Render() {
    s_throwSoundPlayed = false;
    if (throwDelay > 0.0f) {
        return;
    }
    if (position.y > -1000.0f && !fliesOff) {
        visibleBomb = this;
    }
    const SmartPtr<MeshModel>& model = s_models[variant == 1 ? 1 : 0];
    if (model.Get() == nullptr) {
        return;
    }
    Matrix4 world;
    Matrix4::Scale(world, scale.x, scale.y, scale.z);
    const Angle x = static_cast<Angle>(49140);
    const Angle y = static_cast<Angle>(spinAngle[0] * kAngleUnitsPerDegree);
    const Angle z = static_cast<Angle>(spinAngle[1] * kAngleUnitsPerDegree);
    Matrix4::RotateX(world, SinLookup(x), CosLookup(x));
    Matrix4::RotateY(world, SinLookup(y), CosLookup(y));
    Matrix4::RotateZ(world, SinLookup(z), CosLookup(z));
    world.m[12] = position.x;
    world.m[13] = position.y;
    world.m[14] = position.z + depth;
    RenderTransforms::Get().World().Set(world);
    DrawSortedByDepth(*model, world);
    RenderTransforms::Get().World().Set(Matrix4::Identity());
}

int Bomb::OnHit(WorldObject* hitter, int /*valueA*/, int /*valueB*/, const Vector3& /*stroke*/) {
    if (menuHit || hitImmune) {
        return 0;
    }
    GameRecord& record = GetGameRecord();
    if (fliesOff && record.modeIndex != 1) {
        menuHit = true;
        Random& random = GlobalRandom();
        const float r1 = random.NextFloat();
        const float r2 = random.NextFloat();
        velocity = Vector3{10.0f * r1 - 5.0f, 5.0f * r2, 0.0f};
        gravityOn = true;
        hit = true;
        if (onSlice) {
            onSlice();
        }
        return 0;
    }
    if (hitter != nullptr) {
        if (record.modeIndex == 1) {
            fliesOff = true;
            OnMenuBombExplosion(position);
            if (record.camera != nullptr) {
                record.camera->StartShake(position, 2.0f, 3.0f, 9.0f);
            }
        } else {
            if (record.notInPlay || noPenalty) {
                return 0;
            }
            OnBombExplosion(position);
        }
        if (record.currentMode != nullptr) {
            record.currentMode->OnBombHit(position);
        }
    }
    hit = true;
    return 0;
}

float Bomb::HighestBombHeight() {
    float highest = -10000.0f;
    const float half = LogicalScreenHeight() / 2.0f;
    ForEachBomb([&](Bomb& bomb) {
        if (!bomb.fliesOff) {
            highest = std::max(highest, bomb.position.y + half);
        }
    });
    return highest;
}

int Bomb::CountBombs(int key, bool byVariant) {
    int count = 0;
    ForEachBomb([&](Bomb& bomb) {
        if (bomb.IsDead()) {
            return;
        }
        if (byVariant) {
            count += (key == -1 ? bomb.variant <= 0 : bomb.variant == key) ? 1 : 0;
        } else {
            count += (!bomb.hit && bomb.throwDelay > 0.0f) ? 1 : 0;
        }
    });
    return count;
}

void Bomb::RemoveLiveBombs() {
    ForEachBomb([](Bomb& bomb) {
        if (!bomb.hit && bomb.throwDelay > 0.0f) {
            bomb.Remove();
        }
    });
}

void Bomb::DisableAllBombs() {
    ForEachBomb([](Bomb& bomb) { bomb.menuHit = true; });
}

void Bomb::MakeAllUnhittable() {
    ForEachBomb([](Bomb& bomb) { bomb.hitImmune = true; });
}

}  // namespace Varnok
