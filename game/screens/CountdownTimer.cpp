// The clock's count.
#include "game/screens/CountdownTimer.h"

#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"

#include <cmath>
#include <cstdio>

namespace Varnok {
namespace {

const Colour kDefaultColour{255, 255, 255, 255};
const Colour kWarningColour{255, 100, 100, 255};

}  // namespace

CountdownTimer::CountdownTimer() {
    m_scale = Vector3{0.0f, 18.0f, 0.0f};
    m_offset = Vector3{-LogicalScreenWidth() / 2.0f - 5.0f, (LogicalScreenHeight() + 18.0f) / 2.0f - 5.0f, 0.0f};
}

void CountdownTimer::Reset() {
    m_timeLeft = m_startTime > 0.0f ? m_startTime : 0.0f;
    m_bonusText[0] = '\0';
    m_frame = 0.0f;
    m_colour = kDefaultColour;
}

int CountdownTimer::RequestClose() {
    Reset();
    return 0;
}

void CountdownTimer::Update(float stepSeconds) {
    if (!IsModeTimerRunning()) {
        return;
    }
    const GameRecord& game = GetGameRecord();
    m_layerMask = ScreenLayer::Default;
    m_offset.x = -LogicalScreenWidth() / 2.0f + 50.0f;
    if (!game.paused && !game.notInPlay) {
        if (!(m_startTime > 0.0f)) {
            m_timeLeft += stepSeconds;
        } else {
            m_timeLeft -= stepSeconds;
            if (m_timeLeft < kEndSeconds) {
                m_timeLeft = 0.0f;
                m_colour = kWarningColour;
            } else if (m_timeLeft < kWarningSeconds) {
                // Red and plain by turns, an eighth of a second each.
                const bool odd = static_cast<int>(m_timeLeft * 8.0f) % 2 == 1;
                m_colour = odd ? kWarningColour : kDefaultColour;
            }
        }
    }
    const int elapsed = static_cast<int>(m_startTime - m_timeLeft);
    m_frame = static_cast<float>(((elapsed % 6) + 6) % 6) + 0.5f;
    if (m_timeLeft < 60.0f) {
        std::snprintf(m_digits, sizeof(m_digits), "%i", static_cast<int>(m_timeLeft) % 60);
    } else {
        m_digits[0] = '\0';
    }
}

}  // namespace Varnok
