// The login process against the protocol server on loopback: social logins
// that switch the local user, merge a guest's progress, or link the account
// to the current user, through the Facebook step and the Google step with
// the platform's sign-in client.
#include "providers/Klui/LoginProcess.h"

#include "engine/core/DevicePropertyMap.h"
#include "engine/core/DeviceSettings.h"
#include "engine/core/Event.h"
#include "engine/core/PlatformEventHub.h"
#include "engine/iOS/AppleICloudHelper.h"
#include "engine/iOS/LaunchUrl.h"
#include "platform/KeyValueStoreFile.h"
#include "platform/SignInClientStandIn.h"
#include "providers/Klui/Facebook.h"
#include "providers/Klui/GoogleLogin.h"
#include "providers/Klui/PendingAsyncOperation.h"
#include "providers/Provider_Facebook/SocialClient.h"
#include "tests/providers/Provider_Kiplink/KiplinkWorld.h"
#include "tools/kiplink_server/SocialTokens.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Varnok::TestSupport::KiplinkWorld;
using ::testing::ElementsAre;

constexpr const char* kScheme = "com.example.varnok";

struct Outcome {
    std::vector<std::string> reports;
    std::vector<std::string> events;
    void OnResult(bool success, const Varnok::AsciiString& message, const char* detail) {
        reports.push_back(std::string(success ? "ok " : "failed ") + message.c_str() +
                          (detail != nullptr && detail[0] != '\0' ? std::string(" / ") + detail : ""));
    }
    void OnEvent(const Varnok::Event& event) {
        std::string text = event.GetName();
        for (const char* arg : {"to", "account_type"}) {
            if (event.HasArg(arg)) {
                text += std::string(" ") + arg + "=" + event.GetArgText(arg).c_str();
            }
        }
        events.push_back(text);
    }
};

const char* const kEvents[] = {"logged_in", "registered", "linked_account"};

class LoginProcessOnline : public ::testing::Test {
protected:
    void SetUp() override {
        // Server users that social accounts are linked to, and the tokens
        // the server believes in.
        AddMember("member-1", "fb-100", "facebook");
        AddMember("member-2", "fb-200", "facebook");
        m_tokens.Add("facebook", "FB-ONE", "fb-100");
        m_tokens.Add("facebook", "FB-TWO", "fb-200");
        m_tokens.Add("facebook", "FB-NEW", "fb-300");
        m_tokens.Add("google", "G-NEW", "g-1");
        m_tokens.Add("google", "G-OTHER", "g-2");
        m_world.accounts.SetSocialTokens(&m_tokens);

        m_store = std::make_shared<Varnok::KeyValueStoreFile>(m_world.SavePath("icloud-kvstore.json"));
        Varnok::SetUbiquitousKeyValueStore(m_store);
        Varnok::DeviceSettings device = Varnok::GetDeviceSettings();
        device.deviceId = "device-A";
        Varnok::SetDeviceSettings(device);
        Varnok::DevicePropertyMap::Rebuild();

        Varnok::SetSocialClient(nullptr);
        m_signIn = std::make_shared<Varnok::SignInClientStandIn>(kScheme);
        Varnok::SetSignInClient(m_signIn);
        Varnok::DeliverLaunchUrl();

        Process().SetFacebookState(Klui::LoginProcess::kIdle);
        Process().SetGoogleState(Klui::LoginProcess::kIdle);
        RunHubFrame();  // whatever an earlier test left under way ends
        ASSERT_FALSE(Klui::PendingAsyncOperation::Get().IsBusy());

        m_world.Start();
        Process().SetServiceManager(&m_world.Manager());
        Process().SetResultDelegate(Klui::LoginProcess::ResultDelegate(&m_outcome, &Outcome::OnResult));
        for (const char* name : kEvents) {
            Varnok::EventDispatcher::Get().Subscribe(name, Varnok::EventListener(&m_outcome, &Outcome::OnEvent));
        }
        // The guest that the device signs in first.
        ASSERT_TRUE(Frames([this] {
            return m_world.Current() != nullptr && m_world.Current()->GetId("kpauth") != nullptr &&
                   KiplinkWorld::LibraryUser(m_world.Current()) != nullptr &&
                   KiplinkWorld::LibraryUser(m_world.Current())->IsAuthenticated();
        }));
        m_guestId = m_world.Current()->GetId("kpid");
    }
    void TearDown() override {
        for (const char* name : kEvents) {
            Varnok::EventDispatcher::Get().Unsubscribe(name, Varnok::EventListener(&m_outcome, &Outcome::OnEvent));
        }
        Process().SetResultDelegate({});
        Process().SetMergeDecisionDelegate({});
        Process().SetServiceManager(nullptr);
        Varnok::SetSignInClient(nullptr);
        Varnok::SetUbiquitousKeyValueStore(nullptr);
    }

