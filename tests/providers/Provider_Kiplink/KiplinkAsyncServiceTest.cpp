// Asynchronous matches through the engine's async service, against the
// protocol server's matches: requests in flight each answer their own
// delegate once, and match objects are kept per list.
#include "tests/providers/Provider_Kiplink/KiplinkWorld.h"

#include "engine/services/IAsyncService.h"
#include "engine/services/OnlineObjects.h"
#include "tools/kiplink_server/MatchService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Varnok {
namespace TestSupport {
namespace {

struct Statuses {
    std::vector<AsyncResponseStatus> heard;
    IAsyncMatch* match = nullptr;
    void On(AsyncResponseStatus status) { heard.push_back(status); }
    void OnMatch(AsyncResponseStatus status, IAsyncMatch* answered) {
        heard.push_back(status);
        match = answered;
    }
    AsyncStatusDelegate Status() { return AsyncStatusDelegate(this, &Statuses::On); }
    AsyncMatchDelegate Match() { return AsyncMatchDelegate(this, &Statuses::OnMatch); }
};

TEST(KiplinkAsyncServiceTest, RequestsInFlightAnswerTheirOwnAndMatchesAreKeptPerList) {
    KiplinkWorld world;
    Tools::MatchService matches;
    matches.Install(world.Server());
    matches.AddLobbies("duel", 3, "bob");
    matches.AddLobbies("race", 2, "carol", "r");
    world.Start();
    User* user = world.Current();
    ASSERT_TRUE(world.FramesUntil([&] { return user->HasId("kpauth"); }));

    auto* service = world.Manager().GetService<IAsyncService>("Provider_Kiplink");
    ASSERT_NE(service, nullptr);
    IAsyncMatchProvider* provider = service->GetAsyncMatchProvider(user);
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(service->GetAsyncMatchProvider(user), provider);
    EXPECT_EQ(service->GetAsyncMatchProvider(nullptr), nullptr);

    // Two lobby loads in flight, one of them failing: an answer heard by
    // the wrong request would reach both delegates alike.
    world.Server().InjectFault(Tools::Fault::ErrorText("down").For("async_lobbies"));
    Statuses duel, race;
    provider->LoadLobbies("duel", duel.Status());
    provider->LoadLobbies("race", race.Status());
    ASSERT_TRUE(world.FramesUntil([&] { return duel.heard.size() == 1 && race.heard.size() == 1; }));
    world.Settle();
    ASSERT_EQ(duel.heard.size(), 1u);
    ASSERT_EQ(race.heard.size(), 1u);
    std::vector<AsyncResponseStatus> both{duel.heard[0], race.heard[0]};
    std::sort(both.begin(), both.end());
    EXPECT_EQ(both, (std::vector<AsyncResponseStatus>{AsyncResponseStatus::Success, AsyncResponseStatus::ServiceError}));

    Statuses reload;
    provider->LoadLobbies("duel", reload.Status());
    ASSERT_TRUE(world.FramesUntil([&] { return reload.heard.size() == 1; }));
    EXPECT_EQ(reload.heard[0], AsyncResponseStatus::Success);
    ASSERT_EQ(provider->GetLobbyCount(), 3);
    IAsyncMatch* lobby = provider->GetLobby(0);
    ASSERT_NE(lobby, nullptr);
    EXPECT_EQ(provider->GetLobby(0), lobby);
    EXPECT_EQ(provider->GetLobby(3), nullptr);
    EXPECT_EQ(provider->GetLobby(-1), nullptr);
    EXPECT_STREQ(lobby->GetGameType(), "duel");

    Statuses joined;
    lobby->Join(joined.Match());
    ASSERT_TRUE(world.FramesUntil([&] { return joined.heard.size() == 1; }));
    EXPECT_EQ(joined.heard[0], AsyncResponseStatus::Success);
    EXPECT_EQ(joined.match, lobby);
    ASSERT_EQ(lobby->GetUserCount(), 2);
    IPlayerProfile* second = lobby->GetUser(1);  // made before the first
    IPlayerProfile* first = lobby->GetUser(0);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->GetId(nullptr), "bob");
    EXPECT_STRNE(second->GetId(nullptr), "bob");
    EXPECT_EQ(lobby->GetUser(1), second);
    EXPECT_EQ(lobby->GetUser(2), nullptr);

    // Nothing to send: no answer, no call.
    const size_t callsBefore = world.Server().ReceivedCalls().size();
    Statuses nobody;
    lobby->AddUserToList(nullptr, nobody.Match());
    Statuses nothing;
    provider->DeleteMatch(nullptr, nothing.Status());
    EXPECT_EQ(nothing.heard, std::vector<AsyncResponseStatus>{AsyncResponseStatus::NothingDone});
    world.Settle();
    EXPECT_TRUE(nobody.heard.empty());
    EXPECT_EQ(world.Server().ReceivedCalls().size(), callsBefore);

    Statuses created;
    provider->CreateMatch("duel", 2, created.Match());
    ASSERT_TRUE(world.FramesUntil([&] { return created.heard.size() == 1; }));
    EXPECT_EQ(created.heard[0], AsyncResponseStatus::Success);
    ASSERT_NE(created.match, nullptr);
    EXPECT_EQ(provider->FindUserMatch(created.match->GetMatchId()), created.match);
    const std::string createdId = created.match->GetMatchId();
    EXPECT_FALSE(matches.Match(createdId).isNull());

    // Only the owner deletes: bob's lobby stays.
    Statuses notMine;
    const std::string lobbyId = lobby->GetMatchId();
    provider->DeleteMatch(lobby, notMine.Status());
    ASSERT_TRUE(world.FramesUntil([&] { return notMine.heard.size() == 1; }));
    EXPECT_EQ(notMine.heard[0], AsyncResponseStatus::NothingDone);
    EXPECT_FALSE(matches.Match(lobbyId).isNull());
}

}  // namespace
}  // namespace TestSupport
}  // namespace Varnok
