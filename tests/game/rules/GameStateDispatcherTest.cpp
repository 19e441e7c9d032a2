// The dispatcher's clamped step, its first tick, state changes and renders,
// and the score functions beside it.
#include "game/rules/GameStateDispatcher.h"

#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/InGameMode.h"
#include "game/rules/UnlockQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

struct RecordingState : GameStateHandler {
    void Enter(int) override { calls.push_back("enter"); }
    void Update(float step, bool active) override {
        calls.push_back(active ? "update" : "update-inactive");
        steps.push_back(step);
    }
    void Render(float step, bool) override {
        calls.push_back("render");
        steps.push_back(step);
    }
    void Exit() override { calls.push_back("exit"); }

    std::vector<std::string> calls;
    std::vector<float> steps;
};

using Calls = std::vector<std::string>;

// A fresh dispatcher and record fields it touches.
class DispatcherTest : public ::testing::Test {
protected:
    DispatcherTest() {
        GameRecord& game = GetGameRecord();
        game.requestedState = GameRecord::kGameState;
        game.playTimeMs = 0;
        game.paused = false;
        game.bombExplosionTime = 0.0f;
        game.stats = nullptr;
        dispatcher.SetHandler(&state);
        dispatcher.SetUnlockQueue(nullptr);
    }

    RecordingState state;
    GameStateDispatcher dispatcher;
};

TEST(GameStateDispatcher, ClampsTheStep) {
    const struct {
        float elapsed;
        float step;
    } cases[] = {{0.005f, 0.0095f}, {0.01f, 0.0095f}, {0.02f, 0.019f},
                 {0.1f, 0.038f},    {0.04f, 0.038f},  {-1.0f, 0.0095f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.elapsed);
        EXPECT_FLOAT_EQ(GameStateDispatcher::ClampStep(c.elapsed), c.step);
    }
}

TEST_F(DispatcherTest, TheFirstTickEntersAndRunsTheNestedUpdate) {
    dispatcher.Tick(1.0f / 60.0f);
    EXPECT_EQ(state.calls, (Calls{"enter", "update"}));
    ASSERT_EQ(state.steps.size(), 1u);
    EXPECT_NEAR(state.steps[0], 0.95f * 0.95f / 60.0f, 1e-6);
    EXPECT_NEAR(state.steps[0], 0.01504f, 1e-5);
    EXPECT_EQ(GetGameRecord().playTimeMs, 15 + 15);
    EXPECT_EQ(dispatcher.GetCurrentState(), 2);
    EXPECT_FLOAT_EQ(GetGameRecord().rawFrameTime, 0.95f / 60.0f);  // the nested call's

    dispatcher.Tick(0.03f);
    EXPECT_EQ(state.calls.back(), "update");
    EXPECT_FLOAT_EQ(GetGameRecord().frameStep, 0.0285f);
    EXPECT_EQ(GetGameRecord().playTimeMs, 30 + 28);  // whole milliseconds
}

TEST_F(DispatcherTest, RendersOnlyAfterAnUpdateWithTheAccumulatedSteps) {
    dispatcher.Render();  // before anything: nothing drawn, nothing kept
    EXPECT_TRUE(state.calls.empty());
    EXPECT_EQ(dispatcher.GetAccumulatedStep(), 0.0f);

    dispatcher.Tick(0.02f);
    dispatcher.Tick(0.02f);
    state.calls.clear();
    state.steps.clear();
    dispatcher.Render();
    EXPECT_EQ(state.calls, (Calls{"render"}));
    EXPECT_NEAR(state.steps[0], 0.019f * 0.95f + 0.019f + 0.019f, 1e-6);
    EXPECT_EQ(dispatcher.GetAccumulatedStep(), 0.0f);
}

