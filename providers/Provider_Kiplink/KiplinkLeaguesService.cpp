// League calls and their replies.
#include "providers/Provider_Kiplink/KiplinkLeaguesService.h"

#include "engine/core/Event.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/UserStore.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "kiplink/Public/ILeagueProvider.h"
#include "kiplink/Public/IUser.h"
#include "providers/Provider_Kiplink/KiplinkLeagueReaders.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"

#include <functional>
#include <string>

namespace Varnok {

namespace {

using Reply = std::function<void(User* user, const Kiplink::IValue& error, const Kiplink::IValue& result)>;
using Handler = void (Kiplink::ILeagueProviderCallbacks::*)(Kiplink::ILeagueProvider*, uint32_t,
                                                              const Kiplink::IValue&, const Kiplink::IValue&);

constexpr const char* kMetaKey = "leagues";
constexpr const char* kMetaSub = "leagueID";

std::string ErrorText(const Kiplink::IValue& error) {
    const std::string text = LeagueErrorText(error);
    return text.empty() ? "error" : text;
}

// Hears the reply of its own call only, answers, and leaves the provider.
class LeagueListener final : public Kiplink::ILeagueProviderCallbacks {
public:
    LeagueListener(Kiplink::ILeagueProvider* provider, SmartPtr<UserHandleShare> user, int which, Reply reply)
        : m_provider(provider), m_user(std::move(user)), m_which(which), m_reply(std::move(reply)) {}
    uint32_t* CallIdSlot() { return &m_callId; }

    void OnLeagueData(Kiplink::ILeagueProvider*, uint32_t id, const Kiplink::IValue& e, const Kiplink::IValue& r) override { Hear(0, id, e, r); }
    void OnRecentActivity(Kiplink::ILeagueProvider*, uint32_t id, const Kiplink::IValue& e, const Kiplink::IValue& r) override { Hear(1, id, e, r); }
    void OnRecommendedLeague(Kiplink::ILeagueProvider*, uint32_t id, const Kiplink::IValue& e, const Kiplink::IValue& r) override { Hear(2, id, e, r); }
    void OnTopLeagues(Kiplink::ILeagueProvider*, uint32_t id, const Kiplink::IValue& e, const Kiplink::IValue& r) override { Hear(3, id, e, r); }
    void OnUserInfo(Kiplink::ILeagueProvider*, uint32_t id, const Kiplink::IValue& e, const Kiplink::IValue& r) override { Hear(4, id, e, r); }
    void OnUserLeague(Kiplink::ILeagueProvider*, uint32_t id, const Kiplink::IValue& e, const Kiplink::IValue& r) override { Hear(5, id, e, r); }
    void OnJoinLeague(Kiplink::ILeagueProvider*, uint32_t id, const Kiplink::IValue& e, const Kiplink::IValue& r) override { Hear(6, id, e, r); }
    void OnLeaveLeague(Kiplink::ILeagueProvider*, uint32_t id, const Kiplink::IValue& e, const Kiplink::IValue& r) override { Hear(7, id, e, r); }
    void OnUpdateLeagueScore(Kiplink::ILeagueProvider*, uint32_t id, const Kiplink::IValue& e, const Kiplink::IValue& r) override { Hear(8, id, e, r); }
    void OnUpdateUser(Kiplink::ILeagueProvider*, uint32_t id, const Kiplink::IValue& e, const Kiplink::IValue& r) override { Hear(9, id, e, r); }

private:
    void Hear(int which, uint32_t callId, const Kiplink::IValue& error, const Kiplink::IValue& result) {
        if (which != m_which || callId != m_callId || !m_reply) {
            return;
        }
        Kiplink::RefPtr<LeagueListener> keep(this);
        const Reply reply = std::move(m_reply);
        m_reply = nullptr;
        reply(m_user.Get() != nullptr ? m_user->GetUser() : nullptr, error, result);
        m_provider->RemoveCallbacks(this);
    }

