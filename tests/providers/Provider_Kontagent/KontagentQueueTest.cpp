// The client's answers and its queue: what is kept, requeued or dropped, and
// what "kontagent.dat" holds, read back after damage.
#include "engine/core/HttpRequestManager.h"
#include "tests/providers/Provider_Kontagent/KontagentFixture.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using TestSupport::FakeNow;
using TestSupport::kAbcDeviceKey;
using TestSupport::Ok;
using TestSupport::ReadHost;
using TestSupport::ServiceWorld;
using TestSupport::WriteHost;
using VarnokTest::LoopbackHttpServer;

struct Completions {
    void OnDone(int id, bool taken) { seen.emplace_back(id, taken); }
    std::vector<std::pair<int, bool>> seen;
};

std::deque<std::string> QueueFile(const ServiceWorld& world) {
    const std::string bytes = ReadHost(world.SavePath(kKontagentQueueFile));
    std::deque<std::string> messages;
    std::string fault;
    ParseKontagentQueue(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), messages, fault);
    EXPECT_EQ(fault, "");
    return messages;
}

std::string BigEndian(uint32_t value) {
    return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
                       static_cast<char>(value)};
}

class KontagentClient : public testing::Test {
protected:
    // Frames of the request manager until the completions number count.
    bool AnsweredCount(size_t count) {
        return TestSupport::RunUntil([this] { http->Update(); }, [&] { return done.seen.size() >= count; });
    }

    // Frames of the request manager (which moves the transfers) until the
    // server has count requests.
    bool Served(const LoopbackHttpServer& server, size_t count) {
        return TestSupport::RunUntil([this] { http->Update(); },
                                     [&] { return server.Requests().size() >= count; });
    }

    ServiceWorld world;
    std::unique_ptr<HttpRequestManager> http = CreateHttpRequestManager();
    Completions done;
    const KontagentCompletion onDone{&done, &Completions::OnDone};
};

TEST_F(KontagentClient, ErrorStatusRequeuesWithTheFirstAttemptOnlyOnceAnd200OtherThanOneDrops) {
    LoopbackHttpServer server({LoopbackHttpServer::Reply(500, "Server Error", "text/plain", "no"),
                               LoopbackHttpServer::Reply(503, "Unavailable", "text/plain", ""), Ok("0"), Ok("1")},
                              std::chrono::seconds(20));
    KontagentApiClient client(*http);
    client.SetEndpoint(server.Url(""), "apikey/");
    const int64_t firstAttempt = FakeNow();
    const std::string query = std::string("evt/?s=") + kAbcDeviceKey + "&n=Start";
    client.Send(onDone, kAbcDeviceKey, KontagentCustomEvent{"Start"}.ToReport(), Json::Value());
    ASSERT_TRUE(AnsweredCount(1));
    EXPECT_EQ(done.seen.back(), std::make_pair(0, false));
    const std::string kept = query + "&ts=" + std::to_string(firstAttempt);
    EXPECT_EQ(client.GetQueue(), std::deque<std::string>{kept});
    EXPECT_EQ(QueueFile(world), std::deque<std::string>{kept});

    // Resent from the queue and refused again: requeued as it was.
    FakeNow() += 3;
    client.Flush();
    ASSERT_TRUE(Served(server, 2));
    ASSERT_TRUE(TestSupport::RunUntil([&] { http->Update(); }, [&] { return !client.GetQueue().empty(); }));
    EXPECT_EQ(client.GetQueue(), std::deque<std::string>{kept});

    // 200 with "0": discarded.
    FakeNow() += 3;
    client.Flush();
    ASSERT_TRUE(Served(server, 3));
    ASSERT_TRUE(TestSupport::RunUntil([&] { http->Update(); }, [&] { return !http->HasActiveRequests(); }));
    EXPECT_TRUE(client.GetQueue().empty());
    EXPECT_TRUE(QueueFile(world).empty());

    client.Send(onDone, kAbcDeviceKey, KontagentCustomEvent{"Again"}.ToReport(), Json::Value());
    ASSERT_TRUE(AnsweredCount(2));
    EXPECT_EQ(done.seen.back(), std::make_pair(3, true));  // ids count the resends too
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/apikey/" + query);
    EXPECT_EQ(requests[1].target, "/apikey/" + kept);
    EXPECT_EQ(requests[2].target, "/apikey/" + kept);
}

