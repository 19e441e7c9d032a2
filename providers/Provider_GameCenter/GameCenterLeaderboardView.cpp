#include "providers/Provider_GameCenter/GameCenterLeaderboardView.h"

#include "engine/core/NetworkAvailabilityMonitor.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/User.h"
#include "providers/Provider_GameCenter/GameCenterLeaderboardService.h"
#include "providers/Provider_GameCenter/LoginService_GameCenter.h"
#include "providers/Provider_GameCenter/Provider_GameCenter.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace Varnok {

namespace {

using Error = LeaderboardErrorType;
using Status = LeaderboardDownloadStatus;

const char* GameCenterId(const User* user) {
    return user != nullptr ? user->GetId(LoginService_GameCenter::kUserIdKey) : nullptr;
}

}  // namespace

// ---- Players and pages ----

const char* GameCenterPlayer::GetId(const char* serviceName) const {
    if (serviceName == nullptr || std::strcmp(serviceName, LoginService_GameCenter::kUserIdKey) == 0 ||
        Provider_GameCenter::GetProviderName().Equals(AsciiString(serviceName))) {
        return m_playerId.c_str();
    }
    return m_user != nullptr ? m_user->GetId(serviceName) : nullptr;
}

GameCenterLeaderboardPage::GameCenterLeaderboardPage(GameCenterLeaderboardView* view, int pageNumber,
                                                     int pageSize, int options, LeaderboardPageDelegate onPage)
    : m_view(view), m_pageNumber(pageNumber), m_pageSize(pageSize), m_options(options), m_onPage(onPage) {}

const char* GameCenterLeaderboardPage::GetLeaderboardId() const {
    return m_view->GetLeaderboard()->GetId();
}

const char* GameCenterLeaderboardPage::GetProviderId() const {
    return m_view->GetLeaderboard()->GetProviderId();
}

const ILeaderboardEntry* GameCenterLeaderboardPage::GetEntry(int index) const {
    if (index < 0 || index >= GetEntryCount()) {
        return nullptr;
    }
    return m_entries[static_cast<size_t>(index)].get();
}

// ---- The view ----

GameCenterLeaderboardView::GameCenterLeaderboardView(Provider_GameCenter* provider,
                                                     GameCenterLeaderboard* leaderboard,
                                                     LeaderboardGlobality globality, LeaderboardTimeSpan timeSpan)
    : m_provider(provider), m_leaderboard(leaderboard), m_globality(globality), m_timeSpan(timeSpan) {}

GameCenterLeaderboardView::~GameCenterLeaderboardView() = default;

const User* GameCenterLeaderboardView::CurrentUser() const {
    ServiceManager* manager = m_provider != nullptr ? m_provider->GetManager() : nullptr;
    return manager != nullptr ? manager->GetCurrentUser() : nullptr;
}

GameCentre::ScoreQuery GameCenterLeaderboardView::MakeQuery() const {
    GameCentre::ScoreQuery query;
    query.category = m_leaderboard->GetProviderId();
    switch (m_timeSpan) {
        case LeaderboardTimeSpan::ThisWeek:
            query.timeScope = GameCentre::TimeScope::Week;
            break;
        case LeaderboardTimeSpan::Today:
            query.timeScope = GameCentre::TimeScope::Today;
            break;
        default:
            query.timeScope = GameCentre::TimeScope::AllTime;
            break;
    }
    query.playerScope = m_globality != LeaderboardGlobality::Everybody ? GameCentre::PlayerScope::Friends
                                                                       : GameCentre::PlayerScope::Global;
    return query;
}

GameCenterLeaderboardPage* GameCenterLeaderboardView::FindPage(int pageNumber) const {
    for (const auto& page : m_pages) {
        if (page->m_pageNumber == pageNumber) {
            return page.get();
        }
    }
    return nullptr;
}

GameCenterLeaderboardPage* GameCenterLeaderboardView::AddPage(int pageNumber, int pageSize, int options,
                                                              LeaderboardPageDelegate onPage) {
    m_pages.push_back(std::make_unique<GameCenterLeaderboardPage>(
        this, pageNumber, std::min(pageSize, kMaxPageSize), options, onPage));
    return m_pages.back().get();
}

void GameCenterLeaderboardView::ReleaseFriends() {
    m_friendsLoaded = false;
    m_friends.clear();
}

