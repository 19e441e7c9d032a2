// A balloon that carries a fruit or a bomb upwards in a challenge: it rises
// with a lift up to a top speed, wobbles, holds its load at a fixed offset
// below it, and pops when a slash hits it, leaving the load to fall by its
// own motion. It leaves play with its load once it drifts far off screen.
// Positions in logical screen units, velocities in units per 1/60 s. Main
// thread only.
#pragma once

#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "game/world/WorldObject.h"

namespace Varnok {

class MeshModel;

class Balloon : public WorldObject {
public:
    static constexpr const char* kModelName = "models/Fruit/balloon_blue";
    static constexpr float kRadius = 25.0f;
    static constexpr float kLoadedFall = -12.0f;  // vertical acceleration while it carries something
    static constexpr float kWobbleSeconds = 0.4f;

    Balloon() = default;
    ~Balloon() override = default;

    // The one model every balloon draws; loaded and released with the fruit
    // models.
    static void LoadModel();
    static void UnloadModel();
    static bool IsModelLoaded();

    // Sets the balloon up above carried (a Fruit, a Bomb, or null) and makes
    // it active. Two draws of the game-wide generator start the wobble.
    void Attach(const Vector3& carriedPosition, const Vector3& startVelocity, float liftPerSecond,
                float topSpeed, WorldObject* carriedObject);
    void Update(float stepSeconds) override;
    void Render() override;
    void PostUpdate(float /*stepSeconds*/) override {}
    // Pops on any hit: particles, sound and statistics; answers 1.
    int OnHit(WorldObject* hitter, int valueA, int valueB, const Vector3& stroke) override;

    WorldObject* carried = nullptr;  // not owned; the carried object clears it when it leaves play
    Vector3 carriedOffset{0.0f, -120.0f, 60.0f};
    float lift = 0.0f;
    float maxSpeed = 0.0f;
    float depth = 0.0f;  // the load's drawing depth
    bool active = false;
    float wobbleTimer = 0.0f;
    Vector3 wobbleScale{1.0f, 1.0f, 0.0f};

private:
    void HoldCarried();
    void LeavePlay();
    void Wobble(float stepSeconds);

    static SmartPtr<MeshModel> s_model;
};

}  // namespace Varnok
