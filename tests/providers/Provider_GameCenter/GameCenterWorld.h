// What the Game Center tests share: a "save" folder with the service
// configuration, a hand-moved wall clock, a reachable network, a phone on
// system 6.1, the stand-in game network installed, opened URLs recorded,
// and a service manager started as the game starts it.
#pragma once

#include "engine/core/DeviceSettings.h"
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/NetworkAvailabilityMonitor.h"
#include "engine/core/PlatformEventHub.h"
#include "engine/iOS/Dialog.h"
#include "engine/iOS/LaunchUrl.h"
#include "engine/services/ServiceClock.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/User.h"
#include "platform/GameCentreStandIn.h"
#include "providers/Provider_GameCenter/GameCenterAchievementService.h"
#include "providers/Provider_GameCenter/GameCenterDashboardService.h"
#include "providers/Provider_GameCenter/GameCenterLeaderboardService.h"
#include "providers/Provider_GameCenter/LoginService_GameCenter.h"
#include "providers/Provider_GameCenter/Provider_GameCenter.h"
#include "providers/Provider_GameCenter/UserDefaults.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {
namespace GameCenterTest {

inline int64_t& Now() {
    static int64_t s_now = 1000000;
    return s_now;
}
inline int64_t ReadNow() {
    return Now();
}

inline std::vector<std::string>& OpenedUrls() {
    static std::vector<std::string> s_urls;
    return s_urls;
}

// Two achievements and the sample leaderboards; the id "CLASSIC_SCORES" is
// configured twice.
inline std::string DefaultProviderXml() {
    return "<provider><isMaster value=\"true\"/>"
           "<IAchievementService>"
           "<achievement id=\"FIVE\" name=\"Five\" providerID=\"gc.five\" range=\"5\"/>"
           "<achievement id=\"ONE\" name=\"One\" providerID=\"gc.one\" range=\"1\"/>"
           "</IAchievementService>"
           "<ILeaderboardService>"
           "<leaderboard id=\"CLASSIC_SCORES\" providerID=\"gc.classic\" displayText=\"Classic\"/>"
           "<leaderboard id=\"CLASSIC_SCORES\" providerID=\"gc.classic.alltime\" displayText=\"Classic\"/>"
           "<leaderboard id=\"NEW_MODE_SCORES\" providerID=\"gc.challenge\" displayText=\"Challenge\"/>"
           "</ILeaderboardService></provider>";
}

inline GameCentre::Player MakePlayer(const std::string& id, const std::string& alias) {
    return GameCentre::Player{id, alias, alias};
}

class World {
public:
    explicit World(const std::string& providerXml = DefaultProviderXml(), const char* systemVersion = "6.1",
                   const char* model = "iPhone4,1") {
        char pattern[] = "/tmp/varnok-gamecenter-XXXXXX";
        const char* made = mkdtemp(pattern);
        m_folder = made != nullptr ? made : "/tmp/varnok-gamecenter";
        m_mount = FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(m_folder.c_str(), false),
                                                FileSystemKey("save"), 2);
        Write("Services/ServiceManager.xml", "<serviceManager/>");
        if (!providerXml.empty()) {
            Write("Services/Provider_GameCenter.xml", providerXml);
        }
        Now() = 1000000;
        SetServiceClock(&ReadNow);
        NetworkAvailabilityMonitor::InstallInternetProbe([] { return kNetworkReachable; });
        DeviceSettings settings;
        settings.model = model;
        settings.systemVersion = systemVersion;
        SetDeviceSettings(settings);
        OpenedUrls().clear();
        SetUrlOpener([](const char* url) {
            OpenedUrls().push_back(url);
            return true;
        });
        network->SetSignInPlayer(MakePlayer("G:1", "First"));
        GameCentre::Install(network);
    }
    ~World() {
        while (Dialog* shown = DialogManager::Get().GetShownDialog()) {
            DialogManager::Get().CloseDialog(shown);
        }
        manager.reset();
        GameCentre::Install(nullptr);
        SetUrlOpener(nullptr);
        SetDeviceSettings(DeviceSettings());
        SetServiceClock(nullptr);
        FileSystemRegistry::Get().Remove(m_mount);
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
    }
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    void Write(const std::string& name, const std::string& text) {
        const std::filesystem::path path = std::filesystem::path(m_folder) / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }

    // The game's start-up: configuration, the builder, every provider, users.
    void Start() {
        ServiceDefines defines;
        defines[AsciiString("platform")] = AsciiString("ios");
        manager->Initialise("Services", "1.0", defines);
        manager->AddProviderBuilder(Provider_GameCenterBuilder::Get());
        manager->InitialiseProviders();
    }
    // One frame of the service framework: the network's completions, then
    // every service. The clock does not move.
    void Frame(int count = 1) {
        for (int i = 0; i < count; ++i) {
            manager->Update();
        }
    }

    Provider_GameCenter* Provider() { return manager->GetProvider<Provider_GameCenter>(); }
    LoginService_GameCenter* Login() { return Provider()->GetLoginService(); }
    GameCenterAchievementService* Achievements() { return Provider()->GetAchievementService(); }
    GameCenterLeaderboardService* Leaderboards() { return Provider()->GetLeaderboardService(); }
    GameCenterDashboardService* Dashboard() { return Provider()->GetDashboardService(); }
    User* Current() { return manager->GetCurrentUser(); }
    static std::vector<std::string>& OpenedUrls() { return GameCenterTest::OpenedUrls(); }
    std::string PlayerId() {
        const char* id = Current() != nullptr ? Current()->GetId(LoginService_GameCenter::kUserIdKey) : nullptr;
        return id != nullptr ? id : "(none)";
    }
    int64_t CancelCount() const { return UserDefaults().GetInteger(LoginService_GameCenter::kCancelCountKey); }
    // Started and signed in as the stand-in's player (a 6.0 sign-in view).
    void StartSignedIn() {
        Start();
        Frame(2);
        ASSERT_EQ(Login()->GetLoginState(), LoginService_GameCenter::kSignedIn);
    }

    std::shared_ptr<GameCentreStandIn> network = std::make_shared<GameCentreStandIn>();
    std::unique_ptr<ServiceManager> manager = std::make_unique<ServiceManager>();

private:
    std::string m_folder;
    FileSystem* m_mount = nullptr;
};

}  // namespace GameCenterTest
}  // namespace Varnok
