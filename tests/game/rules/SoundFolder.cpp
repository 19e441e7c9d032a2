// SoundFolder, and the environment the rules tests run in.
#include "SoundFolder.h"

#include "engine/core/DirectoryFileSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace Varnok {
namespace test {

namespace {

// No sound card, ever: OpenAL reads these once per process.
const bool kNoSoundCard = [] {
    setenv("ALSOFT_DRIVERS", "nonexistent", 1);
    setenv("ALSOFT_LOGLEVEL", "0", 1);
    return true;
}();

}  // namespace

SoundFolder::SoundFolder() : output(new NullMixerOutput) {
    (void)kNoSoundCard;
    char pattern[] = "/tmp/varnok-rules-XXXXXX";
    const char* made = mkdtemp(pattern);
    EXPECT_NE(made, nullptr);
    m_root = made != nullptr ? made : "/tmp";
    std::filesystem::create_directories(m_root + "/sound");
    m_mounted = FileSystemRegistry::Get().Add(
        std::make_unique<DirectoryFileSystem>(m_root.c_str(), true), FileSystemKey("rulestest"),
        1000);
    manager.SetupWithOutput(output);
}

SoundFolder::~SoundFolder() {
    FileSystemRegistry::Get().Remove(m_mounted);
    std::error_code error;
    std::filesystem::remove_all(m_root, error);
}

void SoundFolder::AddSound(const std::string& name, const char* fixture) {
    std::error_code error;
    std::filesystem::copy_file(std::string(VARNOK_AUDIO_FIXTURE_DIR) + "/" + fixture + ".ogg",
                               m_root + "/sound/" + name + ".ogg",
                               std::filesystem::copy_options::overwrite_existing, error);
    EXPECT_FALSE(error) << "cannot copy fixture " << fixture << ": " << error.message();
}

double SoundFolder::Mix(int buffers) {
    const int16_t* out = nullptr;
    for (int i = 0; i < buffers; ++i) {
        out = output->MixOutputBuffer();
    }
    double sum = 0.0;
    for (uint32_t frame = 0; frame < AudioMixerOutput::kBufferFrames; ++frame) {
        const double v = out[2 * frame] / 32768.0;
        sum += v * v;
    }
    return std::sqrt(sum / AudioMixerOutput::kBufferFrames);
}

}  // namespace test
}  // namespace Varnok
