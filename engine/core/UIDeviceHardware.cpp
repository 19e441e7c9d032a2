// The model table and the answers derived from the model string.
#include "engine/core/UIDeviceHardware.h"

#include <cstdlib>
#include <initializer_list>
#include <string>

namespace Varnok {
namespace {

struct ModelName {
    const char* model;
    const char* displayName;
};

// Checked in this order; the first match names the device.
const ModelName kModelNames[] = {
    {"iPhone1,1", "iPhone 1G"},      {"iPhone1,2", "iPhone 3G"},     {"iPhone2,1", "iPhone 3GS"},
    {"iPhone3,1", "iPhone 4"},       {"iPhone3,3", "iPhone 4"},      {"iPhone4,1", "iPhone 4S"},
    {"iPhone5,1", "iPhone 5"},       {"iPhone5,2", "iPhone 5"},      {"iPod1,1", "iPod Touch 1G"},
    {"iPod2,1", "iPod Touch 2G"},    {"iPod3,1", "iPod Touch 3G"},   {"iPod4,1", "iPod Touch 4G"},
    {"iPad1,1", "iPad"},             {"iPad2,1", "iPad 2"},          {"iPad2,2", "iPad 2"},
    {"iPad2,3", "iPad 2"},           {"iPad2,4", "iPad 2"},          {"iPad3,1", "iPad 3"},
    {"iPad3,2", "iPad 3"},           {"iPad3,3", "iPad 3"},          {"iPad2,5", "iPad Mini"},
    {"iPad2,6", "iPad Mini"},        {"iPad2,7", "iPad Mini"},       {"i386", "iPhone Simulator"},
    {"x86_64", "iPhone Simulator"},
};

bool IsOneOf(const std::string& model, std::initializer_list<const char*> models) {
    for (const char* m : models) {
        if (model == m) {
            return true;
        }
    }
    return false;
}

}  // namespace

AsciiString UIDeviceHardware::platform() const {
    return AsciiString(m_settings.model.c_str(), static_cast<int>(m_settings.model.size()));
}

AsciiString UIDeviceHardware::platformStringUTF8() const {
    for (const ModelName& entry : kModelNames) {
        if (m_settings.model == entry.model) {
            return AsciiString(entry.displayName);
        }
    }
    return platform();
}

AsciiString UIDeviceHardware::deviceLanguage() const {
    return AsciiString(m_settings.language.c_str(), static_cast<int>(m_settings.language.size()));
}

bool UIDeviceHardware::getCanUseDisplayLink() const {
    return !IsOneOf(m_settings.model, {"iPhone1,1", "iPhone1,2", "iPod1,1"});
}

bool UIDeviceHardware::getFastHardWare() const {
    return !IsOneOf(m_settings.model, {"iPhone1,1", "iPhone1,2", "iPod1,1", "iPod2,1"});
}

bool UIDeviceHardware::isSimulator() const {
    return IsOneOf(m_settings.model, {"i386", "x86_64"});
}

bool UIDeviceHardware::isRetina() const {
    const std::string& model = m_settings.model;
    if (model.empty()) {
        return false;
    }
    bool candidate;
    if (isSimulator()) {
        candidate = std::atof(m_settings.systemVersion.c_str()) >= 3.2 &&
                    m_settings.screenWidth == 640;
    } else {
        candidate = !IsOneOf(model, {"iPhone1,1", "iPhone1,2", "iPhone2,1", "iPod1,1", "iPod2,1",
                                     "iPod3,1"});
    }
    // The first iPad, the iPad 2 and the iPad mini have no retina screen.
    return candidate && model.find("iPad1") == std::string::npos &&
           model.find("iPad2") == std::string::npos;
}

AsciiString GetPlatformName() {
    return UIDeviceHardware(GetDeviceSettings()).platformStringUTF8();
}

bool CanUseDisplayLink() {
    static const bool answer = UIDeviceHardware(GetDeviceSettings()).getCanUseDisplayLink();
    return answer;
}

bool IsFastHardware() {
    static const bool answer = UIDeviceHardware(GetDeviceSettings()).getFastHardWare();
    return answer;
}

bool IsRetina() {
    static const bool answer = UIDeviceHardware(GetDeviceSettings()).isRetina();
    return answer;
}

}  // namespace Varnok
