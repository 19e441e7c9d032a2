// Posts and app requests through the Facebook service over the social client
// stand-in.
#include "providers/Provider_Facebook/SocialService_Facebook.h"

#include "engine/services/ServiceManager.h"
#include "providers/Provider_Facebook/Provider_Facebook.h"
#include "tests/providers/Provider_Facebook/SocialFixture.h"
#include "tests/providers/Provider_Facebook/StatusLog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>

namespace SocialTest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;
using Varnok::SocialDialogOutcome;
using Varnok::SocialDialogResult;
using Varnok::SocialClientStandIn;

class Player final : public Varnok::IPlayer {
public:
    explicit Player(const char* facebookId) : m_facebookId(facebookId) {}
    const char* GetId(const char* serviceName) const override {
        return serviceName != nullptr && std::string(serviceName) == "facebook" ? m_facebookId : nullptr;
    }
    const char* GetDisplayName() const override { return "player"; }

private:
    const char* m_facebookId;  // may be null
};

SocialDialogOutcome Outcome(SocialDialogResult result, const char* url = nullptr,
                            const char* error = nullptr) {
    SocialDialogOutcome outcome;
    outcome.result = result;
    outcome.hasUrl = url != nullptr;
    outcome.url = url != nullptr ? url : "";
    outcome.hasError = error != nullptr;
    outcome.error = error != nullptr ? error : "";
    return outcome;
}

using FacebookPosts = SocialFixture;

TEST_F(FacebookPosts, AMessageAloneSendsOnlyTheUserMessage) {
    Varnok::SocialService_Facebook service;
    service.PostMessage("hello", nullptr, nullptr, nullptr, nullptr, nullptr, {});
    service.PostMessage("all", "http://l", "http://p.png", "n", "c", "d", {});
    ASSERT_EQ(Client().GetShownDialogs().size(), 2u);
    EXPECT_THAT(Client().GetShownDialogs()[0].parameters, ElementsAre(Pair("user_message", "hello")));
    EXPECT_THAT(Client().GetShownDialogs()[1].parameters,
                ElementsAre(Pair("caption", "c"), Pair("description", "d"), Pair("link", "http://l"),
                            Pair("name", "n"), Pair("picture", "http://p.png"),
                            Pair("user_message", "all")));
}

TEST_F(FacebookPosts, FeedOutcomesBecomeStatusesOnALaterFrame) {
    const struct {
        const char* what;
        SocialDialogOutcome outcome;
        int status;
    } cases[] = {
        {"completed with a post id", Outcome(SocialDialogResult::Completed, "fbconnect://success?POST_ID=1_2"), 2},
        {"completed without a post id", Outcome(SocialDialogResult::Completed, "fbconnect://success"), 1},
        {"completed without a URL", Outcome(SocialDialogResult::Completed), 2},
        {"cancelled", Outcome(SocialDialogResult::NotCompleted), 1},
        {"error", Outcome(SocialDialogResult::Completed, "x?post_id=1", "offline"), 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Varnok::SocialService_Facebook service;
        StatusLog log;
        Client().QueueDialogAnswer(c.outcome);
        service.PostMessage("m", nullptr, nullptr, nullptr, nullptr, nullptr, log.Delegate());
        EXPECT_THAT(log.statuses, IsEmpty());
        RunFrame();
        EXPECT_THAT(log.statuses, ElementsAre(c.status));
    }
}

TEST_F(FacebookPosts, OfflineClientFailsThePost) {
    Varnok::SocialService_Facebook service;
    StatusLog log;
    Client().SetOnline(false);
    service.PostMessage("m", nullptr, nullptr, nullptr, nullptr, nullptr, log.Delegate());
    RunFrame();
    EXPECT_THAT(log.statuses, ElementsAre(4));
}

TEST_F(FacebookPosts, OperationsNotOfferedAnswerZeroAtOnceAndShowNothing) {
    Varnok::SocialService_Facebook service;
    StatusLog log;
    const std::vector<std::string> ids{"1", "2"};
    service.PostImage("m", "l", "share.png", nullptr, nullptr, nullptr, log.Delegate());
    service.SendRequestToFriend("1", "t", "m", nullptr, {}, log.Delegate());
    service.SendRequestToFriends(ids, "t", "m", nullptr, {}, log.Delegate());
    service.SuggestRequestToFriends(ids, "t", "m", nullptr, {}, log.Delegate());
    EXPECT_THAT(log.statuses, ElementsAre(0, 0, 0, 0));
    EXPECT_THAT(Client().GetShownDialogs(), IsEmpty());
    EXPECT_FALSE(service.HasNativeComposer());
}

TEST_F(FacebookPosts, NoClientInstalledFailsAtOnce) {
    Varnok::SetSocialClient(nullptr);
    Varnok::SocialService_Facebook service;
    StatusLog log;
    service.PostMessage("m", nullptr, nullptr, nullptr, nullptr, nullptr, log.Delegate());
    EXPECT_THAT(log.statuses, ElementsAre(4));
}

using FacebookRequests = SocialFixture;

TEST_F(FacebookRequests, RecipientsAreThePlayersWithFacebookIds) {
    Varnok::SocialService_Facebook service;
    const Player none(nullptr);
    const Player eleven("11");
    const Player twentyTwo("22");
    const Varnok::IPlayer* players[] = {&none, &eleven, &twentyTwo};
    service.SendRequestToFriends(players, 3, "title", "message", nullptr, {}, {});
    service.SuggestRequestToFriends(players, 3, "title", "message", nullptr, {1}, {});
    service.SendRequestToFriends(nullptr, 0, "title", "message", nullptr, {}, {});
    const auto& shown = Client().GetShownDialogs();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].message, "message");
    EXPECT_EQ(shown[0].title, "title");
    EXPECT_THAT(shown[0].parameters, ElementsAre(Pair("data", ""), Pair("to", "11,22")));
    EXPECT_THAT(shown[1].parameters,
                ElementsAre(Pair("data", ""), Pair("frictionless", "1"), Pair("suggestions", "11,22")));
    EXPECT_THAT(shown[2].parameters, ElementsAre(Pair("data", ""), Pair("to", "")));
}