TEST_F(DispatcherTest, AChangedRequestLeavesOnOneTickAndEntersOnTheNext) {
    dispatcher.Tick(0.02f);
    GetGameRecord().requestedState = 1;
    state.calls.clear();
    dispatcher.Tick(0.02f);
    EXPECT_EQ(state.calls, (Calls{"exit"}));
    dispatcher.Render();
    EXPECT_EQ(state.calls, (Calls{"exit"}));  // nothing drawn between
    dispatcher.Tick(0.02f);
    EXPECT_EQ(state.calls, (Calls{"exit", "enter"}));  // no second nested tick
    GetGameRecord().paused = true;
    dispatcher.Tick(0.02f);
    EXPECT_EQ(state.calls.back(), "update-inactive");
    dispatcher.ExitCurrentState();
    dispatcher.ExitCurrentState();
    EXPECT_EQ(state.calls.back(), "exit");
    EXPECT_EQ(state.calls.size(), 4u);
    GetGameRecord().paused = false;
}

TEST_F(DispatcherTest, TicksTheUnlockQueueOnlyOutsideAnExplosion) {
    GameStats stats;
    UnlockQueue queue;
    dispatcher.SetUnlockQueue(&queue);
    GetGameRecord().stats = &stats;
    ASSERT_TRUE(UnlockQueue::Add(stats, "1_first_slice", 7));
    GetGameRecord().bombExplosionTime = 1.0f;
    dispatcher.Tick(0.02f);
    dispatcher.Tick(0.02f);
    EXPECT_FLOAT_EQ(stats.unlockQueue.at(7).countdown, UnlockQueue::kFirstCountdown);
    GetGameRecord().bombExplosionTime = 0.0f;
    dispatcher.Tick(0.02f);
    EXPECT_FLOAT_EQ(stats.unlockQueue.at(7).countdown, UnlockQueue::kFirstCountdown - 0.019f);
    EXPECT_EQ(stats.Get("total_achievements_unlocked"), 1);
    GetGameRecord().stats = nullptr;
}

class FixedMode : public InGameMode {
public:
    explicit FixedMode(int type) : m_type(type) {}
    int GetModeType() const override { return m_type; }
    void Start() override {}
    Component* ShowHud() override { return nullptr; }
    bool AreWavesSuspended() override { return false; }
    void OnFruitSliced(Fruit*) override {}
    int GetSaveState() override { return 40 + m_type; }
    bool IsTimerRunning() override { return true; }

private:
    int m_type;
};

