// The Google step without the online service: what the sign-in client
// reports, the application coming back early, and the URLs it passes on;
// the sample returning URLs and the test server's social token table.
#include "providers/Klui/GoogleLogin.h"

#include "engine/core/PlatformEventHub.h"
#include "engine/iOS/LaunchUrl.h"
#include "platform/SignInClientStandIn.h"
#include "providers/Klui/LoginProcess.h"
#include "providers/Klui/Facebook.h"
#include "providers/Klui/PendingAsyncOperation.h"
#include "tools/kiplink_server/SocialTokens.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kScheme = "com.example.varnok";

void RunFrame() {
    Varnok::PlatformEventHub::Get().DispatchPreUpdate(1.0f / 60.0f);
    Varnok::PlatformEventHub::Get().postUpdate.Invoke(1.0f / 60.0f);
}

class GoogleStep : public ::testing::Test {
protected:
    void SetUp() override {
        (void)Klui::LoginProcess::GetInstance();  // initialises the step
        m_client = std::make_shared<Varnok::SignInClientStandIn>(kScheme);
        Varnok::SetSignInClient(m_client);
        Varnok::DeliverLaunchUrl();
        // Whatever an earlier sign-in left is dropped by one that fails.
        Step().SignIn();
        Varnok::SetLaunchUrl((std::string(kScheme) + ":/oauth2callback?error=reset").c_str());
        RunFrame();
        ASSERT_FALSE(Step().HasAccessToken());
        ASSERT_FALSE(Klui::PendingAsyncOperation::Get().IsBusy());
    }
    void TearDown() override { Varnok::SetSignInClient(nullptr); }
    static Klui::GoogleLogin& Step() { return Klui::GoogleLogin::Get(); }

    std::shared_ptr<Varnok::SignInClientStandIn> m_client;
};

TEST_F(GoogleStep, ComingBackBeforeTheSignInEndsCompletesItWithoutAToken) {
    Step().SignIn();
    EXPECT_FALSE(Step().IsLoginComplete());
    Varnok::PlatformEventHub::Get().resume.Invoke();
    EXPECT_TRUE(Step().IsLoginComplete());
    EXPECT_FALSE(Step().HasAccessToken());

    // A URL clears the early return before the client looks at it.
    Varnok::SetLaunchUrl("elsewhere://page");
    EXPECT_FALSE(Step().IsLoginComplete());
    EXPECT_TRUE(m_client->IsSignInInProgress());
}

TEST_F(GoogleStep, AReportedTokenIsKeptAndStartsTheGoogleFlow) {
    Step().SignIn();
    EXPECT_NE(m_client->GetPageUrl().find("scope=https%3A%2F%2Fwww.googleapis.com%2Fauth%2Fuserinfo.profile"),
              std::string::npos);
    Varnok::SetLaunchUrl(
        (std::string(kScheme) + ":/oauth2callback?access_token=T1&refresh_token=R1&expires_in=3599").c_str());
    EXPECT_FALSE(Step().IsLoginComplete());  // the client answers on the next frame
    Varnok::PlatformEventHub::Get().DispatchPreUpdate(1.0f / 60.0f);
    EXPECT_TRUE(Step().IsLoginComplete());
    EXPECT_STREQ(Step().GetAccessToken(), "T1");
    EXPECT_STREQ(Step().GetRefreshToken(), "R1");
    EXPECT_STREQ(Step().GetExpiresIn(), "3599");
    EXPECT_STREQ(Klui::PendingAsyncOperation::Get().GetName().c_str(), "ASYNC_GOOGLE_LOGIN");
    EXPECT_EQ(Klui::LoginProcess::GetInstance().GetGoogleState(), Klui::LoginProcess::kWaitingForService);

    // Without the online service the flow reports and the operation clears.
    Varnok::PlatformEventHub::Get().postUpdate.Invoke(1.0f / 60.0f);
    EXPECT_FALSE(Klui::PendingAsyncOperation::Get().IsBusy());
}

TEST_F(GoogleStep, AGivenUpSignInStartsNoLogin) {
    Step().SignIn();
    Step().GiveUp();
    Varnok::SetLaunchUrl((std::string(kScheme) + ":/oauth2callback?access_token=T2").c_str());
    RunFrame();
    EXPECT_STREQ(Step().GetAccessToken(), "T2");
    EXPECT_FALSE(Klui::PendingAsyncOperation::Get().IsBusy());
}

TEST_F(GoogleStep, ASecondInitialiseChangesNothing) {
    const std::string scheme = Step().GetUriScheme();
    Step().Initialise("another-client", "another.scheme");
    EXPECT_EQ(Step().GetUriScheme(), scheme);
    Step().SignIn();
    EXPECT_EQ(m_client->GetPageUrl().find("another-client"), std::string::npos);
}

}  // namespace

namespace {

// The sample returning URLs of both flows, as the browser hands them back.
TEST(ReturningUrls, SamplesOfBothFlows) {
    std::ifstream in(std::string(VARNOK_TEST_DATA_DIR) + "/returning-urls.txt");
    std::vector<std::string> urls;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#') {
            urls.push_back(line);
        }
    }
    ASSERT_EQ(urls.size(), 4u);
    Varnok::SignInReturn google;
    ASSERT_TRUE(Varnok::ParseSignInReturnUrl(urls[0].c_str(), &google));
    EXPECT_EQ(google.accessToken, "ya29.A0ARrdaM-k2");
    EXPECT_EQ(google.refreshToken, "1//0gLx");
    EXPECT_EQ(google.expiresIn, "3599");
    EXPECT_EQ(google.error, "");
    ASSERT_TRUE(Varnok::ParseSignInReturnUrl(urls[1].c_str(), &google));
    EXPECT_EQ(google.error, "access_denied");
    EXPECT_FALSE(Varnok::ParseSignInReturnUrl(urls[2].c_str(), &google));  // Facebook's are not the client's

    EXPECT_EQ(Klui::ParseUrlFragment(urls[2].c_str()).at("access_token"), "EAAGm0PX4ZCpsBA");
    EXPECT_EQ(Klui::ParseUrlFragment(urls[3].c_str()).count("access_token"), 0u);
}

TEST(SocialTokenTable, ReadsItsFileAndSkipsBadLines) {
    Varnok::Tools::SocialTokens tokens;
    EXPECT_FALSE(tokens.LoadFile(std::string(VARNOK_TEST_DATA_DIR) + "/social-tokens.txt"));
    EXPECT_EQ(tokens.AccountOf("facebook", "FB-ONE"), "fb-100");
    EXPECT_EQ(tokens.AccountOf("google", "G-NEW"), "g-1");
    EXPECT_EQ(tokens.AccountOf("facebook", "FB-TWO"), "");
    EXPECT_EQ(tokens.AccountOf("google", "FB-ONE"), "");  // a token names an account of one service
    EXPECT_FALSE(tokens.LoadFile("/nonexistent/social-tokens.txt"));
}

}  // namespace
