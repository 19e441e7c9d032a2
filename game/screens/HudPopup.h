// A short-lived picture that rises over the play field where something
// happened. Pop-ups come from the GameHud pool and stay in the screen list
// for reuse: when their time runs out they only turn invisible.
#pragma once

#include "game/screens/SpriteScreenItem.h"

#include "engine/core/MathUtil.h"

#include <cstdint>

namespace Varnok {

class HudPopup : public SpriteScreenItem {
public:
    HudPopup();

    void Open() override;
    // Colour white; a pop-up still counting down is hidden.
    void Reset() override;
    // A rising pop-up counts itself for the frame factor, is pushed away from
    // the other visible pop-ups and counts down at the frame factor; not
    // while paused. It announces itself (sound, voice) as it becomes visible;
    // at 0 the removal callback runs and the pop-up hides.
    void Update(float stepSeconds) override;
    // Only a rising pop-up draws, and only after its first 0.15 s: pulsing,
    // shaken while shake frames are left, faded with the list's pop-up alpha.
    void Render(const float tint[3]) override;
    int GetTypeId() const override { return 2; }

    // Opens as a rising picture at a logical position, kept inside the
    // logical screen, for 1.81 s: the bonus or the plain bean picture.
    void ShowBean(const Vector3& position, bool bonus);
    // A power's icon rising at a logical position for 1.81 s; without an
    // icon the dropped-fruit picture, shaking when count is 1 or more, for
    // 1.66 s and kept inside the screen.
    void ShowIcon(const Vector3& position, int count, const SmartPtr<Texture>& icon);
    // The plus-fifty picture of an ultra-rare fruit; it rises at half speed.
    void ShowUltraRareBonus(const Vector3& position);
    // Takes the next free pop-up of the HUD pool for the picture; nothing
    // without a pool. Hit fruit call it.
    static void ShowUltraRareBonusAtNextFree(const Vector3& position);

    bool m_rising = false;
    float m_timeLeft = 0.0f;  // seconds
    float m_speed = 1.0f;     // time-step factor
    uint16_t m_shakeFrames = 0;
    bool m_playSound = false;
    bool m_playVoice = false;
    bool m_isCombo = false;
    int m_comboSize = 0;
    bool m_showDigits = false;
    int m_announcements = 0;  // how often it became visible with its sound

    // The size factor of the pulse at that time left (0..1.66 s).
    static float PulseScale(float timeLeft);
    // "New-best-score", or "combo-N" for a combo pop-up (N its size - 2, 1..8).
    const char* AnnouncementSound(char* buffer, int size) const;

private:
    void ShowPicture(const Vector3& position, const SmartPtr<Texture>& picture);
    void Repel(float stepSeconds);
    void Announce();
};

}  // namespace Varnok
