#include "providers/Provider_GameCenter/GameCenterAchievementService.h"

#include "engine/core/Log.h"
#include "engine/iOS/internal/SystemVersion.h"
#include "engine/services/ServiceClock.h"
#include "engine/services/ServiceConfigDocument.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/ServiceManagerConfig.h"
#include "providers/Provider_GameCenter/GameCentre.h"
#include "providers/Provider_GameCenter/Provider_GameCenter.h"

#include <tinyxml.h>

#include <cstdlib>
#include <cstring>

namespace Varnok {

namespace {

bool ReadMaster(const char* value) {
    if (value == nullptr) {
        return false;
    }
    return std::strcmp(value, "true") == 0 || std::strcmp(value, "yes") == 0 || std::strcmp(value, "1") == 0;
}

bool ReadVisible(const char* value) {
    if (value == nullptr) {
        return true;
    }
    for (const char* yes : {"TRUE", "True", "true", "1"}) {
        if (std::strcmp(value, yes) == 0) {
            return true;
        }
    }
    return false;
}

const char* Text(const char* value) {
    return value != nullptr ? value : "";
}

}  // namespace

// ---- Progress ----

bool GameCenterAchievementProgress::GetProgress(const char* achievementId, int* outValue) const {
    *outValue = 0;
    if (achievementId == nullptr) {
        return false;
    }
    const auto found = m_values.find(achievementId);
    if (found == m_values.end()) {
        return false;
    }
    *outValue = found->second;
    return true;
}

int GameCenterAchievementProgress::AddProgress(const char* achievementId, int delta) {
    if (achievementId == nullptr) {
        return 0;
    }
    const IAchievement* achievement = m_service->GetAchievement(achievementId);
    if (achievement == nullptr) {
        return 0;
    }
    int current = 0;
    GetProgress(achievementId, &current);
    if (delta < 0) {
        return current;
    }
    const int range = achievement->GetRange();
    const int64_t sum = int64_t{current} + delta;
    const int value = sum < 1 ? 0 : (sum > range ? range : static_cast<int>(sum));
    m_values[achievementId] = value;
    return value;
}

// ---- The service ----

GameCenterAchievementService::GameCenterAchievementService(Provider_GameCenter* provider) : m_provider(provider) {}

GameCenterAchievementService::~GameCenterAchievementService() = default;

const AsciiString& GameCenterAchievementService::GetLogData() const {
    static const AsciiString s_logData;
    return s_logData;
}

const AsciiString& GameCenterAchievementService::GetProviderName() const {
    return Provider_GameCenter::GetProviderName();
}

bool GameCenterAchievementService::Initialise() {
    ServiceManagerConfig* config = m_provider != nullptr ? m_provider->GetConfig() : nullptr;
    if (config == nullptr) {
        return false;
    }
    const char* name = Provider_GameCenter::GetProviderName().c_str();
    const TiXmlElement* element = config->GetProviderConfigElement(name, "IAchievementService");
    if (element == nullptr) {
        return false;
    }
    const TiXmlElement* master = config->GetProviderConfigElement(name, "isMaster");
    m_isMaster = master != nullptr && ReadMaster(master->Attribute("value"));
    m_achievements.clear();
    m_byId.clear();
    for (const TiXmlElement* child = element->FirstChildElement("achievement"); child != nullptr;
         child = child->NextSiblingElement("achievement")) {
        int range = kDefaultRange;
        if (const char* rangeText = child->Attribute("range")) {
            range = static_cast<int>(std::strtol(rangeText, nullptr, 10));
            if (range < 1) {
                break;  // a range below 1 ends the list
            }
        }
        auto achievement = std::make_unique<GameCenterAchievement>(
            Text(child->Attribute("id")), Text(child->Attribute("providerID")), Text(child->Attribute("name")),
            range, ReadVisible(child->Attribute("visible")));
        m_byId.emplace(achievement->GetId(), achievement.get());
        m_achievements.push_back(std::move(achievement));
    }
    return true;
}

IAchievement* GameCenterAchievementService::GetAchievement(int index) {
    if (static_cast<unsigned>(index) >= m_achievements.size()) {
        return nullptr;
    }
    return m_achievements[static_cast<size_t>(index)].get();
}

IAchievement* GameCenterAchievementService::GetAchievement(const char* achievementId) {
    if (achievementId == nullptr) {
        return nullptr;
    }
    const auto found = m_byId.find(achievementId);
    return found != m_byId.end() ? found->second : nullptr;
}

GameCenterAchievementProgress& GameCenterAchievementService::ProgressOf(User* user) {
    std::unique_ptr<GameCenterAchievementProgress>& progress = m_progress[user];
    if (progress == nullptr) {
        progress = std::make_unique<GameCenterAchievementProgress>(user, this);
    }
    return *progress;
}

void GameCenterAchievementService::MarkChange(const char* achievementId, GameCenterAchievementProgress& progress) {
    const int64_t now = GetServiceTime();
    m_quietDeadline = now + kQuietSeconds;
    if (m_firstChangeDeadline == 0) {
        m_firstChangeDeadline = now + kLongestWaitSeconds;
    }
    m_pending[achievementId != nullptr ? achievementId : ""] = &progress;
}

void GameCenterAchievementService::IncrementProgress(User* user, const char* achievementId, int amount) {
    if (amount < 0) {
        return;
    }
    GameCenterAchievementProgress& progress = ProgressOf(user);
    const int value = progress.AddProgress(achievementId, amount);
    if (amount >= 1) {
        MarkChange(achievementId, progress);
    }
    const IAchievement* achievement = GetAchievement(achievementId);
    if (achievement != nullptr && value >= achievement->GetRange()) {
        OnUnlocked(achievementId);
    }
}

void GameCenterAchievementService::SetProgress(User* user, const char* achievementId, int value) {
    const IAchievement* achievement = GetAchievement(achievementId);
    if (achievement == nullptr) {
        return;
    }
    GameCenterAchievementProgress& progress = ProgressOf(user);
    int stored = 0;
    progress.GetProgress(achievementId, &stored);
    const int delta = value - stored;
    const int now = progress.AddProgress(achievementId, delta);
    if (delta > 0) {
        MarkChange(achievementId, progress);
    }
    if (now >= achievement->GetRange()) {
        OnUnlocked(achievementId);
    }
}

void GameCenterAchievementService::Complete(User* user, const char* achievementId) {
    if (const IAchievement* achievement = GetAchievement(achievementId)) {
        SetProgress(user, achievementId, achievement->GetRange());
    }
}

bool GameCenterAchievementService::GetProgress(User* user, const char* achievementId, int* outProgress) {
    *outProgress = 0;
    const auto found = m_progress.find(user);
    return found != m_progress.end() && found->second->GetProgress(achievementId, outProgress);
}

float GameCenterAchievementService::GetProgressFraction(User* user, const char* achievementId) {
    const IAchievement* achievement = GetAchievement(achievementId);
    if (user == nullptr || achievement == nullptr) {
        return 0.0f;
    }
    if (achievement->GetRange() == 0) {
        return 1.0f;
    }
    int progress = 0;
    GetProgress(user, achievementId, &progress);
    const float fraction = static_cast<float>(progress) / static_cast<float>(achievement->GetRange());
    if (!(fraction > 0.0f)) {
        return 0.0f;
    }
    return fraction > 1.0f ? 1.0f : fraction;
}

void GameCenterAchievementService::Update() {
    if (!IsOnline()) {
        return;
    }
    GameCentre* gameCentre = GameCentre::Get();
    const int64_t now = GetServiceTime();
    if (!m_loadRequested && now >= m_nextLoadTime && gameCentre != nullptr) {
        m_nextLoadTime = now + kLoadRetrySeconds;
        m_loadRequested = true;
        const std::weak_ptr<int> alive = m_alive;
        gameCentre->LoadAchievements([this, alive](const std::vector<GameCentre::Achievement>* loaded,
                                                   const GameCentre::Error* error) {
            if (alive.expired() || error != nullptr || loaded == nullptr) {
                return;
            }
            ServiceManager* manager = m_provider != nullptr ? m_provider->GetManager() : nullptr;
            User* current = manager != nullptr ? manager->GetCurrentUser() : nullptr;
            if (current != nullptr) {
                ProgressOf(current);
            }
            for (const GameCentre::Achievement& remote : *loaded) {
                for (const auto& achievement : m_achievements) {
                    if (remote.identifier != achievement->GetProviderId()) {
                        continue;
                    }
                    const int value =
                        static_cast<int>(remote.percentComplete / 100.0 * achievement->GetRange());
                    for (auto& entry : m_progress) {
                        int stored = 0;
                        entry.second->GetProgress(achievement->GetId(), &stored);
                        entry.second->AddProgress(achievement->GetId(), value - stored);
                    }
                    break;
                }
            }
            if (IAchievementServiceAggregate* aggregate =
                    manager != nullptr ? manager->GetServiceAggregate<IAchievementService>() : nullptr) {
                aggregate->Sync(current);
            }
        });
    }
    // Unsigned, as a deadline of 0 must never count as passed.
    if (!m_pending.empty() && (static_cast<uint64_t>(now) >= static_cast<uint64_t>(m_quietDeadline) ||
                               static_cast<uint64_t>(now) >= static_cast<uint64_t>(m_firstChangeDeadline))) {
        Report(now);
    }
}

void GameCenterAchievementService::Report(int64_t now) {
    m_firstChangeDeadline = 0;
    std::vector<GameCentre::Achievement> batch;
    for (const auto& [id, progress] : m_pending) {
        const IAchievement* achievement = GetAchievement(id.c_str());
        if (achievement == nullptr) {
            continue;
        }
        int value = 0;
        progress->GetProgress(id.c_str(), &value);
        const float percent = static_cast<float>(value) / static_cast<float>(achievement->GetRange()) * 100.0f;
        batch.push_back(GameCentre::Achievement{achievement->GetProviderId(), static_cast<double>(percent)});
    }
    m_quietDeadline = now + kQuietSeconds;
    m_pending.clear();
    GameCentre* gameCentre = GameCentre::Get();
    if (gameCentre == nullptr || batch.empty()) {
        return;
    }
    if (SystemVersionAtLeast("6.0")) {
        gameCentre->ReportAchievements(batch, [](const GameCentre::Error* error) {
            if (error != nullptr) {
                Log("Failed to submit achievements: %s", error->description.c_str());
            } else {
                Log("Achievements submitted successfully");
            }
        });
        return;
    }
    for (const GameCentre::Achievement& achievement : batch) {
        const std::string identifier = achievement.identifier;
        gameCentre->ReportAchievement(achievement, [identifier](const GameCentre::Error* error) {
            if (error != nullptr) {
                Log("Failed to submit achievement '%s': %s", identifier.c_str(), error->description.c_str());
            } else {
                Log("Achievement '%s' Submitted successfully", identifier.c_str());
            }
        });
    }
}

}  // namespace Varnok
