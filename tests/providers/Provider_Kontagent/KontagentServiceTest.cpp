// The analytics service end to end: started as the game starts it, its
// endpoint from a signed remote configuration, its messages to a loopback
// server, its queues across restarts.
#include "engine/core/DevicePropertyMap.h"
#include "engine/core/Event.h"
#include "engine/core/UrlEncode.h"
#include "engine/iOS/VarnokGame.h"
#include "tests/providers/Provider_Kontagent/KontagentFixture.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace Varnok {
namespace {

using TestSupport::FakeNow;
using TestSupport::kAbcDeviceKey;
using TestSupport::KontagentWorld;
using TestSupport::Ok;
using TestSupport::Queries;
using TestSupport::ReadHost;
using VarnokTest::LoopbackHttpServer;

constexpr auto kServerLife = std::chrono::seconds(30);

class GameStandIn final : public VarnokGame {
public:
    void InitialiseStage1(void*, void*) override {}
    void Initialise(void*, void*) override {}
};

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

size_t CountStartingWith(const std::vector<std::string>& list, const std::string& prefix) {
    return static_cast<size_t>(std::count_if(list.begin(), list.end(), [&](const std::string& s) {
        return s.compare(0, prefix.size(), prefix) == 0;
    }));
}

// The queries that came from the queue: they carry their first attempt.
std::vector<std::string> Resent(const LoopbackHttpServer& server) {
    std::vector<std::string> out;
    for (const std::string& query : Queries(server)) {
        if (query.find("&ts=") != std::string::npos) {
            out.push_back(query);
        }
    }
    return out;
}

std::string Key(const char* kind) {
    return std::string(kind) + "/?s=" + kAbcDeviceKey;
}

TEST(KontagentService, InitialiseNeedsTheProviderFileAndItsAnalyticsElement) {
    KontagentWorld world;
    const struct {
        const char* what;
        const char* file;  // null: none
        const char* fault;
    } cases[] = {
        {"no file", nullptr, "no configuration Provider_Kontagent.xml"},
        {"no element", "<provider><other/></provider>", "has no IAnalyticsService element"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(world.SavePath("Services/Provider_Kontagent.xml"));
        if (c.file != nullptr) {
            TestSupport::WriteHost(world.SavePath("Services/Provider_Kontagent.xml"), c.file);
        }
        TestSupport::LogCapture capture;
        world.Start();
        const std::string log = capture.Take();
        EXPECT_NE(log.find(c.fault), std::string::npos) << log;
        EXPECT_FALSE(world.Manager().GetProvider<Provider_Kontagent>()->IsEnabled());
        EXPECT_EQ(world.Manager().GetService<IAnalyticsService>("Provider_Kontagent"), nullptr);
    }
}

TEST(KontagentService, FirstFramesReportInstallAndHeartbeatThenEventsReachTheServer) {
    KontagentWorld world;
    LoopbackHttpServer server({Ok("1")}, kServerLife);
    world.PublishEndpoint(server.Url(""), ",\"buildId\":\"b-7\"");
    world.Start();
    ASSERT_TRUE(world.Manager().GetConfig()->HasRemoteConfig());
    EXPECT_EQ(world.Service().GetDeviceKeyText(), kAbcDeviceKey);
    EXPECT_FALSE(world.Service().UsesOnlineId());

    ASSERT_TRUE(world.UpdateUntilServed(server, 2));
    EXPECT_EQ(Queries(server), (std::vector<std::string>{Key("apa"), Key("pgr")}));
    EXPECT_TRUE(std::filesystem::exists(world.SavePath("kontagent_app_installed")));

    world.Service().TrackCustomEvent(KontagentCustomEvent{"Start"}, Json::Value());
    ASSERT_TRUE(world.UpdateUntilServed(server, 3));
    EXPECT_EQ(Queries(server).back(), Key("evt") + "&n=Start");

    GameStandIn game;
    game.SetVersion("2.3.1");
    world.Manager().GetServiceAggregate<IAnalyticsService>()->ReportUserInformation();
    ASSERT_TRUE(world.UpdateUntilServed(server, 4));
    const std::string model =
        DevicePropertyMap::Get(DevicePropertyMap::Instance(), DevicePropertyMap::kHardwareModel);
    ASSERT_FALSE(model.empty());
    std::string encodedModel;
    EXPECT_EQ(Queries(server).back(),
              Key("cpu") + "&os=ios&m=apple&d=" + UrlEncode(model.c_str(), encodedModel, false, true) +
                  "&v_maj=2.3.1%3Ab-7");

    // Configured events through the sample file's actions.
    EventDispatcher::Get().Fire(Event("OnMainMenu"));
    Event purchase("OnStorePurchase");
    purchase.SetString("cents", "99");
    purchase.SetString("product", "coins 500");
    purchase.SetString("currency", "GBP");
    EventDispatcher::Get().Fire(purchase);
    ASSERT_TRUE(world.UpdateUntilServed(server, 6));
    const auto queries = Queries(server);
    EXPECT_TRUE(Contains(queries, Key("evt") + "&n=MainMenu"));
    // {"currency":"GBP"} and a line feed, in Base64.
    EXPECT_TRUE(Contains(queries, Key("mtu") + "&v=99&tu=direct&st1=coins+500&data=eyJjdXJyZW5jeSI6IkdCUCJ9Cg=="));

    // The heartbeat comes back after 31 seconds, not 30.
    FakeNow() += 30;
    world.Settle();
    EXPECT_EQ(CountStartingWith(Queries(server), Key("pgr")), 1u);
    FakeNow() += 1;
    ASSERT_TRUE(world.UpdateUntilServed(server, 7));
    EXPECT_EQ(CountStartingWith(Queries(server), Key("pgr")), 2u);
}

TEST(KontagentService, AnExistingInstallMarkerSendsNoInstallReport) {
    KontagentWorld world;
    LoopbackHttpServer server({Ok("1")}, kServerLife);
    world.PublishEndpoint(server.Url(""));
    TestSupport::WriteHost(world.SavePath("kontagent_app_installed"), "");
    world.Start();
    ASSERT_TRUE(world.UpdateUntilServed(server, 1));
    EXPECT_TRUE(world.Service().IsInstallReported());
    EXPECT_EQ(Queries(server), std::vector<std::string>{Key("pgr")});
}

TEST(KontagentService, UnreachableQueuesWithTheTimeAndActionsWithoutANameSendNoName) {
    KontagentWorld world;
    world.PublishEndpoint("http://127.0.0.1:9");
    TestSupport::SetNetwork(false);
    world.Start();
    world.Service().TrackPageRequest(KontagentPageRequest{}, Json::Value());
    EXPECT_EQ(world.Queue(), std::deque<std::string>{Key("pgr") + "&ts=1000000"});

    KontagentCustomAction unnamed(&world.Manager());
    unnamed.Execute(Event("OnAnything"));
    EXPECT_EQ(world.Queue().back(), Key("evt") + "&ts=1000000");

    // Without a registered service an action does nothing.
    ServiceManager empty;
    KontagentCustomAction orphan(&empty);
    orphan.Execute(Event("OnAnything"));
    EXPECT_EQ(world.Queue().size(), 2u);
}

TEST(KontagentService, QueuedMessagesSurviveARestartAndGoOutOncePerFlushInOrder) {
    KontagentWorld world;
    LoopbackHttpServer server({Ok("1")}, kServerLife);
    TestSupport::SetNetwork(false);
    world.Start();  // no endpoint yet either
    world.Manager().Update();  // install report and heartbeat wait
    for (const char* name : {"One", "Two", "Three"}) {
        world.Service().TrackCustomEvent(KontagentCustomEvent{name}, Json::Value());
        FakeNow() += 1;
    }
    const std::deque<std::string> waiting = world.Queue();
    ASSERT_EQ(waiting.size(), 5u);
    EXPECT_EQ(waiting.front(), Key("apa") + "&ts=1000000");
    world.Stop();

    world.PublishEndpoint(server.Url(""));
    TestSupport::SetNetwork(true);
    world.Start();
    EXPECT_EQ(world.Queue(), waiting);
    std::vector<std::string> resent;
    for (size_t flush = 1; flush <= waiting.size(); ++flush) {
        ASSERT_TRUE(TestSupport::RunUntil([&] { world.Manager().Update(); },
                                          [&] { return Resent(server).size() >= flush; }));
        world.Settle(50);  // the same second: no second flush
        resent = Resent(server);
        ASSERT_EQ(resent.size(), flush);
        FakeNow() += 3;
    }
    EXPECT_EQ(resent, std::vector<std::string>(waiting.begin(), waiting.end()));
    EXPECT_TRUE(world.Queue().empty());
}

TEST(KontagentService, WithTheOnlineProviderReportsWaitAsRecordsUntilThePlayerHasAnId) {
    KontagentWorld world;
    LoopbackHttpServer server({Ok("1")}, kServerLife);
    world.PublishEndpoint(server.Url(""));
    world.Start(true);
    ASSERT_TRUE(world.Service().UsesOnlineId());
    world.Manager().Update();  // install report and heartbeat become records
    world.Service().TrackCustomEvent(KontagentCustomEvent{"Start"}, Json::Value());
    FakeNow() += 31;
    world.Manager().Update();  // one more heartbeat record
    world.Settle();
    EXPECT_TRUE(server.Requests().empty());
    ASSERT_EQ(world.Service().GetPrecompiledRecords().size(), 4u);
    EXPECT_EQ(world.Service().GetPrecompiledRecords()[2u]["Type"].asString(), "CustomEvent");
    world.Stop();

    world.Start(true);
    ASSERT_EQ(world.Service().GetPrecompiledRecords().size(), 4u);
    world.Manager().Update();  // still no id: the heartbeat is stored too
    ASSERT_EQ(world.Service().GetPrecompiledRecords().size(), 5u);
    User* player = world.Manager().GetCurrentUser();
    ASSERT_NE(player, nullptr);
    player->SetId("kpid", "12345", true);
    FakeNow() += 31;
    ASSERT_TRUE(world.UpdateUntilServed(server, 6));  // the heartbeat, then the five records

    const std::string onlineKey = "1515602963654232620";  // from SHA-256 of "12345"
    const std::string identity = "&data=eyJiIjoiMTIzNDUiLCJkIjoiYWJjIn0K";  // {"b":"12345","d":"abc"}\n
    const auto queries = Queries(server);
    ASSERT_EQ(queries.size(), 6u);
    EXPECT_EQ(queries[0], "pgr/?s=" + onlineKey + identity);
    EXPECT_TRUE(Contains(queries, "apa/?s=" + onlineKey + identity));
    EXPECT_TRUE(Contains(queries, "evt/?s=" + onlineKey + "&n=Start" + identity));
    EXPECT_EQ(CountStartingWith(queries, "pgr/"), 4u);
    EXPECT_EQ(ReadHost(world.SavePath(kKontagentRecordsFile)), std::string("[]\n\0", 4));
}

TEST(KontagentService, DamagedRecordsFileGivesNoRecordsInOneLogLine) {
    KontagentWorld world;
    const struct {
        const char* what;
        std::string bytes;
        const char* fault;
    } cases[] = {
        {"not JSON", "[{\"Type\":", "not JSON"},
        {"not an array", "{\"Type\":\"CustomEvent\"}\n", "not an array"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestSupport::WriteHost(world.SavePath(kKontagentRecordsFile), c.bytes);
        TestSupport::LogCapture capture;
        world.Start(true);
        EXPECT_TRUE(TestSupport::IsOneLogLineNaming(capture.Take(), "kontagent-precompiled.dat", c.fault));
        EXPECT_TRUE(world.Service().GetPrecompiledRecords().isNull());
    }
}

}  // namespace
}  // namespace Varnok
