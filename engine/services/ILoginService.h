// Signing in to the platform's game network.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class ILoginService;

class ILoginServiceAggregate : public ServiceInterfaceBase<ILoginService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("ILoginService");
        return s_serviceName;
    }
};

class ILoginService : public ILoginServiceAggregate {
public:
    using BaseAggregateType = ILoginServiceAggregate;
    using ServiceType = ILoginService;
    virtual bool IsLoggedIn(User* user) = 0;
    virtual bool IsLoginInProgress() = 0;
    virtual bool IsLoginCancelled() = 0;
    // user may be null.
    virtual void Login(User* user, bool force) = 0;
    virtual void ReservedOperation(User* user) = 0;
};

class LoginServiceAggregate final : public ServiceAggregateBase<ILoginServiceAggregate, ILoginService> {
};

template <>
struct ServiceAggregateFor<ILoginService> {
    using Type = LoginServiceAggregate;
};

}  // namespace Varnok
