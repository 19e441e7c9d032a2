#include "providers/Provider_GameCenter/GameCenterDashboardService.h"

#include "engine/core/TouchInputDevice.h"
#include "engine/iOS/Dialog.h"
#include "engine/iOS/LaunchUrl.h"
#include "engine/services/ServiceManager.h"
#include "providers/Provider_GameCenter/GameCenterLeaderboardService.h"
#include "providers/Provider_GameCenter/LoginService_GameCenter.h"
#include "providers/Provider_GameCenter/Provider_GameCenter.h"

#include <cstring>

namespace Varnok {

namespace {

void OpenGameCenterApplication(int /*button*/) {
    OpenUrl("gamecenter://");
}

void ResetTouches() {
    if (TouchInputDevice* touches = TouchInputDevice::Get()) {
        touches->ResetTouches();
    }
}

bool Is(const char* name, const char* wanted) {
    return name != nullptr && std::strcmp(name, wanted) == 0;
}

}  // namespace

GameCenterDashboardService::GameCenterDashboardService(Provider_GameCenter* provider,
                                                       LoginService_GameCenter* login)
    : m_provider(provider), m_login(login) {}

bool GameCenterDashboardService::Initialise() {
    m_callback1.Clear();
    m_callback2.Clear();
    m_lastScreen = "Default";
    m_lastOptions.clear();
    return true;
}

const AsciiString& GameCenterDashboardService::GetLogData() const {
    static const AsciiString s_logData;
    return s_logData;
}

const AsciiString& GameCenterDashboardService::GetProviderName() const {
    return Provider_GameCenter::GetProviderName();
}

bool GameCenterDashboardService::IsScreenSupported(const char* screenName) {
    for (const char* known :
         {kLeaderboardScreen, kAchievementScreen, kAddFriendsScreen, kAccountScreen, kMatchMakerScreen}) {
        if (Is(screenName, known)) {
            return true;
        }
    }
    return false;
}

void GameCenterDashboardService::ShowScreen(const char* screenName, const char* options) {
    if (m_provider == nullptr) {
        return;
    }
    if (m_login != nullptr && !m_login->IsLoggedIn(nullptr)) {
        m_login->Login(nullptr, true);
        return;
    }
    // Copies first: the texts may be our own last screen and options.
    const std::string screen = screenName != nullptr ? screenName : "";
    const std::string extra = options != nullptr ? options : "";
    m_lastScreen = screen;
    m_lastOptions = extra;
    if (!m_provider->IsOnline()) {
        DialogManager::Get().ShowMessage2(kDisabledTitle, kDisabledMessage, "Cancel", DialogCallback(), "Sign In",
                                          DialogCallback(&OpenGameCenterApplication), DialogManager::kOpenNow);
        ResetTouches();
        return;
    }
    GameCenterDashboardManager& manager = m_provider->GetDashboardManager();
    if (screen == kLeaderboardScreen) {
        std::string category;
        if (!extra.empty()) {
            ServiceManager* services = m_provider->GetManager();
            ILeaderboardService* leaderboards =
                services != nullptr ? services->GetService<ILeaderboardService>(m_provider->GetName()) : nullptr;
            if (const ILeaderboard* board =
                    leaderboards != nullptr ? leaderboards->GetLeaderboard(extra.c_str()) : nullptr) {
                category = board->GetProviderId();
            }
        }
        manager.Attach(GameCentre::Screen::Leaderboard, category, true);
    } else if (screen == kAddFriendsScreen) {
        manager.Attach(GameCentre::Screen::FriendRequest, std::string(), true);
    } else if (screen == kMatchMakerScreen) {
        // Offered by name only: nothing to show.
    } else if (screen == kAccountScreen) {
        OpenUrl("gamecenter:/me/account");
    } else {
        manager.Attach(GameCentre::Screen::Achievements, std::string(), true);
    }
    ResetTouches();
}

void GameCenterDashboardService::ShowLastScreen() {
    ShowScreen(m_lastScreen.c_str(), m_lastOptions.c_str());
}

void GameCenterDashboardService::CloseScreen() {
    if (m_provider != nullptr) {
        m_provider->GetDashboardManager().RemoveCurrent(true);
    }
}

}  // namespace Varnok
