// AudioMixer: the voice lists, the buffer cycle and the mixing targets.
#include "engine/audio/AudioMixer.h"

#include "engine/audio/internal/MixKernel.h"
#include "engine/core/Log.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <utility>

namespace Varnok {

namespace {

constexpr float kPi = 3.14159f;
constexpr float kTwoPi = 6.28318f;
constexpr float kPanWidth = 0.234112f;  // radians: the Gaussian's standard deviation

void EraseAll(std::vector<SmartPtr<AudioVoice>>& list, const AudioVoice* voice) {
    list.erase(std::remove_if(list.begin(), list.end(),
                              [voice](const SmartPtr<AudioVoice>& v) { return v.Get() == voice; }),
               list.end());
}

void AppendVoiceLine(std::string& text, const char* tag, const AudioVoice* voice) {
    char line[256];
    const VoiceSource* source = voice->GetSource();
    std::snprintf(line, sizeof line, "<%s ptr=\"0x%08" PRIXPTR "\">%s</%s>\r\n", tag,
                  reinterpret_cast<uintptr_t>(voice), source != nullptr ? source->GetName() : "",
                  tag);
    text += line;
}

}  // namespace

AudioMixer::AudioMixer() = default;

AudioMixer::~AudioMixer() {
    // Voices may outlive their mixer (a Sound holds them): they must not look
    // queued any more, or they could never be played again.
    for (const SmartPtr<AudioVoice>& voice : m_activeVoices) {
        if (voice->IsOwnedBy(this)) {
            voice->SetOwner(nullptr);
        }
    }
    for (const SmartPtr<AudioVoice>& voice : m_pendingAdditions) {
        voice->Unqueue();
    }
}

void AudioMixer::AddVoice(const SmartPtr<AudioVoice>& voice) {
    if (!voice) {
        return;
    }
    MutexLock lock(m_pendingMutex);
    voice->MarkQueued();
    m_pendingAdditions.push_back(voice);
}

SmartPtr<AudioVoice> AudioMixer::CreateVoice(const SmartPtr<VoiceSource>& source) {
    if (!source) {
        return nullptr;
    }
    SmartPtr<AudioVoice> voice(new AudioVoice(source));
    AddVoice(voice);
    return voice;
}

void AudioMixer::RemoveVoice(AudioVoice* voice) {
    if (voice == nullptr) {
        return;
    }
    MutexLock lock(m_pendingMutex);
    m_pendingRemovals.push_back(SmartPtr<AudioVoice>(voice));
    EraseAll(m_pendingAdditions, voice);
    voice->Unqueue();
}

void AudioMixer::StopAll() {
    MutexLock lock(m_pendingMutex);
    m_clearAll = true;
    for (const SmartPtr<AudioVoice>& voice : m_pendingAdditions) {
        voice->Unqueue();
    }
    m_pendingAdditions.clear();
}

uint32_t AudioMixer::ActiveAndPendingCount() {
    MutexLock lock(m_pendingMutex);
    return static_cast<uint32_t>(m_pendingAdditions.size()) + m_activeCount.load();
}

void AudioMixer::SetChannelAngles(uint32_t count, const float* angles) {
    if (count > kMaxMixChannels) {
        Log("AudioMixer: %u channels asked, mixing the first %u", count, kMaxMixChannels);
        count = kMaxMixChannels;
    }
    for (uint32_t c = 0; c < count; ++c) {
        m_speakerAngles[c] = angles != nullptr ? angles[c] : 0.0f;
    }
    if (count != m_channelCount) {
        m_channelBuffer.clear();  // remade for the new layout at the next mix
    }
    m_channelCount = count;
}

std::string AudioMixer::Dump() {
    std::vector<SmartPtr<AudioVoice>> active;
    std::vector<SmartPtr<AudioVoice>> pending;
    std::vector<SmartPtr<AudioVoice>> removed;
    {
        MutexLock activeLock(m_activeMutex);
        MutexLock pendingLock(m_pendingMutex);
        active = m_activeVoices;
        pending = m_pendingAdditions;
        removed = m_pendingRemovals;
    }
    std::string text = "<AudioMixer>\r\n";
    for (const SmartPtr<AudioVoice>& voice : active) {
        AppendVoiceLine(text, "ActiveVoice", voice.Get());
    }
    for (const SmartPtr<AudioVoice>& voice : pending) {
        AppendVoiceLine(text, "PendingVoice", voice.Get());
    }
    for (const SmartPtr<AudioVoice>& voice : removed) {
        AppendVoiceLine(text, "RemovedVoice", voice.Get());
    }
    text += "</AudioMixer>\r\n";
    return text;
}

void AudioMixer::AdvanceVoices(uint32_t frames) {
    if (frames == 0) {
        return;
    }
    MutexLock lock(m_activeMutex);
    size_t kept = 0;
    for (size_t i = 0; i < m_activeVoices.size(); ++i) {
        SmartPtr<AudioVoice>& voice = m_activeVoices[i];
        // A voice that another mixer took over leaves this one.
        bool playing = voice->IsOwnedBy(this);
        if (playing) {
            playing = voice->Advance(frames);
            if (!playing) {
                voice->SetOwner(nullptr);
            }
        }
        if (playing) {
            if (kept != i) {
                m_activeVoices[kept] = std::move(voice);
            }
            ++kept;
        }
    }
    m_activeVoices.resize(kept);
}

void AudioMixer::ApplyPendingChanges() {
    MutexLock activeLock(m_activeMutex);
    bool needsMono = m_needsMono;
    bool needsChannels = m_needsChannels;
    for (const SmartPtr<AudioVoice>& voice : m_activeVoices) {
        voice->SyncParameters();
        needsMono |= voice->GetSource()->NeedsMono();
        needsChannels |= voice->GetSource()->NeedsChannels();
    }

    bool clearAll = false;
    {
        MutexLock pendingLock(m_pendingMutex);
        std::swap(m_pendingAdditions, m_takenAdditions);
        std::swap(m_pendingRemovals, m_takenRemovals);
        clearAll = m_clearAll;
        m_clearAll = false;
    }

    if (clearAll) {
        for (const SmartPtr<AudioVoice>& voice : m_activeVoices) {
            if (voice->IsOwnedBy(this)) {
                voice->SetOwner(nullptr);
            }
        }
        m_activeVoices.clear();
    } else {
        for (const SmartPtr<AudioVoice>& voice : m_takenRemovals) {
            if (voice->IsOwnedBy(this)) {
                voice->SetOwner(nullptr);
            }
            EraseAll(m_activeVoices, voice.Get());
        }
    }
    m_takenRemovals.clear();

    for (const SmartPtr<AudioVoice>& voice : m_takenAdditions) {
        // Added twice, or added while already playing here: it plays once.
        if (voice->IsOwnedBy(this)) {
            continue;
        }
        voice->SetOwner(this);
        voice->SyncParameters();
        m_activeVoices.push_back(voice);
        needsMono |= voice->GetSource()->NeedsMono();
        needsChannels |= voice->GetSource()->NeedsChannels();
    }
    m_takenAdditions.clear();

    m_activeCount.store(static_cast<uint32_t>(m_activeVoices.size()));
    m_needsMono = needsMono;
    m_needsChannels = needsChannels;
}

void AudioMixer::MixVoices(uint32_t frames, bool needChannelBuffer) {
    if (m_capacity < frames) {
        m_channelBuffer.clear();
        m_monoBuffer.clear();
        m_capacity = frames;
    }
    if (m_needsMono) {
        m_monoBuffer.resize(m_capacity);
        std::fill_n(m_monoBuffer.begin(), frames, int16_t{0});
    }
    if ((m_needsChannels || needChannelBuffer || !m_channelBuffer.empty()) && m_channelCount > 0) {
        m_channelBuffer.resize(static_cast<size_t>(m_capacity) * m_channelCount);
        std::fill_n(m_channelBuffer.begin(), static_cast<size_t>(frames) * m_channelCount,
                    int16_t{0});
    }
    m_frameCount = frames;
    MixActiveVoices(0, frames);
}

void AudioMixer::MixActiveVoices(uint32_t firstFrame, uint32_t frameCount) {
    MutexLock lock(m_activeMutex);
    for (const SmartPtr<AudioVoice>& voice : m_activeVoices) {
        voice->Mix(*this, firstFrame, frameCount);
    }
}

void AudioMixer::AddMonoToChannels() {
    if (!m_needsMono || m_monoBuffer.empty() || m_channelBuffer.empty()) {
        return;
    }
    AddMonoToFrames(m_channelBuffer.data(), m_channelCount, m_monoBuffer.data(), m_frameCount);
}

const int16_t* AudioMixer::GetOutputBuffer() const {
    return m_channelBuffer.empty() ? nullptr : m_channelBuffer.data();
}

float AudioMixer::PanGain(float pan, float speaker) {
    float distance = pan - speaker;
    // Only one turn is taken off: angles come from code, not data.
    if (distance > kPi) {
        distance -= kTwoPi;
    } else if (distance < -kPi) {
        distance += kTwoPi;
    }
    const float x = distance / kPanWidth;
    return std::exp(-0.5f * x * x);
}

void AudioMixer::MixPanned(const MixSpan& span, const int16_t* source, float pan, float volume,
                           float volumeSlide) {
    const int16_t* sources[kMaxMixChannels] = {};
    float volumes[kMaxMixChannels] = {};
    float slides[kMaxMixChannels] = {};
    for (uint32_t c = 0; c < m_channelCount; ++c) {
        const float gain = PanGain(pan, m_speakerAngles[c]);
        sources[c] = source;
        volumes[c] = gain * volume;
        slides[c] = gain * volumeSlide;
    }
    MixChannels(span, sources, volumes, slides);
}

void AudioMixer::MixMono(const MixSpan& span, const int16_t* source, float volume,
                         float volumeSlide) {
    if (m_monoBuffer.empty() || span.firstFrame >= m_frameCount) {
        return;
    }
    MixKernelArgs args;
    args.dest = m_monoBuffer.data() + span.firstFrame;
    args.destStride = 1;
    args.frames = std::min(span.frameCount, m_frameCount - span.firstFrame);
    args.source = source;
    args.sourceStride = span.stride;
    args.sourceFrames = span.sourceFrames;
    args.volume = volume;
    args.volumeSlide = volumeSlide;
    args.pitch = span.pitch;
    args.pitchSlide = span.pitchSlide;
    MixKernel(args);
}

void AudioMixer::MixChannels(const MixSpan& span, const int16_t* const* sources,
                             const float* volumes, const float* volumeSlides) {
    if (m_channelBuffer.empty() || span.firstFrame >= m_frameCount) {
        return;
    }
    MixKernelArgs args;
    args.destStride = m_channelCount;
    args.frames = std::min(span.frameCount, m_frameCount - span.firstFrame);
    args.sourceStride = span.stride;
    args.sourceFrames = span.sourceFrames;
    args.pitch = span.pitch;
    args.pitchSlide = span.pitchSlide;
    for (uint32_t c = 0; c < m_channelCount; ++c) {
        args.dest = m_channelBuffer.data() + static_cast<size_t>(span.firstFrame) * m_channelCount + c;
        args.source = sources[c];
        args.volume = volumes[c];
        args.volumeSlide = volumeSlides[c];
        MixKernel(args);
    }
}

}  // namespace Varnok
