// Rate conversion and down-mixing, over PCM made in memory so that every
// output sample can be checked exactly.
#include "engine/audio/OggVorbisSample.h"
#include "engine/audio/PcmConverter.h"

#include "AudioTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace Varnok {
namespace {

using test::MakeMono;
using test::MakeStereo;

std::vector<int16_t> ReadRange(AudioSampleSource& source, uint32_t from, uint32_t to) {
    const uint32_t end = std::min(to, source.GetLength());
    std::vector<int16_t> out(static_cast<size_t>(end > from ? end - from : 0) *
                                 source.GetChannelCount(),
                             0);
    out.resize(static_cast<size_t>(source.Read(out.data(), from, to)) * source.GetChannelCount());
    return out;
}

// Source values that differ at every frame, with both signs.
std::vector<int16_t> Zigzag(uint32_t frames) {
    std::vector<int16_t> samples(frames);
    for (uint32_t i = 0; i < frames; ++i) {
        samples[i] = static_cast<int16_t>((i * 37) % 2000 - 1000);
    }
    return samples;
}

TEST(PcmConverter, Upsampling22050PlacesEverySecondFrameOnASourceFrame) {
    const std::vector<int16_t> source = Zigzag(5000);
    PcmConverter converter(MakeMono(source, 22050, 500), 44100, false);
    EXPECT_EQ(converter.GetLength(), 10000u);
    EXPECT_EQ(converter.GetLoopStart(), 1000u);
    EXPECT_EQ(converter.GetSampleRate(), 44100u);

    const std::vector<int16_t> out = ReadRange(converter, 0, AudioSampleSource::kNoLoop);
    ASSERT_EQ(out.size(), 10000u);
    for (uint32_t k = 0; k < 10000; ++k) {
        const int a = source[k / 2];
        if (k % 2 == 0) {
            ASSERT_EQ(out[k], a) << k;
        } else {
            // Halfway to the next source frame; the last one holds.
            const int b = k / 2 + 1 < source.size() ? source[k / 2 + 1] : a;
            ASSERT_EQ(out[k], a + (((b - a) * 32768) >> 16)) << k;
        }
    }
}

TEST(PcmConverter, PiecewiseReadsMatchOneWholeRead) {
    // Odd rates, so that passes and pieces start at every phase.
    const struct {
        uint32_t sourceRate;
        uint32_t channels;
        bool mono;
    } cases[] = {
        {22050, 1, false}, {32000, 2, false}, {32000, 2, true},
        {48000, 2, false}, {96000, 1, false}, {44100, 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sourceRate << " Hz, " << c.channels << " ch, mono "
                                        << c.mono);
        std::vector<int16_t> samples = Zigzag(20000 * c.channels);
        SmartPtr<DecodedSample> source(
            new DecodedSample(c.sourceRate, c.channels, AudioSampleSource::kNoLoop, samples));
        PcmConverter whole(source, 44100, c.mono);
        PcmConverter pieces(source, 44100, c.mono);
        const std::vector<int16_t> expected = ReadRange(whole, 0, whole.GetLength());
        ASSERT_EQ(expected.size(),
                  static_cast<size_t>(whole.GetLength()) * whole.GetChannelCount());
        std::vector<int16_t> joined;
        for (uint32_t from = 0; from < pieces.GetLength(); from += 1777) {
            const std::vector<int16_t> part = ReadRange(pieces, from, from + 1777);
            joined.insert(joined.end(), part.begin(), part.end());
        }
        ASSERT_EQ(joined.size(), expected.size());
        for (size_t i = 0; i < joined.size(); ++i) {
            ASSERT_EQ(joined[i], expected[i]) << "sample " << i;
        }
    }
}

TEST(PcmConverter, DownsamplingAveragesRunsOfSourceFrames) {
    // 88200 to 44100: each output frame is the mean of two source frames.
    std::vector<int16_t> source = Zigzag(1000);
    PcmConverter converter(MakeMono(source, 88200), 44100, false);
    ASSERT_EQ(converter.GetLength(), 500u);
    const std::vector<int16_t> out = ReadRange(converter, 0, 500);
    for (uint32_t k = 0; k < 500; ++k) {
        ASSERT_EQ(out[k], (source[2 * k] + source[2 * k + 1]) / 2) << k;
    }
}

TEST(PcmConverter, MonoFlagAveragesLeftAndRight) {
    std::vector<int16_t> stereo;
    const int16_t pairs[][2] = {{100, 300}, {-32768, -32768}, {32767, 32767}, {-5, 2}, {0, 1}};
    for (const auto& p : pairs) {
        stereo.push_back(p[0]);
        stereo.push_back(p[1]);
    }
    PcmConverter converter(MakeStereo(stereo), 44100, true);
    EXPECT_EQ(converter.GetChannelCount(), 1u);
    EXPECT_EQ(ReadRange(converter, 0, 5), (std::vector<int16_t>{200, -32768, 32767, -1, 0}));
}

TEST(PcmConverter, MonoFlagOnADecodedStereoFile) {
    SmartPtr<OggVorbisSample> file(new OggVorbisSample);
    ASSERT_TRUE(file->OpenBytes(test::ReadFixture("stereo44k"), "stereo44k"));
    const std::vector<int16_t> stereo = ReadRange(*file, 0, file->GetLength());
    PcmConverter converter(file, 44100, true);
    const std::vector<int16_t> mono = ReadRange(converter, 0, AudioSampleSource::kNoLoop);
    ASSERT_EQ(mono.size(), 8820u);
    for (size_t i = 0; i < mono.size(); ++i) {
        ASSERT_EQ(mono[i], (stereo[2 * i] + stereo[2 * i + 1]) / 2) << i;
    }
}

TEST(PcmConverter, ConvertsADecodedFileWithItsLoopPoint) {
    SmartPtr<OggVorbisSample> file(new OggVorbisSample);
    ASSERT_TRUE(file->OpenBytes(test::ReadFixture("tone22k_loop500"), "tone22k_loop500"));
    EXPECT_EQ(file->GetLoopStart(), 500u);
    const std::vector<int16_t> source = ReadRange(*file, 0, file->GetLength());
    PcmConverter converter(file, 44100, false);
    EXPECT_EQ(converter.GetLoopStart(), 1000u);
    const std::vector<int16_t> out = ReadRange(converter, 0, AudioSampleSource::kNoLoop);
    ASSERT_EQ(out.size(), 8820u);
    for (size_t k = 0; k < out.size(); k += 2) {
        ASSERT_EQ(out[k], source[k / 2]) << k;
    }
}

TEST(PcmConverter, RefusesRatiosItCannotConvert) {
    // One output frame would need more source frames than a pass holds.
    PcmConverter converter(MakeMono(Zigzag(100000), 44100), 20, false);
    EXPECT_EQ(converter.GetLength(), 0u);
    int16_t out[4] = {};
    EXPECT_EQ(converter.Read(out, 0, 4), 0u);
}

}  // namespace
}  // namespace Varnok
