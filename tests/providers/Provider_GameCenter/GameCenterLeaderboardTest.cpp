// Game Center leaderboards: scores posted to every board of an id, pages
// loaded by rank range and kept, friends without a score appended, the
// player's own page, score and rank, and every failure's answer.
#include "GameCenterWorld.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using namespace GameCenterTest;
using Error = LeaderboardErrorType;
using Status = LeaderboardDownloadStatus;

struct PageCall {
    Error error;
    const ILeaderboardPage* page;
    Status status;
};

std::vector<PageCall>* g_pages = nullptr;
void RecordPage(Error error, const ILeaderboardPage* page, Status status) {
    g_pages->push_back(PageCall{error, page, status});
}

std::vector<Error>* g_results = nullptr;
void RecordResult(Error error) {
    g_results->push_back(error);
}

std::vector<std::pair<Error, int64_t>>* g_values = nullptr;
void RecordValue(Error error, int64_t value) {
    g_values->push_back({error, value});
}

class LeaderboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_pages = &pages;
        g_results = &results;
        g_values = &values;
    }
    void TearDown() override {
        g_pages = nullptr;
        g_results = nullptr;
        g_values = nullptr;
    }
    ILeaderboardView* View(LeaderboardGlobality globality = LeaderboardGlobality::Everybody,
                           LeaderboardTimeSpan span = LeaderboardTimeSpan::AllTime) {
        return world.Leaderboards()->GetLeaderboard("NEW_MODE_SCORES")->GetView(globality, span);
    }
    // Players P1.. with scores count, count-1, ... on the challenge board.
    void FillBoard(int count) {
        for (int i = 1; i <= count; ++i) {
            const std::string id = "P" + std::to_string(i);
            world.network->AddPlayer(MakePlayer(id, "Player " + std::to_string(i)));
            world.network->SetScore("gc.challenge", id, count + 1 - i);
        }
    }
    const PageCall& Last() const { return pages.back(); }

    World world;
    std::vector<PageCall> pages;
    std::vector<Error> results;
    std::vector<std::pair<Error, int64_t>> values;
};

TEST_F(LeaderboardTest, AScoreGoesToEveryBoardOfItsIdWhole) {
    world.StartSignedIn();
    const int64_t big = (int64_t{1} << 32) + 7;
    world.Leaderboards()->SetLeaderboardScore(world.Current(), "CLASSIC_SCORES", big,
                                              LeaderboardResultDelegate(&RecordResult));
    EXPECT_TRUE(results.empty());  // the answers come later
    world.Frame();
    EXPECT_EQ(results, (std::vector<Error>{Error::Success, Error::Success}));
    const auto& reported = world.network->GetReportedScores();
    ASSERT_EQ(reported.size(), 2u);
    EXPECT_EQ(reported[0].category, "gc.classic");
    EXPECT_EQ(reported[1].category, "gc.classic.alltime");
    EXPECT_EQ(reported[0].value, big);

    results.clear();
    world.Leaderboards()->SetLeaderboardScore(world.Current(), "NO_SUCH_BOARD", 5,
                                              LeaderboardResultDelegate(&RecordResult));
    EXPECT_EQ(results, std::vector<Error>{Error::UnknownLeaderboard});
    EXPECT_EQ(world.network->GetReportedScores().size(), 2u);

    results.clear();
    world.network->FailNext(GameCentreStandIn::Operation::ReportScore, 3);
    world.Leaderboards()->SetLeaderboardScore(world.Current(), "NEW_MODE_SCORES", 5,
                                              LeaderboardResultDelegate(&RecordResult));
    world.Frame();
    EXPECT_EQ(results, std::vector<Error>{Error::ServiceError});
}

