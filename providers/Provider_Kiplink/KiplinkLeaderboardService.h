// Leaderboards on the online service: scores go out through the library's
// leaderboard provider (the low 32 bits of the engine's 64-bit score), and
// friends leaderboards come back as ranked pages. Only friends views exist.
#pragma once

#include "engine/services/ILeaderboardService.h"
#include "kiplink/Public/ILeaderboards.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Kiplink {
class IKiplinkProvider;
}

namespace Varnok {

class KiplinkLeaderboardView;
class Provider_Kiplink;

// A player of a leaderboard entry, over the library's profile.
class KiplinkLeaderboardPlayer final : public IPlayer {
public:
    explicit KiplinkLeaderboardPlayer(Kiplink::IUserProfile* profile) : m_profile(profile) {}
    const char* GetId(const char* serviceName) const override;
    const char* GetDisplayName() const override;

private:
    Kiplink::RefPtr<Kiplink::IUserProfile> m_profile;
};

class KiplinkLeaderboardEntry final : public ILeaderboardEntry {
public:
    KiplinkLeaderboardEntry(std::unique_ptr<KiplinkLeaderboardPlayer> player, int64_t score, std::string text)
        : m_player(std::move(player)), m_score(score), m_text(std::move(text)) {}
    int64_t GetScore() const override { return m_score; }
    int64_t GetRank() const override { return m_rank; }
    const char* GetText() const override { return m_text.c_str(); }
    const IPlayer* GetPlayer() const override { return m_player.get(); }
    void SetRank(int64_t rank) { m_rank = rank; }

private:
    std::unique_ptr<KiplinkLeaderboardPlayer> m_player;
    int64_t m_score;
    int64_t m_rank = 0;
    std::string m_text;
};

class KiplinkLeaderboardPage final : public ILeaderboardPage {
public:
    KiplinkLeaderboardPage(std::string leaderboardId, Kiplink::IUserLeaderboard* board, int options, int pageNumber,
                           int pageSize, const LeaderboardPageDelegate& onPage)
        : m_leaderboardId(std::move(leaderboardId)), m_board(board), m_options(options),
          m_pageNumber(pageNumber), m_pageSize(pageSize), m_onPage(onPage) {}

    const char* GetLeaderboardId() const override { return m_leaderboardId.c_str(); }
    const char* GetProviderId() const override { return nullptr; }
    int GetPageNumber() const override { return m_pageNumber; }
    int GetOptions() const override { return m_options; }
    int GetEntryCount() const override { return static_cast<int>(m_entries.size()); }
    const ILeaderboardEntry* GetEntry(int index) const override;
    const LeaderboardPageDelegate& GetCallback() const override { return m_onPage; }

    int GetPageSize() const { return m_pageSize; }
    bool IsLoading() const { return m_loading; }
    void SetLoading(bool loading) { m_loading = loading; }
    // Entries afresh from the library's board, highest score first, ranked
    // after the pages before this one; then the delegate hears (0, page, 2).
    void Populate();

private:
    std::vector<std::unique_ptr<KiplinkLeaderboardEntry>> m_entries;
    std::string m_leaderboardId;
    Kiplink::RefPtr<Kiplink::IUserLeaderboard> m_board;
    int m_options;
    int m_pageNumber;
    int m_pageSize;
    bool m_loading = false;
    LeaderboardPageDelegate m_onPage;
};

class KiplinkLeaderboardView final : public ILeaderboardView {
public:
    KiplinkLeaderboardView(std::string leaderboardId, Kiplink::ILeaderboardProvider* provider,
                           Provider_Kiplink* owner, LeaderboardTimeSpan timeSpan);
    ~KiplinkLeaderboardView() override;

