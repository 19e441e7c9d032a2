// Balloon lift, wobble, carrying and popping.
#include "game/world/Balloon.h"

#include "engine/core/Random.h"
#include "engine/model/MeshModel.h"
#include "engine/render/RenderTransforms.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameHelpers.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/SoundPlayer.h"
#include "game/world/Bomb.h"
#include "game/world/Fruit.h"
#include "game/world/ParticleManager.h"

#include <type_traits>
#include <utility>

namespace Varnok {

namespace {

constexpr float kFramesPerSecond = 60.0f;
constexpr float kAttachScale = 0.5f;
constexpr float kWobbleWiden = 0.04377f * 4.0f;
constexpr float kWobbleFlatten = -0.04194f * 4.0f;
constexpr float kBoxFactor = 1.5f;

// Objects with a held flag skip their own motion while a carrier holds them.
template <typename T, typename = void>
struct HasHeldFlag : std::false_type {};
template <typename T>
struct HasHeldFlag<T, std::void_t<decltype(std::declval<T&>().held)>> : std::true_type {};

template <typename T>
void MarkHeld(T& object) {
    if constexpr (HasHeldFlag<T>::value) {
        object.held = true;
    }
}

Fruit* AsFruit(WorldObject* object) {
    return object != nullptr && object->typeId == static_cast<uint8_t>(WorldObjectType::Fruit)
               ? static_cast<Fruit*>(object)
               : nullptr;
}

Bomb* AsBomb(WorldObject* object) {
    return object != nullptr && object->typeId == static_cast<uint8_t>(WorldObjectType::Bomb)
               ? static_cast<Bomb*>(object)
               : nullptr;
}

}  // namespace

SmartPtr<MeshModel> Balloon::s_model;

void Balloon::LoadModel() {
    s_model = LoadNamedModel(kModelName);
}

void Balloon::UnloadModel() {
    s_model = nullptr;
}

bool Balloon::IsModelLoaded() {
    return s_model.Get() != nullptr;
}

void Balloon::Attach(const Vector3& carriedPosition, const Vector3& startVelocity, float liftPerSecond,
                     float topSpeed, WorldObject* carriedObject) {
    scale = Vector3{kAttachScale, kAttachScale, kAttachScale};
    carried = carriedObject;
    active = true;
    velocity = startVelocity;
    flags &= ~kFlagsRetired;
    carriedOffset = Vector3{0.0f, -120.0f, 60.0f};
    depth = 0.0f;
    if (const Fruit* fruit = AsFruit(carriedObject)) {
        depth = fruit->depth;
    } else if (const Bomb* bomb = AsBomb(carriedObject)) {
        depth = bomb->depth;
    }
    position = Subtract(carriedPosition, carriedOffset);
    lift = liftPerSecond;
    maxSpeed = topSpeed;
    const Vector3 centre{position.x, position.y, 0.0f};
    if (collision != nullptr && collision->GetType() == CollisionType::Sphere) {
        auto& sphere = static_cast<CollisionSphere&>(*collision);
        sphere.centre = centre;
        sphere.radius = kRadius;
    } else {
        collision = std::make_unique<CollisionSphere>(centre, kRadius);
    }
    Random& random = GlobalRandom();
    random.NextFloat();  // discarded: a balloon takes two draws of the game-wide sequence
    wobbleTimer = random.NextFloat() * kWobbleSeconds;
    wobbleScale = Vector3{1.0f, 1.0f, 0.0f};
}

void Balloon::Update(float s) {
    if (const Fruit* fruit = AsFruit(carried)) {
        if (fruit->sliced) {
            carried = nullptr;
        }
    }
    // A load that left play by other means is no longer ours to move.
    if (carried != nullptr && carried->IsDead()) {
        carried = nullptr;
    }
    if (!active) {
        return;
    }
    // Only a load drags the balloon down; an emptied one keeps rising.
    const float a = carried != nullptr ? kLoadedFall : 0.0f;
    position = Add(position, Scale(Add(Scale(velocity, s), Vector3{0.0f, 0.5f * a * s * s, 0.0f}), kFramesPerSecond));
    velocity.y += a * s;
    if (velocity.y < maxSpeed) {
        velocity.y += lift * s;
    }
    position = Add(position, Scale(velocity, s));
    HoldCarried();

    const float halfWidth = kBoxFactor * LogicalScreenWidth();
    const float halfHeight = kBoxFactor * LogicalScreenHeight();
    if (position.x < -halfWidth || position.x > halfWidth || position.y < -halfHeight || position.y > halfHeight) {
        LeavePlay();
    }
    if (collision != nullptr && collision->GetType() == CollisionType::Sphere) {
        static_cast<CollisionSphere&>(*collision).centre = Vector3{position.x, position.y, 0.0f};
    }
    Wobble(s);
}

void Balloon::HoldCarried() {
    if (carried == nullptr) {
        return;
    }
    if (Fruit* fruit = AsFruit(carried)) {
        MarkHeld(*fruit);
    } else if (Bomb* bomb = AsBomb(carried)) {
        MarkHeld(*bomb);
    }
    carried->velocity = Vector3{};
    carried->position = Add(position, carriedOffset);
}

void Balloon::LeavePlay() {
    if (Fruit* fruit = AsFruit(carried)) {
        fruit->OnDropped(1);
    } else if (Bomb* bomb = AsBomb(carried)) {
        bomb->Remove();
    }
    carried = nullptr;
    flags |= kFlagDead;
}

void Balloon::Wobble(float s) {
    wobbleTimer += s;
    while (wobbleTimer > kWobbleSeconds) {
        wobbleTimer -= kWobbleSeconds;
    }
    const float t = wobbleTimer;
    const float x = (t < 0.5f * kWobbleSeconds ? t : kWobbleSeconds - t) / kWobbleSeconds;
    const float e = EaseInOutCosine(x);
    wobbleScale.x = 1.0f + e * kWobbleWiden;
    wobbleScale.y = 1.0f + e * kWobbleFlatten;
}

void Balloon::Render() {
    if (s_model.Get() == nullptr || !active) {
        return;
    }
    Matrix4 world;
    Matrix4::Scale(world, scale.x * wobbleScale.x, scale.y * wobbleScale.y, scale.z * wobbleScale.z);
    world.m[12] = position.x;
    world.m[13] = position.y;
    world.m[14] = position.z + depth;
    RenderTransforms::Get().World().Set(world);
    DrawSortedByDepth(*s_model, world);
    RenderTransforms::Get().World().Set(Matrix4::Identity());
}

int Balloon::OnHit(WorldObject* /*hitter*/, int /*valueA*/, int /*valueB*/, const Vector3& /*stroke*/) {
    if (ParticleSystem* pop = ParticleManager::Instance().Spawn("balloonPop", nullptr)) {
        pop->position = position;
    }
    GameRecord& record = GetGameRecord();
    if (record.soundPlayer != nullptr) {
        record.soundPlayer->Play("balloon-pop-1", 1.0f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
    }
    if (record.stats != nullptr) {
        record.stats->Add("balloons", 1, 0, 0);
        record.stats->Add("balloons_total", 1, 1, 0);
        record.stats->Add("balloonsSinceV3_total", 1, 1, 0);
    }
    // The load stays where it is: no longer held, it falls from the next frame.
    carried = nullptr;
    flags |= kFlagDead;
    return 1;
}

}  // namespace Varnok
