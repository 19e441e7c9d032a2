// Signing in and out: each call yields a request that the caller may give
// further parameters, sends, and reads once its listeners heard it finish.
#pragma once

#include "kiplink/Public/IValue.h"
#include "kiplink/Public/RefCounted.h"

#include <cstdint>

namespace Kiplink {

class IUser;

enum ServiceRequestKind : int32_t {
    kServiceRequestGuest = 0,
    kServiceRequestLogin = 1,
    kServiceRequestLogout = 2,
    kServiceRequestForgotPassword = 3,
};

enum ServiceRequestState : int32_t {
    kServiceRequestNew = 0,
    kServiceRequestSent = 1,
    kServiceRequestSucceeded = 2,
    kServiceRequestFailed = 3,
};

class ServiceRequest : public RefCounted {
public:
    virtual uint32_t GetTag() const = 0;
    virtual void SetTag(uint32_t tag) = 0;
    virtual int32_t GetState() const = 0;
    virtual int32_t GetKind() const = 0;
    // A null value is ignored.
    virtual void SetParam(const char* name, const char* value) = 0;
    virtual const char* GetParam(const char* name) const = 0;
    // The result's member as text when it is a string, else null.
    virtual const char* GetResultString(const char* name) const = 0;
    virtual const IValue& GetResult() const = 0;
    virtual bool GetDoMerge() const = 0;
    // Sends once; a login with a user first waits for the user's sync.
    virtual void Send() = 0;
    virtual void SetUser(IUser* user) = 0;
};

class IAuthServiceCallbacks : public RefCounted {
public:
    virtual void OnRequestCompleted(ServiceRequest* request) = 0;
};

// Factories return a new request with a reference for the caller, not sent.
class IAuthService : public RefCounted {
public:
    virtual void Load() = 0;
    virtual void AddCallbacks(IAuthServiceCallbacks* listener) = 0;
    virtual void RemoveCallbacks(IAuthServiceCallbacks* listener) = 0;
    virtual void Update() = 0;
    virtual ServiceRequest* LoginAsGuest(IUser* user) = 0;
    virtual ServiceRequest* LoginWithEmail(IUser* user, const char* email, const char* password,
                                           const char* lastToken) = 0;
    virtual ServiceRequest* LoginWithFacebook(IUser* user, const char* accessToken, const char* expiresIn,
                                              const char* lastToken) = 0;
    virtual ServiceRequest* LoginWithOAuth(IUser* user, const char* service, const char* accessToken,
                                           const char* refreshToken, const char* expiresIn,
                                           const char* lastToken) = 0;
    virtual ServiceRequest* Logout(const char* token) = 0;
    virtual ServiceRequest* SendForgotPasswordEmail(const char* email) = 0;
};

}  // namespace Kiplink
