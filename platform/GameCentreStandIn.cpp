// The stand-in's answers: everything is decided when asked and delivered
// through the queue.
#include "platform/GameCentreStandIn.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace Varnok {

namespace {

// Narrow to wide: a score of a narrower scope also shows in a wider one.
int ScopeWidth(GameCentre::TimeScope scope) {
    switch (scope) {
        case GameCentre::TimeScope::Today:
            return 0;
        case GameCentre::TimeScope::Week:
            return 1;
        case GameCentre::TimeScope::AllTime:
            break;
    }
    return 2;
}

GameCentre::Error MakeError(int code) {
    GameCentre::Error error;
    error.code = code;
    switch (code) {
        case GameCentre::kErrorCancelled:
            error.description = "The requested operation has been cancelled.";
            break;
        case GameCentre::kErrorNetwork:
            error.description = "The requested operation could not be completed due to an error communicating with the server.";
            break;
        default:
            error.description = "The requested operation could not be completed (error " + std::to_string(code) + ").";
            break;
    }
    return error;
}

}  // namespace

std::shared_ptr<GameCentreStandIn> GameCentreStandIn::CreateFromSettings() {
    auto standIn = std::make_shared<GameCentreStandIn>();
    if (const char* player = std::getenv("VARNOK_GAMECENTRE_PLAYER"); player != nullptr && *player != '\0') {
        Player signIn;
        const char* comma = std::strchr(player, ',');
        signIn.playerId = comma != nullptr ? std::string(player, comma) : std::string(player);
        signIn.alias = comma != nullptr ? std::string(comma + 1) : signIn.playerId;
        signIn.displayName = signIn.alias;
        standIn->SetSignInPlayer(signIn);
    }
    if (const char* answer = std::getenv("VARNOK_GAMECENTRE_SIGNIN")) {
        static const struct {
            const char* name;
            SignInAnswer answer;
        } kAnswers[] = {{"accept", SignInAnswer::Accept},
                        {"cancel", SignInAnswer::Cancel},
                        {"fail", SignInAnswer::Fail},
                        {"signedout", SignInAnswer::SignedOut}};
        for (const auto& known : kAnswers) {
            if (std::strcmp(answer, known.name) == 0) {
                standIn->SetSignInAnswer(known.answer);
            }
        }
    }
    if (const char* offline = std::getenv("VARNOK_GAMECENTRE_OFFLINE")) {
        standIn->SetOffline(std::strcmp(offline, "1") == 0);
    }
    return standIn;
}

void GameCentreStandIn::SetSignInAnswer(SignInAnswer answer, int errorCode) {
    m_answer = answer;
    m_failCode = errorCode;
}

void GameCentreStandIn::SetSignInPlayer(const Player& player) {
    m_signInPlayer = player;
    AddPlayer(player);
}

void GameCentreStandIn::SignInElsewhere(const Player& player) {
    AddPlayer(player);
    m_localPlayer = player;
    m_authenticated = true;
    if (m_handler) {
        Queue([this] {
            if (m_handler) {
                m_handler(false, nullptr);
            }
        });
    }
}

void GameCentreStandIn::SignOutElsewhere() {
    m_authenticated = false;
    m_localPlayer = Player();
    if (m_handler) {
        Queue([this] {
            if (m_handler) {
                m_handler(false, nullptr);
            }
        });
    }
}

void GameCentreStandIn::SetScore(const std::string& category, const std::string& playerId, int64_t value,
                                 TimeScope scope) {
    std::vector<StoredScore>& board = m_boards[category];
    for (StoredScore& stored : board) {
        if (stored.playerId == playerId) {
            stored.value = value;
            stored.scope = scope;
            return;
        }
    }
    board.push_back(StoredScore{playerId, value, scope});
}

void GameCentreStandIn::SetAchievement(const std::string& identifier, double percentComplete) {
    m_achievements[identifier] = percentComplete;
}

void GameCentreStandIn::FailNext(Operation operation, int code) {
    m_failures[operation].push_back(code);
}

double GameCentreStandIn::GetAchievementPercent(const std::string& identifier) const {
    const auto found = m_achievements.find(identifier);
    return found != m_achievements.end() ? found->second : 0.0;
}

