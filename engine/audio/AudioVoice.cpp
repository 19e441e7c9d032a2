// AudioVoice: parameter hand-over, advancing and segmented mixing.
#include "engine/audio/AudioVoice.h"

#include "engine/audio/AudioMixer.h"
#include "engine/audio/internal/MixKernel.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace Varnok {

namespace {

constexpr float kRate = 44100.0f;
// A voice this quiet with no ramp is not mixed (it still advances).
constexpr float kSilentVolume = 0.01f;
// A ramp ending this close is finished at once rather than split off.
constexpr double kSnapFrames = 2.0;

bool IsUnity(float pitch) {
    return pitch >= 0.9999f && pitch <= 1.0001f;
}

float ClampPitch(float pitch) {
    return pitch > 0.0f ? std::min(pitch, kMaxMixPitch) : 0.0f;  // NaN gives 0
}

// Output frames until a ramp from `value` at `slide` per second reaches
// `target`; infinity without a slide.
double FramesUntil(float value, float target, float slide) {
    if (slide == 0.0f) {
        return INFINITY;
    }
    const double frames = (static_cast<double>(target) - value) / (slide / kRate);
    return frames > 0.0 ? frames : 0.0;
}

}  // namespace

AudioVoice::AudioVoice(SmartPtr<VoiceSource> source)
    : m_source(std::move(source)), m_cursor(m_source->CreateCursor()) {}

AudioVoice::~AudioVoice() {
    if (m_cursor != nullptr) {
        m_source->DestroyCursor(m_cursor);
    }
}

void AudioVoice::Restart() {
    m_restartRequested.store(true);
}

void AudioVoice::SetVolume(float volume) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_pendingVolume = volume;
    m_pendingVolumeTarget = volume;
    m_pendingVolumeSlide = 0.0f;
    m_volumeChanged = true;
}

void AudioVoice::RampVolumeFromTo(float from, float to, float seconds) {
    if (!(seconds > 0.0f)) {
        SetVolume(to);
        return;
    }
    std::lock_guard<std::mutex> lock(m_lock);
    m_pendingVolume = from;
    m_pendingVolumeTarget = to;
    m_pendingVolumeSlide = (to - from) / seconds;
    m_volumeChanged = true;
}

void AudioVoice::RampVolumeTo(float to, float seconds) {
    if (!(seconds > 0.0f)) {
        SetVolume(to);
        return;
    }
    std::lock_guard<std::mutex> lock(m_lock);
    m_pendingVolume = m_syncedVolume;
    m_pendingVolumeTarget = to;
    m_pendingVolumeSlide = (to - m_syncedVolume) / seconds;
    m_volumeChanged = true;
}

void AudioVoice::SetPitch(float octaves) {
    const float pitch = static_cast<float>(std::pow(2.0, static_cast<double>(octaves)));
    std::lock_guard<std::mutex> lock(m_lock);
    m_pendingPitch = pitch;
    m_pendingPitchTarget = pitch;
    m_pendingPitchSlide = 0.0f;
    m_pitchChanged = true;
}

void AudioVoice::SetPaused(bool paused) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_pendingPaused = paused;
}

bool AudioVoice::IsPaused() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_pendingPaused;
}

float AudioVoice::GetVolume() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_pendingVolume;
}

float AudioVoice::GetPitch() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_pendingPitch;
}

SmartPtr<AudioMixer> AudioVoice::GetOwner() const {
    WeakPtr<AudioMixer> owner;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        owner = m_owner;
    }
    // Locked outside m_lock: dropping the last reference to a mixer here
    // destroys it, and its destructor touches its voices.
    return owner.Lock();
}

bool AudioVoice::IsInLiveMixer() const {
    return GetOwner().Get() != nullptr;
}

void AudioVoice::SetOwner(AudioMixer* mixer) {
    WeakPtr<AudioMixer> previous;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        previous = m_owner;
        m_owner = mixer;
    }
    const AudioMixer* previousIdentity = m_ownerIdentity.exchange(mixer);
    // Joining a new mixer leaves the old one. A mixer that drops the voice
    // (mixer null) removes it from its own lists itself.
    if (mixer != nullptr && previousIdentity != nullptr && previousIdentity != mixer) {
        SmartPtr<AudioMixer> old = previous.Lock();
        if (old) {
            old->RemoveVoice(this);
        }
    }
    m_cursor->TakeOwner(mixer);
    m_queued.store(mixer != nullptr);
}

void AudioVoice::SyncParameters() {
    m_cursor->Sync();
    bool restart = false;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_paused = m_pendingPaused;
        if (m_volumeChanged) {
            m_volumeChanged = false;
            m_volume = m_pendingVolume;
            m_volumeTarget = m_pendingVolumeTarget;
            m_volumeSlide = m_pendingVolumeSlide;
        }
        if (m_pitchChanged) {
            m_pitchChanged = false;
            m_pitch = m_pendingPitch;
            m_pitchTarget = m_pendingPitchTarget;
            m_pitchSlide = m_pendingPitchSlide;
        }
        // The game reads back what now plays.
        m_pendingVolume = m_volume;
        m_pendingVolumeTarget = m_volumeTarget;
        m_pendingVolumeSlide = m_volumeSlide;
        m_pendingPitch = m_pitch;
        m_pendingPitchTarget = m_pitchTarget;
        m_pendingPitchSlide = m_pitchSlide;
        m_syncedVolume = m_volume;
        restart = m_restartRequested.exchange(false);
    }
    if (restart) {
        m_source->DestroyCursor(m_cursor);
        m_cursor = m_source->CreateCursor();
        m_cursor->TakeOwner(m_ownerIdentity.load() != nullptr ? GetOwner().Get() : nullptr);
    }
}

