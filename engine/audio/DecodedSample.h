// A sample decoded whole into memory: how every sound effect is held.
#pragma once

#include "engine/audio/AudioSampleSource.h"
#include "engine/core/SmartPtr.h"

#include <vector>

namespace Varnok {

class DecodedSample : public AudioSampleSource {
public:
    // Longest sample decoded whole (about three minutes at 44100 Hz); longer
    // ones are cut here rather than taking the memory a damaged length asks for.
    static constexpr uint32_t kMaxFrames = 1u << 23;

    // Interleaved frames already in memory; the length is what `samples` holds.
    DecodedSample(uint32_t sampleRate, uint32_t channelCount, uint32_t loopStart,
                  std::vector<int16_t> samples);

    // Reads every frame of `source`. A source that delivers fewer frames than
    // it announced gives a shorter sample (and a log line naming `what`).
    static SmartPtr<DecodedSample> Decode(AudioSampleSource& source, const char* what);

    uint32_t GetSampleRate() const override { return m_sampleRate; }
    uint32_t GetChannelCount() const override { return m_channelCount; }
    uint32_t GetLoopStart() const override { return m_loopStart; }
    uint32_t GetLength() const override { return m_length; }
    uint32_t Read(int16_t* dest, uint32_t from, uint32_t to) override;
    const int16_t* GetFrames(uint32_t from, uint32_t to) override;

private:
    uint32_t m_sampleRate;
    uint32_t m_channelCount;
    uint32_t m_loopStart;
    uint32_t m_length;
    std::vector<int16_t> m_samples;
};

}  // namespace Varnok
