// DecodedSample: decoding a source whole, then copies and pointers into it.
#include "engine/audio/DecodedSample.h"

#include "engine/core/Log.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace Varnok {

namespace {

// Frames read per call while decoding; the buffer grows only as data arrives,
// so a damaged header that announces hours of sound costs nothing.
constexpr uint32_t kDecodeBlockFrames = 32768;

}  // namespace

DecodedSample::DecodedSample(uint32_t sampleRate, uint32_t channelCount, uint32_t loopStart,
                             std::vector<int16_t> samples)
    : m_sampleRate(sampleRate),
      m_channelCount(channelCount == 0 ? 1 : channelCount),
      m_loopStart(loopStart),
      m_samples(std::move(samples)) {
    m_length = static_cast<uint32_t>(
        std::min<size_t>(m_samples.size() / m_channelCount, kMaxFrames));
    m_samples.resize(static_cast<size_t>(m_length) * m_channelCount);
}

SmartPtr<DecodedSample> DecodedSample::Decode(AudioSampleSource& source, const char* what) {
    const uint32_t channels = std::max(source.GetChannelCount(), 1u);
    const uint32_t announced = source.GetLength();
    uint32_t wanted = announced;
    if (wanted > kMaxFrames) {
        Log("DecodedSample: \"%s\" is %u frames long, keeping the first %u", what, wanted,
            kMaxFrames);
        wanted = kMaxFrames;
    }
    std::vector<int16_t> samples;
    uint32_t frames = 0;
    while (frames < wanted) {
        const uint32_t block = std::min(kDecodeBlockFrames, wanted - frames);
        samples.resize(static_cast<size_t>(frames + block) * channels);
        const uint32_t got = source.Read(samples.data() + static_cast<size_t>(frames) * channels,
                                         frames, frames + block);
        frames += std::min(got, block);
        if (got < block) {
            Log("DecodedSample: \"%s\" ended after %u of %u frames", what, frames, announced);
            break;
        }
    }
    samples.resize(static_cast<size_t>(frames) * channels);
    samples.shrink_to_fit();
    return SmartPtr<DecodedSample>(new DecodedSample(source.GetSampleRate(), channels,
                                                     source.GetLoopStart(), std::move(samples)));
}

uint32_t DecodedSample::Read(int16_t* dest, uint32_t from, uint32_t to) {
    from = std::min(from, m_length);
    to = std::min(to, m_length);
    if (from >= to) {
        return 0;
    }
    std::memcpy(dest, m_samples.data() + static_cast<size_t>(from) * m_channelCount,
                static_cast<size_t>(to - from) * m_channelCount * sizeof(int16_t));
    return to - from;
}

const int16_t* DecodedSample::GetFrames(uint32_t from, uint32_t /*to*/) {
    if (m_samples.empty()) {
        return nullptr;
    }
    from = std::min(from, m_length);
    return m_samples.data() + static_cast<size_t>(from) * m_channelCount;
}

}  // namespace Varnok
