// Saved logins in the iCloud key-value store: under "kiplinkUserLoginInfo"
// a dictionary from device id to that device's last login ("timestamp",
// "kiplinkId", "service", "deviceName" and "games", game family to the
// time of its last login there). A device writes its own entry after each
// social login, reads the newest entry of the others to offer it, and
// empties its entry (keeping "games") when the player logs out.
#pragma once

#include "engine/core/Delegate.h"
#include "engine/iOS/LoginInfo.h"

#include <json/value.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

constexpr const char* kICloudLoginInfoKey = "kiplinkUserLoginInfo";

// The key-value store that the platform keeps in step across the player's
// devices. platform/ provides it; the shell (or a test) installs it.
class UbiquitousKeyValueStore {
public:
    virtual ~UbiquitousKeyValueStore() = default;
    // The value under the key; null when there is none.
    virtual Json::Value GetValue(const char* key) = 0;
    virtual void SetValue(const char* key, const Json::Value& value) = 0;
    // Hands what was set over to the store; false when it could not.
    virtual bool Synchronize() = 0;
};

// The installed store, or null (then nothing is read or written).
UbiquitousKeyValueStore* GetUbiquitousKeyValueStore();
void SetUbiquitousKeyValueStore(std::shared_ptr<UbiquitousKeyValueStore> store);

// The key of the entry with the greatest "timestamp" text in a saved-login
// dictionary, walking its keys in order (on equal texts the first met
// stays); false when it has no entry.
bool FindNewestLogin(const Json::Value& logins, std::string* outDeviceId);
// The entry's five texts (missing or non-text members read as empty).
LoginInfo MakeLoginInfo(const std::string& deviceId, const Json::Value& entry);

class AppleICloudHelper {
public:
    using Clock = int64_t (*)();  // seconds since 1970, UTC

    // Device property 0; empty when the property map has none.
    std::string GetCurrentDeviceId() const;
    // Now, "yyyy-MM-dd HH:mm:ss" in UTC.
    std::string GetCurrentUTCTime() const;
    // The device's name as the player sees it.
    std::string GetDeviceName() const;

    // Finds the newest login of another device; when there is one, keeps
    // it in the bridge's records and hands it to the bridge's callback.
    // Answers the record (owned by the bridge), or null.
    LoginInfo* UpdateKVStoreItems();
    // Writes this device's entry for a login of the service to that
    // account in the game family, keeping the other families in "games".
    void SaveLoginInfo(const char* service, const char* kiplinkId, const char* gameFamily);

    // Where the time comes from; null: the system clock.
    static void SetClock(Clock clock);
    // The name the shell reads from the host; empty: the hardware model.
    static void SetDeviceName(const std::string& name);
};

// The process's side of the saved logins: the helper, the callback that is
// offered a login found on another device, and every record found so far.
class AppleICloudHelperBridge {
public:
    static AppleICloudHelperBridge& Get();

    AppleICloudHelperBridge();
    virtual ~AppleICloudHelperBridge();
    AppleICloudHelperBridge(const AppleICloudHelperBridge&) = delete;
    AppleICloudHelperBridge& operator=(const AppleICloudHelperBridge&) = delete;

    AppleICloudHelper& GetHelper() { return *m_helper; }
    void SetCallback(const Delegate1<void, LoginInfo*>& callback) { m_callback = callback; }
    const std::vector<std::unique_ptr<LoginInfo>>& GetFoundRecords() const { return m_found; }
    // Keeps the record and calls the callback with it (when set).
    LoginInfo* Offer(std::unique_ptr<LoginInfo> record);

private:
    Delegate1<void, LoginInfo*> m_callback;
    std::vector<std::unique_ptr<LoginInfo>> m_found;
    std::unique_ptr<AppleICloudHelper> m_helper;
};

// Empties this device's entry but for its "games" (when it has them): the
// player logged out here, but the games played on the device stay known.
void ClearICloudLoginInfo();

}  // namespace Varnok