    Kiplink::ILeagueProvider* m_provider;  // not referenced: it calls us
    SmartPtr<UserHandleShare> m_user;
    int m_which;
    Reply m_reply;
    uint32_t m_callId = 0;
};

enum Which { kData, kActivity, kRecommended, kTop, kInfo, kUserLeague, kJoin, kLeave, kScore, kUser };

void StoreLeagueId(User* user, const std::string& leagueId, bool transaction) {
    if (user == nullptr) {
        return;
    }
    if (transaction) {
        user->BeginTransaction();
    }
    user->SetMeta(kMetaKey, kMetaSub, leagueId.c_str());
    if (transaction) {
        user->EndTransaction();
    }
}

}  // namespace

const AsciiString& KiplinkLeaguesService::GetProviderName() const { return Provider_Kiplink::GetProviderName(); }

namespace {

// Sends a call for the user of a slot; false (nothing sent) when offline,
// the slot is empty or its user has no online component.
template <typename Send>
bool SendFor(IService& service, Kiplink::IKiplinkProvider* root, Provider_Kiplink* owner, int slot, Which which,
             Reply reply, Send send) {
    ServiceManager* manager =
        owner != nullptr && owner->GetBackend() != nullptr ? owner->GetBackend()->GetManager() : nullptr;
    UserStore* store = manager != nullptr ? manager->GetUserStore() : nullptr;
    if (!service.IsOnline() || root == nullptr || store == nullptr || slot < 0 || slot >= store->GetSlotCount()) {
        return false;
    }
    SmartPtr<UserHandleShare> handle = store->GetUserHandle(slot);
    Kiplink::IUser* libraryUser = UserComponent_Kiplink::LibraryUserOf(handle->GetUser());
    Kiplink::RefPtr<Kiplink::ILeagueProvider> provider =
        Kiplink::RefPtr<Kiplink::ILeagueProvider>::Adopt(root->GetLeagueProvider());
    if (libraryUser == nullptr || !provider) {
        return false;
    }
    Kiplink::RefPtr<LeagueListener> listener(new LeagueListener(provider.Get(), handle, which, std::move(reply)));
    provider->AddCallbacks(listener.Get());
    send(*provider, libraryUser, listener->CallIdSlot());
    return true;
}

}  // namespace

void KiplinkLeaguesService::JoinLeague(ResultDelegate onDone, const char* leagueId, int slot) {
    const std::string wanted = leagueId != nullptr ? leagueId : "";
    const bool sent = SendFor(
        *this, m_root, m_owner, slot, kJoin,
        [onDone](User* user, const Kiplink::IValue& error, const Kiplink::IValue& result) {
            if (!error.IsNull()) {
                const std::string text = LeagueErrorText(error);
                const char* reason = text == "league name contains inappropriate word" ? "bad_name"
                                     : text == "new league is full"                    ? "full"
                                                                                       : "internal_error";
                onDone(reason);
                Event failed("joined_league_failed");
                failed.SetString("reason", reason);
                EventDispatcher::Get().Fire(failed);
                return;
            }
            const int size = result["count"].IsNumber() ? result["count"].AsInt(0) : 0;
            const std::string id = result["leagueId"].IsString() ? result["leagueId"].AsString("") : "";
            StoreLeagueId(user, id, true);
            Event joined("joined_league");
            joined.SetInt("league_size", size);
            joined.SetString("process", size < 2 ? "created" : "specified");
            EventDispatcher::Get().Fire(joined);
            onDone(nullptr);
        },
        [&](Kiplink::ILeagueProvider& p, Kiplink::IUser* u, uint32_t* id) { p.JoinLeague(u, id, wanted.c_str()); });
    if (!sent) {
        onDone(kNotSent);
    }
}

void KiplinkLeaguesService::GetUserLeague(LeagueIdDelegate onDone, int slot) {
    const bool sent = SendFor(
        *this, m_root, m_owner, slot, kUserLeague,
        [onDone](User* user, const Kiplink::IValue& error, const Kiplink::IValue& result) {
            if (!error.IsNull()) {
                onDone(ErrorText(error).c_str(), "");
                return;
            }
            const std::string id = result.IsString() ? result.AsString("") : "";
            StoreLeagueId(user, id, true);
            onDone(nullptr, id.c_str());
        },
        [](Kiplink::ILeagueProvider& p, Kiplink::IUser* u, uint32_t* id) { p.GetUserLeague(u, id); });
    if (!sent) {
        onDone(kNotSent, "");
    }
}

void KiplinkLeaguesService::LeaveLeague(ResultDelegate onDone, int slot) {
    const bool sent = SendFor(
        *this, m_root, m_owner, slot, kLeave,
        [onDone](User* user, const Kiplink::IValue& error, const Kiplink::IValue&) {
            if (!error.IsNull()) {
                onDone(ErrorText(error).c_str());
                return;
            }
            StoreLeagueId(user, "", false);
            EventDispatcher::Get().Fire(Event("left_league"));
            onDone(nullptr);
        },
        [](Kiplink::ILeagueProvider& p, Kiplink::IUser* u, uint32_t* id) { p.LeaveLeague(u, id); });
    if (!sent) {
        onDone(kNotSent);
    }
}

namespace {

Reply PlainAnswer(const ILeaguesService::ResultDelegate& onDone) {
    return [onDone](User*, const Kiplink::IValue& error, const Kiplink::IValue&) {
        onDone(error.IsNull() ? nullptr : ErrorText(error).c_str());
    };
}

}  // namespace

// The engine's value handles carry no text yet: the data goes as null.
void KiplinkLeaguesService::UpdateLeagueScore(ResultDelegate onDone, int score, const ServiceValueHandle& /*data*/,
                                              int slot) {
    if (!SendFor(*this, m_root, m_owner, slot, kScore, PlainAnswer(onDone),
                 [score](Kiplink::ILeagueProvider& p, Kiplink::IUser* u, uint32_t* id) {
                     p.UpdateLeagueScore(u, id, score, nullptr);
                 })) {
        onDone(kNotSent);
    }
}

void KiplinkLeaguesService::UpdateUser(ResultDelegate onDone, const ServiceValueHandle& /*data*/, int slot) {
    if (!SendFor(*this, m_root, m_owner, slot, kUser, PlainAnswer(onDone),
                 [](Kiplink::ILeagueProvider& p, Kiplink::IUser* u, uint32_t* id) { p.UpdateUser(u, id, nullptr); })) {
        onDone(kNotSent);
    }
}

void KiplinkLeaguesService::GetUserInfo(UserInfoDelegate onDone, int slot) {
    const bool sent = SendFor(
        *this, m_root, m_owner, slot, kInfo,
        [onDone](User*, const Kiplink::IValue& error, const Kiplink::IValue& result) {
            if (!error.IsNull()) {
                onDone(ErrorText(error).c_str(), nullptr);
                return;
            }
            const std::vector<LeagueUser> users = ReadLeagueUsers(result);
            onDone(nullptr, users.empty() ? nullptr : &users.front());
        },
        [](Kiplink::ILeagueProvider& p, Kiplink::IUser* u, uint32_t* id) { p.GetUserInfo(u, id); });
    if (!sent) {
        onDone(kNotSent, nullptr);
    }
}

void KiplinkLeaguesService::GetLeagueData(MembersDelegate onDone, int slot) {
    const bool sent = SendFor(
        *this, m_root, m_owner, slot, kData,
        [onDone](User*, const Kiplink::IValue& error, const Kiplink::IValue& result) {
            if (!error.IsNull()) {
                onDone(ErrorText(error).c_str(), nullptr, 0);
                return;
            }
            const std::vector<LeagueUser> users = ReadLeagueUsers(result["results"]);
            onDone(nullptr, users.empty() ? nullptr : users.data(), static_cast<int>(users.size()));
        },
        [](Kiplink::ILeagueProvider& p, Kiplink::IUser* u, uint32_t* id) { p.GetLeagueData(u, id); });
    if (!sent) {
        onDone(kNotSent, nullptr, 0);
    }
}

void KiplinkLeaguesService::GetRecentActivity(FeedDelegate onDone, int slot) {
    std::string leagueId;
    ServiceManager* manager =
        m_owner != nullptr && m_owner->GetBackend() != nullptr ? m_owner->GetBackend()->GetManager() : nullptr;
    UserStore* store = manager != nullptr ? manager->GetUserStore() : nullptr;
    if (store != nullptr && slot >= 0 && slot < store->GetSlotCount()) {
        if (User* user = store->GetUserHandle(slot)->GetUser()) {
            const char* held = user->GetMeta(kMetaKey, kMetaSub);
            leagueId = held != nullptr ? held : "";
        }
    }
    const bool sent = SendFor(
        *this, m_root, m_owner, slot, kActivity,
        [onDone](User*, const Kiplink::IValue& error, const Kiplink::IValue& result) {
            if (!error.IsNull()) {
                onDone(ErrorText(error).c_str(), nullptr, 0);
                return;
            }
            const std::vector<LeagueFeedUser> feed = ReadLeagueFeed(result["results"]);
            onDone(nullptr, feed.empty() ? nullptr : feed.data(), static_cast<int>(feed.size()));
        },
        [&](Kiplink::ILeagueProvider& p, Kiplink::IUser* u, uint32_t* id) {
            p.GetRecentActivity(u, id, leagueId.c_str());
        });
    if (!sent) {
        onDone(kNotSent, nullptr, 0);
    }
}

void KiplinkLeaguesService::GetRecommendedLeague(LeagueIdDelegate onDone) {
    const bool sent = SendFor(
        *this, m_root, m_owner, 0, kRecommended,
        [onDone](User*, const Kiplink::IValue& error, const Kiplink::IValue& result) {
            if (!error.IsNull() || !result.IsString()) {
                onDone(error.IsNull() ? "malformed reply" : ErrorText(error).c_str(), nullptr);
                return;
            }
            const std::string id = result.AsString("");
            onDone(nullptr, id.c_str());
        },
        [](Kiplink::ILeagueProvider& p, Kiplink::IUser* u, uint32_t* id) { p.GetRecommendedLeague(u, id); });
    if (!sent) {
        onDone(kNotSent, nullptr);
    }
}

void KiplinkLeaguesService::GetTopLeagues(LeagueListDelegate onDone) {
    const bool sent = SendFor(
        *this, m_root, m_owner, 0, kTop,
        [onDone](User*, const Kiplink::IValue& error, const Kiplink::IValue& result) {
            if (!error.IsNull()) {
                onDone(ErrorText(error).c_str(), nullptr, 0);
                return;
            }
            const auto top = ReadTopLeagues(result["results"]);
            std::vector<const char*> names;
            for (const auto& entry : top) {
                names.push_back(entry.first.c_str());
            }
            onDone(nullptr, names.empty() ? nullptr : names.data(), static_cast<int>(names.size()));
        },
        [](Kiplink::ILeagueProvider& p, Kiplink::IUser* u, uint32_t* id) { p.GetTopLeagues(u, id); });
    if (!sent) {
        onDone(kNotSent, nullptr, 0);
    }
}

}  // namespace Varnok
