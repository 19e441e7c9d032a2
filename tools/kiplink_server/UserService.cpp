#include "tools/kiplink_server/UserService.h"

#include "tools/kiplink_server/SocialTokens.h"

#include "tools/kiplink_server/ServerCloudOps.h"

#include <algorithm>
#include <ctime>
#include <utility>

namespace Varnok {
namespace Tools {

namespace {

struct AddSection {
    const char* type;
    const char* section;
    const char* idMember;
    const char* amountMember;
};

const AddSection kAddSections[] = {
    {"achievement", "achievements", "achievementId", "progress"},
    {"bank", "bank", "currencyId", "qty"},
    {"inventory", "inventory", "catalogueId", "count"},
};

std::vector<std::string> SplitDotted(const std::string& key) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : key) {
        if (c == '.') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) {
        parts.push_back(part);
    }
    return parts;
}

// The node at the path, created where missing; null when a member on the way
// is neither an object nor null.
Json::Value* Walk(Json::Value& base, const std::vector<std::string>& parts) {
    Json::Value* node = &base;
    for (const std::string& part : parts) {
        if (!node->isNull() && !node->isObject()) {
            return nullptr;
        }
        node = &(*node)[part];
    }
    return node;
}

std::string Text(const Json::Value& params, Json::ArrayIndex index) {
    return params.isArray() && index < params.size() && params[index].isString() ? params[index].asString()
                                                                                  : std::string();
}

Json::Value Ids(const std::vector<uint32_t>& ids) {
    Json::Value array(Json::arrayValue);
    for (uint32_t id : ids) {
        array.append(id);
    }
    return array;
}

}  // namespace

bool ApplyServerTransaction(Json::Value& gameData, const Json::Value& record) {
    if (!record.isObject() || !record["type"].isString()) {
        return false;
    }
    const std::string type = record["type"].asString();
    for (const AddSection& add : kAddSections) {
        if (type != add.type) {
            continue;
        }
        const std::string id = record["obj"].isString() ? record["obj"].asString() : "";
        // Clamped, never converted by jsoncpp's throwing reads: values come from clients.
        const Json::Value& value = record["value"];
        const double wide = value.isNumeric() ? value.asDouble() : 0.0;
        const int64_t amount = value.isInt64() ? value.asInt64()
                               : wide >= 9.2e18 ? INT64_MAX
                               : wide <= -9.2e18 ? INT64_MIN
                                                 : static_cast<int64_t>(wide);  // NaN is no JSON number
        if (id.empty() || amount == 0) {
            return true;
        }
        std::vector<std::string> path = SplitDotted(id);
        path.insert(path.begin(), add.section);
        Json::Value* entry = Walk(gameData, path);
        if (entry == nullptr || (!entry->isNull() && !entry->isObject())) {
            return false;
        }
        if (entry->isNull()) {
            (*entry)[add.idMember] = id;
            (*entry)["ts"] = 0;
            (*entry)[add.amountMember] = 0;
        }
        const int64_t total = (*entry)[add.amountMember].asInt64() + amount;
        if (total < 0 || total > INT32_MAX) {
            return false;
        }
        (*entry)[add.amountMember] = static_cast<Json::Int>(total);
        (*entry)["ts"] = gameData[std::string(add.section) + "_ts"].asInt() + 1;
        return true;
    }
    if (type == "metaData") {
        const std::string key = record["obj"].isString() ? record["obj"].asString() : "";
        if (key.empty()) {
            return true;
        }
        std::vector<std::string> path = SplitDotted(key);
        path.insert(path.begin(), "metaData");
        Json::Value* node = Walk(gameData, path);
        if (node == nullptr || (!node->isNull() && !node->isString())) {
            return false;
        }
        *node = record["value"].isString() ? record["value"].asString() : "";
        return true;
    }
    if (type == "iap") {
        gameData["purchases"].append(record["value"]);
        return true;
    }
    if (type == "cloudObject") {
        // [owner id, object id]: the copy is kept in this user's data, which
        // is where an owner's own objects live.
        const Json::Value& obj = record["obj"];
        if (!obj.isArray() || obj.size() < 2 || !obj[0].isString() || !obj[1].isString()) {
            return true;
        }
        Json::Value& held = gameData["cloudObjectData"][obj[0].asString()][obj[1].asString()];
        UpdateServerCloudCopy(held, obj[0].asString(), obj[1].asString(), record["value"],
                              static_cast<uint32_t>(std::time(nullptr)));
        return true;
    }
    return false;
}

