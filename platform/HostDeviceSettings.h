// The device settings read from the host: environment variables, with
// defaults taken from the host itself.
#pragma once

#include "engine/core/DeviceSettings.h"

namespace Varnok {

// Reads the environment now. Each field has a variable:
//   model          VARNOK_DEVICE_MODEL   (default: the host's machine name, as "hw.machine")
//   systemVersion  VARNOK_SYSTEM_VERSION (default: the host's kernel release)
//   language       VARNOK_LANGUAGE       (default: from LANGUAGE/LC_ALL/LANG, else "en")
//   countryCode    VARNOK_COUNTRY        (default: the territory of LC_ALL/LANG, else "")
//   deviceId       VARNOK_DEVICE_ID      (default: /etc/machine-id; none gives error 1)
//   interfaceIdiom VARNOK_DEVICE_IDIOM   "phone", "pad" or "none" (default: pad for "iPad" models)
//   screenWidth    VARNOK_SCREEN_WIDTH   (default: 320)
// A value that cannot be used is logged and the default kept.
DeviceSettings ReadHostDeviceSettings();

}  // namespace Varnok
