// The online fixture with the server's accounts installed, a guest login
// and a listener that records what users report.
#pragma once

#include "engine/core/NetworkAvailabilityMonitor.h"
#include "kiplink/Public/IAuthService.h"
#include "kiplink/Public/IUser.h"
#include "kiplink/Source/Transaction.h"
#include "kiplink/Source/UserImpl.h"
#include "tests/providers/OnlineFixture.h"
#include "tools/kiplink_server/UserService.h"

#include <string>
#include <vector>

namespace OnlineTest {

struct UserEvent {
    std::string what;  // "sync", "displayName", "invalid", "shouldMerge", "merge", "expired"
    int code = -1;
    std::string text;  // "(null)" for a null text
    bool flag = false;
};

class UserEvents : public Kiplink::IUserCallbacks {
public:
    void OnSynchronize(Kiplink::IUser*, Kiplink::KIPLINKERROR code, const char* text) override {
        Add("sync", code, text);
    }
    void OnChangeDisplayName(Kiplink::IUser*, Kiplink::KIPLINKERROR code, const char* text) override {
        Add("displayName", code, text);
    }
    void OnChangeEmail(Kiplink::IUser*, Kiplink::KIPLINKERROR code, const char* text) override {
        Add("email", code, text);
    }
    void OnRegister(Kiplink::IUser*, Kiplink::KIPLINKERROR code, const char* text) override {
        Add("register", code, text);
    }
    void OnInvalidAuthentication(Kiplink::IUser*) override { Add("invalid", 0, nullptr); }
    void OnExpiredTokens(Kiplink::IUser*, const char* const* services, int count) override {
        std::string joined;
        for (int i = 0; i < count; ++i) {
            joined += services[i] != nullptr ? services[i] : "(null)";
            joined += i + 1 < count ? "," : "";
        }
        Add("expired", count, joined.c_str());
    }
    void OnShouldMergeUser(Kiplink::IUser*, bool shouldMerge, Kiplink::KIPLINKERROR code,
                           const char* text) override {
        Add("shouldMerge", code, text);
        events.back().flag = shouldMerge;
    }
    void OnMergeUser(Kiplink::IUser*, Kiplink::KIPLINKERROR code, const char* text) override {
        Add("merge", code, text);
    }

    int Count(const std::string& what) const {
        int n = 0;
        for (const UserEvent& e : events) {
            n += e.what == what ? 1 : 0;
        }
        return n;
    }
    const UserEvent* Last(const std::string& what) const {
        for (auto it = events.rbegin(); it != events.rend(); ++it) {
            if (it->what == what) {
                return &*it;
            }
        }
        return nullptr;
    }

    std::vector<UserEvent> events;

private:
    void Add(const char* what, int code, const char* text) {
        events.push_back({what, code, text != nullptr ? text : "(null)"});
    }
};

class AccountFixture : public OnlineFixture {
protected:
    void SetUp() override {
        OnlineFixture::SetUp();
        m_accounts.Install(*m_server);
        SetReachable(true);
    }
    void TearDown() override {
        m_events.Reset();
        OnlineFixture::TearDown();
    }

    static void SetReachable(bool reachable) {
        Varnok::NetworkAvailabilityMonitor::InstallInternetProbe([reachable] {
            return reachable ? Varnok::kNetworkReachable : Varnok::kNetworkNotReachable;
        });
    }

    // Logs a fresh local user in as a guest; answers the user that holds
    // the server's id (the login makes it), with a reference.
    Kiplink::RefPtr<Kiplink::UserImpl> LoginAsGuest() {
        auto auth = Kiplink::RefPtr<Kiplink::IAuthService>::Adopt(m_root->GetAuthService());
        auto fresh = Kiplink::RefPtr<Kiplink::IUser>::Adopt(m_root->CreateUser());
        auto request = Kiplink::RefPtr<Kiplink::ServiceRequest>::Adopt(auth->LoginAsGuest(fresh.Get()));
        request->Send();
        if (!PumpUntil([&] { return request->GetState() >= Kiplink::kServiceRequestSucceeded; })) {
            return {};
        }
        const char* id = request->GetResultString("id");
        if (id == nullptr) {
            return {};
        }
        return Reload(id);
    }

    // The user of that service id in the current root, with m_events on it.
    Kiplink::RefPtr<Kiplink::UserImpl> Reload(const std::string& id) {
        auto user = Kiplink::RefPtr<Kiplink::IUser>::Adopt(m_root->FindUserByKiplinkId(id.c_str()));
        if (!user) {
            return {};
        }
        user->AddCallbacks(m_events.Get());
        return Kiplink::RefPtr<Kiplink::UserImpl>(static_cast<Kiplink::UserImpl*>(user.Get()));
    }

    // Synchronises once and waits for the outcome.
    const UserEvent* SyncOnce(Kiplink::UserImpl& user, int timeoutMs = 5000) {
        const int before = m_events->Count("sync");
        user.Synchronize();
        if (!PumpUntil([&] { return m_events->Count("sync") > before; }, timeoutMs)) {
            return nullptr;
        }
        return m_events->Last("sync");
    }

    Varnok::Tools::UserService m_accounts;
    Kiplink::RefPtr<UserEvents> m_events{new UserEvents};
};

}  // namespace OnlineTest
