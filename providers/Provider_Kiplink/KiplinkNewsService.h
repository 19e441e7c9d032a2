// News of the online service: each user's board in the client library,
// synchronised at most once per time to live the server gives (unless an
// item was marked read since), wrapped item by item as the engine's news.
#pragma once

#include "engine/services/INewsService.h"
#include "kiplink/Public/INews.h"

#include <map>
#include <memory>
#include <string>

namespace Kiplink {
class IKiplinkProvider;
class IUser;
}

namespace Varnok {

class KiplinkNewsService;
class Provider_Kiplink;

class KiplinkNews final : public INews {
public:
    KiplinkNews(User* user, KiplinkNewsService* service, Kiplink::INewsItem* item)
        : m_user(user), m_service(service), m_item(item) {}

    const char* GetTitle() const override { return m_item ? m_item->GetTitle() : nullptr; }
    const char* GetText() const override { return m_item ? m_item->GetText() : nullptr; }
    const char* GetType() const override;
    const char* GetId() const override { return m_item ? m_item->GetId() : nullptr; }
    bool IsExpired() const override;
    // The read flag goes with the next sync, which is then due at once.
    void MarkRead() override;
    bool IsRead() const override { return m_item && m_item->IsRead(); }
    uint64_t GetTimeStamp() const override { return m_item ? m_item->GetPublished() : 0; }

private:
    User* m_user;
    KiplinkNewsService* m_service;
    Kiplink::RefPtr<Kiplink::INewsItem> m_item;
};

class KiplinkNewsService final : public INewsService {
public:
    // owner: where the service's clock and the users are found; may be null.
    KiplinkNewsService(Kiplink::IKiplinkProvider* root, Provider_Kiplink* owner);
    ~KiplinkNewsService() override;

    bool Initialise() override;
    void Update() override {}
    const AsciiString& GetProviderName() const override;
    void SetNewsCallback(NewsDelegate onNews) override { m_onNews = onNews; }
    // The board's cached items; the news callback hears the outcome.
    void LoadCachedNews(User* user) override;
    // Within the time to live of the last sync the news callback hears at
    // once and nothing is sent; otherwise the board syncs and both
    // callbacks hear the outcome.
    void RefreshNews(User* user) override;
    void ClearNews(User* user) override;
    int GetNewsCount(User* user) override;
    INews* GetNews(User* user, int index) override;
    void SetSyncCallback(NewsDelegate onSync) override { m_onSync = onSync; }

    // Called by an item marked read: its user's next sync goes at once.
    void ForgetNextSync(Kiplink::IUser* libraryUser) { m_nextSync.erase(libraryUser); }
    int64_t Now();
    User* EngineUserOf(Kiplink::INewsBoard* board);
    void StoreNextSync(Kiplink::INewsBoard* board, int32_t ttlSeconds);

private:
    Kiplink::RefPtr<Kiplink::INewsBoard> BoardOf(User* user);

    Kiplink::IKiplinkProvider* m_root;  // not referenced
    Provider_Kiplink* m_owner;
    Kiplink::RefPtr<Kiplink::INewsProvider> m_provider;
    NewsDelegate m_onNews;
    NewsDelegate m_onSync;
    std::map<std::string, std::unique_ptr<KiplinkNews>> m_items;
    std::map<Kiplink::IUser*, int64_t> m_nextSync;
};

}  // namespace Varnok
