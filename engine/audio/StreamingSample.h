// A sample read from its source a window at a time: how music plays, so that
// a track is decoded while it plays instead of held whole.
#pragma once

#include "engine/audio/AudioSampleSource.h"
#include "engine/core/SmartPtr.h"

#include <vector>

namespace Varnok {

class StreamingSample : public AudioSampleSource {
public:
    // Requires: source not null.
    explicit StreamingSample(SmartPtr<AudioSampleSource> source);

    uint32_t GetSampleRate() const override { return m_source->GetSampleRate(); }
    uint32_t GetChannelCount() const override { return m_channels; }
    uint32_t GetLoopStart() const override { return m_source->GetLoopStart(); }
    uint32_t GetLength() const override { return m_length; }
    uint32_t Read(int16_t* dest, uint32_t from, uint32_t to) override;
    // A capacity below `frames` is replaced, emptying the window.
    void Reserve(uint32_t frames) override;
    // Keeps the frames of the window that the new range shares with it and
    // reads only the rest.
    const int16_t* GetFrames(uint32_t from, uint32_t to) override;

private:
    // Reads source frames [from, to) into the buffer at `offset` frames;
    // what the source does not deliver is silent.
    void Fill(uint32_t offset, uint32_t from, uint32_t to);

    SmartPtr<AudioSampleSource> m_source;
    uint32_t m_channels;
    uint32_t m_length;
    std::vector<int16_t> m_buffer;
    uint32_t m_capacity = 0;  // frames
    uint32_t m_windowStart = 0;
    uint32_t m_windowEnd = 0;
};

}  // namespace Varnok
