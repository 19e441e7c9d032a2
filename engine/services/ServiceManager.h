// The one registry of the service framework. Builders make providers,
// providers register their services through the backend, and game code
// reaches them through the manager: GetServiceAggregate for calls that fan
// out to every enabled service, GetService and GetProvider for one provider.
// Main thread only.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Log.h"
#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceConfigDocument.h"
#include "engine/services/ServiceModel.h"

#include <map>
#include <memory>
#include <vector>

namespace Varnok {

class ServiceManager;
class ServiceManagerConfig;
class User;
class UserStore;

// The registration side handed to builders and kept by providers.
class ServiceManagerBackend {
public:
    explicit ServiceManagerBackend(ServiceManager* manager) : m_manager(manager) {}

    // Registers a service of interface I (an I<X>Service) in I's aggregate,
    // made on first use, under the key "provider/interface[/custom]". A
    // service already listed, or a second one under a taken key, is not
    // registered. Registration does not enable the service.
    template <typename I>
    void AddService(I* service);
    // Takes the service out of I's aggregate and the key map (a provider that
    // is going away calls it for each of its services).
    template <typename I>
    void RemoveService(I* service);

    ServiceManager* GetManager() const { return m_manager; }

private:
    ServiceManager* m_manager;
};

class ServiceManager {
public:
    using AggregateMap = std::map<AsciiString, IService*, AsciiStringLess>;
    using ProviderMap = std::map<AsciiString, IProvider*, AsciiStringLess>;

    // The process's manager, made on first use.
    static ServiceManager& Get();

    // An empty manager; tests make their own.
    ServiceManager();
    ~ServiceManager();
    ServiceManager(const ServiceManager&) = delete;
    ServiceManager& operator=(const ServiceManager&) = delete;

    ServiceManagerBackend& GetBackend() { return m_backend; }

    // ---- Start-up and the frame update ----
    // The builder that Initialise registers first (Provider_Default's; its
    // library installs it). Null registers none.
    static void SetDefaultProviderBuilder(IProviderBuilder* builder);
    // Keeps the version, makes the configuration from the folder ("/"
    // appended when missing) and the defines (loading the cached remote
    // configuration), makes the user store over "UserStore/" and registers
    // the default provider.
    void Initialise(const char* folder, const char* version, const ServiceDefines& defines);
    // Initialises every provider in list order, enabling it by its result,
    // then starts the user store.
    void InitialiseProviders();
    // Once per frame: remote configuration, users, enabled providers, then
    // every aggregate. Nothing before Initialise.
    void Update();
    // The user in slot 0; null before the user store has started.
    User* GetCurrentUser() const;
    UserStore* GetUserStore() const { return m_userStore.get(); }
    const AsciiString& GetVersion() const { return m_version; }
    // Every provider in the order added.
    int GetProviderCount() const { return static_cast<int>(m_providers.size()); }
    IProvider* GetProviderAt(int index) const;

    // Makes the configuration from the folder's files for these defines,
    // replacing an earlier one; the start-up step that reads the
    // configuration calls it.
    void LoadConfig(const char* folder, const ServiceDefines& defines);
    // Null before LoadConfig.
    ServiceManagerConfig* GetConfig() const { return m_config.get(); }

    // By interface name ("ILeaderboardService") and by provider name, in map
    // order.
    const AggregateMap& GetAggregates() const { return m_aggregates; }
    const ProviderMap& GetProviders() const { return m_providersByName; }

    // Unless a "disableProvider" element names the builder, makes its
    // provider and adds it.
    void AddProviderBuilder(IProviderBuilder& builder);
    // Takes ownership; null is ignored. A different provider of the same name
    // is removed first.
    void AddProvider(IProvider* provider);
    // Takes the provider's services out of their aggregates and the key map,
    // then deletes it. An unknown name does nothing.
    void RemoveProvider(const char* name);
    bool HasProvider(const char* name) const;
    // Every provider in the order added, enabled or not.
    void NotifyUserCreated(User* user);
    void NotifyUserDestroyed(User* user);

    // I is an I<X>Service. Null, and one log line per interface, when no
    // service of I was ever registered.
    template <typename I>
    typename I::BaseAggregateType* GetServiceAggregate();
    // The first service of I whose provider name equals providerName exactly,
    // or the first of all for null; enabled or not.
    template <typename I>
    typename I::ServiceType* GetService(const char* providerName = nullptr);
    // The provider stored under T::GetProviderName(), or null.
    template <typename T>
    T* GetProvider();

