// Scores and friends leaderboards through the online client.
#include "providers/Provider_Kiplink/KiplinkLeaderboardService.h"

#include "kiplink/Public/IKiplinkProvider.h"
#include "kiplink/Public/IUser.h"
#include "kiplink/Public/IValue.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"

#include <algorithm>
#include <cstring>

namespace Varnok {

namespace {

constexpr auto kStarted = LeaderboardDownloadStatus::Started;
constexpr auto kFinished = LeaderboardDownloadStatus::Finished;
constexpr auto kNone = LeaderboardDownloadStatus::NotStarted;

// Answers the one submission it was made for, then leaves the provider.
class KiplinkLeaderboardScoreCallback final : public Kiplink::ILeaderboardProviderCallbacks {
public:
    KiplinkLeaderboardScoreCallback(Kiplink::ILeaderboardProvider* provider, const LeaderboardResultDelegate& onDone)
        : m_provider(provider), m_onDone(onDone) {}
    // Filled by the provider before it sends, so that a reply given at once
    // is recognised.
    uint32_t* CallIdSlot() { return &m_callId; }

    void OnScoreSubmitted(uint32_t callId, const char* error) override {
        if (callId != m_callId) {
            return;  // another submission's reply
        }
        m_onDone(error != nullptr ? LeaderboardErrorType::ServiceError : LeaderboardErrorType::Success);
        m_provider->RemoveCallbacks(this);
    }

private:
    Kiplink::ILeaderboardProvider* m_provider;  // not referenced: it calls us
    LeaderboardResultDelegate m_onDone;
    uint32_t m_callId = 0;
};

}  // namespace

// ---- Player, page ----

const char* KiplinkLeaderboardPlayer::GetId(const char* /*serviceName*/) const {
    return m_profile ? m_profile->GetProviderId("kiplinkId") : nullptr;
}

const char* KiplinkLeaderboardPlayer::GetDisplayName() const {
    return m_profile ? m_profile->GetDisplayName() : nullptr;
}

const ILeaderboardEntry* KiplinkLeaderboardPage::GetEntry(int index) const {
    return index >= 0 && index < GetEntryCount() ? m_entries[static_cast<size_t>(index)].get() : nullptr;
}

void KiplinkLeaderboardPage::Populate() {
    // Built afresh each time: a refresh of the board must not repeat entries.
    m_entries.clear();
    if (m_board) {
        for (int i = 0; i < m_board->GetEntryCount(); ++i) {
            Kiplink::ILeaderboardEntry* entry = m_board->GetEntry(i);
            if (entry == nullptr) {
                continue;
            }
            Kiplink::RefPtr<Kiplink::IUserProfile> profile =
                Kiplink::RefPtr<Kiplink::IUserProfile>::Adopt(entry->GetUser());
            m_entries.push_back(std::make_unique<KiplinkLeaderboardEntry>(
                std::make_unique<KiplinkLeaderboardPlayer>(profile.Get()), static_cast<int64_t>(entry->GetScore()),
                entry->GetMetaData().AsString("")));
        }
    }
    m_loading = false;
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](const auto& a, const auto& b) { return a->GetScore() > b->GetScore(); });
    const int64_t first = static_cast<int64_t>(m_pageSize) * (m_pageNumber - 1) + 1;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        m_entries[i]->SetRank(first + static_cast<int64_t>(i));
    }
    m_onPage(LeaderboardErrorType::Success, this, kFinished);
}

// ---- View ----

class KiplinkLeaderboardView::PageListener final : public Kiplink::IUserLeaderboardCallbacks {
public:
    explicit PageListener(KiplinkLeaderboardPage* page) : m_page(page) {}
    void Forget() { m_page = nullptr; }

    // A failed download still shows the entries the library holds.
    void OnFriendsLeaderboardUpdate(const char* /*error*/, Kiplink::IUserLeaderboard* board) override {
        if (board == nullptr) {
            return;
        }
        Kiplink::RefPtr<PageListener> keep(this);
        if (m_page != nullptr) {
            m_page->Populate();
        }
        board->RemoveCallbacks(this);
    }

private:
    KiplinkLeaderboardPage* m_page;
};

