// The version check, player pools and friend lists through the engine's
// services, against the protocol server on loopback.
#include "tests/providers/Provider_Kiplink/KiplinkWorld.h"

#include "engine/services/IFriendsService.h"
#include "engine/services/IPlayerPoolService.h"
#include "engine/services/IVersionService.h"
#include "engine/services/OnlineObjects.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "providers/Provider_Kiplink/KiplinkVersionService.h"
#include "tools/kiplink_server/GameUpdateService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Varnok {
namespace TestSupport {
namespace {

class UpdateReplies final : public Kiplink::IKiplinkProviderCallbacks {
public:
    void OnGameUpdate(Kiplink::IKiplinkProvider*, Kiplink::KIPLINKERROR, const char*) override { ++count; }
    int count = 0;
};

Json::Value Player(const std::string& id, const std::string& name) {
    Json::Value p;
    p["kiplinkId"] = id;
    p["displayName"] = name;
    p["providerIds"]["facebook"] = "fb-" + id;
    return p;
}

struct FriendsHeard {
    std::vector<std::string> answers;
    IFriends* list = nullptr;
    void On(IFriends* friends, const char* error) {
        list = friends;
        answers.push_back(error != nullptr ? error : "(null)");
    }
};

// A signed-in current user, with the online id the server gave it.
User* SignIn(KiplinkWorld& world, std::string* outId) {
    world.Start();
    User* user = world.Current();
    EXPECT_TRUE(world.FramesUntil([&] { return user->HasId("kpauth"); }));
    *outId = KiplinkWorld::LibraryUser(user)->GetKiplinkID();
    return user;
}

TEST(KiplinkVersionTest, TheLastUpdateResultGivesTheStateAndTheBuildGivesTheLink) {
    KiplinkWorld world;
    Tools::GameUpdateService updates;
    updates.Install(world.Server());
    world.Start();
    auto* service = world.Manager().GetService<IVersionService>("Provider_Kiplink");
    ASSERT_NE(service, nullptr);
    Kiplink::IKiplinkProvider* root = world.Provider()->GetRoot();
    Kiplink::RefPtr<UpdateReplies> replies(new UpdateReplies);
    root->AddCallbacks(replies.Get());

    const struct {
        int result;
        UpdateState state;
    } cases[] = {
        {2, UpdateState::MandatoryUpdate}, {4, UpdateState::Online}, {1, UpdateState::OptionalUpdate},
        {-1, UpdateState::Online},         {0, UpdateState::Online},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        updates.SetResult(c.result);
        const int before = replies->count;
        service->OnRemoteConfigChanged();
        ASSERT_TRUE(world.FramesUntil([&] { return replies->count == before + 1; }));
        EXPECT_EQ(root->GetGameUpdateResult(), c.result);
        EXPECT_EQ(service->GetUpdateState(), c.state);
    }
    root->RemoveCallbacks(replies.Get());

    ASSERT_NE(service->GetUpdateUrl(), nullptr);
    EXPECT_EQ(std::string(service->GetUpdateUrl()), std::string(KiplinkVersionService::kShortLinkBase) + "build-7");
    root->SetServer(Kiplink::KiplinkSettings{"", root->GetBaseUrl(), ""});
    EXPECT_EQ(service->GetUpdateUrl(), nullptr);
}

TEST(KiplinkFriendsTest, OverlappingRequestsEachHearTheirOwnAnswerOnce) {
    KiplinkWorld world;
    world.social.AddPlayer(Player("a", "Ann"));
    world.social.AddPlayer(Player("b", "Bob"));
    std::string id;
    User* user = SignIn(world, &id);
    world.social.AddGlobalFriend(id, "a");
    world.social.AddFamilyFriend(id, "a");
    world.social.AddFamilyFriend(id, "b");

    auto* service = world.Manager().GetService<IFriendsService>("Provider_Kiplink");
    ASSERT_NE(service, nullptr);
    IFriends* friends = service->GetFriends(user);
    ASSERT_NE(friends, nullptr);
    EXPECT_EQ(service->GetFriends(user), friends);
    EXPECT_EQ(service->GetFriends(nullptr), nullptr);
    EXPECT_EQ(friends->GetUser(), user);

    // One of the two replies fails: an answer heard by the wrong request
    // would reach both delegates alike.
    world.Server().InjectFault(Tools::Fault::ErrorText("down").For("friends"));
    FriendsHeard first, second;
    friends->RequestGlobalFriends(IFriends::FriendsDelegate(&first, &FriendsHeard::On));
    friends->RequestGlobalFriends(IFriends::FriendsDelegate(&second, &FriendsHeard::On));
    ASSERT_TRUE(world.FramesUntil([&] { return first.answers.size() == 1 && second.answers.size() == 1; }));
    world.Settle();
    ASSERT_EQ(first.answers.size(), 1u);
    ASSERT_EQ(second.answers.size(), 1u);
    std::vector<std::string> both{first.answers[0], second.answers[0]};
    std::sort(both.begin(), both.end());
    EXPECT_EQ(both, (std::vector<std::string>{"(null)", "response failed"}));
    EXPECT_EQ(first.list, friends);
    EXPECT_EQ(world.CallCount("friends", "getGlobalFriends"), 2);

    FriendsHeard family;
    friends->RequestProductFamilyFriends(IFriends::FriendsDelegate(&family, &FriendsHeard::On));
    ASSERT_TRUE(world.FramesUntil([&] { return family.answers.size() == 1; }));
    EXPECT_EQ(friends->GetProductFamilyFriendCount(), 2);
    EXPECT_EQ(friends->GetGlobalFriendCount(), 2);  // the family's friends are global friends too
    IPlayerProfile* bob = friends->GetProductFamilyFriend(1);
    ASSERT_NE(bob, nullptr);
    EXPECT_STREQ(bob->GetDisplayName(), "Bob");
    EXPECT_STREQ(bob->GetId(nullptr), "b");
    EXPECT_STREQ(bob->GetId("facebook"), "fb-b");
    EXPECT_EQ(friends->FindGlobalFriend("facebook", "fb-b"), bob);
    EXPECT_EQ(friends->FindGlobalFriend("facebook", "fb-nobody"), nullptr);
    EXPECT_EQ(friends->GetGlobalFriend(2), nullptr);

    friends->Clear();
    EXPECT_EQ(friends->GetGlobalFriendCount(), 0);
    EXPECT_EQ(friends->GetProductFamilyFriendCount(), 0);
}

TEST(KiplinkPlayerPoolTest, AnyIndexedFieldFindsTheOnePlayerOfAnId) {
    KiplinkWorld world;
    world.social.AddPlayer(Player("a", "Ann"));
    std::string id;
    User* user = SignIn(world, &id);
    world.social.AddGlobalFriend(id, "a");

    auto* pools = world.Manager().GetService<IPlayerPoolService>("Provider_Kiplink");
    ASSERT_NE(pools, nullptr);
    IPlayerPool* pool = pools->GetPlayerPool(user);
    ASSERT_NE(pool, nullptr);
    EXPECT_EQ(pools->GetPlayerPool(user), pool);
    EXPECT_EQ(pools->GetPlayerPool(nullptr), nullptr);
    EXPECT_EQ(pool->GetPlayer("kiplinkId", "a"), nullptr);  // nobody listed Ann yet

    IFriends* friends = world.Manager().GetService<IFriendsService>("Provider_Kiplink")->GetFriends(user);
    FriendsHeard heard;
    friends->RequestGlobalFriends(IFriends::FriendsDelegate(&heard, &FriendsHeard::On));
    ASSERT_TRUE(world.FramesUntil([&] { return heard.answers.size() == 1; }));

    IPlayerProfile* byFacebook = pool->GetPlayer("facebook", "fb-a");
    ASSERT_NE(byFacebook, nullptr);
    EXPECT_EQ(pool->GetPlayer("kiplinkId", "a"), byFacebook);
    EXPECT_EQ(pool->GetPlayer("kiplinkId", "a"), byFacebook);
    EXPECT_EQ(friends->GetGlobalFriend(0), byFacebook);
    EXPECT_EQ(pool->GetPlayer("facebook", "fb-b"), nullptr);
    EXPECT_EQ(pool->GetPlayer("kiplinkId", nullptr), nullptr);
}

}  // namespace
}  // namespace TestSupport
}  // namespace Varnok
