// Reading the wave list files into WaveInfo and WaveSpawnRequest records.
#include "game/world/WaveList.h"

#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/core/XmlDocument.h"
#include "game/rules/GameHelpers.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace Varnok {

namespace {

uint32_t HashOf(const char* text) {
    return HashName(text, static_cast<int>(std::strlen(text)));
}

bool HasText(const char* text) {
    return text != nullptr && text[0] != '\0';
}

// Integers convert as "%d", decimals as "%lf"; anything that does not
// convert leaves the field alone.
void ReadInt(const TiXmlElement& element, const char* name, int32_t& value) {
    const char* text = element.Attribute(name);
    int parsed = 0;
    if (text != nullptr && std::sscanf(text, "%d", &parsed) == 1) {
        value = parsed;
    }
}

void ReadFloat(const TiXmlElement& element, const char* name, float& value) {
    const char* text = element.Attribute(name);
    double parsed = 0.0;
    if (text != nullptr && std::sscanf(text, "%lf", &parsed) == 1) {
        value = static_cast<float>(parsed);
    }
}

// "false" gives 0, any other non-empty value 1; empty or missing leaves it.
void ReadFlag(const TiXmlElement& element, const char* name, uint8_t& value) {
    const char* text = element.Attribute(name);
    if (HasText(text)) {
        value = std::strcmp(text, "false") == 0 ? 0 : 1;
    }
}

void ReadDefaults(const TiXmlElement& element, WaveDefaults& defaults, WaveGlobalDt& global) {
    defaults = WaveDefaults{};
    ReadInt(element, "waveChance", defaults.waveChance);
    ReadFloat(element, "waveChanceRegrowth", defaults.waveChanceRegrowth);
    ReadFloat(element, "criticalChance", defaults.criticalChance);
    ReadFloat(element, "dt", defaults.dt);
    ReadFloat(element, "dtInc", defaults.dtInc);
    ReadFloat(element, "dtSpInc", defaults.dtSpInc);
    ReadFloat(element, "beforeDelay", defaults.beforeDelay);
    ReadFloat(element, "beforeDelayInc", defaults.beforeDelayInc);
    ReadFloat(element, "nextDelay", defaults.nextDelay);
    ReadFloat(element, "nextDelayInc", defaults.nextDelayInc);
    ReadFloat(element, "nextDelaySpInc", defaults.nextDelaySpInc);
    ReadFlag(element, "waitForEntities", defaults.waitForEntities);
    ReadFlag(element, "waitForProcessing", defaults.waitForProcessing);
    ReadFloat(element, "speedLoss", defaults.speedLoss);
    ReadInt(element, "overideProbabiltyPool", defaults.overideProbabiltyPool);
    const char* players = element.Attribute("players");
    if (players != nullptr && std::strcmp(players, "1,2") == 0) {
        // There is one list per mode here: the slots are kept, not used.
        defaults.playerSlot = 1;
        defaults.secondPlayerSlot = 2;
    }
    ReadFloat(element, "globalDtInc", global.inc);
    ReadFloat(element, "globalDtStart", global.start);
    ReadFloat(element, "globalDtMax", global.max);
}

void SeedWave(WaveInfo& wave, const WaveDefaults& seed) {
    wave.dt = seed.dt;
    wave.dtInc = seed.dtInc;
    wave.dtSpInc = seed.dtSpInc;
    wave.speedLoss = seed.speedLoss;
    wave.beforeDelay = seed.beforeDelay;
    wave.beforeDelayInc = seed.beforeDelayInc;
    wave.nextDelay = seed.nextDelay;
    wave.nextDelayInc = seed.nextDelayInc;
    wave.nextDelaySpInc = seed.nextDelaySpInc;
    wave.waitForEntities = seed.waitForEntities;
    wave.waitForProcessing = seed.waitForProcessing;
    wave.chance = seed.waveChance;
    wave.chanceRegrowth = seed.waveChanceRegrowth;
    wave.currentRegrowth = seed.waveChanceRegrowth;
    wave.criticalChance = seed.criticalChance;
    wave.overideProbabiltyPool = seed.overideProbabiltyPool;
}

std::unique_ptr<WaveInfo> BuildWave(const TiXmlElement& element, const WaveDefaults& seed, int id) {
    auto wave = std::make_unique<WaveInfo>();
    SeedWave(*wave, seed);
    wave->id = id;
    int32_t value = -1;
    ReadInt(element, "waveNo", value);
    if (value >= 0) {
        wave->waveNo = value;
    }
    ReadInt(element, "overideProbabiltyPool", wave->overideProbabiltyPool);
    const char* until = element.Attribute("until");
    if (HasText(until)) {
        int parsed = 0;
        if (std::strcmp(until, "forever") == 0) {
            wave->until = WaveInfo::kUntilForever;
        } else if (std::sscanf(until, "%d", &parsed) == 1 && parsed >= 0 && parsed >= wave->waveNo) {
            wave->until = parsed;
        }
    }
    value = -1;
    ReadInt(element, "chance", value);
    if (value >= 0) {
        wave->chance = value;
    }
    ReadFloat(element, "criticalChance", wave->criticalChance);
    ReadFloat(element, "chanceRegrowth", wave->chanceRegrowth);
    ReadInt(element, "games", wave->gamesMin);
    ReadInt(element, "gamesMin", wave->gamesMin);
    ReadInt(element, "gamesMax", wave->gamesMax);
    if (wave->gamesMin <= -1) {
        wave->gamesMin = wave->gamesMax;
    }
    if (wave->gamesMax <= -1) {
        wave->gamesMax = wave->gamesMin;
    }
    ReadInt(element, "ignoreTimes", wave->ignoreTimes);
    if (const char* tags = element.Attribute("excludeTag")) {
        std::vector<std::string> names;
        SplitCommaList(tags, names);
        auto hashes = std::make_unique<std::vector<uint32_t>>();
        for (const std::string& name : names) {
            hashes->push_back(HashName(name.c_str(), static_cast<int>(name.size())));
        }
        wave->excludeTags = std::move(hashes);
    }
    if (const TiXmlElement* coins = element.FirstChildElement("coin_chances")) {
        wave->coinChances = std::make_unique<std::vector<CoinChance>>();
        ParseCoinChances(*wave->coinChances, *coins);
    }
    // The number of records follows the case-blind hash, while only children
    // named exactly "Spawn" are read: differently cased ones stay empty
    // records that throw nothing.
    static const uint32_t kSpawnHash = HashOf("Spawn");
    size_t spawnCount = 0;
    for (const TiXmlElement* child = element.FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        if (HashOf(child->Value()) == kSpawnHash) {
            ++spawnCount;
        }
    }
    wave->spawns.resize(spawnCount);
    size_t next = 0;
    for (const TiXmlElement* child = element.FirstChildElement("Spawn"); child != nullptr && next < spawnCount;
         child = child->NextSiblingElement("Spawn")) {
        WaveSpawnRequest& spawn = wave->spawns[next++];
        (void)ParseSpawn(*child, spawn);
        const int32_t average = TruncateClamped((spawn.min + spawn.max) * 0.5 + 0.5, -kMaxSpawnCount, kMaxSpawnCount);
        wave->total += average;
    }
    if (const TiXmlElement* timing = element.FirstChildElement("Wave_dt")) {
        ReadFloat(*timing, "dt", wave->dt);
        ReadFloat(*timing, "inc", wave->dtInc);
        ReadFloat(*timing, "spinc", wave->dtSpInc);
    }
    if (const TiXmlElement* next = element.FirstChildElement("NextWaveDelay")) {
        ReadFloat(*next, "wait", wave->nextDelay);
        ReadFloat(*next, "waitSpinc", wave->nextDelaySpInc);
        ReadFloat(*next, "speedLoss", wave->speedLoss);
        if (wave->nextDelay > 0.0f) {
            // A wave that waits after itself has no delay before it, unless
            // it says so below.
            wave->beforeDelay = 0.0f;
            wave->beforeDelayInc = 0.0f;
        }
        ReadFloat(*next, "delay", wave->beforeDelay);
        ReadFloat(*next, "inc", wave->beforeDelayInc);
        const char* entities = next->Attribute("waitForEntities");
        if (entities != nullptr) {
            wave->waitForEntities = std::strcmp(entities, "false") == 0 ? 0 : 1;
        }
        const char* processing = next->Attribute("waitForProcessing");
        if (processing != nullptr) {
            wave->waitForProcessing = std::strcmp(processing, "false") == 0 ? 0 : 1;
        }
    }
    if (const TiXmlElement* choose = element.FirstChildElement("ChooseFrom")) {
        wave->chooseFrom.clear();
        SplitCommaList(choose->Attribute("types"), wave->chooseFrom);
        wave->chooseCount = 0;
    }
    const char* debugName = element.Attribute("debugName");
    if (debugName != nullptr) {
        wave->debugName.assign(debugName, std::min(std::strlen(debugName), WaveInfo::kDebugNameMax));
    } else {
        char name[64];
        std::snprintf(name, sizeof(name), "waveNo. %i", id);
        wave->debugName = name;
    }
    return wave;
}

// A wave without "until" runs up to the number before the next later-starting
// wave, or forever when none starts later.
void CompleteUntil(WaveList& waves) {
    for (auto& wave : waves) {
        if (wave->until != -1) {
            continue;
        }
        wave->until = WaveInfo::kUntilForever;
        int32_t nextStart = INT32_MAX;
        for (const auto& other : waves) {
            if (other->waveNo > wave->waveNo) {
                nextStart = std::min(nextStart, other->waveNo);
            }
        }
        if (nextStart != INT32_MAX) {
            wave->until = nextStart - 1;
        }
    }
}

}  // namespace

