// Achievement progress through the online client.
#include "providers/Provider_Kiplink/KiplinkAchievementService.h"

#include "engine/services/ServiceManager.h"
#include "engine/services/User.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "kiplink/Public/IUser.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"

#include <tinyxml.h>

#include <algorithm>

namespace Varnok {

class KiplinkAchievementService::ProviderListener final : public Kiplink::IAchievementProviderCallbacks {
public:
    void OnAchievementsUpdated(Kiplink::IAchievementProvider*) override { CallAll(); }
    void OnProgressUpdated(Kiplink::IAchievementProgress*) override { CallAll(); }
    std::vector<Delegate0<void>> delegates;

private:
    void CallAll() {
        const std::vector<Delegate0<void>> copy = delegates;
        for (const auto& delegate : copy) {
            delegate();
        }
    }
};

KiplinkAchievementService::KiplinkAchievementService(Kiplink::IKiplinkProvider* root, const TiXmlElement* config,
                                                     Provider_Kiplink* owner)
    : m_root(root), m_owner(owner) {
    const TiXmlElement* element = config != nullptr ? config->FirstChildElement("isMaster") : nullptr;
    const char* value = element != nullptr ? element->Attribute("value") : nullptr;
    if (value != nullptr) {
        const std::string text = value;
        m_master = text == "true" || text == "yes" || text == "1";
    }
}

KiplinkAchievementService::~KiplinkAchievementService() {
    if (m_root != nullptr && m_listener) {
        if (auto provider = Provider()) {
            provider->RemoveCallbacks(m_listener.Get());
        }
    }
    m_listener.Reset();
}

const AsciiString& KiplinkAchievementService::GetProviderName() const { return Provider_Kiplink::GetProviderName(); }

Kiplink::RefPtr<Kiplink::IAchievementProvider> KiplinkAchievementService::Provider() const {
    return Kiplink::RefPtr<Kiplink::IAchievementProvider>::Adopt(m_root != nullptr ? m_root->GetAchievementProvider()
                                                                                   : nullptr);
}

Kiplink::RefPtr<Kiplink::IAchievementProgress> KiplinkAchievementService::ProgressOf(const User* user) const {
    Kiplink::IUser* libraryUser = UserComponent_Kiplink::LibraryUserOf(user);
    auto provider = Provider();
    if (libraryUser == nullptr || !provider) {
        return {};
    }
    return Kiplink::RefPtr<Kiplink::IAchievementProgress>::Adopt(provider->GetProgress(libraryUser));
}

void KiplinkAchievementService::Update() {
    User* current = m_owner != nullptr ? m_owner->GetCurrentUser() : nullptr;
    if (current == nullptr || m_synced || !ProgressOf(current)) {
        return;
    }
    m_synced = true;
    ServiceManager* manager = m_owner->GetBackend() != nullptr ? m_owner->GetBackend()->GetManager() : nullptr;
    if (auto* aggregate = manager != nullptr ? manager->GetServiceAggregate<IAchievementService>() : nullptr) {
        aggregate->Sync(current);
    }
}

void KiplinkAchievementService::RaiseTo(User* user, const char* achievementId, int target, bool isIncrement,
                                        int amount) {
    auto provider = Provider();
    auto progress = ProgressOf(user);
    Kiplink::RefPtr<Kiplink::IAchievement> definition = Kiplink::RefPtr<Kiplink::IAchievement>::Adopt(
        provider ? provider->GetAchievementById(achievementId) : nullptr);
    if (!progress || !definition) {
        return;
    }
    const int max = definition->GetMaxProgress();
    const int current = progress->GetProgress(achievementId);
    int add = 0;
    if (isIncrement) {
        add = std::min(amount, max - current);
    } else {
        const int wanted = target < 1 ? 0 : std::min(target, max);
        add = wanted - current;
    }
    if (add <= 0) {
        return;
    }
    const bool opened = !user->IsInTransaction();
    if (opened) {
        user->BeginTransaction();
    }
    const int result = progress->AddProgress(achievementId, add);
    if (opened) {
        user->EndTransaction();
    }
    if (result >= max) {
        OnUnlocked(achievementId);
    }
}

void KiplinkAchievementService::IncrementProgress(User* user, const char* achievementId, int amount) {
    if (amount < 1 || user == nullptr || achievementId == nullptr || m_root == nullptr ||
        GetProgressFraction(user, achievementId) >= 1.0f) {
        return;
    }
    RaiseTo(user, achievementId, 0, true, amount);
}

void KiplinkAchievementService::SetProgress(User* user, const char* achievementId, int value) {
    if (user != nullptr && achievementId != nullptr && m_root != nullptr) {
        RaiseTo(user, achievementId, value, false, 0);
    }
}

void KiplinkAchievementService::Complete(User* user, const char* achievementId) {
    SetProgress(user, achievementId, 0x7fffffff);
}

void KiplinkAchievementService::AddUpdateListener(Delegate0<void> listener) {
    if (listener.IsEmpty()) {
        return;
    }
    if (!m_listener) {
        m_listener = new ProviderListener();
    }
    if (auto provider = Provider()) {
        provider->AddCallbacks(m_listener.Get());
    }
    m_listener->delegates.push_back(listener);
}

void KiplinkAchievementService::RemoveUpdateListener(Delegate0<void> listener) {
    if (listener.IsEmpty() || !m_listener) {
        return;
    }
    auto& list = m_listener->delegates;
    list.erase(std::remove(list.begin(), list.end(), listener), list.end());
}

int KiplinkAchievementService::GetAchievementCount() const {
    auto provider = Provider();
    return provider ? provider->GetAchievementCount() : 0;
}

bool KiplinkAchievementService::GetProgress(User* user, const char* achievementId, int* outProgress) {
    auto progress = user != nullptr && achievementId != nullptr ? ProgressOf(user)
                                                                : Kiplink::RefPtr<Kiplink::IAchievementProgress>();
    const int value = progress ? progress->GetProgress(achievementId) : 0;
    if (outProgress != nullptr) {
        *outProgress = value;
    }
    return static_cast<bool>(progress);
}

IAchievement* KiplinkAchievementService::GetAchievement(int index) {
    auto provider = Provider();
    Kiplink::RefPtr<Kiplink::IAchievement> definition =
        Kiplink::RefPtr<Kiplink::IAchievement>::Adopt(provider ? provider->GetAchievement(index) : nullptr);
    if (!definition || definition->GetReferenceId() == nullptr) {
        return nullptr;
    }
    auto& held = m_achievements[definition->GetReferenceId()];
    if (!held) {
        held = std::make_unique<Achievement_Kiplink>(definition.Get());
    }
    return held.get();
}

IAchievement* KiplinkAchievementService::GetAchievement(const char* achievementId) {
    if (achievementId == nullptr) {
        return nullptr;
    }
    const auto found = m_achievements.find(achievementId);
    if (found != m_achievements.end()) {
        return found->second.get();
    }
    auto provider = Provider();
    Kiplink::RefPtr<Kiplink::IAchievement> definition =
        Kiplink::RefPtr<Kiplink::IAchievement>::Adopt(provider ? provider->GetAchievementById(achievementId) : nullptr);
    if (!definition) {
        return nullptr;
    }
    auto& held = m_achievements[achievementId];
    held = std::make_unique<Achievement_Kiplink>(definition.Get());
    return held.get();
}

float KiplinkAchievementService::GetProgressFraction(User* user, const char* achievementId) {
    IAchievement* achievement = GetAchievement(achievementId);
    if (user == nullptr || achievement == nullptr) {
        return 0.0f;
    }
    const int range = achievement->GetRange();
    if (range == 0) {
        return 1.0f;
    }
    int progress = 0;
    if (!GetProgress(user, achievementId, &progress)) {
        return 0.0f;
    }
    const float fraction = static_cast<float>(progress) / static_cast<float>(range);
    return fraction <= 0.0f ? 0.0f : std::min(fraction, 1.0f);
}

}  // namespace Varnok
