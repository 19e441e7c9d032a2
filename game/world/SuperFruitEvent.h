// The screen items that take over play while a super fruit is worked on:
// the event base (registry of running events, hit acceptance, the burst's
// shock waves, fruit rays, clean-up), the glow that follows a launched super
// fruit, and the launch and hit callbacks that start events. An event is a
// sprite item of the game record's screen list; the list updates it and
// deletes it once it marks itself finished. Main thread only.
#pragma once

#include "engine/core/MathUtil.h"
#include "engine/core/SmartPtr.h"
#include "engine/model/MeshModel.h"
#include "game/screens/SpriteScreenItem.h"

#include <cstdint>
#include <map>

namespace Varnok {

class Fruit;
class ScreenList;
class Slash;
class WorldObject;

// Textures and models the events share; a missing one draws nothing.
struct SuperFruitResources {
    static constexpr int kChestPieces = 3;
    SmartPtr<Texture> glow;       // "effects/rays.tex"
    SmartPtr<Texture> shockDisc;  // "effects/explosion_radius.tex"
    SmartPtr<Texture> rays;       // "effects/pomegranate_rays.tex"
    SmartPtr<MeshModel> jiblet;
    SmartPtr<MeshModel> chestPieces[kChestPieces];  // lid, full lid, empty lid
};

class SuperFruitEvent : public SpriteScreenItem {
public:
    static constexpr float kWindowOpen = 100000.0f;
    static constexpr float kPulseFallPerSecond = 17.5f;
    static constexpr float kPulseRefused = 1.5f;
    static constexpr uint32_t kLayerEvent = 128;
    static constexpr uint32_t kLayerShockDiscs = 512;

    // An inert event (a restored save): never registered, draws nothing.
    SuperFruitEvent();
    // Registers under the fruit and listens for the end of each stroke.
    explicit SuperFruitEvent(Fruit& fruit);
    ~SuperFruitEvent() override;

    void Close() override;
    // Ends the event at once: waves, blast, HUD presence back to normal.
    void Reset() override;
    int RequestClose() override;
    void Draw(const float tint[3], uint32_t layerMask) override;

    virtual void OnHit(WorldObject* hitter) { (void)AcceptHit(); (void)hitter; }

    // ---- Process-wide ----
    // Loads the shared resources and adds the launch and hit callbacks, once.
    static void LoadResources();
    static void UnloadResources();
    static const SuperFruitResources& Resources();
    static bool IsActive() { return !Registry().empty(); }
    static SuperFruitEvent* Find(const Fruit* fruit);
    static int ActiveCount() { return static_cast<int>(Registry().size()); }
    // Reset of every running event (quit to the menu, retry).
    static void EndAll();
    static void OnKindSpawned(Fruit* fruit);
    static void OnKindSliced(Fruit* fruit, int ignored, WorldObject* hitter);

    Fruit* fruit = nullptr;  // not owned; null after clean-up
    Fruit* key = nullptr;    // the registry key, kept for removal
    float pulse = 0.0f;
    float time = -2.0f;
    float prevTime = -2.0f;
    int32_t hits = 0;
    float sliceTime = kWindowOpen;
    float pop = 0.0f;
    uint8_t burstActive = 0;
    Vector3 burstPoint;
    float shockRadius1 = 0.0f;
    float shockRadius2 = 0.0f;
    int32_t round = 0;

protected:
    // Hit acceptance: the first hit starts the clock; a hit while the pulse
    // is above 1.5 is refused. An accepted hit adds to pulse and hits.
    bool AcceptHit();
    // Clock, pulse and slice-timer hold; false while the game is paused.
    bool BeginUpdate(float stepSeconds);
    // Every fruit ray ends; the fruit's halves stop turning.
    void EndShockRays();
    // One fruit ray from the fruit, turned by this event's ray pattern.
    void SpawnRay();
    void Cleanup();
    // Whether the clock crossed t in this update.
    bool Crossed(float t) const { return prevTime < t && time >= t; }
    static ScreenList* List();

private:
    void OnSlashEnded(Slash* slash);
    static std::map<const Fruit*, SuperFruitEvent*>& Registry();

    uint32_t m_fruitSerial = 0;
    bool m_listening = false;
    bool m_cleanedUp = false;
};

// A rotating glow behind a launched super fruit; fades out once the fruit is
// sliced, destroyed or gone.
class SuperFruitGlow : public SpriteScreenItem {
public:
    explicit SuperFruitGlow(Fruit& fruit);
    ~SuperFruitGlow() override;
    void Update(float stepSeconds) override;
    void Draw(const float tint[3], uint32_t layerMask) override;

    uint8_t fading = 0;
    Fruit* fruit = nullptr;  // not owned; null once the fruit went
    float level = 0.0f;

private:
    void OnFruitRemoved(Fruit* removed);
    uint32_t m_fruitSerial = 0;
};

}  // namespace Varnok
