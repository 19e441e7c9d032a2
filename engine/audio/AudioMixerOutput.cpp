// AudioMixerOutput: the duck stage and the buffer cycle.
#include "engine/audio/AudioMixerOutput.h"

#include "engine/audio/AudioSession.h"

namespace Varnok {

namespace {
constexpr float kSpeakerAngles[AudioMixerOutput::kChannels] = {-0.785398f, 0.785398f};
}  // namespace

AudioMixerOutput::AudioMixerOutput() : m_duckMixer(new SubMixer) {
    SetChannelAngles(kChannels, kSpeakerAngles);
    m_duckVoice = CreateVoice(SmartPtr<VoiceSource>(m_duckMixer.Get()));
}

AudioMixerOutput::~AudioMixerOutput() = default;

const int16_t* AudioMixerOutput::MixOutputBuffer() {
    const bool otherAudio = IsOtherAudioPlaying();
    if (otherAudio != m_otherAudioPlaying) {
        m_otherAudioPlaying = otherAudio;
        if (otherAudio) {
            m_duckVoice->RampVolumeTo(0.0f, kDuckOutSeconds);
        } else {
            m_duckVoice->RampVolumeTo(1.0f, kDuckInSeconds);
        }
    }
    AdvanceVoices(kBufferFrames);
    ApplyPendingChanges();
    MixVoices(kBufferFrames, true);
    AddMonoToChannels();
    return GetOutputBuffer();
}

}  // namespace Varnok
