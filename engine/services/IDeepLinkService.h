// Deep links that opened the application.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class IDeepLinkService;

class IDeepLinkServiceAggregate : public ServiceInterfaceBase<IDeepLinkService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("IDeepLinkService");
        return s_serviceName;
    }
    using DeepLinkDelegate = Delegate1<void, const DeepLinkOptions&>;

    virtual void SetDeepLinkCallback(DeepLinkDelegate onDeepLink) = 0;
};

class IDeepLinkService : public IDeepLinkServiceAggregate {
public:
    using BaseAggregateType = IDeepLinkServiceAggregate;
    using ServiceType = IDeepLinkService;
};

class DeepLinkServiceAggregate final : public ServiceAggregateBase<IDeepLinkServiceAggregate, IDeepLinkService> {
public:
    void SetDeepLinkCallback(DeepLinkDelegate onDeepLink) override {
        ForEachEnabled([&](IDeepLinkService& s) { s.SetDeepLinkCallback(onDeepLink); });
    }
};

template <>
struct ServiceAggregateFor<IDeepLinkService> {
    using Type = DeepLinkServiceAggregate;
};

}  // namespace Varnok
