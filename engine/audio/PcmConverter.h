// Converts a sample's frames to another rate (linear interpolation up,
// averaging down) and, on request, to one channel.
#pragma once

#include "engine/audio/AudioSampleSource.h"
#include "engine/core/SmartPtr.h"

#include <vector>

namespace Varnok {

class PcmConverter : public AudioSampleSource {
public:
    // A pass converts output frames from fewer source frames than this...
    static constexpr uint32_t kScratchFrames = 2049;
    // ...plus the frame after them, towards which the last output frames
    // interpolate.
    static constexpr uint32_t kLookAheadFrames = 2;

    // Requires: source not null with a rate and at least one channel, and a
    // converted length below kNoLoop (OpenSample checks both).
    PcmConverter(SmartPtr<AudioSampleSource> source, uint32_t targetRate, bool mono);

    uint32_t GetSampleRate() const override { return m_targetRate; }
    uint32_t GetChannelCount() const override { return m_outChannels; }
    uint32_t GetLoopStart() const override { return m_loopStart; }
    uint32_t GetLength() const override { return m_length; }
    // Frames are output frames; the source is read in passes of at most
    // kScratchFrames + kLookAheadFrames frames.
    uint32_t Read(int16_t* dest, uint32_t from, uint32_t to) override;

    // The converted length of `frames` source frames (64-bit, may exceed
    // 32 bits for absurd inputs).
    static uint64_t ConvertedLength(uint64_t frames, uint32_t sourceRate, uint32_t targetRate);

private:
    uint32_t ReadPass(int16_t* dest, uint32_t from, uint32_t to);
    uint64_t SourcePosition(uint64_t outputFrame) const {
        return outputFrame * m_sourceRate / m_targetRate;
    }
    // Source frames [first, end) into the scratch buffer; unread frames are
    // silent. Returns the frames the source delivered.
    uint32_t FillScratch(uint32_t first, uint32_t end);
    void MixDownSameRate(int16_t* dest, uint32_t frames) const;
    void Upsample(int16_t* dest, uint32_t from, uint32_t to, uint32_t sourceFirst,
                  uint32_t scratchFrames) const;
    void Downsample(int16_t* dest, uint32_t from, uint32_t to, uint32_t sourceFirst) const;

    SmartPtr<AudioSampleSource> m_source;
    uint32_t m_sourceRate;
    uint32_t m_targetRate;
    uint32_t m_sourceChannels;
    uint32_t m_outChannels;
    uint32_t m_sourceLength;
    uint32_t m_length;
    uint32_t m_loopStart;
    bool m_mono;
    std::vector<int16_t> m_scratch;  // kScratchFrames + kLookAheadFrames frames
    // The last frames of the previous pass: the next pass starts among them,
    // and copying them spares the decoder a seek back.
    std::vector<int16_t> m_carry;     // kLookAheadFrames x source channels
    uint32_t m_carryFirst = 0;
    uint32_t m_carryCount = 0;
};

}  // namespace Varnok
