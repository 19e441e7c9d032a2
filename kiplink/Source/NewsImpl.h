// News boards ("news" "sync", the cache "news.json" in the user's folder)
// and their items.
#pragma once

#include "kiplink/Public/INews.h"
#include "kiplink/Public/IUser.h"
#include "kiplink/Public/IValue.h"
#include "kiplink/Source/Request.h"

#include <map>
#include <string>
#include <vector>

namespace Kiplink {

class KiplinkProviderImpl;
class NewsBoardImpl;

class NewsItemImpl final : public INewsItem {
public:
    NewsItemImpl(KiplinkProviderImpl* root, NewsBoardImpl* board) : m_root(root), m_board(board) {}

    void AddCallbacks(INewsItemCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(INewsItemCallbacks* listener) override { m_listeners.Remove(listener); }
    const char* GetId() const override { return m_id.c_str(); }
    int32_t GetType() const override { return m_type; }
    const char* GetTitle() const override { return m_title.c_str(); }
    const char* GetText() const override { return m_text.c_str(); }
    bool IsRead() const override { return m_read; }
    uint32_t GetPublished() const override { return m_published; }
    uint32_t GetExpires() const override { return m_expires; }
    bool IsImageLoaded() const override { return m_imageLoaded; }
    bool IsImageLoading() const override { return m_imageLoading; }
    void MarkRead() override;
    const char* GetLinkAt(float x, float y) const override;
    int GetLinkRegionCount() const override { return static_cast<int>(m_regions.size()); }
    const char* GetLinkRegion(int index, float* outX, float* outY, float* outWidth, float* outHeight) const override;
    void LoadImage() override;

    // Fills the item from a board record.
    void Read(const IValue& record);
    void OnImageDownloaded(const char* path);
    // The board lets go of its items first.
    void Detach() { m_board = nullptr; }

private:
    struct Region {
        float x, y, width, height;
        std::string link;
    };
    KiplinkProviderImpl* m_root;
    NewsBoardImpl* m_board;  // not referenced; null once it let go
    std::string m_id;
    std::string m_title;
    std::string m_text;
    std::string m_image;
    int32_t m_type = kNewsOther;
    uint32_t m_expires = 0;
    uint32_t m_published = 0;
    bool m_read = false;
    bool m_imageLoading = false;
    bool m_imageLoaded = false;
    std::vector<Region> m_regions;
    ListenerSet<INewsItemCallbacks> m_listeners;
};

class NewsBoardImpl final : public INewsBoard {
public:
    NewsBoardImpl(KiplinkProviderImpl* root, IUser* user);
    ~NewsBoardImpl() override;

    void AddCallbacks(INewsBoardCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(INewsBoardCallbacks* listener) override { m_listeners.Remove(listener); }
    int GetNewsCount() const override { return static_cast<int>(m_items.size()); }
    INewsItem* GetNews(int index) override;
    int GetReadCount() const override;
    IUser* GetUser() override;
    void LoadCached() override;
    void Sync() override;
    void ClearItems() override;

    void OnSyncReply(RequestContext& context, const IValue& error, const IValue& result);
    // Marks the item read in the board data and saves the cache.
    void OnItemRead(const NewsItemImpl& item);
    // Builds the items from data (the board data's shape), newest first.
    void BuildItems(const IValue& data);
    const IValue& GetData() const { return *m_data; }

private:
    std::string CachePath() const;
    void SaveCache();

    KiplinkProviderImpl* m_root;
    RefPtr<IUser> m_user;
    std::string m_hash;
    IValue* m_data;
    std::vector<RefPtr<NewsItemImpl>> m_items;
    std::map<std::string, RefPtr<NewsItemImpl>> m_byId;
    ListenerSet<INewsBoardCallbacks> m_listeners;
};

class NewsProviderImpl final : public INewsProvider {
public:
    explicit NewsProviderImpl(KiplinkProviderImpl* root) : m_root(root) {}
    INewsBoard* GetNewsBoard(IUser* user) override;
    void Load() override {}
    void Update() override {}

private:
    KiplinkProviderImpl* m_root;
    std::map<std::string, RefPtr<NewsBoardImpl>> m_boards;  // by user GUID
};

}  // namespace Kiplink
