// Friend lists of the online service.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class IFriendsService;

class IFriendsServiceAggregate : public ServiceInterfaceBase<IFriendsService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("IFriendsService");
        return s_serviceName;
    }
};

class IFriendsService : public IFriendsServiceAggregate {
public:
    using BaseAggregateType = IFriendsServiceAggregate;
    using ServiceType = IFriendsService;
    // Made on first request and kept per user.
    virtual IFriends* GetFriends(User* user) = 0;
};

class FriendsServiceAggregate final : public ServiceAggregateBase<IFriendsServiceAggregate, IFriendsService> {
};

template <>
struct ServiceAggregateFor<IFriendsService> {
    using Type = FriendsServiceAggregate;
};

}  // namespace Varnok
