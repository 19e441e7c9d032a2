// The results screen's opening: the finished game's books closed in one go,
// over a small layout with the labels the screen looks up.
#include "game/screens/ResultsScreen.h"

#include "game/rules/GameFunctions.h"
#include "game/rules/GameRecord.h"
#include "game/rules/GameStats.h"
#include "game/rules/SessionControl.h"
#include "game/screens/ComponentScore.h"
#include "game/screens/ComponentTextValue.h"
#include "game/screens/PauseScreen.h"
#include "game/screens/ScreenList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Varnok {
namespace {

class RecordingServices : public ResultsServices {
public:
    bool IsLeaderboardOnline() override { return online; }
    bool PostScore(const char* leaderboardId, int64_t score) override {
        if (!boards) {
            return false;
        }
        posts.emplace_back(leaderboardId, score);
        return true;
    }

    bool online = false;
    bool boards = true;
    std::vector<std::pair<std::string, int64_t>> posts;
};

template <typename T>
T* Add(Component* parent, const char* id) {
    auto* child = new T();
    child->SetId(AsciiString(id));
    parent->AddChild(child, -1);
    return child;
}

// "results" with the score block only.
struct ResultsLayout {
    std::unique_ptr<Component> root = std::make_unique<Component>();
    Component* control = Add<Component>(root.get(), "backgroundControl");
    Component* block = Add<Component>(control, "score");
    ComponentScore* score = Add<ComponentScore>(block, "score");
    ComponentTextValue* best = Add<ComponentTextValue>(block, "bestScore");
    Component* badge = Add<Component>(block, "newBest");
    ComponentTextValue* badgeScore = Add<ComponentTextValue>(badge, "bestScore");
};

class ResultsScreenTest : public testing::Test {
protected:
    void SetUp() override {
        GameRecord& game = GetGameRecord();
        game.stats = new GameStats();
        game.modeIndex = 0;
        game.savedGameState = true;
        game.menuPhase = 0.0f;
    }
    void TearDown() override {
        GameRecord& game = GetGameRecord();
        delete game.stats;
        game.stats = nullptr;
        SetScore(0);
    }

    // A finished game of this score against this best.
    void Finish(int32_t score, int32_t best) {
        GetGameRecord().stats->modeBest[0] = best;
        SetScore(score);
        screen = std::make_unique<ResultsScreen>(services, layout.root.get());
        screen->Open();
    }

