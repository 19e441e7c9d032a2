#include "tools/kiplink_server/MatchService.h"

#include <algorithm>
#include <cstdio>

namespace Varnok {
namespace Tools {

namespace {

constexpr Json::ArrayIndex kMaxPage = 50;

bool Contains(const Json::Value& list, const std::string& id) {
    for (const Json::Value& entry : list) {
        if (entry.isString() && entry.asString() == id) {
            return true;
        }
    }
    return false;
}

void RemoveFrom(Json::Value& list, const std::string& id) {
    Json::Value kept(Json::arrayValue);
    for (const Json::Value& entry : list) {
        if (!(entry.isString() && entry.asString() == id)) {
            kept.append(entry);
        }
    }
    list = kept;
}

// The caller's token and the parameter object, or false for a malformed call.
bool Split(const ServiceCall& call, std::string* caller, Json::Value* parameters) {
    if (!call.params.isArray() || call.params.size() < 3 || !call.params[0].isString()) {
        return false;
    }
    *caller = call.params[0].asString();
    *parameters = call.params.size() > 3 ? call.params[3] : Json::Value(Json::objectValue);
    return parameters->isObject();
}

// The record the client reads, without the server's own bookkeeping.
Json::Value Public(const Json::Value& match) {
    Json::Value record = match;
    record.removeMember("maxUsers");
    return record;
}

}  // namespace

void MatchService::Install(KiplinkServer& server) {
    const char* const gameMethods[] = {"join", "leave", "start", "end", "get", "delete", "updateGameData"};
    for (const char* method : gameMethods) {
        const std::string name = method;
        server.SetHandler("async_game", name, [this, name](const ServiceCall& call) {
            std::string caller;
            Json::Value parameters;
            if (!Split(call, &caller, &parameters)) {
                return ServiceReply::Error("bad parameters");
            }
            std::lock_guard<std::mutex> lock(m_mutex);
            return Change(name, caller, parameters);
        });
    }
    server.SetHandler("async_game", "create", [this](const ServiceCall& call) {
        std::string caller;
        Json::Value parameters;
        if (!Split(call, &caller, &parameters)) {
            return ServiceReply::Error("bad parameters");
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        return Create(caller, parameters);
    });
    server.SetHandler("async_lobbies", "list", [this](const ServiceCall& call) {
        std::string caller;
        Json::Value parameters;
        if (!Split(call, &caller, &parameters)) {
            return ServiceReply::Error("bad parameters");
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        return ListLobbies(parameters);
    });
    server.SetHandler("async_user", "list", [this](const ServiceCall& call) {
        std::string caller;
        Json::Value parameters;
        if (!Split(call, &caller, &parameters)) {
            return ServiceReply::Error("bad parameters");
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        return ListUser(caller);
    });
    for (bool add : {true, false}) {
        server.SetHandler("async_user", add ? "addUserToList" : "removeUserFromList",
                          [this, add](const ServiceCall& call) {
                              std::string caller;
                              Json::Value parameters;
                              if (!Split(call, &caller, &parameters)) {
                                  return ServiceReply::Error("bad parameters");
                              }
                              std::lock_guard<std::mutex> lock(m_mutex);
                              return ChangeList(add, caller, parameters);
                          });
    }
}

void MatchService::AddLobbies(const std::string& gameType, int count, const std::string& owner,
                              const std::string& prefix, int maxUsers) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (int i = 0; i < count; ++i) {
        char id[64];
        std::snprintf(id, sizeof id, "%s%03d", prefix.c_str(), i);
        Json::Value match(Json::objectValue);
        match["matchId"] = id;
        match["gameType"] = gameType;
        match["owner"] = owner;
        match["lobbyOrInProgress"] = "lobby";
        match["completed"] = false;
        match["revision"] = 0;
        match["users"] = Json::Value(Json::arrayValue);
        match["users"].append(owner);
        match["invitedUsers"] = Json::Value(Json::arrayValue);
        match["maxUsers"] = maxUsers;
        m_matches[id] = match;
    }
}

Json::Value MatchService::Match(const std::string& matchId) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_matches.find(matchId);
    return found != m_matches.end() ? found->second : Json::Value();
}

size_t MatchService::MatchCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_matches.size();
}

ServiceReply MatchService::Create(const std::string& caller, const Json::Value& parameters) {
    if (!parameters["gameType"].isString()) {
        return ServiceReply::Error("gameType expected");
    }
    char id[32];
    std::snprintf(id, sizeof id, "new%05d", m_nextId++);
    Json::Value match(Json::objectValue);
    match["matchId"] = id;
    match["gameType"] = parameters["gameType"];
    match["owner"] = caller;
    match["lobbyOrInProgress"] = "lobby";
    match["completed"] = false;
    match["revision"] = 0;
    match["users"] = Json::Value(Json::arrayValue);
    match["users"].append(caller);
    match["invitedUsers"] = Json::Value(Json::arrayValue);
    match["maxUsers"] = parameters["maxUsers"].isUInt() ? parameters["maxUsers"].asInt() : 2;
    m_matches[id] = match;
    return ServiceReply::Result(Public(match));
}

ServiceReply MatchService::Change(const std::string& method, const std::string& caller,
                                  const Json::Value& parameters) {
    const Json::Value& id = parameters["matchId"];
    auto found = id.isString() ? m_matches.find(id.asString()) : m_matches.end();
    if (found == m_matches.end()) {
        return ServiceReply::Error("Match not found.");
    }
    Json::Value& match = found->second;
    if (method == "join") {
        if (Contains(match["users"], caller)) {
            return ServiceReply::Result(Public(match));
        }
        if (static_cast<int>(match["users"].size()) >= match["maxUsers"].asInt()) {
            return ServiceReply::Error("Match is full.");
        }
        match["users"].append(caller);
    } else if (method == "leave") {
        RemoveFrom(match["users"], caller);
    } else if (method == "start" || method == "end" || method == "delete" || method == "updateGameData") {
        if (method != "updateGameData" && match["owner"].asString() != caller) {
            return ServiceReply::Error("Not the owner.");
        }
        if (method == "start") {
            match["lobbyOrInProgress"] = "inProgress";
        } else if (method == "end") {
            match["completed"] = true;
        } else if (method == "delete") {
            Json::Value result(Json::objectValue);
            result["matchId"] = id;
            m_matches.erase(found);
            return ServiceReply::Result(result);
        } else {
            match["matchData"]["changes"].append(parameters["changes"]);
        }
    }
    if (method != "get") {
        match["revision"] = match["revision"].asUInt() + 1;
    }
    return ServiceReply::Result(Public(match));
}

ServiceReply MatchService::ListLobbies(const Json::Value& parameters) const {
    const std::string gameType = parameters["gameType"].asString();
    const Json::ArrayIndex limit =
        std::min(kMaxPage, parameters["limit"].isUInt() ? parameters["limit"].asUInt() : kMaxPage);
    const Json::Value& key = parameters["exclusiveStartKey"];
    Json::Value result(Json::objectValue);
    result["items"] = Json::Value(Json::arrayValue);
    auto it = key.isString() ? m_matches.upper_bound(key.asString()) : m_matches.begin();
    if (limit == 0) {
        return ServiceReply::Result(result);
    }
    for (; it != m_matches.end(); ++it) {
        const Json::Value& match = it->second;
        if (match["gameType"].asString() != gameType || match["lobbyOrInProgress"].asString() != "lobby") {
            continue;
        }
        result["items"].append(Public(match));
        if (result["items"].size() == limit) {
            // A full page names its last match, whether or not more follow:
            // the client asks again from there.
            result["exclusiveStartKey"] = it->first;
            break;
        }
    }
    return ServiceReply::Result(result);
}

ServiceReply MatchService::ListUser(const std::string& caller) const {
    Json::Value result(Json::objectValue);
    result["items"] = Json::Value(Json::arrayValue);
    for (const auto& entry : m_matches) {
        if (Contains(entry.second["users"], caller)) {
            result["items"].append(Public(entry.second));
        }
    }
    return ServiceReply::Result(result);
}

ServiceReply MatchService::ChangeList(bool add, const std::string&, const Json::Value& parameters) {
    const Json::Value& id = parameters["matchId"];
    auto found = id.isString() ? m_matches.find(id.asString()) : m_matches.end();
    if (found == m_matches.end() || !parameters["targetKiplinkId"].isString()) {
        return ServiceReply::Error("Match not found.");
    }
    Json::Value& invited = found->second["invitedUsers"];
    const std::string target = parameters["targetKiplinkId"].asString();
    if (add && !Contains(invited, target)) {
        invited.append(target);
    } else if (!add) {
        RemoveFrom(invited, target);
    }
    return ServiceReply::Result(Public(found->second));
}

}  // namespace Tools
}  // namespace Varnok
