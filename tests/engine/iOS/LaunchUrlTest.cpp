// Opened URLs, the launch-URL dispatcher, notification payloads and the
// application delegate's URL and notification callbacks.
#include "engine/iOS/LaunchUrl.h"

#include "engine/core/PlatformEventHub.h"
#include "engine/iOS/PushNotification.h"
#include "engine/iOS/VarnokTouchAppDelegate.h"
#include "tests/engine/iOS/ShellTestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> s_heard;
void HeardFirst(const char* url) {
    s_heard.push_back(std::string("first ") + url);
}
void HeardSecond(const char* url) {
    s_heard.push_back(std::string("second ") + url);
}

TEST(LaunchUrlDispatcher, HoldsTheLastUrlUntilDeliveredThenDeliversAtOnce) {
    s_heard.clear();
    LaunchUrlDispatcher dispatcher;
    dispatcher.AddListener(LaunchUrlDispatcher::Listener(&HeardFirst));
    dispatcher.SetUrl("app://one");
    dispatcher.SetUrl("app://two");  // replaces the first
    EXPECT_THAT(s_heard, IsEmpty());
    dispatcher.AddListener(LaunchUrlDispatcher::Listener(&HeardSecond));
    dispatcher.Deliver();
    EXPECT_THAT(s_heard, ElementsAre("first app://two", "second app://two"));
    EXPECT_TRUE(dispatcher.GetPendingUrl().empty());
    dispatcher.Deliver();  // nothing pending: nobody called
    EXPECT_EQ(s_heard.size(), 2u);

    s_heard.clear();
    dispatcher.SetUrl("app://three");  // ready: delivered at once
    EXPECT_THAT(s_heard, ElementsAre("first app://three", "second app://three"));
}

TEST(OpenUrl, RefusesMalformedUrlsAndReportsTheOpener) {
    std::vector<std::string> opened;
    bool answer = true;
    SetUrlOpener([&](const char* url) {
        opened.push_back(url);
        return answer;
    });
    const struct {
        const char* url;
        bool wellFormed;
    } cases[] = {
        {"https://example.org/a?b=c", true},
        {"mailto:someone@example.org", true},
        {"itms-apps://item/1", true},
        {"", false},
        {"no scheme here", false},
        {"-e:flag", false},       // could be taken for an option
        {"https://a b", false},   // a space
        {"https://a\nb", false},  // a control character
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(OpenUrl(c.url), c.wellFormed);
    }
    EXPECT_FALSE(OpenUrl(nullptr));
    EXPECT_EQ(opened.size(), 3u);
    answer = false;
    EXPECT_FALSE(OpenUrl("https://example.org"));
    SetUrlOpener(nullptr);
}

class RecordingOpener : public UrlOpener {
public:
    bool Open(const char* url) override {
        opened.push_back(url);
        return false;
    }
    std::vector<std::string> opened;
};

TEST(OpenUrl, TheShellInstallsTheProgramsOpener) {
    auto opener = std::make_shared<RecordingOpener>();
    {
        ShellDef def;
        def.display = &ShellTest::Display();
        def.services.urlOpener = opener;
        VarnokTouchAppDelegate app(def);
    }
    EXPECT_FALSE(OpenUrl("https://example.org/x"));  // the opener's answer
    EXPECT_FALSE(OpenUrl("not a url"));              // refused before the opener
    EXPECT_THAT(opener->opened, ElementsAre("https://example.org/x"));
    SetUrlOpener(nullptr);
    EXPECT_TRUE(OpenUrl("https://example.org/y"));  // only logged
}

