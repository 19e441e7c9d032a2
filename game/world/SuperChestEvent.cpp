// Stages of the super chest's event.
#include "game/world/SuperChestEvent.h"

#include "engine/core/Random.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/InGameMode.h"
#include "game/screens/GameHud.h"
#include "game/screens/ScreenList.h"
#include "game/world/Fruit.h"
#include "game/world/FruitImpacts.h"
#include "game/world/GameCamera.h"
#include "game/world/Jiblet.h"
#include "game/world/ParticleManager.h"
#include "game/world/WaveManager.h"
#include "game/world/WorldObjectManager.h"

#include <algorithm>
#include <cmath>

namespace Varnok {

namespace {

constexpr float kFocusLift = 20.0f;
constexpr float kZoomTarget = 0.625f;
constexpr float kWobbleSeconds = 0.175f;

// The sine ease that starts fast and overshoots a little (105 degrees).
float WobbleEase(float t) {
    const float top = std::sin(105.0f * 3.14159265f / 180.0f);
    return std::sin(std::clamp(t, 0.0f, 1.0f) * 105.0f * 3.14159265f / 180.0f) / top;
}

}  // namespace

SuperChestEvent::SuperChestEvent(Fruit& chest) : SuperFruitEvent(chest) {
    hits = 1;
    chest.hitTimer = 1.0f;
    chest.effectDepth = 10.0f;
    const float height = LogicalScreenHeight();
    m_offset = Vector3{chest.position.x, chest.position.y + 0.25f * height, 0.0f};
    m_scale = Vector3{0.5f, 0.5f, 0.5f};
    pop = 1.0f;
    WaveManager& waves = WaveManager::Instance();
    waves.paused = true;
    WaveManager::RemoveActiveFruitsAndBombs();
    sliceTime = kWindowOpen;
    pulse = 0.0f;
    Random& game = GlobalRandom();
    (void)game.NextFloat();
    for (int i = 0; i < 3; ++i) {
        (void)waves.GetRandom().Next();
    }
    // The halves come back together, upright, turning slowly.
    const Quaternion upright = Quaternion::FromAxisAngle(1.0f, 0.0f, 0.0f, 16380);
    float spin = 2.0f + 3.0f * game.NextFloat();
    if (game.NextFloat() <= 0.5f) {
        spin = -spin;
    }
    for (int half = 0; half < 2; ++half) {
        chest.halfOrientation[half] = upright;
        chest.halfSpin[half] = Vector3{0.0f, 6.0f, spin};
    }
    // Slow motion: the chest stops, everything else is pushed away and
    // cannot be hit; another chest in flight becomes a plain fruit.
    waves.timeScale = kSlowScale;
    GameHud::ExpireActivePopups();
    chest.velocity = Vector3{};
    chest.halfVelocity = Vector3{};
    chest.halfSpin[0] = Scale(chest.halfSpin[0], 0.1f);
    WorldObjectManager& world = WorldObjectManager::Instance();
    if (world.IsInitialised()) {
        constexpr uint32_t type = static_cast<uint32_t>(WorldObjectType::Fruit);
        WorldObjectManager::Cursor cursor = nullptr;
        for (WorldObject* o = world.First(type, cursor); o != nullptr; o = world.Next(type, cursor)) {
            Fruit* other = static_cast<Fruit*>(o);
            if (other == &chest || other->IsDead()) {
                continue;
            }
            other->isSuperChest = false;
            other->hitTimer = 100.0f;
            Vector3 away = Subtract(other->position, chest.position);
            away.Normalise();
            other->velocity = Add(other->velocity, Scale(away, 20.0f));
        }
    }
    round = Slicing;
    time = prevTime = 0.0f;
}

void SuperChestEvent::OnHit(WorldObject* /*hitter*/) {
    if (fruit == nullptr || fruit->destroyed || !AcceptHit()) {
        return;
    }
    if (InGameMode* mode = GetChallengeMode()) {
        mode->OnFruitSliced(fruit);
    }
    Random& random = GlobalRandom();
    if (wobbleSkips > 0) {
        --wobbleSkips;
    } else {
        const float n = 7.0f + std::trunc(3.0f * random.NextFloat());
        const float length = std::sqrt(wobbleTarget.x * wobbleTarget.x + wobbleTarget.y * wobbleTarget.y);
        float degrees = 0.0f;
        if (length < 1.0f) {
            degrees = static_cast<float>(random.Next() & 0xFFFFu) / kAngleUnitsPerDegree;
        } else if (length > 22.0f) {
            // Back towards the centre.
            degrees = std::atan2(wobbleTarget.y, wobbleTarget.x) * 180.0f / 3.14159265f + 135.0f +
                      90.0f * random.NextFloat();
        } else {
            const Vector3 d = Subtract(wobbleTarget, wobbleStart);
            degrees = std::atan2(d.y, d.x) * 180.0f / 3.14159265f;
        }
        const float radians = degrees * 3.14159265f / 180.0f;
        wobbleTarget = Add(wobbleTarget, Vector3{n * std::cos(radians), n * std::sin(radians), 0.0f});
        wobbleStart = wobbleCurrent;
        wobbleProgress = 0.0f;
        wobbleSkips = 0;
    }
    WaveManager::Instance().AddSpeedLossTime(0.1f);
    if ((hits & 1) != 0) {
        SpawnRay();
    }
}

void SuperChestEvent::ReleaseFruit() {
    GameCamera* camera = GetGameRecord().camera;
    if (fruit != nullptr && camera != nullptr && camera->mode == GameCamera::kModeZoomIn) {
        fruit->hitTimer = -1.0f;
    }
}

void SuperChestEvent::Update(float stepSeconds) {
    if (!BeginUpdate(stepSeconds)) {
        return;
    }
    switch (round) {
        case Slicing:
            UpdateSlicing();
            break;
        case Opened:
            if (time > kOpenedSeconds) {
                round = Waiting;
                time = prevTime = 0.0f;
            }
            break;
        default:
            if (time > kWaitSeconds) {
                Finish();
                return;
            }
            break;
    }
    pop = std::min(1.0f, pop + 3.0f * stepSeconds);
    wobbleProgress = std::min(1.0f, wobbleProgress + stepSeconds / kWobbleSeconds);
    prevTime = time;
}

void SuperChestEvent::UpdateSlicing() {
    if (fruit == nullptr) {
        return;
    }
    const float e = WobbleEase(std::min(wobbleProgress, 1.0f));
    wobbleCurrent = Add(wobbleStart, Scale(Subtract(wobbleTarget, wobbleStart), e));
    if (GameCamera* camera = GetGameRecord().camera) {
        camera->mode = GameCamera::kModeZoomIn;
        camera->focus = Add(Add(fruit->position, wobbleCurrent), Vector3{0.0f, kFocusLift, 0.0f});
        camera->zoomTarget = kZoomTarget;
        camera->rollTarget = 0.0f;
        camera->onArrival = GameCamera::ArrivalCallback(this, &SuperChestEvent::ReleaseFruit);
    }
    const float height = LogicalScreenHeight();
    m_offset = Add(Vector3{fruit->position.x, fruit->position.y + 0.15625f * height, 0.0f}, wobbleCurrent);
    if (Crossed(kLidSeconds)) {
        ThrowLid();
    }
    if (time > kOpenSeconds) {
        Open();
    }
}

void SuperChestEvent::StartParticles(const char* name, const Vector3& at) {
    if (ParticleSystem* system = ParticleManager::Instance().Spawn(name, nullptr)) {
        system->position = at;
    }
}

void SuperChestEvent::ThrowLid() {
    StartParticles("chestBurst", fruit->position);
    fruit->destroyed = true;
    WorldObject* object = WorldObjectManager::Instance().Acquire(static_cast<uint32_t>(WorldObjectType::Jiblet));
    if (object == nullptr) {
        return;
    }
    lid = static_cast<Jiblet*>(object);
    JibletLaunch launch;
    launch.position = fruit->position;
    launch.model = Resources().chestPieces[0];
    lid->SpawnFromFruit(launch);
    lid->scale = fruit->scale;
    lid->orientation = Matrix4::FromQuaternion(fruit->halfOrientation[0]);
    lid->spin[0] = fruit->halfSpin[0].x;
    lid->spin[1] = fruit->halfSpin[0].y;
    lid->spin[2] = fruit->halfSpin[0].z;
}

void SuperChestEvent::Open() {
    round = Opened;
    // The bonus comes from the challenge mode; with none running the chest
    // opens full, without the pop-up.
    emptyChest = false;
    if (InGameMode* mode = GetChallengeMode()) {
        (void)mode;  // the bonus pop-up joins with the challenge mode
    }
    if (lid != nullptr && !lid->IsDead()) {
        lid->model = Resources().chestPieces[emptyChest ? 2 : 1];
        lid->spin[0] = lid->spin[1] = lid->spin[2] = 0.0f;
        StartParticles(emptyChest ? "chestDud" : "chestOpen", lid->position);
    }
    GameHud::ExpireActivePopups();
    burstPoint = fruit != nullptr ? fruit->position : burstPoint;
    FruitImpacts::Get().ClearOwners();
    EndShockRays();
    if (GameCamera* camera = GetGameRecord().camera) {
        camera->StartShake(m_offset, 1.0f, 2.0f, 9.0f);
    }
    time = prevTime = 0.0f;
}

void SuperChestEvent::Finish() {
    WaveManager& waves = WaveManager::Instance();
    waves.timeScale = 1.0f;
    waves.paused = false;
    if (GameCamera* camera = GetGameRecord().camera) {
        camera->mode = GameCamera::kModeZoomOut;
        camera->onArrival = GameCamera::ArrivalCallback();
    }
    ParticleManager& particles = ParticleManager::Instance();
    particles.blastRadius = 0.0f;
    particles.blastFactor = 1.0f;
    FruitImpacts::Get().ClearOwners();
    Jiblet::RemoveAll();
    lid = nullptr;
    m_finished = true;
}

}  // namespace Varnok
