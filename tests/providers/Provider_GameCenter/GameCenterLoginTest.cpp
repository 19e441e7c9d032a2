// Signing in to Game Center: the devices and systems that never try, the
// player's answers, the cancel count, the player's id on the current user,
// friends, and the game standing still behind the sign-in view.
#include "GameCenterWorld.h"

#include "engine/services/IAchievementService.h"
#include "providers/Provider_GameCenter/UserComponent_GameCenter.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using namespace GameCenterTest;
using SignIn = GameCentreStandIn::SignInAnswer;

constexpr int kNotSignedIn = LoginService_GameCenter::kNotSignedIn;
constexpr int kSigningIn = LoginService_GameCenter::kSigningIn;
constexpr int kSignedIn = LoginService_GameCenter::kSignedIn;
constexpr int kCancelled = LoginService_GameCenter::kCancelled;

// A master achievement service that knows one achievement at progress 1 and
// counts the progress the aggregate's Sync hands out.
class CountingAchievements final : public IAchievementService {
public:
    class One final : public IAchievement {
    public:
        const char* GetName() const override { return "FIVE"; }
        const char* GetId() const override { return "FIVE"; }
        const char* GetProviderId() const override { return "FIVE"; }
        ServiceValueHandle GetData() const override { return ServiceValueHandle(); }
        int GetRange() const override { return 5; }
        bool IsVisible() const override { return true; }
    };
    bool Initialise() override { return true; }
    void Update() override {}
    const AsciiString& GetProviderName() const override {
        static const AsciiString s_name("Provider_Counting");
        return s_name;
    }
    void IncrementProgress(User*, const char*, int) override {}
    void SetProgress(User*, const char*, int) override { ++syncs; }
    void Complete(User*, const char*) override {}
    void AddUpdateListener(Delegate0<void>) override {}
    void RemoveUpdateListener(Delegate0<void>) override {}
    bool IsMaster() const override { return true; }
    int GetAchievementCount() const override { return 1; }
    bool GetProgress(User*, const char*, int* outProgress) override {
        *outProgress = 1;
        return true;
    }
    IAchievement* GetAchievement(int index) override { return index == 0 ? &one : nullptr; }
    IAchievement* GetAchievement(const char*) override { return &one; }
    float GetProgressFraction(User*, const char*) override { return 0.2f; }

    One one;
    int syncs = 0;
};

TEST(GameCenterLogin, NeverStartsWhereGameCenterCannotRun) {
    const struct {
        const char* what;
        const char* model;
        const char* system;
        bool available;
    } cases[] = {
        {"first iPhone", "iPhone1,1", "6.1", true},
        {"iPhone 3G", "iPhone1,2", "6.1", true},
        {"first iPod touch", "iPod1,1", "6.1", true},
        {"system below 4.1", "iPhone2,1", "4.0.2", true},
        {"no game network", "iPhone2,1", "6.1", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        World world(DefaultProviderXml(), c.system, c.model);
        world.network->SetAvailable(c.available);
        world.Start();
        world.Login()->Login(world.Current(), true);
        world.Frame(3);
        EXPECT_EQ(world.Login()->GetLoginState(), kNotSignedIn);
        EXPECT_EQ(world.network->GetAuthenticateCount(), 0);
        EXPECT_EQ(world.network->GetSignInViewCount(), 0);
        EXPECT_TRUE(world.OpenedUrls().empty());
    }
}

TEST(GameCenterLogin, AcceptedSignInStoresThePlayerResetsTheCountAndLoadsFriends) {
    World world;
    UserDefaults().SetInteger(LoginService_GameCenter::kCancelCountKey, 2);
    world.network->AddPlayer(MakePlayer("G:2", "Friend Two"));
    world.network->AddPlayer(MakePlayer("G:3", "Friend Three"));
    world.network->SetFriends({"G:2", "G:3"});
    world.Start();
    EXPECT_EQ(world.Login()->GetLoginState(), kSigningIn);

    world.Frame();  // the network asks for its sign-in view
    EXPECT_TRUE(world.network->IsSignInViewShown());
    EXPECT_TRUE(world.Login()->IsSignInViewShown());
    // The game stands still behind the view, every frame.
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(PlatformEventHub::Get().DispatchPreUpdate(1.0f / 60));
    }

    world.Frame();  // the player accepts
    EXPECT_EQ(world.Login()->GetLoginState(), kSignedIn);
    EXPECT_TRUE(world.Login()->IsLoggedIn(nullptr));
    EXPECT_FALSE(world.Login()->IsSignInViewShown());
    EXPECT_TRUE(PlatformEventHub::Get().DispatchPreUpdate(1.0f / 60));
    EXPECT_EQ(world.CancelCount(), 0);
    EXPECT_EQ(world.PlayerId(), "G:1");

    world.Frame(2);  // friends, then their players
    UserComponent_GameCenter* component = FindGameCenterComponent(world.Current());
    ASSERT_NE(component, nullptr);
    EXPECT_STREQ(component->GetDisplayName(), "First");
    EXPECT_TRUE(component->FriendsLoaded());
    ASSERT_EQ(component->FriendCount(), 2);
    EXPECT_STREQ(component->GetFriend(1)->GetDisplayName().c_str(), "Friend Three");
    EXPECT_STREQ(component->GetFriend(1)->GetId(LoginService_GameCenter::kUserIdKey), "G:3");
    EXPECT_EQ(component->GetFriend(2), nullptr);
    EXPECT_EQ(component->GetFriend(-1), nullptr);
}