TEST(NotificationPayload, ParsesItsKeysAndSkipsBareOptions) {
    PlatformDictionary payload;
    ASSERT_TRUE(ReadPayloadJson(R"({"aps":{"alert":"Come back"},"p":"promo","s":42,
                                    "o":"3||abc|,|7||x||y|,|9"})",
                                "test", payload));
    PushNotificationRecord record;
    record.values["stale"] = "x";
    ParseNotificationPayload(payload, ApplicationInactive, record);
    EXPECT_FALSE(record.activeWhenParsed);
    EXPECT_EQ(record.kind, 2);
    EXPECT_STREQ(record.alert.c_str(), "Come back");
    EXPECT_STREQ(record.p.c_str(), "promo");
    EXPECT_STREQ(record.s.c_str(), "42");
    ASSERT_EQ(record.o.size(), 2u);
    EXPECT_STREQ(record.o[3].c_str(), "abc");
    EXPECT_STREQ(record.o[7].c_str(), "x");
    EXPECT_TRUE(record.values.empty());

    // Missing and mistyped keys leave their fields empty.
    ASSERT_TRUE(ReadPayloadJson(R"({"aps":"not a dictionary","p":5,"o":["a"]})", "test", payload));
    ParseNotificationPayload(payload, ApplicationActive, record);
    EXPECT_TRUE(record.activeWhenParsed);
    EXPECT_TRUE(record.alert.IsEmpty());
    EXPECT_TRUE(record.p.IsEmpty());
    EXPECT_TRUE(record.s.IsEmpty());
    EXPECT_TRUE(record.o.empty());

    for (const char* bad : {"", "{", "[1,2]", "\"text\""}) {
        EXPECT_FALSE(ReadPayloadJson(bad, "test", payload)) << bad;
    }
}