    static Klui::LoginProcess& Process() { return Klui::LoginProcess::GetInstance(); }
    static void RunHubFrame() {
        Varnok::PlatformEventHub::Get().DispatchPreUpdate(1.0f / 60.0f);
        Varnok::PlatformEventHub::Get().postUpdate.Invoke(1.0f / 60.0f);
    }
    template <typename Done>
    bool Frames(Done done) {
        return Varnok::TestSupport::RunUntil(
            [this] {
                RunHubFrame();
                m_world.Manager().Update();
            },
            done, 20000);
    }
    bool FramesUntilReports(size_t count) {
        return Frames([&] { return m_outcome.reports.size() >= count; }) &&
               Frames([] { return !Klui::PendingAsyncOperation::Get().IsBusy(); });
    }
    void AddMember(const std::string& id, const std::string& account, const std::string& service) {
        Varnok::Tools::ServerUserDef def;
        def.id = id;
        def.token = "tok-" + id;
        def.profile["displayName"] = id;
        def.profile["isMember"] = true;
        def.profile["linkedAccounts"][service] = 1;
        def.profile["linkedAccountIds"][service] = account;
        m_world.accounts.AddUser(def);
    }
    void GoogleSignIn(const std::string& returning) {
        Klui::GoogleLogin::Get().SignIn();
        Varnok::SetLaunchUrl(returning.c_str());
    }

    KiplinkWorld m_world;
    Varnok::Tools::SocialTokens m_tokens;
    std::shared_ptr<Varnok::KeyValueStoreFile> m_store;
    std::shared_ptr<Varnok::SignInClientStandIn> m_signIn;
    Outcome m_outcome;
    std::string m_guestId;
};

TEST_F(LoginProcessOnline, AFacebookLoginSwitchesTheLocalUserAndSavesTheLogin) {
    Varnok::SetLaunchUrl("fb123://authorize#access_token=FB-ONE&expires_in=3600");
    EXPECT_STREQ(Klui::PendingAsyncOperation::Get().GetName().c_str(), "ASYNC_FACEBOOK_LOGIN");
    ASSERT_TRUE(FramesUntilReports(1));

    EXPECT_THAT(m_outcome.reports, ElementsAre("ok login successful"));
    EXPECT_THAT(m_outcome.events, ElementsAre("logged_in to=registered"));
    Varnok::User* user = m_world.Current();
    ASSERT_NE(user, nullptr);
    EXPECT_STREQ(user->GetId("kpid"), "member-1");
    EXPECT_STREQ(user->GetId("kpauth"), "tok-member-1");
    const Json::Value entry = m_store->GetValue(Varnok::kICloudLoginInfoKey)["device-A"];
    EXPECT_EQ(entry["service"].asString(), "facebook");
    EXPECT_EQ(entry["kiplinkId"].asString(), "member-1");
    // A fresh guest had nothing to hand over.
    EXPECT_EQ(Process().GetMergeState(), Klui::LoginProcess::kMergeNone);
}

TEST_F(LoginProcessOnline, ALoginAskingToMergeMergesTheGuestIn) {
    ASSERT_TRUE(m_world.accounts.EditGameData(m_guestId, [](Json::Value& data) {
        data["metaData"]["chapter"] = "3";
    }));
    Varnok::SetLaunchUrl("fb123://authorize#access_token=FB-TWO&expires_in=3600");
    ASSERT_TRUE(FramesUntilReports(1));

    EXPECT_THAT(m_outcome.reports, ElementsAre("ok login successful / merge successful"));
    EXPECT_STREQ(m_world.Current()->GetId("kpid"), "member-2");
    EXPECT_EQ(m_world.accounts.GameData("member-2")["metaData"]["chapter"].asString(), "3");
    EXPECT_EQ(m_world.CallCount("game", "merge"), 1);
}

