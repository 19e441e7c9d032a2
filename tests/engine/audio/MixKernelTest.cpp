// The SIMD mixing kernel against the portable one: every output sample of
// random pieces, and of random voices mixed buffer by buffer, must be equal.
#include "engine/audio/internal/MixKernel.h"

#include "engine/audio/AudioMixer.h"
#include "engine/audio/AudioVoice.h"
#include "engine/audio/DecodedSample.h"
#include "engine/audio/SamplePlayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace Varnok {
namespace {

#if defined(VARNOK_MIX_KERNEL_SSE2)

using Rng = std::mt19937;

template <class T>
T Pick(Rng& rng, const std::vector<T>& choices) {
    return choices[std::uniform_int_distribution<size_t>(0, choices.size() - 1)(rng)];
}

float Uniform(Rng& rng, float low, float high) {
    return std::uniform_real_distribution<float>(low, high)(rng);
}

uint32_t Below(Rng& rng, uint32_t n) {
    return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng);
}

// Full-range noise with the extremes over-represented, so that products and
// sums saturate.
std::vector<int16_t> Noise(Rng& rng, size_t count) {
    std::vector<int16_t> samples(count);
    for (int16_t& s : samples) {
        switch (Below(rng, 8)) {
            case 0: s = -32768; break;
            case 1: s = 32767; break;
            default: s = static_cast<int16_t>(Below(rng, 65536) - 32768); break;
        }
    }
    return samples;
}

// Volumes around every boundary of the fixed-point paths: silence, the 16-bit
// half and unit points, the cap at 16, and what the cap and NaN take away.
float RandomVolume(Rng& rng) {
    const std::vector<float> edges = {
        0.0f,        1.0f / 65536,  1.5f / 65536, 0.2f,        0.49999f,   0.5f,
        0.50001f,    0.99998f,      0.99999994f,  1.0f,        1.0000001f, 1.00002f,
        1.5f,        1.99999f,      2.0f,         7.77f,       15.9999f,   16.0f,
        17.0f,       -0.5f,         std::numeric_limits<float>::quiet_NaN(),
        std::numeric_limits<float>::infinity()};
    return Below(rng, 3) == 0 ? Uniform(rng, 0.0f, 3.0f) : Pick(rng, edges);
}

// Pitches at the clamp limits (0 and 112), at the unity window's edges, and
// spread between.
float RandomPitch(Rng& rng) {
    const std::vector<float> edges = {
        0.0f,    -1.0f,   1e-7f,   0.25f,   0.43f,   0.5f,   0.57f,   0.8f,    0.99989f,
        0.9999f, 1.0f,    1.0001f, 1.00011f, 1.42f,  1.5714f, 1.58f,  2.0f,    3.3f,
        36.0f,   111.99f, 112.0f,  500.0f,  std::numeric_limits<float>::quiet_NaN()};
    return Below(rng, 2) == 0 ? Uniform(rng, 0.3f, 2.5f) : Pick(rng, edges);
}

float RandomSlide(Rng& rng, float scale) {
    return Below(rng, 3) == 0 ? Uniform(rng, -scale, scale) : 0.0f;
}

