// Leaderboards: posting scores and reading pages of ranked entries.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

namespace Varnok {

class ILeaderboardService;

class ILeaderboardServiceAggregate : public ServiceInterfaceBase<ILeaderboardService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("ILeaderboardService");
        return s_serviceName;
    }
    // A service that does not know the board answers UnknownLeaderboard at once.
    virtual void SetLeaderboardScore(const User* user, const char* leaderboardId, int64_t score,
                                     LeaderboardResultDelegate onDone) = 0;
    virtual void SetLeaderboardScoreWithMetaData(const User* user, const char* leaderboardId,
                                                 int64_t score, const char* metaData,
                                                 LeaderboardResultDelegate onDone) = 0;
};

class ILeaderboardService : public ILeaderboardServiceAggregate {
public:
    using BaseAggregateType = ILeaderboardServiceAggregate;
    using ServiceType = ILeaderboardService;
    static constexpr const char* kAscendingOrder = "AscendingOrder";
    static constexpr const char* kTimeSpan = "TimeSpan";
    static constexpr const char* kFriendsOnly = "FriendsOnly";
    static constexpr const char* kIncludeFriendsWithNoScore = "IncludeFriendsWithNoScore";

    // Null when the service has no board of that id.
    virtual ILeaderboard* GetLeaderboard(const char* leaderboardId) = 0;
};

class LeaderboardServiceAggregate final : public ServiceAggregateBase<ILeaderboardServiceAggregate, ILeaderboardService> {
public:
    void SetLeaderboardScore(const User* user, const char* leaderboardId, int64_t score,
                             LeaderboardResultDelegate onDone) override {
        ForEachEnabled([&](ILeaderboardService& s) {
            s.SetLeaderboardScore(user, leaderboardId, score, onDone);
        });
    }
    void SetLeaderboardScoreWithMetaData(const User* user, const char* leaderboardId, int64_t score,
                                         const char* metaData,
                                         LeaderboardResultDelegate onDone) override {
        ForEachEnabled([&](ILeaderboardService& s) {
            s.SetLeaderboardScoreWithMetaData(user, leaderboardId, score, metaData, onDone);
        });
    }
};

template <>
struct ServiceAggregateFor<ILeaderboardService> {
    using Type = LeaderboardServiceAggregate;
};

}  // namespace Varnok
