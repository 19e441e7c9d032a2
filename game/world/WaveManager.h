// Decides what is thrown and when: owns the wave lists, chooses each next
// wave by weighted chance, counts the delays before and after a wave, throws
// its fruit and bombs and waits for the play field to empty, all on its own
// clock of fixed 1/60 s steps and with its own generator, reseeded from the
// game-wide one at every game start. Main thread only.
#pragma once

#include "engine/core/Random.h"
#include "game/world/SuperFruitRules.h"
#include "game/world/WaveList.h"

#include <cstdint>
#include <vector>

namespace Varnok {

class Bomb;
class Fruit;
class GameStats;

class WaveManager {
public:
    static constexpr float kStepSeconds = 1.0f / 60.0f;
    static constexpr int kChapterCount = 3;
    static constexpr int kMaxTypesToPick = 32;
    static constexpr const char* kClassicFile = "xml/originalwavelist.xml";
    static constexpr const char* kChapterFiles[kChapterCount] = {
        "xml/ch1challengeWaveList.xml", "xml/ch2challengeWaveList.xml", "xml/ch3challengeWaveList.xml"};

    // The game's one manager, made on first use.
    static WaveManager& Instance();

    WaveManager();
    ~WaveManager();
    WaveManager(const WaveManager&) = delete;
    WaveManager& operator=(const WaveManager&) = delete;

    // Once at the game state's first entry: the classic list, then the three
    // chapter lists. Points the world's wave generator at this manager's.
    void Load();
    // One file into the list of a mode (1: the current chapter's).
    void LoadWaveList(const char* fileName, int mode);
    // The same over text already read, for tests and the fuzz target.
    void LoadWaveListText(const char* text, size_t length, int mode);
    void Unload();
    // The super-fruit rules (last step of Load); a missing file leaves none.
    void LoadProbabilities(const char* fileName) { m_rules.Load(fileName); }
    SuperFruitRuleSet& GetRules() { return m_rules; }
    void SetChallengeChapter(int chapter);

    // Starts a game; beginPlay 1 for the start of play itself.
    void Reset(int beginPlay);
    // Once per frame with the frame step.
    void Update(float stepSeconds);
    // One fixed step; only Update calls it (public for tests).
    void Step(float stepSeconds);
    // Chooses and prepares the next wave; answers its id (-1 with an empty
    // list).
    int StartNextWave();
    bool IsWaveWaiting();
    void EaseSpeed(float stepSeconds);
    void EndBlitz();
    void ResolveSpawnKind(WaveSpawnRequest& spawn);

    // One fruit; null when count is below 1 or no fruit could be taken.
    // request may be null (a lone fruit from the bottom edge).
    Fruit* SpawnWorldObject(int count, int kind, WaveSpawnRequest* request);
    // One bomb, likewise.
    Bomb* LaunchBomb(int count, WaveSpawnRequest* request);

    float GetGameSpeed() const;
    float GetCriticalFactor() const;
    void AddSpeedLossTime(float amount);
    void SetTimeScale(float value);
    void ResetTimeScale();
    // Draws the active powers' bars unless skip.
    static void RenderPowers(bool skip);

    // Drops the fruit still waiting to be thrown and removes the waiting bombs.
    static void RemoveActiveFruitsAndBombs();

    const WaveList& GetList(int mode) const;
    // The list games of the record's mode play now.
    WaveList& CurrentList();
    WaveInfo* GetCurrentWave() const { return m_currentWave; }
    const WaveDefaults& GetDefaults(int mode) const { return m_defaults[mode == 1 ? 1 : 0]; }
    const WaveGlobalDt& GetGlobalDt(int mode) const { return m_globalDt[mode == 1 ? 1 : 0]; }
    Random& GetRandom() { return m_waveRandom; }
    // Per-mode wave game counts used when no statistics store is installed.
    void SetStats(GameStats* stats) { m_stats = stats; }

    // The wave state of the running game into a store's snapshot fields;
    // false when there is none to keep (no round in play after the first
    // wave, or an empty list).
    bool SaveState(GameStats& stats) const;
    // Rebuilds the saved play field (fruit, bombs, blasts) and the wave
    // state from the store's snapshot, then frees the saved objects.
    void RestoreSavedGame();

    // Public state the game flow, the modes, fruit and bombs read and write.
    bool paused = false;
    float speedLossTime = 0.0f;
    float currentSpeed = 0.0f;
    float desiredSpeed = 0.0f;
    int32_t blitzBonus = 0;
    float nextComboBonus = 0.0f;
    float bombScale = 1.0f;
    float bombFactor = 1.0f;
    float fruitFactor = 1.0f;
    float criticalFactor = 1.0f;
    float globalWaveDt = 1.0f;
    float powerFactor = 1.0f;
    float timeScale = 1.0f;
    int32_t waveCount = -1;
    float waveDelay = 0.0f;
    float waveWait = 0.0f;
    bool waiting = false;
    uint8_t blitzSpawnedThisGame = 0;
    uint8_t blitzForceSpawnedCounter = 0;
    bool inWaveDelay = false;
    float blitzSpawnTime = 0.0f;
    int32_t typesToPickFrom[kMaxTypesToPick];
    int32_t lastChoiceWaveNo = 0;
    int32_t typesToPickFromCount = 1;
    int32_t numberOfWavesSinceReset = 1;
    float stepRemainder = 0.0f;
    int32_t numberOfWavesSpawned = 0;

private:
    void ResetRepetitions(WaveList& list);
    void PrepareSpawns(WaveInfo& wave);
    void Throw(WaveInfo& wave, float stepSeconds);
    int ModeIndex() const;
    GameStats* Stats() const;

    Random m_waveRandom;
    WaveGlobalDt m_globalDt[2];
    WaveDefaults m_defaults[2];
    std::vector<CoinChance> m_coinChances[2];
    WaveList m_classic;
    WaveList m_chapters[kChapterCount];
    int m_chapter = 0;
    WaveInfo* m_currentWave = nullptr;
    SuperFruitRuleSet m_rules;
    GameStats* m_stats = nullptr;  // not owned; null: the record's store
};

}  // namespace Varnok
