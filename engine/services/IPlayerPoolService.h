// Pools of players known to the online service.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class IPlayerPoolService;

class IPlayerPoolServiceAggregate : public ServiceInterfaceBase<IPlayerPoolService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("IPlayerPoolService");
        return s_serviceName;
    }
};

class IPlayerPoolService : public IPlayerPoolServiceAggregate {
public:
    using BaseAggregateType = IPlayerPoolServiceAggregate;
    using ServiceType = IPlayerPoolService;
    // Made on first request and kept per user.
    virtual IPlayerPool* GetPlayerPool(User* user) = 0;
};

class PlayerPoolServiceAggregate final : public ServiceAggregateBase<IPlayerPoolServiceAggregate, IPlayerPoolService> {
};

template <>
struct ServiceAggregateFor<IPlayerPoolService> {
    using Type = PlayerPoolServiceAggregate;
};

}  // namespace Varnok
