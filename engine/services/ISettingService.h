// Settings that the online service delivers.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class ISettingService;

class ISettingServiceAggregate : public ServiceInterfaceBase<ISettingService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("ISettingService");
        return s_serviceName;
    }
    virtual void AddSettingsLoadedListener(Delegate0<void> listener) = 0;
    virtual void RemoveSettingsLoadedListener(Delegate0<void> listener) = 0;
};

class ISettingService : public ISettingServiceAggregate {
public:
    using BaseAggregateType = ISettingServiceAggregate;
    using ServiceType = ISettingService;
    void Update() override {}
    virtual ServiceValueHandle GetSettings() = 0;
};

class SettingServiceAggregate final : public ServiceAggregateBase<ISettingServiceAggregate, ISettingService> {
public:
    void AddSettingsLoadedListener(Delegate0<void> listener) override {
        ForEachEnabled([&](ISettingService& s) { s.AddSettingsLoadedListener(listener); });
    }
    void RemoveSettingsLoadedListener(Delegate0<void> listener) override {
        ForEachEnabled([&](ISettingService& s) { s.RemoveSettingsLoadedListener(listener); });
    }
};

template <>
struct ServiceAggregateFor<ISettingService> {
    using Type = SettingServiceAggregate;
};

}  // namespace Varnok
