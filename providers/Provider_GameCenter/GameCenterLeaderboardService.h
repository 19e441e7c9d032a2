// The game's leaderboards as Game Center categories: scores posted under a
// leaderboard id go to every board configured with that id; pages, the
// player's own page, score and rank come from the board's views.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/services/ILeaderboardService.h"
#include "providers/Provider_GameCenter/GameCenterLeaderboardView.h"

#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class Provider_GameCenter;

class GameCenterLeaderboard final : public ILeaderboard {
public:
    GameCenterLeaderboard(Provider_GameCenter* provider, std::string id, std::string providerId,
                          std::string displayText)
        : m_provider(provider), m_id(std::move(id)), m_providerId(std::move(providerId)),
          m_displayText(std::move(displayText)) {}

    const char* GetId() const override { return m_id.c_str(); }
    const char* GetProviderId() const override { return m_providerId.c_str(); }
    const char* GetDisplayText() const override { return m_displayText.c_str(); }
    // Null for last week and yesterday; one view per pair, made on first use.
    ILeaderboardView* GetView(LeaderboardGlobality globality, LeaderboardTimeSpan timeSpan) override;
    // The 64-bit score under this board's category; any network error is 4.
    void SubmitScore(const User* user, int64_t score, LeaderboardResultDelegate onDone) override;
    void SubmitScoreWithMetaData(const User* /*user*/, int64_t /*score*/, const char* /*metaData*/,
                                 LeaderboardResultDelegate /*onDone*/) override {}

private:
    Provider_GameCenter* m_provider;
    std::string m_id;
    std::string m_providerId;
    std::string m_displayText;
    std::vector<std::unique_ptr<GameCenterLeaderboardView>> m_views;
};

class GameCenterLeaderboardService final : public ILeaderboardService {
public:
    explicit GameCenterLeaderboardService(Provider_GameCenter* provider) : m_provider(provider) {}

    // Reads the "leaderboard" elements; false without "ILeaderboardService".
    bool Initialise() override;
    void Update() override {}
    const AsciiString& GetLogData() const override;
    const AsciiString& GetProviderName() const override;

    // To every board of that id; none: the delegate gets 3 at once.
    void SetLeaderboardScore(const User* user, const char* leaderboardId, int64_t score,
                             LeaderboardResultDelegate onDone) override;
    void SetLeaderboardScoreWithMetaData(const User* /*user*/, const char* /*leaderboardId*/, int64_t /*score*/,
                                         const char* /*metaData*/, LeaderboardResultDelegate /*onDone*/) override {}
    // The first board of that id, or null.
    ILeaderboard* GetLeaderboard(const char* leaderboardId) override;

    int GetLeaderboardCount() const { return static_cast<int>(m_leaderboards.size()); }

private:
    Provider_GameCenter* m_provider;
    std::vector<std::unique_ptr<GameCenterLeaderboard>> m_leaderboards;  // file order
};

}  // namespace Varnok
