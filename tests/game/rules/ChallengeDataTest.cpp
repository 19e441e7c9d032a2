#include "game/rules/ChallengeData.h"

#include "engine/core/HashName.h"
#include "engine/core/Random.h"
#include "engine/core/XmlDocument.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

namespace Varnok {
namespace {

uint32_t Hash(const char* text) {
    return HashName(text, static_cast<int>(std::strlen(text)));
}

std::string Challenges(const char* prefix, int count, const char* extra = "") {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += "<challenge name=\"" + std::string(prefix) + std::to_string(i) + "\" " + extra + "/>";
    }
    return text;
}

class ChallengeDataTest : public testing::Test {
protected:
    void SetUp() override {
        GetGameRecord().playTimeMs = 12345;
        GlobalRandom().Reseed(Random::kInitialState);
    }
    void ParseList(const std::string& body, GameStats* with = nullptr) {
        const std::string text = "<partyChallenges>" + body + "</partyChallenges>";
        TiXmlDocument document;
        ASSERT_TRUE(ParseXmlDocument(document, text.data(), text.size()));
        data.ParseChallengeList(*document.RootElement(), with);
    }
    void ParseTypes(const std::string& body) {
        const std::string text = "<challengeTypes>" + body + "</challengeTypes>";
        TiXmlDocument document;
        ASSERT_TRUE(ParseXmlDocument(document, text.data(), text.size()));
        data.ParseTypes(*document.RootElement());
    }
    static bool LoadFile(TiXmlDocument& document, const char* name) {
        const std::string path = std::string(VARNOK_SOURCE_DIR) + "/data/xml/" + name;
        return document.LoadFile(path.c_str());
    }

