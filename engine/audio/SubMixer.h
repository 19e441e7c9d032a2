// A mixer played by a voice of a parent mixer. It owns no buffers: each of
// its voices' mixing passes on to the parent, scaled by the sub-mixer's own
// volume ramp. The effects, music and duck stages are sub-mixers.
#pragma once

#include "engine/audio/AudioMixer.h"
#include "engine/audio/VoiceSource.h"

namespace Varnok {

class SubMixer : public AudioMixer, public VoiceSource, public VoiceCursor {
public:
    SubMixer() = default;

    // ---- As a voice source: its cursor is itself ----
    VoiceCursor* CreateCursor() override;
    void DestroyCursor(VoiceCursor* cursor) override;
    bool NeedsMono() const override { return NeedsMonoBuffer(); }
    bool NeedsChannels() const override { return NeedsChannelBuffer(); }
    const char* GetName() const override { return "SubMixer"; }

    // ---- As a cursor, on the mixing thread ----
    // Never ends by itself: a sub-mixer plays until its voice is dropped.
    bool Advance(uint32_t frames) override;
    void Sync() override;
    // Mixes its voices over the segment's frames into `target`. A
    // sub-mixer plays at its parent's rate; its voice's pitch is not applied.
    void Mix(AudioMixer& target, const VoiceSegment& segment) override;
    // Copies the new parent's speaker angles.
    void TakeOwner(AudioMixer* mixer) override;

    // ---- As a mixing target: forwards to the parent ----
    void MixMono(const MixSpan& span, const int16_t* source, float volume,
                 float volumeSlide) override;
    void MixChannels(const MixSpan& span, const int16_t* const* sources, const float* volumes,
                     const float* volumeSlides) override;

private:
    // The sub-mixer's own volume at an output frame of the current segment.
    float VolumeAt(uint32_t frame) const;
    // A voice's volume ramp over `span` multiplied by the sub-mixer's own.
    void Scale(const MixSpan& span, float volume, float volumeSlide, float* outVolume,
               float* outSlide) const;

    // Set only while one of its mixes runs.
    AudioMixer* m_parent = nullptr;
    uint32_t m_segmentFirst = 0;
    float m_volume = 1.0f;
    float m_volumeSlide = 0.0f;  // per second
};

}  // namespace Varnok
