// The Facebook login step: tokens from returning URLs, the hand-off to the
// login process and the pending operation it registers.
#include "providers/Klui/Facebook.h"

#include "engine/core/PlatformEventHub.h"
#include "engine/iOS/LaunchUrl.h"
#include "platform/SocialClientStandIn.h"
#include "providers/Klui/LoginProcess.h"
#include "providers/Klui/PendingAsyncOperation.h"
#include "providers/Provider_Facebook/SocialClient.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

void RunFrame() {
    Varnok::PlatformEventHub& hub = Varnok::PlatformEventHub::Get();
    hub.DispatchPreUpdate(1.0f / 60.0f);
    hub.postUpdate.Invoke(1.0f / 60.0f);
}

TEST(FacebookFragment, PairsOfTheFragmentOnly) {
    const struct {
        const char* what;
        const char* url;
        std::map<std::string, std::string> pairs;
    } cases[] = {
        {"no fragment", "fb1://authorize?access_token=q", {}},
        {"later pair wins", "fb1://authorize#access_token=a&expires_in=60&access_token=b",
         {{"access_token", "b"}, {"expires_in", "60"}}},
        {"three parts ignored", "fb1://a#access_token=x=y&e=1", {{"e", "1"}}},
        {"no equals ignored", "fb1://a#flag&&=v&k=", {{"", "v"}, {"k", ""}}},
        {"no decoding", "fb1://a#t=%41b", {{"t", "%41b"}}},
        {"null", nullptr, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Klui::ParseUrlFragment(c.url), c.pairs);
    }
}

struct CheckScript {
    int asked = 0;
    int answerTrueAt = 0;  // the ask that answers true
    bool Check() { return ++asked >= answerTrueAt; }
};

TEST(PendingAsyncOperation, AsksOncePerFrameAndClearsWhenOver) {
    Klui::PendingAsyncOperation operation;
    CheckScript first{0, 3};
    CheckScript second{0, 1};
    EXPECT_TRUE(operation.Start("ASYNC_ONE", Klui::PendingAsyncOperation::Check(&first, &CheckScript::Check)));
    EXPECT_FALSE(operation.Start("ASYNC_TWO", Klui::PendingAsyncOperation::Check(&second, &CheckScript::Check)));
    EXPECT_STREQ(operation.GetName().c_str(), "ASYNC_ONE");
    RunFrame();
    RunFrame();
    EXPECT_EQ(first.asked, 2);
    EXPECT_TRUE(operation.IsBusy());
    RunFrame();
    EXPECT_FALSE(operation.IsBusy());
    EXPECT_TRUE(operation.GetName().IsEmpty());
    RunFrame();
    EXPECT_EQ(first.asked, 3);  // not asked once over
    EXPECT_TRUE(operation.Start("ASYNC_TWO", Klui::PendingAsyncOperation::Check(&second, &CheckScript::Check)));
    EXPECT_EQ(second.asked, 0);
}

struct Results {
    std::vector<std::string> messages;
    void On(bool success, const Varnok::AsciiString& message, const char*) {
        messages.push_back(std::string(success ? "ok " : "failed ") + message.c_str());
    }
};

class FacebookLoginStep : public ::testing::Test {
protected:
    void SetUp() override {
        m_client = std::make_shared<Varnok::SocialClientStandIn>();
        Varnok::SetSocialClient(m_client);
        Varnok::DeliverLaunchUrl();
        // Whatever an earlier test left under way ends with a frame.
        Process().SetFacebookState(Klui::LoginProcess::kIdle);
        RunFrame();
        Process().SetResultDelegate(Klui::LoginProcess::ResultDelegate(&m_results, &Results::On));
    }
    void TearDown() override {
        Process().SetResultDelegate({});
        Varnok::SetSocialClient(nullptr);
    }
    static Klui::LoginProcess& Process() { return Klui::LoginProcess::GetInstance(); }
    static Klui::Facebook& Step() { return Process().GetFacebook(); }
    static Klui::PendingAsyncOperation& Pending() { return Klui::PendingAsyncOperation::Get(); }

