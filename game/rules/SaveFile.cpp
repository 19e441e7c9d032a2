// SaveFile: the document's layout on writing, and the element rules that
// read it back into a statistics store.
#include "game/rules/SaveFile.h"

#include "engine/core/FileObject.h"
#include "engine/core/FileSystem.h"
#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/core/XmlDocument.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameHelpers.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/Powers.h"
#include "game/world/Blast.h"
#include "game/world/Bomb.h"
#include "game/world/Fruit.h"
#include "game/world/FruitCatalogue.h"
#include "game/world/WorldObject.h"
#include "game/world/WorldObjectManager.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <climits>
#include <cstring>
#include <limits>
#include <string>

namespace Varnok {
namespace {

// Deeper elements are not walked: no save this program writes nests past
// four, and a hostile file must not run the reader out of stack.
constexpr int kMaxDepth = 32;
constexpr int kNumberBytes = 64;
constexpr const char* kAsideSuffix = ".bad";
// Statistics that go to the lifetime map even without the "u" attribute.
constexpr const char* kLifetimeNames[] = {"all",  "games",       "totalscore",   "sessions",
                                          "bomb", "coming_soon", "unrated_games"};

char s_programVersion[64] = "1.0.4";  // SaveFile::kDefaultVersionText until start-up sets it

uint32_t HashOf(const char* text) {
    return HashName(text, static_cast<int>(std::strlen(text)));
}

// ---- Writing values ----

void SetInt(TiXmlElement& element, const char* name, int32_t value) {
    char text[kNumberBytes];
    std::snprintf(text, sizeof(text), "%d", value);
    element.SetAttribute(name, text);
}

void SetReal(TiXmlElement& element, const char* name, double value) {
    char text[kNumberBytes * 6];  // "%f" of a large value runs long
    std::snprintf(text, sizeof(text), "%f", value);
    element.SetAttribute(name, text);
}

void SetBool(TiXmlElement& element, const char* name, bool value) {
    element.SetAttribute(name, value ? "true" : "false");
}

void SetVector(TiXmlElement& element, const char* name, const Vector3& v) {
    char text[kNumberBytes * 18];
    std::snprintf(text, sizeof(text), "%f,%f,%f", v.x, v.y, v.z);
    element.SetAttribute(name, text);
}

void SetIntList(TiXmlElement& element, const char* name, const int32_t* values, int count) {
    std::string text;
    char number[kNumberBytes];
    for (int i = 0; i < count; ++i) {
        std::snprintf(number, sizeof(number), i == 0 ? "%i" : ",%i", values[i]);
        text += number;
    }
    element.SetAttribute(name, text.c_str());
}

TiXmlElement* Append(TiXmlNode& parent, const char* name) {
    return parent.LinkEndChild(new TiXmlElement(name))->ToElement();
}

// ---- Reading values ----

// Each leaves the field as it was when the attribute is absent or is not a
// number of the field's kind.
void ReadInt(const TiXmlElement& element, const char* name, int32_t& out) {
    const char* text = element.Attribute(name);
    if (text == nullptr) {
        return;
    }
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text) {
        return;
    }
    if (value > std::numeric_limits<int32_t>::max()) {
        out = std::numeric_limits<int32_t>::max();
    } else if (value < std::numeric_limits<int32_t>::min()) {
        out = std::numeric_limits<int32_t>::min();
    } else {
        out = static_cast<int32_t>(value);
    }
}

void ReadFloat(const TiXmlElement& element, const char* name, float& out) {
    const char* text = element.Attribute(name);
    if (text == nullptr) {
        return;
    }
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || !std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) {
        return;
    }
    out = static_cast<float>(value);
}

// Exactly "true" reads as true; any other present text as false.
void ReadBool(const TiXmlElement& element, const char* name, uint8_t& out) {
    const char* text = element.Attribute(name);
    if (text != nullptr) {
        out = std::strcmp(text, "true") == 0 ? 1 : 0;
    }
}

void ReadVector(const TiXmlElement& element, const char* name, Vector3& out) {
    out = ParseVector3(element.Attribute(name));
}

int32_t IntOr(const TiXmlElement& element, const char* name, int32_t fallback) {
    int32_t value = fallback;
    ReadInt(element, name, value);
    return value;
}

