// One saved online-service login of a device, as the iCloud key-value
// store keeps it for the player's other devices.
#pragma once

#include <string>

namespace Varnok {

struct LoginInfo {
    std::string deviceId;  // the entry's key
    std::string deviceName;
    std::string kiplinkId;
    std::string service;    // "facebook", "google"
    std::string timestamp;  // UTC "yyyy-MM-dd HH:mm:ss": text order is time order
};

}  // namespace Varnok
