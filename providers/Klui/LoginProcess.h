// The login process of the online service over a social sign-in. Only what
// the Facebook step hands over to is here so far: the process, its Facebook
// step, the Facebook flow's state, the service login and the completion
// check; the service login itself, Google and saved logins come with the
// online provider's login service.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Delegate.h"

#include <memory>

namespace Klui {

class Facebook;

class LoginProcess {
public:
    // Flow states.
    static constexpr int kIdle = 0;
    static constexpr int kWaitingForStep = 1;
    static constexpr int kWaitingForService = 2;
    static constexpr int kLinking = 3;
    static constexpr int kLinkAnswered = 4;

    // Success flag, message, detail.
    using ResultDelegate = Varnok::Delegate3<void, bool, const Varnok::AsciiString&, const char*>;

    // The program's one process, made on first use with the Facebook
    // application id of Provider_Kiplink's configuration ("facebookAppId").
    static LoginProcess& GetInstance();

    explicit LoginProcess(const char* facebookAppId);
    ~LoginProcess();
    LoginProcess(const LoginProcess&) = delete;
    LoginProcess& operator=(const LoginProcess&) = delete;

    Facebook& GetFacebook() { return *m_facebook; }
    void SetFacebookState(int state) { m_facebookState = state; }
    int GetFacebookState() const { return m_facebookState; }
    // Not called while empty.
    void SetResultDelegate(const ResultDelegate& onResult) { m_onResult = onResult; }

    // Sends the service login with the Facebook step's token and expiry.
    // No online login service is there to send it to yet: one log line, and
    // no request is pending.
    void LoginWithFacebook();
    int GetFacebookLoginCount() const { return m_facebookLogins; }

    // The completion check of the Facebook login: true once the flow has
    // reported or has nothing left to wait for.
    bool PollFacebook();

private:
    // The service did not log the account in: link it to the local online
    // user instead.
    void LinkFacebook();
    void Report(bool success, const char* message, const char* detail);

    std::unique_ptr<Facebook> m_facebook;
    ResultDelegate m_onResult;
    int m_facebookState = kIdle;
    int m_facebookLogins = 0;
};

}  // namespace Klui
