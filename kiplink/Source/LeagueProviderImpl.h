// The "leagues" calls: sent with the user's token, the device id and the
// build id, answered to every listener with the call's id.
#pragma once

#include "kiplink/Public/ILeagueProvider.h"
#include "kiplink/Source/Request.h"

namespace Kiplink {

class KiplinkProviderImpl;

class LeagueProviderImpl final : public ILeagueProvider {
public:
    explicit LeagueProviderImpl(KiplinkProviderImpl* root) : m_root(root) {}

    void AddCallbacks(ILeagueProviderCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(ILeagueProviderCallbacks* listener) override { m_listeners.Remove(listener); }
    void Update() override {}
    void GetLeagueData(IUser* user, uint32_t* outCallId) override;
    void GetRecentActivity(IUser* user, uint32_t* outCallId, const char* text) override;
    void GetRecommendedLeague(IUser* user, uint32_t* outCallId) override;
    void GetTopLeagues(IUser* user, uint32_t* outCallId) override;
    void GetUserInfo(IUser* user, uint32_t* outCallId) override;
    void GetUserLeague(IUser* user, uint32_t* outCallId) override;
    void JoinLeague(IUser* user, uint32_t* outCallId, const char* leagueId) override;
    void LeaveLeague(IUser* user, uint32_t* outCallId) override;
    void UpdateLeagueScore(IUser* user, uint32_t* outCallId, int32_t score, const IValue* data) override;
    void UpdateUser(IUser* user, uint32_t* outCallId, const IValue* data) override;
    void Load() override {}

    void OnReply(RequestContext& context, const IValue& error, const IValue& result);

private:
    // Sends method with the common texts, then extra's elements; the tag
    // carries the call id and the method names the handler.
    void Send(const char* method, IUser* user, uint32_t* outCallId, const IValue* extra);

    KiplinkProviderImpl* m_root;  // not referenced
    ListenerSet<ILeagueProviderCallbacks> m_listeners;
};

}  // namespace Kiplink
