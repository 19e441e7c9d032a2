// A fruit of a catalogue kind in play: thrown after its launch wait, flying
// under its own gravity while it tumbles, hit by the blade, split into two
// halves after a short hit timer, and recycled once it leaves the play
// field. Velocities are units per 1/60 s, gravity units per 1/60 s per
// second. Main thread only.
#pragma once

#include "engine/core/EventList.h"
#include "engine/core/MathUtil.h"
#include "engine/render/ImmediateVertex.h"
#include "game/world/FruitCatalogue.h"
#include "game/world/WorldObject.h"

#include <cstdint>
#include <vector>

namespace Varnok {

class ChallengeMod;
class ChallengeModList;
class MeshModel;
class PinataRope;
class Random;

// The velocity of a fruit sent on by a challenge behaviour (a bounce or a
// mega split): a horizontal speed from the cut and u1, at least minSpeedX
// either way, and an upward speed that reaches about as high as the fruit is
// from the middle of the screen (u2). u1, u2 uniform in [0, 1).
Vector3 ChallengeRelaunchVelocity(Angle cutAngle, float y, float screenHeight, float minSpeedX, float u1,
                                  float u2);

// What the critical decision of a hit reads.
struct CriticalInputs {
    int32_t score = 0;             // the game's score so far
    bool classicMode = false;      // only the classic mode has criticals
    bool canBeCritical = true;     // the kind's flag
    bool inPlay = true;            // a game is in play
    float bombExplosionTime = 0.0f;
    bool hasHitter = true;
    float factor = 1.0f;           // the wave manager's critical factor
    bool keepyUppyMod = false;     // a challenge mod that forbids criticals
    bool isBean = false;
};

// Lowers the countdown (never below 2) for an eligible hit and decides with
// one draw of random: critical when min(countdown, chance) / factor is at
// most 1, else one in truncate(that). A critical resets the countdown to
// chance + chance_inc.
bool DecideCritical(int32_t& countdown, const CriticalSettings& settings, const CriticalInputs& inputs,
                    Random& random);

// The kind's points, plus the critical score on a critical hit.
int32_t PointsForHit(const FruitInfo& info, bool critical, const CriticalSettings& settings);

class Fruit : public WorldObject {
public:
    static constexpr float kHitTimerSeconds = 0.03f;
    static constexpr float kThrowSoundWait = 0.2f;  // seconds of wait left when "Throw-fruit" plays
    static constexpr float kFirstDepth = -500.0f;
    static constexpr float kDepthStep = 100.0f;
    static constexpr float kDeepestDepth = -2499.0f;

    Fruit() = default;
    ~Fruit() override = default;

    using WorldObject::Spawn;
    // kind out of range picks one at random (wave generator).
    void Spawn(int kind, float size = 1.0f);
    void SetKind(int kind, float size);
    void StartFlightTimer(float waitSeconds);
    void Deactivate() override;
    void Update(float stepSeconds) override;
    void PostUpdate(float stepSeconds) override;
    void Render() override;
    // 1 when the fruit is already sliced or a hit is pending, else 0.
    int OnHit(WorldObject* hitter, int valueA, int valueB, const Vector3& stroke) override;
    void Split();
    // Appends the shadow quads of a thrown fruit (two triangles each): the
    // whole fruit's while the slice progress is below 1, the halves' while
    // it is above 0. Nothing for a suspended fruit or one of no scale.
    void AppendShadows(std::vector<ImmediateVertex>& out) const;
    bool HasLeftPlay() const;
    // The fruit or its second half lies beyond the screen's edge (plus a
    // margin of its size) along its gravity; never without gravity.
    bool IsOutsideScreen() const;
    // Counts a drop when countAsMiss is 1 (and the fruit may count).
    void OnDropped(int countAsMiss);
    const FruitInfo* GetInfo() const;

    // The one-launch-sound-per-frame flag: cleared once per game update.
    static void BeginFrame() { s_launchSoundPlayed = false; }
    // The depth counter shared by every fruit (a new run starts at -500).
    static void ResetDepthCounter() { s_previousDepth = kFirstDepth; }
    // How many "Throw-fruit" sounds were asked for; for tests.
    static int GetThrowSoundCount() { return s_throwSounds; }
    // The game's generator and the wave manager's; both must outlive play.
    static void SetGenerators(Random* game, Random* waves);
    // Drops that counted as misses (the statistics store takes them once it
    // lands).
    static int GetCountedDrops() { return s_countedDrops; }
    // Shows the plus-fifty picture at a fruit of an ultra-rare kind when it
    // is hit in play. The HUD installs it (the play field sits below the
    // screens); null shows nothing.
    using UltraRareBonusHandler = void (*)(const Vector3& position);
    static void SetUltraRareBonusHandler(UltraRareBonusHandler handler) { s_ultraRareBonus = handler; }
    // The same-kind run of slices starts again (at the start of a game).
    static void ResetSliceRecords();
    static int GetSameKindRun() { return s_sameKindRun; }
    static int GetLastSlicedKind() { return s_lastSlicedKind; }
    // A restored game's run goes on from where it was saved.
    static void SetSliceRecords(int lastSlicedKind, int sameKindRun);
    static constexpr int kUltraRareScore = 50;

