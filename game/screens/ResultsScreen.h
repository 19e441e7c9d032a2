// The game-over screen over the "results" layout. Opening it closes the
// finished game's books in one go: the counted score, the best score and
// its badge, the score posted (or kept for later when the leaderboards are
// offline), the finished-games count and the per-game statistics cleared.
// The game flow makes one per finished game. Main thread only.
#pragma once

#include "game/screens/MenuScreen.h"

#include <cstdint>

namespace Varnok {

class ComponentScore;
class ComponentTextValue;

// What the results screen reaches outside the game: the leaderboards. The
// defaults are offline and post nothing; the game installs the services'.
class ResultsServices {
public:
    virtual ~ResultsServices() = default;
    virtual bool IsLeaderboardOnline() { return false; }
    // False when there is no leaderboard service to post to.
    virtual bool PostScore(const char* leaderboardId, int64_t score) {
        (void)leaderboardId;
        (void)score;
        return false;
    }
};

class ResultsScreen : public MenuScreen {
public:
    static constexpr const char* kLayoutName = "results";
    static constexpr float kMenuPhaseOpen = 1.0f;

    // The layout "results" is shown unless a layout root is given (tests).
    // The mode's best score takes this game's score at once.
    explicit ResultsScreen(ResultsServices& services, Component* layout = nullptr);
    ~ResultsScreen() override;

    // The end-of-game sequence; runs once per screen.
    void Open() override;
    void Update(float stepSeconds) override;
    void Render(const float /*tint*/[3]) override {}
    void RenderBack(const float /*tint*/[3]) override {}

    // "CLASSIC_SCORES", "NEW_MODE_SCORES"; null for any other mode.
    static const char* LeaderboardIdForMode(int mode);
    static const char* WeeklyLeaderboardIdForMode(int mode);
    // The fruit fact after n (1..71, 71 wraps to 1).
    static int NextFruitFact(int last);

    ComponentScore* GetScoreLabel() const { return m_scoreLabel; }
    bool IsOpened() const { return m_opened; }

private:
    void ShowBestScore(int32_t score);
    void ShowFruitFact();
    void PostScore(int32_t score);
    void CountFinishedGame();

    ResultsServices& m_services;
    ComponentScore* m_scoreLabel = nullptr;      // in the layout; may be null
    ComponentTextValue* m_bestLabel = nullptr;   // may be null
    Component* m_newBest = nullptr;              // may be null
    bool m_opened = false;
};

}  // namespace Varnok
