// Logging out of the online service.
#include "providers/Provider_Kiplink/KiplinkAuthenticationService.h"

#include "engine/iOS/AppleICloudHelper.h"
#include "engine/services/UserStore.h"
#include "kiplink/Public/IAuthService.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "kiplink/Public/IUser.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"

namespace Varnok {

namespace {

constexpr auto kFailure = RevokeAuthenticationResult::Failure;
constexpr auto kSuccess = RevokeAuthenticationResult::Success;

AuthenticationState State(int value) { return static_cast<AuthenticationState>(value); }

// Hears the one logout request it was made for, then lets go of itself.
class KiplinkLogoutListener final : public Kiplink::IAuthServiceCallbacks {
public:
    KiplinkLogoutListener(Kiplink::IAuthService* auth, User* user,
                          const IAuthenticationServiceAggregate::LogoutDelegate& onDone)
        : m_auth(auth), m_user(user), m_onDone(onDone) {}

    void Watch(Kiplink::ServiceRequest* request) { m_request = request; }

    void OnRequestCompleted(Kiplink::ServiceRequest* request) override {
        if (request == nullptr || request != m_request.Get()) {
            return;
        }
        const int32_t state = request->GetState();
        UserStore* store = m_user != nullptr ? m_user->GetOwner() : nullptr;
        if (state == Kiplink::kServiceRequestSucceeded && m_user != nullptr && m_user->HasSlot() && store != nullptr) {
            const int slot = m_user->GetSlot();
            Provider_Kiplink::SendLoggedOutEvent("guest", "registered");
            Kiplink::RefPtr<Kiplink::IUser> libraryUser = UserComponent_Kiplink::LibraryUserOf(m_user);
            store->ClearSlot(slot, false);
            if (libraryUser) {
                libraryUser->ClearAuthToken();
            }
            if (slot == 0) {
                store->AssignSlot(0, true);
            }
            // The player logged out here: this device no longer offers the
            // login to the player's other devices.
            ClearICloudLoginInfo();
            m_onDone(kSuccess, State(0), KiplinkAuthenticationService::kServiceName);
        } else if (state == Kiplink::kServiceRequestSucceeded) {
            m_onDone(kFailure, State(3), KiplinkAuthenticationService::kServiceName);
        } else {
            m_onDone(kFailure, State(1), KiplinkAuthenticationService::kServiceName);
        }
        m_request.Reset();
        Kiplink::RefPtr<KiplinkLogoutListener> keep(this);
        m_auth->RemoveCallbacks(this);
    }

private:
    Kiplink::IAuthService* m_auth;  // not referenced: it calls this listener
    Kiplink::RefPtr<Kiplink::ServiceRequest> m_request;
    User* m_user;
    IAuthenticationServiceAggregate::LogoutDelegate m_onDone;
};

}  // namespace

const AsciiString& KiplinkAuthenticationService::GetProviderName() const {
    return Provider_Kiplink::GetProviderName();
}

void KiplinkAuthenticationService::Logout(User* user, LogoutDelegate onDone) {
    if (user == nullptr) {
        onDone(kFailure, State(3), kServiceName);
        return;
    }
    Kiplink::IUser* libraryUser = UserComponent_Kiplink::LibraryUserOf(user);
    if (libraryUser == nullptr) {
        // Outside every slot there is no bound library user and so no token
        // to give up: nothing to log out.
        onDone(kFailure, State(3), kServiceName);
        return;
    }
    if (!libraryUser->IsRegisteredUser()) {
        onDone(kFailure, State(0), kServiceName);
        return;
    }
    Kiplink::RefPtr<Kiplink::IAuthService> auth =
        Kiplink::RefPtr<Kiplink::IAuthService>::Adopt(m_root != nullptr ? m_root->GetAuthService() : nullptr);
    if (!auth) {
        onDone(kFailure, State(1), kServiceName);
        return;
    }
    Kiplink::RefPtr<KiplinkLogoutListener> listener(new KiplinkLogoutListener(auth.Get(), user, onDone));
    auth->AddCallbacks(listener.Get());
    Kiplink::RefPtr<Kiplink::ServiceRequest> request =
        Kiplink::RefPtr<Kiplink::ServiceRequest>::Adopt(auth->Logout(libraryUser->GetAuthToken()));
    if (!request) {
        auth->RemoveCallbacks(listener.Get());
        onDone(kFailure, State(1), kServiceName);
        return;
    }
    listener->Watch(request.Get());
    request->Send();
}

}  // namespace Varnok