TEST(MixKernel, SimdPiecesAddExactlyWhatTheScalarKernelAdds) {
    Rng rng(20261211);
    const std::vector<uint32_t> lengths = {0, 1, 2, 3, 7, 8, 9, 15, 16, 17, 31, 33, 100, 1763, 1764};
    for (int round = 0; round < 6000; ++round) {
        SCOPED_TRACE(round);
        MixKernelArgs a;
        a.frames = Below(rng, 2) == 0 ? Pick(rng, lengths) : Below(rng, 2000);
        a.destStride = Below(rng, 4) == 0 ? 2 : 1;
        a.sourceStride = Below(rng, 4) == 0 ? 2 : 1;
        a.sourceFrames = Below(rng, 2) == 0 ? 1 + Below(rng, 20) : 1 + Below(rng, 3000);
        a.volume = RandomVolume(rng);
        a.volumeSlide = RandomSlide(rng, Below(rng, 2) == 0 ? 2.0f : 2000.0f);
        a.pitch = RandomPitch(rng);
        a.pitchSlide = RandomSlide(rng, 50.0f);

        // Exactly as long as the contract lets the kernels read and write, so
        // that the address sanitizer catches a step past either end.
        const std::vector<int16_t> source = Noise(rng, size_t{a.sourceFrames} * a.sourceStride);
        std::vector<int16_t> scalar =
            Noise(rng, a.frames == 0 ? 1 : size_t{a.frames - 1} * a.destStride + 1);
        std::vector<int16_t> simd = scalar;
        a.source = source.data();

        a.dest = scalar.data();
        MixKernelScalar(a);
        a.dest = simd.data();
        MixKernelSse2(a);
        ASSERT_EQ(scalar, simd) << "frames " << a.frames << " strides " << a.destStride << "/"
                                << a.sourceStride << " sourceFrames " << a.sourceFrames
                                << " volume " << a.volume << " slide " << a.volumeSlide
                                << " pitch " << a.pitch << " slide " << a.pitchSlide;
    }
}

// A mixing target that runs every piece a voice hands it through both
// kernels, each into buffers of its own laid out as AudioMixer's.
class TwinMixer : public AudioMixer {
public:
    TwinMixer(uint32_t capacity, const float* speakers) {
        SetChannelAngles(2, speakers);
        for (int k = 0; k < 2; ++k) {
            m_mono[k].assign(capacity, 0);
            m_channels[k].assign(2 * capacity, 0);
        }
    }

    void Begin(uint32_t frames) {
        SetFrameCount(frames);
        for (int k = 0; k < 2; ++k) {
            std::fill(m_mono[k].begin(), m_mono[k].end(), int16_t{0});
            std::fill(m_channels[k].begin(), m_channels[k].end(), int16_t{0});
        }
    }

    void MixMono(const MixSpan& span, const int16_t* source, float volume,
                 float volumeSlide) override {
        if (span.firstFrame >= GetFrameCount()) {
            return;
        }
        for (int k = 0; k < 2; ++k) {
            MixKernelArgs args = ArgsFor(span);
            args.dest = m_mono[k].data() + span.firstFrame;
            args.source = source;
            args.volume = volume;
            args.volumeSlide = volumeSlide;
            Run(k, args);
        }
    }

    void MixChannels(const MixSpan& span, const int16_t* const* sources, const float* volumes,
                     const float* volumeSlides) override {
        if (span.firstFrame >= GetFrameCount()) {
            return;
        }
        for (int k = 0; k < 2; ++k) {
            for (uint32_t c = 0; c < 2; ++c) {
                MixKernelArgs args = ArgsFor(span);
                args.dest = m_channels[k].data() + size_t{span.firstFrame} * 2 + c;
                args.destStride = 2;
                args.source = sources[c];
                args.volume = volumes[c];
                args.volumeSlide = volumeSlides[c];
                Run(k, args);
            }
        }
    }

    // kernel: 0 scalar, 1 SIMD.
    const std::vector<int16_t>& Mono(int kernel) const { return m_mono[kernel]; }
    const std::vector<int16_t>& Channels(int kernel) const { return m_channels[kernel]; }
    int Pieces() const { return m_pieces; }

private:
    MixKernelArgs ArgsFor(const MixSpan& span) const {
        MixKernelArgs args;
        args.frames = std::min(span.frameCount, GetFrameCount() - span.firstFrame);
        args.sourceStride = span.stride;
        args.sourceFrames = span.sourceFrames;
        args.pitch = span.pitch;
        args.pitchSlide = span.pitchSlide;
        return args;
    }

    void Run(int kernel, const MixKernelArgs& args) {
        if (kernel == 0) {
            MixKernelScalar(args);
            ++m_pieces;
        } else {
            MixKernelSse2(args);
        }
    }

    std::vector<int16_t> m_mono[2];
    std::vector<int16_t> m_channels[2];
    int m_pieces = 0;
};

