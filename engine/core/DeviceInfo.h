// Questions about the device the engine runs on: model and display name,
// system version, language, screen class, a device identifier, the property
// map that the services report, and whether the network is reachable.
//
// Here the device answers come from settings (environment variables, with
// defaults taken from the host), and reachability from a real network check.
#pragma once

#include "engine/core/AsciiString.h"

#include <atomic>
#include <functional>
#include <map>
#include <string>

namespace Varnok {

// What the platform would tell. Each field has an environment variable:
//   model          VARNOK_DEVICE_MODEL   (default: the host's machine name, as "hw.machine")
//   systemVersion  VARNOK_SYSTEM_VERSION (default: the host's kernel release)
//   language       VARNOK_LANGUAGE       (default: from LANGUAGE/LC_ALL/LANG, else "en")
//   countryCode    VARNOK_COUNTRY        (default: the territory of LC_ALL/LANG, else "")
//   deviceId       VARNOK_DEVICE_ID      (default: /etc/machine-id; none gives error 1)
//   interfaceIdiom VARNOK_DEVICE_IDIOM   "phone", "pad" or "none" (default: pad for "iPad" models)
//   screenWidth    VARNOK_SCREEN_WIDTH   (default: 320)
struct DeviceSettings {
    std::string model;
    std::string systemVersion;
    std::string language;
    std::string countryCode;
    std::string deviceId;
    int deviceIdError = 0;   // the identifier provider's error code; 0 and 2 are not failures
    int interfaceIdiom = 0;  // 0 phone, 1 pad, -1: the system cannot answer the question
    int screenWidth = 320;   // width of the main screen's current mode, pixels
};

// Reads the environment now.
DeviceSettings ReadDeviceSettings();

// The process-wide settings, read from the environment on first use.
const DeviceSettings& GetDeviceSettings();
// Replaces the process-wide settings (platform set-up and tests). Answers that
// are cached for the process keep their first value.
void SetDeviceSettings(const DeviceSettings& settings);

// The model table and the answers derived from the model string.
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

AsciiString GetPlatformName();
AsciiString GetSystemVersion();
AsciiString GetDeviceLanguage();
// Computed once per process.
bool CanUseDisplayLink();
bool IsFastHardware();
bool IsRetina();
// Kept once the system has answered; false (not kept) while it cannot.
bool IsIPad();
// False when the identifier provider reports an error other than 0 or 2.
bool GetDeviceIdentifier(AsciiString& outIdentifier);

// Integer key to text, reported by the service providers. One process-wide
// instance, null until first built.
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

// Status values: 0 not reachable, anything else reachable.
constexpr int kNetworkNotReachable = 0;
constexpr int kNetworkReachable = 1;

// Watches the internet connection and keeps its last known status.
class NetworkAvailabilityMonitor {
public:
    // Answers the current status; may block briefly (a connect with a time-out).
    using StatusProbe = std::function<int()>;

    explicit NetworkAvailabilityMonitor(StatusProbe probe);

    // Reads the status at once and keeps it.
    void Start();
    // The change notification: asks the notifying monitor for its current
    // status, when it can answer, and keeps it. Any thread.
    void OnStatusChanged(const NetworkAvailabilityMonitor& notifier);
    // The kept status, without asking the platform.
    int GetCachedStatus() const { return m_cachedStatus.load(); }
    // Asks the platform now; -1 when this monitor has no probe.
    int ReadCurrentStatus() const;

    // The process-wide monitor of the internet connection, created and started
    // on first use, never released.
    static NetworkAvailabilityMonitor& ForInternetConnection();

private:
    StatusProbe m_probe;
    std::atomic<int> m_cachedStatus{kNetworkNotReachable};
};

// The process-wide monitor's cached status.
int IsNetworkReachable();

// The platform's probe. VARNOK_NETWORK forces it ("on"/"1" or "off"/"0");
// otherwise, when VARNOK_NETWORK_PROBE names "host:port", a TCP connect there
// decides; otherwise any interface that is up, not loopback and has an
// address counts as reachable.
int ProbeNetworkStatus();
// A non-blocking connect, waiting at most timeoutMs.
bool CanConnect(const char* host, int port, int timeoutMs);
bool HasNonLoopbackInterface();

}  // namespace Varnok