float FloatOr(const TiXmlElement& element, const char* name, float fallback) {
    float value = fallback;
    ReadFloat(element, name, value);
    return value;
}

bool IsLifetimeName(const char* name) {
    for (const char* lifetime : kLifetimeNames) {
        if (std::strcmp(name, lifetime) == 0) {
            return true;
        }
    }
    return false;
}

// "%s<suffix>" with the mode's data name.
void ModeKey(char* buffer, size_t size, int mode, const char* suffix) {
    std::snprintf(buffer, size, "%s%s", GetModeName(mode), suffix);
}

// ---- Reading elements ----

void ReadRoot(const TiXmlElement& element, GameStats& stats) {
    stats.version = SaveFile::VersionNumber(element.Attribute("version"));
    ReadInt(element, "highscore", stats.highscore);
    // A file without the classic best keeps the overall best as the classic one.
    stats.modeBest[0] = stats.highscore;
    ReadInt(element, "critical_chance", stats.critical_chance);
    ReadBool(element, "rated", stats.rated);
    ReadBool(element, "p2pCancelled", stats.p2pCancelled);
    char key[64];
    for (int mode = 0; mode < GameStats::kModeCount; ++mode) {
        ModeKey(key, sizeof(key), mode, "highscore");
        ReadInt(element, key, stats.modeBest[mode]);
        ModeKey(key, sizeof(key), mode, "_unposted");
        ReadInt(element, key, stats.unposted[mode]);
        ModeKey(key, sizeof(key), mode, "_dolg");
        ReadInt(element, key, stats.lastPlayedDay[mode]);
    }
}

void ReadTotal(const TiXmlElement& element, GameStats& stats) {
    const int32_t value = IntOr(element, "score", 0);
    const char* name = element.Attribute("type");
    if (name == nullptr || name[0] == '\0' || value < 1) {
        return;  // statistics of 0 or less are not kept
    }
    const char* u = element.Attribute("u");
    const bool lifetime = (u != nullptr && std::strcmp(u, "true") == 0) || IsLifetimeName(name);
    // Add refuses (with its own line) a name too long for the store.
    stats.Add(name, HashOf(name), value, lifetime ? 1 : 0, 0);
}

void ReadEntity(const TiXmlElement& element, GameStats& stats) {
    SavedEntity entity;
    ReadVector(element, "pos", entity.pos);
    ReadVector(element, "vel", entity.vel);
    ReadVector(element, "grav", entity.grav);
    ReadVector(element, "scale", entity.scale);
    ReadFloat(element, "wait", entity.wait);
    ReadBool(element, "hit", entity.hit);
    ReadInt(element, "hits", entity.hits);
    ReadInt(element, "id", entity.id);
    ReadInt(element, "type", entity.type);
    entity.sliceWait = FloatOr(element, "sliceWait", -1.0f);
    if (const TiXmlElement* super = element.FirstChildElement("superFruitState")) {
        SavedSuperFruit state;
        ReadFloat(*super, "time", state.time);
        ReadFloat(*super, "sliceTime", state.sliceTime);
        ReadInt(*super, "hits", state.hits);
        ReadFloat(*super, "rot", state.rot);
        entity.superFruitState = state;
    }
    stats.savedEntities.push_back(entity);
}

void ReadWaveCounts(const TiXmlElement& element, GameStats& stats, int mode) {
    for (const TiXmlElement* count = element.FirstChildElement("game_count"); count != nullptr;
         count = count->NextSiblingElement("game_count")) {
        stats.waveGameCounts[mode][IntOr(*count, "waveIdx", -1)] = IntOr(*count, "games", -1);
    }
}

// The mode whose "wave_counts_%s" the name is, or -1.
int WaveCountsMode(const char* name) {
    char key[64];
    for (int mode = 0; mode < GameStats::kModeCount; ++mode) {
        std::snprintf(key, sizeof(key), "wave_counts_%s", GetModeName(mode));
        if (std::strcmp(name, key) == 0) {
            return mode;
        }
    }
    return -1;
}

