// Wave choice, timing and launching for WaveManager.
#include "game/world/WaveManager.h"

#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/core/MathUtil.h"
#include "engine/core/XmlDocument.h"
#include "game/rules/Achievements.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/InGameMode.h"
#include "game/rules/Powers.h"
#include "game/world/Bomb.h"
#include "game/world/Fruit.h"
#include "game/world/FruitCatalogue.h"
#include "game/world/WorldObjectManager.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace Varnok {

namespace {

constexpr float kMinDelaySeconds = 0.05f;
constexpr float kRetriesEraseSeconds = 10.5f;
constexpr float kUpsideDownGraceSeconds = 5.0f;
constexpr float kLaunchWaitExtra = 0.21f;  // seconds added to every launch delay
constexpr float kOffscreenPush = 55.0f;
constexpr float kHorizontalRange = 150.0f;
constexpr int kSpreadFruit = 20;
constexpr int kSpreadFruitSides = 12;
constexpr int kSpreadBomb = 10;
constexpr int kSpreadBombSides = 6;
constexpr float kBombDepth = 32.0f;

uint32_t HashOf(const char* text) {
    return HashName(text, static_cast<int>(std::strlen(text)));
}

bool IsSidePlacement(int32_t placement) {
    return placement == static_cast<int32_t>(SpawnPlacement::Left) ||
           placement == static_cast<int32_t>(SpawnPlacement::Right) ||
           placement == static_cast<int32_t>(SpawnPlacement::LeftRight);
}

// Where and how fast one object starts, before its class takes it.
struct Launch {
    Vector3 position;
    Vector3 velocity;
    Vector3 offscreen{0.0f, -1.0f, 0.0f};
    int32_t placement = 0;  // after LEFT_RIGHT was decided
};

}  // namespace

WaveManager& WaveManager::Instance() {
    static WaveManager manager;
    return manager;
}

WaveManager::WaveManager() {
    std::fill(std::begin(typesToPickFrom), std::end(typesToPickFrom), -1);
}

WaveManager::~WaveManager() {
    Unload();
}

int WaveManager::ModeIndex() const {
    return GetGameRecord().modeIndex == 1 ? 1 : 0;
}

GameStats* WaveManager::Stats() const {
    return m_stats != nullptr ? m_stats : GetGameRecord().stats;
}

const WaveList& WaveManager::GetList(int mode) const {
    return mode == 1 ? m_chapters[m_chapter] : m_classic;
}

WaveList& WaveManager::CurrentList() {
    return ModeIndex() == 1 ? m_chapters[m_chapter] : m_classic;
}

void WaveManager::Load() {
    Fruit::SetGenerators(&GlobalRandom(), &m_waveRandom);
    paused = false;
    m_currentWave = nullptr;
    blitzSpawnedThisGame = 0;
    blitzForceSpawnedCounter = 0;
    powerFactor = 1.0f;
    globalWaveDt = 1.0f;
    timeScale = 1.0f;
    blitzSpawnTime = 10.0f + 10.0f * m_waveRandom.NextFloat();
    m_globalDt[0] = m_globalDt[1] = WaveGlobalDt{};
    LoadWaveList(kClassicFile, 0);
    for (int chapter = 0; chapter < kChapterCount; ++chapter) {
        m_chapter = chapter;
        LoadWaveList(kChapterFiles[chapter], 1);
    }
    m_chapter = 0;
    LoadProbabilities(SuperFruitRuleSet::kFileName);
}

void WaveManager::LoadWaveList(const char* fileName, int mode) {
    TiXmlDocument document;
    (void)LoadXmlDocument(document, fileName);  // ReadWaveList reports a refusal
    const int m = mode == 1 ? 1 : 0;
    ReadWaveList(document, fileName,
                 WaveListTarget{&m_defaults[m], &m_globalDt[m], &m_coinChances[m],
                                m == 1 ? &m_chapters[m_chapter] : &m_classic});
}

void WaveManager::LoadWaveListText(const char* text, size_t length, int mode) {
    const int m = mode == 1 ? 1 : 0;
    ReadWaveListText(text, length,
                     WaveListTarget{&m_defaults[m], &m_globalDt[m], &m_coinChances[m],
                                    m == 1 ? &m_chapters[m_chapter] : &m_classic});
}

void WaveManager::Unload() {
    m_currentWave = nullptr;
    m_rules.Clear();
    m_classic.clear();
    for (WaveList& list : m_chapters) {
        list.clear();
    }
}

