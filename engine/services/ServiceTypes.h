// Result enumerations, option records and the data interfaces that cross the
// service boundary. Data objects are owned by the provider that made them;
// callers never delete them.
#pragma once

#include "engine/core/Delegate.h"
#include "engine/core/ServiceValueHandle.h"

#include <cstdint>
#include <map>
#include <string>

namespace Varnok {

class User;
class MergeResultHandler;

enum class LeaderboardErrorType : int32_t {
    Success = 0,
    NetworkUnreachable = 2,
    UnknownLeaderboard = 3,  // also: nothing to step from, not signed in
    ServiceError = 4,
    AlreadyLoading = 6,
    NothingToShow = 7,
    TimeSpanNotSupported = 8,
};

enum class LeaderboardDownloadStatus : int32_t { NotStarted = 0, Started = 1, Finished = 2 };

enum class AsyncResponseStatus : int32_t {
    Success = 0,
    NothingDone = 1,
    ServiceError = 2,
    MalformedReply = 3,
    MatchFull = 4,
};

// Values beyond these are the providers' own.
enum class AuthenticationResult : int32_t {};
enum class ReAuthenticationResult : int32_t {};
enum class AuthenticationState : int32_t { Neutral = 3 };
enum class RevokeAuthenticationResult : int32_t { Success = 0, Failure = 1 };
enum class MergeResult : int32_t { NotAttempted = 0, Succeeded = 1, Failed = 2 };

enum class SocialPostStatus : int32_t { Unknown = 0, NotPosted = 1, Posted = 2, Failed = 4 };

// The version check's answer; Unknown is the neutral value of the aggregate.
enum class UpdateState : int32_t {
    Online = 0,
    OptionalUpdate = 1,
    ServicesOffline = 2,
    MandatoryUpdate = 3,
    Unknown = 4,
};

enum class LeaderboardGlobality : int32_t { Everybody = 0, Friends = 1 };
enum class LeaderboardTimeSpan : int32_t {
    AllTime = 0,
    ThisWeek = 1,
    Today = 2,
    LastWeek = 3,
    Yesterday = 4,
};

struct AdSize {
    int32_t m_width = 0;
    int32_t m_height = 0;
};

struct AdViewportBounds {
    int32_t m_left = 0;
    int32_t m_top = 0;
    int32_t m_right = 0;
    int32_t m_bottom = 0;
};

// One 32-bit word; the lowest bit asks for a frictionless app request.
struct SocialPostExtraOptions {
    uint32_t flags = 0;
};

// How a deep link opened the application ("openScreen", "giveItem", ...).
struct DeepLinkOptions {
    std::map<std::string, std::string> options;
};

struct LeagueUser {
    std::string id;
    std::string displayName;
    std::string countryId;
    std::string userMetaData;
    std::string todayScoreMetaData;
    std::string yesterdayScoreMetaData;
    float todayScore = 0.0f;
    float yesterdayScore = 0.0f;
    uint64_t todayScoreTs = 0;
    uint64_t yesterdayScoreTs = 0;
};

struct LeagueFeedUser {
    std::string displayName;
    std::string countryId;
    std::string leagueId;
    bool global = false;
    float score = 0.0f;
    uint64_t timeStamp = 0;
};

// Data objects whose operations the online service's provider defines.
class IFriends;
class ICloudObject;
class IAsyncMatch;
class IAsyncMatchProvider;
class IPlayerPool;
class IPlayerProfile;
class IStoreItem;
class IStoreItemGroup;
class IStorePurchase;
class IPaymentMethod;

// An achievement definition of a service.
class IAchievement {
public:
    virtual ~IAchievement() = default;
    virtual const char* GetName() const = 0;
    virtual const char* GetId() const = 0;
    virtual const char* GetProviderId() const = 0;
    virtual ServiceValueHandle GetData() const = 0;
    virtual int GetRange() const = 0;
    virtual bool IsVisible() const = 0;
};

// A player of a friend list or a leaderboard.
class IPlayer {
public:
    virtual ~IPlayer() = default;
    // The player's id for the named service; null names the provider that
    // listed the player. Null when the player has none.
    virtual const char* GetId(const char* serviceName) const = 0;
    virtual const char* GetDisplayName() const = 0;
};

class ILeaderboardPage;

// Called once or more per request: status Started while the page loads.
using LeaderboardPageDelegate =
    Delegate3<void, LeaderboardErrorType, const ILeaderboardPage*, LeaderboardDownloadStatus>;
using LeaderboardResultDelegate = Delegate1<void, LeaderboardErrorType>;
// A score or a rank of one player (0 with an error).
using LeaderboardValueDelegate = Delegate2<void, LeaderboardErrorType, int64_t>;

class ILeaderboardEntry {
public:
    virtual ~ILeaderboardEntry() = default;
    virtual int64_t GetScore() const = 0;
    virtual int64_t GetRank() const = 0;
    virtual const char* GetText() const = 0;
    virtual const IPlayer* GetPlayer() const = 0;
};

class ILeaderboardPage {
public:
    virtual ~ILeaderboardPage() = default;
    virtual const char* GetLeaderboardId() const = 0;
    virtual const char* GetProviderId() const = 0;
    virtual int GetPageNumber() const = 0;
    virtual int GetOptions() const = 0;
    virtual int GetEntryCount() const = 0;
    virtual const ILeaderboardEntry* GetEntry(int index) const = 0;  // null out of range
    virtual const LeaderboardPageDelegate& GetCallback() const = 0;
};

class ILeaderboardView {
public:
    virtual ~ILeaderboardView() = default;
    virtual LeaderboardGlobality GetGlobality() const = 0;
    virtual void RequestPage(int pageNumber, int pageSize, int options,
                             LeaderboardPageDelegate onPage, bool force) = 0;
    virtual void RequestPageForUser(const User* user, int pageSize, int options,
                                    LeaderboardPageDelegate onPage, bool force) = 0;
    virtual void RequestNextPage(const ILeaderboardPage* page, LeaderboardPageDelegate onPage) = 0;
    virtual void RequestPreviousPage(const ILeaderboardPage* page,
                                     LeaderboardPageDelegate onPage) = 0;
    virtual void GetUserScore(const User* user, LeaderboardValueDelegate onValue) = 0;
    virtual void GetUserRank(const User* user, LeaderboardValueDelegate onValue) = 0;
    virtual LeaderboardTimeSpan GetTimeSpan() const = 0;
};

class ILeaderboard {
public:
    virtual ~ILeaderboard() = default;
    virtual const char* GetId() const = 0;
    virtual const char* GetProviderId() const = 0;
    virtual const char* GetDisplayText() const = 0;
    // Null when the service offers no such view.
    virtual ILeaderboardView* GetView(LeaderboardGlobality globality,
                                      LeaderboardTimeSpan timeSpan) = 0;
    virtual void SubmitScore(const User* user, int64_t score, LeaderboardResultDelegate onDone) = 0;
    virtual void SubmitScoreWithMetaData(const User* user, int64_t score, const char* metaData,
                                         LeaderboardResultDelegate onDone) = 0;
};

// A news item.
class INews {
public:
    virtual ~INews() = default;
    virtual const char* GetTitle() const = 0;
    virtual const char* GetText() const = 0;
    virtual const char* GetType() const = 0;
    virtual const char* GetId() const = 0;
    virtual bool IsExpired() const = 0;
    virtual void MarkRead() = 0;
    virtual bool IsRead() const = 0;
    virtual uint64_t GetTimeStamp() const = 0;  // seconds
};

}  // namespace Varnok
