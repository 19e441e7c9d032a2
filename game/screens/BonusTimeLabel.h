// The floating "+m:ss" label of a time-bonus power: it mirrors the power's
// bonus while the power runs, then swells, flies to the clock and adds its
// seconds to the time left.
#pragma once

#include "game/screens/SpriteScreenItem.h"

#include <cstdint>

namespace Varnok {

class PowerEffects;

class BonusTimeLabel : public SpriteScreenItem {
public:
    static constexpr float kFlySeconds = 0.63f;
    static constexpr float kDoneSeconds = 1.08f;

    BonusTimeLabel();

    void Update(float stepSeconds) override;
    void Render(const float tint[3]) override;
    int GetTypeId() const override { return 9; }

    // "+%i:%02i" of the shown value's whole seconds and hundredths.
    void FormatShown(char* out, int size) const;

    PowerEffects* m_source = nullptr;  // while its power runs
    float m_target = 0.0f;
    float m_shown = 0.0f;
    float m_age = 0.0f;
    float m_size = 50.0f;
    bool m_doubled = false;
    uint8_t m_alpha = 0;

private:
    bool m_detachedOnce = false;
    Vector3 m_startAnchor;
    Vector3 m_startOffset;
};

}  // namespace Varnok