bool GameCentreStandIn::ApplySignInAnswer(Error* outError) {
    if (m_cancelsInARow >= kDisabledAfterCancels && !m_authenticated) {
        ++m_cancelsInARow;
        *outError = MakeError(kErrorCancelled);
        return true;
    }
    switch (m_answer) {
        case SignInAnswer::Accept:
            m_localPlayer = m_signInPlayer;
            m_authenticated = true;
            m_cancelsInARow = 0;
            return false;
        case SignInAnswer::Cancel:
            ++m_cancelsInARow;
            *outError = MakeError(kErrorCancelled);
            return true;
        case SignInAnswer::Fail:
            *outError = MakeError(m_failCode);
            return true;
        case SignInAnswer::SignedOut:
            m_authenticated = false;
            m_localPlayer = Player();
            return false;
    }
    return false;
}

bool GameCentreStandIn::TakeFailure(Operation operation, Error* outError) {
    auto found = m_failures.find(operation);
    if (found != m_failures.end() && !found->second.empty()) {
        *outError = MakeError(found->second.front());
        found->second.pop_front();
        return true;
    }
    if (m_offline) {
        *outError = MakeError(kErrorNetwork);
        return true;
    }
    return false;
}

void GameCentreStandIn::Authenticate(Completion completion) {
    ++m_authenticateCount;
    Queue([this, completion] {
        Error error;
        const bool failed = ApplySignInAnswer(&error);
        if (completion) {
            completion(failed ? &error : nullptr);
        }
    });
}

void GameCentreStandIn::SetAuthenticateHandler(AuthenticateHandler handler) {
    m_handler = std::move(handler);
    if (!m_handler) {
        return;
    }
    ++m_authenticateCount;
    const bool firstHandler = !m_signInViewOffered;
    m_signInViewOffered = true;
    Queue([this, firstHandler] {
        if (!m_handler) {
            return;
        }
        if (m_authenticated) {
            m_handler(false, nullptr);
            return;
        }
        if (!firstHandler) {
            return;
        }
        if (m_signInViewNeeded && m_cancelsInARow < kDisabledAfterCancels) {
            m_handler(true, nullptr);
            return;
        }
        Error error;
        const bool failed = ApplySignInAnswer(&error);
        m_handler(false, failed ? &error : nullptr);
    });
}

void GameCentreStandIn::PresentSignInView() {
    m_signInViewShown = true;
    ++m_signInViewCount;
    Queue([this] {
        m_signInViewShown = false;
        Error error;
        const bool failed = ApplySignInAnswer(&error);
        if (m_handler) {
            m_handler(false, failed ? &error : nullptr);
        }
    });
}

void GameCentreStandIn::LoadFriends(FriendsCompletion completion) {
    ++m_friendLoadCount;
    Error error;
    if (!TakeFailure(Operation::LoadFriends, &error) && m_authenticated) {
        const std::vector<std::string> friends = m_friends;
        Queue([completion, friends] { completion(&friends, nullptr); });
        return;
    }
    if (error.code == 0) {
        error.code = kErrorNotAuthenticated;
        error.description = "The requested operation could not be completed because local player has not been authenticated.";
    }
    Queue([completion, error] { completion(nullptr, &error); });
}

void GameCentreStandIn::LoadPlayers(const std::vector<std::string>& playerIds, PlayersCompletion completion) {
    Error error;
    if (TakeFailure(Operation::LoadPlayers, &error)) {
        Queue([completion, error] { completion(nullptr, &error); });
        return;
    }
    std::vector<Player> players;
    for (const std::string& id : playerIds) {
        const auto found = m_players.find(id);
        if (found != m_players.end()) {
            players.push_back(found->second);
        }
    }
    Queue([completion, players] { completion(&players, nullptr); });
}

void GameCentreStandIn::ReportScore(const Score& score, Completion completion) {
    Error error;
    if (TakeFailure(Operation::ReportScore, &error)) {
        Queue([completion, error] { completion(&error); });
        return;
    }
    m_reportedScores.push_back(score);
    if (m_authenticated) {
        std::vector<StoredScore>& board = m_boards[score.category];
        auto mine = std::find_if(board.begin(), board.end(),
                                 [&](const StoredScore& s) { return s.playerId == m_localPlayer.playerId; });
        if (mine == board.end()) {
            board.push_back(StoredScore{m_localPlayer.playerId, score.value, TimeScope::Today});
        } else if (score.value > mine->value || mine->scope != TimeScope::Today) {
            mine->value = std::max(mine->value, score.value);
            mine->scope = TimeScope::Today;
        }
    }
    Queue([completion] { completion(nullptr); });
}

