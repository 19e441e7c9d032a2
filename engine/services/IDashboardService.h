// The platform's own achievement and leaderboard screens.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class IDashboardService;

class IDashboardServiceAggregate : public ServiceInterfaceBase<IDashboardService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("IDashboardService");
        return s_serviceName;
    }
};

class IDashboardService : public IDashboardServiceAggregate {
public:
    using BaseAggregateType = IDashboardServiceAggregate;
    using ServiceType = IDashboardService;
    virtual void SetReservedCallback1(Delegate0<void> callback) = 0;
    virtual void SetReservedCallback2(Delegate0<void> callback) = 0;
    virtual bool IsScreenSupported(const char* screenName) = 0;
    virtual void ShowScreen(const char* screenName, const char* options) = 0;
    virtual void ShowLastScreen() = 0;
    virtual void CloseScreen() = 0;
};

class DashboardServiceAggregate final : public ServiceAggregateBase<IDashboardServiceAggregate, IDashboardService> {
};

template <>
struct ServiceAggregateFor<IDashboardService> {
    using Type = DashboardServiceAggregate;
};

}  // namespace Varnok
