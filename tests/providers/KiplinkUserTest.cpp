// A user's sync against the server (batches in and out of the three lists,
// replies that must change nothing), its account operations and merge
// questions, and the sign-in requests.
#include "kiplink/Source/AuthService.h"
#include "kiplink/Source/StaticDataManager.h"
#include "tests/providers/AccountFixture.h"

#include <algorithm>

namespace OnlineTest {
namespace {

using Varnok::Tools::Fault;
using Varnok::Tools::ServiceCall;
using Varnok::Tools::ServiceReply;

class UserTest : public AccountFixture {
protected:
    void SetUp() override {
        AccountFixture::SetUp();
        MakeRoot();
    }

    std::vector<ServiceCall> CallsTo(const std::string& method) const {
        std::vector<ServiceCall> calls;
        for (const ServiceCall& call : m_server->ReceivedCalls()) {
            if (call.method == method) {
                calls.push_back(call);
            }
        }
        return calls;
    }

    static std::vector<uint32_t> Ids(const Kiplink::TransactionList& list) {
        std::vector<uint32_t> ids;
        for (size_t i = 0; i < list.Size(); ++i) {
            ids.push_back(list.At(i)->GetId());
        }
        return ids;
    }

    // A sync reply for the user of that id, with members merged over it.
    static ServiceReply SyncReplyFor(const std::string& id, const Json::Value& members) {
        Json::Value result(Json::objectValue);
        result["user"]["kiplinkId"] = id;
        for (const std::string& name : members.getMemberNames()) {
            result[name] = members[name];
        }
        return ServiceReply::Result(result);
    }
};

TEST_F(UserTest, PendingBatchesLeaveFiftyAtATimeAndAHundredIdsAreVerified) {
    auto user = LoginAsGuest();
    ASSERT_TRUE(user);
    for (int i = 0; i < 120; ++i) {
        user->SetMeta(("key" + std::to_string(i)).c_str(), "v");
    }
    ASSERT_EQ(user->Pending().Size(), 120u);
    const std::vector<uint32_t> made = Ids(user->Pending());

    m_server->InjectFault(Fault::ErrorText("busy").For("game").Times(3));
    const size_t expectedSent[] = {50, 100, 120};
    for (size_t sent : expectedSent) {
        const UserEvent* outcome = SyncOnce(*user);
        ASSERT_NE(outcome, nullptr);
        EXPECT_EQ(outcome->text, "busy");
        EXPECT_EQ(user->Sent().Size(), sent);
        EXPECT_EQ(user->Pending().Size(), 120 - sent);
    }
    EXPECT_EQ(CallsTo("sync")[0].params[3]["transactionsPending"].size(), 50u);

    const UserEvent* outcome = SyncOnce(*user);
    ASSERT_NE(outcome, nullptr);
    const Json::Value body = CallsTo("sync").back().params[3];
    EXPECT_EQ(body["transactionsVerify"].size(), 100u);
    EXPECT_EQ(body["transactionsPending"].size(), 0u);
    // The server never saw them: the hundred come back in their first order,
    // before the twenty it was not asked about.
    std::vector<uint32_t> expected(made.begin(), made.begin() + 100);
    EXPECT_EQ(Ids(user->Pending()), expected);
    EXPECT_EQ(user->Sent().Size(), 20u);
}

TEST_F(UserTest, DeferredBatchesReturnToTheFrontLaterIdFirst) {
    auto user = LoginAsGuest();
    ASSERT_TRUE(user);
    user->SetMeta("a", "1");
    user->SetMeta("b", "2");
    const std::vector<uint32_t> sent = Ids(user->Pending());
    const std::string id = user->GetKiplinkID();
    m_server->SetHandler("game", "sync", [&](const ServiceCall&) {
        Json::Value members;
        members["transactionsProcessed"]["deferred"].append(sent[0]);
        members["transactionsProcessed"]["deferred"].append(sent[1]);
        members["transactionsProcessed"]["deferred"].append(12345);  // unknown: ignored
        return SyncReplyFor(id, members);
    });
    user->SetMeta("c", "3");  // goes out too, and the reply leaves it out
    const uint32_t third = Ids(user->Pending())[2];
    const UserEvent* outcome = SyncOnce(*user);
    ASSERT_NE(outcome, nullptr);
    EXPECT_EQ(outcome->code, 0);
    EXPECT_EQ(Ids(user->Sent()), std::vector<uint32_t>{third});
    EXPECT_EQ(Ids(user->Pending()), (std::vector<uint32_t>{sent[1], sent[0]}));
}

TEST_F(UserTest, AReplyForAnotherUserChangesNothingButEndsTheSync) {
    auto user = LoginAsGuest();
    ASSERT_TRUE(user);
    user->SetMeta("colour", "red");
    m_server->SetHandler("game", "sync", [&](const ServiceCall& call) {
        Json::Value members;
        members["userData"]["metaData"]["colour"] = "blue";
        members["transactionsProcessed"]["success"].append(call.params[3]["transactionsPending"][0]["id"]);
        return SyncReplyFor("someone-else", members);
    });
    const UserEvent* outcome = SyncOnce(*user);
    ASSERT_NE(outcome, nullptr);
    EXPECT_EQ(outcome->code, Kiplink::KIPLINKERROR_FAILED);
    EXPECT_EQ(outcome->text, "incorrect kiplinkId in response");
    EXPECT_FALSE(user->IsSyncPending());
    EXPECT_EQ(user->Sent().Size(), 1u);
    EXPECT_EQ(user->Verified().Size(), 0u);
    EXPECT_STREQ(user->GetMeta("colour"), "red");
    EXPECT_STREQ(user->GetKiplinkID(), user->GetProfile()["kiplinkId"].AsString(""));
}

TEST_F(UserTest, AnnouncedStaticDataStartsItsDownload) {
    auto user = LoginAsGuest();
    ASSERT_TRUE(user);
    Json::Value announcement;
    announcement["hash"] = "0123456789abcdef0123456789abcdef01234567";
    announcement["url"] = m_server->StaticUrl();
    announcement["hashTable"]["items"] = "Items_2.offline";
    m_accounts.SetStaticDataAnnouncement(announcement);
    const UserEvent* outcome = SyncOnce(*user);
    ASSERT_NE(outcome, nullptr);
    EXPECT_EQ(outcome->code, 0);
    EXPECT_GT(m_root->GetStaticData()->GetPendingDownloadCount(), 0u);
}

TEST_F(UserTest, SyncsThatCannotGoOutSayWhy) {
    auto fresh = Kiplink::RefPtr<Kiplink::IUser>::Adopt(m_root->CreateUser());
    fresh->AddCallbacks(m_events.Get());
    fresh->Synchronize();
    ASSERT_NE(m_events->Last("sync"), nullptr);
    EXPECT_EQ(m_events->Last("sync")->text, "not authenticated");

    auto user = LoginAsGuest();
    ASSERT_TRUE(user);
    SetReachable(false);
    user->Synchronize();
    EXPECT_EQ(m_events->Last("sync")->code, Kiplink::KIPLINKERROR_NO_CONNECTION);
    SetReachable(true);
    user->Synchronize();
    user->Synchronize();
    EXPECT_EQ(m_events->Last("sync")->text, "pending sync");
    EXPECT_TRUE(PumpUntil([&] { return !user->IsSyncPending(); }));
}

TEST_F(UserTest, AFreshUserHasTheDefaults) {
    auto user = Kiplink::RefPtr<Kiplink::IUser>::Adopt(m_root->CreateUser());
    EXPECT_STREQ(user->GetDisplayName(), "Guest");
    EXPECT_STREQ(user->GetCountry(), "US");
    EXPECT_EQ(user->GetCountryCode(), nullptr);
    EXPECT_EQ(user->GetKiplinkID(), nullptr);
    EXPECT_EQ(user->GetEmail(), nullptr);
    EXPECT_EQ(user->GetAuthToken(), nullptr);
    EXPECT_FALSE(user->IsRegisteredUser());
    EXPECT_FALSE(user->IsAuthenticated());
    EXPECT_TRUE(user->IsValid());
    EXPECT_EQ(std::string(user->GetGUID()).size(), 32u);
    EXPECT_EQ(std::string(user->GetGUID()).find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_STREQ(user->GetMeta(nullptr), "");
}

TEST_F(UserTest, ALoginResultForAnotherIdIsRefused) {
    auto user = Kiplink::RefPtr<Kiplink::IUser>::Adopt(m_root->CreateUser());
    ASSERT_TRUE(user->SetLoginResult("t1", "id-1", false));
    EXPECT_TRUE(user->SetLoginResult("t2", "id-1", true));
    EXPECT_STREQ(user->GetAuthToken(), "t2");
    EXPECT_TRUE(user->IsRegisteredUser());

    EXPECT_FALSE(user->SetLoginResult("t3", "id-2", false));
    EXPECT_STREQ(user->GetAuthToken(), "t2");
    EXPECT_TRUE(user->IsRegisteredUser());
    EXPECT_EQ(m_root->FindUserByKiplinkId("id-2"), nullptr);

    // The users list outlives the root: a new root finds the user by its id.
    const std::string guid = user->GetGUID();
    user.Reset();
    m_root.Reset();
    MakeRoot();
    auto again = Kiplink::RefPtr<Kiplink::IUser>::Adopt(m_root->FindUserByKiplinkId("id-1"));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->GetGUID(), guid);
    EXPECT_STREQ(again->GetAuthToken(), "t2");
}

TEST_F(UserTest, AccountRepliesReachTheListenersAndABadTokenIsDropped) {
    auto user = LoginAsGuest();
    ASSERT_TRUE(user);
    user->ChangeDisplayName("Neo");
    ASSERT_TRUE(PumpUntil([&] { return m_events->Count("displayName") == 1; }));
    EXPECT_EQ(m_events->Last("displayName")->code, 0);
    EXPECT_EQ(m_events->Last("displayName")->text, "(null)");
    EXPECT_STREQ(user->GetDisplayName(), "Neo");

    const struct {
        const char* what;
        Json::Value error;
        const char* text;
        bool dropsToken;
    } cases[] = {
        {"invalid token", [] { Json::Value e; e.append(7); e.append("invalid token"); return e; }(), "invalid token",
         true},
        {"user not found", [] { Json::Value e; e.append(7); e.append("user not found"); return e; }(),
         "user not found", true},
        {"another text", [] { Json::Value e; e.append(7); e.append("name taken"); return e; }(), "name taken", false},
        {"an object", [] { Json::Value e; e["code"] = 1; e["text"] = "no"; return e; }(), "error", false},
        {"a number", Json::Value(5), "error", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        user->SetLoginResult("token", user->GetKiplinkID(), false);
        m_events->events.clear();
        const Json::Value error = c.error;
        m_server->SetHandler("user", "changeDisplayName", [error](const ServiceCall&) {
            ServiceReply reply;
            reply.error = error;
            return reply;
        });
        user->ChangeDisplayName("Trinity");
        ASSERT_TRUE(PumpUntil([&] { return m_events->Count("displayName") == 1; }));
        ASSERT_GE(m_events->events.size(), 1u);
        EXPECT_EQ(m_events->events[0].what, "displayName");
        EXPECT_EQ(m_events->events[0].code, Kiplink::KIPLINKERROR_FAILED);
        EXPECT_EQ(m_events->events[0].text, c.text);
        EXPECT_EQ(m_events->Count("invalid"), c.dropsToken ? 1 : 0);
        if (c.dropsToken) {
            EXPECT_EQ(m_events->events.back().what, "invalid");
        }
        EXPECT_EQ(user->IsAuthenticated(), !c.dropsToken);
        EXPECT_STREQ(user->GetDisplayName(), "Neo");
    }
}

TEST_F(UserTest, LinkedAccountsCountFlagsAndTexts) {
    Varnok::Tools::ServerUserDef def;
    def.id = "member-1";
    def.token = "tok-member";
    def.email = "m@example.org";
    def.password = "pw";
    def.profile["displayName"] = "Zoë";  // raw UTF-8 from the server
    def.profile["isMember"] = 1;
    def.profile["linkedAccounts"]["facebook"] = true;
    def.profile["linkedAccounts"]["x"] = "s";
    def.profile["linkedAccounts"]["y"] = 1;
    def.profile["linkedAccounts"]["z"] = 2;
    def.profile["linkedAccountIds"]["facebook"] = "fb-9";
    def.profile["emailSubscriptions"]["news"] = 1;
    m_accounts.AddUser(def);

    auto auth = Kiplink::RefPtr<Kiplink::IAuthService>::Adopt(m_root->GetAuthService());
    auto fresh = Kiplink::RefPtr<Kiplink::IUser>::Adopt(m_root->CreateUser());
    auto request = Kiplink::RefPtr<Kiplink::ServiceRequest>::Adopt(
        auth->LoginWithEmail(fresh.Get(), "m@example.org", "pw", nullptr));
    request->Send();
    ASSERT_TRUE(PumpUntil([&] { return request->GetState() >= Kiplink::kServiceRequestSucceeded; }));
    ASSERT_EQ(request->GetState(), Kiplink::kServiceRequestSucceeded);
    auto user = Reload("member-1");
    ASSERT_TRUE(user);
    EXPECT_STREQ(user->GetDisplayName(), "Zoë");
    EXPECT_TRUE(user->IsRegisteredUser());
    EXPECT_EQ(user->GetLinkedAccountCount(), 3);
    EXPECT_TRUE(user->IsLinkedAccount("x"));
    EXPECT_FALSE(user->IsLinkedAccount("z"));
    EXPECT_STREQ(user->GetLinkedAccount(0), "facebook");
    EXPECT_STREQ(user->GetLinkedAccount(1), "y");
    EXPECT_EQ(user->GetLinkedAccount(2), nullptr);
    EXPECT_STREQ(user->GetLinkedAccountId("facebook"), "fb-9");
    EXPECT_TRUE(user->GetEmailSubscription("news"));
    EXPECT_FALSE(user->GetEmailSubscription("offers"));
}

TEST_F(UserTest, TheMergeQuestionLeavesOnceAfterBothUsersSynchronised) {
    auto asking = LoginAsGuest();
    auto other = LoginAsGuest();
    ASSERT_TRUE(asking && other);
    const size_t callsBefore = m_server->ReceivedCalls().size();
    asking->ShouldMergeWith(other->GetKiplinkID(), other->GetKiplinkID());
    ASSERT_TRUE(PumpUntil([&] { return m_events->Count("shouldMerge") == 1; }));
    for (int i = 0; i < 20; ++i) {
        Frame();
    }
    const auto calls = m_server->ReceivedCalls();
    std::vector<std::string> methods;
    for (size_t i = callsBefore; i < calls.size(); ++i) {
        methods.push_back(calls[i].method);
    }
    EXPECT_EQ(methods, (std::vector<std::string>{"sync", "sync", "shouldMerge"}));
    EXPECT_EQ(m_events->Count("shouldMerge"), 1);
    EXPECT_TRUE(m_events->Last("shouldMerge")->flag);
    EXPECT_EQ(m_events->Last("shouldMerge")->code, 0);

    // A user the root cannot find gets an answer too.
    asking->ShouldMergeWith("nobody-here", "x");
    EXPECT_EQ(m_events->Count("shouldMerge"), 2);
    EXPECT_FALSE(m_events->Last("shouldMerge")->flag);
    EXPECT_EQ(m_events->Last("shouldMerge")->code, Kiplink::KIPLINKERROR_REFUSED);
}

TEST_F(UserTest, AMergeAppliesTheReplyAsASync) {
    auto keeper = LoginAsGuest();
    auto leaver = LoginAsGuest();
    ASSERT_TRUE(keeper && leaver);
    leaver->SetMeta("badge", "gold");
    ASSERT_NE(SyncOnce(*leaver), nullptr);
    keeper->Merge(leaver->GetKiplinkID());
    ASSERT_TRUE(PumpUntil([&] { return m_events->Count("merge") == 1; }));
    EXPECT_EQ(m_events->Last("merge")->code, 0);
    EXPECT_STREQ(keeper->GetMeta("badge"), "gold");
}

class AuthTest : public UserTest {};

TEST_F(AuthTest, ALoginWithoutAPasswordSendsNone) {
    auto auth = Kiplink::RefPtr<Kiplink::IAuthService>::Adopt(m_root->GetAuthService());
    auto fresh = Kiplink::RefPtr<Kiplink::IUser>::Adopt(m_root->CreateUser());
    auto request = Kiplink::RefPtr<Kiplink::ServiceRequest>::Adopt(
        auth->LoginWithEmail(fresh.Get(), "a@example.org", nullptr, "last"));
    EXPECT_EQ(request->GetParam("password"), nullptr);
    EXPECT_STREQ(request->GetParam("method"), "email");
    // A user that cannot sync (not signed in) answers at once: the login
    // still goes out.
    request->Send();
    ASSERT_TRUE(PumpUntil([&] { return request->GetState() == Kiplink::kServiceRequestFailed; }));
    EXPECT_STREQ(request->GetResultString("error"), "invalid credentials");
    const auto logins = CallsTo("login");
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_FALSE(logins[0].params[0].isMember("password"));
    EXPECT_EQ(logins[0].params[0]["lastToken"].asString(), "last");
    EXPECT_EQ(logins[0].params[0]["productBuildId"].asString(), "build-7");
}

class CompletionCounter : public Kiplink::IAuthServiceCallbacks {
public:
    explicit CompletionCounter(Kiplink::AuthService* service) : m_service(service) {}
    void OnRequestCompleted(Kiplink::ServiceRequest*) override {
        ++calls;
        listedDuringCall = m_service->OutstandingCount();
    }
    int calls = 0;
    size_t listedDuringCall = 0;

private:
    Kiplink::AuthService* m_service;
};

TEST_F(AuthTest, ALogoutGoesAtOnceAndStaysListedUntilTheUpdateAfterItsReply) {
    auto user = LoginAsGuest();
    ASSERT_TRUE(user);
    auto auth = Kiplink::RefPtr<Kiplink::IAuthService>::Adopt(m_root->GetAuthService());
    auto* service = static_cast<Kiplink::AuthService*>(auth.Get());
    Kiplink::RefPtr<CompletionCounter> counter(new CompletionCounter(service));
    auth->AddCallbacks(counter.Get());
    auto request = Kiplink::RefPtr<Kiplink::ServiceRequest>::Adopt(auth->Logout(user->GetAuthToken()));
    const size_t pendingBefore = m_root->Pending().Size();
    request->Send();
    request->Send();  // a second send sends nothing
    EXPECT_EQ(m_root->Pending().Size(), pendingBefore + 1);
    EXPECT_EQ(service->OutstandingCount(), 1u);
    ASSERT_TRUE(PumpUntil([&] { return counter->calls == 1; }));
    EXPECT_EQ(counter->listedDuringCall, 1u);
    EXPECT_EQ(request->GetState(), Kiplink::kServiceRequestSucceeded);
    Frame();
    EXPECT_EQ(service->OutstandingCount(), 0u);
    EXPECT_EQ(CallsTo("logout").size(), 1u);
}

}  // namespace
}  // namespace OnlineTest
