// The login process: the service login, the switch of the local user, the
// merge and the link, for the Facebook and the Google flows alike.
#include "providers/Klui/LoginProcess.h"

#include "engine/core/Event.h"
#include "engine/core/Log.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/ServiceManagerConfig.h"
#include "engine/services/User.h"
#include "engine/services/UserStore.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "providers/Klui/Facebook.h"
#include "providers/Klui/GoogleLogin.h"
#include "providers/Klui/ICloudLoginStore.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"

#include <tinyxml.h>

#include <string>

namespace Klui {

struct LoginProcess::FlowTexts {
    const char* accountType;
    const char* notAuthorized;
    const char* loggedIn;
    const char* noLocalUser;
    const char* alreadyLinked;
    const char* linked;
    const char* linkFailed;
};

namespace {

std::string ConfiguredValue(const char* name, bool required) {
    Varnok::ServiceManagerConfig* config = Varnok::ServiceManager::Get().GetConfig();
    const TiXmlElement* element =
        config != nullptr ? config->GetProviderConfigElement("Provider_Kiplink", name) : nullptr;
    const char* value = element != nullptr ? element->Attribute("value") : nullptr;
    if (value == nullptr && required) {
        Varnok::Log("LoginProcess: Provider_Kiplink has no %s, using none", name);
    }
    return value != nullptr ? value : "";
}

}  // namespace

static const LoginProcess::FlowTexts kTexts[] = {
    {"facebook", "facebook did not authorize", "login successful", "error registering facebook user",
     "facebook already linked", "facebook registered", "facebook registration failed"},
    {"google", "google did not authorize", "google login successful", "error registering google user",
     "google already linked", "google registered", "google registration failed"},
};

LoginProcess& LoginProcess::GetInstance() {
    // Made once and never destroyed: it holds its own reference, so the
    // library's listener sets, which take and drop references while they
    // notify, never free it either.
    static LoginProcess* s_process = [] {
        const std::string scheme = ConfiguredValue("androidGoogleLoginURIScheme", false);
        auto* process = new LoginProcess(ConfiguredValue("facebookAppId", true).c_str(),
                                         ConfiguredValue("googleClientId", true).c_str(),
                                         scheme.empty() ? nullptr : scheme.c_str());
        process->Reference();
        return process;
    }();
    return *s_process;
}

LoginProcess::LoginProcess(const char* facebookAppId, const char* googleClientId, const char* googleUriScheme)
    : m_facebook(std::make_unique<Facebook>(facebookAppId)) {
    GoogleLogin::Get().Initialise(googleClientId, googleUriScheme);
}

LoginProcess::~LoginProcess() { DropLinkedUser(); }

GoogleLogin& LoginProcess::GetGoogle() { return GoogleLogin::Get(); }

Varnok::ServiceManager& LoginProcess::Manager() const {
    return m_manager != nullptr ? *m_manager : Varnok::ServiceManager::Get();
}

bool LoginProcess::StepComplete(FlowKind flow) const {
    return flow == kFacebookFlow ? m_facebook->IsLoginComplete() : GoogleLogin::Get().IsLoginComplete();
}

bool LoginProcess::StepHasToken(FlowKind flow) const {
    return flow == kFacebookFlow ? m_facebook->HasAccessToken() : GoogleLogin::Get().HasAccessToken();
}

void LoginProcess::LoginWithFacebook() {
    ++m_facebookLogins;
    SendLogin(kFacebookFlow);
}

void LoginProcess::LoginWithGoogle() { SendLogin(kGoogleFlow); }

void LoginProcess::SendLogin(FlowKind flow) {
    m_request.Reset();
    Varnok::ServiceManager& manager = Manager();
    Varnok::User* current = manager.GetCurrentUser();
    const char* lastToken = current != nullptr ? current->GetId(Varnok::UserComponent_Kiplink::kAuthKey) : nullptr;
    Varnok::Provider_Kiplink* provider = manager.GetProvider<Varnok::Provider_Kiplink>();
    Kiplink::IKiplinkProvider* root = provider != nullptr ? provider->GetRoot() : nullptr;
    auto auth = Kiplink::RefPtr<Kiplink::IAuthService>::Adopt(root != nullptr ? root->GetAuthService() : nullptr);
    if (!auth) {
        Varnok::Log("LoginProcess: no online login service, the %s login is not sent", kTexts[flow].accountType);
        return;
    }
    auto user = Kiplink::RefPtr<Kiplink::IUser>::Adopt(GetLocalKiplinkUser());
    if (flow == kFacebookFlow) {
        m_request = Kiplink::RefPtr<Kiplink::ServiceRequest>::Adopt(auth->LoginWithFacebook(
            user.Get(), m_facebook->GetAccessToken(), m_facebook->GetExpiresIn(), lastToken));
    } else {
        const GoogleLogin& google = GoogleLogin::Get();
        m_request = Kiplink::RefPtr<Kiplink::ServiceRequest>::Adopt(
            auth->LoginWithOAuth(user.Get(), "google", google.GetAccessToken(), google.GetRefreshToken(),
                                 google.GetExpiresIn(), lastToken));
    }
    if (m_request) {
        m_request->Send();
    }
}

bool LoginProcess::PollFacebook() { return Poll(kFacebookFlow); }

bool LoginProcess::PollGoogle() { return Poll(kGoogleFlow); }

bool LoginProcess::Poll(FlowKind flow) {
    int& state = StateOf(flow);
    switch (state) {
        case kIdle:
            return true;
        case kWaitingForStep:
            if (!StepComplete(flow)) {
                return false;
            }
            if (StepHasToken(flow)) {
                state = kWaitingForService;
                SendLogin(flow);
                return false;
            }
            Report(false, kTexts[flow].notAuthorized, "");
            return true;
        case kWaitingForService: {
            // No request pending (no online provider) counts as a login
            // the service did not make.
            const int requestState = m_request ? m_request->GetState() : Kiplink::kServiceRequestFailed;
            if (requestState == Kiplink::kServiceRequestSent || requestState == Kiplink::kServiceRequestNew) {
                return false;
            }
            if (requestState == Kiplink::kServiceRequestSucceeded) {
                return OnLoggedIn(flow);
            }
            Link(flow);
            return true;
        }
        case kMerging: {
            if (m_mergeState == kMergeRunning) {
                return false;
            }
            const char* detail = m_mergeState == kMergeSucceeded ? "merge successful"
                                 : m_mergeState == kMergeFailed  ? "merge failed"
                                                                 : "merge not attempted";
            m_mergeState = kMergeNone;
            Report(true, kTexts[flow].loggedIn, detail);
            return true;
        }
        default:
            return false;
    }
}

bool LoginProcess::OnLoggedIn(FlowKind flow) {
    const std::string token = m_request->GetResultString("token") != nullptr ? m_request->GetResultString("token") : "";
    const std::string id = m_request->GetResultString("id") != nullptr ? m_request->GetResultString("id") : "";
    const bool merge = m_request->GetDoMerge();
    Varnok::ServiceManager& manager = Manager();
    Varnok::Provider_Kiplink* provider = manager.GetProvider<Varnok::Provider_Kiplink>();
    if (token.empty() || id.empty() || provider == nullptr) {
        Report(false, "failed to retrieve auth token", "");
        return true;
    }
    Varnok::User* previous = manager.GetCurrentUser();
    Varnok::User* logged = provider->FindOrCreateUser(token.c_str(), id.c_str());
    SetLocalUserLogin(token.c_str(), id.c_str());
    Varnok::Event event("logged_in");
    event.SetString("to", "registered");
    Varnok::EventDispatcher::Get().Fire(event);
    SaveLoginInfo(kTexts[flow].accountType, id.c_str(), manager);
    if (!merge) {
        Report(true, kTexts[flow].loggedIn, "");
        return true;
    }
    StateOf(flow) = kMerging;
    m_mergeState = kMergeRunning;
    m_mergeHandlers.push_back(std::make_unique<Varnok::MergeResultHandler>(
        previous, logged, Varnok::MergeResultDelegate(this, &LoginProcess::OnMergeDone)));
    Varnok::MergeResultHandler* handler = m_mergeHandlers.back().get();
    if (!m_decideMerge.IsEmpty()) {
        m_decideMerge(handler);
    } else {
        handler->Merge();
    }
    return false;
}

void LoginProcess::OnMergeDone(Varnok::User* user, Varnok::MergeResult result) {
    // Only the merge of the latest login moves the flow on.
    if (m_mergeHandlers.empty() || m_mergeHandlers.back()->GetTargetUser() != user) {
        return;
    }
    m_mergeState = result == Varnok::MergeResult::Succeeded ? kMergeSucceeded
                   : result == Varnok::MergeResult::Failed  ? kMergeFailed
                                                            : kMergeNone;
}

void LoginProcess::Link(FlowKind flow) {
    if (!StepComplete(flow)) {
        return;
    }
    if (!StepHasToken(flow)) {
        Report(false, "failed to authorize user", "");
        return;
    }
    StateOf(flow) = kLinking;
    DropLinkedUser();
    m_linkedUser = Kiplink::RefPtr<Kiplink::IUser>::Adopt(GetLocalKiplinkUser());
    if (!m_linkedUser) {
        Report(false, kTexts[flow].noLocalUser, "");
        return;
    }
    const char* accountType = kTexts[flow].accountType;
    if (m_linkedUser->IsLinkedAccount(accountType)) {
        m_linkedUser.Reset();
        Report(false, kTexts[flow].alreadyLinked, "");
        return;
    }
    Varnok::Event event(m_linkedUser->IsRegisteredUser() ? "linked_account" : "registered");
    event.SetString("account_type", accountType);
    Varnok::EventDispatcher::Get().Fire(event);
    m_linkedUser->AddCallbacks(this);
    if (flow == kFacebookFlow) {
        m_linkedUser->LinkFacebook(m_facebook->GetAccessToken(), m_facebook->GetExpiresIn());
    } else {
        const GoogleLogin& google = GoogleLogin::Get();
        m_linkedUser->LinkOAuth("google", google.GetAccessToken(), google.GetRefreshToken(), google.GetExpiresIn());
    }
}

void LoginProcess::OnLinkFacebook(Kiplink::IUser*, Kiplink::KIPLINKERROR error, const char* text) {
    if (m_facebookState != kIdle) {
        OnLinked(kFacebookFlow, error, text);
    }
}

void LoginProcess::OnLinkOAuth(Kiplink::IUser*, Kiplink::KIPLINKERROR error, const char* text) {
    if (m_googleState != kIdle) {
        OnLinked(kGoogleFlow, error, text);
    }
}

void LoginProcess::OnLinked(FlowKind flow, Kiplink::KIPLINKERROR error, const char* text) {
    StateOf(flow) = kLinkAnswered;
    DropLinkedUser();
    if (error == Kiplink::KIPLINKERROR_NONE) {
        Report(true, kTexts[flow].linked, "");
    } else {
        Report(false, text != nullptr ? text : kTexts[flow].linkFailed, "");
    }
}

void LoginProcess::DropLinkedUser() {
    if (m_linkedUser) {
        Kiplink::RefPtr<Kiplink::IUser> user = m_linkedUser;
        m_linkedUser.Reset();
        user->RemoveCallbacks(this);
    }
}

Kiplink::IUser* LoginProcess::GetLocalKiplinkUser() const {
    Varnok::UserStore* store = Manager().GetUserStore();
    if (store == nullptr || store->GetSlotCount() < 1) {
        return nullptr;
    }
    Varnok::User* user = Manager().GetCurrentUser();
    Kiplink::IUser* library = user != nullptr ? Varnok::UserComponent_Kiplink::LibraryUserOf(user) : nullptr;
    if (library != nullptr) {
        library->Reference();
    }
    return library;
}

void LoginProcess::SetLocalUserLogin(const char* token, const char* id) {
    Varnok::UserStore* store = Manager().GetUserStore();
    if (store == nullptr) {
        return;
    }
    store->ClearSlot(0, false);
    Varnok::User* user = store->FindUserById(Varnok::UserComponent_Kiplink::kIdKey, id);
    if (user == nullptr) {
        user = store->CreateUser();
        user->SetId(Varnok::UserComponent_Kiplink::kIdKey, id, true);
    }
    user->SetId(Varnok::UserComponent_Kiplink::kAuthKey, token, true);
    user->InitialiseStorage();
    store->SetSlotUser(user, 0, true);
}

void LoginProcess::Report(bool success, const char* message, const char* detail) {
    if (!m_onResult.IsEmpty()) {
        m_onResult(success, Varnok::AsciiString(message), detail);
    }
}

}  // namespace Klui
