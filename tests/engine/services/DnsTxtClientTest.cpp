// The DNS TXT client: its wire format, and queries against a real dnsmasq and
// against a scripted TCP peer for what dnsmasq never does.
#include "engine/services/DnsTxtClient.h"

#include "ServiceHarness.h"
#include "tests/support/Dnsmasq.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace Varnok {
namespace {

using TestSupport::FakeNow;
using TestSupport::RunUntil;
using TestSupport::ServiceWorld;

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out.push_back(static_cast<char>(v));
    }
    return out;
}

TEST(DnsMessage, NamesWriteAsLabelsWithOrWithoutFinalDotAndReadBackDotted) {
    for (const char* name : {"0.a.b", "0.a.b."}) {
        std::string out;
        WriteDnsName(name, out);
        EXPECT_EQ(out, Bytes({1, '0', 1, 'a', 1, 'b', 0})) << name;
        size_t offset = 0;
        std::string read;
        ASSERT_TRUE(ReadDnsName(reinterpret_cast<const uint8_t*>(out.data()), out.size(), offset, read));
        EXPECT_EQ(read, "0.a.b.");
        EXPECT_EQ(offset, out.size());
    }
    std::string doubled;
    WriteDnsName("a..b", doubled);
    EXPECT_EQ(doubled, Bytes({1, 'a', 0, 1, 'b', 0}));
}

// An answer to "x.y" TXT with one record named by a pointer to offset 12.
std::string PointerAnswer(const std::string& txtData) {
    DnsMessage message;
    message.id = 7;
    message.flags = 0x8180;
    DnsQuestion& question = message.AddQuestion();
    question.name = "x.y";
    question.type = 16;
    question.klass = 1;
    std::string out;
    message.Write(out);
    out[7] = 1;  // one answer
    out += Bytes({0xC0, 12, 0, 16, 0, 1, 0, 0, 0x0E, 0x10});
    out.push_back(static_cast<char>(txtData.size() >> 8));
    out.push_back(static_cast<char>(txtData.size() & 0xFF));
    out += txtData;
    return out;
}

TEST(DnsMessage, ReadsPointersTxtTextAndRefusesEveryOverrun) {
    const std::string answer = PointerAnswer(Bytes({3, 'a', 'b', 'c', 2, 'd', 'e'}));
    DnsMessage message;
    ASSERT_EQ(message.Read(reinterpret_cast<const uint8_t*>(answer.data()), answer.size()),
              static_cast<int64_t>(answer.size()));
    ASSERT_EQ(message.answers.size(), 1u);
    EXPECT_EQ(message.answers[0].name, "x.y.");
    EXPECT_EQ(message.answers[0].ttl, 3600u);
    AsciiString text;
    DnsTxtText(message.answers[0], text);
    EXPECT_STREQ(text.c_str(), "abc");  // only the first character-string

    // Every truncation of the answer fails cleanly, lists emptied.
    for (size_t n = 0; n < answer.size(); ++n) {
        DnsMessage cut;
        EXPECT_EQ(cut.Read(reinterpret_cast<const uint8_t*>(answer.data()), n), -1) << n;
        EXPECT_TRUE(cut.answers.empty());
    }
    // A pointer past the end, and a count the bytes cannot hold.
    std::string wild = answer;
    wild[wild.size() - 18] = static_cast<char>(0xFF);  // the pointer's offset
    EXPECT_EQ(message.Read(reinterpret_cast<const uint8_t*>(wild.data()), wild.size()), -1);
    std::string many = answer;
    many[6] = static_cast<char>(0xFF);
    EXPECT_EQ(message.Read(reinterpret_cast<const uint8_t*>(many.data()), many.size()), -1);
}

TEST(DnsMessage, IdsStayBelow65535AndWriteRoundTrips) {
    for (int i = 0; i < 1000; ++i) {
        EXPECT_LT(DnsMessage().id, 65535);
    }
    DnsMessage message;
    message.flags = 0x0100;
    DnsResourceRecord& record = message.AddAdditional();
    record.name = "r.test";
    record.ttl = 42;
    record.data = Bytes({2, 'h', 'i'});
    std::string out;
    message.Write(out);
    DnsMessage back;
    ASSERT_EQ(back.Read(reinterpret_cast<const uint8_t*>(out.data()), out.size()), static_cast<int64_t>(out.size()));
    ASSERT_EQ(back.additional.size(), 1u);
    EXPECT_EQ(back.additional[0].name, "r.test.");
    EXPECT_EQ(back.additional[0].data, record.data);
}