void WaveManager::SetChallengeChapter(int chapter) {
    m_chapter = chapter >= 0 && chapter < kChapterCount ? chapter : 0;
}

void WaveManager::ResetRepetitions(WaveList& list) {
    GameStats* stats = Stats();
    const int mode = ModeIndex();
    for (size_t i = 0; i < list.size(); ++i) {
        WaveInfo& wave = *list[i];
        wave.repeat = 1.0f;
        wave.currentChance = wave.chance;
        wave.currentRegrowth = wave.chanceRegrowth;
        wave.timesLeft = 0;
        if (wave.gamesMin < 1 || stats == nullptr) {
            continue;
        }
        auto& counts = stats->waveGameCounts[mode];
        const auto found = counts.find(static_cast<int32_t>(i));
        if (found == counts.end()) {
            // Wide enough for any two limits a file gives.
            const int64_t sum = static_cast<int64_t>(wave.gamesMin) + wave.gamesMax;
            const int32_t n = static_cast<int32_t>(std::min<int64_t>(sum, INT32_MAX));
            const int32_t q = n / 4;
            // A bound of 0 would answer the raw 32-bit draw: it gives no
            // extra games instead. The draw is still taken so that later
            // draws stay where they were.
            const uint32_t a = m_waveRandom.NextBelow(static_cast<uint32_t>(std::max(q, 0)));
            int32_t extra = 0;
            if (q > 0 && a != 0) {
                const uint32_t b = m_waveRandom.NextBelow(static_cast<uint32_t>(q));
                const uint32_t drawn = m_waveRandom.NextBelow(b);
                extra = b > 0 ? static_cast<int32_t>(drawn) : 0;
            }
            const int32_t value = extra + n / 8;
            counts[static_cast<int32_t>(i)] = value;
            std::printf("GAMECOUNT:%i\n", value);
            wave.currentChance = 0;
            wave.currentRegrowth = 0.0f;
        } else if (found->second >= 1) {
            found->second = std::min(found->second, wave.gamesMax);
            wave.currentChance = 0;
            wave.currentRegrowth = 0.0f;
        }
    }
}

void WaveManager::Reset(int beginPlay) {
    GameRecord& record = GetGameRecord();
    m_waveRandom.Reseed(GlobalRandom().Next());
    PowerManager& powers = PowerManager::Instance();
    powers.ClearActive();
    powers.Preload();
    powers.OnWavesReset(0);
    numberOfWavesSinceReset = 1;
    stepRemainder = 0.0f;
    record.notInPlay = false;
    blitzSpawnedThisGame = 0;
    blitzForceSpawnedCounter = 0;
    paused = false;
    blitzSpawnTime = 10.0f + 10.0f * m_waveRandom.NextFloat();
    if (record.modeIndex != 1) {
        SetScore(0);
    }
    Fruit::ResetSliceRecords();
    record.fruitMissed = false;
    waveCount = -1;
    numberOfWavesSpawned = 0;
    waveWait = 0.0f;
    currentSpeed = desiredSpeed = speedLossTime = 0.0f;
    blitzBonus = 0;
    nextComboBonus = 0.0f;
    waiting = true;
    record.upsideDown = true;
    record.gameTime = 0.0f;
    RemoveActiveFruitsAndBombs();
    if (beginPlay == 1) {
        WorldObjectManager& world = WorldObjectManager::Instance();
        WorldObjectManager::Cursor cursor = nullptr;
        for (WorldObject* o = world.First(1, cursor); o != nullptr; o = world.Next(1, cursor)) {
            static_cast<Fruit*>(o)->noPenalty = true;
        }
        for (WorldObject* o = world.First(2, cursor); o != nullptr; o = world.Next(2, cursor)) {
            static_cast<Bomb*>(o)->noPenalty = true;
        }
    }
    WaveList& list = CurrentList();
    m_currentWave = nullptr;
    ResetRepetitions(list);
    lastChoiceWaveNo = 0;
    typesToPickFromCount = 1;
    std::fill(std::begin(typesToPickFrom), std::end(typesToPickFrom), -1);
    if (!list.empty()) {
        (void)StartNextWave();
    }
    powerFactor = 1.0f;
    globalWaveDt = m_globalDt[ModeIndex()].start;
    timeScale = 1.0f;
    m_rules.StartGame();
    if (beginPlay == 1) {
        globalWaveDt = 1.0f;
        stepRemainder = 0.0f;
    }
}

