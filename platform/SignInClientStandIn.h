// Our stand-in for the Google sign-in client: a started sign-in names the
// service's page (a log line) and waits for the URL
// the page sends the application back with,
//   <scheme>:/oauth2callback?access_token=...&refresh_token=...&expires_in=...
// or ...?error=...; the launch-URL dispatcher hands that URL over, and the
// completion reaches the configured delegate on the next frame (the event
// hub's pre-update), on the main thread as the real client answers.
#pragma once

#include "providers/Klui/SignInClient.h"

#include <string>
#include <vector>

namespace Varnok {

// A returning sign-in URL, taken apart.
struct SignInReturn {
    std::string scheme;
    std::string accessToken;
    std::string refreshToken;
    std::string expiresIn;
    std::string error;  // empty on success
};

// False unless the URL is "<scheme>:/oauth2callback" or
// "<scheme>://oauth2callback" (a scheme of letters, digits, "+", "-" and
// ".") with a query.
// The query's pairs are percent-decoded ("+" is a space); a later pair
// replaces an earlier one. A query with neither "access_token" nor
// "error" answers the error "invalid_response".
bool ParseSignInReturnUrl(const char* url, SignInReturn* out);

class SignInClientStandIn final : public SignInClient {
public:
    static constexpr const char* kPageBase = "https://accounts.google.com/o/oauth2/auth";

    // Answers URLs of that scheme only (any scheme when empty). Listens to
    // the hub's frames until destroyed.
    explicit SignInClientStandIn(std::string scheme = std::string());
    ~SignInClientStandIn() override;
    SignInClientStandIn(const SignInClientStandIn&) = delete;
    SignInClientStandIn& operator=(const SignInClientStandIn&) = delete;

    void Configure(const char* clientId, const char* language, const std::vector<std::string>& scopes,
                   const char* keychainName, const Completion& completion) override;
    // Names the sign-in page; a sign-in already under way starts again.
    void Authenticate(bool authenticate, bool clearKeychain) override;
    // Takes a returning URL of its scheme while a sign-in is under way.
    bool HandleUrl(const char* url, const char* sourceApplication) override;
    void SignOut() override;

    bool IsSignInInProgress() const { return m_inProgress; }
    const std::string& GetPageUrl() const { return m_pageUrl; }
    const std::string& GetClientId() const { return m_clientId; }
    int GetSignOutCount() const { return m_signOuts; }

    void OnFrame(float stepSeconds);

private:
    std::string m_scheme;
    std::string m_clientId;
    std::string m_language;
    std::vector<std::string> m_scopes;
    Completion m_completion;
    std::string m_pageUrl;
    bool m_inProgress = false;
    bool m_answerDue = false;
    SignInReturn m_answer;
    int m_signOuts = 0;
};

}  // namespace Varnok
