// MusicController: track choice, start and the fades.
#include "game/rules/MusicController.h"

#include "engine/audio/SoundManager.h"
#include "engine/core/HashName.h"
#include "game/rules/GameRecord.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace Varnok {

MusicController& MusicController::Instance() {
    static MusicController controller(SoundManager::Get());
    return controller;
}

MusicController::MusicController(SoundManager& sounds) : m_sounds(sounds) {}

uint32_t MusicController::SetTrack(const char* name) {
    m_state = kStateSet;
    if (name == nullptr) {
        m_path[0] = '\0';
        m_pathHash = 0;
        return 0;
    }
    std::snprintf(m_path, kMaxPathChars + 1, "Music/%s", name);
    m_pathHash = HashName(m_path, static_cast<int>(std::strlen(m_path)));
    return m_pathHash;
}

void MusicController::Update(float stepSeconds) {
    if (m_path[0] == '\0') {
        return;
    }
    const float step = kFadePerSecond * stepSeconds;
    const float before = m_fade;
    if (GetGameRecord().musicOn) {
        m_fade = std::max(m_fade - step, -1.0f);
        if (m_fade < 0.0f && m_state != kStateStarted) {
            m_state = kStateStarted;
            m_sounds.PlayMusic(m_path);
        }
    } else if (m_fade > 0.0f) {
        m_fade = std::max(m_fade - step, 0.0f);
    } else if (m_fade < 0.0f) {
        m_fade = std::min(m_fade + step, 0.0f);
    }
    if (m_state != kStateSet && m_fade != before) {
        m_sounds.SetMusicVolume(std::fabs(m_fade) * kMusicVolume);
    }
}

}  // namespace Varnok
