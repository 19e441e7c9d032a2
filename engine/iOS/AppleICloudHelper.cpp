// Saved logins: the record walk, the writer and the clearing over the
// installed key-value store.
#include "engine/iOS/AppleICloudHelper.h"

#include "engine/core/DevicePropertyMap.h"
#include "engine/core/DeviceSettings.h"
#include "engine/core/Log.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace Varnok {
namespace {

std::shared_ptr<UbiquitousKeyValueStore>& InstalledStore() {
    static std::shared_ptr<UbiquitousKeyValueStore> s_store;
    return s_store;
}

AppleICloudHelper::Clock& InstalledClock() {
    static AppleICloudHelper::Clock s_clock = nullptr;
    return s_clock;
}

std::string& InstalledDeviceName() {
    static std::string s_name;
    return s_name;
}

// The key-value store came with system 5.0: below it nothing is kept.
bool StoreAvailable() {
    const AsciiString version = GetSystemVersion();
    return std::strtol(version.c_str(), nullptr, 10) >= 5;
}

std::string Text(const Json::Value& entry, const char* member) {
    if (!entry.isObject() || !entry[member].isString()) {
        return std::string();
    }
    return entry[member].asString();
}

}  // namespace

UbiquitousKeyValueStore* GetUbiquitousKeyValueStore() { return InstalledStore().get(); }

void SetUbiquitousKeyValueStore(std::shared_ptr<UbiquitousKeyValueStore> store) {
    InstalledStore() = std::move(store);
}

bool FindNewestLogin(const Json::Value& logins, std::string* outDeviceId) {
    if (!logins.isObject()) {
        return false;
    }
    bool found = false;
    std::string newest;
    for (auto it = logins.begin(); it != logins.end(); ++it) {
        // An entry without a login time (one cleared at a logout) is no login.
        const Json::Value& entry = *it;
        if (!entry.isObject() || !entry["timestamp"].isString()) {
            continue;
        }
        const std::string timestamp = entry["timestamp"].asString();
        if (!found || timestamp > newest) {
            found = true;
            newest = timestamp;
            if (outDeviceId != nullptr) {
                *outDeviceId = it.name();
            }
        }
    }
    return found;
}

LoginInfo MakeLoginInfo(const std::string& deviceId, const Json::Value& entry) {
    LoginInfo info;
    info.deviceId = deviceId;
    info.deviceName = Text(entry, "deviceName");
    info.kiplinkId = Text(entry, "kiplinkId");
    info.service = Text(entry, "service");
    info.timestamp = Text(entry, "timestamp");
    return info;
}

// ---- The helper ----

void AppleICloudHelper::SetClock(Clock clock) { InstalledClock() = clock; }

void AppleICloudHelper::SetDeviceName(const std::string& name) { InstalledDeviceName() = name; }

std::string AppleICloudHelper::GetCurrentDeviceId() const {
    if (DevicePropertyMap::Instance() == nullptr) {
        DevicePropertyMap::Rebuild();
    }
    const char* id = DevicePropertyMap::Get(DevicePropertyMap::Instance(), DevicePropertyMap::kDeviceIdentifier);
    return id != nullptr ? id : "";
}

std::string AppleICloudHelper::GetCurrentUTCTime() const {
    const std::time_t now = InstalledClock() != nullptr ? static_cast<std::time_t>(InstalledClock()())
                                                        : std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

std::string AppleICloudHelper::GetDeviceName() const {
    if (!InstalledDeviceName().empty()) {
        return InstalledDeviceName();
    }
    const std::string& model = GetDeviceSettings().model;
    return model.empty() ? "iPhone" : model;
}

LoginInfo* AppleICloudHelper::UpdateKVStoreItems() {
    UbiquitousKeyValueStore* store = GetUbiquitousKeyValueStore();
    if (store == nullptr || !StoreAvailable()) {
        return nullptr;
    }
    const Json::Value logins = store->GetValue(kICloudLoginInfoKey);
    std::string newest;
    const std::string own = GetCurrentDeviceId();
    if (!FindNewestLogin(logins, &newest) || own.empty() || newest == own) {
        return nullptr;
    }
    return AppleICloudHelperBridge::Get().Offer(std::make_unique<LoginInfo>(MakeLoginInfo(newest, logins[newest])));
}

void AppleICloudHelper::SaveLoginInfo(const char* service, const char* kiplinkId, const char* gameFamily) {
    UbiquitousKeyValueStore* store = GetUbiquitousKeyValueStore();
    if (store == nullptr || !StoreAvailable()) {
        return;
    }
    const std::string now = GetCurrentUTCTime();
    Json::Value all = store->GetValue(kICloudLoginInfoKey);
    if (!all.isObject()) {
        all = Json::Value(Json::objectValue);
    }
    const std::string deviceId = GetCurrentDeviceId();
    if (deviceId.empty()) {
        return;
    }
    Json::Value record = all[deviceId];
    if (!record.isObject()) {
        record = Json::Value(Json::objectValue);
    }
    Json::Value games = record["games"];
    if (!games.isObject()) {
        games = Json::Value(Json::objectValue);
    }
    games[gameFamily != nullptr ? gameFamily : ""] = now;
    record["timestamp"] = now;
    record["service"] = service != nullptr ? service : "";
    record["kiplinkId"] = kiplinkId != nullptr ? kiplinkId : "";
    record["games"] = games;
    record["deviceName"] = GetDeviceName();
    all[deviceId] = record;
    store->SetValue(kICloudLoginInfoKey, all);
    if (!store->Synchronize()) {
        Log("AppleICloudHelper: the key-value store did not take the saved login");
    }
}

// ---- The bridge ----

AppleICloudHelperBridge& AppleICloudHelperBridge::Get() {
    static AppleICloudHelperBridge s_bridge;
    return s_bridge;
}

AppleICloudHelperBridge::AppleICloudHelperBridge() : m_helper(std::make_unique<AppleICloudHelper>()) {}

AppleICloudHelperBridge::~AppleICloudHelperBridge() {
    m_callback.Clear();
    m_found.clear();
    m_helper.reset();
}

LoginInfo* AppleICloudHelperBridge::Offer(std::unique_ptr<LoginInfo> record) {
    m_found.push_back(std::move(record));
    LoginInfo* info = m_found.back().get();
    if (!m_callback.IsEmpty()) {
        m_callback(info);
    }
    return info;
}

void ClearICloudLoginInfo() {
    UbiquitousKeyValueStore* store = GetUbiquitousKeyValueStore();
    if (store == nullptr || !StoreAvailable()) {
        return;
    }
    Json::Value all = store->GetValue(kICloudLoginInfoKey);
    const std::string deviceId = AppleICloudHelperBridge::Get().GetHelper().GetCurrentDeviceId();
    if (deviceId.empty() || !all.isObject() || !all.isMember(deviceId)) {
        return;
    }
    // The login goes whatever the entry holds; only the games stay.
    Json::Value kept(Json::objectValue);
    const Json::Value& entry = all[deviceId];
    if (entry.isObject() && entry.isMember("games")) {
        kept["games"] = entry["games"];
    }
    all[deviceId] = kept;
    store->SetValue(kICloudLoginInfoKey, all);
    if (!store->Synchronize()) {
        Log("AppleICloudHelper: the key-value store did not take the cleared login");
    }
}

}  // namespace Varnok
