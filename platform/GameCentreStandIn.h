// A game network on this machine for the Game Center provider: one local
// player who signs in as the script says, known players and friends, scores
// kept per board with their time scope, achievements, and screens that stay
// up until the player (the script) finishes them. Completions wait in a
// queue until DeliverCompletions, as the real network's arrive on a later
// turn of the main queue. Failures can be scripted per operation, and
// offline every network operation fails. Main thread only.
#pragma once

#include "providers/Provider_GameCenter/GameCentre.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class GameCentreStandIn final : public GameCentre {
public:
    static constexpr int kDisabledAfterCancels = 3;

    // What the player does when asked to sign in.
    enum class SignInAnswer { Accept, Cancel, Fail, SignedOut };
    enum class Operation { LoadFriends, LoadPlayers, ReportScore, LoadScores, LoadAchievements, ReportAchievements };

    // A stand-in as the settings describe it: VARNOK_GAMECENTRE_PLAYER
    // ("playerId" or "playerId,alias") is who signs in, VARNOK_GAMECENTRE_SIGNIN
    // ("accept", "cancel", "fail", "signedout") what the player answers, and
    // VARNOK_GAMECENTRE_OFFLINE=1 takes the network away. Unset: an accepting
    // player "G:1000".
    static std::shared_ptr<GameCentreStandIn> CreateFromSettings();

    // ---- The script ----
    void SetAvailable(bool available) { m_available = available; }
    // Every network operation then fails with kErrorNetwork.
    void SetOffline(bool offline) { m_offline = offline; }
    void SetUncontrolledView(bool uncontrolled) { m_uncontrolledView = uncontrolled; }
    // Kept for every sign-in until changed; Fail answers with errorCode.
    void SetSignInAnswer(SignInAnswer answer, int errorCode = 1);
    // Who an accepted sign-in signs in; also made a known player.
    void SetSignInPlayer(const Player& player);
    // From system 6.0: whether the handler is first asked to present the
    // sign-in view (true at start) or settles at once. As on the device the
    // view is offered once per run, at the first handler; a later handler
    // hears only of a signed-in player.
    void SetSignInViewNeeded(bool needed) { m_signInViewNeeded = needed; }
    // Cancels in a row so far (a sign-in resets them). From the third on the
    // network offers no sign-in any more: it answers as if cancelled.
    void SetCancelsInARow(int count) { m_cancelsInARow = count; }
    int GetCancelsInARow() const { return m_cancelsInARow; }
    // The player signs in or out elsewhere (the settings application); a
    // kept handler hears of it.
    void SignInElsewhere(const Player& player);
    void SignOutElsewhere();

    void AddPlayer(const Player& player) { m_players[player.playerId] = player; }
    void SetFriends(std::vector<std::string> playerIds) { m_friends = std::move(playerIds); }
    // A score on the board; scope is the narrowest time scope it falls in
    // (Today: it shows in every scope). Replaces the player's earlier one.
    void SetScore(const std::string& category, const std::string& playerId, int64_t value,
                  TimeScope scope = TimeScope::Today);
    void SetAchievement(const std::string& identifier, double percentComplete);
    // The next call of the operation fails with the code (queued per
    // operation; ReportAchievements covers the single reports too).
    void FailNext(Operation operation, int code);

    // The player closes the screen on display: its finish callback is queued.
    // False when no screen is up.
    bool FinishScreen();

    // ---- What the game did ----
    bool IsSignInViewShown() const { return m_signInViewShown; }
    int GetSignInViewCount() const { return m_signInViewCount; }
    int GetAuthenticateCount() const { return m_authenticateCount; }
    bool IsScreenShown() const { return m_screenShown; }
    Screen GetShownScreen() const { return m_shownScreen; }
    const std::string& GetShownCategory() const { return m_shownCategory; }
    int GetPresentCount() const { return m_presentCount; }
    const std::vector<Score>& GetReportedScores() const { return m_reportedScores; }
    // One entry per report call: a batch, or a single achievement.
    const std::vector<std::vector<Achievement>>& GetAchievementReports() const { return m_achievementReports; }
    const std::vector<ScoreQuery>& GetScoreQueries() const { return m_scoreQueries; }
    int GetFriendLoadCount() const { return m_friendLoadCount; }
    int GetAchievementLoadCount() const { return m_achievementLoadCount; }
    double GetAchievementPercent(const std::string& identifier) const;
    int GetPendingCount() const { return static_cast<int>(m_queue.size()); }

    // ---- GameCentre ----
    bool IsAvailable() const override { return m_available; }
    bool IsLocalPlayerAuthenticated() const override { return m_authenticated; }
    std::string GetLocalPlayerId() const override { return m_authenticated ? m_localPlayer.playerId : ""; }
    std::string GetLocalPlayerDisplayName() const override {
        return m_authenticated ? m_localPlayer.displayName : "";
    }
    void Authenticate(Completion completion) override;
    bool HasAuthenticateHandler() const override { return static_cast<bool>(m_handler); }
    void SetAuthenticateHandler(AuthenticateHandler handler) override;
    void PresentSignInView() override;
    void LoadFriends(FriendsCompletion completion) override;
    void LoadPlayers(const std::vector<std::string>& playerIds, PlayersCompletion completion) override;
    void ReportScore(const Score& score, Completion completion) override;
    void LoadScores(const ScoreQuery& query, ScoresCompletion completion) override;
    void LoadAchievements(AchievementsCompletion completion) override;
    void ReportAchievements(const std::vector<Achievement>& achievements, Completion completion) override;
    void ReportAchievement(const Achievement& achievement, Completion completion) override;
    void PresentScreen(Screen screen, const std::string& category, bool animated,
                       std::function<void()> onFinished) override;
    void DismissScreen(bool animated) override;
    bool HasUncontrolledView() const override { return m_uncontrolledView; }
    void DeliverCompletions() override;

