// The classic mode: settings and speed, the magic bean's schedule, pickup
// and flight, misses and their pop-ups, combos, and the end of a game.
#include "game/rules/ClassicMode.h"

#include "engine/core/Random.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/SessionControl.h"
#include "game/world/Fruit.h"
#include "game/world/FruitCatalogue.h"
#include "game/world/WaveManager.h"
#include "game/world/WorldObjectClasses.h"
#include "game/world/WorldObjectFactory.h"
#include "game/world/WorldObjectManager.h"
#include "tests/game/rules/HudProbe.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace Varnok {
namespace {

using TestSupport::ClassicHud;
using TestSupport::ProbeComponent;

const char* kSettings =
    "<modeInfoFile><originalMode><magicBean baseInterval='8' intervalGrowth='2' intervalVariation='0.5'"
    " initalSpawn='6' beanScore='25'/><timing dtStart='1.5' dtIncrease='0.01'/></originalMode></modeInfoFile>";

class ClassicModeTest : public testing::Test {
protected:
    void SetUp() override {
        WorldObject::CreatePool(kWorldObjectPoolBytes);
        WorldObjectManager& world = WorldObjectManager::Instance();
        ASSERT_TRUE(world.Init(kWorldObjectTypeCount, WorldObjectManager::kDefaultListArenaBytes));
        world.SetFactory(WorldObjectManager::Factory(&CreateWorldObject));
        const std::string fruit = "<fruitInfoFile><FruitInfo name='apple'/><FruitInfo name='bean'/></fruitInfoFile>";
        FruitCatalogue::Get().LoadFromText(fruit.data(), fruit.size());
        ClassicMode::LoadConfigText(kSettings, std::strlen(kSettings));
        GameRecord& record = GetGameRecord();
        record.stats = &stats;
        record.currentMode = &mode;
        record.modeIndex = 0;
        record.notInPlay = false;
        record.score = 0;
        record.gameTime = 0.0f;
        mode.SetHud(hud.root);
        (void)mode.ShowHud();  // no intro container: play begins at once
        GetSessionState() = SessionState{};
    }
    void TearDown() override {
        GameRecord& record = GetGameRecord();
        record.currentMode = nullptr;
        record.stats = nullptr;
        mode.hud = nullptr;  // the probe tree goes with the fixture
        WorldObjectManager::Instance().Shutdown();
        WorldObject::DestroyPool();
        FruitCatalogue::Get().Unload();
    }

    Fruit& MakeFruit(int kind, float x, float y) {
        Fruit* fruit = static_cast<Fruit*>(WorldObjectManager::Instance().Acquire(1));
        fruit->position = Vector3{x, y, 0.0f};
        fruit->Spawn(kind);
        return *fruit;
    }

