// Integer key to text about the device, reported by the service providers.
#pragma once

#include "engine/core/AsciiString.h"

#include <map>

namespace Varnok {

// Built from the process-wide device settings. One process-wide instance,
// null until first built.
class DevicePropertyMap {
public:
    enum Key : int {
        kDeviceIdentifier = 0,
        kHardwareModel = 1,
        kSystemVersion = 3,
        kCountryCode = 16,
        kDeviceClass = 19,  // "tablet", "phone" or "pod"
    };

    // Deletes the instance when it exists and builds a new one.
    static void Rebuild();
    // Deletes the instance; Instance() answers null afterwards.
    static void Destroy();
    // Null until built.
    static DevicePropertyMap* Instance();

    // A null map has no keys.
    static bool Has(const DevicePropertyMap* map, int key);
    // The value's text, or null when the key (or the map) is absent.
    static const char* Get(const DevicePropertyMap* map, int key);

private:
    std::map<int, AsciiString> m_values;
};

}  // namespace Varnok