std::vector<GameCentre::Score> GameCentreStandIn::RankedScores(const ScoreQuery& query) const {
    std::vector<Score> ranked;
    const auto board = m_boards.find(query.category);
    if (board == m_boards.end()) {
        return ranked;
    }
    for (const StoredScore& stored : board->second) {
        if (ScopeWidth(stored.scope) > ScopeWidth(query.timeScope)) {
            continue;
        }
        if (query.playerScope == PlayerScope::Friends &&
            !(m_authenticated && stored.playerId == m_localPlayer.playerId) &&
            std::find(m_friends.begin(), m_friends.end(), stored.playerId) == m_friends.end()) {
            continue;
        }
        ranked.push_back(Score{stored.playerId, query.category, stored.value, 0});
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const Score& a, const Score& b) { return a.value > b.value; });
    for (size_t i = 0; i < ranked.size(); ++i) {
        ranked[i].rank = static_cast<int64_t>(i) + 1;
    }
    return ranked;
}

void GameCentreStandIn::LoadScores(const ScoreQuery& query, ScoresCompletion completion) {
    m_scoreQueries.push_back(query);
    Error error;
    if (TakeFailure(Operation::LoadScores, &error)) {
        Queue([completion, error] { completion(nullptr, &error); });
        return;
    }
    const std::vector<Score> ranked = RankedScores(query);
    ScoreAnswer answer;
    for (const Score& score : ranked) {
        if (m_authenticated && score.playerId == m_localPlayer.playerId) {
            answer.hasLocalPlayerScore = true;
            answer.localPlayerScore = score;
        }
        if (!query.playerIds.empty()) {
            if (std::find(query.playerIds.begin(), query.playerIds.end(), score.playerId) != query.playerIds.end() &&
                static_cast<int>(answer.scores.size()) < query.rangeLength) {
                answer.scores.push_back(score);
            }
        } else if (score.rank >= query.rangeStart && score.rank < int64_t{query.rangeStart} + query.rangeLength) {
            answer.scores.push_back(score);
        }
    }
    if (m_authenticated && !answer.hasLocalPlayerScore) {
        answer.hasLocalPlayerScore = true;
        answer.localPlayerScore = Score{m_localPlayer.playerId, query.category, 0, 0};
    }
    Queue([completion, answer] { completion(&answer, nullptr); });
}

void GameCentreStandIn::LoadAchievements(AchievementsCompletion completion) {
    ++m_achievementLoadCount;
    Error error;
    if (TakeFailure(Operation::LoadAchievements, &error)) {
        Queue([completion, error] { completion(nullptr, &error); });
        return;
    }
    std::vector<Achievement> achievements;
    for (const auto& [identifier, percent] : m_achievements) {
        achievements.push_back(Achievement{identifier, percent});
    }
    Queue([completion, achievements] { completion(&achievements, nullptr); });
}

void GameCentreStandIn::ReportAchievements(const std::vector<Achievement>& achievements, Completion completion) {
    Error error;
    if (TakeFailure(Operation::ReportAchievements, &error)) {
        Queue([completion, error] { completion(&error); });
        return;
    }
    m_achievementReports.push_back(achievements);
    for (const Achievement& achievement : achievements) {
        double& kept = m_achievements[achievement.identifier];
        kept = std::max(kept, achievement.percentComplete);
    }
    Queue([completion] { completion(nullptr); });
}

void GameCentreStandIn::ReportAchievement(const Achievement& achievement, Completion completion) {
    ReportAchievements({achievement}, std::move(completion));
}

void GameCentreStandIn::PresentScreen(Screen screen, const std::string& category, bool /*animated*/,
                                      std::function<void()> onFinished) {
    m_screenShown = true;
    m_shownScreen = screen;
    m_shownCategory = category;
    m_onScreenFinished = std::move(onFinished);
    ++m_presentCount;
}

void GameCentreStandIn::DismissScreen(bool /*animated*/) {
    m_screenShown = false;
    m_onScreenFinished = nullptr;
}

bool GameCentreStandIn::FinishScreen() {
    if (!m_screenShown) {
        return false;
    }
    std::function<void()> finished = m_onScreenFinished;
    Queue([finished] {
        if (finished) {
            finished();
        }
    });
    return true;
}

void GameCentreStandIn::DeliverCompletions() {
    // Work queued while delivering waits for the next turn.
    size_t count = m_queue.size();
    while (count-- > 0 && !m_queue.empty()) {
        std::function<void()> work = std::move(m_queue.front());
        m_queue.pop_front();
        work();
    }
}

}  // namespace Varnok
