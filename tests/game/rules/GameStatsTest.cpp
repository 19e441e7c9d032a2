// The statistics store's counters, day streaks and bounded names, and the
// unlock queue's order, refusals and late posting.
#include "game/rules/GameStats.h"

#include "engine/core/HashName.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/UnlockQueue.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace Varnok {
namespace {

uint32_t Hash(const char* name) {
    return HashName(name, static_cast<int>(std::strlen(name)));
}

struct RecordingWatcher : StatWatcher {
    void CheckSpecific(int32_t value, uint32_t hash) override { checks.push_back({value, hash}); }
    void OnStatChanged(uint32_t) override { ++changes; }
    std::vector<std::pair<int32_t, uint32_t>> checks;
    int changes = 0;
};

TEST(GameStats, AddSetGetAndErase) {
    GameStats stats;
    RecordingWatcher watcher;
    stats.SetWatcher(&watcher);

    EXPECT_EQ(stats.Add("dropped", 0, 0, 0), 0);  // delta 0 still creates it
    EXPECT_EQ(stats.sessionStats.count(Hash("dropped")), 1u);
    EXPECT_STREQ(stats.sessionStats.at(Hash("dropped")).name, "dropped");
    EXPECT_EQ(stats.Add("bomb", 3, 1, 1), 3);
    EXPECT_EQ(stats.Add("BOMB", 2, 1, 0), 5);  // names are case-blind
    EXPECT_EQ(watcher.checks, (std::vector<std::pair<int32_t, uint32_t>>{{3, Hash("bomb")}}));
    EXPECT_EQ(watcher.changes, 3);

    // In both maps the session value reads, and Set measures against it.
    stats.Add("crit", 10, 1, 0);
    stats.Add("crit", 4, 0, 0);
    EXPECT_EQ(stats.Get("crit"), 4);
    EXPECT_EQ(stats.Set("crit", 6, 1, 0), 4);
    EXPECT_EQ(stats.lifetimeStats.at(Hash("crit")).value, 12);

    EXPECT_EQ(stats.Set("missing", 5, 0, 0), 0);
    EXPECT_EQ(stats.Get("missing"), 5);
    stats.Erase(Hash("crit"));
    stats.Erase(Hash("never there"));
    EXPECT_EQ(stats.Get("crit"), 0);
    EXPECT_EQ(stats.Get("nothing"), 0);

    watcher.checks.clear();
    stats.RecheckAchievements();
    EXPECT_EQ(watcher.checks.size(), stats.lifetimeStats.size() + stats.sessionStats.size());
    EXPECT_EQ(watcher.checks.front().second, stats.lifetimeStats.begin()->first);

    GameStats copy = stats;  // copied whole
    copy.ClearSession();
    EXPECT_EQ(copy.Get("missing"), 0);
    EXPECT_EQ(stats.Get("missing"), 5);
}

TEST(GameStats, RefusesOverLongNames) {
    GameStats stats;
    const std::string longest(63, 'a');
    EXPECT_EQ(stats.Add(longest.c_str(), 2, 0, 0), 2);
    const std::string tooLong(64, 'b');
    TestSupport::LogCapture log;
    EXPECT_EQ(stats.Add(tooLong.c_str(), 2, 0, 0), 0);
    EXPECT_TRUE(TestSupport::IsOneLogLineNaming(log.Take(), "GameStats", "64 bytes"));
    EXPECT_EQ(stats.sessionStats.size(), 1u);
}

TEST(GameStats, WaveCountdownsAndTrackers) {
    GameStats stats;
    stats.waveGameCounts[0] = {{1, 2}, {2, 0}, {3, -1}};
    stats.waveGameCounts[1] = {{7, 1}};
    stats.DecrementCountdowns();
    EXPECT_EQ(stats.waveGameCounts[0], (std::map<int32_t, int32_t>{{1, 1}, {2, -1}, {3, -1}}));
    EXPECT_EQ(stats.waveGameCounts[1].at(7), 0);
    stats.bestComboCount = 5;
    stats.bestComboKinds[3] = 2;
    stats.ResetTrackers();
    EXPECT_EQ(stats.bestComboCount, 0);
    EXPECT_EQ(stats.bestComboKinds[3], -1);
}

TEST(GameStats, DayStreaks) {
    const int32_t today = DayNumberOf(2025, 0, 1);
    const int32_t yesterday = DayNumberOf(2024, 11, 31);
    GameStats stats;
    stats.lastPlayedDay[0] = yesterday;
    stats.lastPlayedDay[1] = today - 2;
    stats.Add("CLASSIC_days", 4, 1, 0);
    stats.Add("NEW_MODE_days", 3, 1, 0);
    stats.UpdateDayStreak(today);
    EXPECT_EQ(stats.Get("CLASSIC_days"), 4);  // yesterday keeps it
    EXPECT_EQ(stats.Get("NEW_MODE_days"), 0);  // two days ago erases it

    stats.RecordPlayedDay(0, today);  // the day after: grows
    EXPECT_EQ(stats.Get("CLASSIC_days"), 5);
    stats.RecordPlayedDay(0, today);  // again the same day: kept
    EXPECT_EQ(stats.Get("CLASSIC_days"), 5);
    EXPECT_TRUE(stats.PlayedToday(0, today));
    stats.RecordPlayedDay(0, today + 5);  // a gap: starts again
    EXPECT_EQ(stats.Get("CLASSIC_days"), 1);
    stats.RecordPlayedDay(1, today);  // from 0
    EXPECT_EQ(stats.Get("NEW_MODE_days"), 1);
    EXPECT_FALSE(stats.PlayedToday(1, today + 1));
}

struct RecordingHost : UnlockHost {
    void ReportAchievementUnlocked(const char* name) override { reported.push_back(name); }
    void UnlockItem(uint32_t hash) override { items.push_back(hash); }
    int32_t CountUnlockedItems() override { return static_cast<int32_t>(items.size()) + 3; }
    void ShowUnlockPopup(uint32_t hash, ScreenList*) override { popups.push_back(hash); }
    bool IsLeaderboardOnline() override { return online; }
    void PostScore(int mode, int64_t score) override { posts.push_back({mode, score}); }

