// A play field for world tests: the object pool and manager with the game's
// factory, a three-kind catalogue, a running mode whose waves advance, a
// statistics store, and the record set for play at 60 updates a second.
#pragma once

#include "engine/core/Random.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/InGameMode.h"
#include "game/world/Bomb.h"
#include "game/world/Fruit.h"
#include "game/world/FruitCatalogue.h"
#include "game/world/WaveManager.h"
#include "game/world/WorldObjectClasses.h"
#include "game/world/WorldObjectFactory.h"
#include "game/world/WorldObjectManager.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace TestSupport {

class PlayingMode : public InGameMode {
public:
    int GetModeType() const override { return kClassic; }
    void Start() override {}
    Component* ShowHud() override { return nullptr; }
    bool AreWavesSuspended() override { return suspended; }
    void OnFruitSliced(Fruit*) override {}
    void OnNewWave() override { ++newWaves; }
    void OnBombHit(const Vector3& position) override {
        ++bombHits;
        lastBomb = position;
    }
    int GetSaveState() override { return 0; }

    bool suspended = false;
    int newWaves = 0;
    int bombHits = 0;
    Vector3 lastBomb;
};

class PlayFieldTest : public testing::Test {
protected:
    void SetUp() override {
        WorldObject::CreatePool(kWorldObjectPoolBytes);
        WorldObjectManager& world = WorldObjectManager::Instance();
        ASSERT_TRUE(world.Init(kWorldObjectTypeCount, WorldObjectManager::kDefaultListArenaBytes));
        world.SetFactory(WorldObjectManager::Factory(&CreateWorldObject));
        const std::string text =
            "<fruitInfoFile><critical score=\"5\" chance=\"5\" chance_inc=\"30\"/>"
            "<bomb size=\"50\" collision=\"20\"/>"
            "<FruitInfo name=\"apple\" chance=\"5\"/><FruitInfo name=\"lime\" chance=\"5\"/>"
            "<FruitInfo name=\"bean\" chance=\"1\"/></fruitInfoFile>";
        FruitCatalogue::Get().Unload();
        FruitCatalogue::Get().LoadFromText(text.data(), text.size());
        Fruit::ResetDepthCounter();
        Bomb::ResetDepthCounter();
        GameRecord& record = GetGameRecord();
        record.frameStep = 1.0f / 60.0f;
        record.notInPlay = false;
        record.paused = false;
        record.score = 0;
        record.modeIndex = 0;
        record.bombExplosionTime = 0.0f;
        record.menuPhase = 0.0f;
        record.bombSize = 50.0f;
        record.bombCollision = 20.0f;
        record.currentMode = &mode;
        record.stats = &stats;
        GlobalRandom().Reseed(Random::kInitialState);
        WaveManager& waves = WaveManager::Instance();
        waves.Unload();
        waves.bombFactor = waves.fruitFactor = waves.bombScale = 1.0f;
        waves.timeScale = 1.0f;
        Fruit::SetGenerators(&GlobalRandom(), &waves.GetRandom());
    }
    void TearDown() override {
        GameRecord& record = GetGameRecord();
        record.currentMode = nullptr;
        record.stats = nullptr;
        record.bombExplosionTime = 0.0f;  // a bomb test may leave the explosion running
        WaveManager::Instance().Unload();
        WorldObjectManager::Instance().Shutdown();
        Fruit::SetGenerators(nullptr, nullptr);
        WorldObject::DestroyPool();
        FruitCatalogue::Get().Unload();
    }

    void LoadWaves(const std::string& body, int mode = 0) {
        const std::string text = "<waveManagerFile>" + body + "</waveManagerFile>";
        WaveManager::Instance().LoadWaveListText(text.data(), text.size(), mode);
    }
    static int Count(WorldObjectType type) {
        return WorldObjectManager::Instance().Count(static_cast<uint32_t>(type));
    }
    static WorldObject* Nth(WorldObjectType type, int n) {
        return WorldObjectManager::Instance().GetNth(static_cast<uint32_t>(type), n);
    }
    // n world updates of one frame each, the world at the frame step.
    static void Run(int frames) {
        for (int i = 0; i < frames; ++i) {
            WorldObjectManager::Instance().UpdateAll(GetGameRecord().frameStep);
        }
    }

    PlayingMode mode;
    GameStats stats;
};

}  // namespace TestSupport
}  // namespace Varnok
