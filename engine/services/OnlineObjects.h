// The data objects of the online service that cross the service boundary:
// players and their pools, friend lists, cloud objects and asynchronous
// matches. The provider that made an object owns it; callers never delete it.
#pragma once

#include "engine/core/Delegate.h"
#include "engine/core/ServiceValueHandle.h"
#include "engine/core/ServiceValueRef.h"
#include "engine/services/CloudEditTable.h"
#include "engine/services/ServiceTypes.h"

#include <cstdint>

namespace Varnok {

class User;

// A player with a picture that is downloaded on request.
class IPlayerProfile : public IPlayer {
public:
    // (the player, the picture's path)
    using PictureDelegate = Delegate2<void, IPlayer*, const char*>;

    virtual const char* GetPicturePath() const = 0;
    // True when a download started.
    virtual bool LoadPicture(PictureDelegate onLoaded, bool refresh) = 0;
    virtual bool IsLoadingPicture() const = 0;
    virtual bool FindCachedPicture() = 0;
};

// One player object per online-service id, found by any field the service
// indexes ("kiplinkId", another network's id).
class IPlayerPool {
public:
    virtual ~IPlayerPool() = default;
    // Null when the service knows no such player.
    virtual IPlayerProfile* GetPlayer(const char* field, const char* text) = 0;
};

// A user's two friend lists: every friend of the service, and the friends
// who play games of this game's family.
class IFriends {
public:
    // (the list, an error text or null on success)
    using FriendsDelegate = Delegate2<void, IFriends*, const char*>;

    virtual ~IFriends() = default;
    virtual void Clear() = 0;
    virtual void ClearGlobalFriends() = 0;
    virtual void ClearProductFamilyFriends() = 0;
    // Each request answers its own delegate once.
    virtual void RequestGlobalFriends(FriendsDelegate onDone) = 0;
    virtual void RequestProductFamilyFriends(FriendsDelegate onDone) = 0;
    virtual int GetGlobalFriendCount() const = 0;
    virtual int GetProductFamilyFriendCount() const = 0;
    // Null out of range or when the player is unknown.
    virtual IPlayerProfile* GetGlobalFriend(int index) = 0;
    virtual IPlayerProfile* GetProductFamilyFriend(int index) = 0;
    virtual IPlayerProfile* FindGlobalFriend(const char* field, const char* text) = 0;
    virtual User* GetUser() = 0;
};

// A named document kept by the online service. Reads answer value handles;
// edits name a target value inside the data and answer false when the target
// is not in it or the edit is not accepted.
class ICloudObject {
public:
    virtual ~ICloudObject() = default;
    virtual ServiceValueHandle GetData() = 0;
    // Missing members answer a null value.
    virtual ServiceValueHandle GetMember(const char* key) = 0;
    virtual ServiceValueHandle GetElement(int32_t index) = 0;

#define VARNOK_CLOUD_DECLARE_FORM(Name, Op, Mode, Form) \
    virtual bool Name(const ServiceValueHandle& target VARNOK_CLOUD_PARAMS_##Form) = 0;
#define VARNOK_CLOUD_DECLARE(Name, Op, Mode, Kind) VARNOK_CLOUD_FORMS(VARNOK_CLOUD_DECLARE_FORM, Name, Op, Mode, Kind)
    VARNOK_CLOUD_EDITS(VARNOK_CLOUD_DECLARE)
#undef VARNOK_CLOUD_DECLARE
#undef VARNOK_CLOUD_DECLARE_FORM

    virtual void Save() = 0;
};

class IAsyncMatch;
using AsyncMatchDelegate = Delegate2<void, AsyncResponseStatus, IAsyncMatch*>;
using AsyncStatusDelegate = Delegate1<void, AsyncResponseStatus>;

// A turn-based match. Requests answer their delegate once, with the match
// (null when the match object went away meanwhile).
class IAsyncMatch {
public:
    virtual ~IAsyncMatch() = default;
    virtual const char* GetGameType() const = 0;
    virtual const char* GetMatchId() const = 0;
    virtual int32_t GetState() const = 0;  // 1 lobby, 2 in progress
    virtual int GetUserCount() const = 0;
    virtual int GetInvitedUserCount() const = 0;
    // Null out of range.
    virtual IPlayerProfile* GetUser(int index) = 0;
    virtual IPlayerProfile* GetInvitedUser(int index) = 0;
    virtual bool IsCompleted() const = 0;
    virtual bool IsOwner() const = 0;
    // The match's data as the service last sent it (a null value when none).
    virtual ServiceValueHandle GetMatchData() = 0;
    virtual void Join(AsyncMatchDelegate onDone) = 0;
    virtual void Leave(AsyncMatchDelegate onDone) = 0;
    virtual void Start(AsyncMatchDelegate onDone) = 0;
    // Sends a list of edits of the match data; an empty handle sends none.
    virtual void UpdateGameData(const ServiceValueHandle& changes, AsyncMatchDelegate onDone) = 0;
    virtual void End(AsyncMatchDelegate onDone) = 0;
    virtual void Get(AsyncMatchDelegate onDone) = 0;
    // A null player sends nothing and answers nothing.
    virtual void AddUserToList(IPlayer* player, AsyncMatchDelegate onDone) = 0;
    virtual void RemoveUserFromList(IPlayer* player, AsyncMatchDelegate onDone) = 0;
};

// One user's matches and the lobby pages of a game type.
class IAsyncMatchProvider {
public:
    virtual ~IAsyncMatchProvider() = default;
    virtual void CreateMatch(const char* gameType, uint32_t maxUsers, AsyncMatchDelegate onDone) = 0;
    // Replaces every lobby object handed out before.
    virtual void LoadLobbies(const char* gameType, AsyncStatusDelegate onDone) = 0;
    // Replaces every user-match object handed out before.
    virtual void LoadUserMatches(AsyncStatusDelegate onDone) = 0;
    virtual void NextLobbyPage(AsyncStatusDelegate onDone) = 0;
    virtual void PreviousLobbyPage(AsyncStatusDelegate onDone) = 0;
    virtual void DeleteMatch(IAsyncMatch* match, AsyncStatusDelegate onDone) = 0;
    virtual int GetLobbyCount() const = 0;
    virtual IAsyncMatch* GetLobby(int index) = 0;
    virtual int GetUserMatchCount() const = 0;
    virtual IAsyncMatch* GetUserMatch(int index) = 0;
    virtual IAsyncMatch* FindUserMatch(const char* matchId) = 0;
    virtual void SetLobbyPageSize(uint32_t size) = 0;
};

}  // namespace Varnok
