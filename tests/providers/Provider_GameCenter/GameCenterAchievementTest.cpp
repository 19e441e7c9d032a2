// Game Center achievements: the configuration, progress that only rises and
// stops at the range, the unlocked callback, reports gathered into batches
// by the clock, and the one load that raises local progress.
#include "GameCenterWorld.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Varnok {
namespace {

using namespace GameCenterTest;

std::vector<std::string>* g_unlocked = nullptr;
void RecordUnlock(std::string id) {
    if (g_unlocked != nullptr) {
        g_unlocked->push_back(id);
    }
}

std::string Achievements(const std::string& body, const char* master = nullptr) {
    std::string xml = "<provider>";
    if (master != nullptr) {
        xml += std::string("<isMaster value=\"") + master + "\"/>";
    }
    return xml + "<IAchievementService>" + body + "</IAchievementService></provider>";
}

// Signed in, the first load answered (nothing on Game Center), unlocks recorded.
class AchievementTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_unlocked = &unlocked;
        world.StartSignedIn();
        world.Frame(3);
        service()->SetUnlockedCallback(Delegate1<void, std::string>(&RecordUnlock));
        ASSERT_EQ(world.network->GetAchievementLoadCount(), 1);
    }
    void TearDown() override { g_unlocked = nullptr; }
    GameCenterAchievementService* service() { return world.Achievements(); }
    int Progress(const char* id) {
        int value = -1;
        service()->GetProgress(world.Current(), id, &value);
        return value;
    }
    size_t Reports() const { return world.network->GetAchievementReports().size(); }

    World world;
    std::vector<std::string> unlocked;
};

TEST(GameCenterAchievementConfig, ReadsTheListUntilARangeBelowOne) {
    World world(Achievements("<achievement id=\"A\" providerID=\"gc.a\" name=\"Ay\"/>"
                             "<achievement id=\"B\" providerID=\"gc.b\" range=\"7\" visible=\"yes\"/>"
                             "<achievement id=\"C\" providerID=\"gc.c\" range=\"0\"/>"
                             "<achievement id=\"D\" providerID=\"gc.d\" range=\"3\"/>"));
    world.Start();
    GameCenterAchievementService* service = world.Achievements();
    ASSERT_EQ(service->GetAchievementCount(), 2);
    EXPECT_EQ(service->GetAchievement(0)->GetRange(), 100);  // no range
    EXPECT_TRUE(service->GetAchievement(0)->IsVisible());    // no "visible"
    EXPECT_STREQ(service->GetAchievement(0)->GetName(), "Ay");
    EXPECT_FALSE(service->GetAchievement("B")->IsVisible());  // "yes" is not a visible value
    EXPECT_STREQ(service->GetAchievement("B")->GetProviderId(), "gc.b");
    EXPECT_EQ(service->GetAchievement("D"), nullptr);
    EXPECT_EQ(service->GetAchievement(2), nullptr);
    EXPECT_EQ(service->GetAchievement(-1), nullptr);
    EXPECT_FALSE(service->IsMaster());
}

