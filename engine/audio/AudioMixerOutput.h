// The root of the mixing tree: a two-speaker mixer whose buffers go to the
// platform's output, with the duck stage through which all music passes so
// that it fades out while another application plays audio.
#pragma once

#include "engine/audio/AudioMixer.h"
#include "engine/audio/SubMixer.h"
#include "engine/core/Mutex.h"
#include "engine/core/SmartPtr.h"

namespace Varnok {

class AudioMixerOutput : public AudioMixer {
public:
    // Output format: 44100 Hz, two interleaved 16-bit channels, 40 ms buffers.
    static constexpr uint32_t kBufferFrames = 1764;
    static constexpr uint32_t kChannels = 2;
    static constexpr float kDuckOutSeconds = 0.5f;
    static constexpr float kDuckInSeconds = 1.5f;

    AudioMixerOutput();
    ~AudioMixerOutput() override;

    // Stop and restart the platform output, keeping every voice where it is.
    virtual void Suspend() = 0;
    virtual void Resume() = 0;

    // Held by the music crossfade while it rebuilds the music chain.
    Mutex& GetMusicSwitchMutex() { return m_musicSwitchMutex; }
    SubMixer& GetDuckMixer() { return *m_duckMixer; }
    AudioVoice& GetDuckVoice() { return *m_duckVoice; }

    // One buffer: follows other applications' audio with the duck level,
    // then advances, merges and mixes the voices. Returns kBufferFrames
    // interleaved stereo frames. Mixing thread only.
    const int16_t* MixOutputBuffer();

private:
    Mutex m_musicSwitchMutex;
    SmartPtr<SubMixer> m_duckMixer;
    SmartPtr<AudioVoice> m_duckVoice;
    bool m_otherAudioPlaying = false;  // mixing thread
};

// An output that plays nowhere: the game runs its audio without a device, and
// tests pull buffers with MixOutputBuffer.
class NullMixerOutput : public AudioMixerOutput {
public:
    void Suspend() override { m_suspended = true; }
    void Resume() override { m_suspended = false; }
    bool IsSuspended() const { return m_suspended; }

private:
    bool m_suspended = false;
};

}  // namespace Varnok
