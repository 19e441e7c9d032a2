// The records of the wave lists ("waveManagerFile" XML: defaults, waves and
// their spawns) and the reader that fills them. Choosing, timing and
// launching waves is the wave manager's.
#pragma once

#include <tinyxml.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

// The per-mode default block each wave is seeded from.
struct WaveDefaults {
    int32_t waveChance = 10;
    float waveChanceRegrowth = 0.25f;
    float criticalChance = 1.0f;
    float dt = 1.0f;
    float dtInc = 0.0f;
    float dtSpInc = 0.0f;
    float beforeDelay = 2.0f;
    float beforeDelayInc = 0.0f;
    float nextDelay = 0.0f;
    float nextDelayInc = 0.0f;
    float nextDelaySpInc = 0.0f;
    uint8_t waitForEntities = 1;
    uint8_t waitForProcessing = 1;
    float speedLoss = 0.0f;
    int32_t overideProbabiltyPool = 100;
    int32_t playerSlot = 0;
    int32_t secondPlayerSlot = -1;
};

// The global wave speed of a mode: it grows from start by inc per second up
// to max.
struct WaveGlobalDt {
    float inc = 0.0f;
    float start = 1.0f;
    float max = 1.0f;
};

struct CoinChance {
    int32_t max = 1;
    int32_t min = 1;
    int32_t chance = 100;
};

enum class SpawnPlacement : int32_t { Bottom = 0, Top = 1, Left = 2, Right = 3, LeftRight = 4 };

// A decimal from outside data as a whole number: truncated towards 0 and
// kept within lo..hi; NaN gives 0 (clamped). Data files may hold any value,
// and a plain conversion of one out of range is undefined.
inline int32_t TruncateClamped(double value, int32_t lo, int32_t hi) {
    if (!(value == value)) {
        return lo > 0 ? lo : (hi < 0 ? hi : 0);
    }
    if (value <= static_cast<double>(lo)) {
        return lo;
    }
    if (value >= static_cast<double>(hi)) {
        return hi;
    }
    return static_cast<int32_t>(value);
}

// Most objects one spawn throws in one wave: the world-object pool's size.
constexpr int32_t kMaxSpawnCount = 512;

// Kinds a spawn's type names resolve to besides catalogue indices.
constexpr int32_t kSpawnKindUnknown = -1;  // the fruit picks a kind itself
constexpr int32_t kSpawnKindBomb = -2;
constexpr int32_t kSpawnPositionUnset = 99999;

// One spawn of a wave; also built in memory to launch a single object, so
// every field has its default.
struct WaveSpawnRequest {
    static constexpr int32_t kNormal = 1;
    static constexpr int32_t kOverriding = 2;

    std::vector<int32_t> kinds;  // one per type, resolved at every wave start
    std::vector<std::string> types;
    int32_t typeCount = 0;
    float dt = 1.0f;  // time factor handed to the launched object
    int32_t overrideMode = kNormal;
    int32_t partner = -1;  // run: the spawn whose slot this one took
    float gravity[3] = {0.0f, -1.0f, 0.0f};
    int32_t posX = kSpawnPositionUnset;
    int32_t posY = kSpawnPositionUnset;
    int32_t sin = 0;  // degrees
    int32_t cos = 0;  // degrees
    int32_t radius = 0;
    float velX = 0.0f;
    float velY = 0.0f;
    float velXscale = 1.0f;
    float velYscale = 1.0f;
    float horizMin = -1.0f;
    float horizMax = 1.0f;
    int32_t placement = static_cast<int32_t>(SpawnPlacement::Bottom);
    float min = 0.0f;
    float minInc = 0.0f;
    float max = 0.0f;
    float maxInc = 0.0f;
    float delay = 0.0f;  // seconds between objects
    float delayInc = 0.0f;
    int32_t remaining = 0;  // run
    int32_t count = 0;      // run
    float elapsed = 0.0f;   // run
    float timer = 0.0f;     // run: launch delay of the next object
    int32_t replaceWithChallengeFruit = 0;
    int32_t challengeFruitsMade = 0;  // run
    uint8_t mirror = 0;  // carried with the placement; no launch rule reads it
};

struct WaveInfo {
    static constexpr int32_t kUntilForever = -2;
    static constexpr size_t kDebugNameMax = 63;

    int32_t waveNo = 0;
    int32_t until = -1;
    std::string debugName;
    std::vector<WaveSpawnRequest> spawns;
    float dt = 1.0f;
    float dtInc = 0.0f;
    float dtSpInc = 0.0f;
    float speedLoss = 0.0f;
    float beforeDelay = 2.0f;
    float beforeDelayInc = 0.0f;
    float nextDelay = 0.0f;
    float nextDelayInc = 0.0f;
    float nextDelaySpInc = 0.0f;
    float repeat = 0.0f;  // run: 1 at game start, +1 each time the wave is left
    uint8_t waitForEntities = 1;
    uint8_t waitForProcessing = 1;
    int32_t chance = 10;
    int32_t currentChance = 0;  // run
    float chanceRegrowth = 0.25f;
    float currentRegrowth = 0.25f;  // run
    int32_t gamesMin = -1;
    int32_t gamesMax = -1;
    std::vector<std::string> chooseFrom;
    int32_t chooseCount = 0;
    float criticalChance = 1.0f;
    int32_t id = 0;  // position among the file's waves
    std::unique_ptr<std::vector<CoinChance>> coinChances;
    int32_t overideProbabiltyPool = 100;
    int32_t total = 0;
    int32_t timesLeft = 0;  // run
    int32_t ignoreTimes = 0;
    std::unique_ptr<std::vector<uint32_t>> excludeTags;  // name hashes

    int SpawnCount() const { return static_cast<int>(spawns.size()); }
};

using WaveList = std::vector<std::unique_ptr<WaveInfo>>;

// What one file fills for its mode.
struct WaveListTarget {
    WaveDefaults* defaults = nullptr;
    WaveGlobalDt* globalDt = nullptr;
    std::vector<CoinChance>* coinChances = nullptr;
    WaveList* waves = nullptr;
};

// Reads a parsed document into the target. A document that failed to load or
// whose root is not "waveManagerFile" adds no wave and leaves the defaults;
// `source` names it in the one log line. "until" is completed over the whole
// list afterwards in every case. Requires: every target pointer set.
void ReadWaveList(const TiXmlDocument& document, const char* source, const WaveListTarget& target);
// The same over text, for tests and the fuzz target.
void ReadWaveListText(const char* text, size_t length, const WaveListTarget& target);

// Fills one spawn; false, leaving it untouched, for an element not named
// "Spawn" (compared through the name hash).
bool ParseSpawn(const TiXmlElement& element, WaveSpawnRequest& spawn);
// One entry per "coin_chance" child, replacing the list.
void ParseCoinChances(std::vector<CoinChance>& list, const TiXmlElement& element);
// "BOTTOM" 0 ... "LEFT_RIGHT" 4, letter case ignored; anything else 0.
int32_t SpawnPlacementFromName(const char* text);
// "OVERRIDE_ANY" and "DONT_OVERRIDE" make the spawn overriding, anything
// else normal.
void SpawnOverrideFromName(WaveSpawnRequest& spawn, const char* text);

}  // namespace Varnok