// The game in progress is taken only from a file of this very version.
bool TakesGame(const GameStats& stats) {
    return stats.mode < 2 && stats.version == SaveFile::ProgramVersionNumber();
}

// tooDeep: set once the depth limit was met, so that it is logged once.
void ReadNode(const TiXmlNode* node, GameStats& stats, int depth, bool& tooDeep) {
    GetGameRecord().savedGameState = false;
    stats.roundInPlay = 0;
    if (node == nullptr) {
        return;
    }
    if (depth > kMaxDepth) {
        if (!tooDeep) {
            Log("SaveFile: elements nested deeper than %d are not read", kMaxDepth);
        }
        tooDeep = true;
        return;
    }
    const TiXmlElement* element = node->ToElement();
    bool walkChildren = true;
    if (element != nullptr) {
        const char* name = element->Value();
        if (name == nullptr || name[0] == '\0') {
            return;
        }
        int waveMode = -1;
        if (std::strcmp(name, "save_file") == 0) {
            ReadRoot(*element, stats);
        } else if (std::strcmp(name, "que") == 0) {
            SaveFile::ReadAchievements(*element, stats, 1);
        } else if (std::strcmp(name, "unlocked") == 0) {
            SaveFile::ReadAchievements(*element, stats, 0);
        } else if (std::strcmp(name, "challengeData") == 0) {
            SaveFile::ReadChallengeData(*element, stats);
        } else if (std::strcmp(name, "challengeDataPersistent") == 0) {
            SaveFile::ReadChallengeGroups(*element, stats);
        } else if (std::strcmp(name, "gameStateData") == 0) {
            ReadInt(*element, "gameState", stats.gameState);
            ReadInt(*element, "modeState", stats.modeState);
            ReadFloat(*element, "modeTime", stats.modeTime);
            ReadInt(*element, "classicBeanCount", stats.classicBeanCount);
            ReadInt(*element, "classicCurrentWave", stats.classicCurrentWave);
            ReadInt(*element, "classicRequiredWaves", stats.classicRequiredWaves);
        } else if (std::strcmp(name, "total") == 0) {
            ReadTotal(*element, stats);
        } else if (std::strcmp(name, "ent") == 0) {
            if (!TakesGame(stats)) {
                return;
            }
            ReadEntity(*element, stats);
        } else if (std::strcmp(name, "powers") == 0) {
            if (!TakesGame(stats)) {
                return;
            }
            PowerManager::Instance().Load(*element, stats.mode);
        } else if (std::strcmp(name, "wave_info") == 0) {
            if (TakesGame(stats)) {
                SaveFile::ReadWaveInfo(*element, stats);
            }
            walkChildren = false;
        } else if ((waveMode = WaveCountsMode(name)) >= 0) {
            ReadWaveCounts(*element, stats, waveMode);
            walkChildren = false;
        }
    }
    if (!walkChildren) {
        return;
    }
    for (const TiXmlNode* child = node->FirstChild(); child != nullptr; child = child->NextSibling()) {
        ReadNode(child, stats, depth + 1, tooDeep);
    }
}

// ---- Writing elements ----

void WriteRoot(const GameStats& stats, TiXmlElement& root) {
    root.SetAttribute("version", SaveFile::ProgramVersionText());
    SetInt(root, "highscore", stats.highscore);
    char key[64];
    for (int mode = 0; mode < GameStats::kModeCount; ++mode) {
        ModeKey(key, sizeof(key), mode, "highscore");
        SetInt(root, key, stats.modeBest[mode]);
        if (stats.unposted[mode] >= 1) {
            ModeKey(key, sizeof(key), mode, "_unposted");
            SetInt(root, key, stats.unposted[mode]);
        }
        ModeKey(key, sizeof(key), mode, "_dolg");
        SetInt(root, key, stats.lastPlayedDay[mode]);
    }
    SetInt(root, "critical_chance", stats.critical_chance);
    SetBool(root, "rated", stats.rated != 0);
    SetBool(root, "p2pCancelled", stats.p2pCancelled != 0);
}

void WriteTotals(const GameStats::StatMap& map, bool lifetime, TiXmlElement& root) {
    for (const auto& entry : map) {
        TiXmlElement* total = Append(root, "total");
        if (lifetime) {
            total->SetAttribute("u", "true");
        }
        total->SetAttribute("type", entry.second.name);
        SetInt(*total, "score", entry.second.value);
    }
}

