// The online service's clock.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class ITimeService;

class ITimeServiceAggregate : public ServiceInterfaceBase<ITimeService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("ITimeService");
        return s_serviceName;
    }
};

class ITimeService : public ITimeServiceAggregate {
public:
    using BaseAggregateType = ITimeServiceAggregate;
    using ServiceType = ITimeService;
    // Seconds; the device's time while the server's is not known.
    virtual int64_t GetServerTime() = 0;
    virtual bool HasServerTime() = 0;
};

class TimeServiceAggregate final : public ServiceAggregateBase<ITimeServiceAggregate, ITimeService> {
};

template <>
struct ServiceAggregateFor<ITimeService> {
    using Type = TimeServiceAggregate;
};

}  // namespace Varnok