void UserService::Install(KiplinkServer& server) {
    server.SetHandler("auth", "guest", [this](const ServiceCall& call) { return Guest(call); });
    server.SetHandler("auth", "login", [this](const ServiceCall& call) { return Login(call); });
    server.SetHandler("auth", "logout", [this](const ServiceCall& call) { return Logout(call); });
    server.SetHandler("auth", "sendForgotPasswordEmail",
                      [](const ServiceCall&) { return ServiceReply::Result(true); });
    for (const char* method : {"changeEmail", "changePassword", "changeDisplayName", "changeEmailSubscriptions",
                               "register", "linkFacebook", "linkOAuth", "renewToken"}) {
        server.SetHandler("user", method, [this](const ServiceCall& call) { return Account(call); });
    }
    server.SetHandler("game", "sync", [this](const ServiceCall& call) { return Sync(call); });
    server.SetHandler("game", "merge", [this](const ServiceCall& call) { return Merge(call); });
    server.SetHandler("game", "shouldMerge", [this](const ServiceCall& call) { return ShouldMerge(call); });
}

void UserService::AddUser(ServerUserDef def) {
    std::lock_guard<std::mutex> lock(m_mutex);
    def.profile["kiplinkId"] = def.id;
    User& user = m_users[def.id];
    user.def = std::move(def);
}

void UserService::SetDoMerge(bool doMerge) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_doMerge = doMerge;
}

void UserService::SetSocialTokens(const SocialTokens* tokens) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_socialTokens = tokens;
}

void UserService::SetExpiredTokens(Json::Value services) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_expiredTokens = std::move(services);
}

void UserService::SetStaticDataAnnouncement(Json::Value announcement) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_staticData = std::move(announcement);
}

Json::Value UserService::GameData(const std::string& id) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_users.find(id);
    return found != m_users.end() ? found->second.def.gameData : Json::Value();
}

Json::Value UserService::Profile(const std::string& id) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_users.find(id);
    return found != m_users.end() ? found->second.def.profile : Json::Value();
}

std::string UserService::TokenOf(const std::string& id) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_users.find(id);
    return found != m_users.end() ? found->second.def.token : std::string();
}

std::string UserService::IdOfToken(const std::string& token) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& entry : m_users) {
        if (!token.empty() && entry.second.def.token == token) {
            return entry.first;
        }
    }
    return std::string();
}

int UserService::TimesApplied(const std::string& id, uint32_t batchId) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_users.find(id);
    if (found == m_users.end()) {
        return 0;
    }
    auto batch = found->second.applied.find(batchId);
    return batch != found->second.applied.end() ? batch->second : 0;
}

bool UserService::EditGameData(const std::string& id, const std::function<void(Json::Value&)>& edit) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_users.find(id);
    if (found == m_users.end()) {
        return false;
    }
    edit(found->second.def.gameData);
    return true;
}

size_t UserService::UserCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_users.size();
}

std::vector<std::string> UserService::UserIds() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> ids;
    for (const auto& entry : m_users) {
        ids.push_back(entry.first);
    }
    return ids;
}

UserService::User* UserService::ByToken(const Json::Value& params) {
    const std::string token = Text(params, 0);
    if (token.empty()) {
        return nullptr;
    }
    for (auto& entry : m_users) {
        if (entry.second.def.token == token) {
            return &entry.second;
        }
    }
    return nullptr;
}

Json::Value UserService::UserData(const User& user) const {
    Json::Value data = user.def.gameData;
    for (const AddSection& add : kAddSections) {
        if (!data[add.section].isObject()) {
            data[add.section] = Json::Value(Json::objectValue);
        }
        const std::string stamp = std::string(add.section) + "_ts";
        if (data[stamp].isNull()) {
            data[stamp] = 0;
        }
    }
    if (!data["metaData"].isObject()) {
        data["metaData"] = Json::Value(Json::objectValue);
    }
    if (data["metaData_ts"].isNull()) {
        data["metaData_ts"] = 0;
    }
    data.removeMember("purchases");
    return data;
}

