// Helpers shared by the audio tests: fixtures on disk, a mounted scratch
// folder, PCM made in memory and level measurements.
#pragma once

#include "engine/audio/DecodedSample.h"
#include "engine/core/FileSystem.h"
#include "engine/core/SmartPtr.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Varnok {
namespace test {

// The bytes of a fixture made by make_audio_fixtures ("tone44k" and so on).
std::vector<uint8_t> ReadFixture(const char* name);
std::string FixturePath(const char* name);

// A scratch folder mounted on the file-system registry for the lifetime of
// the object; files written into it are found by FileObject.
class MountedFolder {
public:
    MountedFolder();
    ~MountedFolder();
    MountedFolder(const MountedFolder&) = delete;
    MountedFolder& operator=(const MountedFolder&) = delete;

    void WriteFile(const std::string& name, const std::vector<uint8_t>& bytes);
    void WriteText(const std::string& name, const std::string& text);
    void RemoveFile(const std::string& name);
    // Copies a fixture to "<folderAndName>.ogg".
    void CopyFixture(const char* fixture, const std::string& folderAndName);
    const std::string& Root() const { return m_root; }

private:
    std::string m_root;
    FileSystem* m_mounted = nullptr;
};

// A name no other test uses, for the process-wide sample cache.
std::string UniqueName(const char* stem);

// Mono PCM in memory at 44100 Hz (or the given rate).
SmartPtr<DecodedSample> MakeMono(std::vector<int16_t> samples, uint32_t rate = 44100,
                                 uint32_t loopStart = AudioSampleSource::kNoLoop);
SmartPtr<DecodedSample> MakeStereo(std::vector<int16_t> interleaved, uint32_t rate = 44100);
// `frames` frames of a constant value.
std::vector<int16_t> Constant(uint32_t frames, int16_t value);
// Sample i holds i mod 32768: positions can be read back from the output.
std::vector<int16_t> Ramp(uint32_t frames);
std::vector<int16_t> Sine(uint32_t frames, double hz, double level, uint32_t rate = 44100);

// Root mean square of one channel of interleaved samples over [first, end) frames.
double Rms(const int16_t* samples, uint32_t channels, uint32_t channel, uint32_t first,
           uint32_t end);
double Rms(const float* samples, uint32_t channels, uint32_t channel, uint32_t first,
           uint32_t end);

}  // namespace test
}  // namespace Varnok
