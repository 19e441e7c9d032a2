// The sign-in client stand-in: returning URLs taken apart, and a sign-in
// that completes on the frame after its URL came back.
#include "platform/SignInClientStandIn.h"

#include "engine/core/PlatformEventHub.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Varnok::SignInReturn;

TEST(SignInReturnUrl, TakesTheCallbackApart) {
    const struct {
        const char* what;
        const char* url;
        bool taken;
        SignInReturn expected;
    } cases[] = {
        {"all three", "com.ex.app:/oauth2callback?access_token=A1&refresh_token=R1&expires_in=3599", true,
         {"com.ex.app", "A1", "R1", "3599", ""}},
        {"two slashes, fragment dropped", "app://oauth2callback?expires_in=60&access_token=A2#x=y", true,
         {"app", "A2", "", "60", ""}},
        {"percent-decoded, later pair wins", "app:/oauth2callback?access_token=x&access_token=1%2F%2Fa+b%zz", true,
         {"app", "1//a b%zz", "", "", ""}},
        {"an error", "app:/oauth2callback?error=access_denied&access_token=A3", true,
         {"app", "A3", "", "", "access_denied"}},
        {"neither token nor error", "app:/oauth2callback?state=1", true, {"app", "", "", "", "invalid_response"}},
        {"an empty token", "app:/oauth2callback?access_token=", true, {"app", "", "", "", "invalid_response"}},
        {"an empty error", "app:/oauth2callback?error=", true, {"app", "", "", "", "unknown_error"}},
        {"another path", "app:/callback?access_token=A", false, {}},
        {"three slashes", "app:///oauth2callback?access_token=A", false, {}},
        {"no query", "app:/oauth2callback", false, {}},
        {"a longer path", "app:/oauth2callbackx?access_token=A", false, {}},
        {"no scheme", ":/oauth2callback?access_token=A", false, {}},
        {"a bad scheme", "a p:/oauth2callback?access_token=A", false, {}},
        {"no colon", "oauth2callback?access_token=A", false, {}},
        {"null", nullptr, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SignInReturn got;
        got.error = "untouched";
        ASSERT_EQ(Varnok::ParseSignInReturnUrl(c.url, &got), c.taken);
        if (!c.taken) {
            EXPECT_EQ(got.error, "untouched");
            continue;
        }
        EXPECT_EQ(got.scheme, c.expected.scheme);
        EXPECT_EQ(got.accessToken, c.expected.accessToken);
        EXPECT_EQ(got.refreshToken, c.expected.refreshToken);
        EXPECT_EQ(got.expiresIn, c.expected.expiresIn);
        EXPECT_EQ(got.error, c.expected.error);
    }
}

struct Completions {
    int calls = 0;
    std::string token;
    std::string error;
    void On(const Varnok::SignInClient::Result& result, const char* failure) {
        ++calls;
        token = result.accessToken;
        error = failure != nullptr ? failure : "";
    }
};

void Frame() { Varnok::PlatformEventHub::Get().DispatchPreUpdate(1.0f / 60.0f); }

TEST(SignInClientStandIn, CompletesOnTheFrameAfterItsUrlCameBack) {
    Varnok::SignInClientStandIn client("com.ex.app");
    Completions done;
    client.Configure("client-7", "en", {"profile"}, nullptr,
                     Varnok::SignInClient::Completion(&done, &Completions::On));

    // Nothing under way: nothing is taken.
    EXPECT_FALSE(client.HandleUrl("com.ex.app:/oauth2callback?access_token=A", nullptr));

    client.Authenticate(true, false);
    EXPECT_TRUE(client.IsSignInInProgress());
    EXPECT_NE(client.GetPageUrl().find("client_id=client-7"), std::string::npos);
    EXPECT_NE(client.GetPageUrl().find("redirect_uri=com.ex.app%3A%2Foauth2callback"), std::string::npos);
    EXPECT_FALSE(client.HandleUrl("other.app:/oauth2callback?access_token=A", nullptr));
    EXPECT_FALSE(client.HandleUrl("fb1://authorize#access_token=A", nullptr));
    EXPECT_TRUE(client.HandleUrl("com.ex.app:/oauth2callback?access_token=A&expires_in=5", nullptr));
    EXPECT_FALSE(client.IsSignInInProgress());
    EXPECT_EQ(done.calls, 0);
    Frame();
    EXPECT_EQ(done.calls, 1);
    EXPECT_EQ(done.token, "A");
    EXPECT_EQ(done.error, "");
    Frame();
    EXPECT_EQ(done.calls, 1);

    client.Authenticate(true, false);
    EXPECT_TRUE(client.HandleUrl("com.ex.app:/oauth2callback?error=access_denied", nullptr));
    Frame();
    EXPECT_EQ(done.calls, 2);
    EXPECT_EQ(done.error, "access_denied");

    // Signing out drops an answer that has not been delivered.
    client.Authenticate(true, false);
    EXPECT_TRUE(client.HandleUrl("com.ex.app:/oauth2callback?access_token=B", nullptr));
    client.SignOut();
    Frame();
    EXPECT_EQ(done.calls, 2);
}

}  // namespace