int WaveManager::StartNextWave() {
    {
        AchievementManager& achievements = AchievementManager::Instance();
        (void)achievements.CheckScore(GetScore());
        (void)achievements.CheckTotal(GetGameRecord().allPointsTotal);
        if (GameStats* stats = Stats()) {
            stats->RecheckAchievements();
        }
    }
    WaveList& list = CurrentList();
    const int old = waveCount;
    ++waveCount;
    ++numberOfWavesSpawned;
    const std::vector<uint32_t>* excluded = nullptr;
    if (old >= 1 && m_currentWave != nullptr) {
        m_currentWave->repeat += 1.0f;
        excluded = m_currentWave->excludeTags.get();
    }
    if (list.empty()) {
        m_currentWave = nullptr;
        return -1;
    }
    m_currentWave = list.front().get();
    WaveInfo* first = nullptr;
    int candidates = 0;
    int64_t total = 0;
    for (auto& entry : list) {
        WaveInfo& w = *entry;
        if (w.currentRegrowth > 0.0f) {
            if (w.currentChance < w.chance) {
                const int32_t grow = std::max(1, TruncateClamped(static_cast<double>(w.currentRegrowth) * w.chance, 0, INT32_MAX));
                w.currentChance = std::min(w.chance, w.currentChance + grow);
            } else {
                w.currentChance = w.chance;
            }
        }
        const bool inWindow = waveCount >= w.waveNo && (waveCount <= w.until || w.until == WaveInfo::kUntilForever);
        bool tagged = false;
        if (excluded != nullptr && w.excludeTags != nullptr) {
            for (uint32_t tag : *w.excludeTags) {
                tagged = tagged || std::find(excluded->begin(), excluded->end(), tag) != excluded->end();
            }
        }
        if (!inWindow || tagged) {
            continue;
        }
        if (first == nullptr) {
            first = &w;
            m_currentWave = &w;
        }
        ++candidates;
        total += w.currentChance;
    }
    if (first != nullptr) {
        if (first->chooseCount >= 1 && first->waveNo > lastChoiceWaveNo) {
            const FruitCatalogue& catalogue = FruitCatalogue::Get();
            lastChoiceWaveNo = first->waveNo;
            typesToPickFromCount = std::min(first->chooseCount, kMaxTypesToPick);
            for (int u = 0; u < typesToPickFromCount; ++u) {
                const std::string& name = u < static_cast<int>(first->chooseFrom.size()) ? first->chooseFrom[u] : std::string();
                int k = catalogue.IndexOf(name.c_str(), 0);
                if (k < 0) {
                    k = FruitCatalogue::Get().PickAny(m_waveRandom, false, 1);
                    while (u < catalogue.Count() - 2 && std::find(typesToPickFrom, typesToPickFrom + u, k) != typesToPickFrom + u) {
                        k = FruitCatalogue::Get().PickAny(m_waveRandom, false, 1);
                    }
                }
                typesToPickFrom[u] = k;
            }
        }
        if (candidates >= 2) {
            const uint32_t r = m_waveRandom.Next();
            const uint64_t range = static_cast<uint64_t>(10 * total);
            const uint64_t x = range == 0 ? r : (static_cast<uint64_t>(r) * range) >> 32;
            uint64_t sum = 0;
            for (auto& entry : list) {
                WaveInfo& w = *entry;
                const bool inWindow = waveCount >= w.waveNo && (waveCount <= w.until || w.until == WaveInfo::kUntilForever);
                bool tagged = false;
                if (excluded != nullptr && w.excludeTags != nullptr) {
                    for (uint32_t tag : *w.excludeTags) {
                        tagged = tagged || std::find(excluded->begin(), excluded->end(), tag) != excluded->end();
                    }
                }
                if (!inWindow || tagged) {
                    continue;
                }
                sum += static_cast<uint64_t>(10 * std::max(w.currentChance, 0));
                if (sum > x) {
                    m_currentWave = &w;
                    break;
                }
            }
        }
    }
    WaveInfo& wave = *m_currentWave;
    if (wave.gamesMin >= 1) {
        int32_t c = wave.gamesMin;
        if (wave.gamesMin != wave.gamesMax) {
            const int32_t span = wave.gamesMax - wave.gamesMin;
            // An inverted range would draw over the whole 32 bits.
            const uint32_t drawn = m_waveRandom.NextBelow(static_cast<uint32_t>(std::max(span, 0)));
            c = wave.gamesMin + (span > 0 ? static_cast<int32_t>(drawn) : 0);
        }
        if (GameStats* stats = Stats()) {
            stats->waveGameCounts[ModeIndex()][wave.id] = c;
        }
        wave.currentRegrowth = 0.0f;
    }
    wave.currentChance = 0;
    waveDelay = wave.beforeDelay > 0.0f ? std::max(kMinDelaySeconds, wave.beforeDelay + wave.beforeDelayInc * wave.repeat) : 0.0f;
    waveWait = wave.nextDelay;
    if (wave.nextDelaySpInc != 0.0f) {
        waveWait = std::max(kMinDelaySeconds, wave.nextDelay + wave.nextDelaySpInc * currentSpeed);
    }
    PrepareSpawns(wave);
    return wave.id;
}

