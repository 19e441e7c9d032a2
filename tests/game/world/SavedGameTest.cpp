// A game in progress written to the save file and restored through the wave
// manager gives the same play field and wave state.
#include "game/rules/GameFunctions.h"
#include "game/rules/SaveFile.h"
#include "game/world/Blast.h"
#include "tests/game/rules/SaveFolder.h"
#include "tests/game/world/PlayFieldFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Varnok {
namespace {

using TestSupport::PlayFieldTest;

// What a player sees of one object, and what decides how it goes on.
struct FieldEntry {
    int type = 0;
    uint32_t id = 0;
    int kind = -1;
    Vector3 position;
    Vector3 velocity;
    Vector3 scale;
    Vector3 acceleration;
    float wait = 0.0f;
    bool hit = false;
};

std::vector<FieldEntry> PlayField() {
    std::vector<FieldEntry> field;
    WorldObjectManager& world = WorldObjectManager::Instance();
    for (WorldObjectType type : {WorldObjectType::Fruit, WorldObjectType::Bomb, WorldObjectType::Blast}) {
        WorldObjectManager::Cursor cursor = nullptr;
        for (WorldObject* o = world.First(static_cast<uint32_t>(type), cursor); o != nullptr;
             o = world.Next(static_cast<uint32_t>(type), cursor)) {
            if (o->IsDead()) {
                continue;
            }
            FieldEntry entry;
            entry.type = static_cast<int>(type);
            entry.id = o->id;
            entry.position = o->position;
            if (auto* fruit = dynamic_cast<Fruit*>(o)) {
                entry.kind = fruit->kind;
                entry.velocity = fruit->velocity;
                entry.scale = fruit->scale;
                entry.acceleration = fruit->acceleration;
                entry.wait = std::max(0.0f, fruit->launchWait);  // below 0 it is simply in flight
            } else if (auto* bomb = dynamic_cast<Bomb*>(o)) {
                entry.velocity = bomb->velocity;
                entry.scale = bomb->scale;
                entry.acceleration = bomb->acceleration;
                entry.hit = bomb->hit;
                entry.wait = bomb->hit ? bomb->explosionTimer : bomb->throwDelay;
            } else if (auto* blast = dynamic_cast<Blast*>(o)) {
                entry.wait = blast->age;
            }
            field.push_back(entry);
        }
    }
    return field;
}

void ExpectNear(const Vector3& a, const Vector3& b) {
    EXPECT_NEAR(a.x, b.x, 1e-4f);
    EXPECT_NEAR(a.y, b.y, 1e-4f);
    EXPECT_NEAR(a.z, b.z, 1e-4f);
}

class SavedGameTest : public PlayFieldTest {
protected:
    template <typename T>
    T* Make(WorldObjectType type, const Vector3& position, uint32_t id) {
        auto* object = dynamic_cast<T*>(WorldObjectManager::Instance().Acquire(static_cast<uint32_t>(type)));
        EXPECT_NE(object, nullptr);
        object->position = position;
        object->velocity = Vector3{3.0f, 7.5f, 0.0f};
        object->id = id;
        return object;
    }

