#include "tools/kiplink_server/FriendsService.h"

#include <algorithm>
#include <utility>

namespace Varnok {
namespace Tools {

void FriendsService::Install(KiplinkServer& server) {
    server.SetHandler("friends", "getGlobalFriends", [this](const ServiceCall& call) { return Friends(call, false); });
    server.SetHandler("friends", "getProductFamilyFriends",
                      [this](const ServiceCall& call) { return Friends(call, true); });
    server.SetHandler("leaderboards", "submitScoreFriendLeaderboard",
                      [this](const ServiceCall& call) { return Submit(call); });
    server.SetHandler("leaderboards", "getFriendLeaderboard", [this](const ServiceCall& call) { return Board(call); });
}

void FriendsService::AddPlayer(Json::Value profile) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string id = profile["kiplinkId"].asString();
    m_players[id] = std::move(profile);
}

void FriendsService::AddGlobalFriend(const std::string& of, const std::string& friendId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_global[of].push_back(friendId);
}

void FriendsService::AddFamilyFriend(const std::string& of, const std::string& friendId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_family[of].push_back(friendId);
}

void FriendsService::SetScore(const std::string& board, const std::string& span, const std::string& player,
                              int score) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_scores[board + "/" + span][player] = score;
}

Json::Value FriendsService::Submissions() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_submissions;
}

Json::Value FriendsService::ProfileOf(const std::string& id) const {
    auto found = m_players.find(id);
    if (found != m_players.end()) {
        return found->second;
    }
    Json::Value profile = m_users.Profile(id);
    if (profile.isNull()) {
        profile["kiplinkId"] = id;
    }
    return profile;
}

ServiceReply FriendsService::Friends(const ServiceCall& call, bool family) {
    const std::string id = call.params.isArray() && call.params.size() > 0 ? m_users.IdOfToken(call.params[0].asString())
                                                                           : std::string();
    if (id.empty()) {
        return ServiceReply::Error("invalid token");
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    Json::Value list(Json::arrayValue);
    const auto& graph = family ? m_family : m_global;
    auto found = graph.find(id);
    if (found != graph.end()) {
        for (const std::string& friendId : found->second) {
            list.append(ProfileOf(friendId));
        }
    }
    return ServiceReply::Result(list);
}

ServiceReply FriendsService::Submit(const ServiceCall& call) {
    const Json::Value& p = call.params;
    if (!p.isArray() || p.size() != 6 || !p[3].isString() || !p[4].isInt()) {
        return ServiceReply::Error("bad parameters");
    }
    const std::string id = m_users.IdOfToken(p[0].asString());
    if (id.empty()) {
        return ServiceReply::Error("invalid token");
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_submissions.append(p);
    for (const char* span : {"allTime", "weekly", "daily"}) {
        int& best = m_scores[p[3].asString() + "/" + span][id];
        best = std::max(best, p[4].asInt());
    }
    return ServiceReply::Result(true);
}

ServiceReply FriendsService::Board(const ServiceCall& call) {
    const Json::Value& p = call.params;
    if (!p.isArray() || p.size() < 5) {
        return ServiceReply::Error("bad parameters");
    }
    const std::string id = m_users.IdOfToken(p[0].asString());
    if (id.empty()) {
        return ServiceReply::Error("invalid token");
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    std::set<std::string> circle = {id};
    for (const auto* graph : {&m_global, &m_family}) {
        auto found = graph->find(id);
        if (found != graph->end()) {
            circle.insert(found->second.begin(), found->second.end());
        }
    }
    std::vector<std::pair<int, std::string>> ranked;
    const auto& scores = m_scores[p[3].asString() + "/" + p[4].asString()];
    for (const auto& entry : scores) {
        if (circle.count(entry.first) != 0) {
            ranked.emplace_back(entry.second, entry.first);
        }
    }
    std::sort(ranked.rbegin(), ranked.rend());
    Json::Value list(Json::arrayValue);
    for (const auto& entry : ranked) {
        Json::Value row = ProfileOf(entry.second);
        row["score"] = entry.first;
        list.append(row);
    }
    return ServiceReply::Result(list);
}

}  // namespace Tools
}  // namespace Varnok
