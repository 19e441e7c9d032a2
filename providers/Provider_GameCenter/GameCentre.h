// What the Game Center provider needs of the platform's game network: the
// local player and its sign-in, friends and players, scores and leaderboard
// queries, achievements, and the network's own screens. platform/ has a
// stand-in; tests install their own. Every completion is queued and runs
// later, on the main thread, when DeliverCompletions drains the queue (the
// provider does so once per frame), never inside the call that asked.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class GameCentre {
public:
    static constexpr int kErrorCancelled = 2;  // the player cancelled the sign-in
    static constexpr int kErrorNetwork = 3;    // the network could not be reached
    static constexpr int kErrorNotAuthenticated = 6;

    struct Error {
        int code = 0;
        std::string description;
    };
    struct Player {
        std::string playerId;
        std::string alias;
        std::string displayName;
    };
    enum class TimeScope { Today, Week, AllTime };
    enum class PlayerScope { Global, Friends };
    struct Score {
        std::string playerId;
        std::string category;
        int64_t value = 0;
        int64_t rank = 0;  // 1-based; 0 in a report
    };
    // A leaderboard query. With player ids only those players' scores come
    // back (ranks stay those of the whole scope).
    struct ScoreQuery {
        std::string category;
        PlayerScope playerScope = PlayerScope::Global;
        TimeScope timeScope = TimeScope::AllTime;
        int rangeStart = 1;  // 1-based rank of the first score
        int rangeLength = 25;
        std::vector<std::string> playerIds;
    };
    struct ScoreAnswer {
        std::vector<Score> scores;  // by rank
        bool hasLocalPlayerScore = false;
        Score localPlayerScore;  // rank 0 when the local player has none
    };
    struct Achievement {
        std::string identifier;
        double percentComplete = 0.0;
    };
    enum class Screen { Leaderboard, Achievements, FriendRequest };

    // error is null on success.
    using Completion = std::function<void(const Error* error)>;
    // From system 6.0: signInView is true when the network asks the game to
    // present its sign-in view; otherwise the sign-in has settled.
    using AuthenticateHandler = std::function<void(bool signInView, const Error* error)>;
    using FriendsCompletion = std::function<void(const std::vector<std::string>* playerIds, const Error* error)>;
    using PlayersCompletion = std::function<void(const std::vector<Player>* players, const Error* error)>;
    using ScoresCompletion = std::function<void(const ScoreAnswer* answer, const Error* error)>;
    using AchievementsCompletion =
        std::function<void(const std::vector<Achievement>* achievements, const Error* error)>;

    virtual ~GameCentre() = default;

    // The installed game network; null when none is (no game network at all).
    static GameCentre* Get();
    // Replaces the installed one; null removes it. At start-up or in tests.
    static void Install(std::shared_ptr<GameCentre> gameCentre);

    // False when the system has no game network (the local-player class is missing).
    virtual bool IsAvailable() const = 0;

    // ---- The local player ----
    virtual bool IsLocalPlayerAuthenticated() const = 0;
    // Empty while nobody is signed in.
    virtual std::string GetLocalPlayerId() const = 0;
    virtual std::string GetLocalPlayerDisplayName() const = 0;
    // The sign-in before system 6.0: the system shows its own sign-in.
    virtual void Authenticate(Completion completion) = 0;
    // From system 6.0. The handler is kept and called at every change.
    virtual bool HasAuthenticateHandler() const = 0;
    virtual void SetAuthenticateHandler(AuthenticateHandler handler) = 0;
    // Puts the sign-in view the handler asked for on screen; the player's
    // answer reaches the handler.
    virtual void PresentSignInView() = 0;
    virtual void LoadFriends(FriendsCompletion completion) = 0;
    virtual void LoadPlayers(const std::vector<std::string>& playerIds, PlayersCompletion completion) = 0;

    // ---- Scores and achievements ----
    virtual void ReportScore(const Score& score, Completion completion) = 0;
    virtual void LoadScores(const ScoreQuery& query, ScoresCompletion completion) = 0;
    virtual void LoadAchievements(AchievementsCompletion completion) = 0;
    // One report for the whole list (system 6.0 and later).
    virtual void ReportAchievements(const std::vector<Achievement>& achievements, Completion completion) = 0;
    virtual void ReportAchievement(const Achievement& achievement, Completion completion) = 0;

    // ---- Screens ----
    // Presents the screen over the game (animated unless told otherwise);
    // onFinished runs when the player closes it. category: the leaderboard
    // screen's board, empty for the default one.
    virtual void PresentScreen(Screen screen, const std::string& category, bool animated,
                               std::function<void()> onFinished) = 0;
    // Takes the screen on display away; nothing when there is none.
    virtual void DismissScreen(bool animated) = 0;
    // True when the game's view sits straight in the window, without a view
    // controller, so screens are presented over a root installed for them.
    virtual bool HasUncontrolledView() const = 0;

    // Runs the completions queued before this call, in order.
    virtual void DeliverCompletions() = 0;
};

}  // namespace Varnok