    TestSupport::SaveFolder folder{"game"};
};

TEST_F(SavedGameTest, ASavedGameRestoresTheSamePlayFieldAndWaves) {
    LoadWaves("<WaveInfo><Spawn type='apple' min='30' max='31' delay='0.5'/></WaveInfo>"
              "<WaveInfo waveNo='1'><Spawn type='lime' min='2' max='3'/></WaveInfo>");
    WaveManager& waves = WaveManager::Instance();
    waves.Reset(1);
    for (int i = 0; i < 170; ++i) {  // past the wave's start: apples thrown and waiting
        waves.Update(1.0f / 60.0f);
        Run(1);
    }
    // A stack fruit and a fruit waiting for its throw, a bomb waiting, one
    // exploding, and a blast under way, each with its own id.
    Fruit* stacked = Make<Fruit>(WorldObjectType::Fruit, Vector3{-130.0f, 420.0f, 0.0f}, 131);
    stacked->Spawn(1, 1.0f);
    stacked->acceleration = Vector3{0.0f, -6.0f, 0.0f};
    Fruit* waiting = Make<Fruit>(WorldObjectType::Fruit, Vector3{40.0f, -20.0f, 0.0f}, 2);
    waiting->Spawn(0, 1.0f);
    waiting->StartFlightTimer(0.4f);
    Bomb* thrown = Make<Bomb>(WorldObjectType::Bomb, Vector3{10.0f, 50.0f, 0.0f}, 65);
    thrown->Spawn(1.0f);
    thrown->SetThrowDelay(0.3f);
    Bomb* exploding = Make<Bomb>(WorldObjectType::Bomb, Vector3{-60.0f, 80.0f, 0.0f}, 66);
    exploding->Spawn(1.0f);
    exploding->hit = true;
    exploding->explosionTimer = 0.45f;
    Blast* blast = Make<Blast>(WorldObjectType::Blast, Vector3{5.0f, 6.0f, 0.0f}, 0);
    blast->Spawn();
    blast->Update(0.25f);

    stats.roundInPlay = 1;
    stats.score = 37;
    stats.beanTime = 0.2f;
    stats.beanStartPos = Vector3{1.0f, 2.0f, 3.0f};
    stats.beanEndPos = Vector3{-4.0f, 5.0f, 0.0f};
    stats.beanVisible = 0;
    ASSERT_TRUE(waves.SaveState(stats));
    const std::vector<FieldEntry> before = PlayField();
    ASSERT_GE(before.size(), 6u);  // the five above and thrown fruit
    const int waveCount = waves.waveCount;
    const int spawned = waves.numberOfWavesSpawned;
    const float waveDelay = waves.waveDelay;
    const WaveInfo* current = waves.GetCurrentWave();
    ASSERT_NE(current, nullptr);
    const int remaining = current->spawns[0].remaining;
    const float timer = current->spawns[0].timer;
    ASSERT_TRUE(SaveFile::Write(stats));

    // A fresh run: an empty field, a fresh store read from the file.
    WorldObjectManager::Instance().Clear();
    waves.Reset(1);
    stats = GameStats();
    folder.Mount();
    SaveFile::Load(stats);
    ASSERT_EQ(stats.savedEntities.size(), before.size());
    EXPECT_EQ(stats.beanVisible, 0);
    ExpectNear(stats.beanEndPos, Vector3{-4.0f, 5.0f, 0.0f});
    stats.score = 37;  // the store's snapshot, as the running game's copy holds it
    waves.RestoreSavedGame();

    const std::vector<FieldEntry> after = PlayField();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        SCOPED_TRACE("object " + std::to_string(i));
        EXPECT_EQ(after[i].type, before[i].type);
        EXPECT_EQ(after[i].id, before[i].id);
        EXPECT_EQ(after[i].kind, before[i].kind);
        ExpectNear(after[i].position, before[i].position);
        ExpectNear(after[i].velocity, before[i].velocity);
        ExpectNear(after[i].scale, before[i].scale);
        ExpectNear(after[i].acceleration, before[i].acceleration);
        EXPECT_NEAR(after[i].wait, before[i].wait, 1e-4f);
        EXPECT_EQ(after[i].hit, before[i].hit);
    }
    EXPECT_TRUE(stats.savedEntities.empty());
    EXPECT_EQ(GetScore(), 37);
    EXPECT_EQ(waves.waveCount, waveCount);
    EXPECT_EQ(waves.numberOfWavesSpawned, spawned);
    EXPECT_FLOAT_EQ(waves.waveDelay, waveDelay);
    ASSERT_EQ(waves.GetCurrentWave(), current);
    EXPECT_EQ(current->spawns[0].remaining, remaining);
    EXPECT_NEAR(current->spawns[0].timer, timer, 1e-4f);
}

TEST_F(SavedGameTest, NoWaveStateWhileNoRoundIsInPlayAfterTheFirstWave) {
    LoadWaves("<WaveInfo><Spawn type='apple' min='1' max='2'/></WaveInfo>");
    WaveManager& waves = WaveManager::Instance();
    waves.Reset(1);
    GetGameRecord().notInPlay = true;
    stats.savedWaves.push_back(SavedWave{});
    EXPECT_FALSE(waves.SaveState(stats));
    EXPECT_TRUE(stats.savedWaves.empty());
    GetGameRecord().notInPlay = false;
}

}  // namespace
}  // namespace Varnok
