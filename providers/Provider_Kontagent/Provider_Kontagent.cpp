#include "providers/Provider_Kontagent/Provider_Kontagent.h"

#include "engine/services/IAnalyticsService.h"
#include "engine/services/ServiceManager.h"
#include "providers/Provider_Kontagent/KontagentAnalyticsService.h"

namespace Varnok {

const AsciiString& Provider_Kontagent::GetProviderName() {
    static const AsciiString s_providerName("Provider_Kontagent");
    return s_providerName;
}

Provider_Kontagent::Provider_Kontagent(ServiceManagerBackend* backend) : m_backend(backend) {}

Provider_Kontagent::~Provider_Kontagent() {
    if (m_analytics != nullptr && m_backend != nullptr) {
        m_backend->RemoveService<IAnalyticsService>(m_analytics.get());
    }
}

bool Provider_Kontagent::Initialise() {
    if (m_analytics != nullptr && m_backend != nullptr) {
        m_backend->RemoveService<IAnalyticsService>(m_analytics.get());
    }
    m_analytics = std::make_unique<KontagentAnalyticsService>(m_backend);
    if (!m_analytics->Initialise()) {
        return false;
    }
    if (m_backend != nullptr) {
        m_backend->AddService<IAnalyticsService>(m_analytics.get());
    }
    m_analytics->SetEnabled(true);
    return true;
}

Provider_KontagentBuilder& Provider_KontagentBuilder::Get() {
    static Provider_KontagentBuilder s_builder;
    return s_builder;
}

IProvider* Provider_KontagentBuilder::CreateProvider(ServiceManagerBackend* backend) {
    return new Provider_Kontagent(backend);
}

void RegisterProvider_KontagentBuilder(ServiceManager& manager) {
    manager.AddProviderBuilder(Provider_KontagentBuilder::Get());
}

}  // namespace Varnok
