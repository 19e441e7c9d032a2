// SamplePlayer and SampleCursor: reading frames, looping and mixing pieces.
#include "engine/audio/SamplePlayer.h"

#include "engine/audio/AudioMixer.h"
#include "engine/audio/internal/MixKernel.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace Varnok {

namespace {

constexpr double kRate = 44100.0;

bool IsExactUnity(float pitch, float slide) {
    return pitch == 1.0f && slide == 0.0f;
}

double ClampPitch(double pitch) {
    return pitch > 0.0 ? std::min(pitch, static_cast<double>(kMaxMixPitch)) : 0.0;
}

}  // namespace

SamplePlayer::SamplePlayer(SmartPtr<AudioSampleSource> sample, const char* name)
    : m_sample(std::move(sample)), m_loopStart(m_sample->GetLoopStart()), m_name(name) {}

VoiceCursor* SamplePlayer::CreateCursor() {
    return new SampleCursor(*this);
}

void SamplePlayer::DestroyCursor(VoiceCursor* cursor) {
    delete cursor;
}

bool SampleCursor::Advance(uint32_t frames) {
    const uint64_t length = m_player.GetSample().GetLength();
    const uint64_t loopStart = m_player.GetLoopStart();
    uint64_t position = static_cast<uint64_t>(m_position) + frames;
    if (loopStart < length && position >= length) {
        position = loopStart + (position - length) % (length - loopStart);
    }
    m_position = static_cast<uint32_t>(std::min<uint64_t>(position, length));
    return m_position < length;
}

uint32_t SampleCursor::SourceFramesFor(uint32_t outputFrames, float pitch, float pitchSlide) {
    if (IsExactUnity(pitch, pitchSlide)) {
        return outputFrames;
    }
    // The larger of the pitches at the two ends, so that a falling pitch is
    // not under-estimated either.
    const double start = ClampPitch(pitch);
    const double end = ClampPitch(pitch + pitchSlide * outputFrames / kRate);
    const double frames = outputFrames * std::max(start, end) + 1.0;
    return static_cast<uint32_t>(std::min(frames, 4294967295.0));
}

uint32_t SampleCursor::OutputFramesFor(uint32_t sourceFrames, float pitch, float pitchSlide) {
    if (IsExactUnity(pitch, pitchSlide)) {
        return sourceFrames;
    }
    const double m = static_cast<double>(sourceFrames) - 1.0;
    double frames = 0.0;
    if (pitchSlide == 0.0f) {
        const double p = ClampPitch(pitch);
        frames = p > 0.0 ? m / p : INFINITY;
    } else {
        // The positive root x of (slide / rate) x^2 + pitch x = m, plus one.
        const double p = ClampPitch(pitch);
        const double discriminant = kRate * kRate * p * p + 4.0 * kRate * pitchSlide * m;
        frames = discriminant >= 0.0
                     ? std::fabs((std::sqrt(discriminant) - kRate * p) / (2.0 * pitchSlide)) + 1.0
                     : (p > 0.0 ? m / p : INFINITY);
    }
    if (!(frames >= 1.0)) {
        return 1;
    }
    return static_cast<uint32_t>(std::min(frames, 4294967295.0));
}

void SampleCursor::Mix(AudioMixer& target, const VoiceSegment& segment) {
    AudioSampleSource& sample = m_player.GetSample();
    const uint64_t length = sample.GetLength();
    const uint64_t loopStart = m_player.GetLoopStart();
    const bool looping = loopStart < length;
    const uint32_t channels = std::max(sample.GetChannelCount(), 1u);

    uint64_t position = static_cast<uint64_t>(m_position) + segment.sourceOffset;
    uint32_t outFrame = segment.firstFrame;
    uint32_t remaining = segment.frameCount;
    float volume = segment.volume;
    float pitch = segment.pitch;
    while (remaining > 0) {
        if (position >= length) {
            if (!looping) {
                return;
            }
            position = loopStart + (position - length) % (length - loopStart);
        }
        const uint32_t available = static_cast<uint32_t>(length - position);
        const uint32_t needed = SourceFramesFor(remaining, pitch, segment.pitchSlide);
        uint32_t sourceFrames = needed;
        uint32_t frames = remaining;
        const bool reachesEnd = needed > available;
        if (reachesEnd) {
            sourceFrames = available;
            frames = std::min(OutputFramesFor(available, pitch, segment.pitchSlide), remaining);
        }
        const uint32_t from = static_cast<uint32_t>(position);
        const int16_t* data = sample.GetFrames(from, from + sourceFrames);
        if (data == nullptr) {
            return;
        }
        MixSpan span;
        span.firstFrame = outFrame;
        span.frameCount = frames;
        span.stride = channels;
        span.sourceFrames = sourceFrames;
        span.pitch = pitch;
        span.pitchSlide = segment.pitchSlide;
        if (channels == 1) {
            target.MixMono(span, data, volume, segment.volumeSlide);
        } else {
            // Channels past the second are not played: the game's sounds
            // have one or two.
            target.MixPanned(span, data, SamplePlayer::kLeftPan, volume, segment.volumeSlide);
            target.MixPanned(span, data + 1, SamplePlayer::kRightPan, volume,
                             segment.volumeSlide);
        }
        sample.ReleaseFrames(data);

        outFrame += frames;
        remaining -= frames;
        volume += segment.volumeSlide * static_cast<float>(frames / kRate);
        pitch += segment.pitchSlide * static_cast<float>(frames / kRate);
        if (!reachesEnd) {
            break;
        }
        if (!looping) {
            return;
        }
        position = loopStart;
    }
}

}  // namespace Varnok
