// A bomb among the fruit: waits unseen for its throw delay, flies under a
// gravity that grows while it falls, spins about two axes with a smoking
// fuse, and when cut in play ends a classic game while it keeps erupting
// blasts; a menu bomb flies off and calls its action. Velocities are units
// per 1/60 s. Main thread only.
#pragma once

#include "engine/core/Delegate.h"
#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "game/world/WorldObject.h"

#include "engine/render/ImmediateVertex.h"

#include <cstdint>
#include <vector>

namespace Varnok {

class CollisionSphere;
class MeshModel;
class Texture;
struct ParticleSystem;

class Bomb : public WorldObject {
public:
    static constexpr float kFirstBlastSeconds = 0.6f;
    static constexpr float kBlastIntervalSeconds = 0.05f;
    static constexpr float kThrowSoundWait = 0.2f;
    static constexpr float kFirstDepth = -10.0f;
    static constexpr float kDepthStep = 50.0f;
    static constexpr float kDeepestDepth = -400.0f;
    static constexpr const char* kExplosionTexture = "textures/effects/bomb_explode.tex";

    using Action = Delegate0<void>;

    Bomb() = default;
    ~Bomb() override = default;

    using WorldObject::Spawn;
    void Spawn(float size = 1.0f);
    // Positive seconds, else 0.2.
    void SetThrowDelay(float seconds);
    void AttachToMenu(const Action& action, void* owner);
    void Remove();
    void Deactivate() override;
    void Update(float stepSeconds) override;
    void PostUpdate(float stepSeconds) override;
    void Render() override;
    int OnHit(WorldObject* hitter, int valueA, int valueB, const Vector3& stroke) override;
    // One shadow quad under a thrown, live bomb, in the fruit shadows' batch.
    void AppendShadow(std::vector<ImmediateVertex>& out) const;

    // Both models and the smoke names, once at start-up.
    static void LoadResources();
    static void UnloadResources();
    // The depth counter shared by every bomb (a new run starts at -10).
    static void ResetDepthCounter() { s_previousDepth = kFirstDepth; }
    static const SmartPtr<Texture>& ExplosionTexture() { return s_explosion; }
    static int GetThrowSoundCount() { return s_throwSounds; }

    // The greatest y + half the logical height over bombs that do not fly
    // off; -10000 with none.
    static float HighestBombHeight();
    // byVariant: bombs of that variant (key -1: variant not positive);
    // otherwise the unhit bombs still waiting to be thrown.
    static int CountBombs(int key, bool byVariant);
    static void RemoveLiveBombs();
    static void DisableAllBombs();
    // Every bomb ignores hits and makes no more smoke.
    static void MakeAllUnhittable();

    float explosionTimer = kFirstBlastSeconds;
    Action onSlice;
    int32_t variant = 0;  // 0 "Bomb", 1 "Bomb_purple"
    ParticleSystem* smoke = nullptr;
    bool held = false;
    bool armed = true;
    bool hit = false;
    float depth = 0.0f;
    uint16_t spinSpeed[2] = {0, 0};  // degrees per update
    uint16_t spinAngle[2] = {0, 0};  // degrees
    bool menuHit = false;
    bool gravityOn = true;
    void* owner = nullptr;  // the menu element hosting it; not owned
    bool fliesOff = false;
    Vector3 acceleration{0.0f, -12.0f, 0.0f};
    Vector3 baseScale;
    Vector3 shadowOffset;
    float throwDelay = 0.0f;
    bool hitImmune = false;
    float timeScale = 1.0f;
    float age = 0.0f;
    bool mega = false;
    bool noPenalty = false;  // a bomb left over from the menus: a hit costs nothing

    static Bomb* visibleBomb;

private:
    void Fall(float t, float frames);
    bool HasLeftPlay() const;
    CollisionSphere* Sphere();

    static bool s_throwSoundPlayed;
    static float s_previousDepth;
    static int s_throwSounds;
    static SmartPtr<MeshModel> s_models[2];
    static SmartPtr<Texture> s_explosion;
    static bool s_explosionTried;
    static uint32_t s_smokeNames[2];
};

}  // namespace Varnok
