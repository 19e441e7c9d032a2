// Settings through the client library's setting provider.
#include "providers/Provider_Kiplink/KiplinkSettingService.h"

#include "kiplink/Public/IKiplinkProvider.h"
#include "providers/Provider_Kiplink/KiplinkValue.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"

namespace Varnok {

class KiplinkSettingService::Listener final : public Kiplink::ISettingProviderCallbacks {
public:
    void OnSettingsLoaded(Kiplink::ISettingProvider*) override { delegates.CallAll(); }

    KiplinkDelegateList delegates;
};

KiplinkSettingService::KiplinkSettingService(Kiplink::IKiplinkProvider* root)
    : m_root(root),
      m_settings(Kiplink::RefPtr<Kiplink::ISettingProvider>::Adopt(root != nullptr ? root->GetSettingProvider()
                                                                                   : nullptr)) {}

KiplinkSettingService::~KiplinkSettingService() {
    if (m_listener && m_settings) {
        m_settings->RemoveCallbacks(m_listener.Get());
    }
}

const AsciiString& KiplinkSettingService::GetProviderName() const { return Provider_Kiplink::GetProviderName(); }

void KiplinkSettingService::AddSettingsLoadedListener(Delegate0<void> listener) {
    if (!m_listener) {
        m_listener = new Listener;
    }
    if (m_settings) {
        m_settings->AddCallbacks(m_listener.Get());
    }
    m_listener->delegates.Add(listener);
}

void KiplinkSettingService::RemoveSettingsLoadedListener(Delegate0<void> listener) {
    if (!listener.IsEmpty() && m_listener) {
        m_listener->delegates.RemoveAll(listener);
    }
}

ServiceValueHandle KiplinkSettingService::GetSettings() {
    Kiplink::IValue* settings = GetLibrarySettings();
    // The reference GetLibrarySettings added is the wrapper's to keep.
    return settings != nullptr ? ServiceValueHandle(KiplinkValue::Adopt(settings)) : ServiceValueHandle();
}

Kiplink::IValue* KiplinkSettingService::GetLibrarySettings() {
    return m_settings ? m_settings->GetSettings() : nullptr;
}

}  // namespace Varnok
