// The server's "leagues" calls over a fixed set of leagues: every call
// starts (token, device id, build id) and is refused for an unknown token.
#pragma once

#include "tools/kiplink_server/KiplinkServer.h"
#include "tools/kiplink_server/UserService.h"

#include <json/json.h>

#include <map>
#include <mutex>
#include <string>

namespace Varnok {
namespace Tools {

class LeagueService {
public:
    // Two leagues, "bronze" and "silver", until SetLeagues.
    explicit LeagueService(const UserService& users);
    void Install(KiplinkServer& server);

    // An array of {"id", "name", ...} objects.
    void SetLeagues(Json::Value leagues);
    Json::Value Members(const std::string& leagueId) const;

private:
    ServiceReply Handle(const ServiceCall& call);

    const UserService& m_users;
    mutable std::mutex m_mutex;
    Json::Value m_leagues;
    std::map<std::string, std::string> m_leagueOf;  // user id: league id
    std::map<std::string, Json::Value> m_userData;  // user id: last updateUser data
    std::map<std::string, int> m_scores;           // user id: best score
};

}  // namespace Tools
}  // namespace Varnok
