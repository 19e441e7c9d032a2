#include "tools/kiplink_cli/AccountSteps.h"

#include "engine/core/NetworkAvailabilityMonitor.h"
#include "kiplink/Public/IAuthService.h"
#include "kiplink/Public/IFriends.h"
#include "kiplink/Public/ILeaderboards.h"
#include "kiplink/Public/ILeagueProvider.h"
#include "kiplink/Public/INews.h"
#include "kiplink/Public/ITimeService.h"
#include "kiplink/Source/Leaderboards.h"
#include "kiplink/Source/Transaction.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace Varnok {
namespace Tools {

namespace {

template <class T>
Kiplink::RefPtr<T> Adopt(T* object) {
    return Kiplink::RefPtr<T>::Adopt(object);
}

const char* Text(const char* text) { return text != nullptr ? text : "(null)"; }

class Outcomes : public Kiplink::IUserCallbacks,
                 public Kiplink::IFriendsCallbacks,
                 public Kiplink::IUserLeaderboardCallbacks,
                 public Kiplink::ILeaderboardProviderCallbacks,
                 public Kiplink::ILeagueProviderCallbacks,
                 public Kiplink::INewsBoardCallbacks {
public:
    void OnSynchronize(Kiplink::IUser*, Kiplink::KIPLINKERROR code, const char* text) override {
        Say("sync: code %d, %s", code, text);
    }
    void OnChangeDisplayName(Kiplink::IUser*, Kiplink::KIPLINKERROR code, const char* text) override {
        Say("display-name: code %d, %s", code, text);
    }
    void OnInvalidAuthentication(Kiplink::IUser*) override { std::printf("user: token dropped\n"); }
    void OnUpdateGlobal(uint32_t, Kiplink::IFriends* friends, const char* error) override {
        Say("friends: %d global, %s", friends->GetGlobalFriendCount(), error);
    }
    void OnUpdateProduct(uint32_t, Kiplink::IFriends* friends, const char* error) override {
        Say("family: %d family, %s", friends->GetProductFamilyFriendCount(), error);
    }
    void OnFriendsLeaderboardUpdate(const char* error, Kiplink::IUserLeaderboard* board) override {
        std::printf("board: %d entries, %s\n", board->GetEntryCount(), Text(error));
        for (int i = 0; i < board->GetEntryCount(); ++i) {
            auto player = Adopt(board->GetEntry(i)->GetUser());
            std::printf("  %s %d\n", player->GetDisplayName(), board->GetEntry(i)->GetScore());
        }
        done = true;
    }
    void OnScoreSubmitted(uint32_t callId, const char* error) override { Say("score: call %u, %s", callId, error); }
    void OnLeagueCall(const Kiplink::IValue& error, const Kiplink::IValue& result) {
        Kiplink::TextBuffer* e = error.ToText();
        Kiplink::TextBuffer* r = result.ToText();
        std::printf("league: error %s, result %s\n", e->GetText(), r->GetText());
        e->Release();
        r->Release();
        done = true;
    }
#define KIPLINK_CLI_LEAGUE(name) \
    void name(Kiplink::ILeagueProvider*, uint32_t, const Kiplink::IValue& e, const Kiplink::IValue& r) override { \
        OnLeagueCall(e, r);                                                                                       \
    }
    KIPLINK_CLI_LEAGUE(OnLeagueData)
    KIPLINK_CLI_LEAGUE(OnRecentActivity)
    KIPLINK_CLI_LEAGUE(OnRecommendedLeague)
    KIPLINK_CLI_LEAGUE(OnTopLeagues)
    KIPLINK_CLI_LEAGUE(OnUserInfo)
    KIPLINK_CLI_LEAGUE(OnUserLeague)
    KIPLINK_CLI_LEAGUE(OnJoinLeague)
    KIPLINK_CLI_LEAGUE(OnLeaveLeague)
    KIPLINK_CLI_LEAGUE(OnUpdateLeagueScore)
    KIPLINK_CLI_LEAGUE(OnUpdateUser)
#undef KIPLINK_CLI_LEAGUE
    void OnSync(const char* error, Kiplink::INewsBoard* board, int32_t ttl) override {
        std::printf("news: %d items, %d read, ttl %d, %s\n", board->GetNewsCount(), board->GetReadCount(), ttl,
                    Text(error));
        done = true;
    }

    int Reference() const override { return ++m_count; }
    int Release() const override {
        if (--m_count == 0) {
            delete this;
            return 0;
        }
        return m_count;
    }
    int GetRefCount() const override { return m_count; }

    bool done = false;

private:
    void Say(const char* format, int number, const char* text) {
        std::printf(format, number, Text(text));
        std::printf("\n");
        done = true;
    }
    void Say(const char* format, uint32_t number, const char* text) { Say(format, static_cast<int>(number), text); }
    mutable int m_count = 0;
};

}  // namespace

AccountSteps::AccountSteps(KiplinkServer& server) {
    m_users.Install(server);
    m_friends.Install(server);
    m_leagues.Install(server);
    m_news.Install(server);
    // The cli talks to its own server on loopback, which is always there.
    NetworkAvailabilityMonitor::InstallInternetProbe([] { return kNetworkReachable; });
}

bool AccountSteps::NeedUser() {
    if (!m_user) {
        std::printf("no user: run guest-login first\n");
    }
    return static_cast<bool>(m_user);
}

void AccountSteps::Transaction(Kiplink::KiplinkProviderImpl* root, const std::string& kind, const std::string& rest) {
    std::istringstream in(rest);
    std::string id;
    int amount = 0;
    in >> id >> amount;
    m_user->BeginTransaction();
    auto batch = Adopt(m_user->GetOpenTransaction());
    if (kind == "achievement") {
        batch->Add(new Kiplink::Transaction_AchievementAdd(root, id, amount));
    } else {
        batch->Add(new Kiplink::Transaction_InventoryAdd(root, id, amount));
    }
    m_user->EndTransaction();
    std::printf("%s: %s %+d, %zu pending\n", kind.c_str(), id.c_str(), amount, m_user->Pending().Size());
}

bool AccountSteps::Run(const std::string& verb, const std::string& rest, Kiplink::KiplinkProviderImpl* root,
                       const Pump& pump) {
    Kiplink::RefPtr<Outcomes> outcomes(new Outcomes);
    std::istringstream args(rest);
    std::string first, second;
    args >> first;
    std::getline(args >> std::ws, second);
    if (verb == "guest-login") {
        auto auth = Adopt(root->GetAuthService());
        auto fresh = Adopt(root->CreateUser());
        auto request = Adopt(auth->LoginAsGuest(fresh.Get()));
        request->Send();
        pump([&] { return request->GetState() >= Kiplink::kServiceRequestSucceeded; });
        const char* id = request->GetResultString("id");
        std::printf("guest-login: state %d, id %s\n", request->GetState(), Text(id));
        if (id != nullptr) {
            m_userId = id;
            m_user = static_cast<Kiplink::UserImpl*>(Adopt(root->FindUserByKiplinkId(id)).Get());
        }
    } else if (verb == "reload") {
        m_user = static_cast<Kiplink::UserImpl*>(Adopt(root->FindUserByKiplinkId(m_userId.c_str())).Get());
        std::printf("reload: %s, %zu pending, %zu sent\n", m_user ? "found" : "missing",
                    m_user ? m_user->Pending().Size() : 0, m_user ? m_user->Sent().Size() : 0);
    } else if (verb == "meta") {
        if (NeedUser()) {
            m_user->SetMeta(first.c_str(), second.c_str());
            std::printf("meta: %s = %s\n", first.c_str(), m_user->GetMeta(first.c_str()));
        }
    } else if (verb == "achievement" || verb == "inventory") {
        if (NeedUser()) {
            Transaction(root, verb, rest);
        }
    } else if (verb == "sync") {
        if (NeedUser()) {
            m_user->AddCallbacks(outcomes.Get());
            m_user->Synchronize();
            pump([&] { return outcomes->done; });
            m_user->RemoveCallbacks(outcomes.Get());
            std::printf("lists: %zu pending, %zu sent, %zu verified; server data %s", m_user->Pending().Size(),
                        m_user->Sent().Size(), m_user->Verified().Size(),
                        Json::FastWriter().write(m_users.GameData(m_userId)).c_str());
        }
    } else if (verb == "display-name") {
        if (NeedUser()) {
            m_user->AddCallbacks(outcomes.Get());
            m_user->ChangeDisplayName(rest.c_str());
            pump([&] { return outcomes->done; });
            m_user->RemoveCallbacks(outcomes.Get());
        }
    } else if (verb == "add-friend") {
        Json::Value player;
        player["kiplinkId"] = first;
        player["displayName"] = second;
        m_friends.AddPlayer(player);
        m_friends.AddGlobalFriend(m_userId, first);
        m_friends.SetScore("CLASSIC_SCORES", "weekly", first, static_cast<int>(first.size()) * 100);
        std::printf("add-friend: %s\n", first.c_str());
    } else if (verb == "friends" || verb == "family") {
        if (NeedUser()) {
            auto friends = Adopt(Adopt(root->GetFriendsProvider())->GetFriends(m_user.Get()));
            friends->AddCallbacks(outcomes.Get());
            verb == "friends" ? friends->GetGlobalFriends(nullptr) : friends->GetProductFamilyFriends(nullptr);
            pump([&] { return outcomes->done; });
            friends->RemoveCallbacks(outcomes.Get());
        }
    } else if (verb == "score") {
        if (NeedUser()) {
            auto scores = Adopt(root->GetLeaderboardProvider());
            scores->AddCallbacks(outcomes.Get());
            scores->SubmitScore(m_user.Get(), first.c_str(), std::atoi(second.c_str()), nullptr, nullptr);
            pump([&] { return outcomes->done; });
            scores->RemoveCallbacks(outcomes.Get());
        }
    } else if (verb == "board") {
        if (NeedUser()) {
            Kiplink::RefPtr<Kiplink::LeaderboardImpl> board(new Kiplink::LeaderboardImpl(root, first));
            auto userBoard = Adopt(board->GetUserLeaderboard(m_user.Get(), second.c_str(), false, false));
            userBoard->AddCallbacks(outcomes.Get());
            userBoard->GetFriendLeaderboard();
            pump([&] { return outcomes->done; });
            userBoard->RemoveCallbacks(outcomes.Get());
        }
    } else if (verb == "news-item") {
        Json::Value item;
        item["id"] = first;
        item["title"] = second;
        item["type"] = "TEXT";
        item["published"] = static_cast<int>(m_newsItems.size()) + 1;
        item["content"]["text"] = second;
        m_newsItems.append(item);
        m_news.SetItems(m_newsItems);
        std::printf("news-item: %s\n", first.c_str());
    } else if (verb == "news") {
        if (NeedUser()) {
            auto board = Adopt(Adopt(root->GetNewsProvider())->GetNewsBoard(m_user.Get()));
            board->AddCallbacks(outcomes.Get());
            board->Sync();
            pump([&] { return outcomes->done; });
            board->RemoveCallbacks(outcomes.Get());
        }
    } else if (verb == "league") {
        if (NeedUser()) {
            auto leagues = Adopt(root->GetLeagueProvider());
            leagues->AddCallbacks(outcomes.Get());
            if (first == "join") {
                leagues->JoinLeague(m_user.Get(), nullptr, second.c_str());
            } else if (first == "mine") {
                leagues->GetUserLeague(m_user.Get(), nullptr);
            } else if (first == "top") {
                leagues->GetTopLeagues(m_user.Get(), nullptr);
            } else {
                leagues->UpdateLeagueScore(m_user.Get(), nullptr, std::atoi(second.c_str()), nullptr);
            }
            pump([&] { return outcomes->done; });
            leagues->RemoveCallbacks(outcomes.Get());
        }
    } else if (verb == "server-time") {
        auto time = Adopt(root->GetTimeService());
        pump([&] { return time->IsValid(); });
        std::printf("server-time: %s\n", time->IsValid() ? "valid" : "not valid");
    } else {
        return false;
    }
    return true;
}

}  // namespace Tools
}  // namespace Varnok
