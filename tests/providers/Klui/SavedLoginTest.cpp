// Saved logins in the key-value store: the writer, the newest-login reader
// of another device, the clearing at a logout, over the platform's file
// stand-in with two device ids sharing one file.
#include "engine/iOS/AppleICloudHelper.h"

#include "engine/core/DevicePropertyMap.h"
#include "engine/core/DeviceSettings.h"
#include "platform/KeyValueStoreFile.h"
#include "tests/engine/services/ServiceHarness.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

namespace {

int64_t& Now() {
    static int64_t s_now = 0;
    return s_now;
}
int64_t ReadNow() { return Now(); }

void BeDevice(const char* id) {
    Varnok::DeviceSettings device = Varnok::GetDeviceSettings();
    device.deviceId = id;
    Varnok::SetDeviceSettings(device);
    Varnok::DevicePropertyMap::Rebuild();
}

struct Offers {
    std::vector<Varnok::LoginInfo> seen;
    void On(Varnok::LoginInfo* info) { seen.push_back(*info); }
};

class SavedLogins : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = m_folder.Path() + "/icloud-kvstore.json";
        m_store = std::make_shared<Varnok::KeyValueStoreFile>(m_path);
        Varnok::SetUbiquitousKeyValueStore(m_store);
        Varnok::AppleICloudHelper::SetClock(&ReadNow);
        Varnok::AppleICloudHelper::SetDeviceName("Test phone");
        Now() = 1796000000;  // 2026-11-29 ...
        Varnok::AppleICloudHelperBridge::Get().SetCallback(
            Varnok::Delegate1<void, Varnok::LoginInfo*>(&m_offers, &Offers::On));
        BeDevice("device-A");
    }
    void TearDown() override {
        Varnok::AppleICloudHelperBridge::Get().SetCallback({});
        Varnok::AppleICloudHelper::SetClock(nullptr);
        Varnok::AppleICloudHelper::SetDeviceName("");
        Varnok::SetUbiquitousKeyValueStore(nullptr);
    }
    static Varnok::AppleICloudHelper& Helper() { return Varnok::AppleICloudHelperBridge::Get().GetHelper(); }
    // What another process over the file would read.
    Json::Value Logins() const {
        return Varnok::KeyValueStoreFile(m_path).GetValue(Varnok::kICloudLoginInfoKey);
    }
    void UseSample(const char* name) {
        std::ifstream in(std::string(VARNOK_TEST_DATA_DIR) + "/" + name);
        std::ofstream out(m_path);
        out << in.rdbuf();
    }

    Varnok::TestSupport::TempFolder m_folder;
    std::string m_path;
    std::shared_ptr<Varnok::KeyValueStoreFile> m_store;
    Offers m_offers;
};

TEST_F(SavedLogins, TheWriterKeepsEveryGameFamilyOfTheDevice) {
    Helper().SaveLoginInfo("facebook", "member-1", "vellmarch");
    Json::Value entry = Logins()["device-A"];
    EXPECT_EQ(entry.getMemberNames(),
              (std::vector<std::string>{"deviceName", "games", "kiplinkId", "service", "timestamp"}));
    EXPECT_EQ(entry["timestamp"].asString(), Helper().GetCurrentUTCTime());
    EXPECT_EQ(entry["service"].asString(), "facebook");
    EXPECT_EQ(entry["kiplinkId"].asString(), "member-1");
    EXPECT_EQ(entry["deviceName"].asString(), "Test phone");
    EXPECT_EQ(entry["games"]["vellmarch"].asString(), entry["timestamp"].asString());
    const std::string first = entry["timestamp"].asString();

    Now() += 60;
    Helper().SaveLoginInfo("google", "member-2", "vellmarch-puzzles");
    entry = Logins()["device-A"];
    EXPECT_EQ(entry["games"]["vellmarch"].asString(), first);
    EXPECT_EQ(entry["games"]["vellmarch-puzzles"].asString(), entry["timestamp"].asString());
    EXPECT_GT(entry["timestamp"].asString(), first);
    EXPECT_EQ(entry["service"].asString(), "google");
}

TEST_F(SavedLogins, OnlyAnotherDeviceIsOfferedTheNewestLogin) {
    BeDevice("device-B");
    Helper().SaveLoginInfo("google", "member-9", "vellmarch");
    Now() += 5;
    BeDevice("device-A");
    Helper().SaveLoginInfo("facebook", "member-1", "vellmarch");

    // The device that made the newest login reads nothing, older logins of
    // other devices notwithstanding.
    EXPECT_EQ(Helper().UpdateKVStoreItems(), nullptr);
    EXPECT_TRUE(m_offers.seen.empty());

    BeDevice("device-B");
    const Varnok::LoginInfo* offered = Helper().UpdateKVStoreItems();
    ASSERT_NE(offered, nullptr);
    ASSERT_EQ(m_offers.seen.size(), 1u);
    EXPECT_EQ(m_offers.seen[0].deviceId, "device-A");
    EXPECT_EQ(m_offers.seen[0].deviceName, "Test phone");
    EXPECT_EQ(m_offers.seen[0].kiplinkId, "member-1");
    EXPECT_EQ(m_offers.seen[0].service, "facebook");
    EXPECT_EQ(m_offers.seen[0].timestamp, Helper().GetCurrentUTCTime());
    EXPECT_EQ(Varnok::AppleICloudHelperBridge::Get().GetFoundRecords().back().get(), offered);

    // A device without an id reads nothing.
    BeDevice("");
    EXPECT_EQ(Helper().UpdateKVStoreItems(), nullptr);
}

