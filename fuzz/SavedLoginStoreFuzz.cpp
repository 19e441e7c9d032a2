// A key-value store file with saved logins: read, walked for the newest
// login, written over and cleared for this device.
#include "engine/core/DevicePropertyMap.h"
#include "engine/core/DeviceSettings.h"
#include "engine/iOS/AppleICloudHelper.h"
#include "platform/KeyValueStoreFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

class MemoryStore final : public Varnok::UbiquitousKeyValueStore {
public:
    Json::Value GetValue(const char* key) override { return all.isMember(key) ? all[key] : Json::Value(); }
    void SetValue(const char* key, const Json::Value& value) override { all[key] = value; }
    bool Synchronize() override { return true; }
    Json::Value all = Json::Value(Json::objectValue);
};

std::shared_ptr<MemoryStore> Setup() {
    Varnok::DeviceSettings device = Varnok::GetDeviceSettings();
    device.deviceId = "device-F";
    Varnok::SetDeviceSettings(device);
    Varnok::DevicePropertyMap::Rebuild();
    auto store = std::make_shared<MemoryStore>();
    Varnok::SetUbiquitousKeyValueStore(store);
    return store;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::shared_ptr<MemoryStore> s_store = Setup();
    Json::Value all;
    Varnok::ReadKeyValueFile(std::string(reinterpret_cast<const char*>(data), size), &all);
    s_store->all = all;
    const Json::Value logins = s_store->GetValue(Varnok::kICloudLoginInfoKey);

    std::string newest;
    if (Varnok::FindNewestLogin(logins, &newest)) {
        const std::string best = Varnok::MakeLoginInfo(newest, logins[newest]).timestamp;
        for (const std::string& key : logins.getMemberNames()) {
            const Json::Value& entry = logins[key];
            if (entry.isObject() && entry["timestamp"].isString() && entry["timestamp"].asString() > best) {
                std::abort();
            }
        }
    }
    Varnok::AppleICloudHelper& helper = Varnok::AppleICloudHelperBridge::Get().GetHelper();
    helper.UpdateKVStoreItems();

    helper.SaveLoginInfo("facebook", "member-1", "vellmarch");
    const Json::Value written = s_store->GetValue(Varnok::kICloudLoginInfoKey)["device-F"];
    if (written["kiplinkId"].asString() != "member-1" || !written["games"]["vellmarch"].isString()) {
        std::abort();
    }
    Varnok::ClearICloudLoginInfo();
    const Json::Value cleared = s_store->GetValue(Varnok::kICloudLoginInfoKey)["device-F"];
    if (cleared.getMemberNames() != std::vector<std::string>{"games"}) {
        std::abort();
    }
    return 0;
}