void WaveManager::PrepareSpawns(WaveInfo& wave) {
    const float p = wave.repeat;
    for (WaveSpawnRequest& spawn : wave.spawns) {
        spawn.partner = -1;
        // Counts past the pool's size could never be thrown.
        const int32_t lo = TruncateClamped(spawn.min + static_cast<double>(spawn.minInc) * p, 0, kMaxSpawnCount);
        const int32_t hi = TruncateClamped(spawn.max + static_cast<double>(spawn.maxInc) * p, 0, kMaxSpawnCount);
        spawn.count = hi - lo >= 1 ? lo + static_cast<int32_t>(m_waveRandom.NextBelow(static_cast<uint32_t>(hi - lo))) : lo;
        spawn.remaining = spawn.count;
        spawn.elapsed = 0.0f;
        spawn.challengeFruitsMade = 0;
        ResolveSpawnKind(spawn);
        spawn.timer = std::max(0.0f, spawn.delay + spawn.delayInc * p);
    }
    const int count = wave.SpawnCount();
    for (int k = 0; k < count; ++k) {
        WaveSpawnRequest& over = wave.spawns[k];
        if (over.overrideMode != WaveSpawnRequest::kOverriding) {
            continue;
        }
        const int b = static_cast<int>(m_waveRandom.NextBelow(static_cast<uint32_t>(count)));
        for (int step = 0; step < count; ++step) {
            WaveSpawnRequest& r = wave.spawns[(b + step) % count];
            if (r.partner >= 0 || r.overrideMode != WaveSpawnRequest::kNormal) {
                continue;
            }
            // The overriding spawn throws its own objects where and how the
            // normal one would have; the normal one throws nothing.
            over.delay = r.delay;
            over.timer = r.timer;
            over.delayInc = r.delayInc;
            over.horizMin = r.horizMin;
            over.horizMax = r.horizMax;
            std::copy(std::begin(r.gravity), std::end(r.gravity), std::begin(over.gravity));
            over.placement = r.placement;
            over.posX = r.posX;
            over.posY = r.posY;
            over.sin = r.sin;
            over.cos = r.cos;
            over.radius = r.radius;
            over.velX = r.velX;
            over.velY = r.velY;
            over.velXscale = r.velXscale;
            over.velYscale = r.velYscale;
            over.mirror = r.mirror;
            r.partner = k;
            break;
        }
    }
}

void WaveManager::ResolveSpawnKind(WaveSpawnRequest& spawn) {
    static const uint32_t kBombHash = HashOf("bomb");
    static const uint32_t kOneFruitHash = HashOf("1fruit");
    FruitCatalogue& catalogue = FruitCatalogue::Get();
    spawn.kinds.resize(spawn.types.size());
    for (size_t i = 0; i < spawn.types.size(); ++i) {
        const std::string& name = spawn.types[i];
        const uint32_t hash = HashName(name.c_str(), static_cast<int>(name.size()));
        if (hash == kBombHash) {
            spawn.kinds[i] = kSpawnKindBomb;
        } else if (hash == kOneFruitHash) {
            spawn.kinds[i] = catalogue.PickAny(m_waveRandom, false, 1);
        } else if (name == "challengeFruit") {
            spawn.kinds[i] = kSpawnKindUnknown;  // the challenge mode's fruit joins with that mode
        } else {
            spawn.kinds[i] = catalogue.IndexOf(name.c_str(), 0);
        }
    }
}

