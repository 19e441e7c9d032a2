// The root of the client library: settings, the platform, the Lua state, the
// pending calls, the over-the-air downloads, the static data, the user list
// and the "game" "update" call.
#pragma once

#include "kiplink/Public/Functor.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "kiplink/Source/DataFiles.h"
#include "kiplink/Source/Request.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace Kiplink {

class LuaVM;
class ScriptRegistry;
class SettingProviderImpl;
class StaticDataManager;
class UserImpl;
class AuthService;
class LeagueProviderImpl;
class TimeService;
class PlayerPoolDirectory;
class NewsProviderImpl;
class FriendsProviderImpl;
class AchievementProviderImpl;
class LeaderboardProviderImpl;
class StoreProviderImpl;
class BankProviderImpl;
class InventoryProviderImpl;
class PurchaseProviderImpl;
class AsyncGamesRoot;
class CloudProviderImpl;
class CloudObjectSync;
class KiplinkProviderImpl;

// Paths of the library's files under the platform's save root.
std::string RootDataPath(const char* saveRoot, const std::string& name);
std::string GameDataPath(const char* saveRoot, const std::string& family, const std::string& name);
std::string UserDataPath(const char* saveRoot, const std::string& family, const std::string& guid,
                         const std::string& name);
std::string ProfilePicturePath(const char* saveRoot, const std::string& kiplinkId);

// Called with the local path of the finished file, or null when the
// download failed for good.
using DownloadCompletion = FunctorHolder<const char*>;

class DownloadManager {
public:
    static constexpr uint32_t kRetryDelaySeconds = 120;
    static constexpr int kMaxFailures = 2;

    explicit DownloadManager(KiplinkProviderImpl* root);
    ~DownloadManager();
    DownloadManager(const DownloadManager&) = delete;
    DownloadManager& operator=(const DownloadManager&) = delete;

    // fileName empty: the URL's last path part.
    void Download(const std::string& url, const DownloadCompletion& completion,
                  const std::string& fileName, bool force);
    void Load();
    void Save();
    void Update();

    size_t QueuedCount() const { return m_queue.size(); }
    bool IsRunning() const { return m_running != nullptr; }
    // The local path of a finished URL, or empty.
    std::string FinishedPath(const std::string& url) const;

private:
    struct Record {
        std::string url;
        std::string fileName;
        DownloadCompletion completion;
        IWebRequest* request = nullptr;
        uint32_t lastFailure = 0;
        int failures = 0;
    };
    struct DownloadDone {
        DownloadManager* manager;
        void Complete(IWebRequest* request) { manager->OnFinished(request); }
        bool operator==(const DownloadDone& other) const { return manager == other.manager; }
    };

    void OnFinished(IWebRequest* request);
    void FailForGood(const std::string& url, const char* why);

    KiplinkProviderImpl* m_root;
    Record* m_running = nullptr;
    std::map<std::string, Record> m_queue;
    std::map<std::string, std::string> m_finished;
};

class KiplinkProviderImpl : public IKiplinkProvider {
public:
    KiplinkProviderImpl(const KiplinkSettings& settings, IPlatform* platform);
    ~KiplinkProviderImpl() override;

    void AddCallbacks(IKiplinkProviderCallbacks* listener) override;
    void RemoveCallbacks(IKiplinkProviderCallbacks* listener) override;
    void Load() override;
    void Update() override;
    IPlatform* GetPlatform() override;

    IPlaceholderProvider* GetPlaceholderProvider() override { return nullptr; }
    IInventoryProvider* GetInventoryProvider() override;
    RefCounted* GetAbsentProvider() override { return nullptr; }
    INewsProvider* GetNewsProvider() override;
    IPurchaseProvider* GetPurchaseProvider() override;
    IStoreProvider* GetStoreProvider() override;
    IAchievementProvider* GetAchievementProvider() override;
    IBankProvider* GetBankProvider() override;
    IFriendsProvider* GetFriendsProvider() override;
    ISettingProvider* GetSettingProvider() override;
    ILeagueProvider* GetLeagueProvider() override;
    IAuthService* GetAuthService() override;
    ILeaderboardProvider* GetLeaderboardProvider() override;
    IAsyncGames* GetAsyncGames() override;
    ICloudProvider* GetCloudProvider() override;
    ITimeService* GetTimeService() override;
    IUserDirectory* GetUserDirectory() override;

