// The news screen's choice of item and its link markup reader.
#include "game/screens/NewsScreen.h"

#include "engine/ui/Component.h"
#include "game/screens/MainMenuScreen.h"

#include "engine/services/INewsService.h"
#include "game/rules/GameRecord.h"
#include "tests/engine/services/ServiceStubs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Varnok {
namespace {

class Item final : public INews {
public:
    Item(std::string text, uint64_t time, bool read) : m_text(std::move(text)), m_time(time), m_read(read) {}
    const char* GetTitle() const override { return ""; }
    const char* GetText() const override { return m_text.c_str(); }
    const char* GetType() const override { return "news"; }
    const char* GetId() const override { return m_text.c_str(); }
    bool IsExpired() const override { return false; }
    void MarkRead() override { m_read = true; }
    bool IsRead() const override { return m_read; }
    uint64_t GetTimeStamp() const override { return m_time; }

private:
    std::string m_text;
    uint64_t m_time;
    bool m_read;
};

class Feed final : public TestSupport::StubService<INewsService> {
public:
    Feed() : StubService("Provider_Test") {}
    void SetNewsCallback(NewsDelegate) override {}
    void LoadCachedNews(User*) override {}
    void RefreshNews(User*) override {}
    void ClearNews(User*) override {}
    void SetSyncCallback(NewsDelegate) override {}
    int GetNewsCount(User*) override { return static_cast<int>(items.size()); }
    INews* GetNews(User*, int index) override { return items.at(static_cast<size_t>(index)).get(); }
    const AsciiString& GetLogData() const override { return m_log; }

    std::vector<std::unique_ptr<Item>> items;

private:
    AsciiString m_log;
};

class NewsScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        NewsScreen::ResetState();
        GetGameRecord().promoSelector = 0;
        manager.GetBackend().AddService(&feed);
    }
    void TearDown() override {
        manager.GetBackend().RemoveService(&feed);
        NewsScreen::ResetState();
        GetGameRecord().promoSelector = 0;
    }
    void Add(const char* text, uint64_t time, bool read) {
        feed.items.push_back(std::make_unique<Item>(text, time, read));
    }

    ServiceManager manager;
    Feed feed;
};

TEST_F(NewsScreenTest, StripsLinkMarkup) {
    struct Case {
        const char* text;
        const char* stripped;
        const char* link;
        const char* linkText;
    };
    const Case cases[] = {
        {"see [url=http://a.example/x]our page[/url] now", "see  now", "http://a.example/x", "our page"},
        // Tags in mixed case, position by position.
        {"a [URL=u]w[/uRl] b", "a  b", "u", "w"},
        // A lone '[' is dropped, the rest stays.
        {"x [y] z", "x y] z", "", ""},
        // Unclosed: only the '[' goes, yet the link and its text are filled.
        {"go [url=u]words", "go url=u]words", "u", "words"},
        // Only the first whole link names the link.
        {"[url=one]1[/url] and [url=two]2[/url]", " and ", "one", "1"},
        {"plain text", "plain text", "", ""},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(NewsScreen::StripMarkup(c.text), c.stripped);
        EXPECT_EQ(NewsScreen::GetState().link, c.link);
        EXPECT_EQ(NewsScreen::GetState().linkText, c.linkText);
    }
}

TEST_F(NewsScreenTest, PicksTheFirstUnreadElseTheNewest) {
    Add("old", 10, true);
    Add("first unread", 5, false);
    Add("second unread", 50, false);
    NewsScreen::RefreshNews(manager);
    EXPECT_EQ(NewsScreen::GetState().chosenIndex, 1);
    EXPECT_TRUE(NewsScreen::HasUnreadNews());

    NewsScreen::MarkChosenItemRead(manager);
    EXPECT_EQ(NewsScreen::GetState().chosenIndex, 2);
    NewsScreen::MarkChosenItemRead(manager);
    // All read: the newest comes back, and the badge shows nothing unread.
    EXPECT_EQ(NewsScreen::GetState().chosenIndex, 2);
    EXPECT_FALSE(NewsScreen::HasUnreadNews());
}

TEST_F(NewsScreenTest, AllReadWithoutTimesChoosesNothing) {
    Add("a", 0, true);
    NewsScreen::RefreshNews(manager);
    EXPECT_EQ(NewsScreen::GetState().chosenItem, nullptr);
    EXPECT_FALSE(NewsScreen::HasUnreadNews());
}

TEST_F(NewsScreenTest, APromotionLinkInAnotherCaseSelectsItsPromotion) {
    std::string upper = NewsScreen::kPromotionLink2;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    Add(("try [url=" + upper + "]this[/url]").c_str(), 1, false);
    NewsScreen::RefreshNews(manager);
    EXPECT_EQ(GetGameRecord().promoSelector, 2);
    // A later item that matches nothing keeps the selector.
    feed.items.front()->MarkRead();
    Add("[url=http://elsewhere]x[/url]", 2, false);
    NewsScreen::RefreshNews(manager);
    EXPECT_EQ(NewsScreen::GetState().link, "http://elsewhere");
    EXPECT_EQ(GetGameRecord().promoSelector, 2);
}

TEST_F(NewsScreenTest, TheMenuBadgeShowsWhileTheChosenItemIsUnread) {
    Add("fresh", 1, false);
    NewsScreen::RefreshNews(manager);
    MainMenuScreen menu;
    auto root = std::make_unique<Component>();
    auto* news = new Component();
    news->SetId(AsciiString("news"));
    root->AddChild(news, -1);
    auto* badge = new Component();
    badge->SetId(AsciiString("new"));
    news->AddChild(badge, -1);
    badge->GetEnabledProperty()->Set(false);
    menu.m_layout = root.get();
    menu.m_state = MainMenuScreen::Idle;

    menu.Update(1.0f / 60.0f);
    EXPECT_TRUE(badge->IsEnabled());
    NewsScreen::MarkChosenItemRead(manager);
    menu.Update(1.0f / 60.0f);
    EXPECT_FALSE(badge->IsEnabled());
    menu.m_layout = nullptr;
}

TEST(NewsScreenNoService, NoNewsServiceChoosesNothing) {
    NewsScreen::ResetState();
    ServiceManager manager;
    NewsScreen::RefreshNews(manager);
    EXPECT_FALSE(NewsScreen::HasUnreadNews());
}

}  // namespace
}  // namespace Varnok