void WaveManager::Update(float stepSeconds) {
    GameRecord& record = GetGameRecord();
    InGameMode* mode = record.currentMode;
    if (mode == nullptr || mode->AreWavesSuspended()) {
        return;
    }
    powerFactor = bombScale = bombFactor = fruitFactor = criticalFactor = 1.0f;
    const float s = stepSeconds * timeScale;
    PowerManager& powers = PowerManager::Instance();
    if (record.menuPhase < 1.0f && ModeIndex() == 0) {
        powers.UpdateAll(s);
        powerFactor = powers.speedFactor;
    } else {
        powers.ResetModifiers();
        powerFactor = 1.0f;
    }
    if (record.notInPlay && waveCount >= 1) {
        EaseSpeed(s);
        return;
    }
    const WaveGlobalDt& global = m_globalDt[ModeIndex()];
    const float v = globalWaveDt + s * global.inc;
    globalWaveDt = v > global.start ? std::min(v, global.max) : global.start;
    const float before = record.gameTime;
    record.gameTime += s;
    if (before <= kRetriesEraseSeconds && record.gameTime > kRetriesEraseSeconds) {
        if (GameStats* stats = Stats()) {
            stats->Erase(HashOf("retries_in_a_row"));
        }
    }
    if (record.upsideDown && record.gameTime > kUpsideDownGraceSeconds && s > 0.0f && !(record.upsideDownTimer > 0.0f)) {
        record.upsideDown = false;
    }
    float r = s + stepRemainder;
    while (r > kStepSeconds) {
        if (!CurrentList().empty()) {
            Step(kStepSeconds);
        }
        r -= kStepSeconds;
    }
    stepRemainder = r;
}

void WaveManager::Step(float stepSeconds) {
    GameRecord& record = GetGameRecord();
    inWaveDelay = false;
    if (paused) {
        return;
    }
    EaseSpeed(stepSeconds);
    if (waveDelay > 0.0f) {
        waveDelay -= stepSeconds;
        inWaveDelay = true;
    } else {
        waveDelay = 0.0f;
        if (m_currentWave != nullptr && m_currentWave->timesLeft >= m_currentWave->ignoreTimes) {
            Throw(*m_currentWave, stepSeconds);
        }
    }
    if (IsWaveWaiting() || inWaveDelay) {
        return;
    }
    if (m_currentWave != nullptr && waveWait > 0.0f) {
        waveWait -= stepSeconds;
        if (waveWait > 0.0f) {
            return;
        }
    }
    if (record.notInPlay && PowerManager::Instance().Find(HashOf("freeze")) == nullptr) {
        return;  // only a freeze power carries a wave past the end of play
    }
    if (m_currentWave != nullptr) {
        m_currentWave->timesLeft += 1;
    }
    if (InGameMode* mode = record.currentMode) {
        mode->OnNewWave();
    }
    if (ModeIndex() == 0) {
        (void)StartNextWave();
    }
    ++numberOfWavesSinceReset;
}

void WaveManager::Throw(WaveInfo& wave, float stepSeconds) {
    const bool classic = ModeIndex() == 0;
    for (WaveSpawnRequest& k : wave.spawns) {
        if (k.overrideMode == WaveSpawnRequest::kOverriding) {
            continue;
        }
        WaveSpawnRequest& t = k.partner >= 0 && k.partner < wave.SpawnCount() ? wave.spawns[k.partner] : k;
        t.timer -= std::max(1.0f, powerFactor) * stepSeconds;
        const int32_t remainingBefore = t.remaining;
        int32_t bombsThisStep = 0;
        bool anyNonBomb = false;
        for (int32_t kind : t.kinds) {
            anyNonBomb = anyNonBomb || kind != kSpawnKindBomb;
        }
        while (t.remaining >= 1) {
            if (t.typeCount == 0 || t.kinds.empty()) {
                t.remaining = 0;
                t.timer += std::max(0.0f, t.delay + t.delayInc * wave.repeat);
                break;
            }
            const int32_t types = static_cast<int32_t>(t.kinds.size());
            uint32_t index = m_waveRandom.NextBelow(static_cast<uint32_t>(types));
            int32_t kind = t.kinds[index];
            // A spawn of several types throws no more than half bombs; a
            // spawn of bombs only keeps its bombs.
            if (kind == kSpawnKindBomb && classic && types > 1 && anyNonBomb && bombsThisStep >= remainingBefore / 2) {
                while (kind == kSpawnKindBomb) {
                    index = m_waveRandom.NextBelow(static_cast<uint32_t>(types));
                    kind = t.kinds[index];
                }
            }
            if (classic && (kind == kSpawnKindUnknown || t.types[index] == "1fruit")) {
                if (blitzForceSpawnedCounter == 1) {
                    if (blitzSpawnedThisGame == 1) {
                        blitzForceSpawnedCounter = 2;
                    }
                } else if (blitzForceSpawnedCounter == 0) {
                    blitzForceSpawnedCounter = 1;
                    blitzSpawnTime = 10.0f + 10.0f * m_waveRandom.NextFloat();
                }
            }
            if (kind == kSpawnKindBomb) {
                if (bombFactor > 0.0f) {
                    (void)LaunchBomb(1, &t);
                }
                ++bombsThisStep;
            } else if (fruitFactor > 0.0f) {
                SuperFruitProbabilityRule* rule = m_rules.FindRule(kind);
                Fruit* fruit = SpawnWorldObject(1, kind, &t);
                if (rule != nullptr && fruit != nullptr) {
                    SuperFruitRuleSet::Attach(*rule, *fruit);
                }
            }
            waiting = true;
            t.remaining -= 1;
            t.timer += std::max(0.0f, t.delay + t.delayInc * wave.repeat);
        }
    }
}

