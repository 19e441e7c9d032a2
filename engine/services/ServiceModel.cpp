// The shared behaviour of services and providers: the enabled flag's
// notifications.
#include "engine/services/ServiceModel.h"

namespace Varnok {

ServiceCallbackMap::~ServiceCallbackMap() = default;
IService::~IService() = default;
IProvider::~IProvider() = default;
IProviderBuilder::~IProviderBuilder() = default;

void IService::SetEnabled(bool enabled) {
    if (enabled == m_enabled) {
        return;
    }
    m_enabled = enabled;
    if (enabled) {
        OnEnabled();
    } else {
        OnDisabled();
    }
}

void IProvider::SetEnabled(bool enabled) {
    if (enabled == m_enabled) {
        return;
    }
    m_enabled = enabled;
    if (enabled) {
        OnEnabled();
    } else {
        OnDisabled();
    }
}

}  // namespace Varnok