TEST(NotificationPayload, OptionKeysReadAsThePlatformReadsIntegers) {
    const struct {
        const char* text;
        std::map<int, std::string> expected;
    } cases[] = {
        {"", {}},
        {"5||a|,|5||b", {{5, "b"}}},           // the last of a key wins
        {"x||a", {{0, "a"}}},                  // no digits: key 0
        {" 12abc||v", {{12, "v"}}},            // leading digits only
        {"-4||n|,|||e", {{-4, "n"}, {0, "e"}}},
        {"99999999999||big", {{2147483647, "big"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::map<int, AsciiString> options;
        ParseNotificationOptions(c.text, options);
        ASSERT_EQ(options.size(), c.expected.size());
        for (const auto& entry : c.expected) {
            EXPECT_STREQ(options[entry.first].c_str(), entry.second.c_str());
        }
    }
}

struct HubListener {
    std::vector<std::string> heard;
    bool refuse = false;
    void OnOpenUrl(const char* url, const char* source) {
        heard.push_back(std::string("url ") + url + " from " + (source != nullptr ? source : "(none)"));
        PlatformEventHub::Get().urlRefused = refuse;
    }
    void OnRemote(const PlatformDictionary* payload) {
        heard.push_back("remote " + payload->value["p"].asString());
    }
    void OnLocal(const PlatformDictionary* userInfo) {
        heard.push_back("local " + userInfo->value["p"].asString());
    }
    void OnToken(const PlatformData* token) { heard.push_back("token " + std::to_string(token->bytes.size())); }
    void OnFailed(const PlatformError* error) { heard.push_back("failed " + error->description); }
};

class AppCallbacksTest : public ::testing::Test {
protected:
    void SetUp() override {
        ShellDef def;
        def.display = &ShellTest::Display();
        app = std::make_unique<VarnokTouchAppDelegate>(def);
        PlatformEventHub& hub = PlatformEventHub::Get();
        hub.openUrl.Add(openUrl);
        hub.remoteNotification.Add(remote);
        hub.localNotification.Add(local);
        hub.deviceToken.Add(token);
        hub.registerFailed.Add(failed);
    }
    void TearDown() override {
        PlatformEventHub& hub = PlatformEventHub::Get();
        hub.openUrl.Remove(openUrl);
        hub.remoteNotification.Remove(remote);
        hub.localNotification.Remove(local);
        hub.deviceToken.Remove(token);
        hub.registerFailed.Remove(failed);
        app.reset();
    }

    static PlatformDictionary Payload(const char* p) {
        PlatformDictionary payload;
        payload.value["aps"]["alert"] = "Hello";
        payload.value["p"] = p;
        return payload;
    }

    HubListener listener;
    const Delegate2<void, const char*, const char*> openUrl{&listener, &HubListener::OnOpenUrl};
    const Delegate1<void, const PlatformDictionary*> remote{&listener, &HubListener::OnRemote};
    const Delegate1<void, const PlatformDictionary*> local{&listener, &HubListener::OnLocal};
    const Delegate1<void, const PlatformData*> token{&listener, &HubListener::OnToken};
    const Delegate1<void, const PlatformError*> failed{&listener, &HubListener::OnFailed};
    std::unique_ptr<VarnokTouchAppDelegate> app;
};

TEST_F(AppCallbacksTest, RemoteNotificationWhileActiveReachesListenersAndItsEchoIsSwallowed) {
    app->Launch(LaunchOptions{});
    ASSERT_EQ(app->GetApplicationState(), ApplicationActive);
    app->didReceiveRemoteNotification(Payload("one"));
    EXPECT_THAT(listener.heard, ElementsAre("remote one"));
    EXPECT_EQ(app->GetScheduledLocalNotificationCount(), 1);
    app->DeliverScheduledLocalNotifications();
    EXPECT_THAT(listener.heard, ElementsAre("remote one"));  // the echo reaches nobody

    LocalNotification next;
    next.userInfo = Payload("two");
    app->didReceiveLocalNotification(next);
    EXPECT_THAT(listener.heard, ElementsAre("remote one", "local two"));

    app->applicationWillResignActive();  // inactive: the user opened it
    app->didReceiveRemoteNotification(Payload("three"));
    app->applicationDidEnterBackground();
    app->didReceiveRemoteNotification(Payload("four"));  // in the background: nothing
    EXPECT_THAT(listener.heard, ElementsAre("remote one", "local two", "remote three"));
    EXPECT_EQ(app->GetScheduledLocalNotificationCount(), 0);

    app->didRegisterForRemoteNotificationsWithDeviceToken(PlatformData{{1, 2, 3}});
    app->didFailToRegisterForRemoteNotificationsWithError(PlatformError{3010, "no network"});
    EXPECT_THAT(listener.heard, ElementsAre("remote one", "local two", "remote three", "token 3",
                                            "failed no network"));
}

TEST_F(AppCallbacksTest, LaunchNotificationIsKept) {
    LaunchOptions options;
    options.hasRemoteNotification = true;
    options.remoteNotification = Payload("launch");
    app->Launch(options);
    const PushNotificationRecord* launch = GetLaunchNotification();
    ASSERT_NE(launch, nullptr);
    EXPECT_STREQ(launch->p.c_str(), "launch");
    EXPECT_STREQ(launch->alert.c_str(), "Hello");
    EXPECT_FALSE(launch->activeWhenParsed);  // launching, not yet active
}

TEST_F(AppCallbacksTest, OpenedUrlGoesToTheHubAndTheDispatcher) {
    app->Launch(LaunchOptions{});
    EXPECT_TRUE(app->openURL("app://deep/link", "com.example.browser"));
    EXPECT_STREQ(GetLaunchSourceApplication(), "com.example.browser");
    EXPECT_TRUE(app->viewController().holdingView());  // up again until the next tick
    listener.refuse = true;
    EXPECT_FALSE(app->InjectOpenedUrl("app://refused", nullptr));
    EXPECT_STREQ(GetLaunchSourceApplication(), "");
    EXPECT_THAT(listener.heard, ElementsAre("url app://deep/link from com.example.browser",
                                            "url app://refused from (none)"));
    // Held until the first delivery, which the first tick of the process makes.
    const LaunchUrlDispatcher& dispatcher = LaunchUrlDispatcher::Get();
    EXPECT_EQ(dispatcher.GetPendingUrl(), dispatcher.IsReady() ? "" : "app://refused");
    app->viewController().drawFrame();
    EXPECT_TRUE(dispatcher.IsReady());
    EXPECT_TRUE(dispatcher.GetPendingUrl().empty());
    EXPECT_FALSE(app->viewController().holdingView());
}

}  // namespace
}  // namespace Varnok
