// One playing instance of a source in a mixer, with volume and pitch ramps,
// pause and restart. The game writes pending copies of the parameters; the
// mixing thread takes them over once per buffer.
#pragma once

#include "engine/audio/VoiceSource.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/WeakPtr.h"

#include <atomic>
#include <mutex>

namespace Varnok {

class AudioMixer;

class AudioVoice : public ReferenceCounter {
public:
    // Requires: source not null.
    explicit AudioVoice(SmartPtr<VoiceSource> source);
    ~AudioVoice() override;
    AudioVoice(const AudioVoice&) = delete;
    AudioVoice& operator=(const AudioVoice&) = delete;

    // ---- Any thread (the game's, normally); never blocks for longer than a copy ----
    // Plays again from frame 0 from the next buffer on.
    void Restart();
    void SetVolume(float volume);
    // Seconds <= 0 set `to` at once.
    void RampVolumeFromTo(float from, float to, float seconds);
    // Ramps from the volume the mixing thread had at the last buffer.
    void RampVolumeTo(float to, float seconds);
    // 2^octaves source frames per output frame.
    void SetPitch(float octaves);
    void SetPaused(bool paused);
    // The voice ends when its volume reaches 0.
    void SetStopAtSilence(bool stop) { m_stopAtSilence.store(stop); }

    bool IsPaused() const;
    // The volume and pitch as last written or taken over.
    float GetVolume() const;
    float GetPitch() const;
    // From AudioMixer::AddVoice until no mixer holds the voice any more.
    bool IsQueued() const { return m_queued.load(); }
    // Only true while a live mixer holds the voice as active.
    bool IsInLiveMixer() const;
    SmartPtr<AudioMixer> GetOwner() const;
    VoiceSource* GetSource() const { return m_source.Get(); }

    // ---- Mixer side ----
    void MarkQueued() { m_queued.store(true); }
    // An addition cancelled before any mixer took the voice.
    void Unqueue() {
        if (m_ownerIdentity.load() == nullptr) {
            m_queued.store(false);
        }
    }
    // Leaves a different live owner first. Null: no mixer holds it now.
    void SetOwner(AudioMixer* mixer);
    bool IsOwnedBy(const AudioMixer* mixer) const { return m_ownerIdentity.load() == mixer; }
    // Takes over the pending parameters (once per buffer).
    void SyncParameters();
    // Moves on by the output frames mixed last buffer; false when finished.
    bool Advance(uint32_t frames);
    // Mixes output frames [firstFrame, firstFrame + frameCount) of the
    // target's buffer, split where ramps end.
    void Mix(AudioMixer& target, uint32_t firstFrame, uint32_t frameCount);

private:
    // Source frames consumed over `frames` output frames from the current
    // pitch state, without changing it.
    uint32_t ConsumedFrames(uint32_t frames) const;

    SmartPtr<VoiceSource> m_source;
    VoiceCursor* m_cursor;  // from m_source; handed back to it

    // Owner: written by the mixing thread, read by the game under m_lock.
    WeakPtr<AudioMixer> m_owner;
    std::atomic<const AudioMixer*> m_ownerIdentity{nullptr};  // compared, never followed
    std::atomic<bool> m_queued{false};
    std::atomic<bool> m_restartRequested{false};
    std::atomic<bool> m_stopAtSilence{false};

    // Mixing-thread copies.
    bool m_paused = false;
    float m_volume = 1.0f;
    float m_volumeTarget = 1.0f;
    float m_volumeSlide = 0.0f;
    float m_pitch = 1.0f;
    float m_pitchTarget = 1.0f;
    float m_pitchSlide = 0.0f;

    // Written by the game, under m_lock.
    mutable std::mutex m_lock;
    bool m_pendingPaused = false;
    float m_pendingVolume = 1.0f;
    float m_pendingVolumeTarget = 1.0f;
    float m_pendingVolumeSlide = 0.0f;
    float m_pendingPitch = 1.0f;
    float m_pendingPitchTarget = 1.0f;
    float m_pendingPitchSlide = 0.0f;
    bool m_volumeChanged = false;
    bool m_pitchChanged = false;
    float m_syncedVolume = 1.0f;  // m_volume at the last take-over
};

}  // namespace Varnok
