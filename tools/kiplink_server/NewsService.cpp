#include "tools/kiplink_server/NewsService.h"

#include <utility>

namespace Varnok {
namespace Tools {

void NewsService::Install(KiplinkServer& server) {
    server.SetHandler("news", "sync", [this](const ServiceCall& call) { return Sync(call); });
}

void NewsService::SetItems(Json::Value items) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_items = std::move(items);
    m_hash = "news-" + std::to_string(++m_version);
}

void NewsService::SetTtl(int seconds) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ttl = seconds;
}

std::set<std::string> NewsService::ReadBy(const std::string& userId) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_read.find(userId);
    return found != m_read.end() ? found->second : std::set<std::string>();
}

ServiceReply NewsService::Sync(const ServiceCall& call) {
    const Json::Value& p = call.params;
    if (!p.isArray() || p.size() < 5 || !p[0].isString() || !p[3].isString()) {
        return ServiceReply::Error("bad parameters");
    }
    const std::string user = m_users.IdOfToken(p[0].asString());
    if (user.empty()) {
        return ServiceReply::Error("invalid token");
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    std::set<std::string>& read = m_read[user];
    if (p[4].isObject()) {
        for (const std::string& id : p[4].getMemberNames()) {
            if (p[4][id].asBool()) {
                read.insert(id);
            }
        }
    }
    Json::Value result(Json::objectValue);
    result["hash"] = m_hash;
    if (p[3].asString() == m_hash) {
        result["news"] = Json::Value();
    } else {
        result["news"] = m_items;
        // Only read items carry "read": the client counts the member of
        // either value as read.
        for (Json::Value& item : result["news"]) {
            if (read.count(item["id"].asString()) != 0) {
                item["read"] = true;
            }
        }
    }
    result["readNews"] = Json::Value(Json::objectValue);
    for (const std::string& id : read) {
        result["readNews"][id] = true;
    }
    ServiceReply reply = ServiceReply::Result(result);
    reply.extra["ttl"] = m_ttl;
    return reply;
}

}  // namespace Tools
}  // namespace Varnok
