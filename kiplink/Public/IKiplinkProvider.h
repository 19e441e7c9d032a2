// The one object through which the engine uses the online client: settings,
// the platform, the per-frame update, the sub-providers and the "game"
// "update" call.
#pragma once

#include "kiplink/Public/IPlatform.h"
#include "kiplink/Public/RefCounted.h"

#include <cstdint>
#include <string>

namespace Kiplink {

// Outcome codes reported to listeners.
using KIPLINKERROR = int32_t;
constexpr KIPLINKERROR KIPLINKERROR_NONE = 0;
constexpr KIPLINKERROR KIPLINKERROR_NO_CONNECTION = 2;
constexpr KIPLINKERROR KIPLINKERROR_REFUSED = 3;  // refused locally
constexpr KIPLINKERROR KIPLINKERROR_FAILED = 4;

struct KiplinkSettings {
    std::string gameFamily;
    std::string baseUrl;
    std::string buildId;
};

class IKiplinkProvider;

class IKiplinkProviderCallbacks : public RefCounted {
public:
    // message is null on success.
    virtual void OnGameUpdate(IKiplinkProvider* provider, KIPLINKERROR code, const char* message) = 0;
};

// Sub-providers: defined by the parts of the library that own them; until
// then their getters answer null.
class IPlaceholderProvider;
class IInventoryProvider;
class INewsProvider;
class IPurchaseProvider;
class IStoreProvider;
class IAchievementProvider;
class IBankProvider;
class IFriendsProvider;
class ISettingProvider;
class ILeagueProvider;
class IAuthService;
class ILeaderboardProvider;
class IAsyncGames;
class ICloudProvider;
class ITimeService;
class IUserDirectory;
class IUser;

class IKiplinkProvider : public RefCounted {
public:
    virtual void AddCallbacks(IKiplinkProviderCallbacks* listener) = 0;
    virtual void RemoveCallbacks(IKiplinkProviderCallbacks* listener) = 0;
    virtual void Load() = 0;
    virtual void Update() = 0;
    // With one reference added.
    virtual IPlatform* GetPlatform() = 0;

    // Each with one reference added, or null.
    virtual IPlaceholderProvider* GetPlaceholderProvider() = 0;
    virtual IInventoryProvider* GetInventoryProvider() = 0;
    virtual RefCounted* GetAbsentProvider() = 0;
    virtual INewsProvider* GetNewsProvider() = 0;
    virtual IPurchaseProvider* GetPurchaseProvider() = 0;
    virtual IStoreProvider* GetStoreProvider() = 0;
    virtual IAchievementProvider* GetAchievementProvider() = 0;
    virtual IBankProvider* GetBankProvider() = 0;
    virtual IFriendsProvider* GetFriendsProvider() = 0;
    virtual ISettingProvider* GetSettingProvider() = 0;
    virtual ILeagueProvider* GetLeagueProvider() = 0;
    virtual IAuthService* GetAuthService() = 0;
    virtual ILeaderboardProvider* GetLeaderboardProvider() = 0;
    virtual IAsyncGames* GetAsyncGames() = 0;
    virtual ICloudProvider* GetCloudProvider() = 0;
    virtual ITimeService* GetTimeService() = 0;
    virtual IUserDirectory* GetUserDirectory() = 0;

    virtual IUser* FindUserByKiplinkId(const char* id) = 0;
    virtual IUser* GetUser(const char* guid) = 0;
    virtual IUser* CreateUser() = 0;

    virtual void SetServer(const KiplinkSettings& settings) = 0;
    virtual const char* GetBuildId() const = 0;
    virtual const char* GetBaseUrl() const = 0;
    virtual const char* GetGameFamily() const = 0;
    virtual int32_t GetGameUpdateResult() const = 0;
    virtual void SendGameUpdate() = 0;
};

// A new root with one reference; the caller then calls Load once.
IKiplinkProvider* CreateKiplinkProvider(const KiplinkSettings& settings, IPlatform* platform);

}  // namespace Kiplink
