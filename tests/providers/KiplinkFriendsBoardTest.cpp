// Friends lists and friend leaderboards against the server: the shared
// player pool, replies that keep what the client holds, score replies that
// answer their own submission, and achievement progress as transactions.
#include "kiplink/Public/IFriends.h"
#include "kiplink/Public/ILeaderboards.h"
#include "kiplink/Source/Leaderboards.h"
#include "tests/providers/AccountFixture.h"
#include "tools/kiplink_server/FriendsService.h"

#include <fstream>

namespace OnlineTest {
namespace {

using Varnok::Tools::ServiceCall;
using Varnok::Tools::ServiceReply;

template <class T>
Kiplink::RefPtr<T> Adopt(T* object) {
    return Kiplink::RefPtr<T>::Adopt(object);
}

Json::Value Player(const std::string& id, const std::string& name) {
    Json::Value p;
    p["kiplinkId"] = id;
    p["displayName"] = name;
    p["providerIds"]["facebook"] = "fb-" + id;
    return p;
}

class FriendEvents : public Kiplink::IFriendsCallbacks {
public:
    void OnUpdateGlobal(uint32_t, Kiplink::IFriends*, const char* error) override {
        global.push_back(error != nullptr ? error : "(null)");
    }
    void OnUpdateProduct(uint32_t, Kiplink::IFriends*, const char* error) override {
        product.push_back(error != nullptr ? error : "(null)");
    }
    std::vector<std::string> global, product;
};

class BoardEvents : public Kiplink::IUserLeaderboardCallbacks, public Kiplink::ILeaderboardProviderCallbacks {
public:
    void OnFriendsLeaderboardUpdate(const char* error, Kiplink::IUserLeaderboard*) override {
        updates.push_back(error != nullptr ? error : "(null)");
    }
    void OnScoreSubmitted(uint32_t callId, const char* error) override {
        scores.emplace_back(callId, error != nullptr ? error : "(null)");
    }
    std::vector<std::string> updates;
    std::vector<std::pair<uint32_t, std::string>> scores;

    // Two bases, one count: the listener sets see one object.
    int Reference() const override { return ++m_count; }
    int Release() const override {
        if (--m_count == 0) {
            delete this;
            return 0;
        }
        return m_count;
    }
    int GetRefCount() const override { return m_count; }

private:
    mutable int m_count = 0;
};

class FriendsBoardTest : public AccountFixture {
protected:
    void SetUp() override {
        AccountFixture::SetUp();
        m_social.Install(*m_server);
        m_social.AddPlayer(Player("a", "Ann"));
        m_social.AddPlayer(Player("b", "Bob"));
        MakeRoot();
        m_user = LoginAsGuest();
        ASSERT_TRUE(m_user);
        m_id = m_user->GetKiplinkID();
    }
    void TearDown() override {
        m_user.Reset();
        AccountFixture::TearDown();
    }