TEST(GameCenterLogin, EveryAnswerSettlesItsState) {
    const struct {
        const char* what;
        SignIn answer;
        int errorCode;
        int state;
        int64_t cancels;
    } cases[] = {
        {"accepted", SignIn::Accept, 0, kSignedIn, 0},
        {"cancelled (code 2)", SignIn::Cancel, 0, kCancelled, 1},
        {"failed", SignIn::Fail, 5, kNotSignedIn, 0},
        {"signed out", SignIn::SignedOut, 0, kNotSignedIn, 0},
    };
    for (const char* system : {"5.1", "6.1"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " on " + system);
            World world(DefaultProviderXml(), system);
            world.network->SetSignInAnswer(c.answer, c.errorCode);
            world.Start();
            world.Frame(2);
            EXPECT_EQ(world.Login()->GetLoginState(), c.state);
            EXPECT_EQ(world.CancelCount(), c.cancels);
            EXPECT_EQ(world.Login()->IsLoginCancelled(), c.state == kCancelled);
        }
    }
}

TEST(GameCenterLogin, AfterThreeCancelsForcedOpensGameCenterAndUnforcedEndsCancelled) {
    // Before system 6.0 the system asks again at every sign-in.
    World world(DefaultProviderXml(), "5.1");
    world.network->SetSignInAnswer(SignIn::Cancel);
    world.Start();
    world.Frame();
    for (int i = 0; i < 2; ++i) {
        world.Login()->Login(world.Current(), true);
        world.Frame();
    }
    EXPECT_EQ(world.CancelCount(), 3);
    EXPECT_TRUE(world.OpenedUrls().empty());

    world.Login()->Login(world.Current(), true);
    world.Frame();
    EXPECT_EQ(world.OpenedUrls(), std::vector<std::string>{"gamecenter:"});
    EXPECT_EQ(world.CancelCount(), 3);

    world.Login()->Login(world.Current(), false);
    world.Frame();
    EXPECT_EQ(world.Login()->GetLoginState(), kCancelled);
    EXPECT_EQ(world.OpenedUrls().size(), 1u);
}

TEST(GameCenterLogin, FromSystemSixAfterThreeCancelsTheSignInIsNotOfferedAgain) {
    for (const bool force : {true, false}) {
        SCOPED_TRACE(force ? "forced" : "unforced");
        World world(DefaultProviderXml(), "6.1");
        UserDefaults().SetInteger(LoginService_GameCenter::kCancelCountKey, 3);
        world.network->SetCancelsInARow(3);
        world.Start();  // the first, unforced sign-in decides at once
        EXPECT_EQ(world.Login()->GetLoginState(), kCancelled);
        world.Login()->Login(world.Current(), force);
        if (force) {
            EXPECT_EQ(world.OpenedUrls(), std::vector<std::string>{"gamecenter:"});
        } else {
            EXPECT_EQ(world.Login()->GetLoginState(), kCancelled);
            EXPECT_TRUE(world.OpenedUrls().empty());
        }
        world.Frame(2);
        EXPECT_EQ(world.network->GetSignInViewCount(), 0);
        EXPECT_EQ(world.Login()->GetLoginState(), kCancelled);
    }
}