void GameCenterLeaderboardView::RequestPage(int pageNumber, int pageSize, int options,
                                            LeaderboardPageDelegate onPage, bool force) {
    GameCenterLeaderboardPage* found = FindPage(pageNumber);
    const GameCentre* gameCentre = GameCentre::Get();
    if (gameCentre == nullptr || !gameCentre->IsLocalPlayerAuthenticated()) {
        onPage(Error::UnknownLeaderboard, nullptr, Status::NotStarted);
        return;
    }
    if (found != nullptr) {
        if (found->m_loading) {
            onPage(Error::AlreadyLoading, found, Status::Started);
            return;
        }
        if (!force) {
            onPage(Error::Success, found, Status::Finished);
            return;
        }
        m_pages.erase(std::find_if(m_pages.begin(), m_pages.end(),
                                   [found](const auto& page) { return page.get() == found; }));
        ReleaseFriends();
    }
    GameCenterLeaderboardPage* page = AddPage(pageNumber, pageSize, options, onPage);
    onPage(Error::Success, page, Status::Started);
    LoadPage(page);
}

void GameCenterLeaderboardView::RequestPageForUser(const User* user, int pageSize, int options,
                                                   LeaderboardPageDelegate onPage, bool force) {
    const char* playerId = GameCenterId(user);
    if (playerId == nullptr) {
        onPage(Error::UnknownLeaderboard, nullptr, Status::NotStarted);
        return;
    }
    const int size = std::min(pageSize, kMaxPageSize);
    const auto known = m_rankByUser.find(user);
    if (known != m_rankByUser.end()) {
        if (!force && size > 0) {
            RequestPage(static_cast<int>((known->second - 1) / size + 1), size, options, onPage, false);
            return;
        }
        m_rankByUser.erase(known);
        ReleaseFriends();
    }
    GameCenterLeaderboardPage* page = AddPage(0, size, options, onPage);
    onPage(Error::Success, page, Status::Started);
    LocateUser(page, user, playerId);
}

void GameCenterLeaderboardView::RequestNextPage(const ILeaderboardPage* page, LeaderboardPageDelegate onPage) {
    const auto* own = dynamic_cast<const GameCenterLeaderboardPage*>(page);
    if (own == nullptr) {
        onPage(Error::UnknownLeaderboard, nullptr, Status::NotStarted);
        return;
    }
    RequestPage(own->m_pageNumber + 1, own->m_pageSize, own->m_options, own->m_onPage, false);
}

void GameCenterLeaderboardView::RequestPreviousPage(const ILeaderboardPage* page,
                                                    LeaderboardPageDelegate onPage) {
    const auto* own = dynamic_cast<const GameCenterLeaderboardPage*>(page);
    if (own == nullptr || own->m_pageNumber <= 1) {
        onPage(Error::UnknownLeaderboard, nullptr, Status::NotStarted);
        return;
    }
    RequestPage(own->m_pageNumber - 1, own->m_pageSize, own->m_options, own->m_onPage, false);
}

void GameCenterLeaderboardView::GetUserScore(const User* user, LeaderboardValueDelegate onValue) {
    RequestPlayerValue(user, onValue, false);
}

void GameCenterLeaderboardView::GetUserRank(const User* user, LeaderboardValueDelegate onValue) {
    RequestPlayerValue(user, onValue, true);
}

void GameCenterLeaderboardView::RequestPlayerValue(const User* user, LeaderboardValueDelegate onValue, bool rank) {
    if (m_timeSpan == LeaderboardTimeSpan::LastWeek || m_timeSpan == LeaderboardTimeSpan::Yesterday) {
        onValue(Error::TimeSpanNotSupported, 0);
        return;
    }
    const char* playerId = GameCenterId(user);
    if (playerId == nullptr) {
        onValue(Error::NothingToShow, 0);
        return;
    }
    GameCentre* gameCentre = GameCentre::Get();
    if (IsNetworkReachable() == kNetworkNotReachable || gameCentre == nullptr) {
        onValue(Error::NetworkUnreachable, 0);
        return;
    }
    GameCentre::ScoreQuery query = MakeQuery();
    // The score is asked of everybody; the rank within the view's players.
    if (!rank) {
        query.playerScope = GameCentre::PlayerScope::Global;
    }
    query.playerIds = {playerId};
    query.rangeStart = 1;
    query.rangeLength = 1;
    const std::string wanted = playerId;
    const std::weak_ptr<int> alive = m_alive;
    gameCentre->LoadScores(query, [alive, onValue, wanted, rank](const GameCentre::ScoreAnswer* answer,
                                                                 const GameCentre::Error* error) {
        if (alive.expired()) {
            return;
        }
        if (error != nullptr || answer == nullptr) {
            onValue(Error::ServiceError, 0);
            return;
        }
        for (const GameCentre::Score& score : answer->scores) {
            if (score.playerId == wanted) {
                onValue(Error::Success, rank ? score.rank : score.value);
            }
        }
    });
}

