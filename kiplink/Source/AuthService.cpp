#include "kiplink/Source/AuthService.h"

#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/UserImpl.h"
#include "kiplink/Source/ValuePath.h"

#include <cstring>

namespace Kiplink {

namespace {

const char* const kMethodNames[] = {"guest", "login", "logout", "sendForgotPasswordEmail"};

// Sends its request once the user reported a sync outcome, whatever it was.
class LoginAfterSync final : public IUserCallbacks {
public:
    explicit LoginAfterSync(AuthRequest* request) : m_request(request) {}
    void OnSynchronize(IUser* user, KIPLINKERROR, const char*) override {
        RefPtr<LoginAfterSync> self(this);
        user->RemoveCallbacks(this);
        RefPtr<AuthRequest> request = m_request;
        m_request.Reset();
        if (request) {
            request->Post();
        }
    }

private:
    RefPtr<AuthRequest> m_request;
};

}  // namespace

AuthRequest::AuthRequest(KiplinkProviderImpl* root, AuthService* service, ServiceRequestKind kind)
    : m_root(root), m_service(service), m_kind(kind), m_result(CreateValue()) {
    const char* deviceId = root->Platform() != nullptr ? root->Platform()->GetDeviceInfo(kDeviceId) : nullptr;
    SetParam("deviceId", deviceId);
}

AuthRequest::~AuthRequest() { m_result->Release(); }

void AuthRequest::SetParam(const char* name, const char* value) {
    if (name != nullptr && value != nullptr) {
        m_params[name] = value;
    }
}

const char* AuthRequest::GetParam(const char* name) const {
    auto found = name != nullptr ? m_params.find(name) : m_params.end();
    return found != m_params.end() ? found->second.c_str() : nullptr;
}

const char* AuthRequest::GetResultString(const char* name) const { return FindString(*m_result, name); }

void AuthRequest::SetUser(IUser* user) {
    if (user != nullptr) {
        m_user = user;
    }
}

void AuthRequest::Send() {
    if (m_state != kServiceRequestNew) {
        return;
    }
    m_state = kServiceRequestSent;
    if (m_service != nullptr) {
        m_service->OnSent(this);
    }
    if (!m_user || m_params.count("method") == 0) {
        Post();
        return;
    }
    // The listener goes on before the sync starts: a sync that answers at
    // once (offline, not authenticated, already pending) still lets the
    // login go out.
    RefPtr<LoginAfterSync> waiter(new LoginAfterSync(this));
    m_user->AddCallbacks(waiter.Get());
    m_user->Synchronize();
}

void AuthRequest::Post() {
    RequestContext context("auth", kMethodNames[m_kind]);
    IValue* body = CreateObject();
    for (const auto& param : m_params) {
        (*body)[param.first.c_str()].SetAsString(param.second.c_str());
    }
    (*body)["productBuildId"].SetAsString(m_root->GetBuildId());
    context.Params().AppendValue(*body);
    body->Release();
    SendRequest(context, m_root, this, &AuthRequest::OnReply, 0);
}

void AuthRequest::OnReply(RequestContext& context, const IValue& error, const IValue& result) {
    RefPtr<AuthRequest> self(this);
    if (error.IsNull()) {
        m_doMerge = GetReplyMember(context, "doMerge").AsBool(false);
        const IValue* sync = FindMember(result, "sync");
        const char* id = FindString(result, "id");
        const char* token = FindString(result, "token");
        if (sync != nullptr && sync->IsObject() && id != nullptr && token != nullptr) {
            RefPtr<IUser> user;
            const char* ownId = m_user ? m_user->GetKiplinkID() : nullptr;
            if (ownId != nullptr && std::strcmp(ownId, id) == 0) {
                user = m_user;
            } else {
                user = RefPtr<IUser>::Adopt(m_root->FindUserByKiplinkId(id));
                if (!user) {
                    user = RefPtr<IUser>::Adopt(m_root->CreateUser());
                }
            }
            if (user) {
                user->SetLoginResult(token, id, false);
                // Users come only from the root, which makes UserImpl.
                static_cast<UserImpl*>(user.Get())->ApplySyncReply(error, *sync);
            }
        }
        m_result->SetAsValue(result);
        m_state = kServiceRequestSucceeded;
    } else {
        if (error.IsArray() && error.GetMemberCount() > 1 && error.GetMemberByInt(1)->IsString()) {
            const std::string text = error.GetMemberByInt(1)->AsString("");
            (*m_result)["error"].SetAsString(text.c_str());
        }
        m_state = kServiceRequestFailed;
    }
    if (m_service != nullptr) {
        m_service->OnFinished(this);
    }
}

AuthService::~AuthService() {
    for (AuthRequest* request : m_outstanding) {
        request->Detach();
        request->Release();
    }
}

void AuthService::OnSent(AuthRequest* request) {
    request->Reference();
    m_outstanding.push_back(request);
}

void AuthService::OnFinished(AuthRequest* request) {
    m_listeners.Notify(&IAuthServiceCallbacks::OnRequestCompleted, static_cast<ServiceRequest*>(request));
}

void AuthService::Update() {
    for (size_t i = 0; i < m_outstanding.size();) {
        AuthRequest* request = m_outstanding[i];
        if (request->GetState() == kServiceRequestSent) {
            ++i;
            continue;
        }
        m_outstanding[i] = m_outstanding.back();
        m_outstanding.pop_back();
        request->Release();
    }
}

AuthRequest* AuthService::Make(ServiceRequestKind kind, IUser* user) {
    auto* request = new AuthRequest(m_root, this, kind);
    request->Reference();
    request->SetUser(user);
    return request;
}

ServiceRequest* AuthService::LoginAsGuest(IUser* user) { return Make(kServiceRequestGuest, user); }

ServiceRequest* AuthService::LoginWithEmail(IUser* user, const char* email, const char* password,
                                            const char* lastToken) {
    AuthRequest* request = Make(kServiceRequestLogin, user);
    request->SetParam("method", "email");
    request->SetParam("email", email);
    request->SetParam("password", password);
    request->SetParam("lastToken", lastToken);
    return request;
}

ServiceRequest* AuthService::LoginWithFacebook(IUser* user, const char* accessToken, const char* expiresIn,
                                               const char* lastToken) {
    AuthRequest* request = Make(kServiceRequestLogin, user);
    request->SetParam("method", "facebook");
    request->SetParam("fbauth", accessToken);
    request->SetParam("expires_in", expiresIn);
    request->SetParam("lastToken", lastToken);
    return request;
}

ServiceRequest* AuthService::LoginWithOAuth(IUser* user, const char* service, const char* accessToken,
                                            const char* refreshToken, const char* expiresIn,
                                            const char* lastToken) {
    AuthRequest* request = Make(kServiceRequestLogin, user);
    request->SetParam("method", "oauth");
    request->SetParam("service", service);
    request->SetParam("access_token", accessToken);
    request->SetParam("refresh_token", refreshToken);
    request->SetParam("expires_in", expiresIn);
    request->SetParam("lastToken", lastToken);
    return request;
}

ServiceRequest* AuthService::Logout(const char* token) {
    AuthRequest* request = Make(kServiceRequestLogout, nullptr);
    request->SetParam("token", token);
    return request;
}

ServiceRequest* AuthService::SendForgotPasswordEmail(const char* email) {
    AuthRequest* request = Make(kServiceRequestForgotPassword, nullptr);
    request->SetParam("email", email);
    return request;
}

}  // namespace Kiplink