bool WaveManager::IsWaveWaiting() {
    if (!waiting) {
        return false;
    }
    if (m_currentWave != nullptr && m_currentWave->waitForProcessing == 0) {
        waiting = false;
        return false;
    }
    WorldObjectManager& world = WorldObjectManager::Instance();
    if (m_currentWave != nullptr && m_currentWave->waitForEntities == 0) {
        int pending = Bomb::CountBombs(0, false);
        WorldObjectManager::Cursor cursor = nullptr;
        for (WorldObject* o = world.First(1, cursor); o != nullptr; o = world.Next(1, cursor)) {
            const Fruit* fruit = static_cast<Fruit*>(o);
            if (!fruit->IsDead() && fruit->launchWait > 0.0f) {
                ++pending;
            }
        }
        if (pending > 0) {
            return true;
        }
        waiting = false;
        return false;
    }
    if (world.IsInitialised() && world.Count(1) + world.Count(2) > 0) {
        return true;
    }
    waiting = false;
    return false;
}

void WaveManager::EaseSpeed(float stepSeconds) {
    if (GetGameRecord().menuPhase != 0.0f) {
        return;
    }
    const float target = desiredSpeed < 2.9f ? 0.0f : desiredSpeed;
    const float most = timeScale != 0.0f ? 5.0f * stepSeconds / timeScale : 0.0f;
    if (currentSpeed < target) {
        currentSpeed = std::min(target, currentSpeed + most);
    } else if (currentSpeed > target) {
        currentSpeed = std::max(target, currentSpeed - most);
    }
    if (speedLossTime > 0.0f && m_currentWave != nullptr && m_currentWave->speedLoss > 0.0f) {
        const float f = timeScale != 0.0f ? std::min(1.0f, GetGameSpeed() / timeScale) : 1.0f;
        speedLossTime -= f * stepSeconds / m_currentWave->speedLoss;
        if (!(speedLossTime > 0.0f)) {
            EndBlitz();
        }
    }
}

void WaveManager::EndBlitz() {
    currentSpeed = desiredSpeed = speedLossTime = 0.0f;
    if (GameStats* stats = Stats()) {
        stats->Erase(HashOf("blitz_bonus"));
    }
    blitzBonus = 0;
    nextComboBonus = 0.0f;
}

float WaveManager::GetGameSpeed() const {
    InGameMode* mode = GetGameRecord().currentMode;
    if (mode == nullptr) {
        return 1.0f;
    }
    if (ModeIndex() == 1 && m_currentWave != nullptr) {
        return m_currentWave->dt * mode->GetGameSpeed();
    }
    return mode->GetGameSpeed();
}

float WaveManager::GetCriticalFactor() const {
    return (m_currentWave != nullptr ? m_currentWave->criticalChance : 1.0f) * criticalFactor;
}

void WaveManager::AddSpeedLossTime(float amount) {
    if (speedLossTime > 0.0f) {
        speedLossTime = std::min(1.0f, speedLossTime + amount);
    }
}

void WaveManager::SetTimeScale(float value) {
    globalWaveDt = value;
    stepRemainder = 0.0f;
}

void WaveManager::ResetTimeScale() {
    globalWaveDt = 1.0f;
    stepRemainder = 0.0f;
    PowerManager::Instance().OnWavesReset(1);
}

