// The tutorial pointer over a menu fruit or button: after ten seconds
// without a choice it shows a swipe next to its target. The drawing of the
// pointer comes with the menus' looks; its timing, place and target are here.
#pragma once

#include "game/screens/SpriteScreenItem.h"

namespace Varnok {

class Component;

class SwipeHint : public SpriteScreenItem {
public:
    static constexpr float kWaitSeconds = 10.0f;
    static constexpr float kTouchAdvanceSeconds = 9.5f;

    SwipeHint();

    // Restarts the wait; a given component becomes the target.
    void SetTarget(Component* target);
    // While waiting: a touched component becomes the target and the wait
    // shortens (never past its end).
    void OnTargetTouched(Component* target);
    // With the menus fully up (or pop-ups fading) the pointer fades in above
    // its target, presses and sweeps across it, fades out and waits ten
    // seconds again; otherwise, or without a target, it waits.
    void Update(float stepSeconds) override;
    // Reads the target's place and size; a target that or whose ancestors
    // take no input is dropped.
    void UpdateTargetPosition();
    void Render(const float /*tint*/[3]) override {}

    float m_timer = -kWaitSeconds;  // negative while waiting
    Vector3 m_hintOffset;
    Colour m_hintColour{0, 0, 0, 255};
    Component* m_target = nullptr;  // the UI manager's; may be null
    float m_targetSize = 0.0f;
    bool m_mirrored = false;
    bool m_pressed = false;

private:
    // Logical units per UI workspace unit.
    static float WorkspaceFactor();

    Vector3 m_targetPosition;  // workspace units, y down
};

}  // namespace Varnok