    LeaderboardGlobality GetGlobality() const override { return LeaderboardGlobality::Friends; }
    void RequestPage(int pageNumber, int pageSize, int options, LeaderboardPageDelegate onPage,
                     bool force) override;
    // The online service ranks friends only: nothing is asked, nothing answers.
    void RequestPageForUser(const User*, int, int, LeaderboardPageDelegate, bool) override {}
    void RequestNextPage(const ILeaderboardPage* page, LeaderboardPageDelegate onPage) override;
    void RequestPreviousPage(const ILeaderboardPage* page, LeaderboardPageDelegate onPage) override;
    void GetUserScore(const User*, LeaderboardValueDelegate) override {}
    void GetUserRank(const User*, LeaderboardValueDelegate) override {}
    LeaderboardTimeSpan GetTimeSpan() const override { return m_timeSpan; }

    // The library's name of a time span; "" for one it does not know.
    static const char* TimeSpanText(LeaderboardTimeSpan timeSpan);

private:
    class PageListener;

    void DropPage(KiplinkLeaderboardPage* page);

    std::string m_leaderboardId;
    Kiplink::ILeaderboardProvider* m_provider;  // not referenced
    Provider_Kiplink* m_owner;  // for the current user; may be null
    LeaderboardTimeSpan m_timeSpan;
    std::vector<std::unique_ptr<KiplinkLeaderboardPage>> m_pages;
    std::map<KiplinkLeaderboardPage*, Kiplink::RefPtr<PageListener>> m_listeners;
};

class KiplinkLeaderboard final : public ILeaderboard {
public:
    KiplinkLeaderboard(Kiplink::ILeaderboard* definition, Kiplink::ILeaderboardProvider* provider,
                       Provider_Kiplink* owner)
        : m_definition(definition), m_provider(provider), m_owner(owner) {}

    const char* GetId() const override { return m_definition ? m_definition->GetReferenceId() : nullptr; }
    const char* GetProviderId() const override { return nullptr; }
    const char* GetDisplayText() const override { return m_definition ? m_definition->GetName() : nullptr; }
    // Friends views only; one per time span.
    ILeaderboardView* GetView(LeaderboardGlobality globality, LeaderboardTimeSpan timeSpan) override;
    void SubmitScore(const User* user, int64_t score, LeaderboardResultDelegate onDone) override {
        SubmitScoreWithMetaData(user, score, nullptr, onDone);
    }
    // The delegate hears the reply to this submission only.
    void SubmitScoreWithMetaData(const User* user, int64_t score, const char* metaData,
                                 LeaderboardResultDelegate onDone) override;

private:
    Kiplink::RefPtr<Kiplink::ILeaderboard> m_definition;
    Kiplink::ILeaderboardProvider* m_provider;  // not referenced
    Provider_Kiplink* m_owner;
    std::vector<std::unique_ptr<KiplinkLeaderboardView>> m_views;
};

class KiplinkLeaderboardService final : public ILeaderboardService {
public:
    // owner: where pages find the current user (slot 0); may be null.
    explicit KiplinkLeaderboardService(Kiplink::IKiplinkProvider* root, Provider_Kiplink* owner = nullptr)
        : m_root(root), m_owner(owner) {}
    ~KiplinkLeaderboardService() override;

    // False without a root; a root without a leaderboard provider is fine.
    bool Initialise() override;
    void Update() override {}
    const AsciiString& GetProviderName() const override;
    void SetLeaderboardScore(const User* user, const char* leaderboardId, int64_t score,
                             LeaderboardResultDelegate onDone) override {
        SetLeaderboardScoreWithMetaData(user, leaderboardId, score, "", onDone);
    }
    // An id the static data does not define answers 3 and makes nothing.
    void SetLeaderboardScoreWithMetaData(const User* user, const char* leaderboardId, int64_t score,
                                         const char* metaData, LeaderboardResultDelegate onDone) override;
    ILeaderboard* GetLeaderboard(const char* leaderboardId) override;

    int GetLeaderboardCount() const { return static_cast<int>(m_leaderboards.size()); }

private:
    KiplinkLeaderboard* Find(const char* leaderboardId);

    Kiplink::IKiplinkProvider* m_root;  // not referenced
    Provider_Kiplink* m_owner;
    Kiplink::RefPtr<Kiplink::ILeaderboardProvider> m_provider;
    std::vector<std::unique_ptr<KiplinkLeaderboard>> m_leaderboards;
};

}  // namespace Varnok
