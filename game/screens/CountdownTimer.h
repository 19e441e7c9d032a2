// The game's clock for timed play: the time left, its colour and the seconds
// text. It runs only while the current mode's timed phase runs and draws
// nothing itself: the challenge HUD's timer component shows it.
#pragma once

#include "game/screens/SpriteScreenItem.h"

namespace Varnok {

class CountdownTimer : public SpriteScreenItem {
public:
    static constexpr int kTextBytes = 64;
    static constexpr float kWarningSeconds = 3.0f;
    static constexpr float kEndSeconds = 0.5f;

    CountdownTimer();

    void SetStartTime(float seconds) { m_startTime = seconds; }
    void Open() override { Reset(); }
    // The time left back to the start time (never below 0).
    void Reset() override;
    // Resets and refuses.
    int RequestClose() override;
    // Only while the mode's timed phase runs: counts (not while paused or
    // out of play), writes the time to the statistics, sets the seconds text
    // under a minute and follows the menus' height. Under 3 s the colour
    // flips every eighth of a second, each flip under 11 s ticking or tocking.
    void Update(float stepSeconds) override;
    void Render(const float /*tint*/[3]) override {}
    int GetTypeId() const override { return 4; }

    float m_startTime = -1.0f;  // seconds; not above 0: the clock counts up
    float m_timeLeft = 0.0f;
    char m_digits[kTextBytes] = {};  // whole seconds under a minute, else empty
    char m_bonusText[kTextBytes] = {};
    float m_frame = 0.0f;
    int m_ticks = 0;  // "Time-tick" and "Time-tock" asked for, by turns

private:
    void Count(float stepSeconds);

    uint8_t m_lastGreen = 255;
};

}  // namespace Varnok
