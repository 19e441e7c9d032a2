// Leagues of the online service: each call goes out for the user of a
// user-store slot and answers once, at once when nothing can be sent. The
// user's league id is kept in its metadata under "leagues"/"leagueID", and
// joining and leaving fire "joined_league", "joined_league_failed" and
// "left_league".
#pragma once

#include "engine/services/ILeaguesService.h"

namespace Kiplink {
class IKiplinkProvider;
}

namespace Varnok {

class Provider_Kiplink;

class KiplinkLeaguesService final : public ILeaguesService {
public:
    KiplinkLeaguesService(Kiplink::IKiplinkProvider* root, Provider_Kiplink* owner) : m_root(root), m_owner(owner) {}

    bool Initialise() override { return true; }
    void Update() override {}
    const AsciiString& GetProviderName() const override;

    // Success answers null; a refusal the event's reason: "full",
    // "bad_name" or "internal_error"; nothing sent: "not sent".
    void JoinLeague(ResultDelegate onDone, const char* leagueId, int slot) override;
    void GetUserLeague(LeagueIdDelegate onDone, int slot) override;
    void LeaveLeague(ResultDelegate onDone, int slot) override;
    void UpdateLeagueScore(ResultDelegate onDone, int score, const ServiceValueHandle& data, int slot) override;
    void UpdateUser(ResultDelegate onDone, const ServiceValueHandle& data, int slot) override;
    // The first member of the reply, or null.
    void GetUserInfo(UserInfoDelegate onDone, int slot) override;
    void GetLeagueData(MembersDelegate onDone, int slot) override;
    void GetRecentActivity(FeedDelegate onDone, int slot) override;
    void GetRecommendedLeague(LeagueIdDelegate onDone) override;
    // League names, highest score first.
    void GetTopLeagues(LeagueListDelegate onDone) override;

    static constexpr const char* kNotSent = "not sent";

private:
    Kiplink::IKiplinkProvider* m_root;  // not referenced
    Provider_Kiplink* m_owner;
};

}  // namespace Varnok