void WaveManager::RenderPowers(bool skip) {
    if (!skip) {
        PowerManager::Instance().RenderAll();
    }
}

void WaveManager::RemoveActiveFruitsAndBombs() {
    WorldObjectManager& world = WorldObjectManager::Instance();
    if (!world.IsInitialised()) {
        return;
    }
    WorldObjectManager::Cursor cursor = nullptr;
    for (WorldObject* o = world.First(1, cursor); o != nullptr; o = world.Next(1, cursor)) {
        Fruit* fruit = static_cast<Fruit*>(o);
        if (!fruit->IsDead() && !fruit->sliced && fruit->launchWait > 0.0f) {
            fruit->OnDropped(0);
        }
    }
    Bomb::RemoveLiveBombs();
}

namespace {

// Steps 2 to 7 of a launch: position, speed and placement, shared by fruit
// and bombs, which differ in their spread and angle draw.
Launch PlanLaunch(Random& random, const WaveSpawnRequest* r, bool bomb) {
    const float height = LogicalScreenHeight();
    const float width = LogicalScreenWidth();
    Launch launch;
    float x = 0.0f;
    if (r != nullptr && r->posX != kSpawnPositionUnset) {
        x = static_cast<float>(r->posX);
    } else {
        const float lo = r != nullptr ? r->horizMin : -1.0f;
        const float hi = r != nullptr ? r->horizMax : 1.0f;
        x = std::trunc((lo + (hi - lo) * random.NextFloat()) * kHorizontalRange);
    }
    float y = std::trunc(height * -0.5f);
    if (r != nullptr && r->posY != kSpawnPositionUnset) {
        y -= static_cast<float>(r->posY);
    }
    if (r != nullptr && r->radius != 0) {
        if (r->sin != 0) {
            y += std::trunc(SinLookup(AngleFromDegrees(static_cast<float>(r->sin))) * static_cast<float>(r->radius));
        }
        if (r->cos != 0) {
            x += std::trunc(CosLookup(AngleFromDegrees(static_cast<float>(r->cos))) * static_cast<float>(r->radius));
        }
    }
    const float v = 9.5f + 1.5f * random.NextFloat();
    const int32_t placement = r != nullptr ? r->placement : 0;
    const float xScale = r != nullptr ? r->velXscale : 1.0f;
    const float yScale = r != nullptr ? r->velYscale : 1.0f;
    float vx = 0.0f;
    float vy = 0.0f;
    if (r != nullptr && (r->velX != 0.0f || r->velY != 0.0f)) {
        vx = r->velX * r->velXscale;
        vy = r->velY * r->velYscale;
    } else {
        int degrees = 0;
        if (bomb) {
            const int spread = IsSidePlacement(placement) ? kSpreadBombSides : kSpreadBomb;
            const int c = TruncateClamped(static_cast<double>(spread) * x / -300.0, -100000, 100000);
            const int lo = c - spread;
            const int hi = c + spread;
            degrees = lo + static_cast<int>(random.NextBelow(static_cast<uint32_t>(hi - lo)));
        } else {
            const float spread = static_cast<float>(IsSidePlacement(placement) ? kSpreadFruitSides : kSpreadFruit);
            const float f = random.NextFloat();
            const float edge = 0.5f - std::fabs(f - 0.5f);
            const float g = 0.5f - 2.0f * edge * edge;
            const float sign = f < 0.5f ? -1.0f : 1.0f;
            degrees = TruncateClamped(std::trunc(-0.5 * spread * x / kHorizontalRange) + spread * sign * g, -100000, 100000);
        }
        const Angle angle = AngleFromDegrees(static_cast<float>(degrees));
        vx = v * SinLookup(angle) * xScale;
        vy = v * CosLookup(angle) * 1.075f * yScale;
    }
    int32_t side = placement;
    if (side == static_cast<int32_t>(SpawnPlacement::LeftRight)) {
        side = static_cast<int32_t>(random.Next()) < 0 ? static_cast<int32_t>(SpawnPlacement::Right)
                                                       : static_cast<int32_t>(SpawnPlacement::Left);
    }
    const float gravityY = r != nullptr ? r->gravity[1] : -1.0f;
    switch (static_cast<SpawnPlacement>(side)) {
        case SpawnPlacement::Top:
            launch.position = Vector3{-x, -y, 0.0f};
            launch.velocity = Vector3{-vx, -vy / 2.0f, 0.0f};
            launch.offscreen = Vector3{0.0f, 1.0f, 0.0f};
            break;
        case SpawnPlacement::Right:
            launch.position = Vector3{std::trunc(-y * width / height), std::trunc(x * height / width), 0.0f};
            launch.velocity = Vector3{-0.75f * vy, vx - 0.65f * v * gravityY, 0.0f};
            launch.offscreen = Vector3{1.0f, 0.0f, 0.0f};
            break;
        case SpawnPlacement::Left:
            launch.position = Vector3{-std::trunc(-y * width / height), std::trunc(x * height / width), 0.0f};
            launch.velocity = Vector3{0.75f * vy, vx - 0.65f * v * gravityY, 0.0f};
            launch.offscreen = Vector3{-1.0f, 0.0f, 0.0f};
            break;
        default:
            launch.position = Vector3{x, y, 0.0f};
            launch.velocity = Vector3{vx, vy, 0.0f};
            break;
    }
    launch.placement = side;
    return launch;
}

// The launched object's gravity: the request's direction at the class's
// strength, nudged sideways for side launches.
Vector3 LaunchGravity(const Vector3& standard, const WaveSpawnRequest& r, int32_t placement) {
    const float strength = -standard.y;
    Vector3 gravity{strength * r.gravity[0], strength * r.gravity[1], strength * r.gravity[2]};
    if (placement == static_cast<int32_t>(SpawnPlacement::Left)) {
        gravity.x += 0.01f;
    } else if (placement == static_cast<int32_t>(SpawnPlacement::Right)) {
        gravity.x -= 0.01f;
    }
    return gravity;
}

}  // namespace

