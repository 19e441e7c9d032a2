// The tutorial pointer over a menu fruit or button: after ten seconds
// without a choice it shows a swipe next to its target. The drawing comes
// with the menus' looks; the timing and the target are here.
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
    void Update(float stepSeconds) override;
    void Render(const float /*tint*/[3]) override {}

    float m_timer = -kWaitSeconds;  // negative while waiting
    Vector3 m_hintOffset;
    Colour m_hintColour{0, 0, 0, 255};
    Component* m_target = nullptr;  // the UI manager's; may be null
    float m_targetSize = 0.0f;
    bool m_mirrored = false;
    bool m_pressed = false;
};

}  // namespace Varnok
