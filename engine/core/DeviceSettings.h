// What the platform tells about the device the engine runs on: model, system
// version, language, country, identifier and screen class, and the plain
// answers read from them.
#pragma once

#include "engine/core/AsciiString.h"

#include <string>

namespace Varnok {

// The platform installs these at start-up (platform/ reads them from the
// host). Until then the answers come from these defaults: a phone of unknown
// model on the newest system the engine asks about (so every feature that
// depends on the version is on), English, no country, an empty identifier,
// a 320-pixel screen.
struct DeviceSettings {
    std::string model;                  // "hw.machine", e.g. "iPhone4,1"; empty: unknown
    std::string systemVersion = "6.1";  // dotted, compared number by number
    std::string language = "en";
    std::string countryCode;    // e.g. "GB"; empty when unknown
    std::string deviceId;
    int deviceIdError = 0;   // the identifier provider's error code; 0 and 2 are not failures
    int interfaceIdiom = 0;  // 0 phone, 1 pad, -1: the system cannot answer the question
    int screenWidth = 320;   // width of the main screen's current mode, pixels
};

// The process-wide settings: the defaults until set.
const DeviceSettings& GetDeviceSettings();
// Replaces the process-wide settings (the shell at start-up, and tests).
// Answers that are cached for the process keep their first value.
void SetDeviceSettings(const DeviceSettings& settings);

AsciiString GetSystemVersion();
AsciiString GetDeviceLanguage();
// Kept once the system has answered; false (not kept) while it cannot.
bool IsIPad();
// False when the identifier provider reports an error other than 0 or 2.
bool GetDeviceIdentifier(AsciiString& outIdentifier);

}  // namespace Varnok
