// SoundManager: set-up, sounds, music chains and the sound list preload.
#include "engine/audio/SoundManager.h"

#include "engine/audio/OpenALMixerOut.h"
#include "engine/audio/OpenSample.h"
#include "engine/audio/SampleCache.h"
#include "engine/core/FileObject.h"
#include "engine/core/HashName.h"
#include "engine/core/Log.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace Varnok {

SoundManager& SoundManager::Get() {
    static SoundManager manager;
    return manager;
}

SoundManager::SoundManager() = default;

SoundManager::~SoundManager() = default;

bool SoundManager::Init(const char* /*bank*/, int /*memorySize*/, int /*flags*/) {
    m_musicHash = 0;
    Setup();
    return true;
}

void SoundManager::Setup() {
    SetupWithOutput(SmartPtr<AudioMixerOutput>(OpenALMixerOut::Get()));
}

void SoundManager::SetupWithOutput(SmartPtr<AudioMixerOutput> output) {
    if (!output) {
        return;
    }
    if (m_output) {
        // Set up again: the previous stages leave the previous output.
        m_output->RemoveVoice(m_sfxVoice.Get());
        m_output->GetDuckMixer().RemoveVoice(m_musicVoice.Get());
    }
    m_output = std::move(output);
    m_sfxMixer = SmartPtr<SubMixer>(new SubMixer);
    m_musicMixer = SmartPtr<SubMixer>(new SubMixer);
    m_sfxVoice = m_output->CreateVoice(SmartPtr<VoiceSource>(m_sfxMixer.Get()));
    m_musicVoice =
        m_output->GetDuckMixer().CreateVoice(SmartPtr<VoiceSource>(m_musicMixer.Get()));
    m_musicVolume = kStageVolume;
    m_sfxVoice->SetVolume(kStageVolume);
    m_musicVoice->SetVolume(m_musicVolume);
    PreloadSoundList();
}

void SoundManager::PreloadSoundList() {
    FileObject file(kSoundListPath, kOpenRead);
    if (!file.Load() || file.GetData() == nullptr) {
        Log("SoundManager: no sound list \"%s\", preloading nothing", kSoundListPath);
        return;
    }
    // Names end at a comma, untrimmed: a line break after a comma starts the
    // next name. Text after the last comma is not a name.
    const char* text = reinterpret_cast<const char*>(file.GetData());
    const char* end = text + file.GetLength();
    const char* start = text;
    for (const char* c = text; c < end; ++c) {
        if (*c == ',') {
            const std::string name(start, c);
            SampleCache::Get(name.c_str());
            start = c + 1;
        }
    }
}

Sound* SoundManager::CreateSound() {
    m_sounds.push_back(std::make_unique<Sound>(*this));
    return m_sounds.back().get();
}

void SoundManager::DestroySound(Sound* sound) {
    if (sound == nullptr) {
        return;
    }
    sound->Stop();
    auto found = std::find_if(m_sounds.begin(), m_sounds.end(),
                              [sound](const std::unique_ptr<Sound>& s) { return s.get() == sound; });
    if (found == m_sounds.end()) {
        // Not one of ours (a sound on its owner's stack, or one destroyed
        // already): deleting it here would free memory we do not own.
        Log("SoundManager: DestroySound of a sound it did not make; stopped only");
        return;
    }
    m_sounds.erase(found);
}

void SoundManager::PlaySound(const char* name, int /*unused*/, Sound* sound, int /*priority*/,
                             float pitchOctaves) {
    if (sound != nullptr) {
        sound->Load(name);
        sound->SetPitch(pitchOctaves);
        sound->Play();
        return;
    }
    // The voice stays in the mixer when the sound goes, and plays to its end.
    Sound once(*this);
    once.Load(name);
    once.SetPitch(pitchOctaves);
    once.Play();
}

void SoundManager::PlayMusic(const char* name) {
    m_musicHash = name != nullptr ? HashName(name, static_cast<int>(std::strlen(name))) : 0;
    StartMusic(name, 0.0f);
}

void SoundManager::CrossfadeMusic(const char* name, float seconds) {
    m_musicHash = name != nullptr ? HashName(name, static_cast<int>(std::strlen(name))) : 0;
    StartMusic(name, seconds);
}

void SoundManager::StartMusic(const char* name, float fadeSeconds) {
    SmartPtr<SamplePlayer> player;
    if (name != nullptr) {
        const std::string path = std::string(name) + ".ogg";
        SmartPtr<AudioSampleSource> track = OpenSample(path.c_str(), true, false);
        if (track) {
            player = SmartPtr<SamplePlayer>(new SamplePlayer(track, name));
            // Every track loops: from its loop point, or from the start.
            if (player->GetLoopStart() >= track->GetLength()) {
                player->SetLoopStart(0);
            }
        }
    }
    if (!m_output) {
        return;  // not set up: nothing to play into
    }

    if (!(fadeSeconds > 0.0f)) {
        m_musicMixer->StopAll();
        m_musicVoice->SetPaused(false);
        if (player) {
            SmartPtr<AudioVoice> voice =
                m_musicMixer->CreateVoice(SmartPtr<VoiceSource>(player.Get()));
            voice->SetVolume(1.0f);
        }
        return;
    }

    MutexLock lock(m_output->GetMusicSwitchMutex());
    SubMixer& duck = m_output->GetDuckMixer();
    // The new stage M takes over the music level; the old chain moves into M
    // and fades from full (relative to M) to silence, so that neither track
    // jumps in loudness when the chains swap.
    SmartPtr<SubMixer> next(new SubMixer);
    SmartPtr<AudioVoice> nextVoice = duck.CreateVoice(SmartPtr<VoiceSource>(next.Get()));
    nextVoice->SetVolume(m_musicVolume);
    m_musicVoice->SetStopAtSilence(true);
    m_musicVoice->RampVolumeFromTo(1.0f, 0.0f, fadeSeconds);
    duck.RemoveVoice(m_musicVoice.Get());
    next->AddVoice(m_musicVoice);
    m_musicMixer = next;
    m_musicVoice = nextVoice;
    if (player) {
        SmartPtr<AudioVoice> voice = next->CreateVoice(SmartPtr<VoiceSource>(player.Get()));
        voice->RampVolumeFromTo(0.0f, 1.0f, fadeSeconds);
    }
}

void SoundManager::StopMusic() {
    m_musicHash = 0;
    if (m_musicMixer) {
        m_musicMixer->StopAll();
    }
}

void SoundManager::SetMusicVolume(float volume) {
    m_musicVolume = kStageVolume * volume;
    if (m_musicVoice) {
        m_musicVoice->SetVolume(m_musicVolume);
    }
}

void SoundManager::Preload(const char* name) {
    SampleCache::Get(name);
}

void SoundManager::PauseEffects() {
    if (m_sfxVoice) {
        m_sfxVoice->SetPaused(true);
    }
}

void SoundManager::ResumeEffects() {
    if (m_sfxVoice) {
        m_sfxVoice->SetPaused(false);
    }
}

void SoundManager::SuspendOutput() {
    if (m_output) {
        m_output->Suspend();
    }
}

void SoundManager::ResumeOutput() {
    if (m_output) {
        m_output->Resume();
    }
}

}  // namespace Varnok
