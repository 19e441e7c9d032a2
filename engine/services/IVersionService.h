// Version checks: whether an update is needed and where to get it.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class IVersionService;

class IVersionServiceAggregate : public ServiceInterfaceBase<IVersionService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("IVersionService");
        return s_serviceName;
    }
    virtual void OnRemoteConfigChanged() = 0;
    // The aggregate answers the first state that is not Unknown, else Online.
    virtual UpdateState GetUpdateState() = 0;
    // The store link, or null; the aggregate answers the first one.
    virtual const char* GetUpdateUrl() = 0;
};

class IVersionService : public IVersionServiceAggregate {
public:
    using BaseAggregateType = IVersionServiceAggregate;
    using ServiceType = IVersionService;
};

class VersionServiceAggregate final : public ServiceAggregateBase<IVersionServiceAggregate, IVersionService> {
public:
    // Told by the service configuration after every adoption. The services
    // hear of it only when the first one has no answer (Unknown) while the
    // aggregate last saw it answer; the first one's state is remembered.
    void OnRemoteConfigChanged() override {
        if (m_services.empty()) {
            return;
        }
        const UpdateState first = m_services.front()->GetUpdateState();
        if (first == UpdateState::Unknown && m_remembered != UpdateState::Unknown) {
            ForEachEnabled([](IVersionService& s) { s.OnRemoteConfigChanged(); });
        }
        m_remembered = first;
    }
    UpdateState GetUpdateState() override {
        for (IVersionService* service : m_services) {
            const UpdateState state = service->GetUpdateState();
            if (state != UpdateState::Unknown) {
                return state;
            }
        }
        return UpdateState::Online;
    }
    const char* GetUpdateUrl() override {
        for (IVersionService* service : m_services) {
            if (const char* url = service->GetUpdateUrl()) {
                return url;
            }
        }
        return nullptr;
    }

private:
    UpdateState m_remembered = UpdateState::Online;
};

template <>
struct ServiceAggregateFor<IVersionService> {
    using Type = VersionServiceAggregate;
};

}  // namespace Varnok
