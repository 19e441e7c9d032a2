#include "providers/Provider_GameCenter/Provider_GameCenter.h"

#include "engine/services/IAchievementService.h"
#include "engine/services/IDashboardService.h"
#include "engine/services/ILeaderboardService.h"
#include "engine/services/ILoginService.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/ServiceManagerConfig.h"
#include "engine/services/User.h"
#include "providers/Provider_GameCenter/GameCenterAchievementService.h"
#include "providers/Provider_GameCenter/GameCenterDashboardService.h"
#include "providers/Provider_GameCenter/GameCenterLeaderboardService.h"
#include "providers/Provider_GameCenter/GameCentre.h"
#include "providers/Provider_GameCenter/LoginService_GameCenter.h"
#include "providers/Provider_GameCenter/UserComponent_GameCenter.h"

namespace Varnok {

const AsciiString& Provider_GameCenter::GetProviderName() {
    static const AsciiString s_providerName("Provider_GameCenter");
    return s_providerName;
}

Provider_GameCenter::Provider_GameCenter(ServiceManagerBackend* backend) : m_backend(backend) {}

Provider_GameCenter::~Provider_GameCenter() {
    DestroyServices();
}

void Provider_GameCenter::DestroyServices() {
    // Achievements, leaderboards, dashboard, login: the login service goes
    // last because the dashboard holds it.
    if (m_backend != nullptr) {
        m_backend->RemoveService<IAchievementService>(m_achievements.get());
        m_backend->RemoveService<ILeaderboardService>(m_leaderboards.get());
        m_backend->RemoveService<IDashboardService>(m_dashboard.get());
        m_backend->RemoveService<ILoginService>(m_login.get());
    }
    m_achievements.reset();
    m_leaderboards.reset();
    m_dashboard.reset();
    m_login.reset();
}

ServiceManager* Provider_GameCenter::GetManager() const {
    return m_backend != nullptr ? m_backend->GetManager() : nullptr;
}

ServiceManagerConfig* Provider_GameCenter::GetConfig() const {
    ServiceManager* manager = GetManager();
    return manager != nullptr ? manager->GetConfig() : nullptr;
}

bool Provider_GameCenter::Initialise() {
    ServiceManagerConfig* config = GetConfig();
    if (config == nullptr || config->GetProviderConfig(GetName()) == nullptr) {
        return false;
    }
    DestroyServices();
    m_login = std::make_unique<LoginService_GameCenter>(this);
    if (!m_login->Initialise()) {
        return false;
    }
    if (config->GetProviderConfigElement(GetName(), "IAchievementService") != nullptr) {
        m_achievements = std::make_unique<GameCenterAchievementService>(this);
        if (!m_achievements->Initialise()) {
            return false;
        }
    }
    if (config->GetProviderConfigElement(GetName(), "ILeaderboardService") != nullptr) {
        m_leaderboards = std::make_unique<GameCenterLeaderboardService>(this);
        if (!m_leaderboards->Initialise()) {
            return false;
        }
    }
    m_dashboard = std::make_unique<GameCenterDashboardService>(this, m_login.get());
    if (!m_dashboard->Initialise()) {
        return false;
    }
    if (m_backend != nullptr) {
        m_backend->AddService<ILoginService>(m_login.get());
        m_login->SetEnabled(true);
        if (m_achievements != nullptr) {
            m_backend->AddService<IAchievementService>(m_achievements.get());
            m_achievements->SetEnabled(true);
        }
        if (m_leaderboards != nullptr) {
            m_backend->AddService<ILeaderboardService>(m_leaderboards.get());
            m_leaderboards->SetEnabled(true);
        }
        m_backend->AddService<IDashboardService>(m_dashboard.get());
        m_dashboard->SetEnabled(true);
    }
    return true;
}

void Provider_GameCenter::OnUserCreated(User* user) {
    if (user != nullptr) {
        user->AddComponent(new UserComponent_GameCenter(this));
    }
}

void Provider_GameCenter::Update() {
    if (GameCentre* gameCentre = GameCentre::Get()) {
        gameCentre->DeliverCompletions();
    }
}

bool Provider_GameCenter::IsGameKitScreenShowing() const {
    if (m_dashboard == nullptr) {
        return false;
    }
    return m_dashboardManager.HasCurrentScreen() || (m_login != nullptr && m_login->IsSignInViewShown());
}

Provider_GameCenterBuilder& Provider_GameCenterBuilder::Get() {
    static Provider_GameCenterBuilder s_builder;
    return s_builder;
}

IProvider* Provider_GameCenterBuilder::CreateProvider(ServiceManagerBackend* backend) {
    return new Provider_GameCenter(backend);
}

void RegisterProvider_GameCenterBuilder() {
    ServiceManager::Get().AddProviderBuilder(Provider_GameCenterBuilder::Get());
}

}  // namespace Varnok
