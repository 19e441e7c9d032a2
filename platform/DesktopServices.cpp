// Picks the desktop back end of each service.
#include "platform/DesktopServices.h"

#include "platform/HostDeviceSettings.h"
#include "platform/NetworkProbe.h"
#include "platform/PngReader.h"
#include "platform/SdlAlertBackend.h"
#include "platform/SdlKeyboardBackend.h"
#include "platform/XdgUrlOpener.h"

namespace Varnok {

PlatformServices CreateDesktopServices(const DesktopServicesDef& def) {
    PlatformServices services;
    services.deviceSettings = ReadHostDeviceSettings();
    services.networkProbe = &ProbeNetworkStatus;
    services.launchImageDecoder = CreatePngDecoder();
    if (def.windowed) {
        services.alerts = CreateSdlAlertBackend();
        services.keyboard = CreateSdlKeyboardBackend();
    }
    if (def.xdgOpen) {
        services.urlOpener = CreateXdgUrlOpener();
    }
    return services;
}

}  // namespace Varnok