// Completion counter for delegates.
struct Completions {
    void On(const DnsMessage& answer) {
        ++calls;
        answers = answer.answers.size();
        if (!answer.answers.empty()) {
            AsciiString text;
            DnsTxtText(answer.answers[0], text);
            firstText = text.c_str();
            owner = answer.answers[0].name;
            ttl = answer.answers[0].ttl;
        }
    }
    int calls = 0;
    size_t answers = 0;
    std::string firstText;
    std::string owner;
    uint32_t ttl = 0;
};

DnsMessage TxtQuery(const char* name) {
    DnsMessage message;
    message.flags = 0x0100;
    DnsQuestion& question = message.AddQuestion();
    question.name = name;
    question.type = 16;
    question.klass = 1;
    return message;
}

TEST(DnsTxtResolver, AsksDnsmasqOverTcpAndCallsOnce) {
    ServiceWorld world;
    TestSupport::Dnsmasq dnsmasq;
    ASSERT_TRUE(dnsmasq.Start({"--txt-record=hello.varnok.test,first,second", "--txt-record=other.varnok.test,x"}, 77))
        << dnsmasq.Log();
    DnsTxtResolver& resolver = DnsTxtResolver::Get();
    resolver.SetServer("127.0.0.1", dnsmasq.Port());
    Completions found;
    Completions missing;
    resolver.Query(TxtQuery("hello.varnok.test"), DnsCompletion(&found, &Completions::On));
    resolver.Query(TxtQuery("nothing.varnok.test."), DnsCompletion(&missing, &Completions::On));
    ASSERT_TRUE(RunUntil([&] { resolver.Poll(); }, [&] { return resolver.GetPendingCount() == 0; }));
    EXPECT_EQ(found.calls, 1);
    EXPECT_EQ(found.firstText, "first");
    EXPECT_EQ(found.owner, "hello.varnok.test.");
    EXPECT_EQ(found.ttl, 77u);
    EXPECT_EQ(missing.calls, 1);
    EXPECT_EQ(missing.answers, 0u);  // a parsed answer without records reads as failure
}

TEST(DnsTxtResolver, SetupFailureCallsInsideQueryAndTheNextPollOnlyRemoves) {
    ServiceWorld world;
    DnsTxtResolver& resolver = DnsTxtResolver::Get();
    resolver.SetServer("not an address", 53);
    Completions completions;
    resolver.Query(TxtQuery("a.test"), DnsCompletion(&completions, &Completions::On));
    EXPECT_EQ(completions.calls, 1);
    EXPECT_EQ(resolver.GetPendingCount(), 1);
    resolver.Poll();
    EXPECT_EQ(completions.calls, 1);
    EXPECT_EQ(resolver.GetPendingCount(), 0);
    resolver.SetServer("127.0.0.1", 53);
}

