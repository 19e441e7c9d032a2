// Game Center screens: by name, replacing each other, finished by the
// player, the forced sign-in when signed out, the dialog when offline, the
// touches reset, and the rotation rules while a screen is up.
#include "GameCenterWorld.h"

#include "engine/core/TouchInputDevice.h"
#include "engine/iOS/ScreenOrientation.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using namespace GameCenterTest;
using Screen = GameCentre::Screen;

// A touch held down on the registered touch device.
class HeldTouch {
public:
    HeldTouch() {
        TouchInputDevice::SetCurrent(&m_device);
        m_device.OnTouch(7, true, 0.5f, 0.5f);
        m_device.Update(0.0f);
    }
    ~HeldTouch() { TouchInputDevice::SetCurrent(nullptr); }
    // Touches still down after the next input update.
    int DownAfterUpdate() {
        m_device.Update(0.0f);
        return m_device.GetActiveTouchCount();
    }

private:
    TouchInputDevice m_device;
};

class DashboardTest : public ::testing::Test {
protected:
    void SetUp() override { world.StartSignedIn(); }
    IDashboardService* Dashboard() { return world.Dashboard(); }

    World world;
};

TEST_F(DashboardTest, ScreensByNameAndTheMatchMakerShowsNothingButResetsTouches) {
    const struct {
        const char* name;
        const char* options;
        bool shown;
        Screen screen;
        const char* category;
    } cases[] = {
        {"AchievementScreen", "", true, Screen::Achievements, ""},
        {"LeaderboardScreen", "NEW_MODE_SCORES", true, Screen::Leaderboard, "gc.challenge"},
        {"LeaderboardScreen", "NO_SUCH_BOARD", true, Screen::Leaderboard, ""},
        {"AddFriendsScreen", nullptr, true, Screen::FriendRequest, ""},
        {"SomethingElse", "", true, Screen::Achievements, ""},
        {"P2PMatchMakerScreen", "", false, Screen::Achievements, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Dashboard()->CloseScreen();
        HeldTouch touch;
        const int presented = world.network->GetPresentCount();
        Dashboard()->ShowScreen(c.name, c.options);
        EXPECT_EQ(touch.DownAfterUpdate(), 0);
        EXPECT_EQ(world.network->IsScreenShown(), c.shown);
        EXPECT_EQ(world.network->GetPresentCount(), presented + (c.shown ? 1 : 0));
        if (c.shown) {
            EXPECT_EQ(world.network->GetShownScreen(), c.screen);
            EXPECT_EQ(world.network->GetShownCategory(), c.category);
        }
    }
    EXPECT_TRUE(Dashboard()->IsScreenSupported("P2PMatchMakerScreen"));
    EXPECT_TRUE(Dashboard()->IsScreenSupported("AccountScreen"));
    EXPECT_FALSE(Dashboard()->IsScreenSupported("SomethingElse"));

    Dashboard()->ShowScreen("AccountScreen", "");
    EXPECT_EQ(world.OpenedUrls(), std::vector<std::string>{"gamecenter:/me/account"});
}

TEST_F(DashboardTest, AScreenHoldsTheGameUntilThePlayerFinishesIt) {
    Dashboard()->ShowScreen("AchievementScreen", "");
    EXPECT_TRUE(world.Provider()->IsGameKitScreenShowing());
    EXPECT_FALSE(PlatformEventHub::Get().DispatchPreUpdate(1.0f / 60));

    // A second screen replaces the first; the first's late finish is ignored.
    Dashboard()->ShowScreen("LeaderboardScreen", "");
    EXPECT_EQ(world.network->GetShownScreen(), Screen::Leaderboard);
    EXPECT_TRUE(world.network->FinishScreen());
    world.Frame();
    EXPECT_FALSE(world.network->IsScreenShown());
    EXPECT_FALSE(world.Provider()->IsGameKitScreenShowing());
    EXPECT_TRUE(PlatformEventHub::Get().DispatchPreUpdate(1.0f / 60));

    Dashboard()->ShowScreen("AddFriendsScreen", "");
    Dashboard()->CloseScreen();
    EXPECT_FALSE(world.network->IsScreenShown());
    EXPECT_TRUE(PlatformEventHub::Get().DispatchPreUpdate(1.0f / 60));
}

TEST_F(DashboardTest, TheLastScreenStartsAsAchievementsAndFollowsEveryRequest) {
    Dashboard()->ShowLastScreen();
    EXPECT_EQ(world.network->GetShownScreen(), Screen::Achievements);
    Dashboard()->ShowScreen("LeaderboardScreen", "NEW_MODE_SCORES");
    Dashboard()->CloseScreen();
    Dashboard()->ShowLastScreen();
    EXPECT_EQ(world.network->GetShownScreen(), Screen::Leaderboard);
    EXPECT_EQ(world.network->GetShownCategory(), "gc.challenge");
}

TEST_F(DashboardTest, OfflineShowsTheDisabledDialogWhoseSignInOpensGameCenter) {
    world.Provider()->SetOnline(false);
    HeldTouch touch;
    Dashboard()->ShowScreen("LeaderboardScreen", "CLASSIC_SCORES");
    EXPECT_EQ(touch.DownAfterUpdate(), 0);
    EXPECT_FALSE(world.network->IsScreenShown());
    Dialog* dialog = DialogManager::Get().GetShownDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_STREQ(dialog->GetTitle().c_str(), "Game Center Disabled");
    EXPECT_STREQ(dialog->GetMessage().c_str(), "Sign in with the Game Center application to enable");
    ASSERT_EQ(dialog->GetButtonCount(), 2);
    EXPECT_STREQ(dialog->GetButton(0).label.c_str(), "Cancel");
    EXPECT_STREQ(dialog->GetButton(1).label.c_str(), "Sign In");
    dialog->OnButton(1);
    EXPECT_EQ(world.OpenedUrls(), std::vector<std::string>{"gamecenter://"});
    DialogManager::Get().CloseDialog(dialog);

    world.Provider()->SetOnline(true);
    Dashboard()->ShowLastScreen();
    EXPECT_EQ(world.network->GetShownScreen(), Screen::Leaderboard);
    EXPECT_EQ(world.network->GetShownCategory(), "gc.classic");
}

TEST_F(DashboardTest, SignedOutAScreenRequestStartsAForcedSignInInstead) {
    world.network->SignOutElsewhere();
    world.Frame();
    world.network->SetSignInAnswer(GameCentreStandIn::SignInAnswer::Cancel);
    UserDefaults().SetInteger(LoginService_GameCenter::kCancelCountKey, 3);
    Dashboard()->ShowScreen("AchievementScreen", "");
    EXPECT_FALSE(world.network->IsScreenShown());
    // The handler was set before, so a forced sign-in sends the player to
    // the Game Center application.
    EXPECT_EQ(world.OpenedUrls(), std::vector<std::string>{"gamecenter:"});
    EXPECT_EQ(world.Dashboard()->GetLastScreen(), "Default");
}

TEST_F(DashboardTest, TheSignInViewTakesTheScreensPlace) {
    Dashboard()->ShowScreen("AchievementScreen", "");
    ASSERT_TRUE(world.network->IsScreenShown());
    // A fresh run's network asks for its view while a screen is up.
    auto fresh = std::make_shared<GameCentreStandIn>();
    fresh->SetSignInPlayer(MakePlayer("G:1", "First"));
    GameCentre::Install(fresh);
    world.network = fresh;
    Dashboard()->ShowScreen("AchievementScreen", "");  // signed out now: a forced sign-in
    world.Frame();
    EXPECT_TRUE(fresh->IsSignInViewShown());
    EXPECT_FALSE(world.Provider()->GetDashboardManager().HasCurrentScreen());
    EXPECT_TRUE(world.Provider()->IsGameKitScreenShowing());
    world.Frame();  // accepted
    EXPECT_FALSE(world.Provider()->IsGameKitScreenShowing());
}

TEST_F(DashboardTest, RotationFollowsTheHubOrTheGameAlone) {
    GameCenterDashboardManager& manager = world.Provider()->GetDashboardManager();
    // Every listener refuses everything: both landscapes.
    bool refuse = true;
    struct Refuser {
        bool* refuse;
        void Query(int /*orientation*/, bool* answer) {
            if (*refuse) {
                *answer = false;
            }
        }
    } refuser{&refuse};
    const Delegate2<void, int, bool*> listener(&refuser, &Refuser::Query);
    PlatformEventHub::Get().rotationQuery.Add(listener);
    EXPECT_EQ(manager.SupportedInterfaceOrientations(), kOrientationMaskLandscape);
    EXPECT_FALSE(manager.ShouldAutorotateToInterfaceOrientation(kPlatformLandscapeLeft));
    refuse = false;
    EXPECT_EQ(manager.SupportedInterfaceOrientations(), kOrientationMaskAll);
    EXPECT_TRUE(manager.ShouldAutorotateToInterfaceOrientation(kPlatformPortrait));
    PlatformEventHub::Get().rotationQuery.Remove(listener);

    // The game's view straight in the window: the game's orientation only
    // (landscape right without a game object).
    world.network->SetUncontrolledView(true);
    EXPECT_TRUE(manager.ShouldAutorotateToInterfaceOrientation(kPlatformLandscapeRight));
    EXPECT_FALSE(manager.ShouldAutorotateToInterfaceOrientation(kPlatformLandscapeLeft));
}

TEST_F(DashboardTest, RotationsAreToldInEngineOrientations) {
    struct Listener {
        std::vector<std::vector<int>> calls;
        float duration = 0.0f;
        void Will(int next, int current, float seconds) {
            calls.push_back({next, current});
            duration = seconds;
        }
        void Did(int current, int previous) { calls.push_back({current, previous}); }
    } listener;
    const Delegate3<void, int, int, float> will(&listener, &Listener::Will);
    const Delegate2<void, int, int> did(&listener, &Listener::Did);
    PlatformEventHub::Get().willRotate.Add(will);
    PlatformEventHub::Get().didRotate.Add(did);
    GameCenterDashboardManager& manager = world.Provider()->GetDashboardManager();
    manager.WillRotateToInterfaceOrientation(kPlatformLandscapeLeft, 0.25f);
    manager.DidRotateFromInterfaceOrientation(kPlatformLandscapeRight);
    manager.WillRotateToInterfaceOrientation(99, 0.25f);  // out of range: the first orientation
    PlatformEventHub::Get().willRotate.Remove(will);
    PlatformEventHub::Get().didRotate.Remove(did);
    EXPECT_EQ(listener.calls, (std::vector<std::vector<int>>{{LandscapeLeft, LandscapeRight},
                                                              {LandscapeLeft, LandscapeRight},
                                                              {Portrait, LandscapeLeft}}));
    EXPECT_FLOAT_EQ(listener.duration, 0.25f);
}

}  // namespace
}  // namespace Varnok