TEST(GameFunctions, PointsAndTheirStatistics) {
    GameRecord& game = GetGameRecord();
    GameStats stats;
    game.stats = &stats;
    game.upsideDown = false;

    const struct {
        const char* what;
        int start, points, kind, counted;
        int score, all;
    } cases[] = {
        {"negative points stop at 0 and count nothing", 30, -50, 0, 1, 0, 0},
        {"counted points of kind 0", 0, 20, 0, 1, 20, 20},
        {"kind 1 counts too", 20, 5, 1, 1, 25, 25},
        {"kind 2 scores without counting", 25, 5, 2, 1, 30, 25},
        {"uncounted", 30, 5, 0, 0, 35, 25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        game.score = c.start;
        AddPoints(c.points, c.kind, c.counted);
        EXPECT_EQ(GetScore(), c.score);
        EXPECT_EQ(stats.Get("all"), c.all);
    }
    EXPECT_EQ(game.allPointsTotal, 25);
    EXPECT_EQ(stats.Get("score_without_beans"), 25);
    EXPECT_EQ(stats.Get("upside_down_points"), 0);

    game.upsideDown = true;
    stats.Add("bean", 1, 0, 0);
    AddPoints(10, 0, 1);
    EXPECT_EQ(stats.Get("upside_down_points"), 10);
    EXPECT_EQ(stats.Get("score_without_beans"), 25);
    game.upsideDown = false;

    SetPointsModifier(PointsModifier([](int p) { return p * 2; }));
    SetScore(0);
    AddPoints(7, 2, 0);
    EXPECT_EQ(GetScore(), 14);
    SetPointsModifier(PointsModifier());
    AddPoints(1, 2, 0);
    EXPECT_EQ(GetScore(), 15);
    game.stats = nullptr;
    game.score = 0;
}

TEST(GameFunctions, CoinsBestScoresAndModes) {
    GameRecord& game = GetGameRecord();
    game.coins = 0;
    game.coinsEarned = 0;
    AddCoins(10);
    AddCoins(-4);
    EXPECT_EQ(game.coins, 6);
    EXPECT_EQ(game.coinsEarned, 10);

    GameStats stats;
    game.modeIndex = 1;
    EXPECT_EQ(GetBestScoreForMode(), 0);  // no store
    EXPECT_FALSE(SetBestScoreForMode(5));
    game.stats = &stats;
    EXPECT_TRUE(SetBestScoreForMode(50));
    EXPECT_FALSE(SetBestScoreForMode(50));
    EXPECT_EQ(GetBestScoreForMode(), 50);
    EXPECT_EQ(stats.modeBest[1], 50);
    game.modeIndex = 2;
    EXPECT_FALSE(SetBestScoreForMode(500));
    EXPECT_EQ(GetBestScoreForMode(), 0);
    game.modeIndex = 0;
    game.stats = nullptr;

    EXPECT_EQ(GetClassicMode(), nullptr);
    EXPECT_FALSE(IsModeTimerRunning());
    EXPECT_EQ(GetModeSaveState(), 0);
    game.currentMode = new FixedMode(1);
    EXPECT_EQ(GetClassicMode(), nullptr);
    EXPECT_EQ(GetChallengeMode(), game.currentMode);
    EXPECT_TRUE(IsModeTimerRunning());
    EXPECT_EQ(GetModeSaveState(), 41);
    DestroyCurrentMode();
    EXPECT_EQ(game.currentMode, nullptr);
    DestroyCurrentMode();

    EXPECT_EQ(RequestMenuBack(), &game.currentMode);
    EXPECT_TRUE(game.menuBackRequested);
    game.menuBackRequested = false;
}

TEST(GameFunctions, ModeNamesAndMasks) {
    EXPECT_STREQ(GetModeName(0), "CLASSIC");
    EXPECT_STREQ(GetModeName(1), "NEW_MODE");
    EXPECT_STREQ(GetModeName(2), "ALL");
    EXPECT_STREQ(GetModeName(-3), "ALL");
    const struct {
        int index;
        int32_t mask;
    } masks[] = {{0, 1}, {1, 2}, {2, -1}, {3, 8}, {31, INT32_MIN}, {32, 0}, {40, 0}, {-1, 0}};
    for (const auto& m : masks) {
        EXPECT_EQ(ModeBitMask(m.index), m.mask) << m.index;
    }
}

TEST(GameFunctions, DayNumbersCountCivilDays) {
    EXPECT_EQ(DayNumberOf(1900, 0, 1), 0);
    // 31 Dec of a leap year and 1 Jan are neighbours, not the same day.
    EXPECT_EQ(DayNumberOf(2025, 0, 1) - DayNumberOf(2024, 11, 31), 1);
    EXPECT_EQ(DayNumberOf(2024, 11, 31) - DayNumberOf(2024, 11, 30), 1);
    // 30 Dec to 1 Jan is two days.
    EXPECT_EQ(DayNumberOf(2027, 0, 1) - DayNumberOf(2026, 11, 30), 2);
    EXPECT_EQ(DayNumberOf(2024, 2, 1) - DayNumberOf(2024, 1, 28), 2);  // 29 Feb
    EXPECT_EQ(DayNumberOf(2023, 2, 1) - DayNumberOf(2023, 1, 28), 1);
    EXPECT_EQ(DayNumberOf(2000, 0, 1) - DayNumberOf(1999, 0, 1), 365);
    EXPECT_EQ(DayNumberOf(2001, 0, 1) - DayNumberOf(2000, 0, 1), 366);
    // Today is between what the calendar gives either side of the call.
    EXPECT_GT(GetDayNumber(), DayNumberOf(2020, 0, 1));
}

}  // namespace
}  // namespace Varnok