TEST(GameCenterLogin, ADifferentPlayerSyncsAchievementsOnceAndTheSameOneNever) {
    World world("<provider/>");  // no achievement service of its own to load and sync
    world.Start();
    CountingAchievements counting;
    world.manager->GetBackend().AddService<IAchievementService>(&counting);
    counting.SetEnabled(true);
    world.Frame(2);
    EXPECT_EQ(world.PlayerId(), "G:1");
    EXPECT_EQ(counting.syncs, 1);  // the user had no Game Center id yet

    world.Login()->Login(world.Current(), false);  // already signed in
    EXPECT_EQ(world.Login()->GetLoginState(), kSignedIn);
    world.Frame(3);
    EXPECT_EQ(counting.syncs, 1);

    world.network->SignInElsewhere(MakePlayer("G:9", "Other"));
    world.Frame();
    EXPECT_EQ(world.PlayerId(), "G:9");
    EXPECT_EQ(counting.syncs, 2);
    world.manager->GetBackend().RemoveService<IAchievementService>(&counting);
}

TEST(GameCenterLogin, SigningOutRemovesThePlayersId) {
    World world;
    world.StartSignedIn();
    world.network->SignOutElsewhere();
    world.Frame();
    EXPECT_EQ(world.Login()->GetLoginState(), kNotSignedIn);
    EXPECT_EQ(world.PlayerId(), "(none)");
    EXPECT_FALSE(world.Current()->HasId(LoginService_GameCenter::kUserIdKey));
}

TEST(GameCenterLogin, CancelledStaysCancelledEvenWhenSignedInElsewhere) {
    World world;
    world.network->SetSignInAnswer(SignIn::Cancel);
    world.Start();
    world.Frame(2);
    ASSERT_EQ(world.Login()->GetLoginState(), kCancelled);
    world.network->SetSignInViewNeeded(false);
    world.network->SetSignInAnswer(SignIn::Accept);
    world.network->SignInElsewhere(MakePlayer("G:1", "First"));
    EXPECT_FALSE(world.Login()->IsLoggedIn(nullptr));
    EXPECT_EQ(world.Login()->GetLoginState(), kCancelled);
}

TEST(GameCenterLogin, SignInWhileSignedInSettlesAtOnceWithOneSkipListener) {
    World world;
    const int listenersBefore = PlatformEventHub::Get().preUpdate.ListenerCount();
    world.StartSignedIn();
    for (int i = 0; i < 3; ++i) {
        world.Login()->Login(world.Current(), i % 2 == 0);
        EXPECT_EQ(world.Login()->GetLoginState(), kSignedIn);
        EXPECT_FALSE(world.Login()->IsLoginInProgress());
    }
    EXPECT_TRUE(world.OpenedUrls().empty());
    EXPECT_EQ(PlatformEventHub::Get().preUpdate.ListenerCount(), listenersBefore + 1);
    world.manager.reset();
    EXPECT_EQ(PlatformEventHub::Get().preUpdate.ListenerCount(), listenersBefore);
}

TEST(GameCenterLogin, ConfigurationDecidesWhichServicesExist) {
    {
        World world("<provider><IAchievementService/></provider>");
        world.Start();
        ASSERT_NE(world.Provider(), nullptr);
        EXPECT_TRUE(world.Provider()->IsEnabled());
        EXPECT_NE(world.Login(), nullptr);
        EXPECT_NE(world.Achievements(), nullptr);
        EXPECT_EQ(world.Leaderboards(), nullptr);
        EXPECT_NE(world.Dashboard(), nullptr);
        EXPECT_EQ(world.manager->GetService<ILeaderboardService>("Provider_GameCenter"), nullptr);
        EXPECT_EQ(world.manager->GetService<IDashboardService>("Provider_GameCenter"), world.Dashboard());
        EXPECT_EQ(world.manager->GetService<ILoginService>("Provider_GameCenter"), world.Login());
    }
    {
        World world("");  // no provider file
        world.Start();
        ASSERT_NE(world.Provider(), nullptr);
        EXPECT_FALSE(world.Provider()->IsEnabled());
        EXPECT_EQ(world.manager->GetService<IDashboardService>("Provider_GameCenter"), nullptr);
    }
}

TEST(GameCenterLogin, ADamagedDefaultsFileReadsAsNoCancels) {
    World world;
    world.Write(UserDefaults::kFileName, "{not json");
    world.network->SetSignInAnswer(SignIn::Cancel);
    world.Start();
    world.Frame(2);
    EXPECT_EQ(world.CancelCount(), 1);
}

}  // namespace
}  // namespace Varnok
