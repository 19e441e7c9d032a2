// The Google step of the online login: it holds what the last successful
// Google sign-in gave (access token, refresh token, expiry), passes the URLs
// the application is opened with to the sign-in client, and starts the
// login process's Google flow when the client reports a token.
#pragma once

#include "providers/Klui/SignInClient.h"

#include <string>

namespace Klui {

// The sign-in client's side of the step: configures the installed client
// with the step's settings (again whenever another client is installed) and
// hands its completion to the step.
class GoogleDelegate {
public:
    GoogleDelegate(const char* clientId, const char* language, std::vector<std::string> scopes,
                   const char* keychainName);
    GoogleDelegate(const GoogleDelegate&) = delete;
    GoogleDelegate& operator=(const GoogleDelegate&) = delete;

    void Authenticate(bool authenticate, bool clearKeychain);
    bool HandleUrl(const char* url, const char* sourceApplication);
    void SignOut();
    void FinishedWithAuth(const Varnok::SignInClient::Result& result, const char* error);

private:
    // The installed client, configured for this step; null when none.
    Varnok::SignInClient* Client();

    std::string m_clientId;
    std::string m_language;
    std::vector<std::string> m_scopes;
    std::string m_keychainName;
    Varnok::SignInClient* m_configured = nullptr;
};

class GoogleLogin {
public:
    static constexpr const char* kProfileScope = "https://www.googleapis.com/auth/userinfo.profile";

    // The program's one step, made on first use.
    static GoogleLogin& Get();

    GoogleLogin() = default;
    ~GoogleLogin();
    GoogleLogin(const GoogleLogin&) = delete;
    GoogleLogin& operator=(const GoogleLogin&) = delete;

    // Once; later calls do nothing. A null scheme keeps the stored one.
    void Initialise(const char* clientId, const char* uriScheme);
    bool IsInitialised() const { return m_initialised; }

    // Starts a sign-in through the client: this sign-in is not complete
    // until the client reports or the application comes back.
    void SignIn();
    // The player walked away: a report that still comes stores its tokens
    // but starts no login.
    void GiveUp() { m_givenUp = true; }
    void SignOut();

    bool HasAccessToken() const { return !m_accessToken.empty(); }
    const char* GetAccessToken() const { return m_accessToken.c_str(); }
    const char* GetRefreshToken() const { return m_refreshToken.c_str(); }
    const char* GetExpiresIn() const { return m_expiresIn.c_str(); }
    const char* GetUriScheme() const { return m_uriScheme.c_str(); }
    bool IsLoginComplete() const { return m_reported || m_becameActive; }

    void OnLaunchUrl(const char* url);
    void OnBecameActive() { m_becameActive = true; }
    // The client's completion. An error clears the stored tokens, so that
    // no login starts with the account of an earlier sign-in.
    void OnFinished(const Varnok::SignInClient::Result& result, const char* error);

private:
    std::unique_ptr<GoogleDelegate> m_delegate;
    std::string m_accessToken;
    std::string m_uriScheme;
    std::string m_refreshToken;
    std::string m_expiresIn;
    bool m_initialised = false;
    bool m_becameActive = false;
    bool m_reported = false;
    bool m_givenUp = false;
};

}  // namespace Klui
