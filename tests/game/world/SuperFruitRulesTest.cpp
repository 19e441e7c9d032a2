// The super-fruit probability rules: reading, countdowns, thresholds, the
// hooks that take a firing back, and the mode mask.
#include "game/world/SuperFruitRules.h"

#include "tests/game/world/PlayFieldFixture.h"

#include <set>
#include <string>

namespace Varnok {
namespace {

using TestSupport::PlayFieldTest;

class SuperFruitRulesTest : public PlayFieldTest {
protected:
    void SetUp() override {
        PlayFieldTest::SetUp();
        WaveManager::Instance().numberOfWavesSpawned = 1;  // past the default dontSpawnBeforeWave
        GetGameRecord().gameTime = 0.0f;
    }
    void TearDown() override {
        rules.Clear();
        WaveManager::Instance().numberOfWavesSpawned = 0;
        PlayFieldTest::TearDown();
    }
    void Load(const std::string& body, int section = 0) {
        const std::string text = "<probabilityFile" + std::to_string(section) + ">" + body +
                                 "</probabilityFile" + std::to_string(section) + ">";
        rules.LoadText(text.data(), text.size());
    }
    int32_t Stat(const char* name) const { return stats.Get(name); }

    SuperFruitRuleSet rules;
};

TEST_F(SuperFruitRulesTest, ReadsRulesInKindOrderFromTheChosenSection) {
    const std::string text =
        "<probabilityFile0><globalProbabilityTimed name='t0'/></probabilityFile0>"
        "<probabilityFile2>"
        "<globalProbabilityTimed name='timed' minWait='60' maxWait='60'/>"
        "<globalProbabilityPointBased name='points' every='500' from='1000' everyMax='700'/>"
        "<globalProbability name='count' mode='NEW_MODE' canSpawnWithPowers='True' minWait='4'>"
        "<fruit type='lime' chance='30'/><fruit type='apple'/></globalProbability>"
        "</probabilityFile2>";
    (void)stats.Set("super_fruit_probability_system", 2, 1, 0);
    rules.LoadText(text.data(), text.size());
    ASSERT_EQ(rules.Count(), 3u);
    const SuperFruitProbabilityRule& count = rules.At(0);
    EXPECT_EQ(count.name, "count");
    EXPECT_EQ(count.modeMask, 2);
    EXPECT_EQ(count.canSpawnWithPowers, 0);  // only exactly "true" keeps it
    EXPECT_EQ(count.minWait, 4);
    EXPECT_EQ(count.total, 130);
    ASSERT_EQ(count.fruits.size(), 2u);
    EXPECT_EQ(count.fruits[0].cumulative, 30);
    EXPECT_EQ(count.fruits[1].cumulative, 130);
    const auto& points = static_cast<const PointBasedProbabilityRule&>(rules.At(1));
    EXPECT_EQ(points.GetKind(), SuperFruitProbabilityRule::Kind::PointBased);
    EXPECT_EQ(points.everyMin, 500);
    EXPECT_EQ(points.everyMax, 700);  // the specific attribute wins over "every"
    EXPECT_EQ(points.fromMin, 1000);
    EXPECT_EQ(points.modeMask, -1);
    EXPECT_EQ(rules.At(2).GetKind(), SuperFruitProbabilityRule::Kind::Timed);
}

TEST_F(SuperFruitRulesTest, BadInputLeavesNoRules) {
    const char* cases[] = {"", "<probabilityFile0>", "<other><globalProbability name='x'/></other>",
                           "\x01\x02garbage"};
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        Load("<globalProbability name='old'/>");
        ASSERT_EQ(rules.Count(), 1u);
        rules.LoadText(text, std::strlen(text));
        EXPECT_EQ(rules.Count(), 0u);
    }
    rules.Load("xml/no_such_probabilities.xml");
    EXPECT_EQ(rules.Count(), 0u);
}

TEST_F(SuperFruitRulesTest, FruitCountRuleCountsDownAcrossFruitAndFires) {
    Load("<globalProbability name='count' minWait='10' maxWait='20'><fruit type='lime'/></globalProbability>");
    std::set<int32_t> starts;
    for (uint64_t seed = 1; seed <= 200; ++seed) {
        GlobalRandom().Reseed(seed);
        stats.Erase(rules.At(0).nameHash);
        int32_t kind = 0;
        EXPECT_FALSE(rules.FindRule(kind));
        starts.insert(Stat("count"));
    }
    EXPECT_EQ(*starts.begin(), 10);
    EXPECT_EQ(*starts.rbegin(), 19);  // maxWait itself is never drawn
    // From a countdown of 3: two fruit pass, the third is replaced.
    (void)stats.Set("count", 3, 1, 0);
    int32_t kind = 0;
    EXPECT_EQ(rules.FindRule(kind), nullptr);
    EXPECT_EQ(rules.FindRule(kind), nullptr);
    EXPECT_EQ(rules.FindRule(kind), &rules.At(0));
    EXPECT_EQ(kind, FruitCatalogue::Get().IndexOf("lime", 0));
    EXPECT_EQ(Stat("count"), 0);
    EXPECT_TRUE(stats.lifetimeStats.count(rules.At(0).nameHash));  // carried from game to game
}

TEST_F(SuperFruitRulesTest, FruitCountRuleWaitsAtOneWhileItMayNotFire) {
    Load("<globalProbability name='count' dontSpawnBeforeWave='3'><fruit type='lime'/></globalProbability>");
    (void)stats.Set("count", 1, 1, 0);
    int32_t kind = 0;
    EXPECT_EQ(rules.FindRule(kind), nullptr);
    EXPECT_EQ(Stat("count"), 1);
    WaveManager::Instance().numberOfWavesSpawned = 4;
    EXPECT_NE(rules.FindRule(kind), nullptr);
}

TEST_F(SuperFruitRulesTest, PointBasedRuleFiresAtEachThreshold) {
    Load("<globalProbabilityPointBased name='points' every='500' from='1000'>"
         "<fruit type='lime'/></globalProbabilityPointBased>");
    rules.StartGame();
    EXPECT_EQ(Stat("points"), 1000);
    GameRecord& record = GetGameRecord();
    const struct {
        int32_t score;
        bool fires;
    } steps[] = {{0, false}, {999, false}, {1010, true}, {1200, false}, {1499, false}, {1500, true}, {1600, false}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.score);
        record.score = step.score;
        int32_t kind = 0;
        EXPECT_EQ(rules.FindRule(kind) != nullptr, step.fires);
    }
    EXPECT_EQ(Stat("points"), 2000);
    EXPECT_TRUE(stats.sessionStats.count(rules.At(0).nameHash));
    record.score = 0;
}

