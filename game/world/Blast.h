// One ray of light out of an exploding bomb: it starts at the bomb's centre
// in a random direction, lengthens and widens quickly and dies after 3 s.
// Every blast of a frame is drawn in one batch with the explosion texture.
// Ages with the frame step, so it keeps its pace while the world is stopped.
#pragma once

#include "engine/core/MathUtil.h"
#include "engine/render/ImmediateVertex.h"
#include "game/world/WorldObject.h"

namespace Varnok {

class Blast : public WorldObject {
public:
    static constexpr int kMaxDrawn = 512;  // a bomb makes at most 60 in a blast's life
    static constexpr float kLifeSeconds = 3.0f;
    static constexpr float kWidthGrowth = 100.0f;   // units per second
    static constexpr float kLengthGrowth = 2500.0f;  // units per second

    Blast();
    ~Blast() override = default;

    // The caller has set the position.
    void Spawn() override;
    // Uses the record's frame step, not its argument.
    void Update(float stepSeconds) override;
    void Render() override {}
    void PostUpdate(float /*stepSeconds*/) override {}
    // The six vertices of this blast (a trapezoid).
    void WriteVertices(ImmediateVertex* out) const;

    // Draws every live blast in one call; nothing without the explosion
    // texture or without blasts. Answers the number drawn.
    static int RenderAll();

    Vector3 across;
    Vector3 along;
    Vector3 acrossDir;
    Vector3 alongDir;
    float age = 0.0f;
};

}  // namespace Varnok