void WriteUnlocks(const GameStats::UnlockMap& map, const char* name, bool withTime,
                  TiXmlElement& root) {
    TiXmlElement* list = Append(root, name);
    for (const auto& entry : map) {
        TiXmlElement* ach = Append(*list, "ach");
        ach->SetAttribute("name", entry.second.name);
        if (withTime) {
            SetReal(*ach, "time", entry.second.countdown);
        }
    }
}

void WriteFruit(const Fruit& fruit, TiXmlElement& ent) {
    SetVector(ent, "pos", fruit.position);
    SetVector(ent, "vel", fruit.velocity);
    SetVector(ent, "grav", fruit.acceleration);
    SetVector(ent, "scale", fruit.scale);
    SetInt(ent, "type", fruit.kind);
    SetReal(ent, "wait", fruit.launchWait);
    SetReal(ent, "sliceWait", fruit.hitTimer);
    SetInt(ent, "hits", 0);  // no fruit bounces yet
    // The object's own id, which the stacks rebuild their columns from.
    SetInt(ent, "id", static_cast<int32_t>(fruit.id));
}

void WriteBomb(const Bomb& bomb, TiXmlElement& ent) {
    SetVector(ent, "pos", bomb.position);
    SetVector(ent, "vel", bomb.velocity);
    SetVector(ent, "grav", bomb.acceleration);
    SetVector(ent, "scale", bomb.scale);
    SetInt(ent, "type", FruitCatalogue::Get().Count());  // one past the fruit kinds marks a bomb
    SetBool(ent, "hit", bomb.hit);
    ent.SetAttribute("hits", "0");
    SetInt(ent, "id", static_cast<int32_t>(bomb.id));
    SetReal(ent, "wait", bomb.hit ? bomb.explosionTimer : bomb.throwDelay);
}

void WriteBlast(const Blast& blast, TiXmlElement& ent) {
    SetVector(ent, "pos", blast.position);
    SetReal(ent, "wait", blast.age);
    ent.SetAttribute("type", "-1");
}

// Live fruit (neither menu fruit nor sliced), bombs not knocked away, blasts.
void WriteWorldObjects(TiXmlElement& state) {
    WorldObjectManager& world = WorldObjectManager::Instance();
    if (!world.IsInitialised()) {
        return;
    }
    WorldObjectManager::Cursor cursor = nullptr;
    const uint32_t fruitType = static_cast<uint32_t>(WorldObjectType::Fruit);
    for (WorldObject* object = world.First(fruitType, cursor); object != nullptr;
         object = world.Next(fruitType, cursor)) {
        const Fruit* fruit = dynamic_cast<const Fruit*>(object);
        if (fruit != nullptr && !fruit->IsDead() && !fruit->isMenuFruit && !fruit->sliced) {
            WriteFruit(*fruit, *Append(state, "ent"));
        }
    }
    const uint32_t bombType = static_cast<uint32_t>(WorldObjectType::Bomb);
    for (WorldObject* object = world.First(bombType, cursor); object != nullptr;
         object = world.Next(bombType, cursor)) {
        const Bomb* bomb = dynamic_cast<const Bomb*>(object);
        if (bomb != nullptr && !bomb->IsDead() && !bomb->fliesOff) {
            WriteBomb(*bomb, *Append(state, "ent"));
        }
    }
    const uint32_t blastType = static_cast<uint32_t>(WorldObjectType::Blast);
    for (WorldObject* object = world.First(blastType, cursor); object != nullptr;
         object = world.Next(blastType, cursor)) {
        const Blast* blast = dynamic_cast<const Blast*>(object);
        if (blast != nullptr && !blast->IsDead()) {
            WriteBlast(*blast, *Append(state, "ent"));
        }
    }
}

