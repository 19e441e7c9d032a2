// Achievement and leaderboard definitions from the static data, each user's
// achievement progress, friends leaderboards with their cache files, and
// score submission.
#pragma once

#include "kiplink/Public/ILeaderboards.h"
#include "kiplink/Public/IUser.h"
#include "kiplink/Source/Players.h"
#include "kiplink/Source/Request.h"

#include <map>
#include <string>
#include <vector>

namespace Kiplink {

class AchievementProviderImpl;
class KiplinkProviderImpl;

class AchievementImpl final : public IAchievement {
public:
    AchievementImpl();
    ~AchievementImpl() override;
    const char* GetReferenceId() const override { return m_referenceId.c_str(); }
    const char* GetName() const override { return m_name.c_str(); }
    const IValue& GetMetaData() const override { return *m_metaData; }
    int32_t GetMaxProgress() const override { return m_maxProgress; }
    bool IsVisible() const override { return m_visible; }
    void Fill(const IValue& record, bool itemLayout);

private:
    std::string m_referenceId;
    std::string m_name;
    bool m_visible = false;
    int32_t m_maxProgress = 0;
    IValue* m_metaData;
};

class AchievementProgressImpl final : public IAchievementProgress {
public:
    AchievementProgressImpl(KiplinkProviderImpl* root, IUser* user) : m_root(root), m_user(user) {}
    void AddCallbacks(IAchievementProgressCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(IAchievementProgressCallbacks* listener) override { m_listeners.Remove(listener); }
    IUser* GetUser() override;
    int32_t GetProgress(const char* referenceId) const override;
    int32_t GetProgressOf(const IAchievement* achievement) const override;
    int32_t AddProgress(const char* referenceId, int32_t amount) override;
    int32_t AddProgressOf(const IAchievement* achievement, int32_t amount) override;

private:
    KiplinkProviderImpl* m_root;
    RefPtr<IUser> m_user;
    ListenerSet<IAchievementProgressCallbacks> m_listeners;
};

// Passes progress events on to its provider while the provider lives.
class AchievementProgressForwarder final : public IAchievementProgressCallbacks {
public:
    explicit AchievementProgressForwarder(AchievementProviderImpl* provider) : m_provider(provider) {}
    void OnProgressUpdated(IAchievementProgress* progress) override;
    void Detach() { m_provider = nullptr; }

private:
    AchievementProviderImpl* m_provider;  // not referenced; null once it is gone
};

class AchievementProviderImpl final : public IAchievementProvider {
public:
    explicit AchievementProviderImpl(KiplinkProviderImpl* root) : m_root(root) {}
    ~AchievementProviderImpl() override;
    void AddCallbacks(IAchievementProviderCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(IAchievementProviderCallbacks* listener) override { m_listeners.Remove(listener); }
    void Update() override {}
    IAchievementProgress* GetProgress(IUser* user) override;
    int GetAchievementCount() const override { return static_cast<int>(m_ordered.size()); }
    IAchievement* GetAchievement(int index) override;
    IAchievement* GetAchievementById(const char* referenceId) override;
    void Load() override {}

    void LoadAchievements(const IValue& records, bool itemLayout);
    void ForwardProgress(IAchievementProgress* progress);

private:
    KiplinkProviderImpl* m_root;
    ListenerSet<IAchievementProviderCallbacks> m_listeners;
    std::map<std::string, RefPtr<AchievementImpl>> m_byId;
    std::vector<RefPtr<AchievementImpl>> m_ordered;
    struct Progress {
        RefPtr<IUser> user;
        RefPtr<AchievementProgressImpl> progress;
    };
    std::map<IUser*, Progress> m_progress;
    RefPtr<AchievementProgressForwarder> m_forwarder;
};

class LeaderboardEntryImpl final : public ILeaderboardEntry {
public:
    LeaderboardEntryImpl(UserProfileImpl* profile, int32_t score, const IValue& metaData);
    ~LeaderboardEntryImpl() override;
    IUserProfile* GetUser() override;
    int32_t GetScore() const override { return m_score; }
    const IValue& GetMetaData() const override { return *m_metaData; }

private:
    RefPtr<UserProfileImpl> m_profile;
    int32_t m_score;
    IValue* m_metaData;
};

class UserLeaderboardImpl final : public IUserLeaderboard {
public:
    UserLeaderboardImpl(KiplinkProviderImpl* root, IUser* user, std::string leaderboardId, std::string timeSpan,
                        bool option);
    void AddCallbacks(IUserLeaderboardCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(IUserLeaderboardCallbacks* listener) override { m_listeners.Remove(listener); }
    int GetEntryCount() const override { return static_cast<int>(m_entries.size()); }
    ILeaderboardEntry* GetEntry(int index) override;
    IUser* GetUser() override;
    const char* GetTimeSpan() const override { return m_timeSpan.c_str(); }
    bool IsLoaded() const override { return m_loaded; }
    void GetFriendLeaderboard() override;

    void OnReply(RequestContext& context, const IValue& error, const IValue& result);
    void SetOption(bool option) { m_option = option; }

private:
    // Empty when the ids cannot name a file.
    std::string CachePath() const;
    void ParseEntries(const IValue& result);

    KiplinkProviderImpl* m_root;
    RefPtr<IUser> m_user;
    std::string m_leaderboardId;
    std::string m_timeSpan;
    bool m_option;
    bool m_loaded = false;
    std::vector<RefPtr<LeaderboardEntryImpl>> m_entries;
    ListenerSet<IUserLeaderboardCallbacks> m_listeners;
};

class LeaderboardImpl final : public ILeaderboard {
public:
    LeaderboardImpl(KiplinkProviderImpl* root, std::string referenceId) : m_root(root), m_referenceId(referenceId) {}
    const char* GetName() const override { return m_name.c_str(); }
    const char* GetReferenceId() const override { return m_referenceId.c_str(); }
    IUserLeaderboard* GetUserLeaderboard(IUser* user, const char* timeSpan, bool refresh, bool option) override;
    void SetName(const char* name) { m_name = name; }

private:
    KiplinkProviderImpl* m_root;
    std::string m_referenceId;
    std::string m_name;
    bool m_option = false;
    struct PerUser {
        RefPtr<IUser> user;
        std::map<std::string, RefPtr<UserLeaderboardImpl>> bySpan;
    };
    std::map<IUser*, PerUser> m_users;
};

class LeaderboardProviderImpl final : public ILeaderboardProvider {
public:
    explicit LeaderboardProviderImpl(KiplinkProviderImpl* root) : m_root(root) {}
    void AddCallbacks(ILeaderboardProviderCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(ILeaderboardProviderCallbacks* listener) override { m_listeners.Remove(listener); }
    void Update() override {}
    uint32_t SubmitScore(IUser* user, const char* leaderboardId, int32_t score, const IValue* metadata,
                         uint32_t* outCallId) override;
    ILeaderboard* FindLeaderboard(const char* referenceId) override;
    void Load() override {}

    void LoadLeaderboards(const IValue& records, bool itemLayout);
    void OnSubmitScoreReply(RequestContext& context, const IValue& error, const IValue& result);

private:
    KiplinkProviderImpl* m_root;
    ListenerSet<ILeaderboardProviderCallbacks> m_listeners;
    std::map<std::string, RefPtr<LeaderboardImpl>> m_boards;
};

// The message of a failed score or leaderboard reply: the error's second
// element (or member) as text, else "error".
std::string ScoreErrorText(const IValue& error);

}  // namespace Kiplink