bool UserService::ApplyBatch(User& user, const Json::Value& batch) {
    Json::Value changed = user.def.gameData;
    const Json::Value& records = batch["transactionals"];
    std::set<std::string> touched;
    for (Json::ArrayIndex i = 0; records.isArray() && i < records.size(); ++i) {
        if (!ApplyServerTransaction(changed, records[i])) {
            return false;
        }
        // Only the four sections carry version stamps; purchases and cloud
        // objects have none.
        const std::string type = records[i]["type"].asString();
        if (type == "achievement" || type == "bank" || type == "inventory" || type == "metaData") {
            touched.insert(type == "achievement" ? "achievements" : type);
        }
    }
    for (const std::string& section : touched) {
        const std::string stamp = section + "_ts";
        changed[stamp] = changed[stamp].asInt() + 1;
    }
    user.def.gameData = std::move(changed);
    return true;
}

Json::Value UserService::SyncResult(User& user, const Json::Value& request) {
    std::vector<uint32_t> found, checked, success, failed;
    const Json::Value& retire = request["transactionsRetire"];
    for (Json::ArrayIndex i = 0; retire.isArray() && i < retire.size(); ++i) {
        if (retire[i].isUInt()) {
            user.retired.insert(retire[i].asUInt());
        }
    }
    const Json::Value& verify = request["transactionsVerify"];
    for (Json::ArrayIndex i = 0; verify.isArray() && i < verify.size(); ++i) {
        if (verify[i].isUInt()) {
            (user.applied.count(verify[i].asUInt()) != 0 ? found : checked).push_back(verify[i].asUInt());
        }
    }
    const Json::Value& pending = request["transactionsPending"];
    for (Json::ArrayIndex i = 0; pending.isArray() && i < pending.size(); ++i) {
        const Json::Value& batch = pending[i];
        if (!batch.isObject() || !batch["id"].isUInt()) {
            continue;
        }
        const uint32_t id = batch["id"].asUInt();
        auto seen = user.applied.find(id);
        if (seen != user.applied.end()) {
            (seen->second > 0 ? success : failed).push_back(id);  // already processed: not again
            continue;
        }
        const bool ok = ApplyBatch(user, batch);
        user.applied[id] = ok ? 1 : 0;
        (ok ? success : failed).push_back(id);
    }
    Json::Value result(Json::objectValue);
    result["user"] = user.def.profile;
    result["transactionsProcessed"]["success"] = Ids(success);
    result["transactionsProcessed"]["failed"] = Ids(failed);
    result["transactionsProcessed"]["deferred"] = Json::Value(Json::arrayValue);
    result["transactionsVerified"]["found"] = Ids(found);
    // The client puts each checked id at the front of its pending list in
    // turn: listed newest first, they go back in the order they were made.
    std::reverse(checked.begin(), checked.end());
    result["transactionsVerified"]["checked"] = Ids(checked);
    result["userData"] = UserData(user);
    if (!m_expiredTokens.isNull()) {
        result["expiredTokens"] = m_expiredTokens;
    }
    if (!m_staticData.isNull()) {
        result["staticData"] = m_staticData;
    }
    return result;
}

ServiceReply UserService::LoginReply(User& user) {
    Json::Value result(Json::objectValue);
    result["id"] = user.def.id;
    result["token"] = user.def.token;
    result["sync"] = SyncResult(user, Json::Value());
    ServiceReply reply = ServiceReply::Result(result);
    reply.extra["doMerge"] = m_doMerge;
    return reply;
}

ServiceReply UserService::Guest(const ServiceCall&) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const int number = m_nextId++;
    ServerUserDef def;
    def.id = "guest-" + std::to_string(number);
    def.token = "token-" + std::to_string(number) + "-" + std::to_string(m_users.size() * 7919 + 17);
    def.profile["kiplinkId"] = def.id;
    def.profile["displayName"] = "Guest";
    def.profile["isMember"] = false;
    User& user = m_users[def.id];
    user.def = std::move(def);
    return LoginReply(user);
}