    GameStats stats;
    ChallengeConditionList conditions;
    ChallengeModList mods;
    ChallengeData data{conditions, mods};
};

TEST_F(ChallengeDataTest, AuthoredDataHoldsEverythingTheModeNeeds) {
    TiXmlDocument types, list, conditionFile, modFile;
    ASSERT_TRUE(LoadFile(types, "challengeTypes.xml"));
    ASSERT_TRUE(LoadFile(list, "ch1challengeList.xml"));
    ASSERT_TRUE(LoadFile(conditionFile, "challengeConditions.xml"));
    ASSERT_TRUE(LoadFile(modFile, "challengeMods.xml"));
    data.ParseTypes(*types.RootElement());
    conditions.Parse(*conditionFile.RootElement());
    mods.Parse(*modFile.RootElement());
    data.ParseChallengeList(*list.RootElement(), &stats);

    ASSERT_EQ(data.tiers.size(), 3u);
    EXPECT_EQ(data.tiers[2].bossId, Hash("pinata_boss"));
    EXPECT_EQ(data.tiers[2].bonusType, ChallengeBonusType::PinataHits);
    EXPECT_EQ(data.tiers[0].numRoundsMin, 2);
    EXPECT_EQ(data.tiers[0].numRoundsMax, 4);
    ASSERT_NE(data.special.group, nullptr);
    EXPECT_EQ(data.special.numPerGame, 1);
    bool anyMustSelect = false;
    bool anyPriority = false;
    for (const ChallengeTier& tier : data.tiers) {
        for (const ChallengeGroup& group : tier.groups) {
            anyMustSelect = anyMustSelect || group.mustSelect > 0;
            for (const ChallengeDefinition& challenge : group.challenges) {
                anyPriority = anyPriority || challenge.prioritySelection;
                EXPECT_GE(challenge.typeIndex, 0) << challenge.name;
                // Every name a challenge gives is in the libraries.
                for (uint32_t name : challenge.conditions) {
                    EXPECT_NE(conditions.Find(name), nullptr) << challenge.name;
                }
                for (uint32_t name : challenge.mods) {
                    EXPECT_NE(mods.Find(name), nullptr) << challenge.name;
                }
            }
        }
    }
    EXPECT_TRUE(anyMustSelect);
    EXPECT_TRUE(anyPriority);
    // Every condition type, and every pass condition waits for the end.
    std::set<ConditionType> conditionTypes;
    TiXmlElement* root = conditionFile.RootElement();
    for (TiXmlElement* e = root->FirstChildElement("condition"); e != nullptr; e = e->NextSiblingElement("condition")) {
        const ChallengeCondition* condition = conditions.Find(Hash(e->Attribute("name")));
        ASSERT_NE(condition, nullptr);
        conditionTypes.insert(condition->GetType());
        if (!condition->IsFailCondition()) {
            EXPECT_TRUE(condition->evaluateOnEnd) << condition->name;
        }
    }
    EXPECT_EQ(conditionTypes.size(), 5u);
    const ModNames& names = GetModNames();
    for (uint32_t name : {names.megaBomb, names.keepyUppy, names.trampoline, names.fruitStack, names.megaFruit,
                          names.snakeFruit, names.fruitOrder}) {
        EXPECT_NE(mods.Find(name), nullptr);
    }
    for (ChallengeModType type : {ChallengeModType::Balloons, ChallengeModType::Ropes, ChallengeModType::Collision,
                                  ChallengeModType::SliceLimit}) {
        ChallengeModList::Cursor cursor;
        EXPECT_NE(mods.FirstOfType(type, cursor), nullptr);
    }
}

TEST_F(ChallengeDataTest, ReadsChallengeAttributesWithTheirDefaults) {
    ParseTypes("<type name=\"slice\" iconIndex=\"3\"/><type iconIndex=\"9\"/><type name=\"score\"/>");
    ASSERT_EQ(data.types.size(), 2u);  // the nameless one is skipped
    ParseList("<defaults chanceSelect=\"30\" chanceRegrowth=\"0.5\"/>"
              "<challengeTier name=\"t\" numRounds=\"4\" numRoundsMax=\"6\" progression=\"PASSED\" scoreBonus=\"OTHER\">"
              "<challengeGroup name=\"g\" mustSelect=\"1\">"
              "<challenge name=\"a\" type=\"score\" challengeFruitSize=\"big\" numWaves=\"2\" timeLimit=\"15\" "
              "startActive=\"true\" customWave=\"w\" points=\"7\">"
              "<condition name=\"c1\"/><condition/><mod name=\"m1\"/><bonusMods bonusAccuracy=\"2.5\"/></challenge>"
              "<challenge name=\"b\" type=\"unknown\" forceWave=\"no\" challengeFruitSize=\"huge\"/>"
              "<challenge name=\"c\" numWaves=\"3\" forceWave=\"true\"/>"
              "</challengeGroup><challengeGroup name=\"empty\"/></challengeTier>");
    ASSERT_EQ(data.tiers.size(), 1u);
    const ChallengeTier& tier = data.tiers[0];
    EXPECT_EQ(tier.numRoundsMin, 4);
    EXPECT_EQ(tier.numRoundsMax, 6);
    EXPECT_TRUE(tier.progression);
    EXPECT_EQ(tier.bonusType, ChallengeBonusType::None);
    ASSERT_EQ(tier.groups.size(), 1u);  // the group without challenges is dropped
    const ChallengeGroup& group = tier.groups[0];
    EXPECT_EQ(group.chanceSelect, 30);
    EXPECT_FLOAT_EQ(group.chanceRegrowth, 0.5f);
    // A must-select group never comes by chance.
    EXPECT_EQ(tier.groupBag.GetEntry(0).weight, 0u);
    EXPECT_FLOAT_EQ(tier.groupBag.GetEntry(0).regrowRate, 0.0f);
    const ChallengeDefinition& a = group.challenges[0];
    EXPECT_EQ(data.GetType(a)->name, "score");
    EXPECT_EQ(a.fruitSize, ChallengeFruitSize::Big);
    EXPECT_FALSE(a.forceWave);  // two waves
    EXPECT_TRUE(a.startActive);
    EXPECT_TRUE(a.hard);
    EXPECT_EQ(a.customWave, Hash("w"));
    EXPECT_EQ(a.conditions, std::vector<uint32_t>{Hash("c1")});
    EXPECT_EQ(a.mods, std::vector<uint32_t>{Hash("m1")});
    EXPECT_FLOAT_EQ(a.bonusMultipliers.bonusAccuracy, 2.5f);
    EXPECT_FLOAT_EQ(a.bonusMultipliers.bonusFruit, 1.0f);
    EXPECT_EQ(a.instructions, "No Instructions");
    EXPECT_EQ(group.challengeBag.GetEntry(0).maxWeight, 20u);  // group defaults do not reach challenges
    const ChallengeDefinition& b = group.challenges[1];
    EXPECT_EQ(data.GetType(b)->name, "slice");  // an unknown type is the first type
    EXPECT_FALSE(b.forceWave);
    EXPECT_EQ(b.fruitSize, ChallengeFruitSize::None);
    EXPECT_TRUE(group.challenges[2].forceWave);
}

TEST_F(ChallengeDataTest, RoundCountNeverReachesTheMaximum) {
    const struct {
        int min, max;
        std::set<int> expected;
    } cases[] = {{2, 4, {2, 3}}, {3, 3, {3}}, {1, 2, {1}}};
    for (const auto& c : cases) {
        ChallengeTier tier;
        tier.numRoundsMin = c.min;
        tier.numRoundsMax = c.max;
        std::set<int> seen;
        for (int i = 0; i < 200; ++i) {
            seen.insert(tier.DrawRoundCount());
        }
        EXPECT_EQ(seen, c.expected) << c.min << ".." << c.max;
    }
}

TEST_F(ChallengeDataTest, DrawnChallengeSitsOutFourDrawsThenRegrows) {
    ParseList("<challengeTier><challengeGroup>" + Challenges("c", 6, "chanceRegrowth=\"0.25\"") +
              "</challengeGroup></challengeTier>", &stats);
    ChallengeGroup& group = data.tiers[0].groups[0];
    std::vector<int> drawn;
    for (int i = 0; i < 40; ++i) {
        const ChallengeDefinition* pick = group.PickChallenge(&stats);
        ASSERT_NE(pick, nullptr);
        drawn.push_back(static_cast<int>(pick - group.challenges.data()));
    }
    for (size_t i = 0; i < drawn.size(); ++i) {
        for (size_t j = i + 1; j < drawn.size() && j <= i + 4; ++j) {
            EXPECT_NE(drawn[i], drawn[j]) << "draws " << i << " and " << j;
        }
    }
    // Its chance and cool-down went to the statistics store.
    const ChallengeGroupRecord& last = stats.challengeRecords[group.challenges[drawn.back()].nameHash];
    EXPECT_EQ(last.chance, 0);
    EXPECT_EQ(last.death, ChallengeGroup::kBagCoolDown);
    // Four draws later it is back with a quarter of its chance.
    const int index = drawn.back();
    for (int i = 0; i < 5; ++i) {
        group.challengeBag.Regrow();
    }
    EXPECT_EQ(group.challengeBag.GetEntry(index).weight, 5u);
    EXPECT_EQ(group.challengeBag.GetEntry(index).coolDown, 0);
}

TEST_F(ChallengeDataTest, ChanceAndCoolDownComeBackFromTheStore) {
    stats.challengeRecords[Hash("c1")] = ChallengeGroupRecord{7, 3, 0};
    stats.challengeGroups[Hash("g")] = ChallengeGroupRecord{11, 2, 0};
    ParseList("<challengeTier><challengeGroup name=\"g\">" + Challenges("c", 3) +
              "</challengeGroup></challengeTier>", &stats);
    const ChallengeTier& tier = data.tiers[0];
    EXPECT_EQ(tier.groupBag.GetEntry(0).weight, 11u);
    EXPECT_EQ(tier.groupBag.GetEntry(0).coolDown, 2);
    EXPECT_EQ(tier.groups[0].challengeBag.GetEntry(1).weight, 7u);
    EXPECT_EQ(tier.groups[0].challengeBag.GetEntry(1).coolDown, 3);
    EXPECT_EQ(tier.groups[0].challengeBag.GetEntry(0).weight, 20u);
}

TEST_F(ChallengeDataTest, NeverPlayedPriorityChallengeComesFirst) {
    ParseList("<challengeTier><challengeGroup>" + Challenges("c", 4) +
              "<challenge name=\"new\" prioritySelection=\"\"/></challengeGroup>"
              "<challengeGroup>" + Challenges("d", 4) + "</challengeGroup></challengeTier>", &stats);
    ChallengeTier& tier = data.tiers[0];
    EXPECT_TRUE(tier.groups[0].priorityFlag);
    EXPECT_EQ(tier.PickChallenge(&stats)->name, "new");
    // Still never played, but cooling down: the weighted draw decides.
    EXPECT_NE(tier.groups[0].PickChallenge(&stats)->name, "new");
    stats.challengeRecords[Hash("new")].plays = 1;
    tier.groups[0].UpdatePriorityFlag(&stats);
    EXPECT_FALSE(tier.groups[0].priorityFlag);
}

TEST_F(ChallengeDataTest, ActFillsItsRoundsFromMustSelectFirst) {
    // Enough free groups that the draws never find every one cooling down.
    std::string free;
    for (int g = 0; g < 4; ++g) {
        free += "<challengeGroup name=\"free" + std::to_string(g) + "\">" + Challenges("g", 3) + "</challengeGroup>";
    }
    ParseList("<challengeTier numRounds=\"2\"><challengeGroup name=\"must\" mustSelect=\"3\">" + Challenges("m", 5) +
              "</challengeGroup><challengeGroup name=\"free\">" + Challenges("f", 5) +
              "</challengeGroup></challengeTier>"
              "<challengeTier numRounds=\"4\"><challengeGroup name=\"must\" mustSelect=\"1\">" + Challenges("n", 2) +
              "</challengeGroup>" + free + "</challengeTier>",
              &stats);
    ChallengeTier& overfull = data.tiers[0];
    overfull.StartAct(nullptr, &stats, 0);
    ASSERT_EQ(overfull.run.rounds.size(), 2u);
    for (const ChallengeRound& round : overfull.run.rounds) {
        ASSERT_NE(round.challenge, nullptr);
        EXPECT_EQ(round.challenge->groupIndex, 0);  // the pending list filled every round
        EXPECT_EQ(round.result, kRoundNotPlayed);
    }
    ChallengeTier& act = data.tiers[1];
    act.StartAct(nullptr, &stats, 0);
    int hard = 0;
    for (const ChallengeRound& round : act.run.rounds) {
        ASSERT_NE(round.challenge, nullptr);
        hard += round.challenge->hard ? 1 : 0;
    }
    EXPECT_EQ(hard, 1);
    act.run.currentRound = 2;
    EXPECT_EQ(act.run.GetCurrentChallenge(), act.run.rounds[2].challenge);
    act.run.currentRound = 4;
    EXPECT_EQ(act.run.GetCurrentChallenge(), nullptr);
    EXPECT_FLOAT_EQ(act.GetGameSpeed(), 1.0f);
}

TEST_F(ChallengeDataTest, SpecialChallengeByActAndMisses) {
    SpecialChallenges special;
    special.group = std::make_unique<ChallengeGroup>();
    special.numPerGame = 1;
    Random random;
    const struct {
        int tier, misses;
        float chance;
    } cases[] = {{0, 0, 0.0f}, {0, 2, 0.0f}, {1, 0, 0.2f}, {1, 1, 0.5f}, {1, 2, 0.8f},
                 {1, 3, 0.0f}, {2, 0, 1.0f}, {2, 5, 1.0f}};
    for (const auto& c : cases) {
        int included = 0;
        for (int i = 0; i < 4000; ++i) {
            included += special.ShouldInclude(c.tier, c.misses, random) ? 1 : 0;
        }
        EXPECT_NEAR(included / 4000.0f, c.chance, 0.03f) << "tier " << c.tier << " misses " << c.misses;
    }
    special.givenThisGame = 1;
    EXPECT_FALSE(special.ShouldInclude(2, 0, random));
    special.givenThisGame = 0;
    special.numPerGame = 0;
    EXPECT_FALSE(special.ShouldInclude(2, 0, random));
}

TEST_F(ChallengeDataTest, ThirdActHoldsTheSpecialChallengeOnce) {
    std::string tiers;
    for (int t = 0; t < 3; ++t) {
        tiers += "<challengeTier numRounds=\"3\"><challengeGroup>" + Challenges("c", 5) + "</challengeGroup></challengeTier>";
    }
    ParseList(tiers + "<specialChallenges numPerGame=\"1\"><challengeGroup><challenge name=\"special\"/>"
                      "</challengeGroup></specialChallenges>", &stats);
    const auto specials = [](const ChallengeTier& tier) {
        return std::count_if(tier.run.rounds.begin(), tier.run.rounds.end(),
                             [](const ChallengeRound& r) { return r.challenge != nullptr && r.challenge->name == "special"; });
    };
    data.tiers[0].StartAct(&data.special, &stats, 0);
    EXPECT_EQ(specials(data.tiers[0]), 0);
    data.tiers[2].StartAct(&data.special, &stats, 0);
    EXPECT_EQ(specials(data.tiers[2]), 1);
    EXPECT_EQ(data.special.givenThisGame, 1);
    data.tiers[2].StartAct(&data.special, &stats, 0);
    EXPECT_EQ(specials(data.tiers[2]), 0);
}

TEST_F(ChallengeDataTest, RestoredRoundsKeepTheirResults) {
    ParseList("<challengeTier numRounds=\"3\"><challengeGroup>" + Challenges("c", 4) +
              "</challengeGroup></challengeTier>", &stats);
    ChallengeTier& tier = data.tiers[0];
    tier.RestoreRound("c2", 1, kRoundResultPassed, &stats);
    ASSERT_EQ(tier.run.rounds.size(), 3u);  // built on the way
    EXPECT_EQ(tier.run.rounds[1].challenge->name, "c2");
    tier.RestoreRound("c3", 0, kRoundResultFailed, &stats);
    tier.RestoreRound("c1", 2, kRoundNotPlayed, &stats);
    tier.RestoreRound("c1", 3, kRoundResultPassed, &stats);    // past the rounds
    tier.RestoreRound("other", 2, kRoundResultPassed, &stats);  // no such challenge
    EXPECT_EQ(tier.run.roundsPlayed, 2);
    EXPECT_EQ(tier.run.roundsPassed, 1);
    EXPECT_EQ(tier.run.rounds[2].challenge->name, "c1");
}

TEST_F(ChallengeDataTest, RandomIconsComeOnlyFromOfferedTypes) {
    Random random;
    EXPECT_EQ(data.PickRandomChallengeIndex(random), 0);  // no types
    ParseTypes("<type name=\"a\" iconIndex=\"4\" dontShowInRandom=\"true\"/><type name=\"b\" iconIndex=\"5\"/>"
               "<type name=\"c\" iconIndex=\"6\" dontShowInRandom=\"false\"/>");
    std::set<int> seen;
    for (int i = 0; i < 100; ++i) {
        seen.insert(data.PickRandomChallengeIndex(random));
    }
    EXPECT_EQ(seen, (std::set<int>{5, 6}));
    ParseTypes("<type name=\"a\" iconIndex=\"4\" dontShowInRandom=\"true\"/>");
    EXPECT_EQ(data.PickRandomChallengeIndex(random), ChallengeData::kNoChallengeIcon);
    EXPECT_EQ(data.FindChallengeType(Hash("zzz"))->name, "a");
}

}  // namespace
}  // namespace Varnok
