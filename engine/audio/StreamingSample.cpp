// StreamingSample: the sliding window over a converted source.
#include "engine/audio/StreamingSample.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace Varnok {

StreamingSample::StreamingSample(SmartPtr<AudioSampleSource> source)
    : m_source(std::move(source)),
      m_channels(std::max(m_source->GetChannelCount(), 1u)),
      m_length(m_source->GetLength()) {}

uint32_t StreamingSample::Read(int16_t* dest, uint32_t from, uint32_t to) {
    return m_source->Read(dest, from, to);
}

void StreamingSample::Reserve(uint32_t frames) {
    if (m_capacity >= frames) {
        return;
    }
    m_buffer.assign(static_cast<size_t>(frames) * m_channels, 0);
    m_capacity = frames;
    m_windowStart = 0;
    m_windowEnd = 0;
}

void StreamingSample::Fill(uint32_t offset, uint32_t from, uint32_t to) {
    if (from >= to) {
        return;
    }
    int16_t* dest = m_buffer.data() + static_cast<size_t>(offset) * m_channels;
    const uint32_t got = std::min(m_source->Read(dest, from, to), to - from);
    std::fill(dest + static_cast<size_t>(got) * m_channels,
              dest + static_cast<size_t>(to - from) * m_channels, 0);
}

const int16_t* StreamingSample::GetFrames(uint32_t from, uint32_t to) {
    from = std::min(from, m_length);
    to = std::min(to, m_length);
    if (to < from) {
        to = from;
    }
    if (from >= m_windowStart && to <= m_windowEnd && m_windowStart < m_windowEnd) {
        return m_buffer.data() + static_cast<size_t>(from - m_windowStart) * m_channels;
    }
    Reserve(to - from);
    if (m_buffer.empty()) {
        m_buffer.assign(m_channels, 0);  // a pointer to hand out for an empty range
    }
    const size_t channels = m_channels;
    if (from >= m_windowStart && from < m_windowEnd) {
        // The window's tail becomes the new head.
        const uint32_t kept = m_windowEnd - from;
        std::memmove(m_buffer.data(), m_buffer.data() + (from - m_windowStart) * channels,
                     kept * channels * sizeof(int16_t));
        Fill(kept, m_windowEnd, to);
    } else if (m_windowStart > from && m_windowStart < to) {
        // The window's head moves up to its place; only the frames before it are read.
        const uint32_t offset = m_windowStart - from;
        const uint32_t kept = std::min(m_windowEnd, to) - m_windowStart;
        std::memmove(m_buffer.data() + offset * channels, m_buffer.data(),
                     kept * channels * sizeof(int16_t));
        Fill(0, from, m_windowStart);
        Fill(offset + kept, m_windowStart + kept, to);
    } else {
        Fill(0, from, to);
    }
    m_windowStart = from;
    m_windowEnd = to;
    return m_buffer.data();
}

}  // namespace Varnok
