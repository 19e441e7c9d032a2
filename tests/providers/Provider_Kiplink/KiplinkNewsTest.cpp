// News through the engine's news service: the server's items, the time to
// live between syncs, and a read item making the next refresh go out.
#include "tests/providers/Provider_Kiplink/KiplinkWorld.h"

#include "engine/services/INewsService.h"
#include "engine/services/ITimeService.h"
#include "providers/Provider_Kiplink/KiplinkNewsService.h"
#include "tools/kiplink_server/NewsService.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace TestSupport {
namespace {

struct NewsHeard {
    int news = 0;
    int syncs = 0;
    std::string lastError = "(none)";
    User* lastUser = nullptr;
    void OnNews(const char* error, User* user) {
        ++news;
        lastError = error != nullptr ? error : "(null)";
        lastUser = user;
    }
    void OnSync(const char*, User*) { ++syncs; }
};

TEST(KiplinkNewsTest, RefreshWithinTheTimeToLiveAnswersAtOnceUntilAnItemIsRead) {
    KiplinkWorld world;
    Tools::NewsService news(world.accounts);
    news.Install(world.Server());
    Json::Value item;
    item["id"] = "n1";
    item["title"] = "Fresh fruit";
    item["type"] = "TEXT";
    item["published"] = 100;
    item["expires"] = 4000000000u;
    item["content"]["text"] = "Hello";
    Json::Value items(Json::arrayValue);
    items.append(item);
    news.SetItems(items);
    news.SetTtl(600);

    world.Start();
    User* user = world.Current();
    ASSERT_TRUE(world.FramesUntil([&] { return user->HasId("kpauth"); }));
    auto* service = world.Manager().GetService<INewsService>();
    ASSERT_NE(service, nullptr);
    NewsHeard heard;
    service->SetNewsCallback(INewsServiceAggregate::NewsDelegate(&heard, &NewsHeard::OnNews));
    service->SetSyncCallback(INewsServiceAggregate::NewsDelegate(&heard, &NewsHeard::OnSync));

    service->RefreshNews(user);
    ASSERT_TRUE(world.FramesUntil([&] { return heard.news == 1; }));
    EXPECT_EQ(heard.syncs, 1);
    EXPECT_EQ(heard.lastError, "(null)");
    EXPECT_EQ(heard.lastUser, user);
    EXPECT_EQ(world.CallCount("news", "sync"), 1);
    ASSERT_EQ(service->GetNewsCount(user), 1);
    INews* first = service->GetNews(user, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(service->GetNews(user, 0), first);
    EXPECT_EQ(service->GetNews(user, 1), nullptr);
    EXPECT_STREQ(first->GetTitle(), "Fresh fruit");
    EXPECT_STREQ(first->GetText(), "Hello");
    EXPECT_STREQ(first->GetType(), "text");
    EXPECT_EQ(first->GetTimeStamp(), 100u);
    EXPECT_FALSE(first->IsExpired());

    // Within the time to live: answered at once, nothing sent.
    service->RefreshNews(user);
    EXPECT_EQ(heard.news, 2);
    world.Settle();
    EXPECT_EQ(world.CallCount("news", "sync"), 1);
    EXPECT_EQ(heard.syncs, 1);

    first->MarkRead();
    EXPECT_TRUE(first->IsRead());
    service->RefreshNews(user);
    ASSERT_TRUE(world.FramesUntil([&] { return heard.syncs == 2; }));
    EXPECT_EQ(world.CallCount("news", "sync"), 2);
    EXPECT_EQ(news.ReadBy(user->GetId("kpid")), std::set<std::string>{"n1"});

    // Offline nothing at all happens.
    first->MarkRead();
    service->SetOnline(false);
    service->RefreshNews(user);
    world.Settle();
    EXPECT_EQ(heard.news, 3);
    EXPECT_EQ(world.CallCount("news", "sync"), 2);

    service->ClearNews(user);
    EXPECT_EQ(service->GetNewsCount(user), 0);
}

TEST(KiplinkNewsTest, AUserWithoutTheOnlineComponentHasNoNews) {
    KiplinkWorld world;
    world.Start();
    User stranger;
    auto* service = world.Manager().GetService<INewsService>();
    EXPECT_EQ(service->GetNewsCount(&stranger), 0);
    EXPECT_EQ(service->GetNews(&stranger, 0), nullptr);
    auto* time = world.Manager().GetService<ITimeService>();
    ASSERT_NE(time, nullptr);
    // The estimate moves only with the library's ticks.
    EXPECT_EQ(time->GetServerTime(), time->GetServerTime());
}

}  // namespace
}  // namespace TestSupport
}  // namespace Varnok
