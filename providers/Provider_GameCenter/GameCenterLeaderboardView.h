// One Game Center leaderboard seen by everybody or by friends over one time
// span: pages of ranked entries loaded on request and kept until a forced
// request replaces them, the player's own page found through the player's
// rank, friends without a score appended on request, and one player's score
// or rank. Pages and their entries belong to the view. Main thread only.
#pragma once

#include "engine/services/ServiceTypes.h"
#include "providers/Provider_GameCenter/GameCentre.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class GameCenterLeaderboard;
class GameCenterLeaderboardView;
class Provider_GameCenter;

class GameCenterPlayer final : public IPlayer {
public:
    // user: the engine user when this player is the current one, else null.
    GameCenterPlayer(std::string playerId, std::string alias, const User* user)
        : m_playerId(std::move(playerId)), m_alias(std::move(alias)), m_user(user) {}

    // Null, the provider's name and "GCUserID" give the Game Center id;
    // another service's id comes from the engine user when there is one.
    const char* GetId(const char* serviceName) const override;
    const char* GetDisplayName() const override { return m_alias.c_str(); }
    const User* GetUser() const { return m_user; }

private:
    std::string m_playerId;
    std::string m_alias;
    const User* m_user;
};

class GameCenterLeaderboardEntry final : public ILeaderboardEntry {
public:
    GameCenterLeaderboardEntry(GameCenterPlayer player, int64_t score, int64_t rank)
        : m_player(std::move(player)), m_score(score), m_rank(rank) {}

    int64_t GetScore() const override { return m_score; }
    int64_t GetRank() const override { return m_rank; }
    const char* GetText() const override { return nullptr; }
    const IPlayer* GetPlayer() const override { return &m_player; }

private:
    GameCenterPlayer m_player;
    int64_t m_score;
    int64_t m_rank;
};

class GameCenterLeaderboardPage final : public ILeaderboardPage {
public:
    GameCenterLeaderboardPage(GameCenterLeaderboardView* view, int pageNumber, int pageSize, int options,
                              LeaderboardPageDelegate onPage);

    const char* GetLeaderboardId() const override;
    const char* GetProviderId() const override;
    int GetPageNumber() const override { return m_pageNumber; }
    int GetOptions() const override { return m_options; }
    int GetEntryCount() const override { return static_cast<int>(m_entries.size()); }
    const ILeaderboardEntry* GetEntry(int index) const override;
    const LeaderboardPageDelegate& GetCallback() const override { return m_onPage; }

    int GetPageSize() const { return m_pageSize; }
    bool IsLoading() const { return m_loading; }
    GameCenterLeaderboardView* GetView() const { return m_view; }

private:
    friend class GameCenterLeaderboardView;

    GameCenterLeaderboardView* m_view;
    std::vector<std::unique_ptr<GameCenterLeaderboardEntry>> m_entries;
    int m_pageNumber;  // 1-based; 0 while the page around a user is located
    int m_pageSize;
    int m_options;
    bool m_loading = false;
    LeaderboardPageDelegate m_onPage;
};

class GameCenterLeaderboardView final : public ILeaderboardView {
public:
    static constexpr int kMaxPageSize = 100;
    static constexpr int kIncludeFriendsWithNoScore = 1;  // options bit

    GameCenterLeaderboardView(Provider_GameCenter* provider, GameCenterLeaderboard* leaderboard,
                              LeaderboardGlobality globality, LeaderboardTimeSpan timeSpan);
    ~GameCenterLeaderboardView() override;

    LeaderboardGlobality GetGlobality() const override { return m_globality; }
    LeaderboardTimeSpan GetTimeSpan() const override { return m_timeSpan; }
    // Signed out: (3, null, NotStarted). A page already loading: (6, page,
    // Started); one already loaded: (0, page, Finished) unless forced.
    // Otherwise (0, page, Started) and, once loaded, the result with
    // Finished. Pages hold at most 100 entries.
    void RequestPage(int pageNumber, int pageSize, int options, LeaderboardPageDelegate onPage,
                     bool force) override;
    // The page that holds the user's rank; without a "GCUserID": (3, null, NotStarted).
    void RequestPageForUser(const User* user, int pageSize, int options, LeaderboardPageDelegate onPage,
                            bool force) override;
    void RequestNextPage(const ILeaderboardPage* page, LeaderboardPageDelegate onPage) override;
    void RequestPreviousPage(const ILeaderboardPage* page, LeaderboardPageDelegate onPage) override;
    void GetUserScore(const User* user, LeaderboardValueDelegate onValue) override;
    void GetUserRank(const User* user, LeaderboardValueDelegate onValue) override;

    GameCenterLeaderboard* GetLeaderboard() const { return m_leaderboard; }
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }

private:
    GameCentre::ScoreQuery MakeQuery() const;
    GameCenterLeaderboardPage* FindPage(int pageNumber) const;
    GameCenterLeaderboardPage* AddPage(int pageNumber, int pageSize, int options, LeaderboardPageDelegate onPage);
    void ReleaseFriends();
    void LoadPage(GameCenterLeaderboardPage* page);
    void OnScoresLoaded(GameCenterLeaderboardPage* page, const std::vector<GameCentre::Score>& scores);
    void AddFriendsWithoutScores(GameCenterLeaderboardPage* page);
    void AppendScorelessFriends(GameCenterLeaderboardPage* page);
    void LocateUser(GameCenterLeaderboardPage* page, const User* user, std::string playerId);
    void RequestPlayerValue(const User* user, LeaderboardValueDelegate onValue, bool rank);
    void Finish(GameCenterLeaderboardPage* page, LeaderboardErrorType error, LeaderboardDownloadStatus status);
    void SortAndFinish(GameCenterLeaderboardPage* page, LeaderboardErrorType error);
    const User* CurrentUser() const;

    Provider_GameCenter* m_provider;
    GameCenterLeaderboard* m_leaderboard;
    LeaderboardGlobality m_globality;
    LeaderboardTimeSpan m_timeSpan;
    std::vector<std::unique_ptr<GameCenterLeaderboardPage>> m_pages;
    std::map<const User*, int64_t> m_rankByUser;
    bool m_friendsLoaded = false;        // the friend list below is the network's
    std::vector<std::string> m_friends;  // emptied as friends turn out to have scores
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

}  // namespace Varnok
