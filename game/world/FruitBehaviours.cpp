// What the mods of a challenge round do to a fruit: carriers as it enters
// play, orbits in place of flight, bounces, snake steps and mega splits in
// place of the split, and the floors (trampoline, colliders, stacks).
#include "game/world/Fruit.h"

#include "engine/core/Random.h"
#include "game/rules/ChallengeMods.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/SoundPlayer.h"
#include "game/world/Bomb.h"
#include "game/world/ChallengeCarriers.h"
#include "game/world/ParticleManager.h"
#include "game/world/WaveList.h"
#include "game/world/WaveManager.h"
#include "game/world/WorldObjectManager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Varnok {
namespace {

constexpr float kBounceMinSpeedX = 2.5f;
constexpr float kMegaMinSpeedX = 2.0f;
constexpr float kMaxSpeedX = 100.0f;
constexpr float kMinSpeedY = 2.0f;
constexpr float kMaxSpeedY = 20.0f;
constexpr float kSnakeStep = 40.0f;
constexpr Angle kSnakeTurn = 1820;  // 10 degrees
constexpr int kSnakeTurnsMax = 36;
constexpr float kSnakeMargin = 50.0f;
constexpr float kBouncyWallMargin = 22.0f;  // beyond the screen's sides

void PlayFruitEffect(const char* name) {
    SoundPlayer* sounds = GetGameRecord().soundPlayer;
    if (sounds != nullptr) {
        sounds->Play(name, 1.0f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
    }
}

void StartParticles(const char* name, const Vector3& at) {
    ParticleSystem* system = ParticleManager::Instance().Spawn(name, nullptr);
    if (system != nullptr) {
        system->position = at;
    }
}

// A launch from height y (the wave manager places a request's posY below
// the screen's bottom edge).
WaveSpawnRequest RequestAt(float x, float y, float velX, float velY) {
    WaveSpawnRequest request;
    request.posX = static_cast<int32_t>(x);
    request.posY = static_cast<int32_t>(-(y + LogicalScreenHeight() / 2.0f));
    request.velX = velX;
    request.velY = velY;
    request.velXscale = 0.0f;
    request.velYscale = 0.0f;
    request.delay = 0.0f;
    request.timer = 0.0f;
    request.min = 1.0f;
    request.max = 1.0f;
    return request;
}

bool SpheresTouch(const Vector3& a, const Vector3& b, float radius) {
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    const float reach = 2.0f * radius;
    return dx * dx + dy * dy < reach * reach;
}

Vector3 CollisionCentre(const WorldObject& object) {
    if (object.collision != nullptr && object.collision->GetType() == CollisionType::Sphere) {
        return static_cast<const CollisionSphere&>(*object.collision).centre;
    }
    return object.position;
}

}  // namespace

ChallengeModList* Fruit::s_challengeMods = nullptr;

Vector3 ChallengeRelaunchVelocity(Angle cutAngle, float y, float screenHeight, float minSpeedX, float u1,
                                  float u2) {
    const float magnitude = 1.8f + 5.2f * u1;
    const float degrees = static_cast<float>((static_cast<uint32_t>(cutAngle) + 32776u) % 65536u) / 182.0f;
    const int32_t half = static_cast<int32_t>(degrees * 0.5f + 90.0f);
    const Angle tableAngle = static_cast<Angle>(static_cast<uint32_t>(half * kAngleUnitsPerDegree) & 0xFFFFu);
    const float v = magnitude * -SinLookup(tableAngle);
    float vx = 0.0f;
    if (v != 0.0f) {
        vx = std::copysign(std::min(std::max(std::fabs(v), minSpeedX), kMaxSpeedX), v);
    }
    const float middle = screenHeight / 2.0f;
    const float h = std::min(std::max(std::fabs(middle - y) * (0.5f + 0.55f * u2), 0.0f), middle);
    const float vy = std::min(std::max(std::sqrt(0.4f * h), kMinSpeedY), kMaxSpeedY);
    return Vector3{vx, vy, 0.0f};
}

ChallengeModList* Fruit::ActiveChallengeMods() {
    return s_challengeMods != nullptr && GetChallengeMode() != nullptr ? s_challengeMods : nullptr;
}

bool Fruit::ChallengeFloats() {
    const ChallengeModList* mods = ActiveChallengeMods();
    return mods != nullptr &&
           (mods->HasFlag(ChallengeModType::Windows) || mods->Has(GetModNames().floatingFruit));
}

bool Fruit::ChallengeWindowsOpen() {
    const ChallengeModList* mods = ActiveChallengeMods();
    return mods != nullptr && mods->HasFlag(ChallengeModType::Windows);
}

bool Fruit::ApplyChallengeWalls() {
    const ChallengeModList* mods = ActiveChallengeMods();
    if (mods == nullptr) {
        return false;
    }
    const ModNames& names = GetModNames();
    if (mods->Has(names.bouncyWalls)) {
        const float radius = collision != nullptr && collision->GetType() == CollisionType::Sphere
                                 ? static_cast<CollisionSphere&>(*collision).radius
                                 : 0.0f;
        const float wall = LogicalScreenWidth() / 2.0f + kBouncyWallMargin;
        if (position.x - radius < -wall) {
            velocity.x = std::fabs(velocity.x);
        } else if (position.x + radius > wall) {
            velocity.x = -std::fabs(velocity.x);
        }
        return true;
    }
    return mods->Has(names.fruitNoWalls) || mods->Has(names.fruitStack) || mods->Has(names.fruitSuperStack);
}

void Fruit::SetRope(PinataRope* newRope) {
    if (rope != newRope) {
        DestroyChallengeRope(rope);
    }
    rope = newRope;
}

void Fruit::AttachChallengeCarrier(const Vector3& anchor) {
    held = false;
    carrier = nullptr;
    SetRope(nullptr);
    ChallengeModList* mods = ActiveChallengeMods();
    if (mods == nullptr) {
        return;
    }
    if (auto* balloons = static_cast<BalloonsMod*>(mods->FindFlag(ChallengeModType::Balloons))) {
        carrier = AttachChallengeBalloon(*this, balloons->lift, balloons->maxSpeed);
        // Without a balloon the fruit must not hang in the air for good.
        held = carrier != nullptr;
    }
    if (auto* ropes = static_cast<RopesMod*>(mods->FindFlag(ChallengeModType::Ropes))) {
        Random& random = GameRandom();
        const Vector3 start = ropes->PickStartOffset(anchor, random);
        const float length = ropes->PickRopeLength(random);
        SetRope(CreateChallengeRope(anchor, start, length, ropes->deployTime));
    }
}

bool Fruit::OrbitChallengeCentre(float scaled) {
    ChallengeModList* mods = ActiveChallengeMods();
    auto* circle = mods != nullptr ? static_cast<CircleVelocityMod*>(mods->FindFlag(ChallengeModType::CircleVelocity))
                                   : nullptr;
    if (circle == nullptr) {
        return false;
    }
    // The velocity's x is the angular speed in radians a second.
    const double dx = static_cast<double>(position.x) - circle->vector1.x;
    const double dy = static_cast<double>(position.y) - circle->vector1.y;
    const double r = std::sqrt(dx * dx + dy * dy);
    const double theta = std::atan2(dy, dx) + static_cast<double>(scaled) * velocity.x;
    position.x = static_cast<float>(circle->vector1.x + r * std::cos(theta));
    position.y = static_cast<float>(circle->vector1.y + r * std::sin(theta));
    halfPosition = position;
    halfVelocity = velocity;
    return true;
}

bool Fruit::ExpireChallengeHit() {
    ChallengeModList* mods = ActiveChallengeMods();
    if (mods == nullptr) {
        return false;
    }
    if (keepyUppy) {
        if (bounceCount < kMaxBounces) {
            BounceUp();
            return true;
        }
        return false;  // the last hit splits, whatever else is active
    }
    const ModNames& names = GetModNames();
    if (ChallengeMod* snake = mods->FindActive(names.snakeFruit)) {
        SnakeStep(*snake);
        return true;
    }
    ChallengeMod* megaMod = mods->FindActive(names.megaFruit);
    if (megaMod != nullptr && scale.x > baseScale.x) {
        MegaSplit(*megaMod);
        return true;
    }
    return false;
}

void Fruit::BounceUp() {
    Random& random = GameRandom();
    const float u1 = random.NextFloat();
    const float u2 = random.NextFloat();
    const Vector3 relaunch =
        ChallengeRelaunchVelocity(cutAngle, position.y, LogicalScreenHeight(), kBounceMinSpeedX, u1, u2);
    PlayFruitEffect("coconut-bounce");
    StartParticles("coconut_hit", position);
    velocity = relaunch;
    const int32_t bounces = bounceCount;
    Spawn(kind, 1.0f);
    timeScale = kBounceTimeScale;
    StartFlightTimer(0.0f);
    bounceCount = bounces + 1;
    hitCooldown = kBounceHitCooldown;
}

void Fruit::SnakeStep(ChallengeMod& snake) {
    const float width = LogicalScreenWidth();
    const float left = -width / 2.0f + kSnakeMargin;
    const float right = width / 2.0f - kSnakeMargin;
    Angle heading = static_cast<Angle>(static_cast<uint32_t>(snake.stateInts[0] + snake.stateInts[1]) & 0xFFFFu);
    snake.stateInts[0] = heading;
    const float cx = snake.stateFloats[0];
    const float cy = snake.stateFloats[1];
    Vector3 p{cx + kSnakeStep * CosLookup(heading), cy + kSnakeStep * SinLookup(heading), 0.0f};
    for (int turn = 0; turn < kSnakeTurnsMax && (p.x < left || p.x > right || p.y < -60.0f || p.y > 160.0f);
         ++turn) {
        heading = static_cast<Angle>(heading + kSnakeTurn);
        p = Vector3{cx + kSnakeStep * CosLookup(heading), cy + kSnakeStep * SinLookup(heading), 0.0f};
    }
    // One time in four the snake turns the other way.
    if ((GameRandom().Next() >> 30) == 1u) {
        snake.stateInts[1] = -snake.stateInts[1];
    }
    const float x = std::min(std::max(p.x, left), right);
    const float y = std::min(std::max(p.y, -70.0f), 170.0f);
    WaveSpawnRequest request = RequestAt(x, y, 0.0f, 0.0f);
    Fruit* next = WaveManager::Instance().SpawnWorldObject(1, kind, &request);
    if (next != nullptr) {
        next->launchWait = 0.1f;
    }
    // The oldest fruit that grew back to its own size.
    WorldObjectManager& world = WorldObjectManager::Instance();
    const uint32_t fruitType = static_cast<uint32_t>(WorldObjectType::Fruit);
    WorldObjectManager::Cursor cursor = nullptr;
    Fruit* oldest = nullptr;
    for (WorldObject* object = world.First(fruitType, cursor); object != nullptr;
         object = world.Next(fruitType, cursor)) {
        auto* other = static_cast<Fruit*>(object);
        const bool grown = other->scale.x != other->baseScale.x || other->scale.y != other->baseScale.y ||
                           other->scale.z != other->baseScale.z;
        if (other != this && grown && other->age > 0.0f && (oldest == nullptr || other->age > oldest->age)) {
            oldest = other;
        }
    }
    if (oldest != nullptr) {
        oldest->scale = oldest->baseScale;
        oldest->SetKind(oldest->kind, 1.0f);
    }
    OnDropped(1);
}

void Fruit::MegaSplit(ChallengeMod& megaMod) {
    Random& random = GameRandom();
    char sound[24];
    std::snprintf(sound, sizeof(sound), "Clean-Slice-%u", random.NextBelow(3) + 1u);
    PlayFruitEffect(sound);
    StartParticles("fruit_split_transform", position);
    const float u1 = random.NextFloat();
    const float u2 = random.NextFloat();
    const Vector3 relaunch =
        ChallengeRelaunchVelocity(cutAngle, position.y, LogicalScreenHeight(), kMegaMinSpeedX, u1, u2);
    megaMod.stateFloats[0] = baseScale.x != 0.0f ? std::max(1.0f, 0.75f * scale.x / baseScale.x) : 1.0f;
    WaveSpawnRequest request = RequestAt(position.x, position.y, relaunch.x, relaunch.y);
    for (int piece = 0; piece < 2; ++piece) {
        Fruit* split = WaveManager::Instance().SpawnWorldObject(1, kind, &request);
        if (split == nullptr) {
            continue;
        }
        const float sign = piece == 0 ? 1.0f : -1.0f;
        split->position.y = position.y;
        split->launchWait = 0.0f;
        split->hitCooldown = kBounceHitCooldown;
        split->velocity.x = sign * relaunch.x;
        split->velocity.y = sign * relaunch.y;
    }
    OnDropped(1);
}

void Fruit::ApplyChallengeFloor() {
    ChallengeModList* mods = ActiveChallengeMods();
    if (mods == nullptr || sliced || isMenuFruit) {
        return;
    }
    const ModNames& names = GetModNames();
    if (mods->Has(names.trampoline)) {
        const float radius = collision != nullptr && collision->GetType() == CollisionType::Sphere
                                 ? static_cast<CollisionSphere&>(*collision).radius
                                 : 0.0f;
        if (velocity.y < 0.0f && position.y - 0.8f * radius < kTrampolineY) {
            velocity.y = std::min(-velocity.y, kTrampolineMaxSpeed);
            PlayBounceSound(false, mega);
        }
        return;
    }
    if (auto* colliders = static_cast<CollisionMod*>(mods->FindFlag(ChallengeModType::Collision))) {
        Vector3 scratch;
        mods->ApplyToObject(*colliders, *this, scratch);
        return;
    }
    ChallengeMod* stack = mods->FindActive(names.fruitStack);
    if (stack == nullptr) {
        stack = mods->FindActive(names.fruitSuperStack);
    }
    if (stack != nullptr && velocity.y < 0.0f) {
        RestOnStack(stack->stateFloats[0]);
    }
}

void Fruit::RestOnStack(float h) {
    const auto follow = [this]() {
        if (collision != nullptr && collision->GetType() == CollisionType::Sphere) {
            static_cast<CollisionSphere&>(*collision).centre = Vector3{position.x, position.y, 0.0f};
        }
    };
    if (position.y + h < kStackGroundY) {
        position.y = kStackGroundY - h;
        velocity.y = 0.0f;
        follow();
    }
    const float reach = 0.75f * h;
    WorldObjectManager& world = WorldObjectManager::Instance();
    // Objects of a column share their x; a later id lies below.
    const auto restOn = [&](uint32_t type, bool skipSliced) {
        WorldObjectManager::Cursor cursor = nullptr;
        for (WorldObject* object = world.First(type, cursor); object != nullptr; object = world.Next(type, cursor)) {
            if (object == this || object->IsDead()) {
                continue;
            }
            if (skipSliced && static_cast<Fruit*>(object)->sliced) {
                continue;
            }
            if (object->position.x != position.x || object->id <= id || object->velocity.y != 0.0f) {
                continue;
            }
            const Vector3 below = CollisionCentre(*object);
            if (SpheresTouch(below, CollisionCentre(*this), reach)) {
                position.y = below.y + 1.5f * h;
                velocity.y = 0.0f;
                follow();
                return;
            }
        }
    };
    restOn(static_cast<uint32_t>(WorldObjectType::Fruit), true);
    restOn(static_cast<uint32_t>(WorldObjectType::Bomb), false);
}

}  // namespace Varnok
