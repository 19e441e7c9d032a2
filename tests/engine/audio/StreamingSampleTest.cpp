// The streamed sample's sliding window: it reads only the frames it lacks.
#include "engine/audio/StreamingSample.h"

#include "AudioTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace Varnok {
namespace {

// Frames hold their own index; every read is counted.
class CountingSource : public AudioSampleSource {
public:
    uint32_t GetSampleRate() const override { return 44100; }
    uint32_t GetChannelCount() const override { return 2; }
    uint32_t GetLoopStart() const override { return 100; }
    uint32_t GetLength() const override { return 10000; }
    uint32_t Read(int16_t* dest, uint32_t from, uint32_t to) override {
        to = std::min(to, GetLength());
        framesRead += to > from ? to - from : 0;
        for (uint32_t f = from; f < to; ++f) {
            *dest++ = static_cast<int16_t>(f);
            *dest++ = static_cast<int16_t>(-static_cast<int>(f));
        }
        return to > from ? to - from : 0;
    }
    uint32_t framesRead = 0;
};

void ExpectFrames(const int16_t* frames, uint32_t from, uint32_t to) {
    for (uint32_t f = from; f < to; ++f) {
        ASSERT_EQ(frames[2 * (f - from)], static_cast<int16_t>(f)) << f;
        ASSERT_EQ(frames[2 * (f - from) + 1], static_cast<int16_t>(-static_cast<int>(f))) << f;
    }
}

TEST(StreamingSample, ReadsOnlyTheFramesItLacks) {
    CountingSource* counting = new CountingSource;
    SmartPtr<AudioSampleSource> source(counting);
    StreamingSample stream(source);
    EXPECT_EQ(stream.GetLoopStart(), 100u);

    const struct {
        const char* what;
        uint32_t from, to;
        uint32_t newReads;
    } steps[] = {
        {"first window", 0, 1000, 1000},
        {"inside it", 200, 700, 0},
        {"on past its end", 500, 1500, 500},
        {"back before its start", 300, 900, 200},
        {"larger than the buffer: read afresh", 100, 1600, 1500},
        {"just before it", 50, 1550, 50},
        {"nowhere near", 5000, 5500, 500},
        {"around it", 4900, 5600, 100 + 100},
        {"over the sample's end", 9800, 10300, 200},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        const uint32_t before = counting->framesRead;
        const int16_t* frames = stream.GetFrames(s.from, s.to);
        EXPECT_EQ(counting->framesRead - before, s.newReads);
        ExpectFrames(frames, s.from, std::min(s.to, 10000u));
    }
}

}  // namespace
}  // namespace Varnok