TEST_F(LeaderboardTest, PageTwoOfSize250HoldsRanks101To200) {
    FillBoard(230);
    world.StartSignedIn();
    View()->RequestPage(2, 250, 0, LeaderboardPageDelegate(&RecordPage), false);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(Last().error, Error::Success);
    EXPECT_EQ(Last().status, Status::Started);
    world.Frame(2);  // scores, then players
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(Last().status, Status::Finished);
    EXPECT_EQ(Last().error, Error::Success);
    const ILeaderboardPage* page = Last().page;
    ASSERT_EQ(page->GetEntryCount(), 100);
    EXPECT_EQ(page->GetEntry(0)->GetRank(), 101);
    EXPECT_EQ(page->GetEntry(99)->GetRank(), 200);
    EXPECT_EQ(page->GetEntry(0)->GetScore(), 130);
    EXPECT_STREQ(page->GetEntry(0)->GetPlayer()->GetId(nullptr), "P101");
    EXPECT_STREQ(page->GetEntry(0)->GetPlayer()->GetDisplayName(), "Player 101");
    EXPECT_EQ(page->GetEntry(100), nullptr);
    EXPECT_STREQ(page->GetLeaderboardId(), "NEW_MODE_SCORES");
    const GameCentre::ScoreQuery& query = world.network->GetScoreQueries().back();
    EXPECT_EQ(query.rangeStart, 101);
    EXPECT_EQ(query.rangeLength, 100);
    EXPECT_EQ(query.category, "gc.challenge");
}

TEST_F(LeaderboardTest, ARepeatedPageComesFromMemoryUnlessForced) {
    FillBoard(3);
    world.StartSignedIn();
    ILeaderboardView* view = View();
    view->RequestPage(1, 10, 0, LeaderboardPageDelegate(&RecordPage), false);
    view->RequestPage(1, 10, 0, LeaderboardPageDelegate(&RecordPage), false);
    EXPECT_EQ(Last().error, Error::AlreadyLoading);
    EXPECT_EQ(Last().status, Status::Started);
    world.Frame(2);
    const size_t queries = world.network->GetScoreQueries().size();
    const ILeaderboardPage* first = Last().page;

    pages.clear();
    view->RequestPage(1, 10, 0, LeaderboardPageDelegate(&RecordPage), false);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(Last().error, Error::Success);
    EXPECT_EQ(Last().page, first);
    EXPECT_EQ(Last().status, Status::Finished);
    EXPECT_EQ(world.network->GetScoreQueries().size(), queries);

    view->RequestPage(1, 10, 0, LeaderboardPageDelegate(&RecordPage), true);
    EXPECT_EQ(Last().status, Status::Started);
    world.Frame(2);
    EXPECT_EQ(world.network->GetScoreQueries().size(), queries + 1);
    EXPECT_EQ(Last().page->GetEntryCount(), 3);
}

TEST_F(LeaderboardTest, AFriendsPageCanAppendFriendsWithoutAScore) {
    world.network->AddPlayer(MakePlayer("F1", "Scored"));
    world.network->AddPlayer(MakePlayer("F2", "Quiet"));
    world.network->AddPlayer(MakePlayer("F3", "Quieter"));
    world.network->AddPlayer(MakePlayer("X", "Stranger"));
    world.network->SetFriends({"F1", "F2", "F3"});
    world.network->SetScore("gc.challenge", "F1", 50);
    world.network->SetScore("gc.challenge", "G:1", 70);
    world.network->SetScore("gc.challenge", "X", 90);
    world.StartSignedIn();
    ILeaderboardView* view = View(LeaderboardGlobality::Friends);
    view->RequestPage(1, 10, GameCenterLeaderboardView::kIncludeFriendsWithNoScore,
                      LeaderboardPageDelegate(&RecordPage), false);
    world.Frame(6);
    ASSERT_EQ(Last().status, Status::Finished);
    EXPECT_EQ(Last().error, Error::Success);
    const ILeaderboardPage* page = Last().page;
    ASSERT_EQ(page->GetEntryCount(), 4);
    EXPECT_STREQ(page->GetEntry(0)->GetPlayer()->GetId(nullptr), "G:1");
    EXPECT_STREQ(page->GetEntry(1)->GetPlayer()->GetId(nullptr), "F1");
    for (int i : {2, 3}) {
        EXPECT_EQ(page->GetEntry(i)->GetScore(), 0);
        EXPECT_EQ(page->GetEntry(i)->GetRank(), i + 1);
    }
    // The signed-in player's entry knows the engine user.
    auto* me = static_cast<const GameCenterPlayer*>(page->GetEntry(0)->GetPlayer());
    EXPECT_EQ(me->GetUser(), world.Current());
    EXPECT_EQ(static_cast<const GameCenterPlayer*>(page->GetEntry(1)->GetPlayer())->GetUser(), nullptr);

    // Without the option bit the same page has only the scored players.
    view->RequestPage(1, 10, 0, LeaderboardPageDelegate(&RecordPage), true);
    world.Frame(4);
    EXPECT_EQ(Last().page->GetEntryCount(), 2);
}