TEST(MixKernel, RandomVoicesMixBufferByBufferTheSameThroughBothKernels) {
    Rng rng(44100);
    const std::vector<uint32_t> bufferLengths = {1, 2, 3, 5, 8, 13, 64, 441, 1001, 1764};
    int pieces = 0;
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        // Speakers anywhere around the listener: the pans' gains vary.
        const float speakers[2] = {Uniform(rng, -3.14f, 3.14f), Uniform(rng, -3.14f, 3.14f)};
        TwinMixer mixer(1764, speakers);
        std::vector<SmartPtr<AudioVoice>> voices;
        for (int v = 0; v < 6; ++v) {
            const uint32_t channels = Below(rng, 3) == 0 ? 2 : 1;
            const uint32_t length = Below(rng, 2) == 0 ? 1 + Below(rng, 40) : 1 + Below(rng, 6000);
            // Loop points anywhere in the sample, or none.
            const uint32_t loopStart =
                Below(rng, 4) == 0 ? AudioSampleSource::kNoLoop : Below(rng, length);
            SmartPtr<AudioSampleSource> sample(
                new DecodedSample(44100, channels, loopStart, Noise(rng, size_t{length} * channels)));
            SmartPtr<AudioVoice> voice(
                new AudioVoice(SmartPtr<VoiceSource>(new SamplePlayer(sample, "twin"))));
            if (Below(rng, 3) == 0) {
                voice->RampVolumeFromTo(RandomVolume(rng), RandomVolume(rng), Uniform(rng, 0.0f, 0.1f));
            } else {
                voice->SetVolume(RandomVolume(rng));
            }
            voice->SetPitch(Below(rng, 4) == 0 ? Uniform(rng, -8.0f, 8.0f) : Uniform(rng, -1.0f, 1.0f));
            voices.push_back(voice);
        }
        uint32_t last = 0;
        for (int buffer = 0; buffer < 12; ++buffer) {
            const uint32_t frames = Pick(rng, bufferLengths);
            mixer.Begin(frames);
            for (const SmartPtr<AudioVoice>& voice : voices) {
                voice->Advance(last);
                voice->SyncParameters();
                voice->Mix(mixer, 0, frames);
            }
            last = frames;
            ASSERT_EQ(mixer.Mono(0), mixer.Mono(1)) << "buffer " << buffer;
            ASSERT_EQ(mixer.Channels(0), mixer.Channels(1)) << "buffer " << buffer;
        }
        pieces += mixer.Pieces();
    }
    EXPECT_GT(pieces, 1000);  // the voices really mixed
}

#endif

TEST(MixKernel, MonoJoinsEveryChannelWithSaturation) {
    std::mt19937 rng(1764);
    for (uint32_t channels : {1u, 2u, 3u}) {
        for (uint32_t frames : {0u, 1u, 7u, 8u, 9u, 17u, 1764u}) {
            SCOPED_TRACE(testing::Message() << channels << " channels, " << frames << " frames");
            std::vector<int16_t> mono(frames);
            std::vector<int16_t> interleaved(size_t{frames} * channels);
            for (int16_t& s : mono) {
                s = static_cast<int16_t>(rng() % 65536 - 32768);
            }
            for (int16_t& s : interleaved) {
                s = static_cast<int16_t>(rng() % 65536 - 32768);
            }
            std::vector<int16_t> expected = interleaved;
            for (size_t i = 0; i < expected.size(); ++i) {
                expected[i] = static_cast<int16_t>(
                    std::clamp(expected[i] + mono[i / channels], -32768, 32767));
            }
            AddMonoToFrames(interleaved.data(), channels, mono.data(), frames);
            EXPECT_EQ(interleaved, expected);
        }
    }
}

#if !defined(VARNOK_MIX_KERNEL_SSE2)

TEST(MixKernel, SimdPiecesAddExactlyWhatTheScalarKernelAdds) {
    GTEST_SKIP() << "this target mixes with the scalar kernel only";
}

#endif

}  // namespace
}  // namespace Varnok
