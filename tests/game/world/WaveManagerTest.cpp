// Wave choice, repetition counts, game limits, the fixed-step clock and the
// launch of single fruit and bombs.
#include "game/world/WaveManager.h"

#include "tests/game/world/PlayFieldFixture.h"

#include <set>
#include <vector>

namespace Varnok {
namespace {

using TestSupport::PlayFieldTest;

class WaveManagerTest : public PlayFieldTest {};

TEST_F(WaveManagerTest, RepetitionRaisesTheMinimumFromTheThirdWave) {
    // min 2 + 1 per repetition, max 5 (exclusive): 3 or 4 at first, then 4.
    LoadWaves("<WaveInfo><Spawn type='apple' min='2' max='5' mininc='1' maxinc='0'/></WaveInfo>");
    WaveManager& waves = WaveManager::Instance();
    std::set<int> firstCounts;
    for (uint64_t seed = 1; seed <= 40; ++seed) {
        GlobalRandom().Reseed(seed);
        waves.Reset(1);
        const WaveSpawnRequest& spawn = waves.GetCurrentWave()->spawns[0];
        firstCounts.insert(spawn.count);
        (void)waves.StartNextWave();  // the first wave is not counted as repeated
        EXPECT_FLOAT_EQ(waves.GetCurrentWave()->repeat, 1.0f);
        (void)waves.StartNextWave();
        EXPECT_EQ(waves.GetCurrentWave()->spawns[0].count, 4);
    }
    EXPECT_EQ(firstCounts, (std::set<int>{3, 4}));
}

TEST_F(WaveManagerTest, APlayedWaveRegrowsItsChanceAtEachWaveStart) {
    LoadWaves("<WaveInfo waveNo='0' until='0' chance='10' chanceRegrowth='0.25' debugName='played'/>"
              "<WaveInfo waveNo='1'/>");
    WaveManager& waves = WaveManager::Instance();
    waves.Reset(1);
    const WaveInfo& played = *waves.GetList(0)[0];
    ASSERT_EQ(waves.GetCurrentWave(), &played);
    EXPECT_EQ(played.currentChance, 0);
    const int expected[] = {2, 4, 6, 8, 10, 10};
    for (int want : expected) {
        (void)waves.StartNextWave();
        EXPECT_EQ(played.currentChance, want);
    }
}

TEST_F(WaveManagerTest, CandidatesWithNoChanceLeaveTheFirst) {
    LoadWaves("<WaveInfo chance='0' debugName='a'/><WaveInfo chance='0' debugName='b'/>");
    WaveManager& waves = WaveManager::Instance();
    for (uint64_t seed = 1; seed <= 20; ++seed) {
        GlobalRandom().Reseed(seed);
        waves.Reset(1);
        (void)waves.StartNextWave();
        EXPECT_EQ(waves.GetCurrentWave()->debugName, "a");
    }
}

TEST_F(WaveManagerTest, WeightedChoiceFollowsTheChances) {
    LoadWaves("<defaults waveChanceRegrowth='1'/>"
              "<WaveInfo chance='30' debugName='often'/><WaveInfo chance='10' debugName='rare'/>");
    WaveManager& waves = WaveManager::Instance();
    waves.Reset(1);
    int often = 0;
    for (int i = 0; i < 400; ++i) {
        (void)waves.StartNextWave();
        often += waves.GetCurrentWave()->debugName == "often" ? 1 : 0;
    }
    // Full regrowth every start: 3 to 1.
    EXPECT_GT(often, 250);
    EXPECT_LT(often, 350);
}

TEST_F(WaveManagerTest, GameLimitsSitOutGamesAndABoundOfZeroAddsNone) {
    LoadWaves("<WaveInfo games='2' gamesMax='6' debugName='rested'/>"
              "<WaveInfo games='1' gamesMax='1' chance='0' debugName='tiny'/>");
    WaveManager& waves = WaveManager::Instance();
    waves.Reset(1);
    // No entries yet: each gets extra + n / 8 and sits this game out; with
    // no candidate chance the first wave is played and records its rest.
    EXPECT_EQ(stats.waveGameCounts[0].at(1), 0) << "q = 0 must not give the raw 32-bit draw";
    EXPECT_EQ(waves.GetCurrentWave()->debugName, "rested");
    // Choosing a wave with limits records 2 to 5 games to sit out.
    for (uint64_t seed = 1; seed <= 20; ++seed) {
        GlobalRandom().Reseed(seed);
        stats.waveGameCounts[0].clear();
        stats.waveGameCounts[0][0] = 0;
        stats.waveGameCounts[0][1] = 0;
        waves.Reset(1);
        EXPECT_EQ(waves.GetCurrentWave()->debugName, "rested");
        const int32_t rest = stats.waveGameCounts[0].at(0);
        EXPECT_GE(rest, 2);
        EXPECT_LE(rest, 5);
    }
}

TEST_F(WaveManagerTest, WaveTimingDoesNotDependOnTheFrameRate) {
    const std::string list =
        "<defaults beforeDelay='0.5'/>"
        "<WaveInfo><Spawn type='apple' min='2' max='2' delay='0.3'/><NextWaveDelay wait='0.4' delay='0.5'/></WaveInfo>";
    auto play = [&](float frameSeconds, int frames) {
        LoadWaves(list);
        WaveManager& waves = WaveManager::Instance();
        GlobalRandom().Reseed(7);
        mode.newWaves = 0;
        waves.Reset(1);
        GetGameRecord().frameStep = frameSeconds;
        for (int i = 0; i < frames; ++i) {
            waves.Update(frameSeconds);
            PlayFieldTest::Run(1);
        }
        const int newWaves = mode.newWaves;
        const float delay = waves.waveDelay;
        WorldObjectManager::Instance().Clear();
        waves.Unload();
        return std::make_pair(newWaves, delay);
    };
    const auto at60 = play(1.0f / 60.0f, 600);
    const auto at20 = play(1.0f / 20.0f, 200);
    EXPECT_GT(at60.first, 0);
    EXPECT_NEAR(at60.first, at20.first, 1);
}

TEST_F(WaveManagerTest, AThrowCreatesEveryObjectAtOnceWithStaggeredWaits) {
    LoadWaves("<WaveInfo><Spawn type='apple' min='3' max='3' delay='0.25'/>"
              "<NextWaveDelay delay='0'/></WaveInfo>");
    WaveManager& waves = WaveManager::Instance();
    waves.Reset(1);
    waves.Step(WaveManager::kStepSeconds);
    ASSERT_EQ(Count(WorldObjectType::Fruit), 3);
    EXPECT_TRUE(waves.waiting);
    const float first = static_cast<Fruit*>(Nth(WorldObjectType::Fruit, 0))->launchWait;
    const float third = static_cast<Fruit*>(Nth(WorldObjectType::Fruit, 2))->launchWait;
    EXPECT_NEAR(first, 0.25f - WaveManager::kStepSeconds + 0.21f, 1e-5f);
    EXPECT_NEAR(third - first, 0.5f, 1e-5f);
    // The wave waits for the field to empty before the next starts.
    for (int i = 0; i < 5; ++i) {
        waves.Step(WaveManager::kStepSeconds);
    }
    EXPECT_EQ(mode.newWaves, 0);
    WorldObjectManager::Instance().Clear();
    waves.Step(WaveManager::kStepSeconds);
    EXPECT_EQ(mode.newWaves, 1);
}

TEST_F(WaveManagerTest, SuspendedModeOrMissingModeStopsTheClock) {
    LoadWaves("<WaveInfo><Spawn type='apple' min='1' max='1'/></WaveInfo>");
    WaveManager& waves = WaveManager::Instance();
    waves.Reset(1);
    const float delay = waves.waveDelay;
    mode.suspended = true;
    waves.Update(1.0f);
    EXPECT_EQ(waves.waveDelay, delay);
    GetGameRecord().currentMode = nullptr;
    waves.Update(1.0f);
    EXPECT_EQ(waves.waveDelay, delay);
    EXPECT_EQ(Count(WorldObjectType::Fruit), 0);
}

TEST_F(WaveManagerTest, SameSeedSameGame) {
    LoadWaves("<WaveInfo chance='5'><Spawn type='1fruit,bomb' min='2' max='6'/></WaveInfo>"
              "<WaveInfo chance='7'><Spawn type='1fruit' min='1' max='4' placement='LEFT_RIGHT'/></WaveInfo>");
    auto record = [&]() {
        WaveManager& waves = WaveManager::Instance();
        GlobalRandom().Reseed(99);
        waves.Reset(1);
        std::vector<float> trace;
        WorldObjectManager& world = WorldObjectManager::Instance();
        for (int i = 0; i < 600; ++i) {
            waves.Update(1.0f / 60.0f);
            Run(1);
            if (i % 20 != 0) {
                continue;
            }
            for (uint32_t type : {1u, 2u}) {
                for (int n = 0; n < world.Count(type); ++n) {
                    trace.push_back(world.GetNth(type, n)->position.x);
                    trace.push_back(world.GetNth(type, n)->velocity.y);
                }
            }
        }
        trace.push_back(static_cast<float>(waves.numberOfWavesSpawned));
        world.Clear();
        return trace;
    };
    const std::vector<float> first = record();
    EXPECT_EQ(first, record());
    EXPECT_GT(first.size(), 10u);
}

TEST_F(WaveManagerTest, LaunchOfOneFruit) {
    WaveManager& waves = WaveManager::Instance();
    EXPECT_EQ(waves.SpawnWorldObject(0, 0, nullptr), nullptr);

    WaveSpawnRequest exact;
    exact.posX = 40;
    exact.velX = 2.0f;
    exact.velY = 8.0f;
    exact.velXscale = 0.5f;
    exact.timer = 0.3f;
    Fruit* fruit = waves.SpawnWorldObject(1, 1, &exact);
    ASSERT_NE(fruit, nullptr);
    EXPECT_EQ(fruit->kind, 1);
    EXPECT_FLOAT_EQ(fruit->velocity.x, 1.0f);
    EXPECT_FLOAT_EQ(fruit->velocity.y, 8.0f);
    EXPECT_FLOAT_EQ(fruit->position.x, 40.0f);
    EXPECT_FLOAT_EQ(fruit->position.y, -160.0f - 55.0f) << "pushed offscreen along the launch side";
    EXPECT_NEAR(fruit->launchWait, 0.51f, 1e-5f);

    WaveSpawnRequest top = exact;
    top.placement = static_cast<int32_t>(SpawnPlacement::Top);
    Fruit* dropped = waves.SpawnWorldObject(1, 0, &top);
    EXPECT_FLOAT_EQ(dropped->position.x, -40.0f);
    EXPECT_FLOAT_EQ(dropped->position.y, 160.0f + 55.0f);
    EXPECT_FLOAT_EQ(dropped->velocity.y, -4.0f);

    // LEFT_RIGHT picks a side for each object.
    WaveSpawnRequest sides;
    sides.placement = static_cast<int32_t>(SpawnPlacement::LeftRight);
    std::set<bool> rightSide;
    for (int i = 0; i < 24; ++i) {
        rightSide.insert(waves.SpawnWorldObject(1, 0, &sides)->position.x > 0.0f);
    }
    EXPECT_EQ(rightSide.size(), 2u);

    // Without a request a fruit leans towards the centre from below.
    for (int i = 0; i < 20; ++i) {
        Fruit* lone = waves.SpawnWorldObject(1, 0, nullptr);
        EXPECT_GE(lone->position.x, -150.0f);
        EXPECT_LE(lone->position.x, 150.0f);
        EXPECT_GT(lone->velocity.y, 9.0f);
        EXPECT_NEAR(lone->launchWait, 0.21f, 1e-5f);
    }
}

TEST_F(WaveManagerTest, LaunchOfOneBomb) {
    WaveManager& waves = WaveManager::Instance();
    EXPECT_EQ(waves.LaunchBomb(0, nullptr), nullptr);
    waves.bombScale = 2.0f;
    Bomb* bomb = waves.LaunchBomb(1, nullptr);
    ASSERT_NE(bomb, nullptr);
    EXPECT_FLOAT_EQ(bomb->position.z, 32.0f);
    EXPECT_FLOAT_EQ(bomb->scale.x, 1.0f) << "size 50 x 0.01 x scale 2";
    EXPECT_NEAR(bomb->throwDelay, 0.21f, 1e-5f);
    EXPECT_EQ(Count(WorldObjectType::Bomb), 1);
}

}  // namespace
}  // namespace Varnok
