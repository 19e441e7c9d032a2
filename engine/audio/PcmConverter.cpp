// PcmConverter: rate conversion in passes over a small scratch buffer.
#include "engine/audio/PcmConverter.h"

#include "engine/core/Log.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace Varnok {

namespace {

int16_t Clamp16(int64_t value) {
    return static_cast<int16_t>(std::clamp<int64_t>(value, -32768, 32767));
}

}  // namespace

PcmConverter::PcmConverter(SmartPtr<AudioSampleSource> source, uint32_t targetRate, bool mono)
    : m_source(std::move(source)),
      m_sourceRate(m_source->GetSampleRate()),
      m_targetRate(targetRate),
      m_sourceChannels(m_source->GetChannelCount()),
      m_outChannels(mono ? 1 : m_sourceChannels),
      m_sourceLength(m_source->GetLength()),
      m_length(0),
      m_loopStart(kNoLoop),
      m_mono(mono) {
    // A pass converts at least one output frame from at most 2048 source frames.
    if (m_sourceRate == 0 || m_targetRate == 0 || m_sourceChannels == 0 ||
        static_cast<uint64_t>(m_sourceRate) > static_cast<uint64_t>(m_targetRate) * 2048) {
        Log("PcmConverter: cannot convert %u Hz x %u channels to %u Hz", m_sourceRate,
            m_sourceChannels, m_targetRate);
        m_sourceLength = 0;
        m_outChannels = 1;
        return;
    }
    const uint64_t length = ConvertedLength(m_sourceLength, m_sourceRate, m_targetRate);
    m_length = length < kNoLoop ? static_cast<uint32_t>(length) : kNoLoop - 1;
    const uint32_t loop = m_source->GetLoopStart();
    if (loop != kNoLoop) {
        const uint64_t scaled = ConvertedLength(loop, m_sourceRate, m_targetRate);
        m_loopStart = scaled < kNoLoop ? static_cast<uint32_t>(scaled) : kNoLoop;
    }
    m_scratch.resize(static_cast<size_t>(kScratchFrames + kLookAheadFrames) * m_sourceChannels);
    m_carry.resize(static_cast<size_t>(kLookAheadFrames) * m_sourceChannels);
}

uint64_t PcmConverter::ConvertedLength(uint64_t frames, uint32_t sourceRate, uint32_t targetRate) {
    return sourceRate == 0 ? 0 : frames * targetRate / sourceRate;
}

uint32_t PcmConverter::Read(int16_t* dest, uint32_t from, uint32_t to) {
    from = std::min(from, m_length);
    to = std::min(to, m_length);
    if (from >= to) {
        return 0;
    }
    const uint32_t chunk = static_cast<uint32_t>(static_cast<uint64_t>(m_targetRate) * 2048 /
                                                 m_sourceRate);
    uint32_t produced = 0;
    while (SourcePosition(to) - SourcePosition(from) >= kScratchFrames) {
        const uint32_t end = from + chunk;
        const uint32_t got = ReadPass(dest, from, end);
        produced += got;
        if (got < end - from) {
            return produced;  // the source ended early
        }
        dest += static_cast<size_t>(chunk) * m_outChannels;
        from = end;
    }
    return produced + ReadPass(dest, from, to);
}

uint32_t PcmConverter::ReadPass(int16_t* dest, uint32_t from, uint32_t to) {
    const uint32_t frames = to - from;
    if (m_sourceRate == m_targetRate) {
        if (!m_mono || m_sourceChannels == 1) {
            return m_source->Read(dest, from, to);
        }
        const uint32_t got = FillScratch(from, to);
        MixDownSameRate(dest, frames);
        return got;
    }
    const uint32_t sourceFirst = static_cast<uint32_t>(SourcePosition(from));
    const uint32_t sourceEnd = static_cast<uint32_t>(SourcePosition(to));
    // The last output frame may sit between s(to) and the frame after it.
    const uint32_t readEnd = std::min(sourceEnd + kLookAheadFrames, m_sourceLength);
    const uint32_t got = FillScratch(sourceFirst, readEnd);
    if (m_targetRate > m_sourceRate) {
        Upsample(dest, from, to, sourceFirst, readEnd - sourceFirst);
    } else {
        Downsample(dest, from, to, sourceFirst);
    }
    if (got >= readEnd - sourceFirst) {
        return frames;
    }
    // Output frames that start on a delivered source frame.
    const uint64_t delivered = static_cast<uint64_t>(sourceFirst) + got;
    const uint64_t validEnd = (delivered * m_targetRate + m_sourceRate - 1) / m_sourceRate;
    return validEnd > from ? static_cast<uint32_t>(std::min<uint64_t>(validEnd, to) - from) : 0;
}

