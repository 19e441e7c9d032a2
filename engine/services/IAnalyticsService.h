// Analytics reports. The events that analytics services send are configured
// (see ActionBuilder.h).
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class IAnalyticsService;

class IAnalyticsServiceAggregate : public ServiceInterfaceBase<IAnalyticsService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("IAnalyticsService");
        return s_serviceName;
    }
    // First-run install report, once per installation.
    virtual void ReportInstall() = 0;
    // A service answers whether it is online; the aggregate only passes it on
    // and answers false.
    virtual bool IsAvailable() = 0;
    // Device and user information.
    virtual void ReportUserInformation() = 0;
};

class IAnalyticsService : public IAnalyticsServiceAggregate {
public:
    using BaseAggregateType = IAnalyticsServiceAggregate;
    using ServiceType = IAnalyticsService;
};

class AnalyticsServiceAggregate final : public ServiceAggregateBase<IAnalyticsServiceAggregate, IAnalyticsService> {
public:
    void ReportInstall() override {
        ForEachEnabled([](IAnalyticsService& s) { s.ReportInstall(); });
    }
    bool IsAvailable() override {
        ForEachEnabled([](IAnalyticsService& s) { s.IsAvailable(); });
        return false;
    }
    void ReportUserInformation() override {
        ForEachEnabled([](IAnalyticsService& s) { s.ReportUserInformation(); });
    }
};

template <>
struct ServiceAggregateFor<IAnalyticsService> {
    using Type = AnalyticsServiceAggregate;
};

}  // namespace Varnok
