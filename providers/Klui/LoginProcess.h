// The login process of the online service over a social sign-in: it sends
// the service login with the Facebook or Google token, switches the local
// user to the account the service answers, records the login in the
// key-value store, merges the previous local user in when the service asks
// for it, and links the social account to the current online user when the
// service does not know it. Every outcome is one report: success flag,
// message, detail.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Delegate.h"
#include "engine/services/ServiceTypes.h"
#include "kiplink/Public/IAuthService.h"
#include "kiplink/Public/IUser.h"

#include <memory>
#include <vector>

namespace Varnok {
class MergeResultHandler;
class ServiceManager;
class User;
}  // namespace Varnok

namespace Klui {

class Facebook;
class GoogleLogin;

class LoginProcess final : public Kiplink::IUserCallbacks {
public:
    // Flow states.
    static constexpr int kIdle = 0;
    static constexpr int kWaitingForStep = 1;
    static constexpr int kWaitingForService = 2;
    static constexpr int kLinking = 3;
    static constexpr int kLinkAnswered = 4;
    static constexpr int kMerging = 5;

    // Merge states.
    static constexpr int kMergeNone = 0;
    static constexpr int kMergeRunning = 1;
    static constexpr int kMergeSucceeded = 2;
    static constexpr int kMergeFailed = 3;

    // Success flag, message, detail.
    using ResultDelegate = Varnok::Delegate3<void, bool, const Varnok::AsciiString&, const char*>;
    using MergeDecisionDelegate = Varnok::Delegate1<void, Varnok::MergeResultHandler*>;

    // The program's one process, made on first use with Provider_Kiplink's
    // settings "facebookAppId", "googleClientId" and
    // "androidGoogleLoginURIScheme"; it lives as long as the program.
    static LoginProcess& GetInstance();

    LoginProcess(const char* facebookAppId, const char* googleClientId, const char* googleUriScheme);
    ~LoginProcess() override;
    LoginProcess(const LoginProcess&) = delete;
    LoginProcess& operator=(const LoginProcess&) = delete;

    Facebook& GetFacebook() { return *m_facebook; }
    GoogleLogin& GetGoogle();
    void SetFacebookState(int state) { m_facebookState = state; }
    int GetFacebookState() const { return m_facebookState; }
    void SetGoogleState(int state) { m_googleState = state; }
    int GetGoogleState() const { return m_googleState; }
    int GetMergeState() const { return m_mergeState; }
    // Not called while empty.
    void SetResultDelegate(const ResultDelegate& onResult) { m_onResult = onResult; }
    // When set, a merge the service asks for is handed over instead of run.
    void SetMergeDecisionDelegate(const MergeDecisionDelegate& decide) { m_decideMerge = decide; }
    // The manager whose online provider and users the process works with:
    // the program's own unless set (tests run their own).
    void SetServiceManager(Varnok::ServiceManager* manager) { m_manager = manager; }

    // Send the service login with the step's token (a previous pending
    // login is dropped). Without the online provider nothing is sent.
    void LoginWithFacebook();
    void LoginWithGoogle();
    int GetFacebookLoginCount() const { return m_facebookLogins; }

    // The completion checks: true once the flow has reported or has nothing
    // left to wait for.
    bool PollFacebook();
    bool PollGoogle();

    // Slot 0's online library user, with a reference for the caller; null
    // when any step finds nothing.
    Kiplink::IUser* GetLocalKiplinkUser() const;
    // Puts the user with that "kpid" (made when none) into slot 0 with the
    // token as its "kpauth", and saves the store.
    void SetLocalUserLogin(const char* token, const char* id);

    void OnLinkFacebook(Kiplink::IUser* user, Kiplink::KIPLINKERROR error, const char* text) override;
    void OnLinkOAuth(Kiplink::IUser* user, Kiplink::KIPLINKERROR error, const char* text) override;

    // The texts one flow reports with.
    struct FlowTexts;

private:
    enum FlowKind { kFacebookFlow = 0, kGoogleFlow = 1 };

    int& StateOf(FlowKind flow) { return flow == kFacebookFlow ? m_facebookState : m_googleState; }
    bool StepComplete(FlowKind flow) const;
    bool StepHasToken(FlowKind flow) const;
    void SendLogin(FlowKind flow);
    bool Poll(FlowKind flow);
    bool OnLoggedIn(FlowKind flow);
    void Link(FlowKind flow);
    void OnLinked(FlowKind flow, Kiplink::KIPLINKERROR error, const char* text);
    void DropLinkedUser();
    void OnMergeDone(Varnok::User* user, Varnok::MergeResult result);
    void Report(bool success, const char* message, const char* detail);
    Varnok::ServiceManager& Manager() const;

    std::unique_ptr<Facebook> m_facebook;
    ResultDelegate m_onResult;
    MergeDecisionDelegate m_decideMerge;
    Kiplink::RefPtr<Kiplink::ServiceRequest> m_request;
    Kiplink::RefPtr<Kiplink::IUser> m_linkedUser;
    // The current merge is the last; earlier ones stay while a merge they
    // started may still answer through them.
    std::vector<std::unique_ptr<Varnok::MergeResultHandler>> m_mergeHandlers;
    Varnok::ServiceManager* m_manager = nullptr;
    int m_facebookState = kIdle;
    int m_googleState = kIdle;
    int m_mergeState = kMergeNone;
    int m_facebookLogins = 0;
};

}  // namespace Klui