void WriteWaveInfo(const GameStats& stats, TiXmlElement& state) {
    TiXmlElement* info = Append(state, "wave_info");
    SetInt(*info, "waveCount", stats.waveCount);
    SetInt(*info, "numberOfWavesSpawned", stats.numberOfWavesSpawned);
    SetInt(*info, "numberOfWavesSinceReset", stats.numberOfWavesSinceReset);
    SetReal(*info, "waveDelay", stats.waveDelay);
    SetReal(*info, "waveWait", stats.waveWait);
    SetInt(*info, "blitzSpawnedThisGame", stats.blitzSpawnedThisGame);
    SetInt(*info, "blitzForceSpawnedCounter", stats.blitzForceSpawnedCounter);
    SetReal(*info, "blitzSpawnTime", stats.blitzSpawnTime);
    SetReal(*info, "beanTime", stats.beanTime);
    if (stats.beanTime >= 0.0f) {
        SetVector(*info, "beanStartPos", stats.beanStartPos);
        SetVector(*info, "beanEndPos", stats.beanEndPos);
        SetBool(*info, "beanVisible", stats.beanVisible != 0);
    }
    for (const SavedWave& saved : stats.savedWaves) {
        TiXmlElement* wave = Append(*info, "wave");
        SetInt(*wave, "inc", static_cast<int32_t>(saved.inc + 0.01f));
        SetInt(*wave, "index", saved.index);
        for (const SavedSpawner& spawner : saved.spawners) {
            TiXmlElement* element = Append(*wave, "spawner");
            SetReal(*element, "delay", spawner.delay);
            SetInt(*element, "toSpawn", spawner.toSpawn);
        }
    }
}

void WriteState(const GameStats& stats, TiXmlElement& root) {
    TiXmlElement& state = *Append(root, "state");
    SetBool(state, "hasDropped", stats.hasDropped != 0);
    SetInt(state, "score", stats.score);
    SetInt(state, "misses", stats.misses);
    state.SetAttribute("mode", GetModeName(stats.mode));
    SetInt(state, "consecutiveCount", stats.consecutiveCount);
    SetInt(state, "consecutiveType", stats.consecutiveType);
    SetReal(state, "timer", stats.timer);
    SetReal(state, "gameTime", GetGameRecord().gameTime);
    SetReal(state, "globalWaveDt", stats.globalWaveDt);
    if (stats.typesToPickFromCount >= 1) {
        SetIntList(state, "typesToPickFrom", stats.typesToPickFrom,
                   std::min(stats.typesToPickFromCount, GameStats::kTypesToPickFrom));
    }
    if (stats.bestComboCount >= 1) {
        SetIntList(state, "best_combo", stats.bestComboKinds,
                   std::min(stats.bestComboCount, GameStats::kBestComboKinds));
    }
    SetInt(state, "go_state", stats.go_state);
    SetReal(state, "go_time", stats.go_time);
    SetReal(state, "go_bombHitTime", stats.go_bombHitTime);
    SetReal(state, "go_transition", stats.go_transition);
    SetInt(state, "go_body", stats.go_body);
    SetInt(state, "go_head", stats.go_head);
    SetInt(state, "go_fruit", stats.go_fruit);
    SetInt(state, "go_fact", stats.go_fact);
    SetBool(state, "go_showHighScore", stats.go_showHighScore != 0);
    SetBool(state, "go_setScore", stats.go_setScore != 0);
    if (stats.desiredSpeed > 0.0f) {
        SetReal(state, "speedLossTime", stats.speedLossTime);
        SetReal(state, "desiredSpeed", stats.desiredSpeed);
        SetReal(state, "nextComboBonus", stats.nextComboBonus);
    }
    SetReal(state, "shake_time", stats.shake_time);
    SetReal(state, "shake_max_time", stats.shake_max_time);
    WriteWaveInfo(stats, state);
    WriteWorldObjects(state);
}

