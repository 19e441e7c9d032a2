// Adds the voices that play into it into 16-bit buffers, one buffer per
// output period on the mixing thread, while the game adds and removes voices
// at any time through locked pending lists.
#pragma once

#include "engine/audio/AudioVoice.h"
#include "engine/core/Mutex.h"
#include "engine/core/SmartPtr.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace Varnok {

// Output channels a mixer can have.
constexpr uint32_t kMaxMixChannels = 8;

// Where a piece of a voice lands in the target and how its source is read.
struct MixSpan {
    uint32_t firstFrame = 0;    // output frame
    uint32_t frameCount = 0;    // output frames
    uint32_t stride = 1;        // samples between source frames
    uint32_t sourceFrames = 0;  // frames readable at the source pointer
    float pitch = 1.0f;         // source frames per output frame
    float pitchSlide = 0.0f;    // per second
};

class AudioMixer : public virtual ReferenceCounter {
public:
    AudioMixer();
    ~AudioMixer() override;
    AudioMixer(const AudioMixer&) = delete;
    AudioMixer& operator=(const AudioMixer&) = delete;

    // ---- Game side: each takes the pending-lists mutex only ----
    // Marks the voice queued at once; it joins at the next buffer. Null is ignored.
    void AddVoice(const SmartPtr<AudioVoice>& voice);
    SmartPtr<AudioVoice> CreateVoice(const SmartPtr<VoiceSource>& source);
    // Leaves at the next buffer; pending additions of it are cancelled.
    void RemoveVoice(AudioVoice* voice);
    // Drops every voice at the next buffer, also additions made before the call.
    void StopAll();
    uint32_t ActiveAndPendingCount();
    void SetChannelAngles(uint32_t count, const float* angles);
    // The three lists as text, for debugging.
    std::string Dump();

    // ---- Mixing thread, once per buffer in this order ----
    void AdvanceVoices(uint32_t frames);
    void ApplyPendingChanges();
    void MixVoices(uint32_t frames, bool needChannelBuffer);
    void AddMonoToChannels();
    // Interleaved, GetChannelCount() samples a frame; null before the first mix.
    const int16_t* GetOutputBuffer() const;

    // ---- Mixing targets: what voices call while they mix ----
    // Gains from the distance of `pan` (radians) to each speaker angle.
    virtual void MixPanned(const MixSpan& span, const int16_t* source, float pan, float volume,
                           float volumeSlide);
    virtual void MixMono(const MixSpan& span, const int16_t* source, float volume,
                         float volumeSlide);
    // One source pointer, volume and slide for each output channel.
    virtual void MixChannels(const MixSpan& span, const int16_t* const* sources,
                             const float* volumes, const float* volumeSlides);

    uint32_t GetChannelCount() const { return m_channelCount; }
    const float* GetChannelAngles() const { return m_speakerAngles; }
    uint32_t GetFrameCount() const { return m_frameCount; }
    bool NeedsMonoBuffer() const { return m_needsMono; }
    bool NeedsChannelBuffer() const { return m_needsChannels; }

    // The gain for a source panned to `pan` on a speaker at `speaker`.
    static float PanGain(float pan, float speaker);

protected:
    // Every active voice mixes frames [firstFrame, firstFrame + frameCount).
    void MixActiveVoices(uint32_t firstFrame, uint32_t frameCount);
    void SetFrameCount(uint32_t frames) { m_frameCount = frames; }

private:
    uint32_t m_channelCount = 0;
    uint32_t m_frameCount = 0;
    uint32_t m_capacity = 0;
    std::vector<int16_t> m_channelBuffer;  // m_capacity x m_channelCount once made
    std::vector<int16_t> m_monoBuffer;
    float m_speakerAngles[kMaxMixChannels] = {};
    bool m_needsMono = false;      // once set, stays set
    bool m_needsChannels = false;  // once set, stays set

    // Lock order: m_activeMutex before m_pendingMutex.
    Mutex m_pendingMutex;
    std::vector<SmartPtr<AudioVoice>> m_pendingAdditions;
    std::vector<SmartPtr<AudioVoice>> m_pendingRemovals;
    bool m_clearAll = false;
    std::atomic<uint32_t> m_activeCount{0};  // active voices after the last merge

    Mutex m_activeMutex;
    std::vector<SmartPtr<AudioVoice>> m_activeVoices;
    // The pending lists are swapped into these while merging, so that the
    // merge allocates nothing in the steady state.
    std::vector<SmartPtr<AudioVoice>> m_takenAdditions;
    std::vector<SmartPtr<AudioVoice>> m_takenRemovals;
};

}  // namespace Varnok
