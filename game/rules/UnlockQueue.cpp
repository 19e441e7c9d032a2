// UnlockQueue: one countdown at a time, the firing mark and the late posting
// of scores.
#include "game/rules/UnlockQueue.h"

#include "engine/core/Log.h"
#include "game/rules/GameStats.h"

#include <cstring>

namespace Varnok {
namespace {

constexpr float kNotCounting = 100.0f;  // countdowns at or above it wait

bool IsAchievementName(const char* name) {
    return name[0] >= '0' && name[0] <= '9';
}

}  // namespace

UnlockQueue& UnlockQueue::Get() {
    static UnlockQueue queue;
    return queue;
}

int32_t UnlockQueue::StateOf(const GameStats& stats, uint32_t nameHash) {
    if (stats.unlockQueue.count(nameHash) != 0) {
        return kQueued;
    }
    return stats.unlocked.count(nameHash) != 0 ? kShown : kNone;
}

bool UnlockQueue::Add(GameStats& stats, const char* name, uint32_t nameHash) {
    if (name == nullptr || StateOf(stats, nameHash) != kNone) {
        return false;
    }
    const size_t length = std::strlen(name);
    if (length >= static_cast<size_t>(UnlockRecord::kNameBytes)) {
        Log("UnlockQueue: unlock name of %zu bytes refused (at most %d)", length,
            UnlockRecord::kNameBytes - 1);
        return false;
    }
    UnlockRecord record;
    std::memcpy(record.name, name, length);
    record.countdown = stats.unlockQueue.empty() ? kFirstCountdown : kLaterCountdown;
    stats.unlockQueue.emplace(nameHash, record);
    return true;
}

void UnlockQueue::Tick(GameStats& stats, float stepSeconds, ScreenList* screens) {
    // The map walks by hash, so among equal countdowns the smallest hash wins.
    auto next = stats.unlockQueue.end();
    float smallest = kNotCounting;
    for (auto it = stats.unlockQueue.begin(); it != stats.unlockQueue.end(); ++it) {
        if (it->second.countdown < smallest) {
            smallest = it->second.countdown;
            next = it;
        }
    }
    if (next != stats.unlockQueue.end()) {
        UnlockRecord& record = next->second;
        const float before = record.countdown;
        record.countdown -= stepSeconds;
        if (before >= kFireMark && record.countdown < kFireMark) {
            Fire(stats, record.name, next->first, screens);
        }
        if (record.countdown <= 0.0f) {
            stats.unlocked[next->first] = record;
            stats.unlockQueue.erase(next);
        }
    }
    PostWhenOnline(stats, stepSeconds);
}

void UnlockQueue::Fire(GameStats& stats, const char* name, uint32_t nameHash,
                       ScreenList* screens) {
    if (IsAchievementName(name)) {
        if (m_host != nullptr) {
            m_host->ReportAchievementUnlocked(name);
        }
        stats.Add("total_achievements_unlocked", 1, 1, 1);
    } else if (m_host != nullptr) {
        m_host->UnlockItem(nameHash);
        stats.Set("total_items_unlocked", m_host->CountUnlockedItems(), 1, 1);
    }
    if (m_host != nullptr) {
        m_host->ShowUnlockPopup(nameHash, screens);
    }
}

void UnlockQueue::PostWhenOnline(GameStats& stats, float stepSeconds) {
    if (m_host == nullptr || m_onlineSeconds >= kPostDelaySeconds || !m_host->IsLeaderboardOnline()) {
        return;
    }
    m_onlineSeconds += stepSeconds;
    if (m_onlineSeconds < kPostDelaySeconds) {
        return;
    }
    for (int mode = 0; mode < GameStats::kModeCount; ++mode) {
        if (stats.unposted[mode] >= 1) {
            m_host->PostScore(mode, static_cast<int64_t>(stats.unposted[mode]));
            stats.unposted[mode] = 0;
        }
    }
    for (const auto& entry : stats.unlocked) {
        if (IsAchievementName(entry.second.name)) {
            m_host->ReportAchievementUnlocked(entry.second.name);
        }
    }
}

}  // namespace Varnok
