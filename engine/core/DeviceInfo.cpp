// Device answers from settings, the property map, and the network monitor.
#include "engine/core/DeviceInfo.h"

#include "engine/core/Log.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <memory>

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

std::unique_ptr<DeviceSettings>& SettingsSlot() {
    static std::unique_ptr<DeviceSettings> settings;
    return settings;
}

std::unique_ptr<DevicePropertyMap>& MapSlot() {
    static std::unique_ptr<DevicePropertyMap> map;
    return map;
}

}  // namespace

DeviceSettings ReadDeviceSettings() {
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

const DeviceSettings& GetDeviceSettings() {
    std::unique_ptr<DeviceSettings>& slot = SettingsSlot();
    if (!slot) {
        slot = std::make_unique<DeviceSettings>(ReadDeviceSettings());
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

AsciiString GetSystemVersion() {
    const std::string& version = GetDeviceSettings().systemVersion;
    return AsciiString(version.c_str(), static_cast<int>(version.size()));
}

AsciiString GetDeviceLanguage() {
    return UIDeviceHardware(GetDeviceSettings()).deviceLanguage();
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

NetworkAvailabilityMonitor::NetworkAvailabilityMonitor(StatusProbe probe)
    : m_probe(std::move(probe)) {}

void NetworkAvailabilityMonitor::Start() {
    const int status = ReadCurrentStatus();
    m_cachedStatus.store(status < 0 ? kNetworkNotReachable : status);
}

void NetworkAvailabilityMonitor::OnStatusChanged(const NetworkAvailabilityMonitor& notifier) {
    const int status = notifier.ReadCurrentStatus();
    if (status >= 0) {
        m_cachedStatus.store(status);
    }
}

int NetworkAvailabilityMonitor::ReadCurrentStatus() const {
    return m_probe ? m_probe() : -1;
}

NetworkAvailabilityMonitor& NetworkAvailabilityMonitor::ForInternetConnection() {
    static NetworkAvailabilityMonitor* monitor = [] {
        auto* m = new NetworkAvailabilityMonitor(&ProbeNetworkStatus);  // lives for the process
        m->Start();
        return m;
    }();
    return *monitor;
}

int IsNetworkReachable() {
    return NetworkAvailabilityMonitor::ForInternetConnection().GetCachedStatus();
}

int ProbeNetworkStatus() {
    if (const char* forced = Env("VARNOK_NETWORK")) {
        if (std::strcmp(forced, "on") == 0 || std::strcmp(forced, "1") == 0) {
            return kNetworkReachable;
        }
        if (std::strcmp(forced, "off") == 0 || std::strcmp(forced, "0") == 0) {
            return kNetworkNotReachable;
        }
        Log("DeviceInfo: VARNOK_NETWORK \"%s\" is not on or off; checking the network", forced);
    }
    if (const char* target = Env("VARNOK_NETWORK_PROBE")) {
        const std::string text = target;
        const size_t colon = text.rfind(':');
        const int port = colon == std::string::npos ? 0 : std::atoi(text.c_str() + colon + 1);
        if (port <= 0 || port > 65535) {
            Log("DeviceInfo: VARNOK_NETWORK_PROBE \"%s\" is not host:port", target);
            return kNetworkNotReachable;
        }
        const std::string host = text.substr(0, colon);
        return CanConnect(host.c_str(), port, 1000) ? kNetworkReachable : kNetworkNotReachable;
    }
    return HasNonLoopbackInterface() ? kNetworkReachable : kNetworkNotReachable;
}

bool CanConnect(const char* host, int port, int timeoutMs) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (getaddrinfo(host, service.c_str(), &hints, &found) != 0) {
        return false;
    }
    bool connected = false;
    for (addrinfo* a = found; a != nullptr && !connected; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                              a->ai_protocol);
        if (fd < 0) {
            continue;
        }
        if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            connected = true;
        } else if (errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            if (poll(&p, 1, timeoutMs) == 1) {
                int error = 0;
                socklen_t size = sizeof(error);
                connected = getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
            }
        }
        close(fd);
    }
    freeaddrinfo(found);
    return connected;
}

bool HasNonLoopbackInterface() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return false;
    }
    bool found = false;
    for (ifaddrs* i = list; i != nullptr && !found; i = i->ifa_next) {
        if (i->ifa_addr == nullptr || (i->ifa_flags & IFF_UP) == 0 ||
            (i->ifa_flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        const int family = i->ifa_addr->sa_family;
        found = family == AF_INET || family == AF_INET6;
    }
    freeifaddrs(list);
    return found;
}

}  // namespace Varnok
