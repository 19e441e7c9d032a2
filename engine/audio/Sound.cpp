// Sound: one effect voice over a cached sample.
#include "engine/audio/Sound.h"

#include "engine/audio/SampleCache.h"
#include "engine/audio/SoundManager.h"

namespace Varnok {

void Sound::Load(const char* name) {
    if (m_voice) {
        if (SubMixer* effects = m_manager.GetEffectsMixer()) {
            effects->RemoveVoice(m_voice.Get());
        }
        m_voice.Clear();
    }
    m_player.Clear();
    SmartPtr<AudioSampleSource> sample = SampleCache::Get(name);
    if (!sample) {
        return;
    }
    m_player = SmartPtr<SamplePlayer>(new SamplePlayer(sample, name));
    m_voice = SmartPtr<AudioVoice>(new AudioVoice(SmartPtr<VoiceSource>(m_player.Get())));
}

void Sound::Play() {
    if (!m_player) {
        return;
    }
    m_voice->Restart();
    SubMixer* effects = m_manager.GetEffectsMixer();
    // A voice already queued or playing just restarts; it is never added twice.
    if (effects != nullptr && !m_voice->IsQueued() &&
        effects->ActiveAndPendingCount() < SoundManager::kMaxEffectVoices) {
        effects->AddVoice(m_voice);
    }
}

void Sound::Stop() {
    if (m_voice) {
        if (SubMixer* effects = m_manager.GetEffectsMixer()) {
            effects->RemoveVoice(m_voice.Get());
        }
        m_voice.Clear();
    }
    m_player.Clear();
}

void Sound::FadeOut(float seconds) {
    if (!m_player) {
        return;
    }
    if (seconds > 0.0f) {
        m_voice->SetStopAtSilence(true);
        m_voice->RampVolumeTo(0.0f, seconds);
        return;
    }
    if (SubMixer* effects = m_manager.GetEffectsMixer()) {
        effects->RemoveVoice(m_voice.Get());
    }
    m_voice->Restart();
}

void Sound::Pause() {
    if (m_player) {
        m_voice->SetPaused(true);
    }
}

void Sound::Resume() {
    if (m_player) {
        m_voice->SetPaused(false);
    }
}

void Sound::SetVolume(float volume) {
    if (m_player) {
        m_voice->SetVolume(volume);
    }
}

void Sound::SetPitch(float octaves) {
    if (m_player) {
        m_voice->SetPitch(octaves);
    }
}

bool Sound::IsPlaying() const {
    return m_player && m_voice->IsQueued() && !m_voice->IsPaused();
}

bool Sound::IsPaused() const {
    return m_player && m_voice->IsPaused() && m_voice->IsInLiveMixer();
}

void Sound::Release() {
    m_player.Clear();
    m_voice.Clear();
}

}  // namespace Varnok
