// Audio test helpers, and the environment every audio test runs in.
#include "AudioTestSupport.h"

#include "engine/core/DirectoryFileSystem.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace Varnok {
namespace test {

namespace {

// No test ever plays through a sound card: OpenAL opens no system device in
// this process (loopback devices still work). Set before any OpenAL call,
// which reads it once per process.
const bool kNoSoundCard = [] {
    setenv("ALSOFT_DRIVERS", "nonexistent", 1);
    setenv("ALSOFT_LOGLEVEL", "0", 1);
    return true;
}();

}  // namespace

std::string FixturePath(const char* name) {
    return std::string(VARNOK_AUDIO_FIXTURE_DIR) + "/" + name + ".ogg";
}

std::vector<uint8_t> ReadFixture(const char* name) {
    std::ifstream file(FixturePath(name), std::ios::binary);
    EXPECT_TRUE(file.good()) << "missing fixture " << name;
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file),
                                std::istreambuf_iterator<char>());
}

MountedFolder::MountedFolder() {
    (void)kNoSoundCard;
    char pattern[] = "/tmp/varnok-audio-XXXXXX";
    const char* made = mkdtemp(pattern);
    EXPECT_NE(made, nullptr);
    m_root = made != nullptr ? made : "/tmp";
    // Above any mount the other tests leave behind.
    m_mounted = FileSystemRegistry::Get().Add(
        std::make_unique<DirectoryFileSystem>(m_root.c_str(), true), FileSystemKey("audiotest"),
        1000);
}

MountedFolder::~MountedFolder() {
    FileSystemRegistry::Get().Remove(m_mounted);
    std::error_code error;
    std::filesystem::remove_all(m_root, error);
}

void MountedFolder::WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path path = std::filesystem::path(m_root) / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

void MountedFolder::WriteText(const std::string& name, const std::string& text) {
    WriteFile(name, std::vector<uint8_t>(text.begin(), text.end()));
}

void MountedFolder::RemoveFile(const std::string& name) {
    std::error_code error;
    std::filesystem::remove(std::filesystem::path(m_root) / name, error);
}

void MountedFolder::CopyFixture(const char* fixture, const std::string& folderAndName) {
    WriteFile(folderAndName + ".ogg", ReadFixture(fixture));
}

std::string UniqueName(const char* stem) {
    static std::atomic<int> counter{0};
    return std::string(stem) + "_" + std::to_string(counter.fetch_add(1)) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

SmartPtr<DecodedSample> MakeMono(std::vector<int16_t> samples, uint32_t rate,
                                 uint32_t loopStart) {
    return SmartPtr<DecodedSample>(new DecodedSample(rate, 1, loopStart, std::move(samples)));
}

SmartPtr<DecodedSample> MakeStereo(std::vector<int16_t> interleaved, uint32_t rate) {
    return SmartPtr<DecodedSample>(
        new DecodedSample(rate, 2, AudioSampleSource::kNoLoop, std::move(interleaved)));
}

std::vector<int16_t> Constant(uint32_t frames, int16_t value) {
    return std::vector<int16_t>(frames, value);
}

std::vector<int16_t> Ramp(uint32_t frames) {
    std::vector<int16_t> samples(frames);
    for (uint32_t i = 0; i < frames; ++i) {
        samples[i] = static_cast<int16_t>(i % 32768);
    }
    return samples;
}

std::vector<int16_t> Sine(uint32_t frames, double hz, double level, uint32_t rate) {
    std::vector<int16_t> samples(frames);
    for (uint32_t i = 0; i < frames; ++i) {
        samples[i] = static_cast<int16_t>(
            std::lround(32767.0 * level * std::sin(2.0 * M_PI * hz * i / rate)));
    }
    return samples;
}

double Rms(const int16_t* samples, uint32_t channels, uint32_t channel, uint32_t first,
           uint32_t end) {
    double sum = 0.0;
    for (uint32_t i = first; i < end; ++i) {
        const double v = samples[static_cast<size_t>(i) * channels + channel] / 32768.0;
        sum += v * v;
    }
    return end > first ? std::sqrt(sum / (end - first)) : 0.0;
}

double Rms(const float* samples, uint32_t channels, uint32_t channel, uint32_t first,
           uint32_t end) {
    double sum = 0.0;
    for (uint32_t i = first; i < end; ++i) {
        const double v = samples[static_cast<size_t>(i) * channels + channel];
        sum += v * v;
    }
    return end > first ? std::sqrt(sum / (end - first)) : 0.0;
}

}  // namespace test
}  // namespace Varnok
