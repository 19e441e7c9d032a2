// Leagues of the online service. Users are given by user-store slot index;
// every answer comes through a delegate whose error text is null on success.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class ILeaguesService;

class ILeaguesServiceAggregate : public ServiceInterfaceBase<ILeaguesService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("ILeaguesService");
        return s_serviceName;
    }
};

class ILeaguesService : public ILeaguesServiceAggregate {
public:
    using BaseAggregateType = ILeaguesServiceAggregate;
    using ServiceType = ILeaguesService;
    using ResultDelegate = Delegate1<void, const char*>;
    using LeagueIdDelegate = Delegate2<void, const char*, const char*>;
    using UserInfoDelegate = Delegate2<void, const char*, const LeagueUser*>;
    using MembersDelegate = Delegate3<void, const char*, const LeagueUser*, int>;
    using FeedDelegate = Delegate3<void, const char*, const LeagueFeedUser*, int>;
    using LeagueListDelegate = Delegate3<void, const char*, const char* const*, int>;

    virtual void JoinLeague(ResultDelegate onDone, const char* leagueId, int slot) = 0;
    virtual void GetUserLeague(LeagueIdDelegate onDone, int slot) = 0;
    virtual void LeaveLeague(ResultDelegate onDone, int slot) = 0;
    virtual void UpdateLeagueScore(ResultDelegate onDone, int score, const ServiceValueHandle& data,
                                   int slot) = 0;
    virtual void UpdateUser(ResultDelegate onDone, const ServiceValueHandle& data, int slot) = 0;
    virtual void GetUserInfo(UserInfoDelegate onDone, int slot) = 0;
    virtual void GetLeagueData(MembersDelegate onDone, int slot) = 0;
    virtual void GetRecentActivity(FeedDelegate onDone, int slot) = 0;
    virtual void GetRecommendedLeague(LeagueIdDelegate onDone) = 0;
    virtual void GetTopLeagues(LeagueListDelegate onDone) = 0;
};

class LeaguesServiceAggregate final : public ServiceAggregateBase<ILeaguesServiceAggregate, ILeaguesService> {
};

template <>
struct ServiceAggregateFor<ILeaguesService> {
    using Type = LeaguesServiceAggregate;
};

}  // namespace Varnok