Fruit* WaveManager::SpawnWorldObject(int count, int kind, WaveSpawnRequest* request) {
    if (count < 1) {
        return nullptr;
    }
    const Launch launch = PlanLaunch(m_waveRandom, request, false);
    if (kind == kSpawnKindUnknown && typesToPickFromCount >= 1) {
        kind = typesToPickFrom[m_waveRandom.NextBelow(static_cast<uint32_t>(std::min(typesToPickFromCount, kMaxTypesToPick)))];
    }
    WorldObject* object = WorldObjectManager::Instance().Acquire(static_cast<uint32_t>(WorldObjectType::Fruit));
    if (object == nullptr) {
        return nullptr;
    }
    Fruit* fruit = static_cast<Fruit*>(object);
    fruit->position = launch.position;
    fruit->velocity = launch.velocity;
    fruit->Spawn(kind, 1.0f);
    fruit->timeScale = request != nullptr ? request->dt : 1.0f;
    if (request != nullptr) {
        fruit->acceleration = LaunchGravity(fruit->acceleration, *request, launch.placement);
    }
    fruit->position = Add(fruit->position, Scale(launch.offscreen, kOffscreenPush));
    const float timer = request != nullptr ? request->timer : 0.0f;
    if (timer > -10.0f) {
        fruit->StartFlightTimer(std::max(0.0f, timer) + kLaunchWaitExtra);
    }
    return fruit;
}

Bomb* WaveManager::LaunchBomb(int count, WaveSpawnRequest* request) {
    if (count < 1) {
        return nullptr;
    }
    Bomb* result = nullptr;
    for (int i = 0; i < count; ++i) {
        const Launch launch = PlanLaunch(m_waveRandom, request, true);
        WorldObject* object = WorldObjectManager::Instance().Acquire(static_cast<uint32_t>(WorldObjectType::Bomb));
        if (object == nullptr) {
            return result;
        }
        Bomb* bomb = static_cast<Bomb*>(object);
        bomb->position = Vector3{launch.position.x, launch.position.y, kBombDepth};
        bomb->velocity = launch.velocity;
        bomb->Spawn(bombScale);
        bomb->timeScale = request != nullptr ? request->dt : 1.0f;
        if (request != nullptr) {
            bomb->acceleration = LaunchGravity(bomb->acceleration, *request, launch.placement);
        }
        bomb->position = Add(bomb->position, Scale(launch.offscreen, kOffscreenPush));
        const float timer = request != nullptr ? request->timer : 0.0f;
        if (timer > -10.0f) {
            bomb->SetThrowDelay(std::max(0.0f, timer) + kLaunchWaitExtra);
        }
        if (result == nullptr) {
            result = bomb;
        }
    }
    return result;
}

}  // namespace Varnok