void GameCenterLeaderboardView::LoadPage(GameCenterLeaderboardPage* page) {
    page->m_loading = true;
    GameCentre* gameCentre = GameCentre::Get();
    if (IsNetworkReachable() == kNetworkNotReachable || gameCentre == nullptr) {
        Finish(page, Error::NetworkUnreachable, Status::Finished);
        return;
    }
    GameCentre::ScoreQuery query = MakeQuery();
    query.rangeStart = page->m_pageSize * (page->m_pageNumber - 1) + 1;
    query.rangeLength = page->m_pageSize;
    const std::weak_ptr<int> alive = m_alive;
    gameCentre->LoadScores(query, [this, alive, page](const GameCentre::ScoreAnswer* answer,
                                                      const GameCentre::Error* error) {
        if (alive.expired()) {
            return;
        }
        if (error != nullptr || answer == nullptr) {
            Finish(page, Error::ServiceError, Status::Finished);
            return;
        }
        if (!answer->scores.empty()) {
            OnScoresLoaded(page, answer->scores);
            return;
        }
        if (!m_friends.empty() && (page->m_options & kIncludeFriendsWithNoScore) != 0) {
            AddFriendsWithoutScores(page);
            return;
        }
        Finish(page, Error::NothingToShow, Status::Finished);
    });
}

void GameCenterLeaderboardView::OnScoresLoaded(GameCenterLeaderboardPage* page,
                                               const std::vector<GameCentre::Score>& scores) {
    GameCentre* gameCentre = GameCentre::Get();
    std::vector<std::string> playerIds;
    for (const GameCentre::Score& score : scores) {
        playerIds.push_back(score.playerId);
    }
    const std::weak_ptr<int> alive = m_alive;
    gameCentre->LoadPlayers(playerIds, [this, alive, page, scores](const std::vector<GameCentre::Player>* players,
                                                                   const GameCentre::Error* error) {
        if (alive.expired()) {
            return;
        }
        if (error != nullptr || players == nullptr) {
            Finish(page, Error::ServiceError, Status::Finished);
            return;
        }
        std::map<std::string, const GameCentre::Player*> byId;
        for (const GameCentre::Player& player : *players) {
            byId[player.playerId] = &player;
        }
        const User* current = CurrentUser();
        const char* currentId = GameCenterId(current);
        for (const GameCentre::Score& score : scores) {
            const auto found = byId.find(score.playerId);
            if (found == byId.end()) {
                continue;
            }
            const User* user = currentId != nullptr && score.playerId == currentId ? current : nullptr;
            page->m_entries.push_back(std::make_unique<GameCenterLeaderboardEntry>(
                GameCenterPlayer(score.playerId, found->second->alias, user), score.value, score.rank));
        }
        if ((page->m_options & kIncludeFriendsWithNoScore) != 0) {
            AddFriendsWithoutScores(page);
            return;
        }
        SortAndFinish(page, Error::Success);
    });
}

void GameCenterLeaderboardView::AddFriendsWithoutScores(GameCenterLeaderboardPage* page) {
    GameCentre* gameCentre = GameCentre::Get();
    if (CurrentUser() == nullptr || gameCentre == nullptr) {
        SortAndFinish(page, Error::ServiceError);
        return;
    }
    if (m_friendsLoaded) {
        AppendScorelessFriends(page);
        return;
    }
    const std::weak_ptr<int> alive = m_alive;
    gameCentre->LoadFriends([this, alive, page](const std::vector<std::string>* playerIds,
                                                const GameCentre::Error* error) {
        if (alive.expired()) {
            return;
        }
        if (error != nullptr || playerIds == nullptr) {
            SortAndFinish(page, Error::ServiceError);
            return;
        }
        m_friends = *playerIds;
        m_friendsLoaded = true;
        AppendScorelessFriends(page);
    });
}

