// The provider's start: its one service registered, enabled and its
// networks started.
#include "providers/Provider_MoPub/Provider_MoPub.h"

#include "engine/services/ServiceManager.h"
#include "providers/Provider_MoPub/MoPubBridge.h"

namespace Varnok {

const AsciiString& Provider_MoPub::GetProviderName() {
    static const AsciiString s_name("Provider_MoPub");
    return s_name;
}

Provider_MoPub::~Provider_MoPub() {
    if (m_service != nullptr && m_backend != nullptr) {
        m_backend->RemoveService<IAdvertisingService>(m_service.get());
    }
}

bool Provider_MoPub::Initialise() {
    ServiceManagerConfig* config =
        m_backend != nullptr && m_backend->GetManager() != nullptr ? m_backend->GetManager()->GetConfig() : nullptr;
    m_service = std::make_unique<MoPubAdService>(config);
    if (!m_service->Initialise()) {
        return false;
    }
    if (m_backend != nullptr) {
        m_backend->AddService<IAdvertisingService>(m_service.get());
    }
    m_service->SetEnabled(true);
    MoPubBridge::Instance().StartNetworks(*m_service);
    return true;
}

IProvider* Provider_MoPubBuilder::CreateProvider(ServiceManagerBackend* backend) {
    return new Provider_MoPub(backend);
}

void RegisterProvider_MoPubBuilder() {
    static Provider_MoPubBuilder s_builder;
    ServiceManager::Get().AddProviderBuilder(s_builder);
}

}  // namespace Varnok
