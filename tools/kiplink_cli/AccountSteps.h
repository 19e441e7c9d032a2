// The steps of accounts, sync, friends, scores, leagues, news and time,
// with the server's side of them installed on the cli's server.
//   guest-login                 signs a new guest in and makes it current
//   meta <key> <value>          a metadata change of the current user
//   achievement <id> <n>        achievement progress, as a transaction
//   inventory <id> <n>          an inventory add, as a transaction
//   sync                        synchronises and prints the three lists
//   reload                      the current user again after a restart
//   display-name <name>         the account operation
//   friends | family            fetches a friends list
//   add-friend <id> <name>      a player on the server, friend of the user
//   score <board> <n>           submits a score
//   board <board> <span>        fetches a friend leaderboard
//   news-item <id> <title>      a TEXT item on the server
//   news                        synchronises the user's news board
//   league <method> [arg]       one of the league calls
//   server-time                 the client's estimate
#pragma once

#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/UserImpl.h"
#include "tools/kiplink_server/FriendsService.h"
#include "tools/kiplink_server/KiplinkServer.h"
#include "tools/kiplink_server/LeagueService.h"
#include "tools/kiplink_server/NewsService.h"
#include "tools/kiplink_server/UserService.h"

#include <functional>
#include <string>

namespace Varnok {
namespace Tools {

class AccountSteps {
public:
    using Pump = std::function<bool(const std::function<bool()>& done)>;

    explicit AccountSteps(KiplinkServer& server);
    // False when the verb is none of these steps.
    bool Run(const std::string& verb, const std::string& rest, Kiplink::KiplinkProviderImpl* root, const Pump& pump);
    // The root is going away: drop what belongs to it.
    void Forget() { m_user.Reset(); }

private:
    bool NeedUser();
    void Transaction(Kiplink::KiplinkProviderImpl* root, const std::string& kind, const std::string& rest);

    UserService m_users;
    FriendsService m_friends{m_users};
    LeagueService m_leagues{m_users};
    NewsService m_news{m_users};
    Json::Value m_newsItems = Json::Value(Json::arrayValue);
    Kiplink::RefPtr<Kiplink::UserImpl> m_user;
    std::string m_userId;
};

}  // namespace Tools
}  // namespace Varnok
