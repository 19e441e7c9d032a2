// The model table: display names and the answers that follow from the model
// string.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/DeviceSettings.h"

namespace Varnok {

class UIDeviceHardware {
public:
    explicit UIDeviceHardware(const DeviceSettings& settings) : m_settings(settings) {}

    // The model string ("hw.machine"), e.g. "iPhone4,1".
    AsciiString platform() const;
    // The display name ("iPhone 4S"); a model not in the table is its own name.
    AsciiString platformStringUTF8() const;
    AsciiString deviceLanguage() const;
    bool getCanUseDisplayLink() const;
    bool getFastHardWare() const;
    bool isSimulator() const;
    bool isRetina() const;

private:
    const DeviceSettings& m_settings;  // must outlive the object
};

// From the process-wide settings.
AsciiString GetPlatformName();
// Computed once per process.
bool CanUseDisplayLink();
bool IsFastHardware();
bool IsRetina();

}  // namespace Varnok
