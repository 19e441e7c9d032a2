// The class pattern shared by every interface and its aggregate:
// ServiceInterfaceBase gives an I<X>ServiceAggregate its common answers, and
// ServiceAggregateBase holds the registered services of one interface and
// fans calls out to them. Commands go to every enabled service in
// registration order; queries ask every service, enabled or not.
#pragma once

#include "engine/services/ServiceModel.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace Varnok {

// Service is the interface's I<X>Service, declared after its aggregate
// interface.
template <typename Service>
class ServiceInterfaceBase : public IService {
public:
    const AsciiString& GetLogData() const override {
        static const AsciiString s_logData;
        return s_logData;
    }
    const AsciiString& GetCustomName() const override {
        static const AsciiString s_customName;
        return s_customName;
    }
    // A plain service has no sub-services: a shared empty list.
    virtual std::vector<Service*>& GetServices() {
        static std::vector<Service*> s_servicesTemp;
        return s_servicesTemp;
    }
};

// What the manager needs of any aggregate to take a departing provider's
// services out of it.
class ServiceAggregateMembership {
public:
    virtual ~ServiceAggregateMembership() = default;
    // True when the service was in the list (it is then gone from it).
    virtual bool RemoveRegisteredService(const IService* service) = 0;
};

// Made disabled and online; nothing enables an aggregate. It does not own the
// services it lists.
template <typename AggregateInterface, typename Service>
class ServiceAggregateBase : public AggregateInterface, public ServiceAggregateMembership {
public:
    bool Initialise() override { return true; }
    void Update() override {
        ForEachEnabled([](Service& service) { service.Update(); });
    }
    const AsciiString& GetProviderName() const override {
        static const AsciiString s_providerName;
        return s_providerName;
    }
    int GetServiceCount() const override { return static_cast<int>(m_services.size()); }
    IService* GetService(int index) const override {
        if (index < 0 || index >= GetServiceCount()) {
            return nullptr;
        }
        return m_services[static_cast<size_t>(index)];
    }
    std::vector<Service*>& GetServices() override { return m_services; }

    bool ContainsService(const Service* service) const {
        return std::find(m_services.begin(), m_services.end(), service) != m_services.end();
    }
    void AppendService(Service* service) { m_services.push_back(service); }
    bool RemoveRegisteredService(const IService* service) override {
        for (auto it = m_services.begin(); it != m_services.end(); ++it) {
            if (static_cast<const IService*>(*it) == service) {
                m_services.erase(it);
                return true;
            }
        }
        return false;
    }

protected:
    // Broadcast: every enabled service in list order. Indexing rather than
    // iterators lets a service register another while it is called.
    template <typename Call>
    void ForEachEnabled(Call call) {
        for (size_t i = 0; i < m_services.size(); ++i) {
            if (m_services[i]->IsEnabled()) {
                call(*m_services[i]);
            }
        }
    }
    // Any: true at the first service, enabled or not, that answers true.
    template <typename Query>
    bool AnyAnswers(Query query) const {
        for (size_t i = 0; i < m_services.size(); ++i) {
            if (query(*m_services[i])) {
                return true;
            }
        }
        return false;
    }
    // First owner: the first service, enabled or not, that says it handles it.
    template <typename Query>
    Service* FirstOwner(Query handles) const {
        for (size_t i = 0; i < m_services.size(); ++i) {
            if (handles(*m_services[i])) {
                return m_services[i];
            }
        }
        return nullptr;
    }

    std::vector<Service*> m_services;  // registration order, not owned
};

// Names the concrete aggregate of an interface; each interface header
// specialises it.
template <typename Service>
struct ServiceAggregateFor;

}  // namespace Varnok
