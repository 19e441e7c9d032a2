// The social client and tweet composer stand-ins: answers come on a later
// frame, from the script or the defaults, and fail as the real client does.
#include "platform/SocialClientStandIn.h"

#include "engine/core/PlatformEventHub.h"
#include "platform/TweetComposerStandIn.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

void RunFrame() {
    PlatformEventHub::Get().DispatchPreUpdate(1.0f / 60.0f);
}

TEST(SocialClientStandIn, GraphAnswersComeOnTheNextFrameAndFailLikeTheClient) {
    SocialClientStandIn client;
    client.SetGraphAnswer("GET", "1", R"({"id":"1"})");
    std::vector<std::string> heard;
    const auto record = [&heard](const std::string& body, const std::string* error) {
        heard.push_back(error != nullptr ? "error: " + *error : body);
    };
    client.StartGraphRequest("1", "GET", record);
    client.StartGraphRequest("2", "GET", record);
    client.StartGraphRequest("2", "DELETE", record);
    EXPECT_THAT(heard, IsEmpty());
    RunFrame();
    ASSERT_EQ(heard.size(), 3u);
    EXPECT_EQ(heard[0], R"({"id":"1"})");
    EXPECT_NE(heard[1].find("error: (#803)"), std::string::npos);
    EXPECT_EQ(heard[2], "true");

    heard.clear();
    client.SetLoggedIn(false);
    client.StartGraphRequest("1", "GET", record);
    RunFrame();
    client.SetLoggedIn(true);
    client.SetOnline(false);
    client.StartGraphRequest("1", "GET", record);
    RunFrame();
    EXPECT_THAT(heard, ElementsAre(std::string("error: ") + SocialClientStandIn::kNoSessionError,
                                   std::string("error: ") + SocialClientStandIn::kOfflineError));
}

TEST(SocialClientStandIn, WhatAHandlerAsksWaitsForTheFrameAfter) {
    SocialClientStandIn client;
    int answers = 0;
    client.PresentFeedDialog({}, [&](const SocialDialogOutcome& outcome) {
        ++answers;
        EXPECT_EQ(outcome.result, SocialDialogResult::Completed);
        EXPECT_NE(outcome.url.find("post_id="), std::string::npos);  // unscripted: posted
        client.StartGraphRequest("me", "DELETE", [&](const std::string&, const std::string*) { ++answers; });
    });
    RunFrame();
    EXPECT_EQ(answers, 1);
    EXPECT_EQ(client.GetPendingCount(), 1);
    RunFrame();
    EXPECT_EQ(answers, 2);
}

TEST(SocialClientStandIn, TheSessionTakesOnlyItsOwnLoginReply) {
    SocialClientStandIn client;
    EXPECT_FALSE(client.HandleOpenUrl("fb9://authorize#access_token=a"));  // no login asked
    client.BeginLogin("fb9");
    EXPECT_FALSE(client.HandleOpenUrl("other://authorize#access_token=a"));
    EXPECT_TRUE(client.HandleOpenUrl("fb9://authorize#access_token=a"));
    EXPECT_TRUE(client.IsLoggedIn());
    client.BeginLogin("fb9");
    client.HandleDidBecomeActive();  // back without a reply: given up
    EXPECT_FALSE(client.IsLoginInProgress());
    EXPECT_FALSE(client.HandleOpenUrl("fb9://authorize#access_token=b"));
}

TEST(TweetComposerStandIn, AnswersOnceOnTheNextFrameAndRefusesASecondSheet) {
    TweetComposerStandIn composer;
    std::vector<TweetComposeResult> results;
    composer.QueueAnswer(TweetComposeResult::Cancelled);
    composer.Present("a", nullptr, [&](TweetComposeResult r) { results.push_back(r); });
    composer.Present("b", nullptr, [&](TweetComposeResult r) { results.push_back(r); });
    EXPECT_TRUE(composer.IsPresenting());
    RunFrame();
    RunFrame();
    EXPECT_THAT(results, ElementsAre(TweetComposeResult::Cancelled));
    ASSERT_EQ(composer.GetShown().size(), 1u);
    EXPECT_EQ(composer.GetShown()[0].text, "a");
    EXPECT_FALSE(composer.IsPresenting());
}

}  // namespace
}  // namespace Varnok
