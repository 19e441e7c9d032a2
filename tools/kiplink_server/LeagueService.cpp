#include "tools/kiplink_server/LeagueService.h"

#include <utility>

namespace Varnok {
namespace Tools {

LeagueService::LeagueService(const UserService& users) : m_users(users), m_leagues(Json::arrayValue) {
    Json::Value bronze;
    bronze["id"] = "bronze";
    bronze["name"] = "Bronze";
    bronze["minScore"] = 0;
    Json::Value silver;
    silver["id"] = "silver";
    silver["name"] = "Silver";
    silver["minScore"] = 1000;
    m_leagues.append(bronze);
    m_leagues.append(silver);
}

void LeagueService::Install(KiplinkServer& server) {
    for (const char* method : {"getLeagueData", "getRecentActivity", "getRecommendedLeague", "getTopLeagues",
                               "getUserInfo", "getUserLeague", "joinLeague", "leaveLeague", "updateLeagueScore",
                               "updateUser"}) {
        server.SetHandler("leagues", method, [this](const ServiceCall& call) { return Handle(call); });
    }
}

void LeagueService::SetLeagues(Json::Value leagues) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_leagues = std::move(leagues);
}

Json::Value LeagueService::Members(const std::string& leagueId) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    Json::Value members(Json::arrayValue);
    for (const auto& entry : m_leagueOf) {
        if (entry.second == leagueId) {
            members.append(entry.first);
        }
    }
    return members;
}

ServiceReply LeagueService::Handle(const ServiceCall& call) {
    const Json::Value& p = call.params;
    if (!p.isArray() || p.size() < 3 || !p[0].isString() || !p[1].isString() || !p[2].isString()) {
        return ServiceReply::Error("bad parameters");
    }
    const std::string user = m_users.IdOfToken(p[0].asString());
    if (user.empty()) {
        return ServiceReply::Error("invalid token");
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string& method = call.method;
    auto findLeague = [&](const std::string& id) -> Json::Value {
        for (const Json::Value& league : m_leagues) {
            if (league["id"].asString() == id) {
                return league;
            }
        }
        return Json::Value();
    };
    if (method == "getLeagueData" || method == "getTopLeagues") {
        return ServiceReply::Result(m_leagues);
    }
    if (method == "getRecentActivity") {
        Json::Value activity(Json::arrayValue);
        Json::Value one;
        one["text"] = p.size() > 3 ? p[3] : Json::Value("");
        activity.append(one);
        return ServiceReply::Result(activity);
    }
    if (method == "getRecommendedLeague") {
        const int score = m_scores.count(user) != 0 ? m_scores[user] : 0;
        Json::Value best;
        for (const Json::Value& league : m_leagues) {
            if (league["minScore"].asInt() <= score) {
                best = league;
            }
        }
        return ServiceReply::Result(best);
    }
    if (method == "getUserInfo") {
        Json::Value info;
        info["kiplinkId"] = user;
        info["score"] = m_scores.count(user) != 0 ? m_scores[user] : 0;
        info["data"] = m_userData.count(user) != 0 ? m_userData[user] : Json::Value();
        return ServiceReply::Result(info);
    }
    if (method == "getUserLeague") {
        return ServiceReply::Result(m_leagueOf.count(user) != 0 ? findLeague(m_leagueOf[user]) : Json::Value());
    }
    if (method == "joinLeague") {
        const std::string id = p.size() > 3 ? p[3].asString() : "";
        if (findLeague(id).isNull()) {
            return ServiceReply::Error("unknown league");
        }
        m_leagueOf[user] = id;
        return ServiceReply::Result(findLeague(id));
    }
    if (method == "leaveLeague") {
        const bool was = m_leagueOf.erase(user) != 0;
        return was ? ServiceReply::Result(true) : ServiceReply::Error("not in a league");
    }
    if (method == "updateLeagueScore") {
        if (p.size() < 4 || !p[3].isInt()) {
            return ServiceReply::Error("bad parameters");
        }
        int& best = m_scores[user];
        best = std::max(best, p[3].asInt());
        Json::Value result;
        result["score"] = best;
        result["data"] = p.size() > 4 ? p[4] : Json::Value();
        return ServiceReply::Result(result);
    }
    // updateUser
    m_userData[user] = p.size() > 3 ? p[3] : Json::Value();
    return ServiceReply::Result(m_userData[user]);
}

}  // namespace Tools
}  // namespace Varnok