    std::vector<std::string> reported;
    std::vector<uint32_t> items;
    std::vector<uint32_t> popups;
    std::vector<std::pair<int, int64_t>> posts;
    bool online = false;
};

class UnlockQueueTest : public ::testing::Test {
protected:
    UnlockQueueTest() { queue.SetHost(&host); }

    // Ticks at the frame step until `until` seconds have passed; answers the
    // time (from the start) of every pop-up.
    std::vector<float> Run(float seconds) {
        std::vector<float> times;
        for (float t = 0.0f; t < seconds; t += kStep) {
            const size_t before = host.popups.size();
            queue.Tick(stats, kStep, nullptr);
            if (host.popups.size() != before) {
                times.push_back(t + kStep);
            }
        }
        return times;
    }

    static constexpr float kStep = 0.0158f;
    GameStats stats;
    RecordingHost host;
    UnlockQueue queue;
};

TEST_F(UnlockQueueTest, UnlocksFireAbout2Point9SecondsApart) {
    ASSERT_TRUE(UnlockQueue::Add(stats, "12_combo", Hash("12_combo")));
    ASSERT_TRUE(UnlockQueue::Add(stats, "blade_red", Hash("blade_red")));
    EXPECT_FLOAT_EQ(stats.unlockQueue.at(Hash("12_combo")).countdown, 2.9f);
    EXPECT_FLOAT_EQ(stats.unlockQueue.at(Hash("blade_red")).countdown, 3.0f);
    EXPECT_EQ(UnlockQueue::StateOf(stats, Hash("12_combo")), UnlockQueue::kQueued);

    const std::vector<float> times = Run(7.0f);
    ASSERT_EQ(times.size(), 2u);
    EXPECT_NEAR(times[0], kStep, 1e-6);  // the first fires on its first tick
    EXPECT_NEAR(times[1] - times[0], 2.9f + 0.11f, 2 * kStep);
    EXPECT_EQ(host.reported, (std::vector<std::string>{"12_combo"}));
    EXPECT_EQ(host.items, (std::vector<uint32_t>{Hash("blade_red")}));
    EXPECT_EQ(stats.Get("total_achievements_unlocked"), 1);
    EXPECT_EQ(stats.Get("total_items_unlocked"), 4);
    EXPECT_TRUE(stats.unlockQueue.empty());
    EXPECT_EQ(UnlockQueue::StateOf(stats, Hash("blade_red")), UnlockQueue::kShown);
}

TEST_F(UnlockQueueTest, AQueuedOrShownNameIsRefused) {
    ASSERT_TRUE(UnlockQueue::Add(stats, "3_bombs", Hash("3_bombs")));
    EXPECT_FALSE(UnlockQueue::Add(stats, "3_bombs", Hash("3_bombs")));
    Run(3.5f);
    for (int run = 0; run < 3; ++run) {  // for ever, not only once
        EXPECT_FALSE(UnlockQueue::Add(stats, "3_bombs", Hash("3_bombs")));
        Run(1.0f);
    }
    EXPECT_EQ(host.popups.size(), 1u);

    const std::string tooLong(128, 'x');
    TestSupport::LogCapture log;
    EXPECT_FALSE(UnlockQueue::Add(stats, tooLong.c_str(), Hash(tooLong.c_str())));
    EXPECT_TRUE(TestSupport::IsOneLogLineNaming(log.Take(), "UnlockQueue", "128 bytes"));
    EXPECT_TRUE(UnlockQueue::Add(stats, std::string(127, 'x').c_str(), 99));
}

TEST_F(UnlockQueueTest, UnpostedScoresPostOnceASecondAfterGoingOnline) {
    stats.unposted[0] = 250;
    stats.unposted[1] = 0;
    ASSERT_TRUE(UnlockQueue::Add(stats, "7_first", Hash("7_first")));
    ASSERT_TRUE(UnlockQueue::Add(stats, "shop_item", Hash("shop_item")));
    Run(6.5f);  // both shown while offline
    host.reported.clear();
    EXPECT_TRUE(host.posts.empty());

    host.online = true;
    Run(0.98f);
    EXPECT_TRUE(host.posts.empty());
    Run(0.05f);
    EXPECT_EQ(host.posts, (std::vector<std::pair<int, int64_t>>{{0, 250}}));
    EXPECT_EQ(stats.unposted[0], 0);
    EXPECT_EQ(host.reported, (std::vector<std::string>{"7_first"}));  // shown achievements again

    stats.unposted[1] = 80;
    host.online = false;
    Run(0.5f);
    host.online = true;
    Run(3.0f);
    EXPECT_EQ(host.posts.size(), 1u);  // never again in this run
    EXPECT_EQ(stats.unposted[1], 80);
}

}  // namespace
}  // namespace Varnok