ServiceReply UserService::Login(const ServiceCall& call) {
    const Json::Value& body = call.params.isArray() && call.params.size() > 0 ? call.params[0] : Json::Value();
    const std::string method = body.isObject() ? body["method"].asString() : std::string();
    std::lock_guard<std::mutex> lock(m_mutex);
    if ((method == "facebook" || method == "oauth") && m_socialTokens != nullptr) {
        return SocialLogin(body);
    }
    if (method != "email") {
        return ServiceReply::Error("unsupported login method");
    }
    for (auto& entry : m_users) {
        const ServerUserDef& def = entry.second.def;
        if (!def.email.empty() && def.email == body["email"].asString() &&
            def.password == body["password"].asString()) {
            return LoginReply(entry.second);
        }
    }
    return ServiceReply::Error("invalid credentials");
}

UserService::User* UserService::ByLinkedAccount(const std::string& service, const std::string& accountId) {
    for (auto& entry : m_users) {
        const Json::Value& ids = entry.second.def.profile["linkedAccountIds"];
        if (ids.isObject() && ids[service].isString() && ids[service].asString() == accountId) {
            return &entry.second;
        }
    }
    return nullptr;
}

ServiceReply UserService::SocialLogin(const Json::Value& body) {
    const bool facebook = body["method"].asString() == "facebook";
    const std::string service = facebook ? "facebook" : body["service"].asString();
    const std::string accessToken = body[facebook ? "fbauth" : "access_token"].asString();
    const std::string account = accessToken.empty() ? std::string() : m_socialTokens->AccountOf(service, accessToken);
    if (account.empty()) {
        return ServiceReply::Error("invalid token");
    }
    User* user = ByLinkedAccount(service, account);
    if (user == nullptr) {
        // The client links the account to its current user instead.
        return ServiceReply::Error("account not linked");
    }
    // A guest that made progress on the device before hands it over.
    const User* previous = nullptr;
    const std::string lastToken = body["lastToken"].asString();
    for (const auto& entry : m_users) {
        if (!lastToken.empty() && entry.second.def.token == lastToken) {
            previous = &entry.second;
        }
    }
    const bool guestBefore =
        previous != nullptr && previous != user && !previous->def.profile["isMember"].asBool() &&
        !previous->def.gameData.empty();
    ServiceReply reply = LoginReply(*user);
    reply.extra["doMerge"] = m_doMerge || guestBefore;
    return reply;
}

ServiceReply UserService::SocialLink(User& user, const std::string& service, const std::string& accessToken) {
    const std::string account = accessToken.empty() ? std::string() : m_socialTokens->AccountOf(service, accessToken);
    if (account.empty()) {
        return ServiceReply::Error("invalid token");
    }
    const User* holder = ByLinkedAccount(service, account);
    if (holder != nullptr && holder != &user) {
        return ServiceReply::Error("account linked to another user");
    }
    Json::Value& profile = user.def.profile;
    profile["isMember"] = true;
    profile["linkedAccounts"][service] = 1;
    profile["linkedAccountIds"][service] = account;
    Json::Value result(Json::objectValue);
    result["displayName"] = profile["displayName"];
    result["service"] = service;
    return ServiceReply::Result(result);
}

ServiceReply UserService::Logout(const ServiceCall& call) {
    const Json::Value& body = call.params.isArray() && call.params.size() > 0 ? call.params[0] : Json::Value();
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& entry : m_users) {
        if (body.isObject() && entry.second.def.token == body["token"].asString()) {
            entry.second.def.token = "logged-out-" + entry.first;
            return ServiceReply::Result(true);
        }
    }
    return ServiceReply::Error("invalid token");
}