// A loopback TCP peer that runs a script against the first connection.
class ScriptedPeer {
public:
    using Script = std::function<void(int client)>;
    explicit ScriptedPeer(Script script) {
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        socklen_t size = sizeof(address);
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = ntohs(address.sin_port);
        listen(m_listener, 4);
        m_thread = std::thread([this, script] {
            const int client = accept(m_listener, nullptr, nullptr);
            if (client >= 0) {
                script(client);
                while (!m_stop) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
                close(client);
            }
        });
    }
    ~ScriptedPeer() {
        m_stop = true;
        shutdown(m_listener, SHUT_RDWR);
        close(m_listener);
        m_thread.join();
    }
    uint16_t Port() const { return m_port; }

private:
    int m_listener = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Reads the query (prefix and message) the client sent.
std::string ReadQuery(int client) {
    uint8_t prefix[2];
    if (recv(client, prefix, 2, MSG_WAITALL) != 2) {
        return std::string();
    }
    std::string message((prefix[0] << 8) | prefix[1], '\0');
    recv(client, &message[0], message.size(), MSG_WAITALL);
    return message;
}

std::string Framed(const std::string& message) {
    return Bytes({static_cast<int>(message.size() >> 8), static_cast<int>(message.size() & 0xFF)}) + message;
}

TEST(DnsTxtResolver, AnswerSplitOverSeveralSegmentsStillSucceeds) {
    ServiceWorld world;
    const std::string answer = Framed(PointerAnswer(Bytes({5, 's', 'p', 'l', 'i', 't'})));
    ScriptedPeer peer([&](int client) {
        ReadQuery(client);
        for (size_t i = 0; i < answer.size(); i += 7) {
            send(client, answer.data() + i, std::min<size_t>(7, answer.size() - i), MSG_NOSIGNAL);
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
    });
    DnsTxtResolver& resolver = DnsTxtResolver::Get();
    resolver.SetServer("127.0.0.1", peer.Port());
    Completions completions;
    resolver.Query(TxtQuery("x.y"), DnsCompletion(&completions, &Completions::On));
    ASSERT_TRUE(RunUntil([&] { resolver.Poll(); }, [&] { return completions.calls > 0; }));
    EXPECT_EQ(completions.firstText, "split");
    resolver.SetServer("127.0.0.1", 53);
}

TEST(DnsTxtResolver, HostileAndTruncatedAnswersFailOnce) {
    const std::vector<std::string> replies = {
        Framed(Bytes({1, 2, 3})),                                  // shorter than a header
        Bytes({0, 40}) + std::string(10, 'x'),                     // closed before the body
        Framed(PointerAnswer(Bytes({3, 'a'})).substr(0, 30)),       // counts past the bytes
        Bytes({0, 0}),                                             // announced length 0
    };
    for (const std::string& reply : replies) {
        ServiceWorld world;
        ScriptedPeer peer([&](int client) {
            ReadQuery(client);
            send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
            shutdown(client, SHUT_WR);
        });
        DnsTxtResolver& resolver = DnsTxtResolver::Get();
        resolver.SetServer("127.0.0.1", peer.Port());
        Completions completions;
        resolver.Query(TxtQuery("x.y"), DnsCompletion(&completions, &Completions::On));
        ASSERT_TRUE(RunUntil([&] { resolver.Poll(); }, [&] { return resolver.GetPendingCount() == 0; }));
        EXPECT_EQ(completions.calls, 1);
        EXPECT_EQ(completions.answers, 0u);
        resolver.SetServer("127.0.0.1", 53);
    }
}

TEST(DnsTxtResolver, SilentPeerEndsTheQueryOnceAfterFourToFiveSeconds) {
    ServiceWorld world;
    ScriptedPeer peer([](int client) { ReadQuery(client); });  // never answers
    DnsTxtResolver& resolver = DnsTxtResolver::Get();
    resolver.SetServer("127.0.0.1", peer.Port());
    Completions completions;
    const int64_t start = FakeNow();
    resolver.Query(TxtQuery("x.y"), DnsCompletion(&completions, &Completions::On));
    // Connected and sent at the start time; then the clock moves a second a step.
    for (int i = 0; i < 100; ++i) {
        resolver.Poll();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(completions.calls, 0);
    int64_t endedAt = 0;
    for (int second = 1; second <= 8 && completions.calls == 0; ++second) {
        FakeNow() = start + second;
        for (int i = 0; i < 20; ++i) {
            resolver.Poll();
        }
        endedAt = FakeNow();
    }
    EXPECT_EQ(completions.calls, 1);
    EXPECT_GE(endedAt - start, 4);
    EXPECT_LE(endedAt - start, 5);
    resolver.Poll();
    EXPECT_EQ(completions.calls, 1);
    resolver.SetServer("127.0.0.1", 53);
}

// Three queries to a closed port: the poll removes finished ones, moving the
// last into the gap, and steps every one in the same poll.
TEST(DnsTxtResolver, FinishedQueriesLeaveDuringOnePoll) {
    ServiceWorld world;
    DnsTxtResolver& resolver = DnsTxtResolver::Get();
    resolver.SetServer("127.0.0.1", 1);  // refused
    Completions completions;
    for (int i = 0; i < 3; ++i) {
        resolver.Query(TxtQuery("x.y"), DnsCompletion(&completions, &Completions::On));
    }
    ASSERT_TRUE(RunUntil([&] { resolver.Poll(); }, [&] { return resolver.GetPendingCount() == 0; }));
    EXPECT_EQ(completions.calls, 3);
    resolver.SetServer("127.0.0.1", 53);
}

}  // namespace
}  // namespace Varnok
