// The challenge mode's data: the challenge types, the tiers (acts) of the
// challenge list with their groups and challenges, the special challenges,
// the drawing of an act's rounds by weighted chance, and the chance and
// cool-down of every group and challenge kept between games in the
// statistics store. Main thread only.
#pragma once

#include "game/rules/ChallengeConditions.h"
#include "game/rules/ChallengeMods.h"
#include "game/rules/WeightedBag.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TiXmlElement;

namespace Varnok {

class GameStats;
class Random;

struct ChallengeType {
    std::string name;
    uint32_t nameHash = 0;
    int32_t iconIndex = 0;
    bool showInRandom = true;
};

struct BonusMultipliers {
    float bonusFruit = 1.0f;
    float bonusAccuracy = 1.0f;
    float bonusQuickShot = 1.0f;
};

enum class ChallengeFruitSize : uint32_t { None = 0, Small = 1, Medium = 2, Big = 3 };
enum class ChallengeBonusType : int32_t { None = 0, PinataHits = 1 };

struct ChallengeDefinition {
    static constexpr int kDefaultChance = 20;
    static constexpr float kDefaultRegrowth = 0.2f;

    std::string name;
    uint32_t nameHash = 0;
    uint32_t customWave = 0;
    int32_t timeLimit = 0;  // seconds; 0 none
    ChallengeFruitSize fruitSize = ChallengeFruitSize::None;
    bool forceWave = false;
    bool startActive = false;
    int32_t groupIndex = 0;
    bool prioritySelection = false;
    bool hard = false;  // its group must be selected in every act
    std::string instructions;
    std::vector<uint32_t> conditions;
    std::vector<uint32_t> mods;
    BonusMultipliers bonusMultipliers;
    int32_t points = 0;
    int32_t numWaves = 1;
    int32_t typeIndex = -1;  // into the type list; -1 none
    // The bag entry's limits.
    int32_t chanceSelect = kDefaultChance;
    float chanceRegrowth = kDefaultRegrowth;
};

enum : int32_t {
    kRoundNotPlayed = 0,
    kRoundResultPassed = 1,
    kRoundResultFailed = 2,
};

class ChallengeGroup {
public:
    ChallengeGroup() : challengeBag(kBagCoolDown) {}

    static constexpr int32_t kBagCoolDown = 4;
    static constexpr int32_t kSpecialGroupIndex = -1;

    // Regrows the bag; takes a never-played priority challenge that is not
    // cooling down, else draws by weight; stores every challenge's chance
    // and cool-down into stats (when given). Null for an empty group.
    const ChallengeDefinition* PickChallenge(GameStats* stats);
    // Whether some priority challenge has never been played.
    void UpdatePriorityFlag(const GameStats* stats);

    int32_t mustSelect = 0;
    int32_t groupIndex = 0;
    uint32_t nameHash = 0;
    bool priorityFlag = false;
    std::vector<ChallengeDefinition> challenges;
    WeightedBag challengeBag;
    // The group's own entry limits in its tier's bag.
    int32_t chanceSelect = ChallengeDefinition::kDefaultChance;
    float chanceRegrowth = ChallengeDefinition::kDefaultRegrowth;
};

struct ChallengeRound {
    const ChallengeDefinition* challenge = nullptr;  // into the tier's groups
    int32_t result = kRoundNotPlayed;
};

class ChallengeTier;
class SpecialChallenges;

// The rounds of an act while its tier is the current act.
class ChallengeRun {
public:
    // Fills roundCount rounds: the must-select challenges of every group and
    // the special challenge when it is due, at shuffled positions, the rest
    // drawn from the tier. misses: of the running game.
    void Build(ChallengeTier& tier, SpecialChallenges* special, GameStats* stats, int misses);
    // Null past the rounds.
    const ChallengeRound* GetRound(int index) const;
    ChallengeRound* GetRound(int index);
    // Rounds an act may hold at most; a list asking for more gets this many.
    static constexpr int32_t kMaxRounds = 32;
    // The challenge of round currentRound; null when there is none.
    const ChallengeDefinition* GetCurrentChallenge() const;

    std::vector<ChallengeRound> rounds;
    int32_t roundCount = 0;
    int32_t roundsPlayed = 0;
    int32_t roundsPassed = 0;
    int32_t currentRound = 0;
};

class ChallengeTier {
public:
    ChallengeTier() : groupBag(ChallengeGroup::kBagCoolDown) {}

