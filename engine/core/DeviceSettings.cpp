// The process-wide device settings and the answers read straight from them.
#include "engine/core/DeviceSettings.h"

#include <atomic>
#include <memory>

namespace Varnok {
namespace {

std::unique_ptr<DeviceSettings>& SettingsSlot() {
    static std::unique_ptr<DeviceSettings> settings;
    return settings;
}

AsciiString ToAscii(const std::string& text) {
    return AsciiString(text.c_str(), static_cast<int>(text.size()));
}

}  // namespace

const DeviceSettings& GetDeviceSettings() {
    std::unique_ptr<DeviceSettings>& slot = SettingsSlot();
    if (!slot) {
        slot = std::make_unique<DeviceSettings>();
    }
    return *slot;
}

void SetDeviceSettings(const DeviceSettings& settings) {
    std::unique_ptr<DeviceSettings>& slot = SettingsSlot();
    if (slot) {
        *slot = settings;
    } else {
        slot = std::make_unique<DeviceSettings>(settings);
    }
}

AsciiString GetSystemVersion() {
    return ToAscii(GetDeviceSettings().systemVersion);
}

AsciiString GetDeviceLanguage() {
    return ToAscii(GetDeviceSettings().language);
}

bool IsIPad() {
    static std::atomic<int> kept{-1};  // -1: the system has not answered yet
    int answer = kept.load();
    if (answer < 0) {
        const int idiom = GetDeviceSettings().interfaceIdiom;
        if (idiom < 0) {
            return false;
        }
        answer = idiom == 1 ? 1 : 0;
        kept.store(answer);
    }
    return answer == 1;
}

bool GetDeviceIdentifier(AsciiString& outIdentifier) {
    const DeviceSettings& settings = GetDeviceSettings();
    if (settings.deviceIdError != 0 && settings.deviceIdError != 2) {
        return false;
    }
    outIdentifier.Assign(settings.deviceId.c_str(), static_cast<int>(settings.deviceId.size()));
    return true;
}

}  // namespace Varnok
