// The "Settings" value of the online service's static data behind the
// engine's setting service, with a listener for each load.
#pragma once

#include "engine/services/ISettingService.h"
#include "kiplink/Public/ISettingProvider.h"
#include "kiplink/Public/RefCounted.h"
#include "providers/Provider_Kiplink/KiplinkDelegateList.h"

namespace Kiplink {
class IKiplinkProvider;
}

namespace Varnok {

class KiplinkSettingService final : public ISettingService {
public:
    explicit KiplinkSettingService(Kiplink::IKiplinkProvider* root);
    ~KiplinkSettingService() override;

    bool Initialise() override { return true; }
    const AsciiString& GetProviderName() const override;
    void AddSettingsLoadedListener(Delegate0<void> listener) override;
    void RemoveSettingsLoadedListener(Delegate0<void> listener) override;
    // The loaded settings as a service value; an empty handle before any load.
    ServiceValueHandle GetSettings() override;
    // The library's settings with a reference added, null before any load.
    Kiplink::IValue* GetLibrarySettings();

private:
    class Listener;

    Kiplink::IKiplinkProvider* m_root;  // not referenced
    Kiplink::RefPtr<Kiplink::ISettingProvider> m_settings;
    Kiplink::RefPtr<Listener> m_listener;
};

}  // namespace Varnok
