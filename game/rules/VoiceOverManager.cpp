// VoiceOverManager: line choice, the delayed start and the end of a line.
#include "game/rules/VoiceOverManager.h"

#include "engine/audio/Sound.h"
#include "engine/audio/SoundManager.h"
#include "engine/core/HashName.h"

#include <cstdio>
#include <cstring>

namespace Varnok {

namespace {

constexpr uint32_t kEntryWeight = 10;
constexpr float kEntryRegrowRate = 1.0f;

// Entries per bag, and how many of their values have a line; the rest are
// silent draws.
struct BagShape {
    int entries;
    int playedValues;
};
constexpr BagShape kBagShapes[VoiceOverManager::kBagCount] = {
    {28, 14},  // combo
    {8, 8},    // bomb
    {6, 3},    // life
    {3, 3},    // high score
    {6, 6},    // equip
    {0, 0},
    {0, 0},
};

}  // namespace

bool VoiceOverNoCompletion(Sound* /*sound*/) {
    return false;
}

VoiceOverManager::VoiceOverManager(SoundManager& sounds)
    : m_sounds(sounds),
      m_sound(sounds.CreateSound()),
      m_bags{WeightedBag(kBagCoolDown), WeightedBag(kBagCoolDown), WeightedBag(kBagCoolDown),
             WeightedBag(kBagCoolDown), WeightedBag(kBagCoolDown), WeightedBag(kBagCoolDown),
             WeightedBag(kBagCoolDown)} {
    for (int bag = 0; bag < kBagCount; ++bag) {
        for (int i = 0; i < kBagShapes[bag].entries; ++i) {
            WeightedBagEntry entry;
            entry.maxWeight = kEntryWeight;
            entry.weight = kEntryWeight;
            entry.regrowRate = kEntryRegrowRate;
            entry.value = i;
            m_bags[bag].Add(entry);
        }
    }
}

VoiceOverManager::~VoiceOverManager() {
    m_sounds.DestroySound(m_sound);
}

Sound* VoiceOverManager::Play(const char* name, float delaySeconds, float volume, bool force,
                              const SoundCompletion& completion) {
    if ((!m_idle && !force) || !m_enabled || name == nullptr) {
        return nullptr;
    }
    m_sounds.PlaySound(name, 0, m_sound, 0, 0.0f);
    m_idle = false;
    m_paused = false;
    m_lineHash = HashName(name, static_cast<int>(std::strlen(name)));
    m_completion = completion;
    m_volume = volume;
    m_delay = delaySeconds;
    m_sound->SetVolume(volume);
    if (delaySeconds > 0.0f) {
        m_sound->Pause();  // starts when the delay has run out
    }
    return m_sound;
}

Sound* VoiceOverManager::PlayFromBag(Bag bag, const char* format, int playedValues,
                                     float delaySeconds, float volume, bool force,
                                     const SoundCompletion& completion) {
    const int32_t value = m_bags[bag].Draw();
    m_bags[bag].Regrow();
    if (value < 0 || value >= playedValues) {
        return nullptr;
    }
    char name[32];
    std::snprintf(name, sizeof(name), format, value + 1);
    return Play(name, delaySeconds, volume, force, completion);
}

Sound* VoiceOverManager::PlayCombo(float delaySeconds, float volume,
                                   const SoundCompletion& completion) {
    return PlayFromBag(kBagCombo, "VO_Combo_%d", kBagShapes[kBagCombo].playedValues, delaySeconds,
                       volume, false, completion);
}

Sound* VoiceOverManager::PlayComboDelegate(float delaySeconds, float volume,
                                           SoundCompletion completion) {
    return PlayCombo(delaySeconds, volume, completion);
}

Sound* VoiceOverManager::PlayBomb(float delaySeconds, float volume,
                                  const SoundCompletion& completion) {
    return PlayFromBag(kBagBomb, "VO_Bomb_%d", kBagShapes[kBagBomb].playedValues, delaySeconds,
                       volume, true, completion);
}

Sound* VoiceOverManager::PlayLife(float delaySeconds, float volume,
                                  const SoundCompletion& completion) {
    return PlayFromBag(kBagLife, "VO_Life_%d", kBagShapes[kBagLife].playedValues, delaySeconds,
                       volume, true, completion);
}

Sound* VoiceOverManager::PlayHighScore(float delaySeconds, float volume,
                                       const SoundCompletion& completion) {
    return PlayFromBag(kBagHighScore, "VO_HighScore_%d", kBagShapes[kBagHighScore].playedValues,
                       delaySeconds, volume, true, completion);
}

Sound* VoiceOverManager::PlayEquip(float delaySeconds, float volume,
                                   const SoundCompletion& completion) {
    return PlayFromBag(kBagEquip, "VO_Equip_%d", kBagShapes[kBagEquip].playedValues, delaySeconds,
                       volume, true, completion);
}

void VoiceOverManager::Stop() {
    if (m_idle) {
        return;
    }
    m_sound->Stop();
    m_idle = true;
    m_paused = false;
    m_lineHash = 0;
    m_delay = 0.0f;
}

void VoiceOverManager::Update(float stepSeconds) {
    if (m_resumePending) {
        if (m_sounds.IsInterrupted()) {
            return;
        }
        m_resumePending = false;
        if (m_delay <= 0.0f) {
            m_sound->Resume();
        }
    }
    if (m_idle) {
        return;
    }
    if (m_delay > 0.0f) {
        m_delay -= stepSeconds;
        if (m_delay > 0.0f) {
            return;  // still waiting, paused
        }
        m_delay = 0.0f;
        m_sound->Resume();
    }
    if (IsSoundLive(*m_sound)) {
        return;
    }
    if (m_completion(m_sound)) {
        return;  // asked again next frame
    }
    m_sound->Stop();
    m_idle = true;
    m_paused = false;
    m_lineHash = 0;
}

}  // namespace Varnok
