// ComponentScore's class record and its count.
#include "game/screens/ComponentScore.h"

#include "engine/core/Random.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/SoundPlayer.h"
#include "game/rules/VoiceOverManager.h"

#include <algorithm>
#include <cstdio>

namespace Varnok {

namespace {

void PlayCountSound(const char* name) {
    if (SoundPlayer* sounds = GetGameRecord().soundPlayer) {
        sounds->Play(name, 1.0f, 1.0f, SoundCompletion(&SoundPlayerNoCompletion), 0.0f);
    }
}

}  // namespace

const ComponentClassInfo& ComponentScore::GetStaticClassInfo() {
    static const ComponentClassInfo s_info("ComponentScore", ComponentClassInfo::kNextFreeId,
                                           &ComponentText::GetStaticClassInfo());
    return s_info;
}

ComponentScore::ComponentScore() : m_shownValue(static_cast<float>(GetScore())) {
    SetClassInfo(GetStaticClassInfo());
}

AsciiString ComponentScore::GetDisplayText() const {
    char text[16];
    // Compared as integers: 99999999 has no float of its own.
    const double shown = std::min(static_cast<double>(m_shownValue), static_cast<double>(m_maxShown));
    snprintf(text, sizeof(text), "%d", static_cast<int>(shown));
    return AsciiString(text);
}

bool ComponentScore::CountToward(int score, float dt) {
    const int old = static_cast<int>(m_shownValue);
    if (old == score || m_hold) {
        return false;
    }
    // The integer step keeps a short display moving every frame.
    const int rate = static_cast<int>(static_cast<int64_t>(score - old) * kCountRate);
    m_shownValue += dt * static_cast<float>(rate);
    return static_cast<int>(m_shownValue) != old;
}

void ComponentScore::Update(float dt) {
    ComponentText::Update(dt);
    const int score = GetScore();
    const int old = static_cast<int>(m_shownValue);
    if (old == score || m_hold) {
        return;
    }
    const bool changed = CountToward(score, dt);
    const int now = static_cast<int>(m_shownValue);
    if (now == score) {
        OnCountComplete();
    }
    if (!changed) {
        return;
    }
    if (m_countSounds && now != score) {
        char name[16];
        snprintf(name, sizeof(name), "count-%u", 1u + (GlobalRandom().Next() >> 31));
        PlayCountSound(name);
    }
    RefreshText();
    if (Component* parent = GetParent()) {
        parent->PlayAnimation(AsciiString("animate_pulse"), true);
    }
}

void ComponentScore::OnCountComplete() {
    if (m_newBestLabel != nullptr) {
        m_newBestLabel->GetEnabledProperty()->Set(true);
        m_newBestLabel->PlayAnimation(AsciiString("animate_in"), true);
        if (VoiceOverManager* voice = GetGameRecord().voiceOver) {
            voice->PlayHighScore(1.25f, 1.0f, SoundCompletion(&VoiceOverNoCompletion));
        }
        // The rate prompt joins with the dialogs of the menus.
    }
    if (m_countSounds) {
        PlayCountSound("count-complete");
    }
    RefreshText();
}

}  // namespace Varnok