KiplinkLeaderboardView::KiplinkLeaderboardView(std::string leaderboardId, Kiplink::ILeaderboardProvider* provider,
                                               Provider_Kiplink* owner, LeaderboardTimeSpan timeSpan)
    : m_leaderboardId(std::move(leaderboardId)), m_provider(provider), m_owner(owner), m_timeSpan(timeSpan) {}

KiplinkLeaderboardView::~KiplinkLeaderboardView() {
    for (auto& entry : m_listeners) {
        entry.second->Forget();
    }
    m_listeners.clear();
    m_pages.clear();
}

const char* KiplinkLeaderboardView::TimeSpanText(LeaderboardTimeSpan timeSpan) {
    switch (timeSpan) {
        case LeaderboardTimeSpan::AllTime: return "allTime";
        case LeaderboardTimeSpan::ThisWeek: return "weekly";
        case LeaderboardTimeSpan::Today: return "daily";
        case LeaderboardTimeSpan::LastWeek: return "weekly_lastweek";
        case LeaderboardTimeSpan::Yesterday: return "daily_yesterday";
    }
    return "";
}

void KiplinkLeaderboardView::DropPage(KiplinkLeaderboardPage* page) {
    const auto listener = m_listeners.find(page);
    if (listener != m_listeners.end()) {
        listener->second->Forget();
        m_listeners.erase(listener);
    }
    m_pages.erase(std::remove_if(m_pages.begin(), m_pages.end(), [page](const auto& held) { return held.get() == page; }),
                  m_pages.end());
}

void KiplinkLeaderboardView::RequestPage(int pageNumber, int pageSize, int options, LeaderboardPageDelegate onPage,
                                         bool force) {
    for (const auto& held : m_pages) {
        if (held->GetPageNumber() != pageNumber) {
            continue;
        }
        if (held->IsLoading()) {
            onPage(LeaderboardErrorType::AlreadyLoading, held.get(), kNone);
            return;
        }
        if (!force) {
            onPage(LeaderboardErrorType::Success, held.get(), kFinished);
            return;
        }
        DropPage(held.get());
        break;
    }
    if (m_provider == nullptr) {
        onPage(LeaderboardErrorType::ServiceError, nullptr, kNone);
        return;
    }
    Kiplink::IUser* libraryUser =
        UserComponent_Kiplink::LibraryUserOf(m_owner != nullptr ? m_owner->GetCurrentUser() : nullptr);
    Kiplink::RefPtr<Kiplink::ILeaderboard> definition =
        Kiplink::RefPtr<Kiplink::ILeaderboard>::Adopt(m_provider->FindLeaderboard(m_leaderboardId.c_str()));
    if (!definition || libraryUser == nullptr) {
        onPage(LeaderboardErrorType::ServiceError, nullptr, kNone);
        return;
    }
    Kiplink::RefPtr<Kiplink::IUserLeaderboard> board = Kiplink::RefPtr<Kiplink::IUserLeaderboard>::Adopt(
        definition->GetUserLeaderboard(libraryUser, TimeSpanText(m_timeSpan), force, (options & 1) != 0));
    if (!board) {
        onPage(LeaderboardErrorType::ServiceError, nullptr, kNone);
        return;
    }
    m_pages.push_back(
        std::make_unique<KiplinkLeaderboardPage>(m_leaderboardId, board.Get(), options, pageNumber, pageSize, onPage));
    KiplinkLeaderboardPage* page = m_pages.back().get();
    Kiplink::RefPtr<PageListener> listener(new PageListener(page));
    board->AddCallbacks(listener.Get());
    m_listeners[page] = listener;
    if (board->IsLoaded()) {
        page->Populate();
    } else {
        // A board never downloaded must be asked for, or the page would wait
        // for ever; a forced request has already asked.
        if (!force) {
            board->GetFriendLeaderboard();
        }
        page->SetLoading(true);
        onPage(LeaderboardErrorType::Success, page, kStarted);
    }
}

void KiplinkLeaderboardView::RequestNextPage(const ILeaderboardPage* page, LeaderboardPageDelegate onPage) {
    const auto* held = dynamic_cast<const KiplinkLeaderboardPage*>(page);
    if (held == nullptr) {
        onPage(LeaderboardErrorType::UnknownLeaderboard, nullptr, kNone);
        return;
    }
    RequestPage(held->GetPageNumber() + 1, held->GetPageSize(), held->GetOptions(), held->GetCallback(), false);
}