    // Regrows the group bag; takes a group with an unplayed priority
    // challenge that is not cooling down, else draws one by weight; then
    // draws from that group. Null when the tier has no groups.
    const ChallengeDefinition* PickChallenge(GameStats* stats);
    // numRoundsMin, or min + truncate((max - min) x r): max itself is never
    // drawn.
    int32_t DrawRoundCount(Random& random) const;
    int32_t DrawRoundCount() const;
    // The act starts: a new round count, nothing played, new rounds.
    void StartAct(SpecialChallenges* special, GameStats* stats, int misses);
    float GetGameSpeed() const { return dtStart + dtRoundIncrement * static_cast<float>(run.roundsPlayed); }
    // A saved round comes back: builds the rounds first when there are none;
    // names no challenge of the tier or an index past the rounds: nothing.
    void RestoreRound(const char* challengeName, int index, int32_t result, GameStats* stats,
                      SpecialChallenges* special = nullptr, int misses = 0);
    // Group index in groups, or -1.
    int FindGroup(int32_t groupIndex) const;

    std::string name;
    WeightedBag groupBag;
    std::vector<ChallengeGroup> groups;
    ChallengeRun run;
    int32_t numRoundsMin = 3;
    int32_t numRoundsMax = 3;
    bool progression = false;
    uint32_t bossId = 0;  // a tier with a boss is the finale act
    float dtStart = 1.0f;
    float dtRoundIncrement = 0.0f;
    int32_t tierIndex = 0;
    ChallengeBonusType bonusType = ChallengeBonusType::None;
    uint32_t background = 0;
};

class SpecialChallenges {
public:
    // Chances of a special challenge in a middle act by the game's misses.
    static constexpr float kChanceByMisses[3] = {0.2f, 0.5f, 0.8f};

    // Never in the first act; always in the third; in between by chance of
    // the misses; never twice a game (numPerGame 0: never).
    bool ShouldInclude(int tierIndex, int misses, Random& random) const;
    bool ShouldInclude(int tierIndex, int misses) const;
    const ChallengeDefinition* Pick(GameStats* stats);

    std::unique_ptr<ChallengeGroup> group;  // null without one
    int32_t numPerGame = 0;
    int32_t givenThisGame = 0;  // reset when a challenge game starts
};

class ChallengeData {
public:
    static constexpr int32_t kDefaultChanceSelect = 20;
    static constexpr float kDefaultChanceRegrowth = 0.2f;
    static constexpr int32_t kNoChallengeIcon = -1;

    // The conditions and mods libraries must outlive the data.
    ChallengeData(ChallengeConditionList& conditions, ChallengeModList& mods)
        : m_conditions(conditions), m_mods(mods) {}

    // Types, conditions, mods, then the challenge list from the bundle's
    // xml/ files; a file that does not load adds nothing. stats: where the
    // chances and cool-downs of earlier games are (may be null).
    void Load(GameStats* stats);
    // Empties the libraries and the types; tiers and specials stay.
    void Unload();

    void ParseTypes(const TiXmlElement& root);
    void ParseChallengeList(const TiXmlElement& root, GameStats* stats);

    // The first type of that hash, else the first type; null without types.
    const ChallengeType* FindChallengeType(uint32_t nameHash) const;
    int FindChallengeTypeIndex(uint32_t nameHash) const;
    const ChallengeType* GetType(const ChallengeDefinition& challenge) const;
    // The icon index of a type drawn among those offered in random: 0 when
    // there are no types, kNoChallengeIcon when none is offered.
    int32_t PickRandomChallengeIndex(Random& random) const;
    int32_t PickRandomChallengeIndex() const;

    bool IsLoaded() const { return m_loaded; }
    ChallengeConditionList& GetConditions() { return m_conditions; }
    ChallengeModList& GetMods() { return m_mods; }

    std::vector<ChallengeType> types;
    std::vector<ChallengeTier> tiers;
    SpecialChallenges special;
    int32_t chanceSelect = kDefaultChanceSelect;
    float chanceRegrowth = kDefaultChanceRegrowth;

private:
    void ParseChallengeTier(const TiXmlElement& element, GameStats* stats);
    // False (and nothing kept) for a group without challenges.
    bool ParseChallengeGroup(const TiXmlElement& element, int32_t groupIndex, GameStats* stats,
                             ChallengeGroup& group);
    void ParseChallengeDefinition(const TiXmlElement& element, ChallengeDefinition& challenge);
    void ParseSpecialChallenges(const TiXmlElement& element, GameStats* stats);

    ChallengeConditionList& m_conditions;
    ChallengeModList& m_mods;
    bool m_loaded = false;
};

}  // namespace Varnok
