// The server's news read the way the game reads it: the start-up asks the
// news aggregate for the cached news and a refresh of the current user (too
// early to send before the first login), the main menu refreshes again once
// the user is signed in, and the screens take the first registered news
// service, naming no provider.
#include "tests/providers/Provider_Kiplink/KiplinkWorld.h"

#include "engine/services/INewsService.h"
#include "engine/services/ServiceManagerConfig.h"
#include "tools/kiplink_server/NewsService.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace TestSupport {
namespace {

int& NewsAnswers() {
    static int s_answers = 0;
    return s_answers;
}
void OnNews(const char* /*error*/, User* /*user*/) { ++NewsAnswers(); }

TEST(KiplinkGameNewsTest, TheStartUpsRefreshBringsTheServersNewsToTheGamesNewsService) {
    KiplinkWorld world;
    Tools::NewsService news(world.accounts);
    news.Install(world.Server());
    Json::Value items(Json::arrayValue);
    for (const char* id : {"n1", "n2"}) {
        Json::Value item;
        item["id"] = id;
        item["title"] = std::string("Fresh fruit ") + id;
        item["type"] = "TEXT";
        item["published"] = 100;
        item["expires"] = 4000000000u;
        item["content"]["text"] = "Slice on";
        items.append(item);
    }
    news.SetItems(items);
    world.Start();
    NewsAnswers() = 0;

    // As the game's start-up does, once the providers are up.
    auto* aggregate = world.Manager().GetServiceAggregate<INewsService>();
    ASSERT_NE(aggregate, nullptr);
    aggregate->SetNewsCallback(INewsServiceAggregate::NewsDelegate(&OnNews));
    ASSERT_TRUE(world.Manager().GetConfig()->HasRemoteConfig());
    User* user = world.Manager().GetCurrentUser();
    aggregate->LoadCachedNews(user);
    aggregate->RefreshNews(user);  // goes out before the first login ends
    ASSERT_TRUE(world.FramesUntil([&] { return user->HasId("kpauth"); }));
    aggregate->RefreshNews(user);  // the main menu's periodic refresh

    auto* service = world.Manager().GetService<INewsService>();  // what the screens use
    ASSERT_NE(service, nullptr);
    ASSERT_TRUE(world.FramesUntil([&] { return service->GetNewsCount(user) == 2; }));
    EXPECT_GE(NewsAnswers(), 1);
    EXPECT_EQ(world.Manager().GetCurrentUser(), user);  // the early refresh's refusal left the login alone
    EXPECT_GE(world.CallCount("news", "sync"), 1);
    EXPECT_STREQ(service->GetNews(user, 0)->GetTitle(), "Fresh fruit n1");
    EXPECT_STREQ(service->GetNews(user, 1)->GetText(), "Slice on");
}

}  // namespace
}  // namespace TestSupport
}  // namespace Varnok