TEST_F(SavedLogins, SampleFilesOfTwoDevices) {
    const struct {
        const char* file;
        const char* device;
        const char* offeredFrom;  // null: nothing offered
    } cases[] = {
        {"kvstore-two-devices.json", "phone-7F3A", "tablet-19C4"},
        {"kvstore-two-devices.json", "tablet-19C4", nullptr},
        {"kvstore-two-devices.json", "desk-0001", "tablet-19C4"},
        // The tablet logged out: its emptied entry is no login.
        {"kvstore-cleared-newest.json", "tablet-19C4", "phone-7F3A"},
        {"kvstore-cleared-newest.json", "phone-7F3A", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " on " + c.device);
        UseSample(c.file);
        BeDevice(c.device);
        const Varnok::LoginInfo* offered = Helper().UpdateKVStoreItems();
        if (c.offeredFrom == nullptr) {
            EXPECT_EQ(offered, nullptr);
        } else {
            ASSERT_NE(offered, nullptr);
            EXPECT_EQ(offered->deviceId, c.offeredFrom);
        }
    }
}

TEST_F(SavedLogins, TheNewestLoginWalk) {
    const struct {
        const char* what;
        const char* json;
        const char* newest;  // null: none
    } cases[] = {
        {"equal times: the first met stays", R"({"a":{"timestamp":"2026-01-01 00:00:00"},
                                                "b":{"timestamp":"2026-01-01 00:00:00"}})", "a"},
        {"text order is time order", R"({"a":{"timestamp":"2026-01-01 09:00:00"},
                                        "b":{"timestamp":"2026-01-01 10:00:00"}})", "b"},
        {"entries without a time are skipped", R"({"a":{"games":{}},"b":{"timestamp":1}})", nullptr},
        {"not a dictionary", R"([1,2])", nullptr},
        {"empty", R"({})", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Json::Value logins;
        ASSERT_TRUE(Varnok::ReadKeyValueFile(std::string("{\"k\":") + c.json + "}", &logins));
        std::string newest;
        EXPECT_EQ(Varnok::FindNewestLogin(logins["k"], &newest), c.newest != nullptr);
        if (c.newest != nullptr) {
            EXPECT_EQ(newest, c.newest);
        }
    }
}

TEST_F(SavedLogins, ClearingEmptiesThisDevicesLoginOnly) {
    BeDevice("device-B");
    Helper().SaveLoginInfo("google", "member-9", "vellmarch");
    BeDevice("device-A");
    Helper().SaveLoginInfo("facebook", "member-1", "vellmarch");
    const Json::Value games = Logins()["device-A"]["games"];

    Varnok::ClearICloudLoginInfo();
    Json::Value logins = Logins();
    EXPECT_EQ(logins["device-A"].getMemberNames(), std::vector<std::string>{"games"});
    EXPECT_EQ(logins["device-A"]["games"], games);
    EXPECT_EQ(logins["device-B"]["kiplinkId"].asString(), "member-9");

    // An entry without games still loses its login.
    Json::Value bare(Json::objectValue);
    bare["device-A"]["kiplinkId"] = "member-1";
    bare["device-A"]["timestamp"] = "2026-01-01 00:00:00";
    m_store->SetValue(Varnok::kICloudLoginInfoKey, bare);
    ASSERT_TRUE(m_store->Synchronize());
    Varnok::ClearICloudLoginInfo();
    EXPECT_EQ(Logins()["device-A"], Json::Value(Json::objectValue));

    // No entry for this device: the store is left as it is.
    BeDevice("device-C");
    Varnok::ClearICloudLoginInfo();
    EXPECT_FALSE(Logins().isMember("device-C"));
}

TEST_F(SavedLogins, ACorruptFileReadsAsEmptyAndIsSetAside) {
    {
        std::ofstream out(m_path);
        out << "{\"kiplinkUserLoginInfo\": {\"device-B\": ";
    }
    EXPECT_TRUE(m_store->GetValue(Varnok::kICloudLoginInfoKey).isNull());
    EXPECT_EQ(Helper().UpdateKVStoreItems(), nullptr);
    Helper().SaveLoginInfo("facebook", "member-1", "vellmarch");
    EXPECT_EQ(Logins()["device-A"]["kiplinkId"].asString(), "member-1");
    EXPECT_TRUE(std::ifstream(m_path + ".bad").good());
}

}  // namespace
