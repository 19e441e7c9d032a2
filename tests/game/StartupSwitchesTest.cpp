// Start-up over a save written with the sound off: the record's switches
// come from the saved statistics, which then read 0 in the session, so the
// record stays the only truth. Runs the core objects' start-up step over a
// save container in a scratch folder, under a headless GL context.
#include "game/GameStartup.h"

#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/SessionControl.h"
#include "platform/PlatformDisplay.h"
#include "tests/game/rules/SaveFolder.h"

#include <gtest/gtest.h>

#include <memory>

namespace Varnok {
namespace {

TEST(StartupSwitches, ASavedSoundOffTurnsTheSoundOffAndTheStatisticBackToZero) {
    std::unique_ptr<PlatformDisplay> display = CreateHeadlessDisplay();
    DisplayDef def;
    def.width = 64;
    def.height = 64;
    ASSERT_TRUE(display->Open(def)) << "no headless GL ES 2.0 context";

    TestSupport::SaveFolder folder{"switches"};
    GameRecord& game = GetGameRecord();
    {
        GameStats previous;
        game.stats = &previous;
        game.currentMode = nullptr;
        game.savedGameState = false;
        game.noSaveFile = false;
        game.soundOn = false;
        game.musicOn = true;
        game.voiceOn = true;
        ASSERT_TRUE(SaveGame(0));
        game.stats = nullptr;
    }
    folder.Mount();  // the next run finds the container as stored
    game.soundOn = true;
    game.musicOn = game.voiceOn = false;

    CreateCoreObjects();
    ASSERT_NE(game.stats, nullptr);
    EXPECT_FALSE(game.soundOn);
    EXPECT_TRUE(game.musicOn);
    EXPECT_TRUE(game.voiceOn);
    EXPECT_EQ(game.stats->Get("soundOff"), 0);
    EXPECT_EQ(game.stats->Get("musicOff"), 0);

    GameShutdown();
    EXPECT_EQ(game.stats, nullptr);
    game.soundOn = game.musicOn = game.voiceOn = true;
}

}  // namespace
}  // namespace Varnok