    RecordingServices services;
    ResultsLayout layout;
    std::unique_ptr<ResultsScreen> screen;
};

TEST_F(ResultsScreenTest, OpeningClosesTheGamesBooks) {
    GameStats& stats = *GetGameRecord().stats;
    stats.Add("bean", 2, 0, 0);  // this game's
    stats.waveGameCounts[0][7] = 3;
    services.online = true;
    Finish(120, 80);

    const GameRecord& game = GetGameRecord();
    EXPECT_FALSE(game.savedGameState);
    EXPECT_EQ(game.menuPhase, 1.0f);
    EXPECT_EQ(stats.modeBest[0], 120);  // raised before the screen shows it
    EXPECT_EQ(layout.best->m_value, 120);
    EXPECT_EQ(layout.badgeScore->m_value, 120);
    EXPECT_EQ(layout.score->m_shownValue, 0.0f);  // counts up from nothing
    EXPECT_TRUE(layout.score->m_countSounds);
    EXPECT_EQ(layout.score->m_newBestLabel, layout.badge);  // revealed when the count ends
    EXPECT_FALSE(layout.badge->GetEnabledProperty()->Get());
    const std::vector<std::pair<std::string, int64_t>> posted = {{"CLASSIC_SCORES", 120},
                                                                 {"CLASSIC_SCORES_WEEKLY", 120}};
    EXPECT_EQ(services.posts, posted);
    EXPECT_EQ(stats.unposted[0], 0);  // online: nothing kept back
    EXPECT_EQ(stats.Get("desperadoGamesFinished"), 1);
    EXPECT_EQ(stats.Get("bean"), 0);  // the game's own statistics are gone
    EXPECT_EQ(stats.waveGameCounts[0][7], 2);

    screen->Open();  // once per screen
    EXPECT_EQ(stats.Get("desperadoGamesFinished"), 1);
    EXPECT_EQ(services.posts.size(), 2u);
}

TEST_F(ResultsScreenTest, BestScoresAndPostsByCase) {
    const struct {
        const char* what;
        int32_t score;
        int32_t best;
        bool online;
        bool boards;
        int32_t unpostedBefore;
        bool newBest;
        int32_t unpostedAfter;
        size_t posts;
    } cases[] = {
        {"beaten", 50, 40, false, true, 0, true, 50, 2},
        {"equalled counts as new", 40, 40, false, true, 0, true, 40, 2},
        {"short of the best", 30, 40, false, true, 0, false, 30, 2},
        {"offline keeps the larger unposted", 30, 40, false, true, 35, false, 35, 2},
        {"no leaderboard service", 30, 40, true, false, 0, false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        services = RecordingServices();
        services.online = c.online;
        services.boards = c.boards;
        layout.score->m_newBestLabel = nullptr;
        GetGameRecord().stats->unposted[0] = c.unpostedBefore;
        Finish(c.score, c.best);
        EXPECT_EQ(layout.score->m_newBestLabel != nullptr, c.newBest);
        EXPECT_EQ(GetGameRecord().stats->unposted[0], c.unpostedAfter);
        EXPECT_EQ(services.posts.size(), c.posts);
    }
}

TEST_F(ResultsScreenTest, AModeWithoutBoardsPostsNothingAndFactsWrap) {
    GetGameRecord().modeIndex = 5;
    Finish(30, 0);
    EXPECT_TRUE(services.posts.empty());
    EXPECT_EQ(GetGameRecord().stats->unposted[0], 0);
    GetGameRecord().modeIndex = 0;

    EXPECT_EQ(ResultsScreen::NextFruitFact(71), 1);
    EXPECT_EQ(ResultsScreen::NextFruitFact(1), 2);
    EXPECT_EQ(ResultsScreen::NextFruitFact(70), 71);
    EXPECT_GE(ResultsScreen::NextFruitFact(-5), 1);  // a damaged count still lands in range
}

// The game's way of opening them: made, opened and added to the list.
class ListHost : public SessionHost {
public:
    ListHost(ScreenList& list, RecordingServices& services, Component* layout)
        : m_list(list), m_services(services), m_layout(layout) {}
    void OpenResultsScreen() override { Open(new ResultsScreen(m_services, m_layout)); }
    void OpenPauseScreen() override { Open(new PauseScreen(m_layout)); }

private:
    void Open(ScreenItem* item) {
        item->Open();
        m_list.Add(item);
    }
    ScreenList& m_list;
    RecordingServices& m_services;
    Component* m_layout;
};

TEST_F(ResultsScreenTest, AGameEndedTwiceShowsOneResultsScreen) {
    ScreenList list;
    ListHost host(list, services, layout.root.get());
    SetSessionHost(&host);
    GameRecord& game = GetGameRecord();
    game.notInPlay = false;
    SetScore(60);
    EndGameAndShowResults(0);
    EndGameAndShowResults(0);
    int results = 0;
    for (int i = 0; i < list.Count(); ++i) {
        results += dynamic_cast<ResultsScreen*>(list.GetAt(i)) != nullptr ? 1 : 0;
    }
    EXPECT_EQ(results, 1);
    EXPECT_EQ(game.stats->Get("desperadoGamesFinished"), 1);
    EXPECT_EQ(services.posts.size(), 2u);

    // A pause screen never leaves on a close request.
    game.notInPlay = false;
    game.paused = false;
    game.bombExplosionTime = 0.0f;
    OpenPauseScreen();
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetAt(1)->RequestClose(), 0);
    EXPECT_TRUE(game.paused);

    list.Clear();
    SetSessionHost(nullptr);
    game.paused = false;
    game.notInPlay = true;
}

}  // namespace
}  // namespace Varnok
