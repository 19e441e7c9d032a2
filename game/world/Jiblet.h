// A loose piece thrown out of a super-fruit burst: flies in a straight line
// at constant velocity, tumbles about three axes, may pull a particle trail,
// and goes once it is well outside the screen. Its clock runs at twice the
// world step. Main thread only.
#pragma once

#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "engine/model/MeshModel.h"
#include "game/world/WorldObject.h"

#include <cstdint>

namespace Varnok {

struct ParticleSystem;

struct JibletLaunch {
    Vector3 position;
    float scale = 1.0f;
    Vector3 velocity;  // logical units per unit of jiblet time
    SmartPtr<MeshModel> model;  // null draws nothing
    uint32_t trailEffect = 0;   // particle system name hash; 0 for none
};

class Jiblet : public WorldObject {
public:
    static constexpr float kSpawnAge = -0.04f;
    static constexpr float kTrailAge = 0.05f;
    static constexpr float kScreenMargin = 0.6f;  // of the logical screen, each side of the centre

    Jiblet();
    ~Jiblet() override;

    // Starts a freshly acquired jiblet; callers may then overwrite scale,
    // orientation and spin.
    void SpawnFromFruit(const JibletLaunch& launch);
    void Update(float stepSeconds) override;
    void Render() override;
    void PostUpdate(float /*stepSeconds*/) override {}
    void Deactivate() override;
    // Releases the trail and the model and marks the jiblet dead.
    void Remove();
    // Every jiblet in the manager's list.
    static void RemoveAll();

    // The world matrix Render draws with.
    Matrix4 WorldMatrix() const;

    SmartPtr<MeshModel> model;
    uint32_t trailEffect = 0;
    // The running trail, owned; the particle manager nulls it when it retires
    // the system on its own.
    ParticleSystem* trail = nullptr;
    Matrix4 orientation;
    float spin[3] = {};  // degrees per unit of jiblet time about x, y and z
    float age = 0.0f;

private:
    void ReleaseTrail();
};

}  // namespace Varnok
