// The Game Center provider: signs the local player in, records the player's
// identity on the engine's current user, and offers the login, achievement,
// leaderboard and dashboard services over the platform's game network
// (GameCentre.h). Its per-frame update is the main queue's turn, in which
// the game network's completions arrive. Main thread only.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/services/ServiceModel.h"
#include "providers/Provider_GameCenter/GameCenterDashboardManager.h"

#include <memory>

namespace Varnok {

class GameCenterAchievementService;
class GameCenterDashboardService;
class GameCenterLeaderboardService;
class LoginService_GameCenter;
class ServiceManager;
class ServiceManagerBackend;
class ServiceManagerConfig;

class Provider_GameCenter final : public IProvider {
public:
    static const AsciiString& GetProviderName();

    explicit Provider_GameCenter(ServiceManagerBackend* backend);
    // Takes each service out of its aggregate before destroying it.
    ~Provider_GameCenter() override;

    // False without a service configuration or without the provider's file;
    // a missing "IAchievementService" or "ILeaderboardService" element only
    // leaves that service out.
    bool Initialise() override;
    const char* GetName() const override { return GetProviderName().c_str(); }
    // Attaches a UserComponent_GameCenter.
    void OnUserCreated(User* user) override;
    // Delivers the game network's completions.
    void Update() override;

    // Null when the provider was built without a manager.
    ServiceManager* GetManager() const;
    ServiceManagerConfig* GetConfig() const;

    // Each null until Initialise made it.
    LoginService_GameCenter* GetLoginService() const { return m_login.get(); }
    GameCenterAchievementService* GetAchievementService() const { return m_achievements.get(); }
    GameCenterLeaderboardService* GetLeaderboardService() const { return m_leaderboards.get(); }
    GameCenterDashboardService* GetDashboardService() const { return m_dashboard.get(); }
    GameCenterDashboardManager& GetDashboardManager() { return m_dashboardManager; }

    // A game-network screen or the sign-in view is up: the game stands still.
    bool IsGameKitScreenShowing() const;

private:
    void DestroyServices();

    ServiceManagerBackend* m_backend;
    GameCenterDashboardManager m_dashboardManager;
    std::unique_ptr<GameCenterAchievementService> m_achievements;
    std::unique_ptr<GameCenterLeaderboardService> m_leaderboards;
    std::unique_ptr<GameCenterDashboardService> m_dashboard;
    std::unique_ptr<LoginService_GameCenter> m_login;
};

class Provider_GameCenterBuilder final : public IProviderBuilder {
public:
    static Provider_GameCenterBuilder& Get();
    IProvider* CreateProvider(ServiceManagerBackend* backend) override;
    const char* GetName() const override { return Provider_GameCenter::GetProviderName().c_str(); }
};

// Hands the builder to the process's service manager (the game's set-up).
void RegisterProvider_GameCenterBuilder();

}  // namespace Varnok
