// GameStats: the counters, the day streaks and the wave cool-downs.
#include "game/rules/GameStats.h"

#include "engine/core/HashName.h"
#include "engine/core/Log.h"
#include "game/rules/GameFunctions.h"

#include <cstdio>
#include <cstring>

namespace Varnok {
namespace {

uint32_t HashOf(const char* name) {
    return name != nullptr ? HashName(name, static_cast<int>(std::strlen(name))) : 0;
}

}  // namespace

int32_t GameStats::Add(const char* name, uint32_t hash, int32_t delta, int lifetime,
                       int checkAchievements) {
    StatMap& stats = lifetime != 0 ? lifetimeStats : sessionStats;
    auto found = stats.find(hash);
    if (found == stats.end()) {
        const size_t length = name != nullptr ? std::strlen(name) : 0;
        if (length >= static_cast<size_t>(StatEntry::kNameBytes)) {
            Log("GameStats: statistic name of %zu bytes refused (at most %d)", length,
                StatEntry::kNameBytes - 1);
            return 0;
        }
        StatEntry entry;
        if (length > 0) {
            std::memcpy(entry.name, name, length);
        }
        entry.hash = hash;
        found = stats.emplace(hash, entry).first;
    }
    // Wraps like the 32-bit counter it is instead of overflowing.
    found->second.value = static_cast<int32_t>(static_cast<uint32_t>(found->second.value) +
                                               static_cast<uint32_t>(delta));
    const int32_t value = found->second.value;
    if (m_watcher != nullptr) {
        if (checkAchievements == 1) {
            m_watcher->CheckSpecific(value, hash);
        }
        m_watcher->OnStatChanged(hash);
    }
    return value;
}

int32_t GameStats::Add(const char* name, int32_t delta, int lifetime, int checkAchievements) {
    return Add(name, HashOf(name), delta, lifetime, checkAchievements);
}

int32_t GameStats::Set(const char* name, int32_t value, int lifetime, int checkAchievements) {
    const uint32_t hash = HashOf(name);
    const int32_t old = GetByHash(hash);
    Add(name, hash,
        static_cast<int32_t>(static_cast<uint32_t>(value) - static_cast<uint32_t>(old)), lifetime,
        checkAchievements);
    return old;
}

int32_t GameStats::Get(const char* name) const {
    return GetByHash(HashOf(name));
}

int32_t GameStats::GetByHash(uint32_t hash) const {
    auto session = sessionStats.find(hash);
    if (session != sessionStats.end()) {
        return session->second.value;
    }
    auto lifetime = lifetimeStats.find(hash);
    return lifetime != lifetimeStats.end() ? lifetime->second.value : 0;
}

void GameStats::Erase(uint32_t hash) {
    sessionStats.erase(hash);
    lifetimeStats.erase(hash);
}

void GameStats::RecheckAchievements() {
    if (m_watcher == nullptr) {
        return;
    }
    for (const StatMap* stats : {&lifetimeStats, &sessionStats}) {
        for (const auto& entry : *stats) {
            m_watcher->CheckSpecific(entry.second.value, entry.first);
        }
    }
}

void GameStats::DecrementCountdowns() {
    for (auto& counts : waveGameCounts) {
        for (auto& entry : counts) {
            if (entry.second >= 0) {
                --entry.second;
            }
        }
    }
}

void GameStats::ResetTrackers() {
    bestComboCount = 0;
    for (int32_t& kind : bestComboKinds) {
        kind = -1;
    }
}

uint32_t GameStats::StreakHash(int forMode) const {
    char name[StatEntry::kNameBytes];
    std::snprintf(name, sizeof(name), "%s_days", GetModeName(forMode));
    return HashOf(name);
}

void GameStats::UpdateDayStreak(int32_t today) {
    for (int m = 0; m < kModeCount; ++m) {
        if (lastPlayedDay[m] != today && lastPlayedDay[m] != today - 1) {
            Erase(StreakHash(m));
        }
    }
}

void GameStats::UpdateDayStreak() {
    UpdateDayStreak(GetDayNumber());
}

void GameStats::RecordPlayedDay(int forMode, int32_t today) {
    if (forMode < 0 || forMode >= kModeCount) {
        return;
    }
    char name[StatEntry::kNameBytes];
    std::snprintf(name, sizeof(name), "%s_days", GetModeName(forMode));
    const int32_t streak = GetByHash(HashOf(name));
    if (today == lastPlayedDay[forMode] + 1) {
        Add(name, 1, 1, 1);
    } else if (streak == 0) {
        Add(name, 1, 1, 1);
    } else if (today != lastPlayedDay[forMode]) {
        Set(name, 1, 1, 1);
    }
    lastPlayedDay[forMode] = today;
}

bool GameStats::PlayedToday(int forMode, int32_t today) const {
    if (forMode < 0 || forMode >= kModeCount) {
        return false;
    }
    return lastPlayedDay[forMode] == today && GetByHash(StreakHash(forMode)) >= 1;
}

bool GameStats::PlayedToday(int forMode) const {
    return PlayedToday(forMode, GetDayNumber());
}

}  // namespace Varnok
