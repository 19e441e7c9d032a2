// One named sample played as an effect: the game's handle on a voice in the
// sound manager's effects mixer.
#pragma once

#include "engine/audio/AudioVoice.h"
#include "engine/audio/SamplePlayer.h"
#include "engine/core/SmartPtr.h"

namespace Varnok {

class SoundManager;

class Sound {
public:
    // The manager must outlive the sound. Made by SoundManager::CreateSound,
    // or by its owner on the stack.
    explicit Sound(SoundManager& manager) : m_manager(manager) {}
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    // Replaces what the sound plays with the cached sample of that name; a
    // name without a sample leaves the sound empty, and every call on an
    // empty sound does nothing.
    void Load(const char* name);
    // From the start. Nothing when 32 effects play or wait already.
    void Play();
    void Stop();
    // Seconds > 0: the voice fades to silence and is then dropped; otherwise
    // it stops at once and a later Play starts from the beginning.
    void FadeOut(float seconds);
    void Pause();
    void Resume();
    void SetVolume(float volume);
    void SetPitch(float octaves);  // 0 is normal speed, 1 an octave up
    bool IsPlaying() const;
    bool IsPaused() const;
    // Forgets player and voice without touching the mixer: a playing voice
    // plays on to its end.
    void Release();

    // Null while empty.
    AudioVoice* GetVoice() const { return m_voice.Get(); }

private:
    SoundManager& m_manager;
    SmartPtr<AudioVoice> m_voice;
    SmartPtr<SamplePlayer> m_player;
};

}  // namespace Varnok
