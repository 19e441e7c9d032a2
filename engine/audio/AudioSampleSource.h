// The interface every playable sample shares: interleaved 16-bit frames at a
// rate, with an optional loop point. Decoders, converters and the in-memory
// and streamed samples all implement it.
#pragma once

#include "engine/core/ReferenceCounter.h"

#include <cstdint>

namespace Varnok {

class AudioSampleSource : public ReferenceCounter {
public:
    // Loop start of a sample that does not loop.
    static constexpr uint32_t kNoLoop = 0xFFFFFFFFu;

    ~AudioSampleSource() override = default;

    virtual uint32_t GetSampleRate() const = 0;
    virtual uint32_t GetChannelCount() const = 0;
    // Frame where a loop restarts; kNoLoop when the sample does not loop.
    virtual uint32_t GetLoopStart() const = 0;
    virtual uint32_t GetLength() const = 0;  // frames

    // Copies frames [min(from, length), min(to, length)) into dest, which
    // holds that many frames. Returns the frames actually produced: fewer
    // when the data ends early (the rest of dest is then unspecified).
    virtual uint32_t Read(int16_t* dest, uint32_t from, uint32_t to) = 0;

    // Prepares a window of that many frames; only streamed samples need it.
    virtual void Reserve(uint32_t /*frames*/) {}
    // Interleaved frames from `from` on, valid until the next call; the range
    // must lie in the sample. Null from sources that cannot hand out frames
    // (the decoder and the converter, which are only read through Read).
    virtual const int16_t* GetFrames(uint32_t /*from*/, uint32_t /*to*/) { return nullptr; }
    virtual void ReleaseFrames(const int16_t* /*frames*/) {}
};

}  // namespace Varnok