TEST_F(FacebookRequests, RequestDataIsJsonOfTextsAndLongTextIsSentEmpty) {
    using Parameters = Varnok::ISocialService::Parameters;
    const Parameters plain{{"b", "x"}, {"a", "1"}};
    EXPECT_EQ(Varnok::RequestDataText(&plain), R"({"a":"1","b":"x"})");
    const Parameters awkward{{"q\"uote", "back\\slash\nline"}};
    EXPECT_EQ(Varnok::RequestDataText(&awkward), R"({"q\"uote":"back\\slash\nline"})");
    EXPECT_EQ(Varnok::RequestDataText(nullptr), "");
    // {"k":"<value>"} is 8 characters around the value.
    const Parameters longest{{"k", std::string(253 - 8, 'v')}};
    const Parameters tooLong{{"k", std::string(254 - 8, 'v')}};
    EXPECT_EQ(Varnok::RequestDataText(&longest).size(), 253u);
    EXPECT_EQ(Varnok::RequestDataText(&tooLong), "");
    // Escaping counts: a quote that becomes two characters pushes it over.
    const Parameters escapedOver{{"k", std::string(253 - 9, 'v') + "\""}};
    EXPECT_EQ(Varnok::RequestDataText(&escapedOver), "");

    Varnok::SocialService_Facebook service;
    const Player one("1");
    const Varnok::IPlayer* players[] = {&one};
    service.SendRequestToFriends(players, 1, "t", "m", &longest, {}, {});
    service.SendRequestToFriends(players, 1, "t", "m", &tooLong, {}, {});
    ASSERT_EQ(Client().GetShownDialogs().size(), 2u);
    EXPECT_EQ(Client().GetShownDialogs()[0].parameters.at("data").size(), 253u);
    EXPECT_EQ(Client().GetShownDialogs()[1].parameters.at("data"), "");
}

TEST_F(FacebookRequests, RequestOutcomesBecomeStatuses) {
    const struct {
        const char* what;
        SocialDialogOutcome outcome;
        int status;
    } cases[] = {
        {"sent", Outcome(SocialDialogResult::Completed, "fbconnect://success?REQUEST=12&to%5B0%5D=11"), 2},
        {"closed without sending", Outcome(SocialDialogResult::Completed, "fbconnect://success"), 1},
        {"URL without text", Outcome(SocialDialogResult::Completed, ""), 2},
        {"no URL", Outcome(SocialDialogResult::Completed), 1},
        {"not completed", Outcome(SocialDialogResult::NotCompleted, "fbconnect://x?request=1"), 0},
        {"error", Outcome(SocialDialogResult::Completed, nullptr, "offline"), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Varnok::SocialService_Facebook service;
        StatusLog log;
        const Player one("1");
        const Varnok::IPlayer* players[] = {&one};
        Client().QueueDialogAnswer(c.outcome);
        service.SendRequestToFriends(players, 1, "t", "m", nullptr, {}, log.Delegate());
        RunFrame();
        EXPECT_THAT(log.statuses, ElementsAre(c.status));
    }
}

TEST(Provider_Facebook, InitialiseRegistersAndEnablesBothServices) {
    Varnok::ServiceManager manager;
    Varnok::IProvider* provider =
        Varnok::Provider_FacebookBuilder::Get().CreateProvider(&manager.GetBackend());
    manager.AddProvider(provider);
    ASSERT_TRUE(provider->Initialise());
    Varnok::ISocialService* social = manager.GetService<Varnok::ISocialService>("Provider_Facebook");
    Varnok::IDeepLinkService* deepLink = manager.GetService<Varnok::IDeepLinkService>("Provider_Facebook");
    ASSERT_NE(social, nullptr);
    ASSERT_NE(deepLink, nullptr);
    EXPECT_TRUE(social->IsEnabled());
    EXPECT_TRUE(deepLink->IsEnabled());
    EXPECT_STREQ(provider->GetName(), "Provider_Facebook");
    manager.RemoveProvider("Provider_Facebook");
    EXPECT_EQ(manager.GetService<Varnok::ISocialService>("Provider_Facebook"), nullptr);
}

}  // namespace
}  // namespace SocialTest