ServiceReply UserService::Account(const ServiceCall& call) {
    std::lock_guard<std::mutex> lock(m_mutex);
    User* user = ByToken(call.params);
    if (user == nullptr) {
        return ServiceReply::Error("invalid token");
    }
    Json::Value& profile = user->def.profile;
    const Json::Value& p = call.params;
    const std::string& method = call.method;
    if (method == "changeEmail") {
        profile["email"] = Text(p, 2);
        return ServiceReply::Result(Text(p, 2));
    }
    if (method == "changePassword") {
        user->def.password = Text(p, 3);
        return ServiceReply::Result(true);
    }
    if (method == "changeDisplayName") {
        if (Text(p, 2).empty()) {
            return ServiceReply::Error("invalid display name");
        }
        profile["displayName"] = Text(p, 2);
        return ServiceReply::Result(Text(p, 2));
    }
    if (method == "changeEmailSubscriptions") {
        Json::Value subscriptions(Json::objectValue);
        subscriptions["news"] = p.size() > 2 && p[2].asBool();
        subscriptions["offers"] = p.size() > 3 && p[3].asBool();
        profile["emailSubscriptions"] = subscriptions;
        return ServiceReply::Result(subscriptions);
    }
    if (method == "register") {
        user->def.email = Text(p, 2);
        user->def.password = Text(p, 3);
        profile["email"] = Text(p, 2);
        profile["displayName"] = Text(p, 4);
        profile["isMember"] = true;
        profile["linkedAccounts"]["kiplink"] = 1;
        profile["emailSubscriptions"]["news"] = p.size() > 5 && p[5].asBool();
        Json::Value result(Json::objectValue);
        result["email"] = profile["email"];
        result["displayName"] = profile["displayName"];
        result["emailSubscriptions"] = profile["emailSubscriptions"];
        return ServiceReply::Result(result);
    }
    if (method == "linkFacebook" || method == "linkOAuth") {
        const std::string service = method == "linkFacebook" ? "facebook" : Text(p, 2);
        if (m_socialTokens != nullptr) {
            return SocialLink(*user, service, Text(p, method == "linkFacebook" ? 2 : 3));
        }
        profile["isMember"] = true;
        profile["linkedAccounts"][service] = 1;
        Json::Value result(Json::objectValue);
        result["displayName"] = profile["displayName"];
        result["service"] = service;
        return ServiceReply::Result(result);
    }
    Json::Value result(Json::objectValue);  // renewToken
    result["service"] = Text(p, 2);
    return ServiceReply::Result(result);
}

ServiceReply UserService::Sync(const ServiceCall& call) {
    std::lock_guard<std::mutex> lock(m_mutex);
    User* user = ByToken(call.params);
    if (user == nullptr) {
        return ServiceReply::Error("invalid token");
    }
    const Json::Value request = call.params.size() > 3 ? call.params[3] : Json::Value();
    return ServiceReply::Result(SyncResult(*user, request));
}

ServiceReply UserService::ShouldMerge(const ServiceCall& call) {
    std::lock_guard<std::mutex> lock(m_mutex);
    User* user = ByToken(call.params);
    if (user == nullptr) {
        return ServiceReply::Error("invalid token");
    }
    const std::string other = Text(call.params, 3);
    return ServiceReply::Result(other != user->def.id && m_users.count(other) != 0);
}

ServiceReply UserService::Merge(const ServiceCall& call) {
    std::lock_guard<std::mutex> lock(m_mutex);
    User* user = ByToken(call.params);
    // The other account is named by its id, or by its token as a client's
    // merge of a previous login sends it.
    auto other = m_users.find(Text(call.params, 3));
    if (other == m_users.end() && !Text(call.params, 3).empty()) {
        for (other = m_users.begin(); other != m_users.end(); ++other) {
            if (other->second.def.token == Text(call.params, 3)) {
                break;
            }
        }
    }
    if (user == nullptr) {
        return ServiceReply::Error("invalid token");
    }
    if (other == m_users.end() || &other->second == user) {
        return ServiceReply::Error("nothing to merge");
    }
    // The other user's amounts are added; its metadata fills gaps.
    Json::Value& data = user->def.gameData;
    const Json::Value& from = other->second.def.gameData;
    for (const AddSection& add : kAddSections) {
        const Json::Value& entries = from[add.section];
        if (!entries.isObject() || entries.empty()) {
            continue;
        }
        for (const std::string& key : entries.getMemberNames()) {
            Json::Value& entry = data[add.section][key];
            entry[add.idMember] = key;
            entry[add.amountMember] = entry[add.amountMember].asInt() + entries[key][add.amountMember].asInt();
        }
        const std::string stamp = std::string(add.section) + "_ts";
        data[stamp] = data[stamp].asInt() + 1;
    }
    const Json::Value& meta = from["metaData"];
    if (meta.isObject() && !meta.empty()) {
        for (const std::string& key : meta.getMemberNames()) {
            if (!data["metaData"].isMember(key)) {
                data["metaData"][key] = meta[key];
            }
        }
        data["metaData_ts"] = data["metaData_ts"].asInt() + 1;
    }
    return ServiceReply::Result(SyncResult(*user, Json::Value()));
}

}  // namespace Tools
}  // namespace Varnok