    Varnok::Tools::FriendsService m_social{m_accounts};
    Kiplink::RefPtr<Kiplink::UserImpl> m_user;
    std::string m_id;
};

TEST_F(FriendsBoardTest, FamilyFriendsAreGlobalFriendsAndObjectRepliesKeepTheList) {
    m_social.AddGlobalFriend(m_id, "a");
    m_social.AddFamilyFriend(m_id, "a");
    m_social.AddFamilyFriend(m_id, "b");
    auto provider = Adopt(m_root->GetFriendsProvider());
    auto friends = Adopt(provider->GetFriends(m_user.Get()));
    Kiplink::RefPtr<FriendEvents> events(new FriendEvents);
    friends->AddCallbacks(events.Get());

    friends->GetGlobalFriends(nullptr);
    ASSERT_TRUE(PumpUntil([&] { return events->global.size() == 1; }));
    ASSERT_EQ(friends->GetGlobalFriendCount(), 1);
    friends->GetProductFamilyFriends(nullptr);
    ASSERT_TRUE(PumpUntil([&] { return events->product.size() == 1; }));
    EXPECT_EQ(friends->GetProductFamilyFriendCount(), 2);
    ASSERT_EQ(friends->GetGlobalFriendCount(), 2);
    EXPECT_STREQ(Adopt(friends->GetGlobalFriend(1))->GetDisplayName(), "Bob");
    EXPECT_EQ(friends->GetGlobalFriend(2), nullptr);
    auto found = Adopt(friends->FindGlobalFriend("facebook", "fb-b"));
    ASSERT_TRUE(found);
    EXPECT_EQ(found.Get(), Adopt(friends->GetProductFamilyFriend(1)).Get());  // one profile per player

    // A result that is no list: the list stays, the cache takes it, and the
    // listeners hear of a success.
    m_server->SetHandler("friends", "getGlobalFriends", [](const ServiceCall&) {
        Json::Value odd;
        odd["unexpected"] = true;
        return ServiceReply::Result(odd);
    });
    friends->GetGlobalFriends(nullptr);
    ASSERT_TRUE(PumpUntil([&] { return events->global.size() == 2; }));
    EXPECT_EQ(events->global.back(), "(null)");
    EXPECT_EQ(friends->GetGlobalFriendCount(), 2);

    // Failures say "response failed" and leave the lists.
    m_server->InjectFault(Varnok::Tools::Fault::ErrorText("down").For("friends"));
    friends->GetGlobalFriends(nullptr);
    ASSERT_TRUE(PumpUntil([&] { return events->global.size() == 3; }));
    EXPECT_EQ(events->global.back(), "response failed");
    EXPECT_EQ(friends->GetGlobalFriendCount(), 2);
}

TEST_F(FriendsBoardTest, LeaderboardRepliesRenamePooledPlayersAndFriendsRepliesDoNot) {
    m_social.AddGlobalFriend(m_id, "a");
    auto friends = Adopt(Adopt(m_root->GetFriendsProvider())->GetFriends(m_user.Get()));
    Kiplink::RefPtr<FriendEvents> events(new FriendEvents);
    friends->AddCallbacks(events.Get());
    friends->GetGlobalFriends(nullptr);
    ASSERT_TRUE(PumpUntil([&] { return events->global.size() == 1; }));
    auto ann = Adopt(friends->GetGlobalFriend(0));

    m_social.AddPlayer(Player("a", "Annie"));
    friends->GetGlobalFriends(nullptr);
    ASSERT_TRUE(PumpUntil([&] { return events->global.size() == 2; }));
    EXPECT_STREQ(ann->GetDisplayName(), "Ann");

    m_social.SetScore("CLASSIC_SCORES", "weekly", "a", 70);
    m_social.SetScore("CLASSIC_SCORES", "weekly", "b", 90);  // not a friend: left out
    Kiplink::RefPtr<Kiplink::LeaderboardImpl> board(new Kiplink::LeaderboardImpl(m_root.Get(), "CLASSIC_SCORES"));
    auto weekly = Adopt(board->GetUserLeaderboard(m_user.Get(), "weekly", false, true));
    Kiplink::RefPtr<BoardEvents> boardEvents(new BoardEvents);
    weekly->AddCallbacks(boardEvents.Get());
    weekly->GetFriendLeaderboard();
    EXPECT_FALSE(weekly->IsLoaded());
    ASSERT_TRUE(PumpUntil([&] { return boardEvents->updates.size() == 1; }));
    EXPECT_TRUE(weekly->IsLoaded());
    ASSERT_EQ(weekly->GetEntryCount(), 1);
    EXPECT_EQ(Adopt(weekly->GetEntry(0)->GetUser()).Get(), static_cast<Kiplink::IUserProfile*>(ann.Get()));
    EXPECT_STREQ(ann->GetDisplayName(), "Annie");
    EXPECT_EQ(weekly->GetEntry(0)->GetScore(), 70);
    EXPECT_EQ(weekly->GetEntry(1), nullptr);
    const auto calls = m_server->ReceivedCalls();
    EXPECT_EQ(calls.back().params[4].asString(), "weekly");
    EXPECT_TRUE(calls.back().params[5].asBool());

    // An object result keeps the entries; rows without an id are skipped.
    m_server->SetHandler("leaderboards", "getFriendLeaderboard", [](const ServiceCall&) {
        return ServiceReply::Result(Json::Value(Json::objectValue));
    });
    weekly->GetFriendLeaderboard();
    ASSERT_TRUE(PumpUntil([&] { return boardEvents->updates.size() == 2; }));
    EXPECT_EQ(boardEvents->updates.back(), "internal server error");
    EXPECT_EQ(weekly->GetEntryCount(), 1);
    m_server->SetHandler("leaderboards", "getFriendLeaderboard", [](const ServiceCall&) {
        Json::Value rows;
        rows.append(Json::Value(Json::objectValue));  // no id
        Json::Value nullId;
        nullId["kiplinkId"] = Json::Value();
        rows.append(nullId);
        Json::Value numeric;
        numeric["kiplinkId"] = 42;
        numeric["score"] = 5;
        rows.append(numeric);
        return ServiceReply::Result(rows);
    });
    weekly->GetFriendLeaderboard();
    ASSERT_TRUE(PumpUntil([&] { return boardEvents->updates.size() == 3; }));
    ASSERT_EQ(weekly->GetEntryCount(), 1);
    EXPECT_STREQ(Adopt(weekly->GetEntry(0)->GetUser())->GetProviderId("kiplinkId"), "42");

    // The cache brings the last list back in a new board object.
    weekly.Reset();
    Kiplink::RefPtr<Kiplink::LeaderboardImpl> again(new Kiplink::LeaderboardImpl(m_root.Get(), "CLASSIC_SCORES"));
    auto cached = Adopt(again->GetUserLeaderboard(m_user.Get(), "weekly", false, true));
    EXPECT_TRUE(cached->IsLoaded());
    EXPECT_EQ(cached->GetEntryCount(), 1);
}

TEST_F(FriendsBoardTest, AScoreReplyAnswersItsOwnSubmission) {
    auto scores = Adopt(m_root->GetLeaderboardProvider());
    Kiplink::RefPtr<BoardEvents> events(new BoardEvents);
    scores->AddCallbacks(static_cast<Kiplink::ILeaderboardProviderCallbacks*>(events.Get()));
    auto guest = Adopt(m_root->CreateUser());  // no token
    const uint32_t first = scores->SubmitScore(guest.Get(), "CLASSIC_SCORES", 120, nullptr, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return events->scores.size() == 1; }));
    EXPECT_EQ(events->scores[0], std::make_pair(first, std::string("invalid token")));
    const Json::Value sent = m_server->ReceivedCalls().back().params;
    ASSERT_EQ(sent.size(), 6u);
    EXPECT_EQ(sent[0].asString(), "");
    EXPECT_EQ(sent[4].asInt(), 120);
    EXPECT_TRUE(sent[5].isNull());