// The file's text as a document, quietly: a failure is told in the one
// line of SetAside. The game writes text; a zero byte ends it.
bool Parse(const uint8_t* bytes, int32_t length, TiXmlDocument& document) {
    if (bytes == nullptr || length <= 0) {
        document.SetError(TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
        return false;
    }
    const std::string text(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
    document.Parse(text.c_str());
    return !document.Error() && document.RootElement() != nullptr;
}

// Keeps a save that does not parse for repair before the next save replaces it.
void SetAside(const uint8_t* bytes, int32_t length, const TiXmlDocument& document) {
    char aside[SaveFile::kPathBytes];
    std::snprintf(aside, sizeof(aside), "%s%s", SaveFile::Path(), kAsideSuffix);
    FileObject file(aside, kOpenWrite, 0);
    bool ok = file.Open();
    if (ok) {
        ok = length <= 0 || file.Write(bytes, length);
        FileStream* stream = file.GetStream();
        stream->Close();
        ok = ok && stream->IsPublished();
    }
    file.CloseStream();
    const char* fault = document.Error() ? document.ErrorDesc() : "no root element";
    if (ok) {
        Log("SaveFile: %s does not parse (%s, line %d); kept as %s, starting from defaults",
            SaveFile::Path(), fault, document.ErrorRow(), aside);
    } else {
        Log("SaveFile: %s does not parse (%s, line %d) and could not be kept; starting from defaults",
            SaveFile::Path(), fault, document.ErrorRow());
    }
}

}  // namespace

bool SaveFile::GetPath(char* buffer, const char* name, size_t size) {
    if (buffer == nullptr || size == 0) {
        return false;
    }
    const int written = std::snprintf(buffer, size, "C:\\%s", name != nullptr ? name : "");
    if (written < 0 || static_cast<size_t>(written) >= size) {
        Log("SaveFile: the path of %s does not fit in %zu bytes", name != nullptr ? name : "", size);
        buffer[0] = '\0';
        return false;
    }
    return true;
}

const char* SaveFile::Path() {
    static char s_path[kPathBytes] = {};
    if (s_path[0] == '\0') {
        (void)GetPath(s_path, kFileName, sizeof(s_path));
    }
    return s_path;
}

int32_t SaveFile::VersionNumber(const char* text) {
    if (text == nullptr) {
        return kNoVersionNumber;
    }
    // major * 10000 + minor * 100 + patch; a one-digit minor or patch is a
    // two-digit fraction ("1.0.4": patch 40).
    constexpr int64_t kWeights[] = {10000, 100, 1};
    int64_t number = 0;
    const char* at = text;
    for (int part = 0; part < 3; ++part) {
        char* end = nullptr;
        long long value = std::strtoll(at, &end, 10);
        if (end == at) {
            value = 0;
        }
        value = std::max<long long>(std::min<long long>(value, INT32_MAX), INT32_MIN);
        int digits = 0;
        for (const char* c = at; *c >= '0' && *c <= '9'; ++c) {
            ++digits;
        }
        if (part > 0 && digits == 1) {
            value *= 10;
        }
        number += value * kWeights[part];
        const char* dot = std::strchr(at, '.');
        if (dot == nullptr) {
            break;
        }
        at = dot + 1;
    }
    return static_cast<int32_t>(std::max<int64_t>(std::min<int64_t>(number, INT32_MAX), INT32_MIN));
}

const char* SaveFile::ProgramVersionText() {
    return s_programVersion;
}

void SaveFile::SetProgramVersion(const char* text) {
    std::snprintf(s_programVersion, sizeof(s_programVersion), "%s",
                  text != nullptr && text[0] != '\0' ? text : kDefaultVersionText);
}

int32_t SaveFile::ProgramVersionNumber() {
    return VersionNumber(ProgramVersionText());
}

void SaveFile::Load(GameStats& stats) {
    GameRecord& game = GetGameRecord();
    const char* path = Path();
    if (!FileExists(path, 0)) {
        game.noSaveFile = true;
    } else {
        game.noSaveFile = false;
        stats.savedEntities.clear();
        FileObject file(path, kOpenRead, 0);
        TiXmlDocument document;
        const bool loaded = file.Load();
        if (loaded && Parse(file.GetData(), file.GetLength(), document)) {
            Read(&document, stats);
            if (stats.mode > 1) {
                stats.mode = 0;
            }
            game.saveFromOtherVersion = stats.version != ProgramVersionNumber();
        } else if (loaded) {
            SetAside(file.GetData(), file.GetLength(), document);
        } else {
            Log("SaveFile: %s cannot be read; starting from defaults", path);
        }
    }
    if (stats.version != 0 && stats.version != ProgramVersionNumber()) {
        // After an update the rating prompt and the wave repetitions start over.
        stats.Erase(HashOf("unrated_games"));
        for (auto& counts : stats.waveGameCounts) {
            counts.clear();
        }
        stats.rated = 0;
    }
    stats.UpdateDayStreak();
}

void SaveFile::Read(const TiXmlNode* node, GameStats& stats) {
    bool tooDeep = false;
    ReadNode(node, stats, 0, tooDeep);
}

void SaveFile::ReadWaveInfo(const TiXmlElement& element, GameStats& stats) {
    stats.savedWaves.clear();
    ReadInt(element, "waveCount", stats.waveCount);
    ReadInt(element, "numberOfWavesSpawned", stats.numberOfWavesSpawned);
    ReadInt(element, "numberOfWavesSinceReset", stats.numberOfWavesSinceReset);
    ReadFloat(element, "waveDelay", stats.waveDelay);
    ReadFloat(element, "waveWait", stats.waveWait);
    ReadInt(element, "blitzSpawnedThisGame", stats.blitzSpawnedThisGame);
    ReadInt(element, "blitzForceSpawnedCounter", stats.blitzForceSpawnedCounter);
    ReadFloat(element, "blitzSpawnTime", stats.blitzSpawnTime);
    ReadFloat(element, "beanTime", stats.beanTime);
    ReadVector(element, "beanStartPos", stats.beanStartPos);
    ReadVector(element, "beanEndPos", stats.beanEndPos);
    const char* visible = element.Attribute("beanVisible");
    stats.beanVisible = visible == nullptr || std::strcmp(visible, "false") != 0 ? 1 : 0;
    for (const TiXmlElement* wave = element.FirstChildElement("wave"); wave != nullptr;
         wave = wave->NextSiblingElement("wave")) {
        SavedWave saved;
        ReadFloat(*wave, "inc", saved.inc);
        ReadInt(*wave, "index", saved.index);
        for (const TiXmlElement* spawner = wave->FirstChildElement("spawner"); spawner != nullptr;
             spawner = spawner->NextSiblingElement("spawner")) {
            SavedSpawner entry;
            ReadFloat(*spawner, "delay", entry.delay);
            ReadInt(*spawner, "toSpawn", entry.toSpawn);
            saved.spawners.push_back(entry);
        }
        stats.savedWaves.push_back(std::move(saved));
    }
}

void SaveFile::ReadAchievements(const TiXmlElement& element, GameStats& stats, int queued) {
    GameStats::UnlockMap& map = queued == 1 ? stats.unlockQueue : stats.unlocked;
    for (const TiXmlElement* ach = element.FirstChildElement("ach"); ach != nullptr;
         ach = ach->NextSiblingElement("ach")) {
        const char* name = ach->Attribute("name");
        if (name == nullptr || name[0] == '\0') {
            continue;
        }
        const size_t length = std::strlen(name);
        if (length >= static_cast<size_t>(UnlockRecord::kNameBytes)) {
            // Cut, it would name another unlock: refused.
            Log("SaveFile: unlock name of %zu bytes refused (at most %d)", length,
                UnlockRecord::kNameBytes - 1);
            continue;
        }
        UnlockRecord record;
        std::memcpy(record.name, name, length);
        record.countdown = FloatOr(*ach, "time", 0.0f);
        map[HashOf(name)] = record;
    }
}

void SaveFile::ReadChallengeData(const TiXmlElement& element, GameStats& stats) {
    for (const TiXmlElement* challenge = element.FirstChildElement("challenge"); challenge != nullptr;
         challenge = challenge->NextSiblingElement("challenge")) {
        PlayedChallenge played;
        const char* name = challenge->Attribute("name");
        if (name != nullptr) {
            std::snprintf(played.name, sizeof(played.name), "%s", name);  // cut to 127
        }
        ReadInt(*challenge, "index", played.index);
        ReadInt(*challenge, "challengeIndex", played.challengeIndex);
        ReadInt(*challenge, "result", played.result);
        stats.playedChallenges.push_back(played);
    }
}

void SaveFile::ReadChallengeGroups(const TiXmlElement& element, GameStats& stats) {
    for (const TiXmlElement* child = element.FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        const bool group = std::strcmp(child->Value(), "grp") == 0;
        if (!group && std::strcmp(child->Value(), "chl") != 0) {
            continue;
        }
        ChallengeGroupRecord record;
        record.chance = IntOr(*child, "chance", 0);
        record.death = IntOr(*child, "death", 0);
        record.plays = group ? 0 : IntOr(*child, "plays", 0);
        const uint32_t key = static_cast<uint32_t>(IntOr(*child, "name", 0));
        (group ? stats.challengeGroups : stats.challengeRecords)[key] = record;
    }
}

void SaveFile::WriteChallengeGroups(const GameStats& stats, TiXmlElement& parent) {
    TiXmlElement* persistent = Append(parent, "challengeDataPersistent");
    for (const auto& entry : stats.challengeGroups) {
        TiXmlElement* grp = Append(*persistent, "grp");
        SetInt(*grp, "name", static_cast<int32_t>(entry.first));
        SetInt(*grp, "chance", entry.second.chance);
        SetInt(*grp, "death", entry.second.death);
    }
    for (const auto& entry : stats.challengeRecords) {
        TiXmlElement* chl = Append(*persistent, "chl");
        SetInt(*chl, "name", static_cast<int32_t>(entry.first));
        SetInt(*chl, "chance", entry.second.chance);
        SetInt(*chl, "death", entry.second.death);
        SetInt(*chl, "plays", entry.second.plays);
    }
}

void SaveFile::WriteChallengeData(const GameStats& stats, TiXmlElement& parent) {
    // The challenge mode's own snapshot values join here once it keeps them.
    TiXmlElement* data = Append(parent, "challengeData");
    for (const PlayedChallenge& played : stats.playedChallenges) {
        TiXmlElement* challenge = Append(*data, "challenge");
        challenge->SetAttribute("name", played.name);
        SetInt(*challenge, "index", played.index);
        SetInt(*challenge, "challengeIndex", played.challengeIndex);
        SetInt(*challenge, "result", played.result);
    }
}

void SaveFile::BuildDocument(const GameStats& stats, TiXmlDocument& document) {
    document.Clear();
    document.ClearError();
    TiXmlElement& root = *Append(document, "save_file");
    WriteRoot(stats, root);
    WriteTotals(stats.sessionStats, false, root);
    WriteTotals(stats.lifetimeStats, true, root);
    WriteUnlocks(stats.unlockQueue, "que", true, root);
    WriteUnlocks(stats.unlocked, "unlocked", false, root);

    TiXmlElement* gameState = Append(root, "gameStateData");
    SetInt(*gameState, "gameState", stats.gameState);
    SetInt(*gameState, "modeState", stats.modeState);
    SetReal(*gameState, "modeTime", stats.modeTime);
    SetInt(*gameState, "classicBeanCount", stats.classicBeanCount);
    SetInt(*gameState, "classicCurrentWave", stats.classicCurrentWave);
    SetInt(*gameState, "classicRequiredWaves", stats.classicRequiredWaves);

    WriteChallengeGroups(stats, root);
    const bool withState = stats.roundInPlay != 0 || stats.go_bombHitTime > 0.0f;
    if (withState && stats.hasChallengeData != 0) {
        WriteChallengeData(stats, root);
    }
    if (withState) {
        WriteState(stats, root);
    }

    char key[64];
    for (int mode = 0; mode < GameStats::kModeCount; ++mode) {
        std::snprintf(key, sizeof(key), "wave_counts_%s", GetModeName(mode));
        TiXmlElement* counts = Append(root, key);
        for (const auto& entry : stats.waveGameCounts[mode]) {
            TiXmlElement* count = Append(*counts, "game_count");
            SetInt(*count, "waveIdx", entry.first);
            SetInt(*count, "games", entry.second);
        }
    }
    TiXmlElement* powers = Append(root, "powers");
    PowerManager::Instance().Save(*powers);
}

bool SaveFile::Write(GameStats& stats) {
    stats.UpdateDayStreak();
    TiXmlDocument document;
    BuildDocument(stats, document);
    if (!SaveXmlDocument(document, Path())) {
        Log("SaveFile: the game was not saved to %s; the previous save is kept", Path());
        return false;
    }
    return true;
}

}  // namespace Varnok
