// The bonus table: combo values by size, the best combo, conditions, and
// files without combo values or without a table.
#include "game/rules/BonusAwards.h"

#include "engine/core/HashName.h"
#include "game/rules/GameStats.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace Varnok {
namespace {

BonusAwards Loaded(const std::string& text) {
    BonusAwards awards;
    awards.LoadFromText(text.data(), text.size());
    return awards;
}

TEST(BonusAwards, CombosAddTheValueOfTheirSizeAndRaiseTheBest) {
    const BonusAwards awards = Loaded(
        "<bonusAwards><bonusAwardsFile><combo bonus='1'/><combo bonus='2'/><combo bonus='3'/>"
        "</bonusAwardsFile></bonusAwards>");
    const struct {
        int fruit;
        int bonus;
    } cases[] = {{3, 1}, {4, 2}, {5, 3}, {9, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fruit);
        GameStats stats;
        awards.RecordComboStats(c.fruit, stats);
        EXPECT_EQ(stats.Get("combo_bonus"), c.bonus);
        EXPECT_EQ(stats.Get("best_combo"), c.fruit);
    }
    GameStats stats;
    awards.RecordComboStats(5, stats);
    awards.RecordComboStats(4, stats);
    EXPECT_EQ(stats.Get("best_combo"), 5);
    EXPECT_EQ(stats.Get("combo_bonus"), 5);
}

TEST(BonusAwards, WithoutComboValuesAComboAddsNothing) {
    const BonusAwards awards = Loaded("<bonusAwards><bonusAwardsFile/></bonusAwards>");
    GameStats stats;
    awards.RecordComboStats(6, stats);
    EXPECT_EQ(stats.Get("combo_bonus"), 0);
    EXPECT_EQ(stats.Get("best_combo"), 6);
}

TEST(BonusAwards, ConditionsAreKept) {
    const BonusAwards awards = Loaded(
        "<bonusAwards><bonusAwardsFile><bonusType total='a, b'>"
        "<bonus equals='7' min-best_combo='4' max-score='90' valuesEqual='x,y' colour='10,20,30,40'/>"
        "<bonus achievement='A1'/><bonus achievement='A2' points='3'/>"
        "</bonusType></bonusAwardsFile></bonusAwards>");
    ASSERT_EQ(awards.Awards().size(), 1u);
    const BonusAward& award = awards.Awards()[0];
    EXPECT_EQ(award.totals.size(), 2u);
    EXPECT_TRUE(award.hasAchievement);
    ASSERT_EQ(award.conditions.size(), 3u);
    const BonusCondition& equals = award.conditions[0];
    EXPECT_EQ(equals.min, 7);
    EXPECT_EQ(equals.max, 7);
    EXPECT_EQ(equals.minStats.at(HashName("best_combo", 10)), 4);
    EXPECT_EQ(equals.maxStats.at(HashName("score", 5)), 90);
    EXPECT_EQ(equals.valuesEqual.size(), 2u);
    EXPECT_EQ(equals.colour.g, 20);
    EXPECT_EQ(equals.points, 5);
    EXPECT_EQ(award.conditions[1].points, -1);
    EXPECT_EQ(award.conditions[2].points, 3);
}

TEST(BonusAwards, AFileWithoutATableLeavesItEmpty) {
    TestSupport::LogCapture capture;
    const BonusAwards awards = Loaded("<other/>");
    EXPECT_TRUE(TestSupport::IsOneLogLineNaming(capture.Take(), "BonusAwards: ", "no bonusAwardsFile"));
    EXPECT_TRUE(awards.Awards().empty());
    EXPECT_EQ(awards.ComboBonusFor(3), 0);
}

TEST(BonusAwards, TheShippedTableHasThreeComboValues) {
    std::ifstream in(std::string(VARNOK_SOURCE_DIR) + "/data/xml/bonusAwards.xml");
    std::stringstream text;
    text << in.rdbuf();
    const BonusAwards awards = Loaded(text.str());
    EXPECT_EQ(awards.ComboBonus(), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_FALSE(awards.Awards().empty());
}

}  // namespace
}  // namespace Varnok