uint32_t PcmConverter::FillScratch(uint32_t first, uint32_t end) {
    const uint32_t frames = end - first;
    const size_t channels = m_sourceChannels;
    uint32_t got = 0;
    if (frames > 0 && first >= m_carryFirst && first < m_carryFirst + m_carryCount) {
        const uint32_t kept = std::min(m_carryFirst + m_carryCount - first, frames);
        std::memcpy(m_scratch.data(), m_carry.data() + (first - m_carryFirst) * channels,
                    kept * channels * sizeof(int16_t));
        got = kept;
        if (kept < frames) {
            got += m_source->Read(m_scratch.data() + kept * channels, first + kept, end);
        }
    } else if (frames > 0) {
        got = m_source->Read(m_scratch.data(), first, end);
    }
    got = std::min(got, frames);
    std::fill(m_scratch.begin() + static_cast<ptrdiff_t>(got * channels),
              m_scratch.begin() + static_cast<ptrdiff_t>(frames * channels), 0);
    m_carryCount = 0;
    if (got == frames && frames > 0) {
        m_carryCount = std::min(frames, kLookAheadFrames);
        m_carryFirst = end - m_carryCount;
        std::memcpy(m_carry.data(), m_scratch.data() + (frames - m_carryCount) * channels,
                    m_carryCount * channels * sizeof(int16_t));
    }
    return got;
}

void PcmConverter::MixDownSameRate(int16_t* dest, uint32_t frames) const {
    const int16_t* in = m_scratch.data();
    for (uint32_t i = 0; i < frames; ++i) {
        int64_t sum = 0;
        for (uint32_t c = 0; c < m_sourceChannels; ++c) {
            sum += *in++;
        }
        dest[i] = Clamp16(sum / static_cast<int64_t>(m_sourceChannels));
    }
}

void PcmConverter::Upsample(int16_t* dest, uint32_t from, uint32_t to, uint32_t sourceFirst,
                            uint32_t scratchFrames) const {
    const uint64_t s = m_sourceRate;
    const uint64_t t = m_targetRate;
    const uint32_t channels = m_sourceChannels;
    // Exact source position of output frame k: k * S / T with remainder; the
    // 16-bit phase is the remainder scaled, so it is 0 exactly where an output
    // frame falls on a source frame.
    uint64_t index = static_cast<uint64_t>(from) * s / t - sourceFirst;
    uint64_t remainder = static_cast<uint64_t>(from) * s % t;
    for (uint32_t k = from; k < to; ++k) {
        const int64_t phase = static_cast<int64_t>(remainder * 65536 / t);
        const int16_t* current = &m_scratch[index * channels];
        const int16_t* next = index + 1 < scratchFrames ? current + channels : current;
        if (m_mono) {
            int64_t a = 0;
            int64_t b = 0;
            for (uint32_t c = 0; c < channels; ++c) {
                a += current[c];
                b += next[c];
            }
            a /= channels;
            b /= channels;
            *dest++ = Clamp16(a + (((b - a) * phase) >> 16));
        } else {
            for (uint32_t c = 0; c < channels; ++c) {
                const int64_t a = current[c];
                const int64_t b = next[c];
                *dest++ = Clamp16(a + (((b - a) * phase) >> 16));
            }
        }
        remainder += s;
        while (remainder >= t) {
            remainder -= t;
            ++index;
        }
    }
}

void PcmConverter::Downsample(int16_t* dest, uint32_t from, uint32_t to,
                              uint32_t sourceFirst) const {
    const uint32_t channels = m_sourceChannels;
    // Output frame k averages source frames [s(k), s(k + 1)): D or D + 1 of them.
    uint64_t runStart = SourcePosition(from) - sourceFirst;
    for (uint32_t k = from; k < to; ++k) {
        const uint64_t runEnd = SourcePosition(static_cast<uint64_t>(k) + 1) - sourceFirst;
        const int64_t run = static_cast<int64_t>(runEnd - runStart);
        const int16_t* in = &m_scratch[runStart * channels];
        if (m_mono) {
            int64_t sum = 0;
            for (int64_t i = 0; i < run * channels; ++i) {
                sum += in[i];
            }
            *dest++ = Clamp16(sum / (run * channels));
        } else {
            for (uint32_t c = 0; c < channels; ++c) {
                int64_t sum = 0;
                for (int64_t i = 0; i < run; ++i) {
                    sum += in[i * channels + c];
                }
                *dest++ = Clamp16(sum / run);
            }
        }
        runStart = runEnd;
    }
}

}  // namespace Varnok
