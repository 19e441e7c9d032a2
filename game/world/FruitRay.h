// A beam of light growing out of a super fruit while the player keeps hitting
// it: one textured triangle with its apex at the fruit, following the fruit
// and its turning, growing to a random length in 0.15 s; told to end, it
// widens while it fades. Drawn in a pass of its own (RenderAll), not through
// the world objects' draw slot. Main thread only.
#pragma once

#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/ImmediateVertex.h"
#include "game/world/WorldObject.h"

#include <cstdint>

namespace Varnok {

class Fruit;
class Texture;

class FruitRay : public WorldObject {
public:
    static constexpr float kStartScale = 40.0f;
    static constexpr float kGrowSeconds = 0.15f;
    static constexpr float kFadePerSecond = 1.6f;

    FruitRay() = default;

    // Starts a freshly acquired ray on the fruit, turned by q relative to it.
    void Start(Fruit& fruit, const Quaternion& q);
    void Update(float stepSeconds) override;
    void Render() override {}
    void PostUpdate(float /*stepSeconds*/) override {}

    // Stops following the fruit and starts fading.
    void End() {
        ending = 1;
        source = nullptr;
    }

    // The three vertices (apex, base left, base right) in the ray's model
    // space, alpha from the fade.
    void BuildVertices(ImmediateVertex out[3]) const;
    // Scale (widened while fading) x own direction x the fruit's rotation,
    // moved to the apex.
    Matrix4 WorldMatrix() const;
    void Draw() const;

    // Every ray of the manager's list, in list order.
    static void RenderAll();
    // The beam texture; null draws the rays untextured.
    static void SetTexture(const SmartPtr<Texture>& texture);
    // Ends (or kills, dead bit at once) every ray; for the events.
    static void EndAll();
    static void KillAll();

    Matrix4 fruitOrientation;
    Matrix4 orientation;
    Fruit* source = nullptr;  // not owned; null once ending
    uint32_t sourceSerial = 0;  // the fruit's spawn when the ray started
    float age = 0.0f;
    float fade = 1.0f;
    Vector3 startScale;
    Vector3 targetScale;
    uint8_t ending = 0;

private:
    // The fruit is still the one the ray started on and still in play.
    bool SourceIsValid() const;
};

}  // namespace Varnok
