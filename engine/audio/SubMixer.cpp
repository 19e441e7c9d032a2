// SubMixer: nested mixing by passing every voice's mix on to the parent.
#include "engine/audio/SubMixer.h"

#include <algorithm>

namespace Varnok {

namespace {
constexpr float kRate = 44100.0f;
}  // namespace

VoiceCursor* SubMixer::CreateCursor() {
    return this;
}

void SubMixer::DestroyCursor(VoiceCursor* /*cursor*/) {}

bool SubMixer::Advance(uint32_t frames) {
    AdvanceVoices(frames);
    return true;
}

void SubMixer::Sync() {
    ApplyPendingChanges();
}

void SubMixer::TakeOwner(AudioMixer* mixer) {
    if (mixer != nullptr) {
        SetChannelAngles(mixer->GetChannelCount(), mixer->GetChannelAngles());
    }
}

void SubMixer::Mix(AudioMixer& target, const VoiceSegment& segment) {
    m_parent = &target;
    m_segmentFirst = segment.firstFrame;
    m_volume = segment.volume;
    m_volumeSlide = segment.volumeSlide;
    SetFrameCount(target.GetFrameCount());
    MixActiveVoices(segment.firstFrame, segment.frameCount);
    m_parent = nullptr;
}

float SubMixer::VolumeAt(uint32_t frame) const {
    const float offset = static_cast<float>(frame - m_segmentFirst);
    return m_volume + m_volumeSlide * offset / kRate;
}

// Both volumes ramp, so their product is a curve. Each piece gets the chord
// of that curve over the piece: exact where it starts and where it ends, so
// consecutive pieces and buffers join without a step.
void SubMixer::Scale(const MixSpan& span, float volume, float volumeSlide, float* outVolume,
                     float* outSlide) const {
    const float seconds = static_cast<float>(span.frameCount) / kRate;
    const float startOwn = VolumeAt(span.firstFrame);
    const float endOwn = VolumeAt(span.firstFrame + span.frameCount);
    // A ramp may pass its target by part of a frame before its segment ends.
    const float start = std::max(volume * startOwn, 0.0f);
    const float end = std::max((volume + volumeSlide * seconds) * endOwn, 0.0f);
    *outVolume = start;
    *outSlide = seconds > 0.0f ? (end - start) / seconds : 0.0f;
}

void SubMixer::MixMono(const MixSpan& span, const int16_t* source, float volume,
                       float volumeSlide) {
    if (m_parent == nullptr) {
        return;
    }
    float scaled = 0.0f;
    float slide = 0.0f;
    Scale(span, volume, volumeSlide, &scaled, &slide);
    m_parent->MixMono(span, source, scaled, slide);
}

void SubMixer::MixChannels(const MixSpan& span, const int16_t* const* sources,
                           const float* volumes, const float* volumeSlides) {
    if (m_parent == nullptr) {
        return;
    }
    float scaled[kMaxMixChannels] = {};
    float slides[kMaxMixChannels] = {};
    const uint32_t channels = GetChannelCount();
    for (uint32_t c = 0; c < channels; ++c) {
        Scale(span, volumes[c], volumeSlides[c], &scaled[c], &slides[c]);
    }
    m_parent->MixChannels(span, sources, scaled, slides);
}

}  // namespace Varnok
