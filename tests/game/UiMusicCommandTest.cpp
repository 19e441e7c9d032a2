// The UI's "PlayMusic" command with a fade length, through the game's sound
// manager over an output without a device and the bundle's music.
#include "engine/audio/AudioMixerOutput.h"
#include "engine/audio/SoundManager.h"
#include "engine/audio/SubMixer.h"
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/ui/UIManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace Varnok {
namespace {

// One output buffer is 0.04 s.
constexpr float kBufferSeconds =
    static_cast<float>(AudioMixerOutput::kBufferFrames) / 44100.0f;

class UiMusicCommand : public ::testing::Test {
protected:
    void SetUp() override {
        m_bundle = FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(VARNOK_BUNDLE_DIR, true),
                                                 FileSystemKey("uimusic"), 999);
        UIProjectSettings settings;
        settings.createsSimple2D = false;
        settings.createsDefaultTextures = false;
        UIManager::Get().Init(settings, AsciiString("~base"));
        SoundManager::Get().SetupWithOutput(m_output);
    }
    void TearDown() override {
        SoundManager::Get().StopMusic();
        UIManager::Get().Shutdown();
        FileSystemRegistry::Get().Remove(m_bundle);
    }

    int32_t Run(std::vector<AsciiString> args) {
        return UIManager::Get().ExecuteCommand(nullptr, AsciiString("PlayMusic"), args);
    }
    void Mix(int buffers) {
        for (int i = 0; i < buffers; ++i) {
            m_output->MixOutputBuffer();
        }
    }

    SmartPtr<NullMixerOutput> m_output{new NullMixerOutput};
    FileSystem* m_bundle = nullptr;
};

TEST_F(UiMusicCommand, ASecondArgumentOfOneAndAHalfCrossfadesOverOneAndAHalfSeconds) {
    SoundManager& sounds = SoundManager::Get();
    EXPECT_EQ(0, Run({AsciiString("Music/background")}));
    Mix(2);
    ASSERT_EQ(sounds.GetMusicMixer()->ActiveAndPendingCount(), 1u);  // the track, cut in at once

    EXPECT_EQ(0, Run({AsciiString("Music/Music-menu"), AsciiString("1.5")}));
    // While it fades the new stage holds the old one beside the new track;
    // the old one drops out once silent, just after 1.5 s.
    const int fadeBuffers = static_cast<int>(1.5f / kBufferSeconds);  // 37
    Mix(fadeBuffers - 2);
    EXPECT_EQ(sounds.GetMusicMixer()->ActiveAndPendingCount(), 2u) << "faded out too soon";
    Mix(5);
    EXPECT_EQ(sounds.GetMusicMixer()->ActiveAndPendingCount(), 1u) << "still fading after 1.6 s";
}

}  // namespace
}  // namespace Varnok
