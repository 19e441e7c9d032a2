// The Google step and the sign-in client it configures.
#include "providers/Klui/GoogleLogin.h"

#include "engine/core/DeviceSettings.h"
#include "engine/core/Log.h"
#include "engine/core/PlatformEventHub.h"
#include "engine/iOS/LaunchUrl.h"
#include "providers/Klui/LoginProcess.h"
#include "providers/Klui/PendingAsyncOperation.h"

namespace Varnok {
namespace {

std::shared_ptr<SignInClient>& InstalledSignInClient() {
    static std::shared_ptr<SignInClient> s_client;
    return s_client;
}

}  // namespace

SignInClient* GetSignInClient() { return InstalledSignInClient().get(); }

void SetSignInClient(std::shared_ptr<SignInClient> client) { InstalledSignInClient() = std::move(client); }

}  // namespace Varnok

namespace Klui {

constexpr const char* kAsyncGoogleLogin = "ASYNC_GOOGLE_LOGIN";

GoogleDelegate::GoogleDelegate(const char* clientId, const char* language, std::vector<std::string> scopes,
                               const char* keychainName)
    : m_clientId(clientId != nullptr ? clientId : ""),
      m_language(language != nullptr ? language : ""),
      m_scopes(std::move(scopes)),
      m_keychainName(keychainName != nullptr ? keychainName : "") {}

Varnok::SignInClient* GoogleDelegate::Client() {
    Varnok::SignInClient* client = Varnok::GetSignInClient();
    if (client != nullptr && client != m_configured) {
        client->Configure(m_clientId.c_str(), m_language.c_str(), m_scopes,
                          m_keychainName.empty() ? nullptr : m_keychainName.c_str(),
                          Varnok::SignInClient::Completion(this, &GoogleDelegate::FinishedWithAuth));
    }
    m_configured = client;
    return client;
}

void GoogleDelegate::Authenticate(bool authenticate, bool clearKeychain) {
    if (Varnok::SignInClient* client = Client()) {
        client->Authenticate(authenticate, clearKeychain);
    } else {
        Varnok::Log("GoogleLogin: no sign-in client, the sign-in does not start");
    }
}

bool GoogleDelegate::HandleUrl(const char* url, const char* sourceApplication) {
    Varnok::SignInClient* client = Client();
    return client != nullptr && client->HandleUrl(url, sourceApplication);
}

void GoogleDelegate::SignOut() {
    if (Varnok::SignInClient* client = Client()) {
        client->SignOut();
    }
}

void GoogleDelegate::FinishedWithAuth(const Varnok::SignInClient::Result& result, const char* error) {
    GoogleLogin::Get().OnFinished(result, error);
}

GoogleLogin& GoogleLogin::Get() {
    static GoogleLogin s_login;
    return s_login;
}

GoogleLogin::~GoogleLogin() {
    if (m_initialised) {
        Varnok::RemoveLaunchUrlListener(Varnok::LaunchUrlDispatcher::Listener(this, &GoogleLogin::OnLaunchUrl));
        Varnok::PlatformEventHub::Get().resume.Remove(Varnok::Delegate0<void>(this, &GoogleLogin::OnBecameActive));
    }
}

void GoogleLogin::Initialise(const char* clientId, const char* uriScheme) {
    if (m_initialised) {
        return;
    }
    if (uriScheme != nullptr) {
        m_uriScheme = uriScheme;
    }
    Varnok::AddLaunchUrlListener(Varnok::LaunchUrlDispatcher::Listener(this, &GoogleLogin::OnLaunchUrl));
    Varnok::PlatformEventHub::Get().resume.Add(Varnok::Delegate0<void>(this, &GoogleLogin::OnBecameActive));
    m_delegate = std::make_unique<GoogleDelegate>(clientId, Varnok::GetDeviceLanguage().c_str(),
                                                  std::vector<std::string>{kProfileScope}, nullptr);
    m_initialised = true;
}

void GoogleLogin::SignIn() {
    if (!m_initialised) {
        Varnok::Log("GoogleLogin: not initialised, the sign-in does not start");
        return;
    }
    m_reported = false;
    m_becameActive = false;
    m_givenUp = false;
    m_delegate->Authenticate(true, false);
}

void GoogleLogin::SignOut() {
    if (m_delegate) {
        m_delegate->SignOut();
    }
}

void GoogleLogin::OnLaunchUrl(const char* url) {
    m_becameActive = false;
    if (m_delegate) {
        m_delegate->HandleUrl(url, Varnok::GetLaunchSourceApplication());
    }
}

void GoogleLogin::OnFinished(const Varnok::SignInClient::Result& result, const char* error) {
    if (error == nullptr) {
        m_accessToken = result.accessToken;
        m_refreshToken = result.refreshToken;
        m_expiresIn = result.expiresIn;
    } else {
        Varnok::Log("GoogleLogin: the sign-in failed: %s", error);
        m_accessToken.clear();
        m_refreshToken.clear();
        m_expiresIn.clear();
    }
    m_reported = true;
    if (!m_givenUp && HasAccessToken()) {
        LoginProcess& process = LoginProcess::GetInstance();
        process.SetGoogleState(LoginProcess::kWaitingForService);
        process.LoginWithGoogle();
        PendingAsyncOperation::Get().Start(kAsyncGoogleLogin,
                                           PendingAsyncOperation::Check(&process, &LoginProcess::PollGoogle));
    }
}

}  // namespace Klui
