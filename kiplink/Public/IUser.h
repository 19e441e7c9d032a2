// One local player of the online service: its identity (a GUID), its login
// (service id and token), its profile as the server last sent it, its game
// data with the changes not yet confirmed, and the account operations on the
// service. Outcomes reach IUserCallbacks listeners.
#pragma once

#include "kiplink/Public/IKiplinkProvider.h"
#include "kiplink/Public/RefCounted.h"

#include <cstdint>

namespace Kiplink {

class IUser;

// Every handler does nothing unless overridden. text is null on success.
class IUserCallbacks : public RefCounted {
public:
    virtual void OnSynchronize(IUser*, KIPLINKERROR, const char*) {}
    virtual void OnChangeEmail(IUser*, KIPLINKERROR, const char*) {}
    virtual void OnChangePassword(IUser*, KIPLINKERROR, const char*) {}
    virtual void OnChangeDisplayName(IUser*, KIPLINKERROR, const char*) {}
    virtual void OnChangeEmailSubscriptions(IUser*, KIPLINKERROR, const char*) {}
    virtual void OnRegister(IUser*, KIPLINKERROR, const char*) {}
    virtual void OnLinkFacebook(IUser*, KIPLINKERROR, const char*) {}
    virtual void OnLinkOAuth(IUser*, KIPLINKERROR, const char*) {}
    virtual void OnRenewToken(IUser*, KIPLINKERROR, const char*) {}
    virtual void OnInvalidAuthentication(IUser*) {}
    // services: count texts, null for entries that were no string.
    virtual void OnExpiredTokens(IUser*, const char* const* /*services*/, int /*count*/) {}
    virtual void OnShouldMergeUser(IUser*, bool /*shouldMerge*/, KIPLINKERROR, const char*) {}
    virtual void OnMergeUser(IUser*, KIPLINKERROR, const char*) {}
};

class IUser : public RefCounted {
public:
    virtual void AddCallbacks(IUserCallbacks* listener) = 0;
    virtual void RemoveCallbacks(IUserCallbacks* listener) = 0;

    // 32 lower-case hex digits.
    virtual const char* GetGUID() const = 0;
    // Null until the user has logged in once.
    virtual const char* GetKiplinkID() const = 0;
    virtual const char* GetDisplayName() const = 0;  // "Guest" when unknown
    virtual bool IsRegisteredUser() const = 0;

    // Records a metadata change (in the open batch, or a batch of its own).
    virtual void SetMeta(const char* key, const char* value) = 0;
    // The text at the dotted key below the state's "metaData"; "" when none.
    virtual const char* GetMeta(const char* key) = 0;
    virtual bool HasMeta(const char* key) = 0;

    virtual bool HasQueuedObjects() const = 0;
    // Holds one reference per queued object.
    virtual void QueueObject(RefCounted* object) = 0;
    // The first object, whose queue reference passes to the caller; or null.
    virtual RefCounted* PopQueuedObject() = 0;

    virtual const char* GetCountryCode() const = 0;  // null when unknown
    virtual const char* GetEmail() const = 0;
    virtual const char* GetUsername() const = 0;
    virtual const char* GetCountry() const = 0;  // "US" when unknown
    virtual const char* GetAuthToken() const = 0;
    virtual bool IsValid() const = 0;
    virtual bool IsAuthenticated() const = 0;
    // Drops the token (not saved here) and tells the listeners.
    virtual void ClearAuthToken() = 0;
    // False, changing nothing, when the user already has another id.
    virtual bool SetLoginResult(const char* token, const char* kiplinkId, bool isMember) = 0;

    virtual void Synchronize() = 0;
    virtual void SetNextSyncTime(uint32_t seconds) = 0;

    virtual void ChangeEmail(const char* email) = 0;
    virtual void ChangePassword(const char* first, const char* second) = 0;
    virtual void ChangeDisplayName(const char* name) = 0;
    virtual void ChangeEmailSubscriptions(bool first, bool second) = 0;
    virtual void Register(const char* first, const char* second, const char* third, bool flagA, bool flagB) = 0;
    virtual void LinkFacebook(const char* first, const char* second) = 0;
    virtual void LinkOAuth(const char* first, const char* second, const char* third, const char* fourth) = 0;
    virtual void RenewToken(const char* first, const char* second, const char* third, const char* fourth) = 0;
    virtual bool IsTokenExpired(const char* service) const = 0;

    virtual void BeginTransaction() = 0;
    virtual void EndTransaction() = 0;

    virtual bool IsLinkedAccount(const char* accountType) const = 0;
    virtual int GetLinkedAccountCount() const = 0;
    virtual const char* GetLinkedAccount(int index) const = 0;
    virtual const char* GetLinkedAccountId(const char* accountType) const = 0;
    virtual bool GetEmailSubscription(const char* name) const = 0;

    // Asks the server whether this user should merge with the user of that
    // service id, once both have synchronised.
    virtual void ShouldMergeWith(const char* otherKiplinkId, const char* text) = 0;
    virtual void Merge(const char* text) = 0;
};

}  // namespace Kiplink
