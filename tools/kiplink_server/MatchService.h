// Asynchronous matches on the protocol server: "async_game" (create, join,
// leave, start, end, get, delete, updateGameData), "async_user" (list and
// the invitation lists) and "async_lobbies" "list", paged with an exclusive
// start key (the last match id of the page). Until accounts exist the caller
// is known by the token it sends as the first parameter.
#pragma once

#include "tools/kiplink_server/KiplinkServer.h"

#include <json/json.h>

#include <map>
#include <mutex>
#include <string>

namespace Varnok {
namespace Tools {

class MatchService {
public:
    // Registers the handlers; the service must outlive the server's use.
    void Install(KiplinkServer& server);

    // Test set-up: count open lobbies of a game type owned by owner, with ids
    // prefix + number; a full match when maxUsers equals its one user.
    void AddLobbies(const std::string& gameType, int count, const std::string& owner,
                    const std::string& prefix = "m", int maxUsers = 4);
    Json::Value Match(const std::string& matchId) const;  // null when none
    size_t MatchCount() const;

private:
    ServiceReply Create(const std::string& caller, const Json::Value& parameters);
    ServiceReply Change(const std::string& method, const std::string& caller, const Json::Value& parameters);
    ServiceReply ListLobbies(const Json::Value& parameters) const;
    ServiceReply ListUser(const std::string& caller) const;
    ServiceReply ChangeList(bool add, const std::string& caller, const Json::Value& parameters);

    mutable std::mutex m_mutex;
    std::map<std::string, Json::Value> m_matches;  // by id, so pages come in id order
    int m_nextId = 1;
};

}  // namespace Tools
}  // namespace Varnok
