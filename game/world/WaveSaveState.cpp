// The wave manager's share of a saved game: its state into the statistics
// store's snapshot, and the play field and waves rebuilt from it.
#include "game/world/WaveManager.h"

#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/SessionControl.h"
#include "game/world/Blast.h"
#include "game/world/Bomb.h"
#include "game/world/Fruit.h"
#include "game/world/FruitCatalogue.h"
#include "game/world/GameCamera.h"
#include "game/world/WorldObjectManager.h"

#include <algorithm>

namespace Varnok {
namespace {

constexpr int kClassicLives = 3;
constexpr int kChallengeLives = 4;

bool IsCandidate(const WaveInfo& wave, int32_t waveCount) {
    return waveCount >= wave.waveNo && (waveCount <= wave.until || wave.until == WaveInfo::kUntilForever);
}

WorldObject* RestoreEntity(const SavedEntity& saved) {
    const int fruitKinds = FruitCatalogue::Get().Count();
    const WorldObjectType type = saved.type < 0             ? WorldObjectType::Blast
                                 : saved.type < fruitKinds ? WorldObjectType::Fruit
                                                           : WorldObjectType::Bomb;
    WorldObject* object = WorldObjectManager::Instance().Acquire(static_cast<uint32_t>(type));
    if (object == nullptr) {
        return nullptr;
    }
    object->position = saved.pos;
    object->velocity = saved.vel;
    object->id = static_cast<uint32_t>(saved.id);
    if (auto* fruit = dynamic_cast<Fruit*>(object)) {
        fruit->Spawn(saved.type, 1.0f);
        fruit->scale = saved.scale;
        fruit->acceleration = saved.grav;
        if (saved.wait > 0.0f) {
            fruit->StartFlightTimer(saved.wait);
        }
    } else if (auto* bomb = dynamic_cast<Bomb*>(object)) {
        bomb->Spawn(1.0f);
        bomb->scale = saved.scale;
        bomb->acceleration = saved.grav;
        if (saved.hit != 0) {
            bomb->hit = true;
            bomb->explosionTimer = saved.wait;
        } else if (saved.wait > 0.0f) {
            bomb->SetThrowDelay(saved.wait);
        }
    } else {
        object->Spawn();
        if (saved.wait > 0.0f) {
            // A blast grows with the frame step, whatever step it is given.
            float& frameStep = GetGameRecord().frameStep;
            const float kept = frameStep;
            frameStep = saved.wait;
            object->Update(saved.wait);
            frameStep = kept;
        }
    }
    return object;
}

}  // namespace

bool WaveManager::SaveState(GameStats& stats) const {
    stats.speedLossTime = 0.0f;
    stats.desiredSpeed = 0.0f;
    stats.nextComboBonus = 0.0f;
    stats.blitzSpawnedThisGame = blitzSpawnedThisGame;
    stats.blitzForceSpawnedCounter = blitzForceSpawnedCounter;
    stats.blitzSpawnTime = blitzSpawnTime;
    stats.numberOfWavesSinceReset = numberOfWavesSinceReset;
    stats.savedWaves.clear();
    const WaveList& list = GetList(ModeIndex());
    if ((GetGameRecord().notInPlay && waveCount >= 0) || list.empty()) {
        return false;
    }
    stats.globalWaveDt = globalWaveDt;
    for (size_t i = 0; i < list.size(); ++i) {
        const WaveInfo& wave = *list[i];
        if (!IsCandidate(wave, waveCount)) {
            continue;
        }
        SavedWave saved;
        saved.inc = wave.repeat;
        saved.index = static_cast<int32_t>(i);
        if (&wave == m_currentWave) {
            for (const WaveSpawnRequest& spawn : wave.spawns) {
                saved.spawners.push_back(SavedSpawner{spawn.remaining, spawn.timer});
            }
        }
        stats.savedWaves.push_back(std::move(saved));
    }
    stats.waveCount = waveCount;
    stats.numberOfWavesSpawned = numberOfWavesSpawned;
    stats.waveDelay = waveDelay;
    stats.waveWait = waveWait;
    stats.speedLossTime = speedLossTime;
    stats.desiredSpeed = desiredSpeed;
    stats.nextComboBonus = nextComboBonus;
    stats.typesToPickFromCount = std::min(typesToPickFromCount, GameStats::kTypesToPickFrom);
    std::copy(std::begin(typesToPickFrom), std::end(typesToPickFrom), stats.typesToPickFrom);
    return true;
}

void WaveManager::RestoreSavedGame() {
    GameRecord& record = GetGameRecord();
    GameStats* stats = Stats();
    if (stats == nullptr) {
        return;
    }
    SetScore(stats->score);
    Fruit::SetSliceRecords(stats->consecutiveType, stats->consecutiveCount);
    record.fruitMissed = stats->hasDropped != 0;
    lastChoiceWaveNo = 0;
    typesToPickFromCount = 1;
    std::fill(std::begin(typesToPickFrom), std::end(typesToPickFrom), -1);

    int restored = 0;
    for (const SavedEntity& saved : stats->savedEntities) {
        if (RestoreEntity(saved) != nullptr) {
            ++restored;
        }
    }
    // One update with nothing elapsed, so that everything takes its place;
    // what counts with the frame step must not age either.
    const float frameStep = record.frameStep;
    record.frameStep = 0.0f;
    WorldObjectManager::Instance().UpdateAll(0.0f);
    record.frameStep = frameStep;

    const bool classic = ModeIndex() == 0;
    const bool inGameOver = stats->go_bombHitTime > 0.0f || stats->go_state >= 0;
    const int lives = classic ? kClassicLives : kChallengeLives;
    // A game in its game-over sequence, or with no lives left, is not resumed.
    const bool resume = !(classic && inGameOver) && (restored > 0 || !stats->savedWaves.empty()) &&
                        stats->misses < lives;
    if (resume) {
        PauseGame(1);
        typesToPickFromCount = std::max(1, std::min(stats->typesToPickFromCount, kMaxTypesToPick));
        std::copy(std::begin(stats->typesToPickFrom), std::end(stats->typesToPickFrom), typesToPickFrom);
        waiting = true;
        waveCount = stats->waveCount;
        numberOfWavesSpawned = stats->numberOfWavesSpawned;
        waveDelay = stats->waveDelay;
        waveWait = stats->waveWait;
        globalWaveDt = stats->globalWaveDt;
        blitzSpawnedThisGame = static_cast<uint8_t>(stats->blitzSpawnedThisGame);
        blitzForceSpawnedCounter = static_cast<uint8_t>(stats->blitzForceSpawnedCounter);
        blitzSpawnTime = stats->blitzSpawnTime;
        numberOfWavesSinceReset = stats->numberOfWavesSinceReset;
        speedLossTime = stats->speedLossTime;
        nextComboBonus = stats->nextComboBonus;
        blitzBonus = stats->Get("blitz_bonus");
        currentSpeed = desiredSpeed = stats->desiredSpeed;
        WaveList& list = CurrentList();
        ResetRepetitions(list);
        for (const SavedWave& saved : stats->savedWaves) {
            if (saved.index < 0 || static_cast<size_t>(saved.index) >= list.size()) {
                continue;  // a list that changed since the save
            }
            WaveInfo& wave = *list[static_cast<size_t>(saved.index)];
            wave.repeat = saved.inc;
            if (saved.spawners.empty()) {
                continue;
            }
            m_currentWave = &wave;
            const size_t count = std::min(saved.spawners.size(), wave.spawns.size());
            for (size_t i = 0; i < count; ++i) {
                WaveSpawnRequest& spawn = wave.spawns[i];
                spawn.remaining = spawn.count = saved.spawners[i].toSpawn;
                spawn.elapsed = 0.0f;
                spawn.timer = saved.spawners[i].delay;
                ResolveSpawnKind(spawn);
                spawn.partner = -1;
            }
        }
    }
    if (record.camera != nullptr) {
        record.camera->shakeTime = stats->shake_time;
        record.camera->shakeLength = stats->shake_max_time;
    }
    stats->savedEntities.clear();
}

}  // namespace Varnok
