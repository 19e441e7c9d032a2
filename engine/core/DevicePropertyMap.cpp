// The device property map, filled from the settings and the model table.
#include "engine/core/DevicePropertyMap.h"

#include "engine/core/CString.h"
#include "engine/core/DeviceSettings.h"
#include "engine/core/UIDeviceHardware.h"

#include <cstring>
#include <memory>
#include <string>

namespace Varnok {
namespace {

bool ContainsNoCase(const std::string& text, const char* part) {
    const size_t n = std::strlen(part);
    if (n == 0) {
        return true;
    }
    for (size_t i = 0; i + n <= text.size(); ++i) {
        size_t j = 0;
        while (j < n && FoldAsciiCase(text[i + j]) == FoldAsciiCase(part[j])) {
            ++j;
        }
        if (j == n) {
            return true;
        }
    }
    return false;
}

std::unique_ptr<DevicePropertyMap>& MapSlot() {
    static std::unique_ptr<DevicePropertyMap> map;
    return map;
}

}  // namespace

void DevicePropertyMap::Rebuild() {
    MapSlot().reset();
    auto map = std::make_unique<DevicePropertyMap>();
    const DeviceSettings& settings = GetDeviceSettings();

    map->m_values[kSystemVersion] = GetSystemVersion();
    map->m_values[kHardwareModel] = UIDeviceHardware(settings).platform();
    AsciiString identifier;
    if (!GetDeviceIdentifier(identifier)) {
        identifier = "";
    }
    map->m_values[kDeviceIdentifier] = identifier;
    map->m_values[kCountryCode] = AsciiString(settings.countryCode.c_str(),
                                              static_cast<int>(settings.countryCode.size()));

    const char* deviceClass;
    if (IsIPad()) {
        deviceClass = "tablet";
    } else {
        const AsciiString name = GetPlatformName();
        deviceClass = (name.IsEmpty() || ContainsNoCase(name.c_str(), "iPod")) ? "pod" : "phone";
    }
    map->m_values[kDeviceClass] = deviceClass;
    MapSlot() = std::move(map);
}

void DevicePropertyMap::Destroy() {
    MapSlot().reset();
}

DevicePropertyMap* DevicePropertyMap::Instance() {
    return MapSlot().get();
}

bool DevicePropertyMap::Has(const DevicePropertyMap* map, int key) {
    return map != nullptr && map->m_values.count(key) != 0;
}

const char* DevicePropertyMap::Get(const DevicePropertyMap* map, int key) {
    if (map == nullptr) {
        return nullptr;
    }
    const auto it = map->m_values.find(key);
    return it == map->m_values.end() ? nullptr : it->second.c_str();
}

}  // namespace Varnok