uint32_t AudioVoice::ConsumedFrames(uint32_t frames) const {
    const float pitch = ClampPitch(m_pitch);
    if (m_pitchSlide == 0.0f) {
        if (IsUnity(pitch)) {
            return frames;
        }
        return static_cast<uint32_t>(static_cast<double>(frames) * pitch);
    }
    // The pitch ramps linearly: the frames consumed are the trapezoid under
    // it, up to the ramp's end and flat at the target after it.
    const double rampFrames = FramesUntil(m_pitch, m_pitchTarget, m_pitchSlide);
    const double ramped = std::min<double>(frames, rampFrames);
    const double pitchAfter = ClampPitch(static_cast<float>(m_pitch + m_pitchSlide * ramped / kRate));
    double consumed = (pitch + pitchAfter) / 2.0 * ramped;
    if (ramped < frames) {
        consumed += ClampPitch(m_pitchTarget) * (frames - ramped);
    }
    return static_cast<uint32_t>(std::min(consumed, 4294967295.0));
}

bool AudioVoice::Advance(uint32_t frames) {
    if (frames == 0) {
        return true;
    }
    bool playing = true;
    if (!m_paused) {
        if (m_volumeSlide != 0.0f) {
            m_volume += m_volumeSlide * static_cast<float>(frames) / kRate;
            if ((m_volumeSlide > 0.0f && m_volume >= m_volumeTarget) ||
                (m_volumeSlide < 0.0f && m_volume <= m_volumeTarget)) {
                m_volume = m_volumeTarget;
                m_volumeSlide = 0.0f;
            }
        }
        const uint32_t consumed = ConsumedFrames(frames);
        if (m_pitchSlide != 0.0f) {
            const double rampFrames = FramesUntil(m_pitch, m_pitchTarget, m_pitchSlide);
            if (rampFrames <= frames) {
                m_pitch = m_pitchTarget;
                m_pitchSlide = 0.0f;
            } else {
                m_pitch += m_pitchSlide * static_cast<float>(frames) / kRate;
            }
        }
        if (consumed > 0) {
            playing = m_cursor->Advance(consumed);
        }
    }
    if (m_stopAtSilence.load() && m_volume <= 0.0f) {
        return false;
    }
    return playing;
}

void AudioVoice::Mix(AudioMixer& target, uint32_t firstFrame, uint32_t frameCount) {
    if (frameCount == 0 || m_paused || (m_volume <= kSilentVolume && m_volumeSlide == 0.0f)) {
        return;
    }
    double volumeEnd = FramesUntil(m_volume, m_volumeTarget, m_volumeSlide);
    if (volumeEnd <= kSnapFrames) {
        m_volume = m_volumeTarget;
        m_volumeSlide = 0.0f;
        volumeEnd = INFINITY;
    }
    double pitchEnd = FramesUntil(m_pitch, m_pitchTarget, m_pitchSlide);
    if (pitchEnd <= kSnapFrames) {
        m_pitch = m_pitchTarget;
        m_pitchSlide = 0.0f;
        pitchEnd = INFINITY;
    }

    // Ramps end on the first whole frame at or after their exact end: frames
    // before it ramp, frames from it on hold the target.
    const double volumeEndFrame = std::ceil(volumeEnd);
    const double pitchEndFrame = std::ceil(pitchEnd);

    // Segment bounds: the window's ends and the ramp ends inside it.
    const uint32_t end = firstFrame + frameCount;
    uint32_t bounds[4] = {firstFrame, end, end, end};
    int count = 1;
    for (double rampEnd : {volumeEndFrame, pitchEndFrame}) {
        if (rampEnd > firstFrame && rampEnd < end) {
            bounds[count++] = static_cast<uint32_t>(rampEnd);
        }
    }
    if (count == 3 && bounds[2] < bounds[1]) {
        std::swap(bounds[1], bounds[2]);
    }
    bounds[count] = end;

    for (int i = 0; i < count; ++i) {
        const uint32_t start = bounds[i];
        const uint32_t stop = bounds[i + 1];
        if (stop <= start) {
            continue;
        }
        VoiceSegment segment;
        segment.firstFrame = start;
        segment.frameCount = stop - start;
        segment.sourceOffset = ConsumedFrames(start);
        if (start < volumeEndFrame) {
            segment.volume = m_volume + m_volumeSlide * static_cast<float>(start) / kRate;
            segment.volumeSlide = m_volumeSlide;
        } else {
            segment.volume = m_volumeTarget;
            segment.volumeSlide = 0.0f;
        }
        if (start < pitchEndFrame) {
            segment.pitch = m_pitch + m_pitchSlide * static_cast<float>(start) / kRate;
            segment.pitchSlide = m_pitchSlide;
        } else {
            segment.pitch = m_pitchTarget;
            segment.pitchSlide = 0.0f;
        }
        m_cursor->Mix(target, segment);
    }
}

}  // namespace Varnok
