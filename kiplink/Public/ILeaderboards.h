// Achievement definitions and each user's progress (kept in the user's
// transactional state), leaderboard definitions, friends leaderboards per
// user and time span, and score submission.
#pragma once

#include "kiplink/Public/IFriends.h"
#include "kiplink/Public/IValue.h"
#include "kiplink/Public/RefCounted.h"

#include <cstdint>

namespace Kiplink {

class IAchievementProgress;
class IAchievementProvider;
class ILeaderboardProvider;
class IUser;
class IUserLeaderboard;

class IAchievement : public RefCounted {
public:
    virtual const char* GetReferenceId() const = 0;
    virtual const char* GetName() const = 0;
    virtual const IValue& GetMetaData() const = 0;
    virtual int32_t GetMaxProgress() const = 0;
    virtual bool IsVisible() const = 0;
};

class IAchievementProgressCallbacks : public RefCounted {
public:
    virtual void OnProgressUpdated(IAchievementProgress* progress) = 0;
};

class IAchievementProgress : public RefCounted {
public:
    virtual void AddCallbacks(IAchievementProgressCallbacks* listener) = 0;
    virtual void RemoveCallbacks(IAchievementProgressCallbacks* listener) = 0;
    virtual IUser* GetUser() = 0;  // with a reference
    virtual int32_t GetProgress(const char* referenceId) const = 0;
    virtual int32_t GetProgressOf(const IAchievement* achievement) const = 0;
    // Adds (never assigns) through a transaction; answers the new progress.
    virtual int32_t AddProgress(const char* referenceId, int32_t amount) = 0;
    virtual int32_t AddProgressOf(const IAchievement* achievement, int32_t amount) = 0;
};

class IAchievementProviderCallbacks : public RefCounted {
public:
    virtual void OnAchievementsUpdated(IAchievementProvider*) {}
    virtual void OnProgressUpdated(IAchievementProgress*) {}
};

class IAchievementProvider : public RefCounted {
public:
    virtual void AddCallbacks(IAchievementProviderCallbacks* listener) = 0;
    virtual void RemoveCallbacks(IAchievementProviderCallbacks* listener) = 0;
    virtual void Update() = 0;
    // Each with a reference, or null.
    virtual IAchievementProgress* GetProgress(IUser* user) = 0;
    virtual int GetAchievementCount() const = 0;
    virtual IAchievement* GetAchievement(int index) = 0;
    virtual IAchievement* GetAchievementById(const char* referenceId) = 0;
    virtual void Load() = 0;
};

class ILeaderboardEntry : public RefCounted {
public:
    virtual IUserProfile* GetUser() = 0;  // with a reference
    virtual int32_t GetScore() const = 0;
    virtual const IValue& GetMetaData() const = 0;
};

class IUserLeaderboardCallbacks : public RefCounted {
public:
    // error null on success.
    virtual void OnFriendsLeaderboardUpdate(const char* error, IUserLeaderboard* board) = 0;
};

class IUserLeaderboard : public RefCounted {
public:
    virtual void AddCallbacks(IUserLeaderboardCallbacks* listener) = 0;
    virtual void RemoveCallbacks(IUserLeaderboardCallbacks* listener) = 0;
    virtual int GetEntryCount() const = 0;
    virtual ILeaderboardEntry* GetEntry(int index) = 0;  // no reference added
    virtual IUser* GetUser() = 0;                         // with a reference
    virtual const char* GetTimeSpan() const = 0;
    virtual bool IsLoaded() const = 0;
    virtual void GetFriendLeaderboard() = 0;
};

class ILeaderboard : public RefCounted {
public:
    virtual const char* GetName() const = 0;
    virtual const char* GetReferenceId() const = 0;
    // timeSpan: "allTime", "weekly", "daily", "weekly_lastweek",
    // "daily_yesterday". With a reference; the same object per user and span.
    virtual IUserLeaderboard* GetUserLeaderboard(IUser* user, const char* timeSpan, bool refresh, bool option) = 0;
};

class ILeaderboardProviderCallbacks : public RefCounted {
public:
    // The reply to the submission of that call id; error null on success.
    virtual void OnScoreSubmitted(uint32_t /*callId*/, const char* /*error*/) {}
    virtual void OnLeaderboardsUpdated(ILeaderboardProvider*) {}
};

class ILeaderboardProvider : public RefCounted {
public:
    virtual void AddCallbacks(ILeaderboardProviderCallbacks* listener) = 0;
    virtual void RemoveCallbacks(ILeaderboardProviderCallbacks* listener) = 0;
    virtual void Update() = 0;
    // Answers the call id the reply will carry (also in outCallId).
    virtual uint32_t SubmitScore(IUser* user, const char* leaderboardId, int32_t score, const IValue* metadata,
                                 uint32_t* outCallId) = 0;
    virtual ILeaderboard* FindLeaderboard(const char* referenceId) = 0;  // with a reference
    virtual void Load() = 0;
};

}  // namespace Kiplink
