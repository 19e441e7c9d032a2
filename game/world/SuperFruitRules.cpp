// Reading and asking the super-fruit probability rules.
#include "game/world/SuperFruitRules.h"

#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/core/Random.h"
#include "engine/core/XmlDocument.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameHelpers.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/Powers.h"
#include "game/world/Fruit.h"
#include "game/world/FruitCatalogue.h"
#include "game/world/WaveManager.h"
#include "game/world/WorldObjectManager.h"

#include <tinyxml.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace Varnok {

namespace {

constexpr const char* kSystemStat = "super_fruit_probability_system";

// Rule arithmetic saturates: the thresholds come from data and may be huge.
int32_t Saturate(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

void ReadInt(const TiXmlElement& element, const char* name, int32_t& out) {
    int value = 0;
    if (element.QueryIntAttribute(name, &value) == TIXML_SUCCESS) {
        out = value;
    }
}

// Fruit thrown and still in the air whose kind carries powers.
int CountPowerFruit() {
    WorldObjectManager& world = WorldObjectManager::Instance();
    if (!world.IsInitialised()) {
        return 0;
    }
    int count = 0;
    WorldObjectManager::Cursor cursor = nullptr;
    for (WorldObject* o = world.First(static_cast<uint32_t>(WorldObjectType::Fruit), cursor); o != nullptr;
         o = world.Next(static_cast<uint32_t>(WorldObjectType::Fruit), cursor)) {
        const Fruit* fruit = static_cast<const Fruit*>(o);
        const FruitInfo* info = fruit->GetInfo();
        if (!fruit->IsDead() && info != nullptr && !info->powers.empty()) {
            ++count;
        }
    }
    return count;
}

}  // namespace

int32_t RuleWholeBetween(int32_t a, int32_t b) {
    if (a == b) {
        return a;
    }
    const float u = GlobalRandom().NextFloat();
    const float value = static_cast<float>(a) + static_cast<float>(static_cast<int64_t>(b) - a) * u;
    // Float rounding may step past INT32_MAX near the top of the range.
    if (!(value < 2147483648.0f)) {
        return INT32_MAX;
    }
    return static_cast<int32_t>(std::max(value, -2147483648.0f));
}

void SuperFruitProbabilityRule::Parse(const TiXmlElement& element) {
    const char* text = element.Attribute("name");
    name = text != nullptr ? text : "";
    nameHash = HashName(name.c_str(), static_cast<int>(name.size()));
    modeMask = ModeMaskFromNames(element.Attribute("mode"));
    ReadInt(element, "minWait", minWait);
    ReadInt(element, "maxWait", maxWait);
    ReadInt(element, "dontSpawnBeforeWave", dontSpawnBeforeWave);
    if (const char* powers = element.Attribute("canSpawnWithPowers")) {
        canSpawnWithPowers = std::strcmp(powers, "true") == 0 ? 1 : 0;
    }
    total = 0;
    fruits.clear();
    for (const TiXmlElement* child = element.FirstChildElement("fruit"); child != nullptr;
         child = child->NextSiblingElement("fruit")) {
        FruitChance entry;
        const char* type = child->Attribute("type");
        entry.type = type != nullptr ? type : "";
        ReadInt(*child, "chance", entry.chance);
        total = Saturate(static_cast<int64_t>(total) + entry.chance);
        entry.cumulative = total;
        fruits.push_back(std::move(entry));
    }
    ParseExtra(element);
}

bool SuperFruitProbabilityRule::InCurrentMode() const {
    return (ModeBitMask(GetGameRecord().modeIndex) & modeMask) != 0;
}

int32_t SuperFruitProbabilityRule::Value() const {
    const GameStats* stats = GetGameRecord().stats;
    return stats != nullptr ? stats->GetByHash(nameHash) : 0;
}

void SuperFruitProbabilityRule::SetValue(int32_t value) {
    GameStats* stats = GetGameRecord().stats;
    if (stats == nullptr || name.empty()) {
        return;
    }
    const bool lifetime = GetKind() == Kind::FruitCount;
    (void)stats->Set(name.c_str(), value, lifetime ? 1 : 0, lifetime ? 1 : 0);
}

bool SuperFruitProbabilityRule::CanSpawn() const {
    WaveManager& waves = WaveManager::Instance();
    const WaveInfo* wave = waves.GetCurrentWave();
    if (wave != nullptr && wave->gamesMin == 0) {
        return true;
    }
    if (waves.numberOfWavesSpawned <= dontSpawnBeforeWave) {
        return false;
    }
    if (canSpawnWithPowers != 0) {
        return true;
    }
    return CountPowerFruit() == 0 && !(PowerManager::Instance().RemainingFraction(0.0f) < 2.0f);
}

int SuperFruitProbabilityRule::PickFruit() const {
    const uint32_t x = GlobalRandom().NextBelow(static_cast<uint32_t>(total));
    const FruitCatalogue& catalogue = FruitCatalogue::Get();
    for (const FruitChance& entry : fruits) {
        if (entry.cumulative > 0 && static_cast<uint32_t>(entry.cumulative) > x) {
            const int kind = catalogue.IndexOf(entry.type.c_str(), 0);
            if (kind >= 0) {
                return kind;
            }
        }
    }
    return 0;
}

bool SuperFruitProbabilityRule::Test(int32_t& kind) {
    if (!InCurrentMode()) {
        return false;
    }
    const int32_t s = Value();
    if (s == 0) {
        SetValue(RuleWholeBetween(minWait, maxWait));
        return false;
    }
    if (s < 0) {
        return false;
    }
    if (s >= 2) {
        SetValue(s - 1);
        return false;
    }
    if (!CanSpawn()) {
        return false;  // stays at 1: fires at the next fruit it may
    }
    SetValue(0);
    kind = PickFruit();
    return true;
}

void SuperFruitProbabilityRule::Cancel() {
    SetValue(3);
}

void SuperFruitProbabilityRule::OnFruitDropped(Fruit* fruit) {
    // Only a fruit removed before its throw gives the firing back.
    if (fruit != nullptr && fruit->launchWait > 0.0f) {
        Cancel();
    }
}

void SuperFruitProbabilityRule::OnFruitLaunched(Fruit* fruit) {
    if (fruit == nullptr || CanSpawn()) {
        return;
    }
    fruit->noPenalty = true;
    fruit->OnDropped(0);
    Cancel();
}

void PointBasedProbabilityRule::ParseExtra(const TiXmlElement& element) {
    int32_t every = 0;
    int32_t from = 0;
    if (element.Attribute("every") != nullptr) {
        ReadInt(element, "every", every);
        everyMin = everyMax = every;
    }
    if (element.Attribute("from") != nullptr) {
        ReadInt(element, "from", from);
        fromMin = fromMax = from;
    }
    ReadInt(element, "everyMin", everyMin);
    ReadInt(element, "everyMax", everyMax);
    ReadInt(element, "fromMin", fromMin);
    ReadInt(element, "fromMax", fromMax);
}

bool PointBasedProbabilityRule::Test(int32_t& kind) {
    if (!InCurrentMode()) {
        return false;
    }
    int32_t s = Value();
    if (GetGameRecord().score < s || !CanSpawn()) {
        return false;
    }
    if (s < 0) {
        s = Saturate(-static_cast<int64_t>(s));
    }
    kind = PickFruit();
    SetValue(Saturate(static_cast<int64_t>(s) + RuleWholeBetween(everyMin, everyMax)));
    return true;
}

void PointBasedProbabilityRule::Cancel() {
    const int32_t s = Value();
    if (s >= 1) {
        SetValue(-s);
    }
}

void PointBasedProbabilityRule::StartGame() {
    SetValue(RuleWholeBetween(fromMin, fromMax));
}

bool TimedProbabilityRule::Test(int32_t& kind) {
    if (!InCurrentMode()) {
        return false;
    }
    const int32_t s = Value();
    if (s < 0 || !(GetGameRecord().gameTime > static_cast<float>(s)) || !CanSpawn()) {
        return false;
    }
    kind = PickFruit();
    SetValue(Saturate(static_cast<int64_t>(s) - 2 * static_cast<int64_t>(maxWait)));
    return true;
}

void TimedProbabilityRule::Cancel() {
    SetValue(Saturate(static_cast<int64_t>(Value()) + 2 * static_cast<int64_t>(maxWait)));
}

void TimedProbabilityRule::StartGame() {
    SetValue(RuleWholeBetween(minWait, maxWait));
}

void SuperFruitRuleSet::Load(const char* fileName) {
    Clear();
    TiXmlDocument document;
    if (!LoadXmlDocument(document, fileName)) {
        Log("SuperFruitRules: %s did not load (%s); no super-fruit rules", fileName, document.ErrorDesc());
        return;
    }
    Build(document, fileName);
}

void SuperFruitRuleSet::LoadText(const char* text, size_t length) {
    Clear();
    TiXmlDocument document;
    if (!ParseXmlDocument(document, text, length)) {
        Log("SuperFruitRules: text did not parse (%s); no super-fruit rules", document.ErrorDesc());
        return;
    }
    Build(document, "text");
}

void SuperFruitRuleSet::Build(const TiXmlDocument& document, const char* source) {
    const GameStats* stats = GetGameRecord().stats;
    const int32_t system = stats != nullptr ? stats->Get(kSystemStat) : 0;
    char section[32];
    std::snprintf(section, sizeof(section), "probabilityFile%i", static_cast<int>(system));
    const TiXmlElement* root = nullptr;
    for (const TiXmlElement* e = document.FirstChildElement(); e != nullptr; e = e->NextSiblingElement()) {
        if (e->ValueStr() == section) {
            root = e;
            break;
        }
    }
    if (root == nullptr) {
        Log("SuperFruitRules: %s has no section %s; no super-fruit rules", source, section);
        return;
    }
    auto readAll = [&](const char* element, auto make) {
        for (const TiXmlElement* e = root->FirstChildElement(element); e != nullptr;
             e = e->NextSiblingElement(element)) {
            std::unique_ptr<SuperFruitProbabilityRule> rule = make();
            rule->Parse(*e);
            m_rules.push_back(std::move(rule));
        }
    };
    readAll("globalProbability", [] { return std::make_unique<SuperFruitProbabilityRule>(); });
    readAll("globalProbabilityPointBased", [] { return std::make_unique<PointBasedProbabilityRule>(); });
    readAll("globalProbabilityTimed", [] { return std::make_unique<TimedProbabilityRule>(); });
}

void SuperFruitRuleSet::Clear() {
    WorldObjectManager& world = WorldObjectManager::Instance();
    if (!m_rules.empty() && world.IsInitialised()) {
        WorldObjectManager::Cursor cursor = nullptr;
        for (WorldObject* o = world.First(static_cast<uint32_t>(WorldObjectType::Fruit), cursor); o != nullptr;
             o = world.Next(static_cast<uint32_t>(WorldObjectType::Fruit), cursor)) {
            Fruit* fruit = static_cast<Fruit*>(o);
            for (auto& rule : m_rules) {
                fruit->droppedEvent.Remove(rule->DropHook());
                fruit->launchedEvent.Remove(rule->LaunchHook());
            }
        }
    }
    m_rules.clear();
}

void SuperFruitRuleSet::StartGame() {
    for (auto& rule : m_rules) {
        rule->StartGame();
    }
}

SuperFruitProbabilityRule* SuperFruitRuleSet::FindRule(int32_t& kind) {
    for (auto& rule : m_rules) {
        if (rule->Test(kind)) {
            return rule.get();
        }
    }
    return nullptr;
}

void SuperFruitRuleSet::Attach(SuperFruitProbabilityRule& rule, Fruit& fruit) {
    fruit.droppedEvent.Add(rule.DropHook());
    fruit.launchedEvent.Add(rule.LaunchHook());
}

}  // namespace Varnok
