// The pop-up's life: open, count down, hide.
#include "game/screens/HudPopup.h"

#include "game/rules/GameRecord.h"

namespace Varnok {

HudPopup::HudPopup() {
    m_closeLocked = true;
    m_visible = false;
}

void HudPopup::Open() {
    m_visible = true;
    m_playSound = true;
    m_playVoice = true;
    m_showDigits = false;
    m_layerMask = ScreenLayer::Default;
    m_rising = false;
    m_rotation = 0.0f;
    m_finished = false;
    m_isCombo = false;
    m_speed = 1.0f;
    m_timeLeft = 0.0f;
    m_comboSize = 0;
    m_scale = Vector3{65.0f, 65.0f, 0.0f};
    Reset();
}

void HudPopup::Reset() {
    m_colour = Colour(255, 255, 255, 255);
    m_shakeFrames = 0;
    if (m_timeLeft > 0.0f) {
        m_colour.a = 0;
        m_visible = false;
    }
}

void HudPopup::Update(float stepSeconds) {
    if (GetGameRecord().paused || !(m_timeLeft > 0.0f)) {
        return;
    }
    m_timeLeft -= stepSeconds * m_speed;
    m_offset.z = 0.0f;
    if (m_timeLeft <= 0.0f) {
        if (m_onRemoved) {
            m_onRemoved(this);
        }
        m_visible = false;
    }
}

void HudPopup::Render(const float tint[3]) {
    if (m_rising) {
        SpriteScreenItem::Render(tint);
    }
}

}  // namespace Varnok