TEST_F(LeaderboardTest, NothingToShowAndTheFailures) {
    world.StartSignedIn();
    ILeaderboardView* view = View();
    view->RequestPage(1, 10, 1, LeaderboardPageDelegate(&RecordPage), false);
    world.Frame(3);
    EXPECT_EQ(Last().error, Error::NothingToShow);
    EXPECT_EQ(Last().status, Status::Finished);

    world.network->FailNext(GameCentreStandIn::Operation::LoadScores, 3);
    view->RequestPage(2, 10, 0, LeaderboardPageDelegate(&RecordPage), false);
    world.Frame();
    EXPECT_EQ(Last().error, Error::ServiceError);

    FillBoard(2);
    world.network->FailNext(GameCentreStandIn::Operation::LoadPlayers, 3);
    view->RequestPage(1, 1, 0, LeaderboardPageDelegate(&RecordPage), true);
    world.Frame(2);
    EXPECT_EQ(Last().error, Error::ServiceError);

    NetworkAvailabilityMonitor::InstallInternetProbe([] { return kNetworkNotReachable; });
    view->RequestPage(4, 10, 0, LeaderboardPageDelegate(&RecordPage), false);
    EXPECT_EQ(Last().error, Error::NetworkUnreachable);
    EXPECT_EQ(Last().status, Status::Finished);
    NetworkAvailabilityMonitor::InstallInternetProbe([] { return kNetworkReachable; });

    EXPECT_EQ(world.Leaderboards()->GetLeaderboard("NEW_MODE_SCORES")->GetView(
                  LeaderboardGlobality::Everybody, LeaderboardTimeSpan::LastWeek),
              nullptr);
    EXPECT_EQ(View(), view);  // one view per pair

    world.network->SignOutElsewhere();
    world.Frame();
    pages.clear();
    view->RequestPage(1, 10, 0, LeaderboardPageDelegate(&RecordPage), false);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(Last().error, Error::UnknownLeaderboard);
    EXPECT_EQ(Last().page, nullptr);
    EXPECT_EQ(Last().status, Status::NotStarted);
}

TEST_F(LeaderboardTest, NextAndPreviousPages) {
    FillBoard(25);
    world.StartSignedIn();
    ILeaderboardView* view = View();
    view->RequestPage(1, 10, 0, LeaderboardPageDelegate(&RecordPage), false);
    world.Frame(2);
    const ILeaderboardPage* first = Last().page;
    view->RequestPreviousPage(first, LeaderboardPageDelegate(&RecordPage));
    EXPECT_EQ(Last().error, Error::UnknownLeaderboard);
    view->RequestNextPage(nullptr, LeaderboardPageDelegate(&RecordPage));
    EXPECT_EQ(Last().error, Error::UnknownLeaderboard);
    view->RequestNextPage(first, LeaderboardPageDelegate(&RecordPage));
    world.Frame(2);
    EXPECT_EQ(Last().page->GetPageNumber(), 2);
    EXPECT_EQ(Last().page->GetEntry(0)->GetRank(), 11);
}

