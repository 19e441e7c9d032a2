// The manager's registries: providers by name and in order, aggregates by
// interface name and services by key.
#include "engine/services/ServiceManager.h"

#include "engine/core/Event.h"
#include "engine/core/FileSystem.h"
#include "engine/core/PlatformEventHub.h"
#include "engine/services/ActionBuilder.h"
#include "engine/services/DnsTxtClient.h"
#include "engine/services/ServiceManagerConfig.h"
#include "engine/services/UserStore.h"

#include <algorithm>

namespace Varnok {

ServiceManager& ServiceManager::Get() {
    // What the manager and its providers use while they go at exit (the
    // save files, the event lists they leave, the DNS queries) is made first,
    // so that it is destroyed after them.
    (void)FileSystemRegistry::Get();
    (void)PlatformEventHub::Get();
    (void)EventDispatcher::Get();
    (void)DnsTxtResolver::Get();
    (void)ActionBuilderRegistry::Get();  // services unregister their action factories
    static ServiceManager s_manager;
    return s_manager;
}

ServiceManager::ServiceManager() : m_backend(this) {}

namespace {
IProviderBuilder* g_defaultBuilder = nullptr;
}

void ServiceManager::SetDefaultProviderBuilder(IProviderBuilder* builder) {
    g_defaultBuilder = builder;
}

void ServiceManager::Initialise(const char* folder, const char* version, const ServiceDefines& defines) {
    m_version = AsciiString(version != nullptr ? version : "");
    AsciiString path(folder != nullptr ? folder : "");
    if (path.IsEmpty() || path[path.Length() - 1] != '/') {
        path.AppendChar('/');
    }
    LoadConfig(path.c_str(), defines);
    m_userStore = std::make_unique<UserStore>("UserStore/", this);
    m_userStoreStarted = false;
    if (g_defaultBuilder != nullptr) {
        AddProviderBuilder(*g_defaultBuilder);
    }
}

void ServiceManager::InitialiseProviders() {
    for (size_t i = 0; i < m_providers.size(); ++i) {
        IProvider* provider = m_providers[i].get();
        provider->SetEnabled(provider->Initialise());
    }
    if (m_userStore != nullptr) {
        m_userStore->Start();
        m_userStoreStarted = true;
    }
}

void ServiceManager::Update() {
    if (m_config == nullptr || m_userStore == nullptr) {
        return;
    }
    m_config->Update();
    m_userStore->Update();
    for (size_t i = 0; i < m_providers.size(); ++i) {
        if (m_providers[i]->IsEnabled()) {
            m_providers[i]->Update();
        }
    }
    for (const auto& entry : m_aggregates) {
        entry.second->Update();
    }
}

User* ServiceManager::GetCurrentUser() const {
    if (m_userStore == nullptr || !m_userStoreStarted || m_userStore->GetSlotCount() == 0) {
        return nullptr;
    }
    return m_userStore->GetUserHandle(0)->GetUser();
}

IProvider* ServiceManager::GetProviderAt(int index) const {
    return index >= 0 && index < GetProviderCount() ? m_providers[static_cast<size_t>(index)].get() : nullptr;
}

ServiceManager::~ServiceManager() {
    // Users go first: their destruction is announced to the providers.
    m_userStore.reset();
    // Newest first; each provider's services leave their aggregates before it
    // goes, and the aggregates outlive every provider.
    while (!m_providers.empty()) {
        const size_t before = m_providers.size();
        RemoveProvider(m_providers.back()->GetName());
        if (m_providers.size() == before) {
            m_providers.pop_back();  // stored under a name it no longer gives
        }
    }
}

void ServiceManager::LoadConfig(const char* folder, const ServiceDefines& defines) {
    m_config.reset();  // a running fetch of the old one goes with it
    m_config = std::make_unique<ServiceManagerConfig>(folder, defines, this);
}

void ServiceManager::AddProviderBuilder(IProviderBuilder& builder) {
    if (m_config != nullptr && m_config->IsProviderDisabled(builder.GetName())) {
        return;
    }
    AddProvider(builder.CreateProvider(&m_backend));
}

void ServiceManager::AddProvider(IProvider* provider) {
    if (provider == nullptr) {
        return;
    }
    std::unique_ptr<IProvider> owned(provider);
    const AsciiString name(provider->GetName());
    const auto found = m_providersByName.find(name);
    if (found != m_providersByName.end()) {
        if (found->second == provider) {
            (void)owned.release();  // already ours
            return;
        }
        RemoveProvider(name.c_str());
    }
    m_providersByName[name] = provider;
    m_providers.push_back(std::move(owned));
}

void ServiceManager::RemoveProvider(const char* name) {
    const auto found = m_providersByName.find(AsciiString(name));
    if (found == m_providersByName.end()) {
        return;
    }
    IProvider* provider = found->second;
    const AsciiString providerName(provider->GetName());
    // Its services die with it: no aggregate or key may keep them.
    for (auto it = m_servicesByKey.begin(); it != m_servicesByKey.end();) {
        if (it->second.providerName.Equals(providerName)) {
            if (auto* membership =
                    dynamic_cast<ServiceAggregateMembership*>(FindAggregate(it->second.interfaceName))) {
                membership->RemoveRegisteredService(it->second.service);
            }
            it = m_servicesByKey.erase(it);
        } else {
            ++it;
        }
    }
    m_providersByName.erase(found);
    const auto owned = std::find_if(m_providers.begin(), m_providers.end(),
                                    [provider](const auto& p) { return p.get() == provider; });
    if (owned != m_providers.end()) {
        // Out of the list before it is deleted, so that its destructor finds
        // the registries consistent.
        std::unique_ptr<IProvider> doomed = std::move(*owned);
        m_providers.erase(owned);
    }
}

bool ServiceManager::HasProvider(const char* name) const {
    return m_providersByName.find(AsciiString(name)) != m_providersByName.end();
}

void ServiceManager::NotifyUserCreated(User* user) {
    for (size_t i = 0; i < m_providers.size(); ++i) {
        m_providers[i]->OnUserCreated(user);
    }
}

void ServiceManager::NotifyUserDestroyed(User* user) {
    for (size_t i = 0; i < m_providers.size(); ++i) {
        m_providers[i]->OnUserDestroyed(user);
    }
}

IService* ServiceManager::FindServiceByKey(const char* key) const {
    const auto found = m_servicesByKey.find(AsciiString(key));
    return found != m_servicesByKey.end() ? found->second.service : nullptr;
}

IService* ServiceManager::FindAggregate(const AsciiString& interfaceName) const {
    const auto found = m_aggregates.find(interfaceName);
    return found != m_aggregates.end() ? found->second : nullptr;
}

void ServiceManager::StoreAggregate(const AsciiString& interfaceName,
                                    std::unique_ptr<IService> aggregate) {
    m_aggregates[interfaceName] = aggregate.get();
    m_ownedAggregates.push_back(std::move(aggregate));
}

bool ServiceManager::ClaimServiceKey(const AsciiString& key, IService* service,
                                     const AsciiString& interfaceName) {
    return m_servicesByKey.emplace(key, Registration{service, service->GetProviderName(), interfaceName})
        .second;
}

void ServiceManager::ReleaseService(const AsciiString& interfaceName, const IService* service) {
    if (auto* membership = dynamic_cast<ServiceAggregateMembership*>(FindAggregate(interfaceName))) {
        membership->RemoveRegisteredService(service);
    }
    for (auto it = m_servicesByKey.begin(); it != m_servicesByKey.end();) {
        if (it->second.service == service && it->second.interfaceName.Equals(interfaceName)) {
            it = m_servicesByKey.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace Varnok