    std::shared_ptr<Varnok::SocialClientStandIn> m_client;
    Results m_results;
};

TEST_F(FacebookLoginStep, AReturningTokenStartsTheOnlineLogin) {
    const int logins = Process().GetFacebookLoginCount();
    Varnok::SetLaunchUrl("fb123://authorize#access_token=AAA&expires_in=3600");
    EXPECT_STREQ(Step().GetAccessToken(), "AAA");
    EXPECT_STREQ(Step().GetExpiresIn(), "3600");
    EXPECT_TRUE(Step().IsLoginComplete());
    EXPECT_EQ(Process().GetFacebookState(), Klui::LoginProcess::kWaitingForService);
    EXPECT_EQ(Process().GetFacebookLoginCount(), logins + 1);
    EXPECT_TRUE(Pending().IsBusy());
    EXPECT_STREQ(Pending().GetName().c_str(), "ASYNC_FACEBOOK_LOGIN");

    // With no online login service to answer, the check reports the
    // outcome on the next frame and the operation clears.
    RunFrame();
    EXPECT_THAT(m_results.messages, ElementsAre("failed error registering facebook user"));
    EXPECT_FALSE(Pending().IsBusy());

    // A second login registers again, with the new token and expiry.
    Varnok::SetLaunchUrl("fb123://authorize#access_token=BBB");
    EXPECT_STREQ(Step().GetAccessToken(), "BBB");
    EXPECT_STREQ(Step().GetExpiresIn(), "");
    EXPECT_EQ(Process().GetFacebookLoginCount(), logins + 2);
    EXPECT_TRUE(Pending().IsBusy());
    // While it is under way, another start is refused.
    EXPECT_FALSE(Pending().Start("ASYNC_GOOGLE_LOGIN", {}));
    RunFrame();
    EXPECT_FALSE(Pending().IsBusy());
}

TEST_F(FacebookLoginStep, UrlsWithoutATokenOrTakenByTheSessionChangeNothing) {
    Varnok::SetLaunchUrl("fb123://authorize#access_token=KEEP&expires_in=10");
    RunFrame();
    const int logins = Process().GetFacebookLoginCount();

    Varnok::SetLaunchUrl("fb123://authorize#error=access_denied");
    m_client->BeginLogin("fb123");
    Varnok::SetLaunchUrl("fb123://authorize#access_token=SESSION");
    EXPECT_FALSE(m_client->IsLoginInProgress());  // the session took it
    Varnok::SetLaunchUrl("fb123://authorize#access_token=x=y");

    EXPECT_STREQ(Step().GetAccessToken(), "KEEP");
    EXPECT_STREQ(Step().GetExpiresIn(), "10");
    EXPECT_EQ(Process().GetFacebookLoginCount(), logins);
    EXPECT_FALSE(Pending().IsBusy());
    EXPECT_TRUE(Step().IsLoginComplete());
}

TEST_F(FacebookLoginStep, TheForegroundCompletesTheStepUntilTheNextUrl) {
    Varnok::PlatformEventHub::Get().foreground.Invoke();
    EXPECT_TRUE(Step().IsLoginComplete());
    Varnok::SetLaunchUrl("other://x");
    EXPECT_TRUE(Step().IsLoginComplete());  // the URL came back
}

TEST_F(FacebookLoginStep, WaitingForTheStepWithoutATokenReportsOnce) {
    Klui::Facebook step("1");
    EXPECT_TRUE(step.IsLoginComplete());  // nothing asked yet
    EXPECT_FALSE(step.HasAccessToken());
    Process().SetFacebookState(Klui::LoginProcess::kIdle);
    EXPECT_TRUE(Process().PollFacebook());
    EXPECT_THAT(m_results.messages, IsEmpty());
}

}  // namespace
