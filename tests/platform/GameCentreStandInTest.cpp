// The stand-in game network: answers wait for the queue, the settings
// describe the player, and boards rank by scope and by friends.
#include "platform/GameCentreStandIn.h"

#include "ScopedEnv.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using Scope = GameCentre::TimeScope;

TEST(GameCentreStandIn, AnswersWaitForTheQueueAndWorkQueuedMeanwhileWaitsATurn) {
    GameCentreStandIn network;
    std::vector<std::string> order;
    network.Authenticate([&](const GameCentre::Error* error) {
        order.push_back(error == nullptr ? "signed in" : "failed");
        network.LoadFriends([&](const std::vector<std::string>* ids, const GameCentre::Error*) {
            order.push_back(ids != nullptr ? "friends" : "no friends");
        });
    });
    EXPECT_TRUE(order.empty());
    EXPECT_FALSE(network.IsLocalPlayerAuthenticated());
    network.DeliverCompletions();
    EXPECT_EQ(order, std::vector<std::string>{"signed in"});
    EXPECT_EQ(network.GetLocalPlayerId(), "G:1000");
    network.DeliverCompletions();
    EXPECT_EQ(order, (std::vector<std::string>{"signed in", "friends"}));
    EXPECT_EQ(network.GetPendingCount(), 0);
}

TEST(GameCentreStandIn, TheSettingsDescribeThePlayer) {
    const struct {
        const char* player;
        const char* answer;
        const char* offline;
        bool signedIn;
        const char* id;
    } cases[] = {
        {nullptr, nullptr, nullptr, true, "G:1000"},
        {"G:7,Seven", "accept", "0", true, "G:7"},
        {"G:7", "cancel", nullptr, false, ""},
        {"G:7", "signedout", nullptr, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.player != nullptr ? c.player : "(unset)");
        VarnokTest::ScopedEnv player("VARNOK_GAMECENTRE_PLAYER", c.player);
        VarnokTest::ScopedEnv answer("VARNOK_GAMECENTRE_SIGNIN", c.answer);
        VarnokTest::ScopedEnv offline("VARNOK_GAMECENTRE_OFFLINE", c.offline);
        auto network = GameCentreStandIn::CreateFromSettings();
        network->Authenticate([](const GameCentre::Error*) {});
        network->DeliverCompletions();
        EXPECT_EQ(network->IsLocalPlayerAuthenticated(), c.signedIn);
        EXPECT_EQ(network->GetLocalPlayerId(), c.id);
    }
    VarnokTest::ScopedEnv offline("VARNOK_GAMECENTRE_OFFLINE", "1");
    auto network = GameCentreStandIn::CreateFromSettings();
    int code = 0;
    network->LoadAchievements([&](const std::vector<GameCentre::Achievement>*, const GameCentre::Error* error) {
        code = error != nullptr ? error->code : 0;
    });
    network->DeliverCompletions();
    EXPECT_EQ(code, GameCentre::kErrorNetwork);
}

TEST(GameCentreStandIn, BoardsRankByScopeAndFriendsAndFailuresAreTakenOnce) {
    GameCentreStandIn network;
    network.SetSignInPlayer(GameCentre::Player{"ME", "Me", "Me"});
    network.Authenticate(nullptr);
    network.DeliverCompletions();
    network.SetFriends({"F"});
    network.SetScore("board", "OLD", 90, Scope::AllTime);
    network.SetScore("board", "F", 50, Scope::Week);
    network.SetScore("board", "ME", 70);

    const struct {
        const char* what;
        GameCentre::PlayerScope players;
        Scope time;
        std::vector<std::string> ranked;
    } cases[] = {
        {"everybody, all time", GameCentre::PlayerScope::Global, Scope::AllTime, {"OLD", "ME", "F"}},
        {"everybody, this week", GameCentre::PlayerScope::Global, Scope::Week, {"ME", "F"}},
        {"everybody, today", GameCentre::PlayerScope::Global, Scope::Today, {"ME"}},
        {"friends, all time", GameCentre::PlayerScope::Friends, Scope::AllTime, {"ME", "F"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GameCentre::ScoreQuery query;
        query.category = "board";
        query.playerScope = c.players;
        query.timeScope = c.time;
        std::vector<std::string> ranked;
        int64_t myRank = -1;
        network.LoadScores(query, [&](const GameCentre::ScoreAnswer* answer, const GameCentre::Error*) {
            for (const auto& score : answer->scores) {
                ranked.push_back(score.playerId);
                EXPECT_EQ(score.rank, static_cast<int64_t>(ranked.size()));
            }
            myRank = answer->localPlayerScore.rank;
        });
        network.DeliverCompletions();
        EXPECT_EQ(ranked, c.ranked);
        EXPECT_EQ(myRank, std::find(c.ranked.begin(), c.ranked.end(), "ME") - c.ranked.begin() + 1);
    }

    network.FailNext(GameCentreStandIn::Operation::ReportScore, 4);
    std::vector<int> codes;
    for (int i = 0; i < 2; ++i) {
        network.ReportScore(GameCentre::Score{"", "board", 100, 0},
                            [&](const GameCentre::Error* error) { codes.push_back(error != nullptr ? error->code : 0); });
    }
    network.DeliverCompletions();
    EXPECT_EQ(codes, (std::vector<int>{4, 0}));
    EXPECT_EQ(network.GetReportedScores().size(), 1u);
}

}  // namespace
}  // namespace Varnok