void GameCenterLeaderboardView::AppendScorelessFriends(GameCenterLeaderboardPage* page) {
    GameCentre* gameCentre = GameCentre::Get();
    if (page->GetEntryCount() >= page->m_pageSize || m_friends.empty() || gameCentre == nullptr) {
        SortAndFinish(page, Error::Success);
        return;
    }
    GameCentre::ScoreQuery query = MakeQuery();
    query.playerIds = m_friends;
    query.rangeStart = 1;
    query.rangeLength = static_cast<int>(m_friends.size());
    const std::weak_ptr<int> alive = m_alive;
    gameCentre->LoadScores(query, [this, alive, page](const GameCentre::ScoreAnswer* answer,
                                                      const GameCentre::Error* error) {
        if (alive.expired()) {
            return;
        }
        if (error != nullptr || answer == nullptr) {
            SortAndFinish(page, Error::ServiceError);
            return;
        }
        for (const GameCentre::Score& score : answer->scores) {
            m_friends.erase(std::remove(m_friends.begin(), m_friends.end(), score.playerId), m_friends.end());
        }
        GameCentre* network = GameCentre::Get();
        if (m_friends.empty() || network == nullptr) {
            SortAndFinish(page, Error::Success);
            return;
        }
        network->LoadPlayers(m_friends, [this, alive, page](const std::vector<GameCentre::Player>* players,
                                                            const GameCentre::Error* playersError) {
            if (alive.expired()) {
                return;
            }
            if (playersError != nullptr || players == nullptr) {
                SortAndFinish(page, Error::ServiceError);
                return;
            }
            for (const GameCentre::Player& player : *players) {
                if (page->GetEntryCount() >= page->m_pageSize) {
                    break;
                }
                const int64_t rank = int64_t{page->m_pageSize} * (page->m_pageNumber - 1) + page->GetEntryCount() + 1;
                page->m_entries.push_back(std::make_unique<GameCenterLeaderboardEntry>(
                    GameCenterPlayer(player.playerId, player.alias, nullptr), 0, rank));
            }
            SortAndFinish(page, Error::Success);
        });
    });
}

void GameCenterLeaderboardView::LocateUser(GameCenterLeaderboardPage* page, const User* user, std::string playerId) {
    page->m_loading = true;
    GameCentre* gameCentre = GameCentre::Get();
    if (gameCentre == nullptr) {
        Finish(page, Error::ServiceError, Status::Finished);
        return;
    }
    GameCentre::ScoreQuery query = MakeQuery();
    query.playerIds = {std::move(playerId)};
    query.rangeStart = 1;
    query.rangeLength = 2;
    const std::weak_ptr<int> alive = m_alive;
    gameCentre->LoadScores(query, [this, alive, page, user](const GameCentre::ScoreAnswer* answer,
                                                            const GameCentre::Error* error) {
        if (alive.expired()) {
            return;
        }
        if (error != nullptr || answer == nullptr) {
            Finish(page, Error::ServiceError, Status::Finished);
            return;
        }
        const int64_t rank = answer->hasLocalPlayerScore ? answer->localPlayerScore.rank : 0;
        m_rankByUser.emplace(user, rank);  // an earlier rank stays
        // A player without a score (rank 0) lands on page 1.
        page->m_pageNumber = page->m_pageSize > 0 ? static_cast<int>((rank - 1) / page->m_pageSize + 1) : 1;
        page->m_loading = false;
        LoadPage(page);
    });
}

void GameCenterLeaderboardView::SortAndFinish(GameCenterLeaderboardPage* page, LeaderboardErrorType error) {
    std::stable_sort(page->m_entries.begin(), page->m_entries.end(),
              [](const auto& a, const auto& b) { return a->GetScore() > b->GetScore(); });
    Finish(page, error, Status::Finished);
}

void GameCenterLeaderboardView::Finish(GameCenterLeaderboardPage* page, LeaderboardErrorType error,
                                       LeaderboardDownloadStatus status) {
    if (status != Status::Started) {
        page->m_loading = false;
    }
    // A copy: the delegate may ask for the page again and replace it.
    const LeaderboardPageDelegate onPage = page->m_onPage;
    onPage(error, page, status);
}

}  // namespace Varnok
