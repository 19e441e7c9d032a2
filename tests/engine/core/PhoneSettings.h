// A phone's device settings for the device tests: model of the caller's
// choosing, French language and country, a fixed identifier.
#pragma once

#include "engine/core/DeviceSettings.h"

namespace Varnok {

inline DeviceSettings PhoneSettings(const char* model) {
    DeviceSettings s;
    s.model = model;
    s.systemVersion = "6.1";
    s.language = "fr";
    s.countryCode = "FR";
    s.deviceId = "device-1234";
    return s;
}

}  // namespace Varnok