void KiplinkLeaderboardView::RequestPreviousPage(const ILeaderboardPage* page, LeaderboardPageDelegate onPage) {
    const auto* held = dynamic_cast<const KiplinkLeaderboardPage*>(page);
    if (held == nullptr || held->GetPageNumber() <= 1) {
        onPage(LeaderboardErrorType::UnknownLeaderboard, nullptr, kNone);
        return;
    }
    RequestPage(held->GetPageNumber() - 1, held->GetPageSize(), held->GetOptions(), held->GetCallback(), false);
}

// ---- Leaderboard ----

ILeaderboardView* KiplinkLeaderboard::GetView(LeaderboardGlobality globality, LeaderboardTimeSpan timeSpan) {
    if (globality != LeaderboardGlobality::Friends) {
        return nullptr;
    }
    for (const auto& view : m_views) {
        if (view->GetTimeSpan() == timeSpan) {
            return view.get();
        }
    }
    const char* id = GetId();
    m_views.push_back(std::make_unique<KiplinkLeaderboardView>(id != nullptr ? id : "", m_provider, m_owner, timeSpan));
    return m_views.back().get();
}

void KiplinkLeaderboard::SubmitScoreWithMetaData(const User* user, int64_t score, const char* metaData,
                                                 LeaderboardResultDelegate onDone) {
    Kiplink::IUser* libraryUser = UserComponent_Kiplink::LibraryUserOf(user);
    if (m_provider == nullptr || !m_definition || libraryUser == nullptr) {
        onDone(LeaderboardErrorType::ServiceError);
        return;
    }
    Kiplink::RefPtr<KiplinkLeaderboardScoreCallback> callback(new KiplinkLeaderboardScoreCallback(m_provider, onDone));
    m_provider->AddCallbacks(callback.Get());
    Kiplink::RefPtr<Kiplink::IValue> value = Kiplink::RefPtr<Kiplink::IValue>::Adopt(Kiplink::CreateValue());
    value->SetAsString(metaData != nullptr ? metaData : "");
    // The service keeps 32-bit scores: the low half goes, read as signed.
    const auto low = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(score) & 0xffffffffu));
    m_provider->SubmitScore(libraryUser, m_definition->GetReferenceId(), low, value.Get(), callback->CallIdSlot());
}

// ---- Service ----

KiplinkLeaderboardService::~KiplinkLeaderboardService() {
    m_leaderboards.clear();
    m_provider.Reset();
}

const AsciiString& KiplinkLeaderboardService::GetProviderName() const { return Provider_Kiplink::GetProviderName(); }

bool KiplinkLeaderboardService::Initialise() {
    if (m_root == nullptr) {
        return false;
    }
    m_provider = Kiplink::RefPtr<Kiplink::ILeaderboardProvider>::Adopt(m_root->GetLeaderboardProvider());
    return true;
}

KiplinkLeaderboard* KiplinkLeaderboardService::Find(const char* leaderboardId) {
    if (leaderboardId == nullptr) {
        return nullptr;
    }
    for (const auto& board : m_leaderboards) {
        const char* id = board->GetId();
        if (id != nullptr && std::strcmp(id, leaderboardId) == 0) {
            return board.get();
        }
    }
    if (!m_provider) {
        return nullptr;
    }
    Kiplink::RefPtr<Kiplink::ILeaderboard> definition =
        Kiplink::RefPtr<Kiplink::ILeaderboard>::Adopt(m_provider->FindLeaderboard(leaderboardId));
    if (!definition) {
        return nullptr;
    }
    m_leaderboards.push_back(std::make_unique<KiplinkLeaderboard>(definition.Get(), m_provider.Get(), m_owner));
    return m_leaderboards.back().get();
}

void KiplinkLeaderboardService::SetLeaderboardScoreWithMetaData(const User* user, const char* leaderboardId,
                                                                int64_t score, const char* metaData,
                                                                LeaderboardResultDelegate onDone) {
    KiplinkLeaderboard* board = Find(leaderboardId);
    if (board == nullptr) {
        onDone(LeaderboardErrorType::UnknownLeaderboard);
        return;
    }
    board->SubmitScoreWithMetaData(user, score, metaData, onDone);
}

ILeaderboard* KiplinkLeaderboardService::GetLeaderboard(const char* leaderboardId) { return Find(leaderboardId); }

}  // namespace Varnok