TEST_F(SuperFruitRulesTest, TimedRuleFiresOncePerGame) {
    Load("<globalProbabilityTimed name='timed' minWait='60' maxWait='60'><fruit type='lime'/></globalProbabilityTimed>");
    rules.StartGame();
    GameRecord& record = GetGameRecord();
    int32_t kind = 0;
    record.gameTime = 60.0f;
    EXPECT_EQ(rules.FindRule(kind), nullptr);  // must be past the threshold
    record.gameTime = 60.5f;
    EXPECT_NE(rules.FindRule(kind), nullptr);
    record.gameTime = 1000.0f;
    EXPECT_EQ(rules.FindRule(kind), nullptr);
    // A cancelled firing comes back.
    rules.At(0).Cancel();
    EXPECT_NE(rules.FindRule(kind), nullptr);
    record.gameTime = 0.0f;
}

TEST_F(SuperFruitRulesTest, RuleOfAnotherModeNeverTouchesItsStatistic) {
    Load("<globalProbability name='count' mode='NEW_MODE'><fruit type='lime'/></globalProbability>"
         "<globalProbabilityTimed name='timed' mode='NEW_MODE'/>");
    rules.StartGame();
    const size_t before = stats.lifetimeStats.size();
    GetGameRecord().gameTime = 500.0f;
    for (int i = 0; i < 50; ++i) {
        int32_t kind = 0;
        EXPECT_EQ(rules.FindRule(kind), nullptr);
    }
    EXPECT_EQ(stats.lifetimeStats.size(), before);
    EXPECT_EQ(stats.lifetimeStats.count(rules.At(0).nameHash), 0u);
    GetGameRecord().gameTime = 0.0f;
}