    const struct {
        const char* what;
        Json::Value error;
        const char* text;
    } cases[] = {
        {"array with a text", [] { Json::Value e; e.append(3); e.append("board closed"); return e; }(), "board closed"},
        {"array with a number", [] { Json::Value e; e.append(3); e.append(17); return e; }(), "17"},
        {"plain string", Json::Value("board closed"), "error"},
        {"short array", [] { Json::Value e; e.append(3); return e; }(), "error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Json::Value error = c.error;
        m_server->SetHandler("leaderboards", "submitScoreFriendLeaderboard", [error](const ServiceCall&) {
            ServiceReply reply;
            reply.error = error;
            return reply;
        });
        events->scores.clear();
        uint32_t id = 0;
        scores->SubmitScore(m_user.Get(), "CLASSIC_SCORES", 1, nullptr, &id);
        ASSERT_TRUE(PumpUntil([&] { return events->scores.size() == 1; }));
        EXPECT_EQ(events->scores[0].first, id);
        EXPECT_EQ(events->scores[0].second, c.text);
    }
}

TEST_F(FriendsBoardTest, PictureFilesNeverLeaveTheirFolder) {
    Json::Value sneaky = Player("../../escape", "Eve");
    sneaky["profileImage"] = m_server->StaticUrl() + "Items_2.offline";
    m_social.AddPlayer(sneaky);
    m_social.AddGlobalFriend(m_id, "../../escape");
    auto friends = Adopt(Adopt(m_root->GetFriendsProvider())->GetFriends(m_user.Get()));
    Kiplink::RefPtr<FriendEvents> events(new FriendEvents);
    friends->AddCallbacks(events.Get());
    friends->GetGlobalFriends(nullptr);
    ASSERT_TRUE(PumpUntil([&] { return events->global.size() == 1; }));
    auto eve = Adopt(friends->GetGlobalFriend(0));
    ASSERT_TRUE(eve);
    EXPECT_FALSE(eve->FindCachedPicture());
    eve->LoadPicture(true);
    EXPECT_FALSE(eve->IsLoadingPicture());
    EXPECT_EQ(m_root->Downloads().QueuedCount(), 0u);
}

TEST_F(FriendsBoardTest, AchievementProgressIsATransactionAndOutlivesItsProvider) {
    Kiplink::RefPtr<Kiplink::IAchievementProgress> progress;
    {
        Kiplink::RefPtr<Kiplink::AchievementProviderImpl> provider(new Kiplink::AchievementProviderImpl(m_root.Get()));
        progress = Adopt(provider->GetProgress(m_user.Get()));
        m_user->BeginTransaction();
        EXPECT_EQ(progress->AddProgress("first_slice", 3), 3);
        m_user->EndTransaction();
        EXPECT_EQ(m_user->Pending().Size(), 1u);
    }
    // The provider is gone; its forwarder must not reach it.
    EXPECT_EQ(progress->AddProgress("first_slice", -1), 2);  // a batch of its own
    EXPECT_EQ(progress->AddProgress("first_slice", -5), 2);  // refused: below zero
    EXPECT_EQ(progress->GetProgress("never_touched"), 0);
    ASSERT_NE(SyncOnce(*m_user), nullptr);
    EXPECT_EQ(m_accounts.GameData(m_id)["achievements"]["first_slice"]["progress"].asInt(), 2);
}

}  // namespace
}  // namespace OnlineTest
