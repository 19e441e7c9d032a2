// The game's one entry point for sound effects. One-shot effects play
// fire-and-forget; the game's looping effects ("Bomb-Fuse", "slot_spin_lp",
// "bean-lp") take one of 32 slots, so that they can be stopped, paused and
// waited for. Main thread only.
#pragma once

#include "engine/core/Delegate.h"

#include <cstdint>

namespace Varnok {

class Sound;
class SoundManager;

// Called with the slot's sound once it has ended; true keeps the slot (and
// holds the update there) until a later frame answers false.
using SoundCompletion = Delegate1<bool, Sound*>;

// The empty completion callers pass: answers false.
bool SoundPlayerNoCompletion(Sound* sound);

// Playing or paused: the sound's voice is in the mixer or waiting to join
// it, so a line paused before the mixer took it has not ended.
bool IsSoundLive(const Sound& sound);

struct SoundSlot {
    Sound* sound = nullptr;  // made by the sound manager, kept for the player's life
    uint32_t nameHash = 0;   // of what it plays; 0 when free
    bool free = true;
    bool spare = false;
    bool pausedByPlayer = false;
    float volumeWeight = 1.0f;  // a
    float volume = 0.0f;        // b
    SoundCompletion completion;
};

class SoundPlayer {
public:
    static constexpr int kSlotCount = 32;

    // The manager must outlive the player.
    explicit SoundPlayer(SoundManager& sounds);
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // A looping name takes the first free slot and answers its sound, with
    // the slot volume from volumeWeight and volume and the pitch in octaves;
    // null when every slot is busy. Any other name plays once at full volume
    // and normal pitch, ignoring the rest, and answers null. Nothing while
    // sound is off.
    Sound* Play(const char* name, float volumeWeight, float volume,
                const SoundCompletion& completion, float pitchOctaves);
    // The same, also while the challenge mode shows its flow screens.
    Sound* PlayAlways(const char* name, float volumeWeight, float volume,
                      const SoundCompletion& completion, float pitchOctaves);

    // Stops the slot that holds `sound` playing `name` at once and frees it;
    // nothing when none does.
    void Stop(Sound* sound, const char* name);
    void StopAll();
    // Pauses every playing slot and marks it paused by the player.
    void PauseAll();
    // Resumes what PauseAll paused, or waits while the sound system reports
    // an interruption.
    void Resume();
    // The first slot playing that name answers.
    bool IsPlaying(const char* name) const;
    bool IsPlayingByHash(uint32_t nameHash) const;
    // Pauses the first slot playing that name when it plays; false when no
    // slot holds it.
    bool PauseSound(const char* name);
    bool PauseByHash(uint32_t nameHash);
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsEnabled() const { return m_enabled; }

    // Once a frame: applies fading volumes again and frees the slots of
    // sounds that have ended.
    void Update();

    const SoundSlot& GetSlot(int index) const { return m_slots[index]; }
    int BusySlotCount() const;
    float GetMasterVolume() const { return m_masterVolume; }

private:
    Sound* PlayInSlot(const char* name, float volumeWeight, float volume,
                      const SoundCompletion& completion, float pitchOctaves);
    float SlotVolume(const SoundSlot& slot) const;
    void FreeSlot(SoundSlot& slot);

    SoundManager& m_sounds;
    float m_masterVolume = 1.0f;  // weights the slot volume; nothing changes it
    bool m_resumePending = false;
    SoundSlot m_slots[kSlotCount];
    bool m_enabled = true;
};

}  // namespace Varnok
