// SoundPlayer: the slots of the looping effects and the one-shot path.
#include "game/rules/SoundPlayer.h"

#include "engine/audio/Sound.h"
#include "engine/audio/SoundManager.h"
#include "engine/core/HashName.h"

#include <cstring>

namespace Varnok {

namespace {

uint32_t HashOf(const char* name) {
    return name != nullptr ? HashName(name, static_cast<int>(std::strlen(name))) : 0;
}

// Only these are kept in slots; every other effect plays once.
bool IsLoopingName(uint32_t nameHash) {
    static const uint32_t kLooping[] = {HashOf("Bomb-Fuse"), HashOf("slot_spin_lp"),
                                        HashOf("bean-lp")};
    for (uint32_t hash : kLooping) {
        if (hash == nameHash) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool IsSoundLive(const Sound& sound) {
    const AudioVoice* voice = sound.GetVoice();
    return voice != nullptr && voice->IsQueued();
}

bool SoundPlayerNoCompletion(Sound* /*sound*/) {
    return false;
}

SoundPlayer::SoundPlayer(SoundManager& sounds) : m_sounds(sounds) {
    for (SoundSlot& slot : m_slots) {
        slot.sound = m_sounds.CreateSound();
    }
}

SoundPlayer::~SoundPlayer() {
    for (SoundSlot& slot : m_slots) {
        m_sounds.DestroySound(slot.sound);
        slot.sound = nullptr;
        slot.completion.Clear();
    }
}

Sound* SoundPlayer::Play(const char* name, float volumeWeight, float volume,
                         const SoundCompletion& completion, float pitchOctaves) {
    // The challenge mode's flow screens silence this too, once the mode
    // exists to ask.
    return PlayAlways(name, volumeWeight, volume, completion, pitchOctaves);
}

Sound* SoundPlayer::PlayAlways(const char* name, float volumeWeight, float volume,
                               const SoundCompletion& completion, float pitchOctaves) {
    if (!m_enabled || name == nullptr) {
        return nullptr;
    }
    if (!IsLoopingName(HashOf(name))) {
        m_sounds.PlaySound(name, 0, nullptr, 0, 0.0f);
        return nullptr;
    }
    return PlayInSlot(name, volumeWeight, volume, completion, pitchOctaves);
}

Sound* SoundPlayer::PlayInSlot(const char* name, float volumeWeight, float volume,
                               const SoundCompletion& completion, float pitchOctaves) {
    for (SoundSlot& slot : m_slots) {
        if (!slot.free) {
            continue;
        }
        m_sounds.PlaySound(name, 0, slot.sound, 0, pitchOctaves);
        slot.free = false;
        slot.spare = false;
        slot.pausedByPlayer = false;
        slot.nameHash = HashOf(name);
        slot.completion = completion;
        slot.volumeWeight = volumeWeight;
        slot.volume = volume;
        slot.sound->SetVolume(SlotVolume(slot));
        slot.sound->SetPitch(pitchOctaves);
        return slot.sound;
    }
    return nullptr;
}

float SoundPlayer::SlotVolume(const SoundSlot& slot) const {
    return slot.volume * (1.0f - slot.volumeWeight * (1.0f - m_masterVolume));
}

void SoundPlayer::FreeSlot(SoundSlot& slot) {
    if (IsSoundLive(*slot.sound)) {
        slot.sound->FadeOut(0.0f);
    }
    slot.sound->Stop();
    slot.free = true;
    slot.spare = false;
    slot.pausedByPlayer = false;
    slot.nameHash = 0;
}

void SoundPlayer::Stop(Sound* sound, const char* name) {
    if (sound == nullptr) {
        return;
    }
    const uint32_t hash = HashOf(name);
    for (SoundSlot& slot : m_slots) {
        if (!slot.free && slot.sound == sound && slot.nameHash == hash) {
            FreeSlot(slot);
            return;
        }
    }
}

void SoundPlayer::StopAll() {
    for (SoundSlot& slot : m_slots) {
        if (!slot.free) {
            FreeSlot(slot);
        }
    }
}

void SoundPlayer::PauseAll() {
    for (SoundSlot& slot : m_slots) {
        if (!slot.free && slot.sound->IsPlaying()) {
            slot.sound->Pause();
            slot.pausedByPlayer = true;
        }
    }
}

void SoundPlayer::Resume() {
    if (m_sounds.IsInterrupted()) {
        m_resumePending = true;
        return;
    }
    for (SoundSlot& slot : m_slots) {
        if (slot.pausedByPlayer) {
            slot.sound->Resume();
            slot.pausedByPlayer = false;
        }
    }
}

bool SoundPlayer::IsPlaying(const char* name) const {
    return IsPlayingByHash(HashOf(name));
}

bool SoundPlayer::IsPlayingByHash(uint32_t nameHash) const {
    for (const SoundSlot& slot : m_slots) {
        if (!slot.free && slot.nameHash == nameHash) {
            return slot.sound->IsPlaying();
        }
    }
    return false;
}

bool SoundPlayer::PauseSound(const char* name) {
    return PauseByHash(HashOf(name));
}

bool SoundPlayer::PauseByHash(uint32_t nameHash) {
    for (SoundSlot& slot : m_slots) {
        if (!slot.free && slot.nameHash == nameHash) {
            if (slot.sound->IsPlaying()) {
                slot.sound->Pause();
            }
            return true;
        }
    }
    return false;
}

void SoundPlayer::Update() {
    if (m_resumePending) {
        if (m_sounds.IsInterrupted()) {
            return;
        }
        m_resumePending = false;
        Resume();
    }
    for (SoundSlot& slot : m_slots) {
        if (slot.free) {
            continue;
        }
        if (IsSoundLive(*slot.sound)) {
            if (slot.volumeWeight > 0.0f) {
                slot.sound->SetVolume(SlotVolume(slot));
            }
            continue;
        }
        if (slot.completion(slot.sound)) {
            return;  // asked again next frame
        }
        FreeSlot(slot);
    }
}

int SoundPlayer::BusySlotCount() const {
    int busy = 0;
    for (const SoundSlot& slot : m_slots) {
        busy += slot.free ? 0 : 1;
    }
    return busy;
}

}  // namespace Varnok
