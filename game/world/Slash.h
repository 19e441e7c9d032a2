// The blade that follows one finger: it records the points of a stroke,
// draws them as a tapering ribbon with a pointed tip, tests the newest piece
// of the stroke against fruit and turns the fruit one stroke cuts in quick
// succession into a combo. Stroke points are logical screen units (320 high,
// origin at the centre, y up); the hit test maps them into the world through
// the game camera. The look of every slash is the blade look's. Main thread
// only.
#pragma once

#include "engine/core/Colour.h"
#include "engine/core/EventList.h"
#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/ImmediateVertex.h"
#include "engine/render/Texture.h"
#include "game/rules/InputActions.h"
#include "game/world/ComboAnalysis.h"
#include "game/world/WorldObject.h"

#include <cstdint>
#include <memory>

namespace Varnok {

class Random;
struct ParticleSystem;

// A ghost of a finished ribbon that fades out behind the fruit.
struct BladeAfterglow {
    static constexpr int kVertices = 162;

    // Copies count + 1 vertices of both strips, white and transparent, and
    // sets life to 1.
    void Capture(const ImmediateVertex* strip0, const ImmediateVertex* strip1, int count);

    float life = 0.0f;
    std::unique_ptr<ImmediateVertex[]> strips[2];
    int count = 0;
};

class Slash : public WorldObject, public TouchFollower {
public:
    static constexpr int kCapacity = 160;
    static constexpr int kStripVertices = kCapacity + 2;
    static constexpr int kHistory = 3;
    static constexpr int kRing = 6;
    static constexpr int kAfterglows = 8;
    static constexpr float kComboClosing = 0.095f;
    static constexpr float kComboClosed = 0.1f;
    static constexpr float kNoPoint = -65535.0f;
    static constexpr uint32_t kSuspendHits = 0x40;

    Slash();
    ~Slash() override = default;

    using WorldObject::Spawn;
    void Spawn() override;
    void Deactivate() override;
    void Update(float stepSeconds) override;
    void Render() override {}
    // Marks that the world has run, so strokes may start recording.
    void PostUpdate(float stepSeconds) override;
    int OnHit(WorldObject*, int, int, const Vector3&) override { return 0; }
    // Ends the stroke when no point came since the last draw, then draws the
    // ribbon (nothing below 4 vertices or without a blade texture).
    void RenderTrail();

    // TouchFollower: axis values 0..1 across the screen.
    int OnPointerX(float value) override;
    int OnPointerY(float value) override;
    int StartStroke() override;

    void Reset();
    // A newly equipped blade: the running ribbon starts again in its look.
    void RefreshBladeEffects();
    bool IsStrokeActive() const { return strokeFlags != 0; }
    // The object under the hit segment; for tests and the bomb side.
    bool HitTestObject(WorldObject& object);

    // Loads the blade textures and the afterglow ring (once).
    static void LoadResources();
    static void UnloadResources();
    // The afterglow ring alone, for callers without a renderer.
    static void AllocateAfterglows();
    // The game-wide generator (swipe sounds, splatter sizes); null falls
    // back to the global one. It must outlive play.
    static void SetRandom(Random* random) { s_random = random; }
    // Forgets the class-wide state (a new game state, or a test).
    static void ResetClassState();

    // How many swipe sounds were asked for and combos scored; for tests.
    static int GetSwipeSoundCount() { return s_swipeSounds; }
    static int GetLastComboCount() { return s_lastComboCount; }
    static int GetCombosScored() { return s_combosScored; }
    // The best combo of the run: its count and its kinds (-1 empty).
    static int GetBestComboCount() { return s_bestComboCount; }
    static const int32_t* GetBestComboKinds() { return s_bestComboKinds; }
    static const BladeAfterglow& GetAfterglow(int index) { return s_afterglows[index]; }
    static void UpdateAfterglows(float stepSeconds);
    static void RenderAfterglows();
    const ImmediateVertex* GetStrip(int index) const { return strips[index].get(); }

    // Raised at every combo evaluation with the slash.
    static ListenerList<Slash*> SlashEnded;

    static bool worldStarted;
    static bool hitsBlocked;
    static bool resourcesLoaded;
    static uint32_t interactionFlags;
    static float loopValue;

    int32_t splatterCount = -1;
    float splatterTimer = 0.0f;
    float splatterInterval = 0.0f;
    int32_t previousPointIndex = -1;
    int32_t newestPointIndex = -1;
    uint8_t strokeFlags = 0;
    uint8_t strokeScored = 0;
    int32_t comboKinds[kComboMaxFruit];
    int32_t comboCount = 0;
    int32_t comboClass = 0;
    float flash = 0.0f;
    ParticleSystem* emitter = nullptr;  // the blade's stroke particles; the manager nulls it on retiring
    Colour trailColour{0, 0, 0, 255};
    Colour bladeColour{0, 0, 0, 255};
    uint8_t hitBomb = 0;
    uint8_t afterglowPending = 0;
    int8_t flipSign = 0;
    float flipTimer = 0.0f;
    int32_t capacity = kCapacity;
    int32_t vertexCount = 0;
    std::unique_ptr<ImmediateVertex[]> strips[2];
    Vector3 direction;
    Vector3 history[kHistory];
    float hitRadiusSq = -1.0f;
    float expiryScale = 0.0f;
    Vector3 hitDirection;
    Vector3 hitPosition;
    int32_t hitKind = 0;
    float swipeTimer = 0.0f;
    Vector3 directionRing[kRing];
    int32_t ringIndex = 0;
    int32_t ringCount = 0;
    Vector3 averageDirection;
    float comboTimer = 0.0f;
    float afterglowTimer = 0.0f;
    WorldObject* lastHitObject = nullptr;  // not owned
    Angle strokeAngle = 0;

private:
    void ClearStrips();
    void ClearCombo();
    void AddStrokePoint();
    void AddTrailPoint(const Vector3& point, Vector3 d, float t);
    float LastPointWidth() const;
    void BuildTrail(float step);
    void TestFruit();
    void EvaluateCombo(float step);
    void CloseCombo();
    void UpdateSwipeSound();
    void PlaySwipeSound();
    void EmitSplatters(float step);
    void UpdateColours(float step);
    Vector3 ToWorld(const Vector3& point, int withShake) const;
    void ReleaseEmitter();
    // A one-off system of the blade's (hash 0: none) at a blade point.
    void StartParticlesAt(uint32_t nameHash, const Vector3& point) const;

    static Random& GameRandom();

    static Random* s_random;
    static int s_swipeSounds;
    static int s_lastComboCount;
    static int s_combosScored;
    static int s_bestComboCount;
    static int32_t s_bestComboKinds[kComboMaxFruit];
    static int32_t s_bestComboValue;
    static SmartPtr<Texture> s_bladeTexture;
    static SmartPtr<Texture> s_glowTexture;
    static BladeAfterglow s_afterglows[kAfterglows];
    static int s_afterglowIndex;
};

// Once per game update: the afterglows fade, the LERP blade colour walks on
// and the frame's blade activity is handed on and reset.
void UpdateBladeAfterglows(float stepSeconds);
// Draws the live afterglows behind the fruit.
void RenderBladeAfterglows();

}  // namespace Varnok