TEST_F(KontagentClient, FlushSendsOneEveryThreeSecondsAndDropsWholeUrls) {
    LoopbackHttpServer server({Ok("1")}, std::chrono::seconds(20));
    KontagentApiClient client(*http);
    client.QueueMessage("http://elsewhere.test/x");
    client.QueueMessage("evt/?s=1&n=A&ts=5");
    client.QueueMessage("evt/?s=1&n=B&ts=6");
    client.Flush();  // no endpoint: nothing
    EXPECT_EQ(client.GetQueue().size(), 3u);

    client.SetEndpoint(server.Url(""), "apikey");
    client.Flush();  // the whole URL goes, nothing is sent
    EXPECT_EQ(client.GetQueue().size(), 2u);
    FakeNow() += 2;
    client.Flush();  // not yet past the next flush time
    EXPECT_EQ(client.GetQueue().size(), 2u);
    FakeNow() += 1;
    client.Flush();
    EXPECT_EQ(client.GetQueue(), std::deque<std::string>{"evt/?s=1&n=B&ts=6"});
    TestSupport::SetNetwork(false);
    FakeNow() += 3;
    client.Flush();
    EXPECT_EQ(client.GetQueue().size(), 1u);
    TestSupport::SetNetwork(true);
    FakeNow() += 3;
    client.Flush();
    ASSERT_TRUE(Served(server, 2));
    const auto requests = server.Requests();
    EXPECT_EQ(requests[0].target, "/apikey/evt/?s=1&n=A&ts=5");
    EXPECT_EQ(requests[1].target, "/apikey/evt/?s=1&n=B&ts=6");
}

TEST_F(KontagentClient, RefusedConnectionCountsAsAnErrorStatus) {
    VarnokTest::RefusingPort refusing;
    KontagentApiClient client(*http);
    client.SetEndpoint("http://127.0.0.1:" + std::to_string(refusing.Port()), "apikey");
    client.Send(onDone, "7", KontagentPageRequest{}.ToReport(), Json::Value());
    ASSERT_TRUE(AnsweredCount(1));
    EXPECT_EQ(client.GetQueue(), std::deque<std::string>{"pgr/?s=7&ts=" + std::to_string(FakeNow())});
}

TEST_F(KontagentClient, QueueKeepsTheNewestHundredAndTheFileReadsBackAfterARestart) {
    {
        KontagentApiClient client(*http);  // no endpoint: everything waits
        for (int i = 0; i <= 100; ++i) {
            client.Send(onDone, "1", KontagentCustomEvent{("e" + std::to_string(i)).c_str()}.ToReport(),
                        Json::Value());
        }
        ASSERT_EQ(client.GetQueue().size(), 100u);
        EXPECT_EQ(client.GetQueue().front(), "evt/?s=1&n=e1&ts=1000000");
        EXPECT_EQ(done.seen.size(), 101u);
    }
    const std::deque<std::string> saved = QueueFile(world);
    ASSERT_EQ(saved.size(), 100u);
    EXPECT_EQ(saved.front(), "evt/?s=1&n=e1&ts=1000000");
    EXPECT_EQ(saved.back(), "evt/?s=1&n=e100&ts=1000000");
    KontagentApiClient restarted(*http);
    EXPECT_EQ(restarted.GetQueue(), saved);
}

TEST_F(KontagentClient, DamagedQueueFilesKeepWhatCameBeforeTheFaultInOneLogLine) {
    const std::string abc = BigEndian(3) + "abc";
    const struct {
        const char* what;
        std::string bytes;
        std::deque<std::string> kept;
        const char* fault;  // null: read without a word
    } cases[] = {
        {"count 2, one text", BigEndian(2) + abc, {"abc"}, "message 2 of 2 runs past the end"},
        {"a length past the end", BigEndian(2) + abc + BigEndian(9) + "xy", {"abc"}, "message 2 of 2"},
        {"half a length", BigEndian(2) + abc + "\x00\x00", {"abc"}, "message 2 of 2"},
        {"shorter than the count", std::string("\x00\x01", 2), {}, "shorter than its 4-byte count"},
        {"bytes after the last text", BigEndian(1) + abc + "zz", {"abc"}, "2 bytes after the last message"},
        {"empty texts are skipped", BigEndian(3) + BigEndian(0) + abc + BigEndian(0), {"abc"}, nullptr},
        {"empty file", "", {}, nullptr},
        {"count 0", BigEndian(0), {}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteHost(world.SavePath(kKontagentQueueFile), c.bytes);
        TestSupport::LogCapture capture;
        KontagentApiClient client(*http);
        EXPECT_TRUE(TestSupport::IsRefusalLog(capture.Take(), "kontagent.dat", c.fault));
        EXPECT_EQ(client.GetQueue(), c.kept);
    }

    std::string many = BigEndian(102);
    for (int i = 0; i < 102; ++i) {
        many += BigEndian(2) + "m" + static_cast<char>('0' + i % 10);
    }
    WriteHost(world.SavePath(kKontagentQueueFile), many);
    TestSupport::LogCapture capture;
    KontagentApiClient client(*http);
    EXPECT_TRUE(TestSupport::IsOneLogLineNaming(capture.Take(), "kontagent.dat", "the oldest 2 dropped"));
    ASSERT_EQ(client.GetQueue().size(), 100u);
    EXPECT_EQ(client.GetQueue().front(), "m2");
}

}  // namespace
}  // namespace Varnok
