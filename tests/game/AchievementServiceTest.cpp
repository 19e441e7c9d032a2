// Fired achievements reach Game Center's stand-in under the social ids the
// achievement list gives them, through the sample service configuration.
#include "engine/core/HashName.h"
#include "game/rules/Achievements.h"
#include "game/rules/GameRecord.h"
#include "game/rules/UnlockQueue.h"

#include "tests/providers/Provider_GameCenter/GameCenterWorld.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace Varnok {
namespace {

std::string ReadSource(const char* relative) {
    std::ifstream in(std::string(VARNOK_SOURCE_DATA_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(AchievementService, FiredAchievementsReachGameCenterUnderTheirSocialIds) {
    GameCenterTest::World world(ReadSource("Services/Provider_GameCenter.xml"));
    world.StartSignedIn();
    world.Frame(3);

    GameStats stats;
    GameRecord& game = GetGameRecord();
    GameStats* saved = game.stats;
    game.stats = &stats;
    game.modeIndex = 0;
    AchievementManager& achievements = AchievementManager::Instance();
    achievements.SetServiceManager(world.manager.get());
    const std::string list = ReadSource("xml/achievementList.xml");
    achievements.LoadFromText(list.c_str(), list.size());

    const int32_t kinds[4] = {0, 1, 2, 3};
    ASSERT_TRUE(achievements.CheckTotal(2500));
    ASSERT_TRUE(achievements.CheckCombo(4, kinds));
    UnlockQueue queue;
    queue.SetHost(&GameUnlockHost::Get());
    for (int frame = 0; frame < 8 * 60; ++frame) {
        queue.Tick(stats, 1.0f / 60.0f, nullptr);
    }
    world.Frame(3);
    for (const char* id : {"SD_TOTAL_POINTS_1", "SD_COMBO_4_LATE"}) {
        int value = -1;
        world.Achievements()->GetProgress(world.Current(), id, &value);
        EXPECT_EQ(value, 1) << id;
    }
    int untouched = -1;
    world.Achievements()->GetProgress(world.Current(), "SD_COMBO_4", &untouched);
    EXPECT_NE(untouched, 1);  // only the later of the two combo entries fired

    queue.SetHost(nullptr);
    achievements.SetServiceManager(nullptr);
    achievements.Clear();
    game.stats = saved;
}

}  // namespace
}  // namespace Varnok
