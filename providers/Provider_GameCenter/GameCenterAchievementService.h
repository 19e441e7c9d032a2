// The game's achievements as Game Center keeps them. Progress is counted per
// engine user and achievement, never goes down, and stops at the range; the
// unlocked callback fires on every change that leaves it at the range. The
// player's Game Center progress is loaded once and raises the local one;
// local changes are reported as percentages in batches: at the first update
// in a later second than the latest change, and at most 61 seconds after the
// first unreported one while changes keep coming.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/services/IAchievementService.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class GameCenterAchievementService;
class Provider_GameCenter;

class GameCenterAchievement final : public IAchievement {
public:
    GameCenterAchievement(std::string id, std::string providerId, std::string name, int range, bool visible)
        : m_id(std::move(id)), m_providerId(std::move(providerId)), m_name(std::move(name)),
          m_range(range), m_visible(visible) {}

    const char* GetName() const override { return m_name.c_str(); }
    const char* GetId() const override { return m_id.c_str(); }
    const char* GetProviderId() const override { return m_providerId.c_str(); }
    ServiceValueHandle GetData() const override { return ServiceValueHandle(); }
    int GetRange() const override { return m_range; }
    bool IsVisible() const override { return m_visible; }

private:
    std::string m_id;
    std::string m_providerId;
    std::string m_name;
    int m_range;
    bool m_visible;
};

// One user's progress, by achievement id.
class GameCenterAchievementProgress {
public:
    GameCenterAchievementProgress(User* user, GameCenterAchievementService* service)
        : m_user(user), m_service(service) {}

    User* GetUser() const { return m_user; }
    // False with 0 when the id has no value.
    bool GetProgress(const char* achievementId, int* outValue) const;
    // Adds a delta of 0 or more, kept within 0..range; a negative delta or
    // an id that is not configured changes nothing. Answers the value (0 for
    // a null or unknown id).
    int AddProgress(const char* achievementId, int delta);

private:
    User* m_user;
    GameCenterAchievementService* m_service;
    std::map<std::string, int> m_values;
};

class GameCenterAchievementService final : public IAchievementService {
public:
    static constexpr int kDefaultRange = 100;
    static constexpr int64_t kQuietSeconds = 1;
    static constexpr int64_t kLongestWaitSeconds = 61;
    static constexpr int64_t kLoadRetrySeconds = 60;

    explicit GameCenterAchievementService(Provider_GameCenter* provider);
    ~GameCenterAchievementService() override;

    // Reads "isMaster" and the "IAchievementService" element's achievements;
    // false without that element.
    bool Initialise() override;
    // Online only: the one load from Game Center, then the due report.
    void Update() override;
    const AsciiString& GetLogData() const override;
    const AsciiString& GetProviderName() const override;

    void IncrementProgress(User* user, const char* achievementId, int amount) override;
    void SetProgress(User* user, const char* achievementId, int value) override;
    void Complete(User* user, const char* achievementId) override;
    void AddUpdateListener(Delegate0<void> /*listener*/) override {}
    void RemoveUpdateListener(Delegate0<void> /*listener*/) override {}
    bool IsMaster() const override { return m_isMaster; }
    int GetAchievementCount() const override { return static_cast<int>(m_achievements.size()); }
    bool GetProgress(User* user, const char* achievementId, int* outProgress) override;
    IAchievement* GetAchievement(int index) override;
    IAchievement* GetAchievement(const char* achievementId) override;
    float GetProgressFraction(User* user, const char* achievementId) override;

    int GetPendingCount() const { return static_cast<int>(m_pending.size()); }

private:
    GameCenterAchievementProgress& ProgressOf(User* user);
    void MarkChange(const char* achievementId, GameCenterAchievementProgress& progress);
    void Report(int64_t now);

    Provider_GameCenter* m_provider;
    std::vector<std::unique_ptr<GameCenterAchievement>> m_achievements;  // file order
    std::map<std::string, GameCenterAchievement*> m_byId;
    bool m_isMaster = false;
    std::map<User*, std::unique_ptr<GameCenterAchievementProgress>> m_progress;
    std::map<std::string, GameCenterAchievementProgress*> m_pending;
    int64_t m_quietDeadline = 0;
    int64_t m_firstChangeDeadline = 0;  // 0: nothing waits
    int64_t m_nextLoadTime = 0;
    bool m_loadRequested = false;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

}  // namespace Varnok
