// Authentication with the online service: logging a registered user out,
// after which a guest takes its slot. Logins happen in the user component.
#pragma once

#include "engine/services/IAuthenticationService.h"

namespace Kiplink {
class IKiplinkProvider;
}

namespace Varnok {

class KiplinkAuthenticationService final : public IAuthenticationService {
public:
    static constexpr const char* kServiceName = "kiplink";

    explicit KiplinkAuthenticationService(Kiplink::IKiplinkProvider* root) : m_root(root) {}

    bool Initialise() override { return true; }
    const AsciiString& GetProviderName() const override;
    void CancelAuthentication(int /*handle*/) override {}
    // (1, 3) without a user or outside every slot, (1, 0) for a guest;
    // otherwise the server's answer: (0, 0) logged out, (1, 1) refused.
    void Logout(User* user, LogoutDelegate onDone) override;
    AuthenticationState GetAuthenticationState(User* /*user*/, const char* /*serviceName*/) override {
        return AuthenticationState::Neutral;
    }
    void AuthenticateUserHandle(int /*handle*/, AuthenticateDelegate /*onDone*/,
                                MergeOfferDelegate /*onMergeOffered*/) override {}
    void ReAuthenticateUser(User* /*user*/, ReAuthenticateDelegate /*onDone*/) override {}

private:
    Kiplink::IKiplinkProvider* m_root;  // not referenced
};

}  // namespace Varnok
