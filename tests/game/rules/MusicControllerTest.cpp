// The music controller's fades, starts and the music switch, read from the
// sound manager's music stage.
#include "game/rules/MusicController.h"

#include "SoundFolder.h"

#include "engine/core/HashName.h"
#include "game/rules/GameRecord.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace Varnok {
namespace {

constexpr float kFrame = 1.0f / 60.0f;

uint32_t Hash(const char* name) {
    return HashName(name, static_cast<int>(std::strlen(name)));
}

class MusicControllerTest : public ::testing::Test {
protected:
    MusicControllerTest() { GetGameRecord().musicOn = true; }
    ~MusicControllerTest() override { GetGameRecord().musicOn = false; }

    float StageVolume() const { return folder.manager.GetMusicVoice()->GetVolume(); }
    // The tracks have no files here: each start logs that once.
    void Update(int frames = 1) {
        TestSupport::LogCapture quiet;
        for (int i = 0; i < frames; ++i) {
            music.Update(kFrame);
        }
    }

    test::SoundFolder folder;
    MusicController music{folder.manager};
};

TEST_F(MusicControllerTest, TheFirstTrackFadesInFromSilenceOverAQuarterSecond) {
    EXPECT_EQ(music.SetTrack("Music-menu"), Hash("Music/Music-menu"));
    EXPECT_EQ(folder.manager.GetMusicHash(), 0u);  // not before the next update
    const float full = MusicController::kMusicVolume * SoundManager::kStageVolume;
    for (int frame = 1; frame <= 15; ++frame) {
        Update();
        SCOPED_TRACE(frame);
        EXPECT_EQ(folder.manager.GetMusicHash(), Hash("Music/Music-menu"));
        EXPECT_NEAR(StageVolume(), full * std::min(1.0f, frame * 4.0f / 60.0f), 1e-5);
    }
    EXPECT_NEAR(StageVolume(), 0.4f * 0.8f, 1e-6);
    Update(10);
    EXPECT_NEAR(StageVolume(), 0.4f * 0.8f, 1e-6);
    EXPECT_FLOAT_EQ(music.GetFade(), -1.0f);
}

TEST_F(MusicControllerTest, WithMusicOffNoTrackOpensUntilItIsSwitchedOn) {
    GetGameRecord().musicOn = false;
    music.SetTrack("background");
    Update(30);
    EXPECT_EQ(folder.manager.GetMusicHash(), 0u);
    EXPECT_FLOAT_EQ(music.GetFade(), 0.0f);
    GetGameRecord().musicOn = true;
    Update();
    EXPECT_EQ(folder.manager.GetMusicHash(), Hash("Music/background"));
}

TEST_F(MusicControllerTest, SwitchingOffFadesToSilenceWithoutStopping) {
    music.SetTrack("Music-menu");
    Update(15);
    GetGameRecord().musicOn = false;
    Update(7);
    EXPECT_GT(StageVolume(), 0.0f);
    Update(8);
    EXPECT_NEAR(StageVolume(), 0.0f, 1e-6);  // a quarter second, give or take rounding
    Update();
    EXPECT_EQ(music.GetFade(), 0.0f);
    EXPECT_EQ(folder.manager.GetMusicHash(), Hash("Music/Music-menu"));
}

TEST_F(MusicControllerTest, ANewTrackWhilePlayingStartsAtOnceAtTheSameVolume) {
    music.SetTrack("Music-menu");
    Update(15);
    const float volume = StageVolume();
    music.SetTrack("Music-act1");
    Update();
    EXPECT_EQ(folder.manager.GetMusicHash(), Hash("Music/Music-act1"));
    EXPECT_FLOAT_EQ(StageVolume(), volume);

    folder.manager.StopMusic();
    music.Reset();  // as when the application becomes active again
    Update();
    EXPECT_EQ(folder.manager.GetMusicHash(), Hash("Music/Music-act1"));
}

TEST_F(MusicControllerTest, LongNamesAreCutToFitThePath) {
    const std::string name(300, 'a');
    music.SetTrack(name.c_str());
    EXPECT_EQ(std::strlen(music.GetPath()), 254u);
    EXPECT_EQ(std::string(music.GetPath()), "Music/" + name.substr(0, 248));
    EXPECT_EQ(music.SetTrack(nullptr), 0u);
    Update();
    EXPECT_EQ(folder.manager.GetMusicHash(), 0u);
}

}  // namespace
}  // namespace Varnok