private:
    struct StoredScore {
        std::string playerId;
        int64_t value = 0;
        TimeScope scope = TimeScope::Today;
    };

    // The scripted answer applied to the local player; the error it gives,
    // or false with none.
    bool ApplySignInAnswer(Error* outError);
    // A scripted failure or the offline one for the operation.
    bool TakeFailure(Operation operation, Error* outError);
    void Queue(std::function<void()> work) { m_queue.push_back(std::move(work)); }
    // The board's scores in the query's scopes, ranked.
    std::vector<Score> RankedScores(const ScoreQuery& query) const;

    bool m_available = true;
    bool m_offline = false;
    bool m_uncontrolledView = false;
    SignInAnswer m_answer = SignInAnswer::Accept;
    int m_failCode = 1;
    bool m_signInViewNeeded = true;
    bool m_signInViewOffered = false;
    int m_cancelsInARow = 0;
    Player m_signInPlayer{"G:1000", "Player", "Player"};
    bool m_authenticated = false;
    Player m_localPlayer;
    AuthenticateHandler m_handler;

    std::map<std::string, Player> m_players;
    std::vector<std::string> m_friends;
    std::map<std::string, std::vector<StoredScore>> m_boards;  // by category, in arrival order
    std::map<std::string, double> m_achievements;
    std::map<Operation, std::deque<int>> m_failures;

    bool m_signInViewShown = false;
    int m_signInViewCount = 0;
    int m_authenticateCount = 0;
    bool m_screenShown = false;
    Screen m_shownScreen = Screen::Achievements;
    std::string m_shownCategory;
    std::function<void()> m_onScreenFinished;
    int m_presentCount = 0;
    std::vector<Score> m_reportedScores;
    std::vector<std::vector<Achievement>> m_achievementReports;
    std::vector<ScoreQuery> m_scoreQueries;
    int m_friendLoadCount = 0;
    int m_achievementLoadCount = 0;

    std::deque<std::function<void()>> m_queue;
};

}  // namespace Varnok
