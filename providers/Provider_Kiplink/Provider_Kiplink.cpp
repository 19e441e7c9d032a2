// The online service's provider and builder.
#include "providers/Provider_Kiplink/Provider_Kiplink.h"

#include "engine/services/ServiceManager.h"

namespace Varnok {

const AsciiString& Provider_Kiplink::GetProviderName() {
    static const AsciiString s_name("Provider_Kiplink");
    return s_name;
}

Provider_KiplinkBuilder& Provider_KiplinkBuilder::Get() {
    static Provider_KiplinkBuilder s_builder;
    return s_builder;
}

IProvider* Provider_KiplinkBuilder::CreateProvider(ServiceManagerBackend* backend) {
    return new Provider_Kiplink(backend);
}

void RegisterProvider_KiplinkBuilder() {
    ServiceManager::Get().AddProviderBuilder(Provider_KiplinkBuilder::Get());
}

}  // namespace Varnok
