// A user's news board against the server's "news" "sync": items newest
// first, read flags both ways, the cache, and downloaded pictures.
#include "kiplink/Public/INews.h"
#include "tests/providers/AccountFixture.h"
#include "tools/kiplink_server/NewsService.h"

namespace OnlineTest {
namespace {

class BoardListener : public Kiplink::INewsBoardCallbacks, public Kiplink::INewsItemCallbacks {
public:
    void OnSync(const char* error, Kiplink::INewsBoard*, int32_t ttl) override {
        syncs.emplace_back(error != nullptr ? error : "(null)", ttl);
    }
    void OnImageLoaded(Kiplink::INewsItem*) override { ++images; }
    std::vector<std::pair<std::string, int32_t>> syncs;
    int images = 0;

    int Reference() const override { return ++m_count; }
    int Release() const override {
        if (--m_count == 0) {
            delete this;
            return 0;
        }
        return m_count;
    }
    int GetRefCount() const override { return m_count; }

private:
    mutable int m_count = 0;
};

Json::Value Item(const char* id, const char* type, uint32_t published) {
    Json::Value item;
    if (id != nullptr) {
        item["id"] = id;
    }
    item["title"] = std::string("title ") + (id != nullptr ? id : "none");
    item["type"] = type;
    item["published"] = published;
    item["expires"] = published + 1000;
    return item;
}

class NewsTest : public AccountFixture {
protected:
    void SetUp() override {
        AccountFixture::SetUp();
        m_news.Install(*m_server);
        MakeRoot();
    }
    Varnok::Tools::NewsService m_news{m_accounts};
};

TEST_F(NewsTest, ItemsComeNewestFirstWithTheirReadFlagsAndPictures) {
    auto user = LoginAsGuest();
    ASSERT_TRUE(user);
    Json::Value items(Json::arrayValue);
    Json::Value text = Item("n1", "TEXT", 100);
    text["read"] = false;  // a flag of either value marks the item read
    text["content"]["text"] = "Hello";
    text["content"]["linkRegions"][0]["x"] = 10;
    text["content"]["linkRegions"][0]["y"] = 10;
    text["content"]["linkRegions"][0]["width"] = 20;
    text["content"]["linkRegions"][0]["height"] = 5;
    text["content"]["linkRegions"][0]["link"] = "shop";
    items.append(text);
    Json::Value image = Item("n2", "IMAGE", 300);
    image["content"]["image"] = m_server->StaticUrl() + "Items_2.offline";  // any published file serves
    items.append(image);
    items.append(Item("n1", "TEXT", 500));  // a second n1: the first stays
    items.append(Item(nullptr, "TEXT", 50));
    items.append(Item(nullptr, "TEXT", 60));  // a second item without an id: dropped
    m_news.SetItems(items);
    m_news.SetTtl(90);

    auto news = Kiplink::RefPtr<Kiplink::INewsProvider>::Adopt(m_root->GetNewsProvider());
    auto board = Kiplink::RefPtr<Kiplink::INewsBoard>::Adopt(news->GetNewsBoard(user.Get()));
    EXPECT_EQ(Kiplink::RefPtr<Kiplink::INewsBoard>::Adopt(news->GetNewsBoard(user.Get())).Get(), board.Get());
    Kiplink::RefPtr<BoardListener> listener(new BoardListener);
    board->AddCallbacks(listener.Get());
    board->Sync();
    ASSERT_TRUE(PumpUntil([&] { return listener->syncs.size() == 1; }));
    EXPECT_EQ(listener->syncs[0], std::make_pair(std::string("(null)"), 90));
    ASSERT_EQ(board->GetNewsCount(), 3);
    auto first = Kiplink::RefPtr<Kiplink::INewsItem>::Adopt(board->GetNews(0));
    auto second = Kiplink::RefPtr<Kiplink::INewsItem>::Adopt(board->GetNews(1));
    EXPECT_STREQ(first->GetId(), "n2");
    EXPECT_STREQ(second->GetId(), "n1");
    EXPECT_EQ(second->GetPublished(), 100u);
    EXPECT_TRUE(second->IsRead());  // "read": false counts as known, so read
    EXPECT_STREQ(second->GetLinkAt(15, 12), "shop");
    EXPECT_EQ(second->GetLinkAt(10, 12), nullptr);  // edges are outside
    EXPECT_EQ(board->GetNews(3), nullptr);

    first->AddCallbacks(listener.Get());
    EXPECT_TRUE(first->IsImageLoading() || first->IsImageLoaded());
    ASSERT_TRUE(PumpUntil([&] { return first->IsImageLoaded(); }));
    EXPECT_NE(std::string(first->GetText()).find("/ota/Items_2.offline"), std::string::npos);

    // Read on the server by another device: "news" null keeps the items and
    // still applies "readNews".
    m_server->SetHandler("news", "sync", [&](const Varnok::Tools::ServiceCall&) {
        Json::Value result;
        result["news"] = Json::Value();
        result["readNews"]["n2"] = true;
        result["readNews"]["gone"] = true;
        return Varnok::Tools::ServiceReply::Result(result);
    });
    board->Sync();
    ASSERT_TRUE(PumpUntil([&] { return listener->syncs.size() == 2; }));
    EXPECT_EQ(listener->syncs[1].second, 0);  // no "ttl"
    EXPECT_EQ(board->GetNewsCount(), 3);
    EXPECT_TRUE(first->IsRead());
    EXPECT_EQ(board->GetReadCount(), 2);  // n1 by its flag, n2 by "readNews"

    // The cache holds the board with its read flags.
    board->ClearItems();
    board->LoadCached();
    ASSERT_EQ(listener->syncs.size(), 3u);
    EXPECT_EQ(listener->syncs[2].first, "(null)");
    EXPECT_EQ(board->GetNewsCount(), 3);
    EXPECT_EQ(board->GetReadCount(), 2);
}

TEST_F(NewsTest, FailuresKeepTheItems) {
    auto user = LoginAsGuest();
    ASSERT_TRUE(user);
    auto news = Kiplink::RefPtr<Kiplink::INewsProvider>::Adopt(m_root->GetNewsProvider());
    auto board = Kiplink::RefPtr<Kiplink::INewsBoard>::Adopt(news->GetNewsBoard(user.Get()));
    Kiplink::RefPtr<BoardListener> listener(new BoardListener);
    board->AddCallbacks(listener.Get());
    board->LoadCached();
    ASSERT_EQ(listener->syncs.size(), 1u);
    EXPECT_EQ(listener->syncs[0].first, "failed to load cached news");

    m_server->InjectFault(Varnok::Tools::Fault::ErrorText("invalid token").For("news"));
    board->Sync();
    ASSERT_TRUE(PumpUntil([&] { return listener->syncs.size() == 2; }));
    EXPECT_EQ(listener->syncs[1].first, "response failed");
    EXPECT_FALSE(user->IsAuthenticated());  // the user heard the server's text
}

}  // namespace
}  // namespace OnlineTest
