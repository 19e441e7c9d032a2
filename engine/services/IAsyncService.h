// Asynchronous matches of the online service.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class IAsyncService;

class IAsyncServiceAggregate : public ServiceInterfaceBase<IAsyncService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("IAsyncService");
        return s_serviceName;
    }
};

class IAsyncService : public IAsyncServiceAggregate {
public:
    using BaseAggregateType = IAsyncServiceAggregate;
    using ServiceType = IAsyncService;
    void Update() override {}
    // The user's match provider, made on first request and kept per user.
    virtual IAsyncMatchProvider* GetAsyncMatchProvider(User* user) = 0;
};

class AsyncServiceAggregate final : public ServiceAggregateBase<IAsyncServiceAggregate, IAsyncService> {
};

template <>
struct ServiceAggregateFor<IAsyncService> {
    using Type = AsyncServiceAggregate;
};

}  // namespace Varnok
