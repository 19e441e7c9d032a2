// News boards through the online client.
#include "providers/Provider_Kiplink/KiplinkNewsService.h"

#include "engine/services/ITimeService.h"
#include "engine/services/ServiceClock.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/UserStore.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "kiplink/Public/IUser.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"

namespace Varnok {

namespace {

// Hears one load or sync of a board, answers, and leaves the board.
class KiplinkNewsBoardListener final : public Kiplink::INewsBoardCallbacks {
public:
    KiplinkNewsBoardListener(KiplinkNewsService* service, const INewsServiceAggregate::NewsDelegate& onNews,
                             const INewsServiceAggregate::NewsDelegate& onSync, bool isSync)
        : m_service(service), m_onNews(onNews), m_onSync(onSync), m_isSync(isSync) {}

    void OnSync(const char* error, Kiplink::INewsBoard* board, int32_t ttlSeconds) override {
        if (board == nullptr) {
            return;
        }
        Kiplink::RefPtr<KiplinkNewsBoardListener> keep(this);
        if (m_isSync) {
            m_service->StoreNextSync(board, ttlSeconds);
        }
        User* user = m_service->EngineUserOf(board);
        m_onNews(error, user);
        if (m_isSync) {
            m_onSync(error, user);
        }
        board->RemoveCallbacks(this);
    }

private:
    KiplinkNewsService* m_service;
    INewsServiceAggregate::NewsDelegate m_onNews;
    INewsServiceAggregate::NewsDelegate m_onSync;
    bool m_isSync;
};

}  // namespace

const char* KiplinkNews::GetType() const {
    switch (m_item ? m_item->GetType() : -1) {
        case Kiplink::kNewsText: return "text";
        case Kiplink::kNewsImage: return "image";
        case Kiplink::kNewsOther: return "other";
        default: return nullptr;
    }
}

bool KiplinkNews::IsExpired() const {
    return m_item && static_cast<int64_t>(m_item->GetExpires()) < GetServiceTime();
}

void KiplinkNews::MarkRead() {
    if (!m_item) {
        return;
    }
    m_item->MarkRead();
    if (Kiplink::IUser* libraryUser = UserComponent_Kiplink::LibraryUserOf(m_user)) {
        m_service->ForgetNextSync(libraryUser);
    }
}

KiplinkNewsService::KiplinkNewsService(Kiplink::IKiplinkProvider* root, Provider_Kiplink* owner)
    : m_root(root), m_owner(owner) {}

KiplinkNewsService::~KiplinkNewsService() {
    m_items.clear();
    m_provider.Reset();
}

bool KiplinkNewsService::Initialise() {
    m_provider = Kiplink::RefPtr<Kiplink::INewsProvider>::Adopt(m_root != nullptr ? m_root->GetNewsProvider() : nullptr);
    return true;
}

const AsciiString& KiplinkNewsService::GetProviderName() const { return Provider_Kiplink::GetProviderName(); }

int64_t KiplinkNewsService::Now() {
    ServiceManager* manager =
        m_owner != nullptr && m_owner->GetBackend() != nullptr ? m_owner->GetBackend()->GetManager() : nullptr;
    ITimeService* time = manager != nullptr ? manager->GetService<ITimeService>() : nullptr;
    return time != nullptr ? time->GetServerTime() : GetServiceTime();
}

Kiplink::RefPtr<Kiplink::INewsBoard> KiplinkNewsService::BoardOf(User* user) {
    Kiplink::IUser* libraryUser = UserComponent_Kiplink::LibraryUserOf(user);
    if (!m_provider || libraryUser == nullptr) {
        return {};
    }
    return Kiplink::RefPtr<Kiplink::INewsBoard>::Adopt(m_provider->GetNewsBoard(libraryUser));
}

User* KiplinkNewsService::EngineUserOf(Kiplink::INewsBoard* board) {
    Kiplink::RefPtr<Kiplink::IUser> libraryUser = Kiplink::RefPtr<Kiplink::IUser>::Adopt(board->GetUser());
    ServiceManager* manager =
        m_owner != nullptr && m_owner->GetBackend() != nullptr ? m_owner->GetBackend()->GetManager() : nullptr;
    UserStore* store = manager != nullptr ? manager->GetUserStore() : nullptr;
    return libraryUser && store != nullptr ? store->FindUserById(UserComponent_Kiplink::kGuidKey, libraryUser->GetGUID())
                                           : nullptr;
}

void KiplinkNewsService::StoreNextSync(Kiplink::INewsBoard* board, int32_t ttlSeconds) {
    Kiplink::RefPtr<Kiplink::IUser> libraryUser = Kiplink::RefPtr<Kiplink::IUser>::Adopt(board->GetUser());
    if (libraryUser) {
        m_nextSync[libraryUser.Get()] = Now() + ttlSeconds;
    }
}

void KiplinkNewsService::LoadCachedNews(User* user) {
    Kiplink::RefPtr<Kiplink::INewsBoard> board = BoardOf(user);
    if (!board) {
        return;
    }
    Kiplink::RefPtr<KiplinkNewsBoardListener> listener(new KiplinkNewsBoardListener(this, m_onNews, m_onSync, false));
    board->AddCallbacks(listener.Get());
    board->LoadCached();
}

void KiplinkNewsService::RefreshNews(User* user) {
    if (!IsOnline()) {
        return;
    }
    Kiplink::IUser* libraryUser = UserComponent_Kiplink::LibraryUserOf(user);
    const auto next = m_nextSync.find(libraryUser);
    if (libraryUser != nullptr && next != m_nextSync.end() && Now() < next->second) {
        m_onNews(nullptr, user);  // still current
        return;
    }
    Kiplink::RefPtr<Kiplink::INewsBoard> board = BoardOf(user);
    if (!board) {
        return;
    }
    Kiplink::RefPtr<KiplinkNewsBoardListener> listener(new KiplinkNewsBoardListener(this, m_onNews, m_onSync, true));
    board->AddCallbacks(listener.Get());
    board->Sync();
}

void KiplinkNewsService::ClearNews(User* user) {
    m_items.clear();
    if (Kiplink::RefPtr<Kiplink::INewsBoard> board = BoardOf(user)) {
        board->ClearItems();
    }
}

int KiplinkNewsService::GetNewsCount(User* user) {
    Kiplink::RefPtr<Kiplink::INewsBoard> board = BoardOf(user);
    return board ? board->GetNewsCount() : 0;
}

INews* KiplinkNewsService::GetNews(User* user, int index) {
    if (user == nullptr) {
        return nullptr;
    }
    const std::string key = std::string(user->GetGUID().c_str()) + "_" + std::to_string(index);
    const auto found = m_items.find(key);
    if (found != m_items.end()) {
        return found->second.get();
    }
    Kiplink::RefPtr<Kiplink::INewsBoard> board = BoardOf(user);
    Kiplink::RefPtr<Kiplink::INewsItem> item =
        Kiplink::RefPtr<Kiplink::INewsItem>::Adopt(board ? board->GetNews(index) : nullptr);
    if (!item) {
        return nullptr;
    }
    auto& held = m_items[key];
    held = std::make_unique<KiplinkNews>(user, this, item.Get());
    return held.get();
}

}  // namespace Varnok
