#include "engine/core/UIDeviceHardware.h"

#include "tests/engine/core/PhoneSettings.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace {

TEST(UIDeviceHardware, ModelTableNamesAndAnswers) {
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

TEST(UIDeviceHardware, SimulatorIsRetinaOnlyOnA640WideScreenFromVersion3_2) {
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

}  // namespace
}  // namespace Varnok
