// The server's friends graph ("friends" "getGlobalFriends" and
// "getProductFamilyFriends") and friend leaderboards ("leaderboards"
// "submitScoreFriendLeaderboard" and "getFriendLeaderboard"). Calls start
// (token, device id, build id); an unknown token is refused.
#pragma once

#include "tools/kiplink_server/KiplinkServer.h"
#include "tools/kiplink_server/UserService.h"

#include <json/json.h>

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace Varnok {
namespace Tools {

class FriendsService {
public:
    explicit FriendsService(const UserService& users) : m_users(users) {}
    void Install(KiplinkServer& server);

    // Profiles of players that are not signed-in users ("kiplinkId" keyed).
    void AddPlayer(Json::Value profile);
    void AddGlobalFriend(const std::string& of, const std::string& friendId);
    void AddFamilyFriend(const std::string& of, const std::string& friendId);
    // Scores as submitted: the best per player, board and span.
    void SetScore(const std::string& board, const std::string& span, const std::string& player, int score);
    Json::Value Submissions() const;

private:
    ServiceReply Friends(const ServiceCall& call, bool family);
    ServiceReply Submit(const ServiceCall& call);
    ServiceReply Board(const ServiceCall& call);
    Json::Value ProfileOf(const std::string& id) const;  // Requires: m_mutex held

    const UserService& m_users;
    mutable std::mutex m_mutex;
    std::map<std::string, Json::Value> m_players;
    std::map<std::string, std::vector<std::string>> m_global;
    std::map<std::string, std::vector<std::string>> m_family;
    std::map<std::string, std::map<std::string, int>> m_scores;  // "board/span": player: score
    Json::Value m_submissions = Json::Value(Json::arrayValue);
};

}  // namespace Tools
}  // namespace Varnok
