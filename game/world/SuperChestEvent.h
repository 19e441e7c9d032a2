// The treasure chest's event: the first hit slows time to a tenth, pushes the
// other fruit away, zooms the camera onto the chest and knocks its lid off;
// two seconds later it opens full or empty, and after a pause the camera
// zooms out and play resumes. Main thread only.
#pragma once

#include "game/world/SuperFruitEvent.h"

namespace Varnok {

class Jiblet;

class SuperChestEvent : public SuperFruitEvent {
public:
    static constexpr float kSlowScale = 0.1f;
    static constexpr float kLidSeconds = 0.2f;
    static constexpr float kOpenSeconds = 2.0f;
    static constexpr float kOpenedSeconds = 1.8f;
    static constexpr float kWaitSeconds = 1.5f;
    enum Stage : int32_t { Slicing = 0, Opened = 1, Waiting = 2 };

    explicit SuperChestEvent(Fruit& chest);

    void Update(float stepSeconds) override;
    void OnHit(WorldObject* hitter) override;
    // The camera's arrival: the chest may be hit again.
    void ReleaseFruit();

    Vector3 wobbleCurrent;
    Vector3 wobbleStart;
    Vector3 wobbleTarget;
    float wobbleProgress = 1.0f;
    int32_t wobbleSkips = 0;
    Jiblet* lid = nullptr;  // owned by the world-object manager
    bool emptyChest = false;

private:
    void UpdateSlicing();
    void ThrowLid();
    void Open();
    void Finish();
    void StartParticles(const char* name, const Vector3& at);
};

}  // namespace Varnok
