// The face of the audio engine towards the game: the output with its effects
// and music sub-mixers, the sounds it hands out, music streamed from Ogg files
// with cuts and crossfades, and the preload of the game's sound list. Main
// thread only; the mixing runs on the output's thread.
#pragma once

#include "engine/audio/AudioMixerOutput.h"
#include "engine/audio/Sound.h"
#include "engine/audio/SubMixer.h"
#include "engine/core/SmartPtr.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Varnok {

class SoundManager {
public:
    // Effects mixers take no more voices than this, playing and waiting.
    static constexpr uint32_t kMaxEffectVoices = 32;
    // Level of the effects and music stages under the game's own volumes.
    static constexpr float kStageVolume = 0.8f;
    static constexpr const char* kSoundListPath = "sfx/info.txt";

    // The one manager, made on first use and destroyed at exit.
    static SoundManager& Get();

    SoundManager();
    ~SoundManager();
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // The platform's part of setting audio up: nothing on this platform.
    void SetupPlatform() {}

    // Bank, size and flags are not used. Sets up on the shared OpenAL output.
    [[nodiscard]] bool Init(const char* bank, int memorySize, int flags);
    // The output, the effects and music stages, then the sound list preload.
    void Setup();
    // The same on a given output (a null output in tests).
    void SetupWithOutput(SmartPtr<AudioMixerOutput> output);

    // A new empty sound, owned by the manager until DestroySound.
    Sound* CreateSound();
    // Stops and deletes a sound from CreateSound; null is ignored.
    void DestroySound(Sound* sound);

    // Loads, pitches and plays the sample on `sound`; without one, on a
    // voice that plays to its end and that nobody can stop. The two ints are
    // not used.
    void PlaySound(const char* name, int unused, Sound* sound, int priority, float pitchOctaves);

    // `name` carries its folder; ".ogg" is appended. Tracks loop, from their
    // "LOOPSAMPLES=" point or from the start.
    void PlayMusic(const char* name);
    void CrossfadeMusic(const char* name, float seconds);
    void StartMusic(const char* name, float fadeSeconds);
    void StopMusic();
    void SetMusicVolume(float volume);

    void Preload(const char* name);
    void PauseEffects();
    void ResumeEffects();
    void SuspendOutput();
    void ResumeOutput();
    bool IsInterrupted() const { return false; }
    void Tick() {}
    void Update() {}

    uint32_t GetMusicHash() const { return m_musicHash; }
    // Null before set-up.
    AudioMixerOutput* GetOutput() const { return m_output.Get(); }
    SubMixer* GetEffectsMixer() const { return m_sfxMixer.Get(); }
    SubMixer* GetMusicMixer() const { return m_musicMixer.Get(); }
    AudioVoice* GetEffectsVoice() const { return m_sfxVoice.Get(); }
    AudioVoice* GetMusicVoice() const { return m_musicVoice.Get(); }
    int SoundCount() const { return static_cast<int>(m_sounds.size()); }

private:
    void PreloadSoundList();

    std::vector<std::unique_ptr<Sound>> m_sounds;
    uint32_t m_musicHash = 0;
    float m_musicVolume = kStageVolume;  // the music stage's level, kept across crossfades
    SmartPtr<AudioMixerOutput> m_output;
    SmartPtr<SubMixer> m_sfxMixer;
    SmartPtr<SubMixer> m_musicMixer;
    SmartPtr<AudioVoice> m_sfxVoice;
    SmartPtr<AudioVoice> m_musicVoice;
};

}  // namespace Varnok
