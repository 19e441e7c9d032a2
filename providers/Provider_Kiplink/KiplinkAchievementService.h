// Achievements on the online service: definitions from the library's signed
// static data, progress in the library user's transactional state, so each
// change travels with the next sync.
#pragma once

#include "engine/services/IAchievementService.h"
#include "kiplink/Public/ILeaderboards.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class TiXmlElement;

namespace Kiplink {
class IKiplinkProvider;
}

namespace Varnok {

class Provider_Kiplink;

class Achievement_Kiplink final : public IAchievement {
public:
    explicit Achievement_Kiplink(Kiplink::IAchievement* definition) : m_definition(definition) {}
    const char* GetName() const override { return m_definition ? m_definition->GetName() : nullptr; }
    const char* GetId() const override { return m_definition ? m_definition->GetReferenceId() : nullptr; }
    const char* GetProviderId() const override { return GetId(); }
    ServiceValueHandle GetData() const override { return ServiceValueHandle(); }
    int GetRange() const override { return m_definition ? m_definition->GetMaxProgress() : 0; }
    bool IsVisible() const override { return m_definition && m_definition->IsVisible(); }

private:
    Kiplink::RefPtr<Kiplink::IAchievement> m_definition;
};

class KiplinkAchievementService final : public IAchievementService {
public:
    // config: the provider's configuration root ("isMaster"); may be null.
    KiplinkAchievementService(Kiplink::IKiplinkProvider* root, const TiXmlElement* config,
                              Provider_Kiplink* owner = nullptr);
    ~KiplinkAchievementService() override;

    bool Initialise() override { return true; }
    // Once per run, when the current user's progress is there: the
    // aggregate brings every service to the best progress of its masters.
    void Update() override;
    const AsciiString& GetProviderName() const override;
    // Adds at most up to the maximum; unlocks once on reaching it.
    void IncrementProgress(User* user, const char* achievementId, int amount) override;
    // Never lowers progress.
    void SetProgress(User* user, const char* achievementId, int value) override;
    void Complete(User* user, const char* achievementId) override;
    void AddUpdateListener(Delegate0<void> listener) override;
    void RemoveUpdateListener(Delegate0<void> listener) override;
    bool IsMaster() const override { return m_master; }
    int GetAchievementCount() const override;
    bool GetProgress(User* user, const char* achievementId, int* outProgress) override;
    IAchievement* GetAchievement(int index) override;
    IAchievement* GetAchievement(const char* achievementId) override;
    float GetProgressFraction(User* user, const char* achievementId) override;

private:
    class ProviderListener;

    Kiplink::RefPtr<Kiplink::IAchievementProvider> Provider() const;
    Kiplink::RefPtr<Kiplink::IAchievementProgress> ProgressOf(const User* user) const;
    // Raises progress to target (at most the maximum) in one transaction.
    void RaiseTo(User* user, const char* achievementId, int target, bool isIncrement, int amount);

    bool m_master = false;
    bool m_synced = false;
    Kiplink::IKiplinkProvider* m_root;  // not referenced
    Provider_Kiplink* m_owner;
    Kiplink::RefPtr<ProviderListener> m_listener;
    std::map<std::string, std::unique_ptr<Achievement_Kiplink>> m_achievements;
};

}  // namespace Varnok
