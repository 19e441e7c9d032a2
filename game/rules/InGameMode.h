// The interface of the two game modes (classic and challenge): the flow, the
// world and the screens call the running mode at fixed moments and ask it
// for the game speed and what is allowed. The HUD pop-up helpers join it
// with the game's screens.
#pragma once

#include "engine/core/MathUtil.h"

#include <cstdint>
#include <vector>

namespace Varnok {

class Component;
class Fruit;
class Slash;
class WorldObject;

class InGameMode {
public:
    static constexpr int kClassic = 0;
    static constexpr int kChallenge = 1;

    InGameMode() = default;
    virtual ~InGameMode() = default;
    InGameMode(const InGameMode&) = delete;
    InGameMode& operator=(const InGameMode&) = delete;

    // 0 classic, 1 challenge.
    virtual int GetModeType() const = 0;
    virtual void Reset() {}
    virtual void Start() = 0;
    virtual void Update(float stepSeconds) { UpdateHud(stepSeconds); }
    virtual void UpdateHud(float stepSeconds) { (void)stepSeconds; }
    virtual void ReservedHook() {}
    virtual Component* ShowHud() = 0;
    virtual bool AreWavesSuspended() = 0;
    virtual bool IsSlicingAllowed() { return true; }
    virtual bool CanPause() { return true; }
    virtual float GetGameSpeed() { return 1.0f; }
    virtual bool IsTimerRunning() { return false; }
    virtual void OnNewWave() {}
    virtual void OnWaveTimeUp() {}
    virtual void OnFruitSliced(Fruit* fruit) = 0;
    virtual void OnObjectEntered(WorldObject* object) { (void)object; }
    virtual void OnSliceScored(Slash* slash) { (void)slash; }
    // The pause button leaves the screen and a bomb line plays after 1 s.
    virtual void OnBombHit(const Vector3& position);
    virtual void OnSlashEnded(Slash* slash) { (void)slash; }
    virtual void OnCriticalHit(Fruit* fruit) { (void)fruit; }
    virtual void OnPause() {}
    virtual void OnResume() {}
    virtual void OnFirstTouch() {}
    virtual int GetSaveState() = 0;

    // Places a HUD pop-up at a world position (the HUD's y points down),
    // enables it, stops its animations and plays "trigger0".."trigger4" for
    // 0..4, "trigger" for any other index. Nothing for null.
    static void ShowPopupAt(Component* element, const Vector3& worldPosition, int trigger);

    Component* hud = nullptr;  // not owned; null until ShowHud
};

// The "labelTop" child of element shows value; nothing without one.
void SetLabelTopValue(Component* element, int value);

// Once a frame: pulls the active, enabled pop-ups of the list back inside a
// 70-unit margin of the UI screen and pushes pairs closer than 70 apart,
// each at 15 x the distance per second. Moves are written at once, in list
// order.
void KeepObjectsOnScreen(const std::vector<Component*>& popups, float stepSeconds);
// The same inside a given screen size, for tests.
void KeepObjectsOnScreen(const std::vector<Component*>& popups, float stepSeconds, float screenWidth,
                         float screenHeight);

}  // namespace Varnok
