// Device settings from the environment, the locale, uname and the machine id.
#include "platform/HostDeviceSettings.h"

#include "engine/core/Log.h"

#include <sys/utsname.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace Varnok {
namespace {

const char* Env(const char* name) {
    const char* value = std::getenv(name);
    return (value != nullptr && value[0] != '\0') ? value : nullptr;
}

// The POSIX locale in force: LC_ALL, then LANG.
std::string HostLocale() {
    for (const char* name : {"LC_ALL", "LANG"}) {
        if (const char* value = Env(name)) {
            return value;
        }
    }
    return std::string();
}

// "en_GB.UTF-8" gives "en"; "C" and "POSIX" give nothing.
std::string LanguageOfLocale(const std::string& locale) {
    const std::string lang = locale.substr(0, locale.find_first_of("_.@:"));
    if (lang == "C" || lang == "POSIX") {
        return std::string();
    }
    return lang;
}

// "en_GB.UTF-8" gives "GB".
std::string CountryOfLocale(const std::string& locale) {
    const size_t underscore = locale.find('_');
    if (underscore == std::string::npos) {
        return std::string();
    }
    const size_t end = locale.find_first_of(".@", underscore + 1);
    return locale.substr(underscore + 1, end == std::string::npos ? std::string::npos
                                                                  : end - underscore - 1);
}

std::string ReadFirstLine(const char* path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) {
        line.pop_back();
    }
    return line;
}

}  // namespace

DeviceSettings ReadHostDeviceSettings() {
    DeviceSettings s;
    utsname host{};
    const bool haveHost = uname(&host) == 0;

    const char* model = Env("VARNOK_DEVICE_MODEL");
    s.model = model ? model : (haveHost ? host.machine : "");
    const char* version = Env("VARNOK_SYSTEM_VERSION");
    s.systemVersion = version ? version : (haveHost ? host.release : "");

    const std::string locale = HostLocale();
    if (const char* language = Env("VARNOK_LANGUAGE")) {
        s.language = language;
    } else {
        // LANGUAGE is a colon-separated preference list; its first entry leads.
        const char* preferred = Env("LANGUAGE");
        s.language = LanguageOfLocale(preferred ? preferred : locale);
        if (s.language.empty()) {
            s.language = "en";
        }
    }
    const char* country = Env("VARNOK_COUNTRY");
    s.countryCode = country ? country : CountryOfLocale(locale);

    if (const char* id = Env("VARNOK_DEVICE_ID")) {
        s.deviceId = id;
    } else {
        s.deviceId = ReadFirstLine("/etc/machine-id");
        s.deviceIdError = s.deviceId.empty() ? 1 : 0;
    }

    s.interfaceIdiom = s.model.compare(0, 4, "iPad") == 0 ? 1 : 0;
    if (const char* idiom = Env("VARNOK_DEVICE_IDIOM")) {
        if (std::strcmp(idiom, "pad") == 0) {
            s.interfaceIdiom = 1;
        } else if (std::strcmp(idiom, "phone") == 0) {
            s.interfaceIdiom = 0;
        } else if (std::strcmp(idiom, "none") == 0) {
            s.interfaceIdiom = -1;
        } else {
            Log("DeviceInfo: VARNOK_DEVICE_IDIOM \"%s\" is not phone, pad or none; using %s",
                idiom, s.interfaceIdiom == 1 ? "pad" : "phone");
        }
    }
    if (const char* width = Env("VARNOK_SCREEN_WIDTH")) {
        char* end = nullptr;
        const long value = std::strtol(width, &end, 10);
        if (*end != '\0' || value <= 0 || value > 100000) {
            Log("DeviceInfo: VARNOK_SCREEN_WIDTH \"%s\" is not a width; using %d", width,
                s.screenWidth);
        } else {
            s.screenWidth = static_cast<int>(value);
        }
    }
    return s;
}

}  // namespace Varnok
