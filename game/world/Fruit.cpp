// Launch, flight, hit, split and leaving play of a fruit.
#include "game/world/Fruit.h"

#include "engine/core/HashName.h"
#include "engine/core/Random.h"
#include "engine/model/MeshModel.h"
#include "engine/render/ImmediatePrimitiveRenderer.h"
#include "engine/render/RenderTransforms.h"
#include "game/rules/Achievements.h"
#include "game/rules/ChallengeMods.h"
#include "game/rules/Powers.h"
#include "game/rules/ClassicMode.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/Items.h"
#include "game/rules/SoundPlayer.h"
#include "game/world/Bomb.h"
#include "game/world/FruitImpacts.h"
#include "game/world/FruitModels.h"
#include "game/world/SplatterLayer.h"
#include "game/world/SuperFruitEvent.h"
#include "game/world/WorldObjectManager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace Varnok {
namespace {

constexpr float kFrameSeconds = 1.0f / 60.0f;
constexpr float kSoftWallFraction = 0.4f;
constexpr float kShadowSide = 82.0f;      // of a whole fruit, per unit of scale
constexpr float kHalfShadowSide = 50.0f;  // of each half

void PlayEffect(const char* name) {
    SoundPlayer* sounds = GetGameRecord().soundPlayer;
    if (sounds != nullptr) {
        sounds->Play(name, 1.0f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
    }
}

Quaternion Multiply(const Quaternion& a, const Quaternion& b) {
    return Quaternion{a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                      a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

bool IsBean(const FruitInfo& info) {
    static const uint32_t s_bean = HashName("bean", 4);
    return info.nameHash == s_bean;
}

}  // namespace

bool Fruit::s_launchSoundPlayed = false;
float Fruit::s_previousDepth = Fruit::kFirstDepth;
int Fruit::s_throwSounds = 0;
int Fruit::s_countedDrops = 0;
Fruit::UltraRareBonusHandler Fruit::s_ultraRareBonus = nullptr;
int Fruit::s_lastSlicedKind = 1;
int Fruit::s_sameKindRun = 0;
Random* Fruit::s_gameRandom = nullptr;
Random* Fruit::s_waveRandom = nullptr;

bool DecideCritical(int32_t& countdown, const CriticalSettings& settings, const CriticalInputs& inputs,
                    Random& random) {
    if (inputs.score < 2 || !inputs.classicMode || !inputs.canBeCritical || !inputs.inPlay ||
        inputs.bombExplosionTime > 0.0f) {
        return false;
    }
    countdown = std::max(countdown - 1, 2);
    if (!inputs.hasHitter || inputs.factor <= 0.0f) {
        return false;
    }
    const float odds = static_cast<float>(std::min(countdown, settings.chance)) / inputs.factor;
    const uint32_t high = random.Next();
    bool critical = odds <= 1.0f;
    if (!critical) {
        const uint64_t below = static_cast<uint64_t>(static_cast<uint32_t>(odds));
        critical = ((static_cast<uint64_t>(high) * below) >> 32) == 0;
    }
    if (inputs.keepyUppyMod || inputs.isBean) {
        critical = false;
    }
    if (critical) {
        countdown = settings.chance + settings.chanceIncrement;
    }
    return critical;
}

int32_t PointsForHit(const FruitInfo& info, bool critical, const CriticalSettings& settings) {
    return info.score + (critical ? settings.score : 0);
}

void Fruit::SetGenerators(Random* game, Random* waves) {
    s_gameRandom = game;
    s_waveRandom = waves;
}

Random& Fruit::GameRandom() {
    return s_gameRandom != nullptr ? *s_gameRandom : GlobalRandom();
}

Random& Fruit::WaveRandom() {
    return s_waveRandom != nullptr ? *s_waveRandom : GlobalRandom();
}

const FruitInfo* Fruit::GetInfo() const {
    const FruitCatalogue& catalogue = FruitCatalogue::Get();
    return kind < catalogue.Count() ? &catalogue.At(kind) : nullptr;
}

Event1<Fruit*>& Fruit::AnyLaunchedEvent() {
    static Event1<Fruit*> event;
    return event;
}

Event3<Fruit*, int, WorldObject*>& Fruit::SuperFruitHitEvent() {
    static Event3<Fruit*, int, WorldObject*> event;
    return event;
}

void Fruit::Spawn(int kindIndex, float size) {
    WorldObject::Spawn();
    launchedEvent.Clear();
    droppedEvent.Clear();
    destroyed = false;
    effectDepth = 0.0f;
    static uint32_t s_spawns = 0;
    spawnSerial = ++s_spawns;
    FruitCatalogue& catalogue = FruitCatalogue::Get();
    drift = Vector3{};
    shadowOffset = Vector3{};
    bladeDirection = Vector3{1.0f, 0.0f, 0.0f};
    sliceProgress = 0.0f;
    timeScale = 1.0f;
    frozen = false;
    hitCooldown = 0.0f;
    launchVelocity = velocity;
    age = 0.0f;
    if (kindIndex < 0 || kindIndex >= catalogue.Count()) {
        kindIndex = catalogue.PickAny(WaveRandom(), false, 1);
    }
    SetKind(kindIndex < 0 ? 0 : kindIndex, size);
    flags = (flags & ~(0x02u | kFlagDead)) | 0x02u;
    sliced = false;
    noPenalty = false;
    bounceCount = 0;
    hitTimer = -1.0f;
    launchWait = 0.0f;
    onScreen = false;
    sliceable = true;
    // Tumbling: a random orientation and spin from the wave generator.
    Random& waves = WaveRandom();
    const float spin[3] = {waves.NextFloat() * 11.0f - 5.5f, waves.NextFloat() * 11.0f - 5.5f,
                           waves.NextFloat() * 11.0f - 5.5f};
    Vector3 axis{waves.NextFloat() * 2.0f - 1.0f, waves.NextFloat() * 2.0f - 1.0f, waves.NextFloat() * 2.0f - 1.0f};
    axis.Normalise();
    const Angle turn = static_cast<Angle>(waves.NextBelow(359 * kAngleUnitsPerDegree));
    Quaternion orientation = Quaternion::FromAxisAngle(axis.x, axis.y, axis.z, turn);
    Vector3 spinRates{spin[0], spin[1], spin[2]};
    const FruitInfo* info = GetInfo();
    if (info != nullptr && info->scoresNothing) {
        Random& game = GameRandom();
        orientation = Quaternion::FromAxisAngle(0.0f, 1.0f, 0.0f,
                                                AngleFromDegrees(12.0f + 28.0f * game.NextFloat()));
        const float roll = 3.0f + 2.0f * game.NextFloat();
        spinRates = Vector3{10.0f, 0.0f, game.NextFloat() <= 0.5f ? -roll : roll};
    }
    halfOrientation[0] = halfOrientation[1] = orientation;
    halfSpin[0] = halfSpin[1] = spinRates;
    gravityOn = !ChallengeFloats();
    isMenuFruit = false;
    critical = true;
    depth = s_previousDepth - kDepthStep;
    if (depth < kDeepestDepth) {
        depth = kFirstDepth;
    }
    s_previousDepth = depth;
    acceleration = Vector3{0.0f, -12.0f, 0.0f};
}

void Fruit::SetKind(int kindIndex, float size) {
    kind = static_cast<uint8_t>(kindIndex);
    const FruitInfo* info = GetInfo();
    static const uint32_t superPomegranate = HashName("super_pomegranate", 17);
    static const uint32_t superChest = HashName("super_chest", 11);
    isSuperPomegranate = kindIndex >= 0 && info != nullptr && info->nameHash == superPomegranate;
    isSuperChest = kindIndex >= 0 && info != nullptr && info->nameHash == superChest;
    const float kindScale = info != nullptr ? info->scale : 25.0f;
    const float factor = size * kindScale * 0.01f;
    scale = Vector3{factor, factor, factor};
    baseScale = scale;
    const float radius = size * ((info != nullptr ? info->collisionSize : 1.0f) + 0.52f * kindScale);
    if (radius > 0.0f) {
        collision = std::make_unique<CollisionSphere>(Vector3{position.x, position.y, 0.0f}, radius);
    } else {
        collision.reset();
    }
}

void Fruit::StartFlightTimer(float waitSeconds) {
    halfPosition = position;
    launchWait = waitSeconds < 0.0f ? 0.125f : waitSeconds;
    hitCooldown = 0.0f;
    ChallengeModList* mods = ActiveChallengeMods();
    keepyUppy = mods != nullptr && mods->Has(GetModNames().keepyUppy);
}

void Fruit::Deactivate() {
    launchedEvent.Clear();
    droppedEvent.Clear();
    SetRope(nullptr);
    held = false;
    carrier = nullptr;
    WorldObject::Deactivate();
}

void Fruit::UpdateWaiting() {
    GameRecord& record = GetGameRecord();
    const bool counting = !record.paused && !(record.bombExplosionTime > 0.0f) &&
                          (!record.notInPlay || record.menuPhase < 1.0f);
    if (!counting) {
        return;
    }
    const float before = launchWait;
    launchWait -= record.frameStep;
    if (before > kThrowSoundWait && launchWait <= kThrowSoundWait && !record.notInPlay && !s_launchSoundPlayed &&
        !ChallengeWindowsOpen()) {
        s_launchSoundPlayed = true;
        ++s_throwSounds;
        PlayEffect("Throw-fruit");
    }
    if (launchWait <= 0.0f) {
        launchTime = record.gameTime;  // the mode's entry hook joins with the modes
        launchedEvent.Invoke(this);
        AnyLaunchedEvent().Invoke(this);
    }
}

void Fruit::UpdateFlight(float scaled) {
    if (held) {
        velocity = Vector3{};  // the balloon moves it
    }
    if (frozen || held) {
        halfPosition = position;
        halfVelocity = velocity;
        return;
    }
    const Vector3 a = gravityOn ? acceleration : Vector3{};
    position = Varnok::Add(position, Scale(Varnok::Add(Scale(velocity, scaled), Scale(a, scaled * scaled * 0.5f)), 60.0f));
    position = Varnok::Add(position, Scale(drift, scaled));
    velocity = Varnok::Add(velocity, Scale(a, scaled));
    halfPosition = position;
    halfVelocity = velocity;
}

void Fruit::UpdateSliced(float scaled, float frames) {
    if (!keepWhole) {
        sliceProgress = std::min(1.0f, sliceProgress + 3.0f * scaled);
    }
    velocity = Varnok::Add(velocity, Scale(acceleration, scaled));
    halfVelocity = Varnok::Add(halfVelocity, Scale(acceleration, scaled));
    const Vector2& background = GetGameRecord().backgroundDelta;
    position = Varnok::Add(position, Scale(velocity, frames));
    halfPosition = Varnok::Add(halfPosition, Scale(halfVelocity, frames));
    position.x -= background.x;
    position.y += background.y;
    halfPosition.x -= background.x;
    halfPosition.y += background.y;
    slicedTime += scaled;
}

void Fruit::Tumble(float frames) {
    for (int half = 0; half < 2; ++half) {
        const Vector3& spin = halfSpin[half];
        Quaternion q = halfOrientation[half];
        q = Multiply(q, Quaternion::FromAxisAngle(1.0f, 0.0f, 0.0f, AngleFromDegrees(spin.x * frames)));
        q = Multiply(q, Quaternion::FromAxisAngle(0.0f, 1.0f, 0.0f, AngleFromDegrees(spin.y * frames)));
        q = Multiply(q, Quaternion::FromAxisAngle(0.0f, 0.0f, 1.0f, AngleFromDegrees(spin.z * frames)));
        q.Normalise();
        halfOrientation[half] = q;
    }
}

void Fruit::Update(float stepSeconds) {
    const float scaled = stepSeconds * timeScale;
    const float frames = scaled / kFrameSeconds;
    age += scaled;
    if (!sliced) {
        if (hitCooldown > 0.0f) {
            hitCooldown -= GetGameRecord().frameStep;
        }
        if (launchWait > 0.0f) {
            UpdateWaiting();
            if (launchWait > 0.0f) {
                return;
            }
            if (ActiveChallengeMods() != nullptr) {
                AttachChallengeCarrier(position);
            }
        }
        if (!OrbitChallengeCentre(scaled)) {
            UpdateFlight(scaled);
        }
        if (hitTimer > 0.0f && !frozen) {
            hitTimer -= scaled;
            if (hitTimer <= 0.0f && !ExpireChallengeHit()) {
                Split();
            }
        }
    } else {
        UpdateSliced(scaled, frames);
    }
    if (!frozen) {
        Tumble(frames);
    }
    if (HasLeftPlay()) {
        OnDropped(sliced ? 0 : 1);
    }
    if (collision != nullptr && collision->GetType() == CollisionType::Sphere) {
        static_cast<CollisionSphere&>(*collision).centre = Vector3{position.x, position.y, 0.0f};
    }
    ApplyChallengeFloor();
}

void Fruit::PostUpdate(float stepSeconds) {
    drift = Scale(drift, 0.9f);
    if (sliced || launchWait > 0.0f || acceleration.x != 0.0f) {
        return;
    }
    if (ApplyChallengeWalls()) {
        return;
    }
    // Soft walls keep fruit from flying off the sides.
    const float wall = kSoftWallFraction * LogicalScreenWidth();
    if (position.x < -wall) {
        velocity.x += 16.0f * stepSeconds;
        drift.x += 20.0f;
    } else if (position.x > wall) {
        velocity.x -= 16.0f * stepSeconds;
        drift.x -= 20.0f;
    }
}

void Fruit::DrawPiece(const MeshModel& model, const Quaternion& orientation, const Vector3& at) const {
    // scale x rotation, then moved to the piece along the camera's z by the
    // fruit's depth (menu fruit stand at 0).
    Matrix4 world = Matrix4::FromQuaternion(orientation);
    const float factors[3] = {scale.x, scale.y, scale.z};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            world.m[4 * row + column] *= factors[row];
        }
    }
    world.m[12] = at.x;
    world.m[13] = at.y;
    world.m[14] = at.z + (isMenuFruit ? 0.0f : depth);
    DrawSortedByDepth(model, world);
}

void Fruit::Render() {
    if (launchWait > 0.0f) {
        return;
    }
    const FruitModels& models = FruitModels::Get();
    if (!sliced || keepWhole) {
        const MeshModel* whole = models.Whole(kind);
        if (whole != nullptr) {
            DrawPiece(*whole, halfOrientation[0], position);
        }
        return;
    }
    const FruitInfo* info = GetInfo();
    if (info == nullptr || info->scoresNothing) {
        return;  // super fruit draw their own pieces
    }
    const Vector3* places[2] = {&position, &halfPosition};
    for (int half = 0; half < 2; ++half) {
        const MeshModel* piece = models.Half(kind, half);
        if (piece != nullptr) {
            DrawPiece(*piece, halfOrientation[half], *places[half]);
        }
    }
}

void AppendShadowQuad(std::vector<ImmediateVertex>& out, float cx, float cy, float side, float alpha) {
    const float h = side * 0.5f;
    const float a = std::clamp(std::trunc(alpha), 0.0f, 255.0f);
    const float corners[6][4] = {{-h, -h, 0, 1}, {h, -h, 1, 1}, {h, h, 1, 0}, {-h, -h, 0, 1}, {h, h, 1, 0}, {-h, h, 0, 0}};
    for (const auto& c : corners) {
        ImmediateVertex v;
        v.x = cx + c[0];
        v.y = cy + c[1];
        v.nz = 1.0f;
        v.r = v.g = v.b = 255.0f;
        v.a = a;
        v.u = c[2];
        v.v = c[3];
        out.push_back(v);
    }
}

void Fruit::AppendShadows(std::vector<ImmediateVertex>& out) const {
    if (IsSuspended() || !(scale.x > 0.0f) || launchWait > 0.0f) {
        return;
    }
    auto quad = [&out](float cx, float cy, float side, float alpha) { AppendShadowQuad(out, cx, cy, side, alpha); };
    if (sliceProgress < 1.0f) {
        quad(position.x + shadowOffset.x, position.y + shadowOffset.y - 0.65f * kShadowSide * baseScale.x,
             kShadowSide * scale.x, (1.0f - sliceProgress) * 230.0f);
    }
    if (sliceProgress > 0.0f) {
        const Vector3* places[2] = {&position, &halfPosition};
        for (int half = 0; half < 2; ++half) {
            // The half's own z axis, seen from the front, says which way its
            // cut face leans; the shadow leans with it.
            const Matrix4 turn = Matrix4::FromQuaternion(halfOrientation[half]);
            const float lean = 0.5f * kHalfShadowSide * baseScale.x;
            quad(places[half]->x + shadowOffset.x + lean * turn.m[8],
                 places[half]->y + shadowOffset.y + lean * turn.m[9], kHalfShadowSide * scale.x,
                 sliceProgress * 100.0f);
        }
    }
}

bool Fruit::HasLeftPlay() const {
    if (!sliced && isMenuFruit && !keepWhole) {
        return false;
    }
    const float vertical = 50.0f * scale.y + LogicalScreenHeight() / 2.0f;
    if (sliced) {
        return (std::fabs(position.y) > vertical && std::fabs(halfPosition.y) > vertical);
    }
    if (launchWait > 0.0f) {
        return false;
    }
    if (acceleration.y <= 0.0f && position.y <= -vertical && velocity.y < 0.0f) {
        return true;
    }
    return acceleration.y >= 0.0f && acceleration.y != 0.0f && position.y >= vertical && velocity.y > 0.0f;
}

bool Fruit::IsOutsideScreen() const {
    const float margin = 50.0f * scale.y;
    if (acceleration.y != 0.0f) {
        const float edge = margin + LogicalScreenHeight() / 2.0f;
        return std::fabs(position.y) > edge || std::fabs(halfPosition.y) > edge;
    }
    if (acceleration.x != 0.0f) {
        const float edge = margin + LogicalScreenWidth() / 2.0f;
        return std::fabs(position.x) > edge || std::fabs(halfPosition.x) > edge;
    }
    return false;
}

void Fruit::OnDropped(int countAsMiss) {
    const FruitInfo* info = GetInfo();
    // Fruit pushed out of play by a super-fruit event are not the player's misses.
    if (!isMenuFruit && !sliced && !noPenalty && info != nullptr && info->score <= 4 && countAsMiss == 1 &&
        !SuperFruitEvent::IsActive()) {
        // "dropped" and the kind's drops statistic join with the statistics
        // store.
        ++s_countedDrops;
        GameRecord& record = GetGameRecord();
        if (auto* classic = dynamic_cast<ClassicMode*>(record.currentMode)) {
            classic->OnFruitMissed(this);
        }
    }
    // Once: a rule's hook must not take its firing back twice.
    const bool wasDead = IsDead();
    flags |= kFlagDead;
    if (!wasDead) {
        droppedEvent.Invoke(this);
    }
}

int Fruit::OnHit(WorldObject* hitter, int /*valueA*/, int /*valueB*/, const Vector3& stroke) {
    if (sliced || hitTimer > -1.0f) {
        return 1;
    }
    if (hitCooldown > 0.0f) {
        critical = false;
        return 0;
    }
    if (IsSuper() && hitter != nullptr && !SuperFruitHitEvent().IsEmpty()) {
        // The event decides: a slice timer of 0 means "slice it like any
        // other"; anything else keeps the fruit whole for now.
        SuperFruitHitEvent().Invoke(this, 0, hitter);
        if (hitTimer != 0.0f) {
            return 0;
        }
        hitTimer = -1.0f;
    }
    GameRecord& record = GetGameRecord();
    FruitCatalogue& catalogue = FruitCatalogue::Get();
    const FruitInfo* info = GetInfo();
    if (info == nullptr) {
        return 0;
    }
    const CriticalSettings& settings = catalogue.Critical();
    const bool eligible = !info->scoresNothing;
    critical = false;
    if (eligible) {
        CriticalInputs inputs;
        inputs.score = record.score;
        inputs.classicMode = record.currentMode != nullptr && record.modeIndex == 0;
        inputs.canBeCritical = info->canBeCritical;
        inputs.inPlay = !record.notInPlay;
        inputs.bombExplosionTime = record.bombExplosionTime;
        inputs.hasHitter = hitter != nullptr;
        inputs.isBean = IsBean(*info);
        critical = DecideCritical(record.criticalCountdown, settings, inputs, GameRandom());
        if (critical) {
            PlayEffect("Critical");
        } else {
            for (const FruitImpactSound& sound : info->impactSounds) {
                PlayEffect(sound.name);
            }
        }
    }
    hitPosition = position;
    hitTimer = kHitTimerSeconds;
    const float length = std::sqrt(stroke.x * stroke.x + stroke.y * stroke.y + stroke.z * stroke.z);
    const float strength = 0.1f * length;
    if (!critical && (info->score == kUltraRareScore || info->scoresNothing) && !record.notInPlay) {
        hitTimer *= 0.5f;
        if (info->score == kUltraRareScore && s_ultraRareBonus != nullptr) {
            s_ultraRareBonus(position);
        }
    } else if (critical) {
        hitTimer *= 2.5f;
    }
    cutAngle = Atan2Lookup(stroke.x, stroke.y);
    impactStrength = std::min(8.0f, strength);
    bladeDirection = stroke;
    if (eligible && !(record.roundStartPending && IsOutsideScreen())) {
        const float cutDegrees = static_cast<float>(cutAngle) / kAngleUnitsPerDegree;
        FruitImpacts::Get().Add(position, 90.0f - cutDegrees, 0.4f * impactStrength, critical ? 1 : 0, nullptr,
                                1.0f, GameRandom(), record.soundPlayer);
        (void)ItemManager::Instance().SpawnImpactParticles(position);
    }
    if (!record.roundStartPending) {
        (void)AchievementManager::Instance().CheckSpecificOrder(info->nameHash);
    }
    const bool scores = hitter != nullptr && !noPenalty && !record.notInPlay;
    if (scores) {
        ActivatePower(*info);
        if (s_lastSlicedKind == kind && !info->scoresNothing) {
            ++s_sameKindRun;
        } else {
            s_sameKindRun = 1;
            s_lastSlicedKind = kind;
        }
        // Points go straight to the record until the dispatcher's AddPoints
        // with its modifier lands.
        record.score += PointsForHit(*info, critical, settings);
        AchievementManager& achievements = AchievementManager::Instance();
        if (!record.fruitMissed) {
            (void)achievements.CheckScoreUnsullied(record.score);
        }
        (void)achievements.CheckConsecutive(s_sameKindRun, info->nameHash);
    }
    return 0;
}

void Fruit::ActivatePower(const FruitInfo& info) {
    if (info.powers.empty()) {
        return;
    }
    const int32_t total = info.powers.back().cumulativeChance;
    if (total <= 0) {
        return;
    }
    const uint32_t draw = GameRandom().NextBelow(static_cast<uint32_t>(total));
    for (const FruitPower& power : info.powers) {
        if (static_cast<uint32_t>(power.cumulativeChance) > draw) {
            (void)PowerManager::Instance().Activate(power.nameHash, position, nullptr);
            return;
        }
    }
}

void Fruit::ResetSliceRecords() {
    s_lastSlicedKind = 1;
    s_sameKindRun = 0;
}

void Fruit::SetSliceRecords(int lastSlicedKind, int sameKindRun) {
    s_lastSlicedKind = lastSlicedKind;
    s_sameKindRun = sameKindRun > 0 ? sameKindRun : 0;
}

void Fruit::EmitSplatters(int count, float strength) {
    SplatterLayer& layer = SplatterLayer::Get();
    const FruitInfo* info = GetInfo();
    const int kinds = FruitCatalogue::Get().Count();
    Random& random = GameRandom();
    for (int i = 0; i < count; ++i) {
        SplatterRecord* record = layer.AddRandom();
        if (record == nullptr) {
            return;
        }
        const float distance = (5.0f + 0.2f * i) * strength * (1.0f + 0.5f * random.NextFloat());
        const Angle direction = static_cast<Angle>(random.Next() >> 16);
        const Vector3 at{position.x + distance * CosLookup(direction), position.y + distance * SinLookup(direction),
                         0.0f};
        const float sizeFactor = std::clamp(1.0f - static_cast<float>(i - 2) / count, 0.3f, 1.0f);
        const Vector3 size{CosLookup(direction) * sizeFactor, SinLookup(direction) * sizeFactor, 0.0f};
        layer.Add(*record, at, size, 0, info != nullptr && info->scoresNothing ? 1 : 0, critical ? kind + kinds : kind);
    }
    if (count > 0) {
        char name[32];
        snprintf(name, sizeof(name), "Clean-Slice-%u", random.NextBelow(3) + 1);
        PlayEffect(name);
    }
}

void Fruit::Split() {
    savedVelocity = velocity;
    hitTimer = 0.0f;
    slicedTime = 0.0f;
    const FruitInfo* info = GetInfo();
    const CriticalSettings& settings = FruitCatalogue::Get().Critical();
    Random& random = GameRandom();
    const bool special = critical || (info != nullptr && (info->score == kUltraRareScore || info->scoresNothing));
    float strength = impactStrength;
    int count = (random.Next() >> 31) != 0 ? 3 : 2;
    if (special) {
        count = settings.splats;
        strength *= 1.5f;
    }
    if (!isMenuFruit || critical) {
        EmitSplatters(count, strength);
    }
    if (critical) {
        // Two more streaks fan out from a critical cut.
        const float cutDegrees = static_cast<float>(cutAngle) / kAngleUnitsPerDegree;
        for (const float spread : {60.0f, -60.0f}) {
            FruitImpacts::Get().Add(position, spread - cutDegrees, 0.28f * strength, 1, nullptr, 1.0f, random,
                                    GetGameRecord().soundPlayer);
        }
    }
    const float influence = info != nullptr ? info->hitInfluence : 0.75f;
    const float cut = static_cast<float>(cutAngle) / kAngleUnitsPerDegree;
    auto spread = [&random]() {
        const float first = random.NextFloat() * 120.0f;
        return first < 60.0f ? 60.0f : random.NextFloat() * 120.0f;
    };
    const float sa = std::trunc((1.0f - influence) * spread() * 4.0f);
    const float sb = std::trunc((1.0f - influence) * spread() * 4.0f);
    auto along = [&](float degrees) {
        const Angle a = AngleFromDegrees(degrees);
        return Vector3{SinLookup(a), CosLookup(a), 0.0f};
    };
    if (special) {
        halfVelocity = Scale(along(cut + 90.0f), strength * 1.75f);
        velocity = Scale(along(cut + 270.0f), strength * 1.75f);
    } else {
        halfVelocity = Varnok::Add(Scale(along(cut + sb), influence * strength), Scale(velocity, 1.0f - influence));
        velocity = Varnok::Add(Scale(along(cut - sa), influence * strength), Scale(velocity, 1.0f - influence));
        if (!isMenuFruit) {
            depth = (depth + 500.0f) / 2.0f - 2600.0f;
        }
    }
    halfPosition = position;
    sliced = true;
    // The halves tumble faster apart; a critical hit twice as fast.
    for (Vector3& spin : halfSpin) {
        const float total = (std::fabs(spin.x) + std::fabs(spin.y) + std::fabs(spin.z)) * (critical ? 2.0f : 0.5f);
        spin = Vector3{total * (random.NextFloat() * 0.3f - 0.1f), std::trunc(total * (0.75f + 0.5f * random.NextFloat())),
                       std::trunc(total * (0.75f + 0.5f * random.NextFloat()))};
    }
    halfSpin[1].z = -halfSpin[1].z;
}

void RenderWorldShadows() {
    const FruitModels& models = FruitModels::Get();
    if (models.ShadowTexture().Get() == nullptr && models.MenuShadowTexture().Get() == nullptr) {
        return;
    }
    // Kept between frames so that steady play allocates nothing.
    static std::vector<ImmediateVertex> s_play;
    static std::vector<ImmediateVertex> s_menu;
    s_play.clear();
    s_menu.clear();
    WorldObjectManager& manager = WorldObjectManager::Instance();
    WorldObjectManager::Cursor cursor = nullptr;
    const uint32_t fruitType = static_cast<uint32_t>(WorldObjectType::Fruit);
    for (WorldObject* object = manager.First(fruitType, cursor); object != nullptr;
         object = manager.Next(fruitType, cursor)) {
        const Fruit& fruit = static_cast<const Fruit&>(*object);
        if (!fruit.IsDead()) {
            fruit.AppendShadows(fruit.isMenuFruit ? s_menu : s_play);
        }
    }
    const uint32_t bombType = static_cast<uint32_t>(WorldObjectType::Bomb);
    for (WorldObject* object = manager.First(bombType, cursor); object != nullptr;
         object = manager.Next(bombType, cursor)) {
        static_cast<const Bomb&>(*object).AppendShadow(s_play);
    }
    RenderTransforms& transforms = RenderTransforms::Get();
    transforms.World().Set(Matrix4::Identity());
    transforms.Apply(false);  // the shader takes the matrices only here
    if (!s_play.empty() && models.ShadowTexture().Get() != nullptr) {
        DrawTexturedTriangles(s_play.data(), static_cast<int32_t>(s_play.size()), true, nullptr,
                              models.ShadowTexture());
    }
    if (!s_menu.empty() && models.MenuShadowTexture().Get() != nullptr) {
        DrawTexturedTriangles(s_menu.data(), static_cast<int32_t>(s_menu.size()), true, nullptr,
                              models.MenuShadowTexture());
    }
}

}  // namespace Varnok
