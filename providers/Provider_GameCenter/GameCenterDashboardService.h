// Game Center's own screens by name: leaderboards (optionally opened on one
// configured board), achievements, the friend-request composer, and the
// account page of the Game Center application. Signed out, asking for a
// screen starts a forced sign-in instead; offline, a dialog offers the Game
// Center application. Every screen request resets the touches, so the touch
// that asked does not stay pressed in the game.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/services/IDashboardService.h"

#include <string>

namespace Varnok {

class LoginService_GameCenter;
class Provider_GameCenter;

class GameCenterDashboardService final : public IDashboardService {
public:
    static constexpr const char* kLeaderboardScreen = "LeaderboardScreen";
    static constexpr const char* kAchievementScreen = "AchievementScreen";
    static constexpr const char* kAddFriendsScreen = "AddFriendsScreen";
    static constexpr const char* kAccountScreen = "AccountScreen";
    static constexpr const char* kMatchMakerScreen = "P2PMatchMakerScreen";
    static constexpr const char* kDisabledTitle = "Game Center Disabled";
    static constexpr const char* kDisabledMessage = "Sign in with the Game Center application to enable";

    // Either may be null.
    GameCenterDashboardService(Provider_GameCenter* provider, LoginService_GameCenter* login);

    // Forgets the callbacks; the last screen becomes "Default" (achievements).
    bool Initialise() override;
    void Update() override {}
    const AsciiString& GetLogData() const override;
    const AsciiString& GetProviderName() const override;

    // Kept and never called: Game Center reports nothing through them.
    void SetReservedCallback1(Delegate0<void> callback) override { m_callback1 = callback; }
    void SetReservedCallback2(Delegate0<void> callback) override { m_callback2 = callback; }
    bool IsScreenSupported(const char* screenName) override;
    // An unknown name shows the achievements. options: the leaderboard
    // screen's board id; may be null.
    void ShowScreen(const char* screenName, const char* options) override;
    void ShowLastScreen() override;
    void CloseScreen() override;

    const std::string& GetLastScreen() const { return m_lastScreen; }
    const std::string& GetLastOptions() const { return m_lastOptions; }

private:
    Provider_GameCenter* m_provider;
    LoginService_GameCenter* m_login;
    Delegate0<void> m_callback1;
    Delegate0<void> m_callback2;
    std::string m_lastScreen = "Default";
    std::string m_lastOptions;
};

}  // namespace Varnok
