// The game's statistics store: named counters for the running game and for
// good, best and unposted scores, the days each mode was last played, the
// waves' cool-downs, the unlock queue's records and the snapshot of a game in
// progress that the save file carries. Main thread only.
#pragma once

#include "engine/core/MathUtil.h"

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace Varnok {

// Told of every counted statistic; the achievement manager and the
// challenge conditions listen through it. Not owned by the store.
class StatWatcher {
public:
    virtual ~StatWatcher() = default;
    // Asked for by an Add with the achievement check.
    virtual void CheckSpecific(int32_t value, uint32_t nameHash) = 0;
    // After every Add, whichever map it wrote.
    virtual void OnStatChanged(uint32_t nameHash) = 0;
};

struct StatEntry {
    static constexpr int kNameBytes = 64;
    char name[kNameBytes] = {};  // terminated; names of 64 bytes or more are refused
    uint32_t hash = 0;
    int32_t value = 0;
};

struct UnlockRecord {
    static constexpr int kNameBytes = 128;
    char name[kNameBytes] = {};  // an achievement id (leading digit) or an item name
    float countdown = 0.0f;      // seconds left in the queue; kept once shown
};

struct SavedSpawner {
    int32_t toSpawn = 0;
    float delay = 0.0f;
};

struct SavedWave {
    std::vector<SavedSpawner> spawners;
    float inc = 0.0f;
    int32_t index = 0;
};

// A super fruit's own state within a saved world object.
struct SavedSuperFruit {
    float time = 0.0f;
    float sliceTime = 0.0f;
    int32_t hits = 0;
    float rot = 0.0f;
};

struct SavedEntity {
    Vector3 vel;
    Vector3 pos;
    Vector3 scale;
    Vector3 grav;
    uint8_t hit = 0;
    int32_t type = 0;
    int32_t hits = 0;
    int32_t id = 0;
    float wait = 0.0f;
    float sliceWait = -1.0f;  // -1 when absent
    std::optional<SavedSuperFruit> superFruitState;
};

struct ChallengeGroupRecord {
    int32_t chance = 0;
    int32_t death = 0;
    int32_t plays = 0;
};

struct PlayedChallenge {
    char name[128] = {};
    int32_t index = 0;
    int32_t challengeIndex = 0;
    int32_t result = 0;
};

class GameStats {
public:
    static constexpr int kModeCount = 2;
    static constexpr int kTypesToPickFrom = 32;
    static constexpr int kBestComboKinds = 11;
    static constexpr int kDefaultCriticalChance = 70;

    using StatMap = std::map<uint32_t, StatEntry>;
    using UnlockMap = std::map<uint32_t, UnlockRecord>;

    GameStats() = default;
    // Copied whole (the save routine fills the snapshot in a copy).
    GameStats(const GameStats&) = default;
    GameStats& operator=(const GameStats&) = default;

    // Adds delta to the statistic of that hash in the lifetime map (lifetime
    // non-zero) or the session map, creating it (delta 0 too); answers the
    // new value. A new name of 64 bytes or more is refused with one log line
    // and answers 0.
    int32_t Add(const char* name, uint32_t hash, int32_t delta, int lifetime, int checkAchievements);
    // The same, hashing the name.
    int32_t Add(const char* name, int32_t delta, int lifetime, int checkAchievements);
    // Brings the statistic to value (measured against what Get reads) and
    // answers the old value.
    int32_t Set(const char* name, int32_t value, int lifetime, int checkAchievements);
    // The session value, else the lifetime value, else 0.
    int32_t Get(const char* name) const;
    int32_t GetByHash(uint32_t hash) const;
    void Erase(uint32_t hash);
    void ClearSession() { sessionStats.clear(); }
    // Every lifetime, then every session statistic through the watcher's
    // specific check.
    void RecheckAchievements();
    // Lowers every non-negative wave cool-down of both modes by one game.
    void DecrementCountdowns();
    void ResetTrackers();
    // Erases the streak of each mode last played before yesterday.
    void UpdateDayStreak(int32_t today);
    void UpdateDayStreak();
    // At the end of a game of that mode: the play streak grows, restarts
    // or starts, and today becomes the mode's last played day.
    void RecordPlayedDay(int mode, int32_t today);
    bool PlayedToday(int mode, int32_t today) const;
    bool PlayedToday(int mode) const;

    void SetWatcher(StatWatcher* watcher) { m_watcher = watcher; }

    StatMap sessionStats;
    StatMap lifetimeStats;
    uint8_t roundInPlay = 0;
    uint8_t rated = 0;
    std::vector<SavedEntity> savedEntities;
    uint8_t p2pCancelled = 0;
    int32_t highscore = 0;
    int32_t modeBest[kModeCount] = {0, 0};
    int32_t unposted[kModeCount] = {0, 0};  // 0: none waiting
    int32_t score = 0;
    int32_t misses = 0;
    int32_t mode = 0;
    uint8_t hasDropped = 0;
    int32_t consecutiveType = -1;
    int32_t consecutiveCount = 0;
    int32_t typesToPickFromCount = 0;
    int32_t typesToPickFrom[kTypesToPickFrom] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                                 -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                                 -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    float speedLossTime = 0.0f;
    float desiredSpeed = 0.0f;
    float nextComboBonus = 0.0f;
    float timer = -1.0f;
    int32_t critical_chance = kDefaultCriticalChance;
    int32_t gameState = 0;
    int32_t modeState = 0;
    float modeTime = 0.0f;
    int32_t classicBeanCount = 0;
    int32_t classicRequiredWaves = 0;
    int32_t classicCurrentWave = 0;
    Vector3 beanStartPos;
    Vector3 beanEndPos;
    float beanTime = 0.0f;
    uint8_t beanVisible = 0;
    std::map<uint32_t, ChallengeGroupRecord> challengeGroups;
    std::map<uint32_t, ChallengeGroupRecord> challengeRecords;
    std::vector<PlayedChallenge> playedChallenges;
    uint8_t hasChallengeData = 0;
    int32_t go_state = -1;
    float go_time = -1.0f;
    int32_t go_body = -1;
    int32_t go_head = -1;
    int32_t go_fruit = -1;
    int32_t go_fact = -1;
    uint8_t go_showHighScore = 0;
    uint8_t go_setScore = 0;
    float go_bombHitTime = 0.0f;
    float go_transition = -1.0f;
    float shake_time = 0.0f;
    float shake_max_time = 1.0f;
    int32_t waveCount = 0;
    int32_t numberOfWavesSpawned = 0;
    int32_t numberOfWavesSinceReset = 0;
    float waveDelay = 0.0f;
    float waveWait = 0.0f;
    float globalWaveDt = 1.0f;
    std::vector<SavedWave> savedWaves;
    UnlockMap unlockQueue;
    UnlockMap unlocked;  // shown already
    int32_t blitzSpawnedThisGame = 0;
    int32_t blitzForceSpawnedCounter = 0;
    float blitzSpawnTime = 0.0f;
    std::map<int32_t, int32_t> waveGameCounts[kModeCount];  // wave index to games to wait
    int32_t version = 0;
    int32_t lastPlayedDay[kModeCount] = {0, 0};
    int32_t bestComboCount = 0;
    int32_t bestComboKinds[kBestComboKinds] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

private:
    uint32_t StreakHash(int mode) const;

    StatWatcher* m_watcher = nullptr;
};

}  // namespace Varnok