    GameStats stats;
    ClassicHud hud;
    ClassicMode mode;
};

TEST_F(ClassicModeTest, SpeedGrowsWithTheSquareOfTheRoundTimeWhilePlaying) {
    ASSERT_EQ(mode.state, ClassicMode::Playing);
    GameRecord& record = GetGameRecord();
    record.gameTime = 10.0f;
    EXPECT_FLOAT_EQ(mode.GetGameSpeed(), 1.5f + 0.01f * 100.0f);
    mode.state = ClassicMode::GameOver;
    EXPECT_FLOAT_EQ(mode.GetGameSpeed(), 1.0f);
    EXPECT_TRUE(mode.AreWavesSuspended());
}

TEST_F(ClassicModeTest, WithoutTheSettingsFileTheWorldStillMoves) {
    ClassicMode::Settings() = ClassicSettings{};
    TestSupport::LogCapture capture;
    ClassicMode::LoadConfig();  // no file system holds it here
    EXPECT_TRUE(TestSupport::IsOneLogLineNaming(capture.Take(), "ClassicMode: ", "originalModeInfo"));
    EXPECT_FLOAT_EQ(mode.GetGameSpeed(), 1.0f);
    EXPECT_EQ(ClassicMode::Settings().beanScore, 0);
}

TEST_F(ClassicModeTest, TheBeanComesOnScheduleEvenWithAFractionalVariation) {
    WaveManager& waves = WaveManager::Instance();
    waves.numberOfWavesSinceReset = 1;
    mode.OnNewWave();
    // A variation below 1 adds nothing, not a 32-bit draw.
    EXPECT_EQ(mode.nextBeanWave, 6u);
    EXPECT_EQ(mode.beansSpawned, 0u);
    waves.numberOfWavesSinceReset = 6;
    mode.OnNewWave();
    EXPECT_EQ(mode.beansSpawned, 1u);
    EXPECT_EQ(mode.nextBeanWave, 6u + 8u + 2u);
    ASSERT_EQ(WorldObjectManager::Instance().Count(1), 1);
    EXPECT_EQ(static_cast<Fruit*>(WorldObjectManager::Instance().GetNth(1, 0))->kind, 1);
}

TEST_F(ClassicModeTest, ABeanGivesPointsOrALifeThatFliesToItsMarker) {
    const int beanKind = 1;
    for (int lost = 0; lost <= 3; ++lost) {
        SCOPED_TRACE(lost);
        GetGameRecord().score = 0;
        mode.misses = lost;
        mode.heartTargets[0] = Vector3{1.0f, 0.0f, 0.0f};
        mode.heartTargets[1] = Vector3{2.0f, 0.0f, 0.0f};
        mode.heartTargets[2] = Vector3{3.0f, 0.0f, 0.0f};
        hud.plus25->played.clear();
        hud.extraLife->played.clear();
        Fruit& bean = MakeFruit(beanKind, 20.0f, 30.0f);
        mode.OnFruitSliced(&bean);
        if (lost == 0) {
            EXPECT_EQ(GetScore(), 25);
            EXPECT_EQ(hud.plus25->Last(), "trigger");
            EXPECT_EQ(mode.beanFlight, nullptr);
        } else {
            EXPECT_EQ(mode.misses, lost - 1);
            EXPECT_EQ(GetScore(), 0);
            EXPECT_EQ(hud.extraLife->Last(), "trigger");
            ASSERT_NE(mode.beanFlight, nullptr);
            EXPECT_FLOAT_EQ(mode.beanFlight->end.x, static_cast<float>(std::min(lost, 2) + 1));
        }
        EXPECT_FLOAT_EQ(TestSupport::PositionOf(lost == 0 ? hud.plus25 : hud.extraLife).y, -30.0f);
    }
    // Not a bean: nothing.
    mode.misses = 1;
    mode.OnFruitSliced(&MakeFruit(0, 0.0f, 0.0f));
    EXPECT_EQ(mode.misses, 1);
}

TEST_F(ClassicModeTest, TheBeanFlightLasts30FramesAtAnyRate) {
    for (float step : {1.0f / 30.0f, 1.0f / 60.0f, 1.0f / 144.0f}) {
        SCOPED_TRACE(step);
        mode.beanFlight = std::make_unique<BeanFlight>(Vector3{}, Vector3{30.0f, 60.0f, 0.0f}, 0.0f, false);
        int frames = 0;
        while (mode.beanFlight != nullptr && frames < 100) {
            mode.Update(step);
            ++frames;
            if (mode.beanFlight != nullptr && frames == 15) {
                EXPECT_NEAR(mode.beanFlight->current.x, 15.0f, 0.5f) << "half way at half time";
            }
        }
        EXPECT_EQ(frames, 30);
    }
}

TEST_F(ClassicModeTest, MissesShowAtMostThreeCrossesAndTheThirdEndsTheGame) {
    GameRecord& record = GetGameRecord();
    for (int miss = 1; miss <= 4; ++miss) {
        SCOPED_TRACE(miss);
        Fruit& fruit = MakeFruit(0, 500.0f, -100.0f);
        mode.OnFruitMissed(&fruit);
        EXPECT_EQ(mode.misses, miss);
        if (miss <= 3) {
            EXPECT_EQ(hud.markers[miss - 1]->Last(), "out");
            EXPECT_EQ(hud.crosses[miss - 1]->Last(), "animate_trigger");
            EXPECT_TRUE(hud.crosses[miss - 1]->IsEnabled());
            // Kept inside the screen: x clamped to the right edge.
            EXPECT_LE(TestSupport::PositionOf(hud.crosses[miss - 1]).x, LogicalScreenWidth() / 2.0f);
        }
    }
    for (ProbeComponent* cross : hud.crosses) {
        EXPECT_EQ(cross->played.size(), 1u) << "no fourth pop-up while three show";
    }
    EXPECT_TRUE(record.fruitMissed);
    mode.Update(1.0f / 60.0f);
    EXPECT_EQ(mode.state, ClassicMode::Finished) << "no game-over container: the results at once";
    EXPECT_EQ(GetSessionState().resultsOpened, 1);
    EXPECT_TRUE(record.notInPlay);
    // Out of play a miss changes nothing.
    mode.OnFruitMissed(&MakeFruit(0, 0.0f, 0.0f));
    EXPECT_EQ(mode.misses, 4);
}

TEST_F(ClassicModeTest, CombosShowTheirSizeAndPickTheirTrigger) {
    const struct {
        int fruit;
        const char* trigger;
    } cases[] = {{3, "trigger0"}, {4, "trigger1"}, {5, "trigger2"}, {9, "trigger2"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fruit);
        mode.ShowCombo(c.fruit, Vector3{10.0f, 20.0f, 0.0f});
        EXPECT_EQ(hud.combo->Last(), c.trigger);
        EXPECT_EQ(hud.comboLabel->FindProperty<int>(AsciiString("value"))->Get(), c.fruit);
    }
    hud.combo->played.clear();
    mode.ShowCombo(2, Vector3{});
    EXPECT_TRUE(hud.combo->played.empty());
}

TEST_F(ClassicModeTest, SavedStateCarriesLivesBeansAndTheFlight) {
    mode.misses = 2;
    mode.beansSpawned = 3;
    mode.nextBeanWave = 17;
    GameStats saved;
    mode.CaptureSaveState(saved);
    EXPECT_EQ(saved.misses, 2);
    EXPECT_EQ(saved.classicBeanCount, 3);
    EXPECT_EQ(saved.classicRequiredWaves, 17);
    EXPECT_EQ(saved.beanTime, -1.0f);
    mode.beanFlight = std::make_unique<BeanFlight>(Vector3{1, 2, 0}, Vector3{3, 4, 0}, 0.25f, true);
    mode.CaptureSaveState(saved);
    EXPECT_FLOAT_EQ(saved.beanTime, 0.25f);
    EXPECT_EQ(saved.beanVisible, 1);
    EXPECT_EQ(mode.GetSaveState(), 2);
}

}  // namespace
}  // namespace Varnok
