// Loading the challenge data and drawing the rounds of an act.
#include "game/rules/ChallengeData.h"

#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "engine/core/Random.h"
#include "engine/core/XmlDocument.h"
#include "game/rules/GameHelpers.h"
#include "game/rules/GameStats.h"
#include "game/rules/StringTables.h"
#include "game/rules/XmlAttributes.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstring>
#include <numeric>

namespace Varnok {
namespace {

constexpr int kNameBytes = 64;
constexpr int kInstructionBytes = 130;
// A chance far above any the data uses; keeps the bag's total from wrapping.
constexpr int32_t kMaxChance = 1000000;

uint32_t HashText(const char* text) {
    return text != nullptr ? HashName(text, static_cast<int>(std::strlen(text))) : 0u;
}

bool IsText(const char* value, const char* expected) {
    return value != nullptr && std::strcmp(value, expected) == 0;
}

std::string CutText(const char* text, int bytes) {
    std::string value(text != nullptr ? text : "");
    if (value.size() >= static_cast<size_t>(bytes)) {
        value.resize(bytes - 1);
    }
    return value;
}

uint32_t ClampChance(int32_t chance) {
    return static_cast<uint32_t>(std::min(std::max(chance, 0), kMaxChance));
}

// The bag entry of a chance and cool-down; a stored record wins over the
// defaults.
WeightedBagEntry MakeEntry(int32_t chanceSelect, float regrowth, int32_t defaultChance,
                           const ChallengeGroupRecord* record, int32_t value) {
    WeightedBagEntry entry;
    entry.maxWeight = ClampChance(chanceSelect);
    entry.weight = std::min(ClampChance(record != nullptr ? record->chance : defaultChance), entry.maxWeight);
    entry.regrowRate = regrowth;
    entry.coolDown = record != nullptr ? std::max(record->death, 0) : 0;
    entry.value = value;
    return entry;
}

const ChallengeGroupRecord* FindRecord(const std::map<uint32_t, ChallengeGroupRecord>* records, uint32_t key) {
    if (records == nullptr) {
        return nullptr;
    }
    const auto found = records->find(key);
    return found != records->end() ? &found->second : nullptr;
}

void StoreBag(const WeightedBag& bag, std::map<uint32_t, ChallengeGroupRecord>& records,
              const std::vector<uint32_t>& keys) {
    for (int i = 0; i < bag.Count() && i < static_cast<int>(keys.size()); ++i) {
        ChallengeGroupRecord& record = records[keys[i]];
        record.chance = static_cast<int32_t>(bag.GetEntry(i).weight);
        record.death = bag.GetEntry(i).coolDown;
    }
}

int32_t PlaysOf(const GameStats* stats, uint32_t key) {
    const ChallengeGroupRecord* record = stats != nullptr ? FindRecord(&stats->challengeRecords, key) : nullptr;
    return record != nullptr ? record->plays : 0;
}

}  // namespace

// ---- Groups ----

const ChallengeDefinition* ChallengeGroup::PickChallenge(GameStats* stats) {
    if (challenges.empty()) {
        return nullptr;
    }
    challengeBag.Regrow();
    int picked = -1;
    const int count = static_cast<int>(challenges.size());
    for (int i = 0; i < count && i < challengeBag.Count(); ++i) {
        if (challenges[i].prioritySelection && PlaysOf(stats, challenges[i].nameHash) == 0 &&
            challengeBag.GetEntry(i).coolDown == 0) {
            challengeBag.Remove(i);
            picked = i;
            break;
        }
    }
    if (picked < 0) {
        picked = challengeBag.Draw();
    }
    if (stats != nullptr) {
        std::vector<uint32_t> keys;
        keys.reserve(challenges.size());
        for (const ChallengeDefinition& challenge : challenges) {
            keys.push_back(challenge.nameHash);
        }
        StoreBag(challengeBag, stats->challengeRecords, keys);
    }
    UpdatePriorityFlag(stats);
    return &challenges[picked >= 0 && picked < count ? picked : 0];
}

void ChallengeGroup::UpdatePriorityFlag(const GameStats* stats) {
    priorityFlag = std::any_of(challenges.begin(), challenges.end(), [stats](const ChallengeDefinition& challenge) {
        return challenge.prioritySelection && PlaysOf(stats, challenge.nameHash) == 0;
    });
}

// ---- The run of an act ----

void ChallengeRun::Build(ChallengeTier& tier, SpecialChallenges* special, GameStats* stats, int misses) {
    rounds.assign(static_cast<size_t>(std::max(roundCount, 0)), ChallengeRound{});
    std::vector<const ChallengeDefinition*> pending;
    for (ChallengeGroup& group : tier.groups) {
        for (int32_t i = 0; i < group.mustSelect && i < kMaxRounds; ++i) {
            pending.push_back(group.PickChallenge(stats));
        }
    }
    if (special != nullptr && special->ShouldInclude(tier.tierIndex, misses)) {
        ++special->givenThisGame;
        const ChallengeDefinition* picked = special->Pick(stats);
        if (picked != nullptr) {
            pending.push_back(picked);
        }
    }
    std::vector<int32_t> order(rounds.size());
    std::iota(order.begin(), order.end(), 0);
    ShuffleArray(order.data(), static_cast<int>(order.size()));
    size_t next = 0;
    for (int32_t index : order) {
        const ChallengeDefinition* challenge = nullptr;
        if (next < pending.size()) {
            challenge = pending[next++];
            // A must-select group has had its turn in this act.
            if (challenge != nullptr && challenge->groupIndex != ChallengeGroup::kSpecialGroupIndex) {
                const int group = tier.FindGroup(challenge->groupIndex);
                if (group >= 0) {
                    tier.groupBag.Remove(group);
                }
            }
        } else {
            challenge = tier.PickChallenge(stats);
        }
        rounds[static_cast<size_t>(index)].challenge = challenge;
    }
}

const ChallengeRound* ChallengeRun::GetRound(int index) const {
    return index >= 0 && index < static_cast<int>(rounds.size()) ? &rounds[index] : nullptr;
}

ChallengeRound* ChallengeRun::GetRound(int index) {
    return index >= 0 && index < static_cast<int>(rounds.size()) ? &rounds[index] : nullptr;
}

const ChallengeDefinition* ChallengeRun::GetCurrentChallenge() const {
    const ChallengeRound* round = GetRound(currentRound);
    return round != nullptr ? round->challenge : nullptr;
}

// ---- Tiers ----

int ChallengeTier::FindGroup(int32_t groupIndex) const {
    return groupIndex >= 0 && groupIndex < static_cast<int>(groups.size()) ? groupIndex : -1;
}

const ChallengeDefinition* ChallengeTier::PickChallenge(GameStats* stats) {
    if (groups.empty()) {
        return nullptr;
    }
    groupBag.Regrow();
    int picked = -1;
    const int count = static_cast<int>(groups.size());
    for (int i = 0; i < count && i < groupBag.Count(); ++i) {
        if (groups[i].priorityFlag && groupBag.GetEntry(i).coolDown == 0) {
            groupBag.Remove(i);
            picked = i;
            break;
        }
    }
    if (picked < 0) {
        picked = groupBag.Draw();
    }
    if (stats != nullptr) {
        std::vector<uint32_t> keys;
        keys.reserve(groups.size());
        for (const ChallengeGroup& group : groups) {
            keys.push_back(group.nameHash);
        }
        StoreBag(groupBag, stats->challengeGroups, keys);
    }
    return groups[picked >= 0 && picked < count ? picked : 0].PickChallenge(stats);
}

int32_t ChallengeTier::DrawRoundCount(Random& random) const {
    int32_t count = numRoundsMin;
    if (numRoundsMin != numRoundsMax) {
        const float span = static_cast<float>(numRoundsMax) - static_cast<float>(numRoundsMin);
        count = numRoundsMin + static_cast<int32_t>(span * random.NextFloat());
    }
    return std::min(std::max(count, 0), ChallengeRun::kMaxRounds);
}

int32_t ChallengeTier::DrawRoundCount() const {
    return DrawRoundCount(GlobalRandom());
}

void ChallengeTier::StartAct(SpecialChallenges* special, GameStats* stats, int misses) {
    run.roundCount = DrawRoundCount();
    run.roundsPlayed = 0;
    run.roundsPassed = 0;
    run.currentRound = 0;
    run.Build(*this, special, stats, misses);
}

void ChallengeTier::RestoreRound(const char* challengeName, int index, int32_t result, GameStats* stats,
                                 SpecialChallenges* special, int misses) {
    if (run.rounds.empty()) {
        run.roundCount = DrawRoundCount();
        run.Build(*this, special, stats, misses);
    }
    const uint32_t key = HashText(challengeName);
    const ChallengeDefinition* found = nullptr;
    for (const ChallengeGroup& group : groups) {
        for (const ChallengeDefinition& challenge : group.challenges) {
            if (challenge.nameHash == key) {
                found = &challenge;  // the last match counts
            }
        }
    }
    ChallengeRound* round = run.GetRound(index);
    if (found == nullptr || round == nullptr || index >= run.roundCount) {
        return;
    }
    round->challenge = found;
    round->result = result;
    if (result != kRoundNotPlayed) {
        ++run.roundsPlayed;
        if (result == kRoundResultPassed) {
            ++run.roundsPassed;
        }
    }
}

// ---- Special challenges ----

constexpr float SpecialChallenges::kChanceByMisses[3];

bool SpecialChallenges::ShouldInclude(int tierIndex, int misses, Random& random) const {
    if (numPerGame == 0 || givenThisGame > 0 || group == nullptr) {
        return false;
    }
    if (tierIndex == 0) {
        return false;
    }
    if (tierIndex == 2) {
        return true;
    }
    if (misses < 0 || misses > 2) {
        return false;
    }
    return random.NextFloat() < kChanceByMisses[misses];
}

bool SpecialChallenges::ShouldInclude(int tierIndex, int misses) const {
    return ShouldInclude(tierIndex, misses, GlobalRandom());
}

const ChallengeDefinition* SpecialChallenges::Pick(GameStats* stats) {
    return group != nullptr ? group->PickChallenge(stats) : nullptr;
}

// ---- Loading ----

void ChallengeData::Load(GameStats* stats) {
    struct File {
        const char* path;
        const char* root;
    };
    const File files[] = {
        {"xml/challengeTypes.xml", "challengeTypes"},
        {"xml/challengeConditions.xml", "challengeConditions"},
        {"xml/challengeMods.xml", "challengeMods"},
        {"xml/ch1challengeList.xml", "partyChallenges"},
    };
    types.clear();
    for (int step = 0; step < 4; ++step) {
        TiXmlDocument document;
        if (!LoadXmlDocument(document, files[step].path)) {
            Log("ChallengeData: %s did not load (%s)", files[step].path, document.ErrorDesc());
            continue;
        }
        const TiXmlElement* root = document.RootElement();
        if (root == nullptr || std::strcmp(root->Value(), files[step].root) != 0) {
            Log("ChallengeData: %s has no %s root", files[step].path, files[step].root);
            continue;
        }
        switch (step) {
            case 0: ParseTypes(*root); break;
            case 1: m_conditions.Parse(*root); break;
            case 2: m_mods.Parse(*root); break;
            default: ParseChallengeList(*root, stats); break;
        }
    }
    m_loaded = true;
}

void ChallengeData::Unload() {
    m_conditions.ClearLibrary();
    m_mods.ClearLibrary();
    types.clear();
    m_loaded = false;
}

void ChallengeData::ParseTypes(const TiXmlElement& root) {
    types.clear();
    for (const TiXmlElement* element = root.FirstChildElement("type"); element != nullptr;
         element = element->NextSiblingElement("type")) {
        const char* name = element->Attribute("name");
        if (name == nullptr) {
            Log("ChallengeData: a challenge type without a name, skipped");
            continue;
        }
        ChallengeType type;
        type.name = CutText(name, kNameBytes);
        type.nameHash = HashText(type.name.c_str());
        ReadInt(*element, "iconIndex", type.iconIndex);
        type.showInRandom = !IsText(element->Attribute("dontShowInRandom"), "true");
        types.push_back(type);
    }
}

void ChallengeData::ParseChallengeList(const TiXmlElement& root, GameStats* stats) {
    tiers.clear();
    special = SpecialChallenges{};
    chanceSelect = kDefaultChanceSelect;
    chanceRegrowth = kDefaultChanceRegrowth;
    const TiXmlElement* defaults = root.FirstChildElement("defaults");
    if (defaults != nullptr) {
        ReadInt(*defaults, "chanceSelect", chanceSelect);
        ReadFloat(*defaults, "chanceRegrowth", chanceRegrowth);
    }
    for (const TiXmlElement* element = root.FirstChildElement("challengeTier"); element != nullptr;
         element = element->NextSiblingElement("challengeTier")) {
        ParseChallengeTier(*element, stats);
    }
    const TiXmlElement* specials = root.FirstChildElement("specialChallenges");
    if (specials != nullptr) {
        ParseSpecialChallenges(*specials, stats);
    }
}

void ChallengeData::ParseChallengeTier(const TiXmlElement& element, GameStats* stats) {
    tiers.emplace_back();
    ChallengeTier& tier = tiers.back();
    tier.tierIndex = static_cast<int32_t>(tiers.size()) - 1;
    tier.name = CutText(element.Attribute("name"), kNameBytes);
    int32_t rounds = 3;
    ReadInt(element, "numRounds", rounds);
    tier.numRoundsMin = rounds;
    tier.numRoundsMax = rounds;
    ReadInt(element, "numRoundsMin", tier.numRoundsMin);
    ReadInt(element, "numRoundsMax", tier.numRoundsMax);
    tier.background = HashText(element.Attribute("background"));
    ReadFloat(element, "dtStart", tier.dtStart);
    ReadFloat(element, "dtRoundIncrement", tier.dtRoundIncrement);
    tier.progression = IsText(element.Attribute("progression"), "PASSED");
    tier.bonusType = IsText(element.Attribute("scoreBonus"), "PINATA_HITS") ? ChallengeBonusType::PinataHits
                                                                            : ChallengeBonusType::None;
    tier.bossId = HashText(element.Attribute("bossId"));
    for (const TiXmlElement* child = element.FirstChildElement("challengeGroup"); child != nullptr;
         child = child->NextSiblingElement("challengeGroup")) {
        ChallengeGroup group;
        const int32_t position = static_cast<int32_t>(tier.groups.size());
        if (!ParseChallengeGroup(*child, position, stats, group)) {
            continue;
        }
        const ChallengeGroupRecord* record =
            FindRecord(stats != nullptr ? &stats->challengeGroups : nullptr, group.nameHash);
        // A must-select group comes in through its quota, never by chance.
        WeightedBagEntry entry = MakeEntry(group.chanceSelect, group.chanceRegrowth, chanceSelect, record, position);
        if (group.mustSelect > 0) {
            entry.weight = 0;
            entry.regrowRate = 0.0f;
        }
        tier.groupBag.Add(entry);
        tier.groups.push_back(std::move(group));
    }
}

bool ChallengeData::ParseChallengeGroup(const TiXmlElement& element, int32_t groupIndex, GameStats* stats,
                                        ChallengeGroup& group) {
    group.groupIndex = groupIndex;
    group.nameHash = HashText(element.Attribute("name"));
    ReadInt(element, "mustSelect", group.mustSelect);
    group.chanceSelect = chanceSelect;
    group.chanceRegrowth = chanceRegrowth;
    ReadInt(element, "chanceSelect", group.chanceSelect);
    ReadFloat(element, "chanceRegrowth", group.chanceRegrowth);
    for (const TiXmlElement* child = element.FirstChildElement("challenge"); child != nullptr;
         child = child->NextSiblingElement("challenge")) {
        ChallengeDefinition challenge;
        challenge.groupIndex = groupIndex;
        challenge.hard = group.mustSelect > 0;
        ParseChallengeDefinition(*child, challenge);
        const ChallengeGroupRecord* record =
            FindRecord(stats != nullptr ? &stats->challengeRecords : nullptr, challenge.nameHash);
        group.challengeBag.Add(MakeEntry(challenge.chanceSelect, challenge.chanceRegrowth,
                                         ChallengeDefinition::kDefaultChance, record,
                                         static_cast<int32_t>(group.challenges.size())));
        group.challenges.push_back(std::move(challenge));
    }
    if (group.challenges.empty()) {
        Log("ChallengeData: a challenge group without challenges, dropped");
        return false;
    }
    group.UpdatePriorityFlag(stats);
    return true;
}

void ChallengeData::ParseChallengeDefinition(const TiXmlElement& element, ChallengeDefinition& challenge) {
    challenge.name = CutText(element.Attribute("name"), kNameBytes);
    challenge.nameHash = HashText(challenge.name.c_str());
    challenge.prioritySelection = element.Attribute("prioritySelection") != nullptr;
    const char* instructions = element.Attribute("instructions");
    challenge.instructions =
        CutText(instructions != nullptr ? StringTables::Get(instructions) : "No Instructions", kInstructionBytes);
    const char* size = element.Attribute("challengeFruitSize");
    challenge.fruitSize = IsText(size, "small")    ? ChallengeFruitSize::Small
                          : IsText(size, "medium") ? ChallengeFruitSize::Medium
                          : IsText(size, "big")    ? ChallengeFruitSize::Big
                                                   : ChallengeFruitSize::None;
    ReadInt(element, "chanceSelect", challenge.chanceSelect);
    ReadFloat(element, "chanceRegrowth", challenge.chanceRegrowth);
    ReadInt(element, "points", challenge.points);
    ReadInt(element, "numWaves", challenge.numWaves);
    challenge.customWave = HashText(element.Attribute("customWave"));
    ReadInt(element, "timeLimit", challenge.timeLimit);
    challenge.startActive = IsText(element.Attribute("startActive"), "true");
    const char* forceWave = element.Attribute("forceWave");
    challenge.forceWave = forceWave != nullptr ? IsText(forceWave, "true") : challenge.numWaves == 1;
    const char* typeName = element.Attribute("type");
    challenge.typeIndex = typeName != nullptr ? FindChallengeTypeIndex(HashText(typeName)) : -1;
    for (const TiXmlElement* child = element.FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        const char* value = child->Value();
        const char* name = child->Attribute("name");
        if (IsText(value, "condition") && name != nullptr) {
            challenge.conditions.push_back(HashText(name));
        } else if (IsText(value, "mod") && name != nullptr) {
            challenge.mods.push_back(HashText(name));
        } else if (IsText(value, "bonusMods")) {
            ReadFloat(*child, "bonusFruit", challenge.bonusMultipliers.bonusFruit);
            ReadFloat(*child, "bonusAccuracy", challenge.bonusMultipliers.bonusAccuracy);
            ReadFloat(*child, "bonusQuickShot", challenge.bonusMultipliers.bonusQuickShot);
        }
    }
}

void ChallengeData::ParseSpecialChallenges(const TiXmlElement& element, GameStats* stats) {
    ReadInt(element, "numPerGame", special.numPerGame);
    const TiXmlElement* child = element.FirstChildElement("challengeGroup");
    if (child == nullptr) {
        return;
    }
    auto group = std::make_unique<ChallengeGroup>();
    if (ParseChallengeGroup(*child, ChallengeGroup::kSpecialGroupIndex, stats, *group)) {
        special.group = std::move(group);
    }
}

// ---- Types ----

int ChallengeData::FindChallengeTypeIndex(uint32_t nameHash) const {
    for (size_t i = 0; i < types.size(); ++i) {
        if (types[i].nameHash == nameHash) {
            return static_cast<int>(i);
        }
    }
    return types.empty() ? -1 : 0;
}

const ChallengeType* ChallengeData::FindChallengeType(uint32_t nameHash) const {
    const int index = FindChallengeTypeIndex(nameHash);
    return index >= 0 ? &types[index] : nullptr;
}

const ChallengeType* ChallengeData::GetType(const ChallengeDefinition& challenge) const {
    return challenge.typeIndex >= 0 && challenge.typeIndex < static_cast<int>(types.size())
               ? &types[challenge.typeIndex]
               : nullptr;
}

int32_t ChallengeData::PickRandomChallengeIndex(Random& random) const {
    if (types.empty()) {
        return 0;
    }
    // Drawn among the offered types only: a list that offers none must not
    // keep the caller drawing for ever.
    int offered = 0;
    for (const ChallengeType& type : types) {
        offered += type.showInRandom ? 1 : 0;
    }
    if (offered == 0) {
        return kNoChallengeIcon;
    }
    int pick = static_cast<int>(random.NextBelow(static_cast<uint32_t>(offered)));
    for (const ChallengeType& type : types) {
        if (type.showInRandom && pick-- == 0) {
            return type.iconIndex;
        }
    }
    return kNoChallengeIcon;
}

int32_t ChallengeData::PickRandomChallengeIndex() const {
    return PickRandomChallengeIndex(GlobalRandom());
}

}  // namespace Varnok
