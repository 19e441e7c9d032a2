// The online service's provider: owns the client library's root and the
// platform it runs on, makes the services that put the engine's interfaces
// over the library, gives every engine user an online component and drives
// the library once per frame.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/services/ServiceModel.h"
#include "kiplink/Public/RefCounted.h"

#include <memory>
#include <string>

namespace Kiplink {
class IKiplinkProvider;
}

namespace Varnok {

class Event;
class KiplinkAchievementService;
class KiplinkAsyncService;
class KiplinkCloudService;
class KiplinkFriendsService;
class KiplinkPlayerPoolService;
class KiplinkVersionService;
class KiplinkAuthenticationService;
class KiplinkBankService;
class KiplinkInventoryService;
class KiplinkPurchaseService;
class KiplinkSettingService;
class KiplinkStoreService;
class KiplinkLeaderboardService;
class KiplinkLeaguesService;
class KiplinkNewsService;
class KiplinkTimeService;
class KiplinkPlatform;
class ServiceManagerBackend;
class ServiceManagerConfig;
class User;

class Provider_Kiplink final : public IProvider {
public:
    static const AsciiString& GetProviderName();

    explicit Provider_Kiplink(ServiceManagerBackend* backend);
    ~Provider_Kiplink() override;

    // Reads Provider_Kiplink.xml (false without it or without a
    // "gameFamily"), makes the library root, the services and subscribes to
    // "syncpoint".
    bool Initialise() override;
    const char* GetName() const override { return GetProviderName().c_str(); }
    void OnUserCreated(User* user) override;
    void OnUserDestroyed(User* /*user*/) override {}
    // Server from the remote configuration, finished web requests, and the
    // library's poll while online.
    void Update() override;

    // The store user whose "kpid" is serviceUserId (made when none), its
    // "kpauth" set to token and its storage ready; null without a store.
    User* FindOrCreateUser(const char* token, const char* serviceUserId);
    // Fires "logged_out" with "to" and "from".
    static void SendLoggedOutEvent(const char* to, const char* from);

    ServiceManagerBackend* GetBackend() const { return m_backend; }
    // The user of slot 0, or null.
    User* GetCurrentUser() const;
    Kiplink::IKiplinkProvider* GetRoot() const { return m_root.Get(); }
    KiplinkPlatform* GetPlatform() const;
    const std::string& GetSupportEmail() const { return m_supportEmail; }

    KiplinkLeaguesService* GetLeaguesService() const { return m_leagues.get(); }
    KiplinkAchievementService* GetAchievementService() const { return m_achievements.get(); }
    KiplinkNewsService* GetNewsService() const { return m_news.get(); }
    KiplinkTimeService* GetTimeService() const { return m_time.get(); }
    KiplinkLeaderboardService* GetLeaderboardService() const { return m_leaderboards.get(); }
    KiplinkAuthenticationService* GetAuthenticationService() const { return m_authentication.get(); }
    KiplinkVersionService* GetVersionService() const { return m_version.get(); }
    KiplinkPlayerPoolService* GetPlayerPoolService() const { return m_playerPools.get(); }
    KiplinkFriendsService* GetFriendsService() const { return m_friends.get(); }
    KiplinkCloudService* GetCloudService() const { return m_cloud.get(); }
    KiplinkAsyncService* GetAsyncService() const { return m_async.get(); }
    KiplinkBankService* GetBankService() const { return m_bank.get(); }
    KiplinkInventoryService* GetInventoryService() const { return m_inventory.get(); }
    KiplinkStoreService* GetStoreService() const { return m_store.get(); }
    KiplinkSettingService* GetSettingService() const { return m_settings.get(); }
    KiplinkPurchaseService* GetPurchaseService() const { return m_purchases.get(); }

private:
    ServiceManagerConfig* Config() const;
    // SetServer from "kiplink"."universe" and "buildId" when both are text.
    void ApplyRemoteServer();
    void OnSyncPoint(const Event& event);

    ServiceManagerBackend* m_backend;
    Kiplink::RefPtr<KiplinkPlatform> m_platform;
    Kiplink::RefPtr<Kiplink::IKiplinkProvider> m_root;
    std::unique_ptr<KiplinkLeaguesService> m_leagues;
    std::unique_ptr<KiplinkAchievementService> m_achievements;
    std::unique_ptr<KiplinkNewsService> m_news;
    std::unique_ptr<KiplinkTimeService> m_time;
    std::unique_ptr<KiplinkLeaderboardService> m_leaderboards;
    std::unique_ptr<KiplinkAuthenticationService> m_authentication;
    std::unique_ptr<KiplinkVersionService> m_version;
    std::unique_ptr<KiplinkPlayerPoolService> m_playerPools;
    std::unique_ptr<KiplinkFriendsService> m_friends;
    std::unique_ptr<KiplinkCloudService> m_cloud;
    std::unique_ptr<KiplinkAsyncService> m_async;
    // Buying: the store's items hand purchases to the purchase service,
    // which pays from the bank and grants through the inventory.
    std::unique_ptr<KiplinkBankService> m_bank;
    std::unique_ptr<KiplinkInventoryService> m_inventory;
    std::unique_ptr<KiplinkStoreService> m_store;
    std::unique_ptr<KiplinkSettingService> m_settings;
    std::unique_ptr<KiplinkPurchaseService> m_purchases;
    std::string m_supportEmail;
    bool m_subscribed = false;
};

class Provider_KiplinkBuilder final : public IProviderBuilder {
public:
    static Provider_KiplinkBuilder& Get();
    IProvider* CreateProvider(ServiceManagerBackend* backend) override;
    const char* GetName() const override { return Provider_Kiplink::GetProviderName().c_str(); }
};

// Hands the builder to the process's service manager.
void RegisterProvider_KiplinkBuilder();

}  // namespace Varnok