TEST_F(SuperFruitRulesTest, PickFruitPassesOverUnknownTypes) {
    Load("<globalProbability name='a'><fruit type='nothing' chance='50'/><fruit type='bean' chance='50'/>"
         "</globalProbability><globalProbability name='b'><fruit type='nothing'/></globalProbability>");
    const int bean = FruitCatalogue::Get().IndexOf("bean", 0);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(rules.At(0).PickFruit(), bean);
        EXPECT_EQ(rules.At(1).PickFruit(), 0);
    }
}

TEST_F(SuperFruitRulesTest, AFruitRemovedBeforeItsThrowRearmsItsRule) {
    Load("<globalProbability name='count'><fruit type='lime'/></globalProbability>"
         "<globalProbabilityPointBased name='points' every='500' from='1000'><fruit type='lime'/>"
         "</globalProbabilityPointBased>");
    rules.StartGame();
    WaveManager& waves = WaveManager::Instance();
    for (size_t i = 0; i < rules.Count(); ++i) {
        Fruit* waiting = waves.SpawnWorldObject(1, 1, nullptr);
        ASSERT_NE(waiting, nullptr);
        SuperFruitRuleSet::Attach(rules.At(i), *waiting);
        waiting->OnDropped(0);
        waiting->OnDropped(0);  // a second removal takes nothing back again
    }
    EXPECT_EQ(Stat("count"), 3);
    EXPECT_EQ(Stat("points"), -1000);
    // The point rule then fires at once, and its threshold moves on.
    GetGameRecord().score = 0;
    (void)stats.Set("count", 5, 1, 0);
    int32_t kind = 0;
    EXPECT_EQ(rules.FindRule(kind), &rules.At(1));
    EXPECT_EQ(Stat("points"), 1500);

    // A thrown fruit that leaves play keeps its rule's firing.
    (void)stats.Set("count", 0, 1, 0);
    Fruit* thrown = waves.SpawnWorldObject(1, 1, nullptr);
    ASSERT_NE(thrown, nullptr);
    SuperFruitRuleSet::Attach(rules.At(0), *thrown);
    Run(30);
    ASSERT_LE(thrown->launchWait, 0.0f);
    thrown->OnDropped(1);
    EXPECT_EQ(Stat("count"), 0);
}

TEST_F(SuperFruitRulesTest, AThrowThePlayNoLongerAllowsIsDroppedAndTakenBack) {
    Load("<globalProbability name='count' dontSpawnBeforeWave='1'><fruit type='lime'/></globalProbability>");
    WaveManager& waves = WaveManager::Instance();
    Fruit* fruit = waves.SpawnWorldObject(1, 1, nullptr);
    ASSERT_NE(fruit, nullptr);
    SuperFruitRuleSet::Attach(rules.At(0), *fruit);
    waves.numberOfWavesSpawned = 1;  // not above dontSpawnBeforeWave any more
    Run(30);
    EXPECT_TRUE(fruit->IsDead() || Count(WorldObjectType::Fruit) == 0);
    EXPECT_EQ(Stat("count"), 3);
}

TEST_F(SuperFruitRulesTest, ClearingTheRulesUnhooksFruitInPlay) {
    Load("<globalProbability name='count'><fruit type='lime'/></globalProbability>");
    Fruit* fruit = WaveManager::Instance().SpawnWorldObject(1, 1, nullptr);
    ASSERT_NE(fruit, nullptr);
    SuperFruitRuleSet::Attach(rules.At(0), *fruit);
    rules.Clear();
    EXPECT_TRUE(fruit->droppedEvent.IsEmpty());
    EXPECT_TRUE(fruit->launchedEvent.IsEmpty());
    fruit->OnDropped(0);  // would reach a deleted rule without the unhooking
}

}  // namespace
}  // namespace Varnok