int32_t SpawnPlacementFromName(const char* text) {
    if (!HasText(text)) {
        return 0;
    }
    static const char* const kNames[] = {"BOTTOM", "TOP", "LEFT", "RIGHT", "LEFT_RIGHT"};
    const uint32_t hash = HashOf(text);
    for (int i = 0; i < 5; ++i) {
        if (HashOf(kNames[i]) == hash) {
            return i;
        }
    }
    return 0;
}

void SpawnOverrideFromName(WaveSpawnRequest& spawn, const char* text) {
    spawn.overrideMode = WaveSpawnRequest::kNormal;
    if (!HasText(text)) {
        return;
    }
    const uint32_t hash = HashOf(text);
    if (hash == HashOf("OVERRIDE_ANY") || hash == HashOf("DONT_OVERRIDE")) {
        spawn.overrideMode = WaveSpawnRequest::kOverriding;
    }
}

bool ParseSpawn(const TiXmlElement& element, WaveSpawnRequest& spawn) {
    if (HashOf(element.Value()) != HashOf("Spawn")) {
        return false;
    }
    if (const char* types = element.Attribute("type")) {
        spawn.types.clear();
        SplitCommaList(types, spawn.types);
        spawn.typeCount = static_cast<int32_t>(spawn.types.size());
        spawn.kinds.assign(spawn.types.size(), kSpawnKindUnknown);
    }
    ReadFloat(element, "min", spawn.min);
    ReadFloat(element, "max", spawn.max);
    ReadFloat(element, "mininc", spawn.minInc);
    ReadFloat(element, "maxinc", spawn.maxInc);
    ReadFloat(element, "delay", spawn.delay);
    ReadFloat(element, "delayinc", spawn.delayInc);
    ReadFloat(element, "horizmin", spawn.horizMin);
    ReadFloat(element, "horizmax", spawn.horizMax);
    float both = 0.0f;
    const char* scale = element.Attribute("velscale");
    double parsed = 0.0;
    if (scale != nullptr && std::sscanf(scale, "%lf", &parsed) == 1) {
        both = static_cast<float>(parsed);
        spawn.velXscale = both;
        spawn.velYscale = both;
    }
    ReadFloat(element, "velXscale", spawn.velXscale);
    ReadFloat(element, "velYscale", spawn.velYscale);
    ReadFloat(element, "dt", spawn.dt);
    ReadFloat(element, "velX", spawn.velX);
    ReadFloat(element, "velY", spawn.velY);
    ReadInt(element, "posX", spawn.posX);
    ReadInt(element, "posY", spawn.posY);
    ReadInt(element, "sin", spawn.sin);
    ReadInt(element, "cos", spawn.cos);
    ReadInt(element, "radius", spawn.radius);
    const char* gravity = element.Attribute("gravity");
    if (HasText(gravity)) {
        double parts[3] = {0.0, 0.0, 0.0};
        (void)std::sscanf(gravity, "%lf,%lf,%lf", &parts[0], &parts[1], &parts[2]);
        for (int i = 0; i < 3; ++i) {
            spawn.gravity[i] = static_cast<float>(parts[i]);
        }
    }
    SpawnOverrideFromName(spawn, element.Attribute("override"));
    const char* placement = element.Attribute("placement");
    if (HasText(placement)) {
        spawn.placement = SpawnPlacementFromName(placement);
    }
    spawn.replaceWithChallengeFruit = 0;
    ReadInt(element, "replaceWithChallengeFruit", spawn.replaceWithChallengeFruit);
    const char* mirror = element.Attribute("mirror");
    spawn.mirror = mirror != nullptr && std::strcmp(mirror, "true") == 0 ? 1 : 0;
    return true;
}