TEST_F(LoginProcessOnline, AMergeHandedToTheDecisionWaitsForIt) {
    ASSERT_TRUE(m_world.accounts.EditGameData(m_guestId, [](Json::Value& data) {
        data["metaData"]["chapter"] = "4";
    }));
    Varnok::MergeResultHandler* handed = nullptr;
    struct Decider {
        Varnok::MergeResultHandler** out;
        void Take(Varnok::MergeResultHandler* handler) { *out = handler; }
    } decider{&handed};
    Process().SetMergeDecisionDelegate(Klui::LoginProcess::MergeDecisionDelegate(&decider, &Decider::Take));
    Varnok::SetLaunchUrl("fb123://authorize#access_token=FB-TWO");
    ASSERT_TRUE(Frames([&] { return handed != nullptr; }));
    m_world.Settle(100);
    EXPECT_TRUE(m_outcome.reports.empty());
    EXPECT_TRUE(Klui::PendingAsyncOperation::Get().IsBusy());
    EXPECT_EQ(handed->GetTargetUser(), m_world.Current());

    handed->Merge();
    ASSERT_TRUE(FramesUntilReports(1));
    EXPECT_THAT(m_outcome.reports, ElementsAre("ok login successful / merge successful"));
}

// Social accounts the server does not know are linked to the current
// user; a second sign-in in the same run goes through the same way.
TEST_F(LoginProcessOnline, GoogleAccountsLinkOnceAndThenReportAlreadyLinked) {
    GoogleSignIn(std::string(kScheme) + ":/oauth2callback?access_token=G-NEW&refresh_token=R1&expires_in=3599");
    ASSERT_TRUE(FramesUntilReports(1));
    EXPECT_THAT(m_outcome.reports, ElementsAre("ok google registered"));
    EXPECT_THAT(m_outcome.events, ElementsAre("registered account_type=google"));
    EXPECT_EQ(m_world.accounts.Profile(m_guestId)["linkedAccountIds"]["google"].asString(), "g-1");
    EXPECT_STREQ(Klui::GoogleLogin::Get().GetRefreshToken(), "R1");

    GoogleSignIn(std::string(kScheme) + ":/oauth2callback?access_token=G-OTHER&expires_in=3599");
    ASSERT_TRUE(FramesUntilReports(2));
    EXPECT_EQ(m_outcome.reports.back(), "failed google already linked");
    EXPECT_EQ(Process().GetGoogleState(), Klui::LoginProcess::kLinking);

    // The linked account now logs in as the guest's own.
    GoogleSignIn(std::string(kScheme) + ":/oauth2callback?access_token=G-NEW&expires_in=3599");
    ASSERT_TRUE(FramesUntilReports(3));
    EXPECT_EQ(m_outcome.reports.back(), "ok google login successful");
    EXPECT_STREQ(m_world.Current()->GetId("kpid"), m_guestId.c_str());
    EXPECT_EQ(m_store->GetValue(Varnok::kICloudLoginInfoKey)["device-A"]["service"].asString(), "google");
}

TEST_F(LoginProcessOnline, AFailedLinkReportsTheServersText) {
    Varnok::SetLaunchUrl("fb123://authorize#access_token=FB-FORGED&expires_in=60");
    ASSERT_TRUE(FramesUntilReports(1));
    EXPECT_THAT(m_outcome.reports, ElementsAre("failed invalid token"));
    EXPECT_EQ(Process().GetFacebookState(), Klui::LoginProcess::kLinkAnswered);

    // The next login of the run starts and ends as the first did.
    Varnok::SetLaunchUrl("fb123://authorize#access_token=FB-ONE&expires_in=60");
    EXPECT_TRUE(Klui::PendingAsyncOperation::Get().IsBusy());
    ASSERT_TRUE(FramesUntilReports(2));
    EXPECT_EQ(m_outcome.reports.back(), "ok login successful");
}

TEST_F(LoginProcessOnline, AGoogleSignInThatFailsStartsNoLogin) {
    // A first sign-in leaves its tokens; a failing one must not log in with them.
    GoogleSignIn(std::string(kScheme) + ":/oauth2callback?access_token=G-NEW&refresh_token=R1&expires_in=3599");
    ASSERT_TRUE(FramesUntilReports(1));
    const int logins = m_world.CallCount("auth", "login");

    GoogleSignIn(std::string(kScheme) + ":/oauth2callback?error=access_denied");
    ASSERT_TRUE(Frames([] { return Klui::GoogleLogin::Get().IsLoginComplete(); }));
    EXPECT_FALSE(Klui::GoogleLogin::Get().HasAccessToken());
    EXPECT_STREQ(Klui::GoogleLogin::Get().GetRefreshToken(), "");
    EXPECT_FALSE(Klui::PendingAsyncOperation::Get().IsBusy());
    m_world.Settle(100);
    EXPECT_EQ(m_world.CallCount("auth", "login"), logins);

    // Waiting on the step now reports that Google did not authorize.
    Process().SetGoogleState(Klui::LoginProcess::kWaitingForStep);
    EXPECT_TRUE(Process().PollGoogle());
    EXPECT_EQ(m_outcome.reports.back(), "failed google did not authorize");
}

}  // namespace