TEST_F(LeaderboardTest, ThePlayersOwnPageScoreAndRank) {
    world.network->SetScore("gc.challenge", "G:1", 25);  // ties keep arrival order: rank 126
    FillBoard(150);
    world.StartSignedIn();
    ILeaderboardView* view = View();
    view->RequestPageForUser(world.Current(), 100, 0, LeaderboardPageDelegate(&RecordPage), false);
    EXPECT_EQ(Last().page->GetPageNumber(), 0);
    world.Frame(3);
    EXPECT_EQ(Last().error, Error::Success);
    EXPECT_EQ(Last().page->GetPageNumber(), 2);
    EXPECT_EQ(Last().page->GetEntry(0)->GetRank(), 101);

    // Known now: straight to the page, from memory.
    const size_t queries = world.network->GetScoreQueries().size();
    view->RequestPageForUser(world.Current(), 100, 0, LeaderboardPageDelegate(&RecordPage), false);
    EXPECT_EQ(Last().status, Status::Finished);
    EXPECT_EQ(world.network->GetScoreQueries().size(), queries);

    view->GetUserScore(world.Current(), LeaderboardValueDelegate(&RecordValue));
    view->GetUserRank(world.Current(), LeaderboardValueDelegate(&RecordValue));
    world.Frame();
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].first, Error::Success);
    EXPECT_EQ(values[0].second, 25);
    EXPECT_EQ(values[1].first, Error::Success);
    EXPECT_EQ(values[1].second, 126);

    User stranger;
    values.clear();
    view->RequestPageForUser(&stranger, 100, 0, LeaderboardPageDelegate(&RecordPage), false);
    EXPECT_EQ(Last().error, Error::UnknownLeaderboard);
    view->GetUserScore(&stranger, LeaderboardValueDelegate(&RecordValue));
    world.Leaderboards()->GetLeaderboard("NEW_MODE_SCORES")
        ->GetView(LeaderboardGlobality::Everybody, LeaderboardTimeSpan::ThisWeek)
        ->GetUserRank(world.Current(), LeaderboardValueDelegate(&RecordValue));
    NetworkAvailabilityMonitor::InstallInternetProbe([] { return kNetworkNotReachable; });
    view->GetUserScore(world.Current(), LeaderboardValueDelegate(&RecordValue));
    NetworkAvailabilityMonitor::InstallInternetProbe([] { return kNetworkReachable; });
    world.network->FailNext(GameCentreStandIn::Operation::LoadScores, 4);
    view->GetUserRank(world.Current(), LeaderboardValueDelegate(&RecordValue));
    world.Frame();
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0].first, Error::NothingToShow);  // at once
    EXPECT_EQ(values[1].first, Error::NetworkUnreachable);
    EXPECT_EQ(values[2].first, Error::Success);  // this week: every score is today's
    EXPECT_EQ(values[2].second, 126);
    EXPECT_EQ(values[3].first, Error::ServiceError);
}

TEST_F(LeaderboardTest, TimeSpansChooseTheScoresScope) {
    world.network->AddPlayer(MakePlayer("OLD", "Old"));
    world.network->AddPlayer(MakePlayer("WEEK", "Week"));
    world.network->SetScore("gc.challenge", "OLD", 300, GameCentre::TimeScope::AllTime);
    world.network->SetScore("gc.challenge", "WEEK", 200, GameCentre::TimeScope::Week);
    world.StartSignedIn();
    const struct {
        LeaderboardTimeSpan span;
        int entries;
    } cases[] = {{LeaderboardTimeSpan::AllTime, 2}, {LeaderboardTimeSpan::ThisWeek, 1}};
    for (const auto& c : cases) {
        View(LeaderboardGlobality::Everybody, c.span)->RequestPage(1, 10, 0, LeaderboardPageDelegate(&RecordPage),
                                                                    false);
        world.Frame(2);
        EXPECT_EQ(Last().page->GetEntryCount(), c.entries);
    }
    View(LeaderboardGlobality::Everybody, LeaderboardTimeSpan::Today)
        ->RequestPage(1, 10, 0, LeaderboardPageDelegate(&RecordPage), false);
    world.Frame(2);
    EXPECT_EQ(Last().error, Error::NothingToShow);
}

}  // namespace
}  // namespace Varnok
