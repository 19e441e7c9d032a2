// The achievement aggregate's own operations: the unlocked callback it keeps
// and the progress sync from master services.
#include "engine/services/IAchievementService.h"

#include <map>
#include <string>

namespace Varnok {

void AchievementServiceAggregate::SetUnlockedCallback(Delegate1<void, std::string> onUnlocked) {
    m_unlockedCallback = onUnlocked;
    ForEachEnabled([&](IAchievementService& s) { s.SetUnlockedCallback(onUnlocked); });
}

// Masters contribute whether enabled or not; every enabled service receives.
void AchievementServiceAggregate::Sync(User* user) {
    std::map<std::string, int> best;  // byte order of the ids
    for (IAchievementService* service : m_services) {
        if (!service->IsMaster()) {
            continue;
        }
        const int count = service->GetAchievementCount();
        for (int i = 0; i < count; ++i) {
            const IAchievement* achievement = service->GetAchievement(i);
            const char* id = achievement != nullptr ? achievement->GetId() : nullptr;
            if (id == nullptr) {
                continue;
            }
            auto known = best.find(id);
            const int knownBest = known != best.end() ? known->second : 0;
            int progress = 0;
            if (service->GetProgress(user, id, &progress) && progress >= knownBest) {
                best[id] = progress;
            }
        }
    }
    for (const auto& entry : best) {
        ForEachEnabled(
            [&](IAchievementService& s) { s.SetProgress(user, entry.first.c_str(), entry.second); });
    }
}

}  // namespace Varnok
