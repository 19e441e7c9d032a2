// Other players: profiles (ids on each network, a name, a picture that is
// downloaded on request), the two friends lists of a user, and the pools
// that keep one profile per player however many lists show it.
#pragma once

#include "kiplink/Public/RefCounted.h"

#include <cstdint>

namespace Kiplink {

class IFriends;
class IUser;
class IUserProfile;

class IUserProfileCallbacks : public RefCounted {
public:
    virtual void OnPictureLoaded(IUserProfile* profile) = 0;
};

class IUserProfile : public RefCounted {
public:
    virtual void AddCallbacks(IUserProfileCallbacks* listener) = 0;
    virtual void RemoveCallbacks(IUserProfileCallbacks* listener) = 0;
    // network "kiplinkId" for the service's own id; null when unknown.
    virtual const char* GetProviderId(const char* network) const = 0;
    virtual const char* GetPicturePath() const = 0;  // "" until known
    virtual const char* GetDisplayName() const = 0;
    virtual void LoadPicture(bool refresh) = 0;
    virtual bool IsLoadingPicture() const = 0;
    virtual bool FindCachedPicture() = 0;
};

// error is null on success.
class IFriendsCallbacks : public RefCounted {
public:
    virtual void OnUpdateGlobal(uint32_t /*callId*/, IFriends*, const char* /*error*/) {}
    virtual void OnUpdateProduct(uint32_t /*callId*/, IFriends*, const char* /*error*/) {}
};

class IFriends : public RefCounted {
public:
    virtual void AddCallbacks(IFriendsCallbacks* listener) = 0;
    virtual void RemoveCallbacks(IFriendsCallbacks* listener) = 0;
    virtual IUser* GetUser() = 0;  // with a reference
    virtual void GetGlobalFriends(uint32_t* outCallId) = 0;
    virtual void GetProductFamilyFriends(uint32_t* outCallId) = 0;
    virtual void ClearGlobalFriends() = 0;
    virtual void ClearProductFamilyFriends() = 0;
    // With a reference, or null.
    virtual IUserProfile* FindGlobalFriend(const char* field, const char* text) = 0;
    virtual IUserProfile* GetProductFamilyFriend(int index) = 0;
    virtual IUserProfile* GetGlobalFriend(int index) = 0;
    virtual int GetProductFamilyFriendCount() const = 0;
    virtual int GetGlobalFriendCount() const = 0;
};

class IFriendsProvider : public RefCounted {
public:
    // The user's friends object, made on first use; with a reference.
    virtual IFriends* GetFriends(IUser* user) = 0;
    virtual void Update() = 0;
    virtual void Load() = 0;
};

// Profiles indexed by their fields' texts.
class IPlayerPool : public RefCounted {
public:
    // With a reference, or null.
    virtual IUserProfile* Find(const char* field, const char* text) = 0;
    // Drops the profiles that nothing outside the pool holds.
    virtual void Purge() = 0;
};

class IUserDirectory : public RefCounted {
public:
    // The pool of an owner key (created on first use), with a reference;
    // null for a null key.
    virtual IPlayerPool* GetPool(const void* owner) = 0;
};

}  // namespace Kiplink
