// The platform's implementations of the services the engine calls, which the
// shell installs when it starts. The program builds the set (platform/ has
// the desktop's); tests leave it empty or install their own.
#pragma once

#include "engine/core/DeviceSettings.h"
#include "engine/core/NetworkAvailabilityMonitor.h"

#include <memory>
#include <optional>

namespace Varnok {

class AlertBackend;
class ImageDecoder;
class KeyboardBackend;
class UrlOpener;

// Every member may be empty. Shared: the shell's settings are copied, and the
// process-wide managers keep what was installed for as long as they need it.
struct PlatformServices {
    std::shared_ptr<AlertBackend> alerts;       // empty: dialogs get the headless answers
    std::shared_ptr<KeyboardBackend> keyboard;  // empty: the keyboard is only modelled
    std::shared_ptr<UrlOpener> urlOpener;       // empty: opened URLs are only logged
    std::optional<DeviceSettings> deviceSettings;  // empty: DeviceSettings' defaults
    NetworkAvailabilityMonitor::StatusProbe networkProbe;  // empty: never reachable
    std::shared_ptr<ImageDecoder> launchImageDecoder;      // empty: no launch image
};

// Installs each service the set has; an empty member leaves what is installed
// (the engine's default, or a test's own). At start-up, on the main thread.
void InstallPlatformServices(const PlatformServices& services);

}  // namespace Varnok
