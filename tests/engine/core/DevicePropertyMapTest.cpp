#include "engine/core/DevicePropertyMap.h"

#include "engine/core/DeviceSettings.h"
#include "engine/core/UIDeviceHardware.h"

#include "tests/engine/core/PhoneSettings.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

// The process-wide answers read the settings in force. Cached answers keep
// their first value, so this test only checks what may not change.
TEST(DevicePropertyMap, PropertyMapAndPlainAnswers) {
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
    SetDeviceSettings(DeviceSettings{});
}

}  // namespace
}  // namespace Varnok
