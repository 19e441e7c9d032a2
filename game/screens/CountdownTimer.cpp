// The clock's count.
#include "game/screens/CountdownTimer.h"

#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/SoundPlayer.h"
#include "game/screens/ScreenList.h"

#include <cmath>
#include <cstdio>

namespace Varnok {
namespace {

const Colour kDefaultColour{255, 255, 255, 255};
const Colour kWarningColour{255, 100, 100, 255};
constexpr float kPlayX = 50.0f;    // from the left edge while counting
constexpr float kMenuY = 170.0f;   // with the menus up
constexpr float kPlayDrop = 36.0f; // lower in play at normal speed
constexpr float kTickSeconds = 11.0f;

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
    m_lastGreen = m_colour.g;
}

int CountdownTimer::RequestClose() {
    Reset();
    return 0;
}

void CountdownTimer::Update(float stepSeconds) {
    if (!IsModeTimerRunning()) {
        return;
    }
    GameRecord& game = GetGameRecord();
    m_layerMask = ScreenLayer::Default;
    m_offset.x = -LogicalScreenWidth() / 2.0f + kPlayX;
    if (!game.paused && !game.notInPlay) {
        Count(stepSeconds);
    }
    const int elapsed = static_cast<int>(m_startTime - m_timeLeft);
    m_frame = static_cast<float>(((elapsed % 6) + 6) % 6) + 0.5f;
    if (game.stats != nullptr) {
        game.stats->timer = m_timeLeft;
    }
    if (m_timeLeft < 60.0f) {
        std::snprintf(m_digits, sizeof(m_digits), "%i", static_cast<int>(m_timeLeft) % 60);
    } else {
        m_digits[0] = '\0';
    }
    // Up with the menus, lower in play; slow time lifts it back.
    const float blend = std::fabs(game.menuPhase);
    const ScreenList* list = game.screenList;
    const float timeScale = list != nullptr ? list->m_timeScale : 1.0f;
    m_offset.y = kMenuY - kPlayDrop * (1.0f - blend) * timeScale;
}

void CountdownTimer::Count(float stepSeconds) {
    if (!(m_startTime > 0.0f)) {
        m_timeLeft += stepSeconds;
        return;
    }
    m_timeLeft -= stepSeconds;
    if (m_timeLeft < kEndSeconds) {
        m_timeLeft = 0.0f;
        m_colour = kWarningColour;
        // The hit tracking shared with the save file starts again.
        if (GameStats* stats = GetGameRecord().stats) {
            stats->consecutiveCount = 0;
            stats->consecutiveType = -1;
        }
    } else if (m_timeLeft < kWarningSeconds) {
        // Red on odd eighths of a second, plain on even ones.
        const bool odd = static_cast<int>(m_timeLeft * 8.0f) % 2 == 1;
        m_colour = odd ? kWarningColour : kDefaultColour;
    }
    // Green tells the two colours apart (both are full red).
    if (m_colour.g != m_lastGreen && m_timeLeft > 0.0f && m_timeLeft < kTickSeconds) {
        const char* sound = m_ticks % 2 == 0 ? "Time-tick" : "Time-tock";
        ++m_ticks;
        if (SoundPlayer* sounds = GetGameRecord().soundPlayer) {
            sounds->Play(sound, 1.0f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
        }
    }
    m_lastGreen = m_colour.g;
}

}  // namespace Varnok