    IUser* FindUserByKiplinkId(const char* id) override;
    IUser* GetUser(const char* guid) override;
    IUser* CreateUser() override;

    void SetServer(const KiplinkSettings& settings) override;
    const char* GetBuildId() const override { return m_buildId.c_str(); }
    const char* GetBaseUrl() const override { return m_baseUrl.c_str(); }
    const char* GetGameFamily() const override { return m_gameFamily.c_str(); }
    int32_t GetGameUpdateResult() const override { return m_gameUpdateResult; }
    void SendGameUpdate() override;

    // Not counted: valid while the root lives.
    LuaVM* GetLuaVM() const { return m_lua.Get(); }
    IPlatform* Platform() const { return m_platform.Get(); }
    const std::string& GetBaseUrlText() const { return m_baseUrl; }
    PendingRequestList& Pending() { return m_pending; }
    DownloadManager& Downloads() { return *m_downloads; }
    StaticDataManager* GetStaticData() const { return m_staticData.get(); }
    const IValue& GetDeviceInformation() const { return *m_deviceInfo; }
    // Seconds of the service's clock as the time service estimates it.
    uint32_t GetServerTime() const;

    std::string GetRootDataPath(const std::string& name) const;
    std::string GetGameDataPath(const std::string& name) const;
    std::string GetUserDataPath(const std::string& guid, const std::string& name) const;

    void OnGameUpdateReply(RequestContext& context, const IValue& error, const IValue& result);

    // Notes which local user holds a service id, and saves the list.
    void RecordUserInList(const std::string& guid, const std::string& kiplinkId);
    // The loaded user of that GUID, or null; no reference added.
    UserImpl* FindLoadedUser(const std::string& guid) const;
    // The pools of known players, one per user. Requires: a game family.
    PlayerPoolDirectory& GetPlayerPools() { return *m_pools; }
    // A complete static-data set was loaded: the providers take their types.
    void ApplyStaticData(bool itemLayout);
    // Hands a complete static-data set to the store, settings and scripts.
    void ApplyStoreStaticData(const StaticDataManager& data, bool itemLayout);
    ScriptRegistry* GetScriptRegistry() const { return m_scripts.get(); }
    // The user's cloud sync object when one was made; no reference added.
    CloudObjectSync* FindCloudSync(IUser* user) const;

private:
    void CreateStoreProviders();
    void ReleaseStoreProviders();

    std::string m_gameFamily;
    std::string m_baseUrl;
    std::string m_buildId;
    RefPtr<IPlatform> m_platform;
    ListenerSet<IKiplinkProviderCallbacks> m_listeners;
    std::unique_ptr<DownloadManager> m_downloads;
    PendingRequestList m_pending;
    RefPtr<EncryptedJsonFile> m_userList;
    std::unique_ptr<StaticDataManager> m_staticData;
    IValue* m_deviceInfo;
    int32_t m_gameUpdateResult = 0;
    RefPtr<LuaVM> m_lua;
    // Released before the Lua state: they hold Lua tables.
    std::unique_ptr<ScriptRegistry> m_scripts;
    RefPtr<StoreProviderImpl> m_store;
    RefPtr<SettingProviderImpl> m_settings;
    RefPtr<BankProviderImpl> m_bank;
    RefPtr<InventoryProviderImpl> m_inventory;
    RefPtr<PurchaseProviderImpl> m_purchases;
    bool m_loaded = false;
    std::map<std::string, RefPtr<UserImpl>> m_users;  // by GUID
    RefPtr<AuthService> m_auth;
    RefPtr<LeagueProviderImpl> m_leagues;
    RefPtr<TimeService> m_time;
    RefPtr<PlayerPoolDirectory> m_pools;
    RefPtr<FriendsProviderImpl> m_friends;
    RefPtr<AchievementProviderImpl> m_achievements;
    RefPtr<LeaderboardProviderImpl> m_leaderboards;
    RefPtr<NewsProviderImpl> m_news;
    RefPtr<CloudProviderImpl> m_cloud;
    RefPtr<AsyncGamesRoot> m_asyncGames;
};

}  // namespace Kiplink
