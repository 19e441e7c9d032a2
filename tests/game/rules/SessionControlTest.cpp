// Session control: one end per game with its hour and day statistics, the
// pause button, the advert preload and the bomb explosions.
#include "game/rules/SessionControl.h"

#include "game/rules/ClassicMode.h"
#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/world/SplatterLayer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

class TestHost : public SessionHost {
public:
    void OpenResultsScreen() override { ++results; }
    void OpenPauseScreen() override { ++pauses; }
    bool PreloadFullscreenAd(const char* space) override {
        preloads.emplace_back(space);
        return true;
    }
    DateTime LocalTime() override { return now; }
    bool IsInputBlocked() override { return blocked; }

    int results = 0;
    int pauses = 0;
    std::vector<std::string> preloads;
    DateTime now;
    bool blocked = false;
};

DateTime At(int year, int month, int day, int hour, int minute) {
    DateTime t;
    t.yearsSince1900 = year - 1900;
    t.month = month;
    t.dayOfMonth = day;
    t.hour = hour;
    t.minute = minute;
    return t;
}

class SessionControlTest : public testing::Test {
protected:
    void SetUp() override {
        SetSessionHost(&host);
        GetSessionState() = SessionState{};
        GameRecord& record = GetGameRecord();
        record.stats = &stats;
        record.modeIndex = 0;
        record.notInPlay = false;
        record.paused = false;
        record.savedGameState = true;
        record.bombExplosionTime = 0.0f;
        record.fullscreenAdPreloaded = false;
        host.now = At(2026, 11, 11, 12, 0);
    }
    void TearDown() override {
        DestroyCurrentMode();
        GameRecord& record = GetGameRecord();
        record.stats = nullptr;
        record.paused = false;
        SetSessionHost(nullptr);
    }

    TestHost host;
    GameStats stats;
};

TEST_F(SessionControlTest, AGameEndsOnceWithOneResultsScreen) {
    EndGameAndShowResults(-1);
    EndGameAndShowResults(-1);
    EXPECT_EQ(host.results, 1);
    EXPECT_TRUE(GetGameRecord().notInPlay);
}

TEST_F(SessionControlTest, GamesEndedInTheSmallHoursAreCounted) {
    const struct {
        int hour;
        int minute;
        int reason;
        int counted;
    } cases[] = {{3, 30, -1, 1}, {2, 0, -1, 1}, {4, 59, -1, 1}, {5, 0, -1, 0}, {1, 59, -1, 0}, {3, 30, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.hour) + ":" + std::to_string(c.minute) + " reason " + std::to_string(c.reason));
        stats = GameStats{};
        GetGameRecord().notInPlay = false;
        host.now = At(2026, 11, 11, c.hour, c.minute);
        EndGameAndShowResults(c.reason);
        EXPECT_EQ(stats.Get("games_at_grave_yard_time"), c.counted);
        if (c.reason != -1) {
            EXPECT_EQ(stats.Get("CLASSIC_days"), 0) << "only a real end counts the day";
        }
    }
}

TEST_F(SessionControlTest, DayStreaks) {
    const int32_t today = DayNumberOf(2026, 11, 11);
    const struct {
        const char* what;
        int32_t last;
        int32_t streak;
        int32_t expected;
    } cases[] = {
        {"yesterday", today - 1, 3, 4},
        {"today", today, 3, 3},
        {"three days ago", today - 3, 5, 1},
        {"never", 0, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        stats = GameStats{};
        stats.lastPlayedDay[0] = c.last;
        if (c.streak != 0) {
            stats.Set("CLASSIC_days", c.streak, 1, 0);
        }
        GetGameRecord().notInPlay = false;
        EndGameAndShowResults(-1);
        EXPECT_EQ(stats.Get("CLASSIC_days"), c.expected);
        EXPECT_EQ(stats.lastPlayedDay[0], today);
    }
}

TEST_F(SessionControlTest, ThePauseButtonDuringTheInputBlockIsTakenWithoutPausing) {
    bool handled = false;
    host.blocked = true;
    OnPauseButtonEvent(nullptr, handled);
    EXPECT_TRUE(handled);
    EXPECT_FALSE(GetGameRecord().paused);
    EXPECT_EQ(host.pauses, 0);

    host.blocked = false;
    GetGameRecord().bombExplosionTime = 1.0f;
    OnPauseButtonEvent(nullptr, handled);
    EXPECT_FALSE(handled) << "no pause while a bomb explodes";

    GetGameRecord().bombExplosionTime = 0.0f;
    OnPauseButtonEvent(nullptr, handled);
    EXPECT_TRUE(handled);
    EXPECT_TRUE(GetGameRecord().paused);
    EXPECT_EQ(host.pauses, 1);
}

TEST_F(SessionControlTest, PauseGameOpensOnlyForARoundInPlay) {
    GameRecord& record = GetGameRecord();
    CreateGameMode();
    record.savedGameState = false;
    PauseGame(0);
    EXPECT_EQ(host.pauses, 0) << "no round in progress";
    record.savedGameState = true;
    record.bombExplosionTime = 2.0f;
    PauseGame(0);
    EXPECT_EQ(host.pauses, 0) << "classic: not during an explosion";
    EXPECT_FALSE(record.paused);
    record.bombExplosionTime = 0.0f;
    PauseGame(0);
    EXPECT_EQ(host.pauses, 1);
    EXPECT_TRUE(record.paused);
}

TEST_F(SessionControlTest, TheFullScreenAdvertIsPreloadedOncePerRun) {
    CreateGameMode();
    CreateGameMode();
    EXPECT_EQ(host.preloads, (std::vector<std::string>{"FULLSCREEN_SPACE"}));
    EXPECT_NE(dynamic_cast<ClassicMode*>(GetGameRecord().currentMode), nullptr);
}

TEST_F(SessionControlTest, BombExplosions) {
    OnBombExplosion(Vector3{1.0f, 2.0f, 3.0f});
    EXPECT_FLOAT_EQ(GetGameRecord().bombExplosionTime, 3.2f);
    EXPECT_EQ(stats.Get("bomb"), 1);
    EXPECT_FALSE(GetSessionState().menuBombSliced);
    OnMenuBombExplosion(Vector3{4.0f, 5.0f, 6.0f});
    EXPECT_FLOAT_EQ(GetGameRecord().bombExplosionTime, 2.0f);
    EXPECT_TRUE(GetSessionState().menuBombSliced);
    EXPECT_FLOAT_EQ(GetSessionState().explosionPoint.x, 4.0f);
    GetGameRecord().notInPlay = true;
    OnBombExplosion(Vector3{});
    EXPECT_EQ(stats.Get("bomb"), 1) << "out of play a bomb costs nothing";
}

TEST_F(SessionControlTest, ARetryWaitsATenthAndFadesTheOldJuice) {
    SplatterLayer& splatters = SplatterLayer::Get();
    splatters.Create(4);
    splatters.GetRecord(0).life = 2.0f;
    splatters.GetRecord(1).life = 0.1f;
    StartRetryTransition();
    EXPECT_TRUE(GetGameRecord().roundStartPending);
    EXPECT_FLOAT_EQ(GetGameRecord().roundStartDelay, 0.1f);
    EXPECT_TRUE(GetGameRecord().notInPlay);
    EXPECT_FLOAT_EQ(splatters.GetRecord(0).life, 0.15f);
    EXPECT_FLOAT_EQ(splatters.GetRecord(1).life, 0.1f);
    EXPECT_FLOAT_EQ(splatters.GetRecord(1).fadeRate, 0.25f);
    splatters.Release();
}

}  // namespace
}  // namespace Varnok
