// The game's counting score label: the number shown runs toward the game's
// score at a rate proportional to the distance left, pulsing its parent and
// ticking at every step, and on reaching it can reveal a new-best badge.
// Owners write the public fields directly, then call RefreshText.
#pragma once

#include "engine/ui/ComponentText.h"

namespace Varnok {

class ComponentScore : public ComponentText {
public:
    static constexpr int kMaxShown = 99999999;
    static constexpr int kCountRate = 6;  // per second, of the distance left

    ComponentScore();
    static const ComponentClassInfo& GetStaticClassInfo();

    void Update(float dt) override;
    // The shown value, truncated, at most kMaxShown.
    AsciiString GetDisplayText() const override;
    // One counting step toward score; answers whether the shown number
    // changed. Sounds, the pulse and the badge follow from it in Update.
    bool CountToward(int score, float dt);

    Component* m_newBestLabel = nullptr;  // not owned; revealed when the count completes
    float m_shownValue = 0.0f;            // the game's score at construction
    bool m_hold = false;                  // no counting while set
    bool m_countSounds = false;
    int m_maxShown = kMaxShown;

private:
    void OnCountComplete();
};

}  // namespace Varnok
