#include "engine/core/DeviceInfo.h"

#include <gtest/gtest.h>

#include "tests/engine/core/support/LoopbackHttpServer.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace Varnok {
namespace {

DeviceSettings PhoneSettings(const char* model) {
    DeviceSettings s;
    s.model = model;
    s.systemVersion = "6.1";
    s.language = "fr";
    s.countryCode = "FR";
    s.deviceId = "device-1234";
    return s;
}

TEST(DeviceInfo, ModelTableNamesAndAnswers) {
    const struct {
        const char* model;
        const char* name;
        bool retina;
        bool fast;
        bool displayLink;
    } cases[] = {
        {"iPhone1,1", "iPhone 1G", false, false, false},
        {"iPhone1,2", "iPhone 3G", false, false, false},
        {"iPhone2,1", "iPhone 3GS", false, true, true},
        {"iPhone3,3", "iPhone 4", true, true, true},
        {"iPhone4,1", "iPhone 4S", true, true, true},
        {"iPod1,1", "iPod Touch 1G", false, false, false},
        {"iPod2,1", "iPod Touch 2G", false, false, true},
        {"iPod3,1", "iPod Touch 3G", false, true, true},
        {"iPod4,1", "iPod Touch 4G", true, true, true},
        {"iPad1,1", "iPad", false, true, true},
        {"iPad2,4", "iPad 2", false, true, true},
        {"iPad2,5", "iPad Mini", false, true, true},
        {"iPad3,1", "iPad 3", true, true, true},
        // Not in the table: its own name, retina unless it is an iPad1/iPad2.
        {"iPhone9,9", "iPhone9,9", true, true, true},
        {"iPad2,9", "iPad2,9", false, true, true},
        {"", "", false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        const DeviceSettings settings = PhoneSettings(c.model);
        const UIDeviceHardware hardware(settings);
        EXPECT_STREQ(hardware.platform().c_str(), c.model);
        EXPECT_STREQ(hardware.platformStringUTF8().c_str(), c.name);
        EXPECT_EQ(hardware.isRetina(), c.retina);
        EXPECT_EQ(hardware.getFastHardWare(), c.fast);
        EXPECT_EQ(hardware.getCanUseDisplayLink(), c.displayLink);
        EXPECT_FALSE(hardware.isSimulator());
    }
}

TEST(DeviceInfo, SimulatorIsRetinaOnlyOnA640WideScreenFromVersion3_2) {
    const struct {
        const char* model;
        const char* version;
        int width;
        bool retina;
    } cases[] = {
        {"x86_64", "6.1", 640, true},
        {"i386", "3.2", 640, true},
        {"x86_64", "3.1", 640, false},
        {"x86_64", "6.1", 320, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + c.version + " " + std::to_string(c.width));
        DeviceSettings settings = PhoneSettings(c.model);
        settings.systemVersion = c.version;
        settings.screenWidth = c.width;
        const UIDeviceHardware hardware(settings);
        EXPECT_TRUE(hardware.isSimulator());
        EXPECT_STREQ(hardware.platformStringUTF8().c_str(), "iPhone Simulator");
        EXPECT_EQ(hardware.isRetina(), c.retina);
    }
}

// Restores the environment variables a test changes.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        const char* old = std::getenv(name);
        m_had = old != nullptr;
        if (m_had) {
            m_old = old;
        }
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (m_had) {
            setenv(m_name, m_old.c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    bool m_had = false;
    std::string m_old;
};

TEST(DeviceInfo, SettingsComeFromTheEnvironment) {
    ScopedEnv model("VARNOK_DEVICE_MODEL", "iPad3,1");
    ScopedEnv version("VARNOK_SYSTEM_VERSION", "5.1.1");
    ScopedEnv language("VARNOK_LANGUAGE", "de");
    ScopedEnv country("VARNOK_COUNTRY", "AT");
    ScopedEnv id("VARNOK_DEVICE_ID", "abc");
    ScopedEnv idiom("VARNOK_DEVICE_IDIOM", nullptr);
    ScopedEnv width("VARNOK_SCREEN_WIDTH", "not a number");
    const DeviceSettings s = ReadDeviceSettings();
    EXPECT_EQ(s.model, "iPad3,1");
    EXPECT_EQ(s.systemVersion, "5.1.1");
    EXPECT_EQ(s.language, "de");
    EXPECT_EQ(s.countryCode, "AT");
    EXPECT_EQ(s.deviceId, "abc");
    EXPECT_EQ(s.deviceIdError, 0);
    EXPECT_EQ(s.interfaceIdiom, 1);  // an iPad model answers the pad idiom
    EXPECT_EQ(s.screenWidth, 320);   // the bad value is logged and ignored
}

TEST(DeviceInfo, DefaultsComeFromTheHostLocale) {
    ScopedEnv model("VARNOK_DEVICE_MODEL", nullptr);
    ScopedEnv language("VARNOK_LANGUAGE", nullptr);
    ScopedEnv languages("LANGUAGE", nullptr);
    ScopedEnv country("VARNOK_COUNTRY", nullptr);
    ScopedEnv all("LC_ALL", nullptr);
    ScopedEnv lang("LANG", "pt_BR.UTF-8");
    DeviceSettings s = ReadDeviceSettings();
    EXPECT_FALSE(s.model.empty());  // the host's machine name
    EXPECT_EQ(s.language, "pt");
    EXPECT_EQ(s.countryCode, "BR");

    ScopedEnv plain("LANG", "C");
    s = ReadDeviceSettings();
    EXPECT_EQ(s.language, "en");
    EXPECT_EQ(s.countryCode, "");  // no country: an empty value
}

// The process-wide answers read the settings in force. Cached answers keep
// their first value, so this test only checks what may not change.
TEST(DeviceInfo, PropertyMapAndPlainAnswers) {
    DeviceSettings settings = PhoneSettings("iPod4,1");
    settings.interfaceIdiom = 0;
    SetDeviceSettings(settings);

    EXPECT_STREQ(GetPlatformName().c_str(), "iPod Touch 4G");
    EXPECT_STREQ(GetSystemVersion().c_str(), "6.1");
    EXPECT_STREQ(GetDeviceLanguage().c_str(), "fr");
    AsciiString id;
    EXPECT_TRUE(GetDeviceIdentifier(id));
    EXPECT_STREQ(id.c_str(), "device-1234");

    const bool retina = IsRetina();
    settings.model = "iPhone1,1";
    SetDeviceSettings(settings);
    EXPECT_EQ(IsRetina(), retina);  // computed once per process
    settings.model = "iPod4,1";

    // An error other than 0 and 2 fails the identifier and leaves key 0 empty.
    settings.deviceIdError = 5;
    SetDeviceSettings(settings);
    EXPECT_FALSE(GetDeviceIdentifier(id));
    settings.deviceIdError = 2;
    SetDeviceSettings(settings);
    EXPECT_TRUE(GetDeviceIdentifier(id));

    EXPECT_EQ(DevicePropertyMap::Get(DevicePropertyMap::Instance(), 0), nullptr);
    settings.deviceIdError = 1;
    SetDeviceSettings(settings);
    DevicePropertyMap::Rebuild();
    const DevicePropertyMap* map = DevicePropertyMap::Instance();
    ASSERT_NE(map, nullptr);
    EXPECT_STREQ(DevicePropertyMap::Get(map, DevicePropertyMap::kDeviceIdentifier), "");
    EXPECT_STREQ(DevicePropertyMap::Get(map, DevicePropertyMap::kHardwareModel), "iPod4,1");
    EXPECT_STREQ(DevicePropertyMap::Get(map, DevicePropertyMap::kSystemVersion), "6.1");
    EXPECT_STREQ(DevicePropertyMap::Get(map, DevicePropertyMap::kCountryCode), "FR");
    if (!IsIPad()) {  // the idiom is kept once answered, perhaps by an earlier test
        EXPECT_STREQ(DevicePropertyMap::Get(map, DevicePropertyMap::kDeviceClass), "pod");
    }
    EXPECT_TRUE(DevicePropertyMap::Has(map, 16));
    EXPECT_FALSE(DevicePropertyMap::Has(map, 2));
    EXPECT_EQ(DevicePropertyMap::Get(map, 2), nullptr);  // absent: null, not ""

    settings.deviceIdError = 0;
    settings.model = "iPhone4,1";
    SetDeviceSettings(settings);
    DevicePropertyMap::Rebuild();
    map = DevicePropertyMap::Instance();
    EXPECT_STREQ(DevicePropertyMap::Get(map, 0), "device-1234");
    if (!IsIPad()) {
        EXPECT_STREQ(DevicePropertyMap::Get(map, 19), "phone");
    }

    DevicePropertyMap::Destroy();
    EXPECT_EQ(DevicePropertyMap::Instance(), nullptr);
    EXPECT_FALSE(DevicePropertyMap::Has(nullptr, 0));
    SetDeviceSettings(ReadDeviceSettings());
}

TEST(DeviceInfo, MonitorKeepsTheStatusReadAtStartUntilNotified) {
    int platformStatus = kNetworkReachable;
    NetworkAvailabilityMonitor monitor([&platformStatus] { return platformStatus; });
    EXPECT_EQ(monitor.GetCachedStatus(), kNetworkNotReachable);
    monitor.Start();
    EXPECT_EQ(monitor.GetCachedStatus(), kNetworkReachable);

    platformStatus = kNetworkNotReachable;
    EXPECT_EQ(monitor.GetCachedStatus(), kNetworkReachable);  // not asked again
    monitor.OnStatusChanged(monitor);
    EXPECT_EQ(monitor.GetCachedStatus(), kNetworkNotReachable);

    // A notifier that cannot answer leaves the kept status.
    const NetworkAvailabilityMonitor silent(nullptr);
    platformStatus = kNetworkReachable;
    monitor.OnStatusChanged(silent);
    EXPECT_EQ(monitor.GetCachedStatus(), kNetworkNotReachable);
}

TEST(DeviceInfo, ProbeCanBeForcedOrPointedAtAnAddress) {
    {
        ScopedEnv forced("VARNOK_NETWORK", "off");
        EXPECT_EQ(ProbeNetworkStatus(), kNetworkNotReachable);
    }
    {
        ScopedEnv forced("VARNOK_NETWORK", "on");
        EXPECT_EQ(ProbeNetworkStatus(), kNetworkReachable);
    }

    // A real listener on the loopback interface, and a port that refuses.
    int port = 0;
    const int listener = VarnokTest::OpenLoopbackSocket(true, port);
    ASSERT_GE(listener, 0);
    VarnokTest::RefusingPort refusing;
    ScopedEnv unforced("VARNOK_NETWORK", nullptr);
    {
        const std::string target = "127.0.0.1:" + std::to_string(port);
        ScopedEnv probe("VARNOK_NETWORK_PROBE", target.c_str());
        EXPECT_TRUE(CanConnect("127.0.0.1", port, 1000));
        EXPECT_EQ(ProbeNetworkStatus(), kNetworkReachable);
    }
    close(listener);
    {
        const std::string target = "127.0.0.1:" + std::to_string(refusing.Port());
        ScopedEnv probe("VARNOK_NETWORK_PROBE", target.c_str());
        EXPECT_FALSE(CanConnect("127.0.0.1", refusing.Port(), 1000));
        EXPECT_EQ(ProbeNetworkStatus(), kNetworkNotReachable);
    }
    {
        ScopedEnv probe("VARNOK_NETWORK_PROBE", "no-port-here");
        EXPECT_EQ(ProbeNetworkStatus(), kNetworkNotReachable);
    }
}

TEST(DeviceInfo, ProcessMonitorAnswersTheStatusReadAtStart) {
    // No other test touches the process-wide monitor, so it starts here.
    ScopedEnv forced("VARNOK_NETWORK", "on");
    EXPECT_EQ(IsNetworkReachable(), kNetworkReachable);
    ScopedEnv changed("VARNOK_NETWORK", "off");
    EXPECT_EQ(IsNetworkReachable(), kNetworkReachable);  // no change notification yet
}

}  // namespace
}  // namespace Varnok
