// Hands each platform service to the part of the engine that calls it.
#include "engine/iOS/PlatformServices.h"

#include "engine/iOS/DialogManager_iPhone.h"
#include "engine/iOS/KeyboardManager.h"
#include "engine/iOS/LaunchUrl.h"
#include "engine/render/LoadingTexture.h"

namespace Varnok {

void InstallPlatformServices(const PlatformServices& services) {
    if (services.alerts != nullptr) {
        DialogManager_iPhone::Instance().SetPresenter(
            std::make_unique<AlertBackendPresenter>(services.alerts));
    }
    if (services.keyboard != nullptr) {
        KeyboardManager_iPhone::Instance().SetBackend(services.keyboard);
    }
    if (services.urlOpener != nullptr) {
        std::shared_ptr<UrlOpener> opener = services.urlOpener;
        SetUrlOpener([opener](const char* url) { return opener->Open(url); });
    }
    if (services.deviceSettings) {
        SetDeviceSettings(*services.deviceSettings);
    }
    if (services.networkProbe) {
        NetworkAvailabilityMonitor::InstallInternetProbe(services.networkProbe);
    }
    if (services.launchImageDecoder != nullptr) {
        SetLaunchImageDecoder(services.launchImageDecoder);
    }
}

}  // namespace Varnok
