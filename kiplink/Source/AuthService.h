// The "auth" service: requests that sign users in and out, and the list of
// those sent, kept until the first update after their replies.
#pragma once

#include "kiplink/Public/IAuthService.h"
#include "kiplink/Public/IUser.h"
#include "kiplink/Source/Request.h"

#include <map>
#include <string>
#include <vector>

namespace Kiplink {

class AuthService;
class KiplinkProviderImpl;

class AuthRequest final : public ServiceRequest {
public:
    AuthRequest(KiplinkProviderImpl* root, AuthService* service, ServiceRequestKind kind);
    ~AuthRequest() override;

    uint32_t GetTag() const override { return m_tag; }
    void SetTag(uint32_t tag) override { m_tag = tag; }
    int32_t GetState() const override { return m_state; }
    int32_t GetKind() const override { return m_kind; }
    void SetParam(const char* name, const char* value) override;
    const char* GetParam(const char* name) const override;
    const char* GetResultString(const char* name) const override;
    const IValue& GetResult() const override { return *m_result; }
    bool GetDoMerge() const override { return m_doMerge; }
    void Send() override;
    void SetUser(IUser* user) override;

    // The call itself; after the user's sync when the request waits for it.
    void Post();
    void OnReply(RequestContext& context, const IValue& error, const IValue& result);
    // The service forgets requests when it goes first.
    void Detach() { m_service = nullptr; }

private:
    KiplinkProviderImpl* m_root;  // not referenced
    AuthService* m_service;       // not referenced; null once it is gone
    uint32_t m_tag = 0;
    ServiceRequestKind m_kind;
    int32_t m_state = kServiceRequestNew;
    std::map<std::string, std::string> m_params;
    IValue* m_result;
    RefPtr<IUser> m_user;
    bool m_doMerge = false;
};

class AuthService final : public IAuthService {
public:
    explicit AuthService(KiplinkProviderImpl* root) : m_root(root) {}
    ~AuthService() override;

    void Load() override {}
    void AddCallbacks(IAuthServiceCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(IAuthServiceCallbacks* listener) override { m_listeners.Remove(listener); }
    void Update() override;
    ServiceRequest* LoginAsGuest(IUser* user) override;
    ServiceRequest* LoginWithEmail(IUser* user, const char* email, const char* password,
                                   const char* lastToken) override;
    ServiceRequest* LoginWithFacebook(IUser* user, const char* accessToken, const char* expiresIn,
                                      const char* lastToken) override;
    ServiceRequest* LoginWithOAuth(IUser* user, const char* service, const char* accessToken,
                                   const char* refreshToken, const char* expiresIn, const char* lastToken) override;
    ServiceRequest* Logout(const char* token) override;
    ServiceRequest* SendForgotPasswordEmail(const char* email) override;

    // A request has gone out: kept (with a reference) until an update after
    // its reply.
    void OnSent(AuthRequest* request);
    void OnFinished(AuthRequest* request);
    size_t OutstandingCount() const { return m_outstanding.size(); }

private:
    AuthRequest* Make(ServiceRequestKind kind, IUser* user);

    KiplinkProviderImpl* m_root;
    ListenerSet<IAuthServiceCallbacks> m_listeners;
    std::vector<AuthRequest*> m_outstanding;
};

}  // namespace Kiplink