TEST(GameCenterAchievementConfig, MasterValues) {
    const struct {
        const char* value;
        bool master;
    } cases[] = {{"true", true}, {"yes", true}, {"1", true}, {"TRUE", false}, {"0", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        World world(Achievements("", c.value));
        world.Start();
        EXPECT_EQ(world.Achievements()->IsMaster(), c.master);
    }
}

TEST(GameCenterAchievementConfig, TheSampleDataLoads) {
    World world;
    const std::filesystem::path sample =
        std::filesystem::path(VARNOK_SOURCE_DIR) / "data/Services/Provider_GameCenter.xml";
    std::ifstream in(sample);
    ASSERT_TRUE(in.good()) << sample;
    world.Write("Services/Provider_GameCenter.xml",
                std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    world.Start();
    ASSERT_NE(world.Achievements(), nullptr);
    EXPECT_TRUE(world.Achievements()->IsMaster());
    EXPECT_GT(world.Achievements()->GetAchievementCount(), 0);
    for (int i = 0; i < world.Achievements()->GetAchievementCount(); ++i) {
        EXPECT_EQ(world.Achievements()->GetAchievement(i)->GetRange(), 1);
    }
    for (const char* id : {"CLASSIC_SCORES", "CLASSIC_SCORES_WEEKLY", "NEW_MODE_SCORES", "NEW_MODE_SCORES_WEEKLY"}) {
        EXPECT_NE(world.Leaderboards()->GetLeaderboard(id), nullptr) << id;
    }
}

TEST_F(AchievementTest, ReachingTheRangeUnlocksAndAZeroIncrementFiresAgainUnreported) {
    service()->IncrementProgress(world.Current(), "FIVE", 4);
    EXPECT_TRUE(unlocked.empty());
    service()->IncrementProgress(world.Current(), "FIVE", 3);
    EXPECT_EQ(Progress("FIVE"), 5);
    EXPECT_EQ(unlocked, std::vector<std::string>{"FIVE"});
    EXPECT_FLOAT_EQ(service()->GetProgressFraction(world.Current(), "FIVE"), 1.0f);

    GameCenterTest::Now() += 1;
    world.Frame(2);
    ASSERT_EQ(Reports(), 1u);
    EXPECT_EQ(service()->GetPendingCount(), 0);

    service()->IncrementProgress(world.Current(), "FIVE", 0);
    EXPECT_EQ(unlocked.size(), 2u);
    EXPECT_EQ(service()->GetPendingCount(), 0);
    service()->IncrementProgress(world.Current(), "FIVE", -2);  // negative: nothing at all
    EXPECT_EQ(unlocked.size(), 2u);
    EXPECT_EQ(Progress("FIVE"), 5);
}

TEST_F(AchievementTest, ProgressNeverGoesDownAndUnknownIdsChangeNothing) {
    service()->SetProgress(world.Current(), "FIVE", 3);
    GameCenterTest::Now() += 1;
    world.Frame();
    const size_t reports = Reports();
    service()->SetProgress(world.Current(), "FIVE", 1);
    EXPECT_EQ(Progress("FIVE"), 3);
    EXPECT_EQ(service()->GetPendingCount(), 0);
    EXPECT_FLOAT_EQ(service()->GetProgressFraction(world.Current(), "FIVE"), 0.6f);

    service()->SetProgress(world.Current(), "NOPE", 4);
    service()->Complete(world.Current(), "NOPE");
    service()->IncrementProgress(world.Current(), "NOPE", 2);
    int value = -1;
    EXPECT_FALSE(service()->GetProgress(world.Current(), "NOPE", &value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(unlocked.empty());
    EXPECT_EQ(service()->GetProgressFraction(nullptr, "FIVE"), 0.0f);
    GameCenterTest::Now() += 1;
    world.Frame();
    EXPECT_EQ(Reports(), reports);  // the unknown id's mark reports nothing

    service()->Complete(world.Current(), "ONE");
    EXPECT_EQ(unlocked, std::vector<std::string>{"ONE"});
}

TEST_F(AchievementTest, ChangesInOneSecondGoOutTogetherAtTheNextSecond) {
    // 10.2 s and 10.7 s of a clock that counts whole seconds.
    GameCenterTest::Now() = 1000010;
    service()->IncrementProgress(world.Current(), "FIVE", 1);
    world.Frame();
    service()->IncrementProgress(world.Current(), "ONE", 1);
    world.Frame(5);
    EXPECT_EQ(Reports(), 0u);
    GameCenterTest::Now() = 1000011;
    world.Frame();
    ASSERT_EQ(Reports(), 1u);
    const auto& batch = world.network->GetAchievementReports()[0];
    ASSERT_EQ(batch.size(), 2u);
    EXPECT_EQ(batch[0].identifier, "gc.five");
    EXPECT_DOUBLE_EQ(batch[0].percentComplete, 20.0);
    EXPECT_EQ(batch[1].identifier, "gc.one");
    EXPECT_DOUBLE_EQ(batch[1].percentComplete, 100.0);
}

TEST(GameCenterAchievement, SteadyChangesAreReportedEverySixtyOneSeconds) {
    World world(Achievements("<achievement id=\"MANY\" providerID=\"gc.many\" range=\"100000\"/>"));
    world.StartSignedIn();
    const int64_t start = GameCenterTest::Now();
    std::vector<int64_t> reportTimes;
    for (int frame = 0; frame < 125 * 60; ++frame) {
        GameCenterTest::Now() = start + frame / 60;
        world.Achievements()->IncrementProgress(world.Current(), "MANY", 1);
        const size_t before = world.network->GetAchievementReports().size();
        world.Frame();
        if (world.network->GetAchievementReports().size() > before) {
            reportTimes.push_back(GameCenterTest::Now() - start);
        }
    }
    EXPECT_EQ(reportTimes, (std::vector<int64_t>{61, 122}));
}

TEST(GameCenterAchievement, TheOneLoadRaisesLocalProgressAndNeverLowersIt) {
    for (const int local : {0, 3}) {
        SCOPED_TRACE(local);
        World world;
        world.network->SetAchievement("gc.five", 40.0);
        world.Start();
        if (local > 0) {
            world.Achievements()->SetProgress(world.Current(), "FIVE", local);
        }
        world.Frame(4);
        int value = -1;
        world.Achievements()->GetProgress(world.Current(), "FIVE", &value);
        EXPECT_EQ(value, std::max(local, 2));
        GameCenterTest::Now() += 120;
        world.Frame(3);
        EXPECT_EQ(world.network->GetAchievementLoadCount(), 1);
    }
}

TEST(GameCenterAchievement, BeforeSystemSixEachAchievementIsReportedAlone) {
    World world(DefaultProviderXml(), "5.1");
    world.StartSignedIn();
    world.Achievements()->IncrementProgress(world.Current(), "FIVE", 2);
    world.Achievements()->IncrementProgress(world.Current(), "ONE", 1);
    GameCenterTest::Now() += 1;
    world.Frame(2);
    ASSERT_EQ(world.network->GetAchievementReports().size(), 2u);
    EXPECT_EQ(world.network->GetAchievementReports()[0].size(), 1u);
    EXPECT_DOUBLE_EQ(world.network->GetAchievementPercent("gc.five"), 40.0);
}

TEST(GameCenterAchievement, AFailedReportIsLoggedAndNotRetried) {
    World world;
    world.StartSignedIn();
    world.Frame(3);
    world.network->FailNext(GameCentreStandIn::Operation::ReportAchievements, 4);
    world.Achievements()->IncrementProgress(world.Current(), "FIVE", 2);
    GameCenterTest::Now() += 1;
    TestSupport::LogCapture capture;
    world.Frame(2);
    EXPECT_NE(capture.Take().find("Failed to submit achievements"), std::string::npos);
    GameCenterTest::Now() += 100;
    world.Frame(3);
    EXPECT_TRUE(world.network->GetAchievementReports().empty());
    EXPECT_EQ(world.Achievements()->GetPendingCount(), 0);
}

TEST(GameCenterAchievement, OfflineNothingIsLoadedOrReportedUntilOnlineAgain) {
    World world;
    world.Start();
    world.Achievements()->SetOnline(false);
    world.Frame(2);
    world.Achievements()->IncrementProgress(world.Current(), "FIVE", 1);
    GameCenterTest::Now() += 100;
    world.Frame(3);
    EXPECT_EQ(world.network->GetAchievementLoadCount(), 0);
    EXPECT_TRUE(world.network->GetAchievementReports().empty());
    world.Achievements()->IncrementProgress(world.Current(), "ONE", 1);
    EXPECT_EQ(world.Achievements()->GetPendingCount(), 2);

    world.Achievements()->SetOnline(true);
    GameCenterTest::Now() += 1;
    world.Frame(2);
    EXPECT_EQ(world.network->GetAchievementLoadCount(), 1);
    ASSERT_EQ(world.network->GetAchievementReports().size(), 1u);
    EXPECT_EQ(world.network->GetAchievementReports()[0].size(), 2u);
}

}  // namespace
}  // namespace Varnok
