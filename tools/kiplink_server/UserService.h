// The server's accounts: "auth" (guest and e-mail logins, logout, the
// password mail), the "user" account methods and "game" "sync", "merge" and
// "shouldMerge". Each user keeps a profile, game data in four sections with
// version stamps, and the ids of the batches it has applied: a batch is
// applied at most once, however often it arrives.
#pragma once

#include "tools/kiplink_server/KiplinkServer.h"

#include <json/json.h>

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace Varnok {
namespace Tools {

class SocialTokens;

struct ServerUserDef {
    std::string id;
    std::string token;
    std::string email;     // with password: a login by e-mail
    std::string password;
    Json::Value profile = Json::Value(Json::objectValue);  // "kiplinkId" is filled in
    Json::Value gameData = Json::Value(Json::objectValue);
};

class UserService {
public:
    // Registers the handlers; the service must outlive the server's use of it.
    void Install(KiplinkServer& server);

    void AddUser(ServerUserDef def);
    // Top-level "doMerge" of the next successful logins.
    void SetDoMerge(bool doMerge);
    // Social logins ("facebook", "oauth") and links check their access
    // tokens here; null (the default): social logins are unsupported and
    // links take any token. The table must outlive its use.
    void SetSocialTokens(const SocialTokens* tokens);
    // "expiredTokens" of every sync reply; null: none sent.
    void SetExpiredTokens(Json::Value services);
    // "staticData" of every sync reply; null: none sent.
    void SetStaticDataAnnouncement(Json::Value announcement);

    // Copies, for tests.
    Json::Value GameData(const std::string& id) const;
    Json::Value Profile(const std::string& id) const;
    std::string TokenOf(const std::string& id) const;
    // The id of the user signed in with that token, or "".
    std::string IdOfToken(const std::string& token) const;
    // How many times a batch of that id changed the user's data (0 or 1).
    int TimesApplied(const std::string& id, uint32_t batchId) const;
    size_t UserCount() const;
    // Runs edit on the game data of the user with that id under the
    // service's lock; false (edit not run) for an unknown id.
    bool EditGameData(const std::string& id, const std::function<void(Json::Value&)>& edit);
    std::vector<std::string> UserIds() const;

private:
    struct User {
        ServerUserDef def;
        std::map<uint32_t, int> applied;  // batch id: times applied
        std::set<uint32_t> retired;
    };

    ServiceReply Guest(const ServiceCall& call);
    ServiceReply Login(const ServiceCall& call);
    ServiceReply Logout(const ServiceCall& call);
    ServiceReply Account(const ServiceCall& call);
    ServiceReply Sync(const ServiceCall& call);
    ServiceReply Merge(const ServiceCall& call);
    ServiceReply ShouldMerge(const ServiceCall& call);

    User* ByToken(const Json::Value& params);  // Requires: m_mutex held
    // Requires: m_mutex held.
    ServiceReply SocialLogin(const Json::Value& body);
    ServiceReply SocialLink(User& user, const std::string& service, const std::string& accessToken);
    User* ByLinkedAccount(const std::string& service, const std::string& accountId);
    ServiceReply LoginReply(User& user);
    Json::Value SyncResult(User& user, const Json::Value& request);
    Json::Value UserData(const User& user) const;
    bool ApplyBatch(User& user, const Json::Value& batch);

    mutable std::mutex m_mutex;
    std::map<std::string, User> m_users;  // by id
    int m_nextId = 1;
    bool m_doMerge = false;
    const SocialTokens* m_socialTokens = nullptr;
    Json::Value m_expiredTokens;
    Json::Value m_staticData;
};

// Applies one transaction record to game data; false when it cannot be made.
bool ApplyServerTransaction(Json::Value& gameData, const Json::Value& record);

}  // namespace Tools
}  // namespace Varnok
