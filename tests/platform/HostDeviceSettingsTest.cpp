#include "platform/HostDeviceSettings.h"

#include "tests/platform/ScopedEnv.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using VarnokTest::ScopedEnv;

TEST(HostDeviceSettings, SettingsComeFromTheEnvironment) {
    ScopedEnv model("VARNOK_DEVICE_MODEL", "iPad3,1");
    ScopedEnv version("VARNOK_SYSTEM_VERSION", "5.1.1");
    ScopedEnv language("VARNOK_LANGUAGE", "de");
    ScopedEnv country("VARNOK_COUNTRY", "AT");
    ScopedEnv id("VARNOK_DEVICE_ID", "abc");
    ScopedEnv idiom("VARNOK_DEVICE_IDIOM", nullptr);
    ScopedEnv width("VARNOK_SCREEN_WIDTH", "not a number");
    const DeviceSettings s = ReadHostDeviceSettings();
    EXPECT_EQ(s.model, "iPad3,1");
    EXPECT_EQ(s.systemVersion, "5.1.1");
    EXPECT_EQ(s.language, "de");
    EXPECT_EQ(s.countryCode, "AT");
    EXPECT_EQ(s.deviceId, "abc");
    EXPECT_EQ(s.deviceIdError, 0);
    EXPECT_EQ(s.interfaceIdiom, 1);  // an iPad model answers the pad idiom
    EXPECT_EQ(s.screenWidth, 320);   // the bad value is logged and ignored
}

TEST(HostDeviceSettings, DefaultsComeFromTheHostLocale) {
    ScopedEnv model("VARNOK_DEVICE_MODEL", nullptr);
    ScopedEnv language("VARNOK_LANGUAGE", nullptr);
    ScopedEnv languages("LANGUAGE", nullptr);
    ScopedEnv country("VARNOK_COUNTRY", nullptr);
    ScopedEnv all("LC_ALL", nullptr);
    ScopedEnv lang("LANG", "pt_BR.UTF-8");
    DeviceSettings s = ReadHostDeviceSettings();
    EXPECT_FALSE(s.model.empty());  // the host's machine name
    EXPECT_EQ(s.language, "pt");
    EXPECT_EQ(s.countryCode, "BR");

    ScopedEnv plain("LANG", "C");
    s = ReadHostDeviceSettings();
    EXPECT_EQ(s.language, "en");
    EXPECT_EQ(s.countryCode, "");  // no country: an empty value
}

}  // namespace
}  // namespace Varnok
