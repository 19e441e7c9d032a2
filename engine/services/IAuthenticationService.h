// Authentication with the online service.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class IAuthenticationService;

class IAuthenticationServiceAggregate : public ServiceInterfaceBase<IAuthenticationService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("IAuthenticationService");
        return s_serviceName;
    }
    using LogoutDelegate =
        Delegate3<void, RevokeAuthenticationResult, AuthenticationState, const char*>;

    virtual void CancelAuthentication(int handle) = 0;
    virtual void Logout(User* user, LogoutDelegate onDone) = 0;
    // The user's state for a service; the aggregate answers the first state that
    // is not Neutral.
    virtual AuthenticationState GetAuthenticationState(User* user, const char* serviceName) = 0;
};

class IAuthenticationService : public IAuthenticationServiceAggregate {
public:
    using BaseAggregateType = IAuthenticationServiceAggregate;
    using ServiceType = IAuthenticationService;
    void Update() override {}
    using AuthenticateDelegate =
        Delegate4<void, AuthenticationResult, MergeResult, AuthenticationState, const char*>;
    using MergeOfferDelegate = Delegate1<void, MergeResultHandler*>;
    using ReAuthenticateDelegate =
        Delegate3<void, ReAuthenticationResult, AuthenticationState, const char*>;

    // Authenticates the user of a handle, offering a merge through the handler.
    virtual void AuthenticateUserHandle(int handle, AuthenticateDelegate onDone,
                                        MergeOfferDelegate onMergeOffered) = 0;
    virtual void ReAuthenticateUser(User* user, ReAuthenticateDelegate onDone) = 0;
};

class AuthenticationServiceAggregate final : public ServiceAggregateBase<IAuthenticationServiceAggregate, IAuthenticationService> {
public:
    void CancelAuthentication(int handle) override {
        ForEachEnabled([&](IAuthenticationService& s) { s.CancelAuthentication(handle); });
    }
    void Logout(User* user, LogoutDelegate onDone) override {
        ForEachEnabled([&](IAuthenticationService& s) { s.Logout(user, onDone); });
    }
    AuthenticationState GetAuthenticationState(User* user, const char* serviceName) override {
        for (IAuthenticationService* service : m_services) {
            const AuthenticationState state = service->GetAuthenticationState(user, serviceName);
            if (state != AuthenticationState::Neutral) {
                return state;
            }
        }
        return AuthenticationState::Neutral;
    }
};

template <>
struct ServiceAggregateFor<IAuthenticationService> {
    using Type = AuthenticationServiceAggregate;
};

}  // namespace Varnok
