// The ten league calls; replies reach the listeners unread, as they came.
#pragma once

#include "kiplink/Public/IValue.h"
#include "kiplink/Public/RefCounted.h"

#include <cstdint>

namespace Kiplink {

class ILeagueProvider;
class IUser;

// error is null on success; both values are those of the reply.
class ILeagueProviderCallbacks : public RefCounted {
public:
    virtual void OnLeagueData(ILeagueProvider*, uint32_t, const IValue&, const IValue&) {}
    virtual void OnRecentActivity(ILeagueProvider*, uint32_t, const IValue&, const IValue&) {}
    virtual void OnRecommendedLeague(ILeagueProvider*, uint32_t, const IValue&, const IValue&) {}
    virtual void OnTopLeagues(ILeagueProvider*, uint32_t, const IValue&, const IValue&) {}
    virtual void OnUserInfo(ILeagueProvider*, uint32_t, const IValue&, const IValue&) {}
    virtual void OnUserLeague(ILeagueProvider*, uint32_t, const IValue&, const IValue&) {}
    virtual void OnJoinLeague(ILeagueProvider*, uint32_t, const IValue&, const IValue&) {}
    virtual void OnLeaveLeague(ILeagueProvider*, uint32_t, const IValue&, const IValue&) {}
    virtual void OnUpdateLeagueScore(ILeagueProvider*, uint32_t, const IValue&, const IValue&) {}
    virtual void OnUpdateUser(ILeagueProvider*, uint32_t, const IValue&, const IValue&) {}
};

// Each call takes a call id (also when outCallId is null) and answers it.
class ILeagueProvider : public RefCounted {
public:
    virtual void AddCallbacks(ILeagueProviderCallbacks* listener) = 0;
    virtual void RemoveCallbacks(ILeagueProviderCallbacks* listener) = 0;
    virtual void Update() = 0;
    virtual void GetLeagueData(IUser* user, uint32_t* outCallId) = 0;
    virtual void GetRecentActivity(IUser* user, uint32_t* outCallId, const char* text) = 0;
    virtual void GetRecommendedLeague(IUser* user, uint32_t* outCallId) = 0;
    virtual void GetTopLeagues(IUser* user, uint32_t* outCallId) = 0;
    virtual void GetUserInfo(IUser* user, uint32_t* outCallId) = 0;
    virtual void GetUserLeague(IUser* user, uint32_t* outCallId) = 0;
    virtual void JoinLeague(IUser* user, uint32_t* outCallId, const char* leagueId) = 0;
    virtual void LeaveLeague(IUser* user, uint32_t* outCallId) = 0;
    // data null: null is sent.
    virtual void UpdateLeagueScore(IUser* user, uint32_t* outCallId, int32_t score, const IValue* data) = 0;
    virtual void UpdateUser(IUser* user, uint32_t* outCallId, const IValue* data) = 0;
    virtual void Load() = 0;
};

}  // namespace Kiplink
