// Achievements: progress, completion and the unlocked callback.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"

#include <string>

namespace Varnok {

class IAchievementService;

class IAchievementServiceAggregate : public ServiceInterfaceBase<IAchievementService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("IAchievementService");
        return s_serviceName;
    }
    // The default keeps the delegate; OnUnlocked calls it.
    virtual void SetUnlockedCallback(Delegate1<void, std::string> onUnlocked) {
        m_unlockedCallback = onUnlocked;
    }
    // A single service does nothing; the aggregate brings every service to the
    // best progress its masters know.
    virtual void Sync(User* /*user*/) {}
    virtual void IncrementProgress(User* user, const char* achievementId, int amount) = 0;
    virtual void SetProgress(User* user, const char* achievementId, int value) = 0;
    virtual void Complete(User* user, const char* achievementId) = 0;
    virtual void AddUpdateListener(Delegate0<void> listener) = 0;
    virtual void RemoveUpdateListener(Delegate0<void> listener) = 0;

protected:
    Delegate1<void, std::string> m_unlockedCallback;
};

class IAchievementService : public IAchievementServiceAggregate {
public:
    using BaseAggregateType = IAchievementServiceAggregate;
    using ServiceType = IAchievementService;
    // The provider's "isMaster" setting: a source of progress for Sync.
    virtual bool IsMaster() const = 0;
    virtual int GetAchievementCount() const = 0;
    // True and the progress in outProgress when it is known.
    virtual bool GetProgress(User* user, const char* achievementId, int* outProgress) = 0;
    virtual IAchievement* GetAchievement(int index) = 0;
    virtual IAchievement* GetAchievement(const char* achievementId) = 0;
    // Progress over range; 1 when the range is 0.
    virtual float GetProgressFraction(User* user, const char* achievementId) = 0;
    virtual void OnUnlocked(const char* achievementId) {
        m_unlockedCallback(std::string(achievementId != nullptr ? achievementId : ""));
    }
};

class AchievementServiceAggregate final : public ServiceAggregateBase<IAchievementServiceAggregate, IAchievementService> {
public:
    void SetUnlockedCallback(Delegate1<void, std::string> onUnlocked) override;
    void Sync(User* user) override;
    void IncrementProgress(User* user, const char* achievementId, int amount) override {
        ForEachEnabled([&](IAchievementService& s) { s.IncrementProgress(user, achievementId, amount); });
    }
    void SetProgress(User* user, const char* achievementId, int value) override {
        ForEachEnabled([&](IAchievementService& s) { s.SetProgress(user, achievementId, value); });
    }
    void Complete(User* user, const char* achievementId) override {
        ForEachEnabled([&](IAchievementService& s) { s.Complete(user, achievementId); });
    }
    void AddUpdateListener(Delegate0<void> listener) override {
        ForEachEnabled([&](IAchievementService& s) { s.AddUpdateListener(listener); });
    }
    void RemoveUpdateListener(Delegate0<void> listener) override {
        ForEachEnabled([&](IAchievementService& s) { s.RemoveUpdateListener(listener); });
    }
};

template <>
struct ServiceAggregateFor<IAchievementService> {
    using Type = AchievementServiceAggregate;
};

}  // namespace Varnok