    uint8_t kind = 0;
    bool gravityOn = true;
    Vector3 hitPosition;
    float launchTime = 0.0f;
    Vector3 drift;  // units per second, decaying by 0.9 per frame
    int32_t playerSlot = 0;
    float slicedTime = 0.0f;
    Vector3 savedVelocity;
    Vector3 launchVelocity;
    float hitCooldown = 0.0f;
    bool onScreen = false;
    float age = 0.0f;
    bool sliceable = true;
    bool noPenalty = false;
    float launchWait = 0.0f;
    float timeScale = 1.0f;
    float depth = 0.0f;
    Vector3 acceleration{0.0f, -12.0f, 0.0f};
    Vector3 baseScale;
    float hitTimer = -1.0f;  // -1: no hit pending
    Angle cutAngle = 0;
    float impactStrength = 0.0f;
    Vector3 bladeDirection{1.0f, 0.0f, 0.0f};
    Vector3 halfPosition;  // the second half; the first uses the base position
    Vector3 halfVelocity;
    Quaternion halfOrientation[2];
    Vector3 halfSpin[2];  // degrees per frame about the half's three axes
    bool isMenuFruit = false;
    bool frozen = false;
    bool critical = true;
    bool sliced = false;
    float sliceProgress = 0.0f;
    bool keepWhole = false;
    Vector3 shadowOffset;  // zero unless a menu sets it

    // ---- Super fruit: the probability rules' hooks and the events' fields ----
    // Fired when this fruit is thrown and when it leaves play unsliced; both
    // lists empty whenever the fruit is spawned or recycled.
    Event1<Fruit*> launchedEvent;
    Event1<Fruit*> droppedEvent;
    // Every thrown fruit; every hit of a super fruit (fruit, 0, hitter).
    static Event1<Fruit*>& AnyLaunchedEvent();
    static Event3<Fruit*, int, WorldObject*>& SuperFruitHitEvent();
    bool isSuperPomegranate = false;  // kind "super_pomegranate"
    bool isSuperChest = false;        // kind "super_chest"; cleared turns it into a plain fruit
    bool destroyed = false;           // a super fruit taken apart by its event
    float effectDepth = 0.0f;         // depth of the effects drawn at the fruit
    bool IsSuper() const { return isSuperPomegranate || isSuperChest; }
    // Differs for every spawn, so that a holder of a pointer can tell a
    // recycled fruit from the one it started on.
    uint32_t spawnSerial = 0;

    // ---- Challenge behaviours (FruitBehaviours.cpp) ----
    static constexpr int kMaxBounces = 4;         // KeepyUppy: the fifth hit splits
    static constexpr float kBounceTimeScale = 1.25f;
    static constexpr float kBounceHitCooldown = 0.25f;
    static constexpr float kTrampolineY = -148.0f;
    static constexpr float kTrampolineMaxSpeed = 9.5f;
    static constexpr float kStackGroundY = -80.0f;

    // The mods of the running challenge, asked while the challenge mode is
    // the current mode; null outside one. Must outlive play.
    static void SetChallengeMods(ChallengeModList* mods) { s_challengeMods = mods; }
    static ChallengeModList* GetChallengeMods() { return s_challengeMods; }
    // Hangs the fruit under a balloon and/or on a rope as the active mods
    // ask, anchored at `anchor`; drops carriers it had.
    void AttachChallengeCarrier(const Vector3& anchor);
    // Deletes the rope held and takes this one (null: none).
    void SetRope(PinataRope* newRope);

    bool keepyUppy = false;  // a hit bounces the fruit up instead of splitting it
    int32_t bounceCount = 0;
    bool mega = false;
    bool held = false;  // carried by a balloon: its own velocity stays zero
    PinataRope* rope = nullptr;  // owned
    WorldObject* carrier = nullptr;  // the balloon; not owned

private:
    // The active mods while a challenge runs, else null.
    static ChallengeModList* ActiveChallengeMods();
    // Orbits about a CIRCLE_VELOCITY mod's centre in place of flight;
    // false (nothing done) without one.
    bool OrbitChallengeCentre(float scaled);
    // The hit timer ran out: bounce, snake step or mega split as the mods
    // ask; false when the fruit should split as usual.
    bool ExpireChallengeHit();
    void BounceUp();
    void SnakeStep(ChallengeMod& snake);
    void MegaSplit(ChallengeMod& megaMod);
    // Trampoline, colliders or stacks, the first active.
    void ApplyChallengeFloor();
    // WINDOWS or "FloatingFruit": fruit fly without gravity.
    static bool ChallengeFloats();
    static bool ChallengeWindowsOpen();
    // Bouncy walls, or none at all; false when the soft walls apply.
    bool ApplyChallengeWalls();
    void RestOnStack(float h);

    void UpdateWaiting();
    void UpdateFlight(float scaled);
    void UpdateSliced(float scaled, float frames);
    void Tumble(float frames);
    void EmitSplatters(int count, float strength);
    // One of the kind's powers, drawn by weight, starts at the fruit.
    void ActivatePower(const FruitInfo& info);

    void DrawPiece(const MeshModel& model, const Quaternion& orientation, const Vector3& at) const;

    static Random& GameRandom();
    static Random& WaveRandom();

    static bool s_launchSoundPlayed;
    static float s_previousDepth;
    static int s_throwSounds;
    static int s_countedDrops;
    static UltraRareBonusHandler s_ultraRareBonus;
    static int s_lastSlicedKind;
    static int s_sameKindRun;
    static Random* s_gameRandom;
    static Random* s_waveRandom;
    static ChallengeModList* s_challengeMods;
};

// Draws the shadows of every fruit in play under the current view: the play
// field's with the fruit shadow, the menu fruit's with the menu shadow.
// Nothing without the shadow textures (slow devices). Call before the world
// objects, with the depth test off.
void RenderWorldShadows();
// One white shadow square of that side centred on (cx, cy), as two
// triangles; alpha truncated and held to 0..255.
void AppendShadowQuad(std::vector<ImmediateVertex>& out, float cx, float cy, float side, float alpha);

}  // namespace Varnok