    // The service registered under a key, or null.
    IService* FindServiceByKey(const char* key) const;

private:
    friend class ServiceManagerBackend;

    struct Registration {
        IService* service;
        AsciiString providerName;
        AsciiString interfaceName;
    };

    IService* FindAggregate(const AsciiString& interfaceName) const;
    void StoreAggregate(const AsciiString& interfaceName, std::unique_ptr<IService> aggregate);
    // False when the key is taken.
    bool ClaimServiceKey(const AsciiString& key, IService* service,
                         const AsciiString& interfaceName);
    void ReleaseService(const AsciiString& interfaceName, const IService* service);
    template <typename AggregateInterface>
    static void WarnMissingAggregate();

    ServiceManagerBackend m_backend;
    ProviderMap m_providersByName;
    std::vector<std::unique_ptr<IProvider>> m_providers;  // in the order added
    AggregateMap m_aggregates;
    std::vector<std::unique_ptr<IService>> m_ownedAggregates;
    std::map<AsciiString, Registration, AsciiStringLess> m_servicesByKey;
    std::unique_ptr<ServiceManagerConfig> m_config;
    std::unique_ptr<UserStore> m_userStore;
    AsciiString m_version;
    bool m_userStoreStarted = false;
};

template <typename AggregateInterface>
void ServiceManager::WarnMissingAggregate() {
    bool& warned = GetAggregateWarnFlag<AggregateInterface>();
    if (!warned) {
        warned = true;
        Log("ServiceManager: no service implements %s",
            AggregateInterface::GetServiceName().c_str());
    }
}

template <typename I>
void ServiceManagerBackend::AddService(I* service) {
    using Service = typename I::ServiceType;
    using Aggregate = typename ServiceAggregateFor<Service>::Type;
    if (service == nullptr) {
        return;
    }
    const AsciiString& interfaceName = Service::GetServiceName();
    IService* stored = m_manager->FindAggregate(interfaceName);
    if (stored == nullptr) {
        auto made = std::make_unique<Aggregate>();
        stored = made.get();
        m_manager->StoreAggregate(interfaceName, std::move(made));
    }
    auto* aggregate = dynamic_cast<Aggregate*>(stored);
    if (aggregate == nullptr || aggregate->ContainsService(service)) {
        return;
    }
    AsciiString key(service->GetProviderName());
    key.AppendChar('/');
    key.AppendString(interfaceName);
    if (!service->GetCustomName().IsEmpty()) {
        key.AppendChar('/');
        key.AppendString(service->GetCustomName());
    }
    if (m_manager->ClaimServiceKey(key, service, interfaceName)) {
        aggregate->AppendService(service);
    }
}

template <typename I>
void ServiceManagerBackend::RemoveService(I* service) {
    using Service = typename I::ServiceType;
    if (service != nullptr) {
        m_manager->ReleaseService(Service::GetServiceName(), service);
    }
}

template <typename I>
typename I::BaseAggregateType* ServiceManager::GetServiceAggregate() {
    using AggregateInterface = typename I::BaseAggregateType;
    IService* stored = FindAggregate(AggregateInterface::GetServiceName());
    if (stored == nullptr) {
        WarnMissingAggregate<AggregateInterface>();
        return nullptr;
    }
    return dynamic_cast<AggregateInterface*>(stored);
}

template <typename I>
typename I::ServiceType* ServiceManager::GetService(const char* providerName) {
    auto* aggregate = GetServiceAggregate<I>();
    if (aggregate == nullptr) {
        return nullptr;
    }
    const auto& services = aggregate->GetServices();
    if (providerName == nullptr) {
        return services.empty() ? nullptr : services.front();
    }
    const AsciiString wanted(providerName);
    for (auto* service : services) {
        if (service->GetProviderName().Equals(wanted)) {
            return service;
        }
    }
    return nullptr;
}

template <typename T>
T* ServiceManager::GetProvider() {
    const auto found = m_providersByName.find(T::GetProviderName());
    return found != m_providersByName.end() ? dynamic_cast<T*>(found->second) : nullptr;
}

}  // namespace Varnok
