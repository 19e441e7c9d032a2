// A scratch folder mounted above every other file system, holding copies of
// the audio tests' Ogg fixtures under the names the game plays, and a sound
// manager on an output without a device.
#pragma once

#include "engine/audio/AudioMixerOutput.h"
#include "engine/audio/SoundManager.h"
#include "engine/core/FileSystem.h"
#include "engine/core/SmartPtr.h"

#include <string>
#include <vector>

namespace Varnok {
namespace test {

class SoundFolder {
public:
    SoundFolder();
    ~SoundFolder();
    SoundFolder(const SoundFolder&) = delete;
    SoundFolder& operator=(const SoundFolder&) = delete;

    // "sound/<name>.ogg" as a copy of a fixture ("tone44k": 0.1 s of tone).
    void AddSound(const std::string& name, const char* fixture = "tone44k");
    // Mixes `buffers` output buffers; the last one's left-channel RMS.
    double Mix(int buffers = 1);

    SoundManager manager;
    SmartPtr<NullMixerOutput> output;

private:
    std::string m_root;
    FileSystem* m_mounted = nullptr;
};

}  // namespace test
}  // namespace Varnok