void ParseCoinChances(std::vector<CoinChance>& list, const TiXmlElement& element) {
    list.clear();
    for (const TiXmlElement* child = element.FirstChildElement("coin_chance"); child != nullptr;
         child = child->NextSiblingElement("coin_chance")) {
        CoinChance entry;
        ReadInt(*child, "min", entry.min);
        ReadInt(*child, "max", entry.max);
        ReadInt(*child, "chance", entry.chance);
        list.push_back(entry);
    }
}

void ReadWaveList(const TiXmlDocument& document, const char* source, const WaveListTarget& target) {
    const TiXmlElement* root = document.RootElement();
    if (document.Error() && document.ErrorId() != TiXmlBase::TIXML_ERROR_OPENING_FILE) {
        CompleteUntil(*target.waves);  // the XML layer has said why in its one line
        return;
    }
    if (document.Error() || root == nullptr || std::strcmp(root->Value(), "waveManagerFile") != 0) {
        Log("WaveManager: %s not read (%s), no waves added", source,
            document.Error() ? document.ErrorDesc() : "no waveManagerFile element");
        CompleteUntil(*target.waves);
        return;
    }
    *target.defaults = WaveDefaults{};
    int id = 0;
    for (const TiXmlElement* element = root->FirstChildElement(); element != nullptr;
         element = element->NextSiblingElement()) {
        const char* name = element->Value();
        if (std::strcmp(name, "defaults") == 0) {
            ReadDefaults(*element, *target.defaults, *target.globalDt);
        } else if (std::strcmp(name, "coin_chances") == 0) {
            ParseCoinChances(*target.coinChances, *element);
        } else if (std::strcmp(name, "WaveInfo") == 0) {
            target.waves->push_back(BuildWave(*element, *target.defaults, id));
            ++id;
        }
    }
    CompleteUntil(*target.waves);
}

void ReadWaveListText(const char* text, size_t length, const WaveListTarget& target) {
    TiXmlDocument document("wave list text");
    (void)ParseXmlDocument(document, text, length);  // ReadWaveList reports a refusal
    ReadWaveList(document, "wave list text", target);
}

}  // namespace Varnok
