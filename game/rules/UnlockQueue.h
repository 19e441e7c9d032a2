// Unlocks waiting for their pop-up: achievements and items join the
// statistics store's queue and fire one after another, about 2.9 s apart;
// a shown unlock is never queued again. The queue also posts the best scores
// kept while the leaderboard was offline, once, a second after it comes
// online. Main thread only.
#pragma once

#include <cstdint>

namespace Varnok {

class GameStats;
class ScreenList;

// What a fired unlock reaches: the achievement and item managers, the
// pop-up and the leaderboard. Not owned by the queue.
class UnlockHost {
public:
    virtual ~UnlockHost() = default;
    virtual void ReportAchievementUnlocked(const char* name) = 0;
    virtual void UnlockItem(uint32_t nameHash) = 0;
    // Items free or unlocked.
    virtual int32_t CountUnlockedItems() = 0;
    virtual void ShowUnlockPopup(uint32_t nameHash, ScreenList* screens) = 0;
    virtual bool IsLeaderboardOnline() = 0;
    // The mode's best score to its board, for the current user.
    virtual void PostScore(int mode, int64_t score) = 0;
};

class UnlockQueue {
public:
    static constexpr float kFirstCountdown = 2.9f;  // into an empty queue
    static constexpr float kLaterCountdown = 3.0f;
    static constexpr float kFireMark = 2.89f;       // fires when the countdown crosses it
    static constexpr float kPostDelaySeconds = 1.0f;

    enum State : int32_t { kNone = 0, kShown = 1, kQueued = 2 };

    // The game's queue: it keeps the one run-long online timer.
    static UnlockQueue& Get();

    static int32_t StateOf(const GameStats& stats, uint32_t nameHash);
    // False when the name is queued or shown already, or is 128 bytes or
    // longer (refused with one log line).
    static bool Add(GameStats& stats, const char* name, uint32_t nameHash);

    // The host may be null: unlocks then only count.
    void SetHost(UnlockHost* host) { m_host = host; }
    // Once a frame with the clamped step, except during an explosion.
    void Tick(GameStats& stats, float stepSeconds, ScreenList* screens);

    bool HasPosted() const { return m_onlineSeconds >= kPostDelaySeconds; }

private:
    void Fire(GameStats& stats, const char* name, uint32_t nameHash, ScreenList* screens);
    void PostWhenOnline(GameStats& stats, float stepSeconds);

    UnlockHost* m_host = nullptr;
    float m_onlineSeconds = 0.0f;  // never reset: posting happens once a run
};

}  // namespace Varnok
