// The server's "news" "sync": (token, device id, build id, hash, {id: true}
// of the items read). Answers the items and their hash unless the client
// already holds that hash ("news" null then), the ids this user has read
// as "readNews", and a top-level "ttl".
#pragma once

#include "tools/kiplink_server/KiplinkServer.h"
#include "tools/kiplink_server/UserService.h"

#include <json/json.h>

#include <map>
#include <mutex>
#include <set>
#include <string>

namespace Varnok {
namespace Tools {

class NewsService {
public:
    explicit NewsService(const UserService& users) : m_users(users) {}
    void Install(KiplinkServer& server);

    // An array of item objects ("id", "title", "type", "published", ...).
    void SetItems(Json::Value items);
    void SetTtl(int seconds);
    std::set<std::string> ReadBy(const std::string& userId) const;

private:
    ServiceReply Sync(const ServiceCall& call);

    const UserService& m_users;
    mutable std::mutex m_mutex;
    Json::Value m_items = Json::Value(Json::arrayValue);
    std::string m_hash = "news-0";
    int m_version = 0;
    int m_ttl = 60;
    std::map<std::string, std::set<std::string>> m_read;
};

}  // namespace Tools
}  // namespace Varnok
