// The client's calls through the engine's HTTP requests to the protocol
// server: the "game" "update" call, every failure reaching its handler once,
// over-the-air downloads and their retry rules.
#include "kiplink/Source/Random.h"
#include "tests/providers/OnlineFixture.h"

#include <fstream>

namespace OnlineTest {
namespace {

using Varnok::Tools::BodyCorruption;
using Varnok::Tools::Fault;

class UpdateListener : public Kiplink::IKiplinkProviderCallbacks {
public:
    void OnGameUpdate(Kiplink::IKiplinkProvider*, Kiplink::KIPLINKERROR code, const char* message) override {
        ++calls;
        lastCode = code;
        lastMessage = message != nullptr ? message : "(null)";
    }
    int calls = 0;
    int lastCode = -1;
    std::string lastMessage;
};

// The target of a call: counts its replies.
class ReplyTarget : public Kiplink::RefCounted {
public:
    void OnReply(Kiplink::RequestContext&, const Kiplink::IValue& error, const Kiplink::IValue& result) {
        ++calls;
        errorText = error.IsString() ? error.AsString("") : error.IsNull() ? "null" : "other";
        resultInt = result.AsInt(-1);
    }
    int calls = 0;
    std::string errorText;
    int resultInt = -1;
};

class ClientTest : public OnlineFixture {};

TEST_F(ClientTest, GameUpdateReportsTheResultOrTheError) {
    Kiplink::KiplinkProviderImpl* root = MakeRoot();
    Kiplink::RefPtr<UpdateListener> listener(new UpdateListener);
    root->AddCallbacks(listener.Get());

    m_game.SetResult(2);
    root->SendGameUpdate();
    ASSERT_TRUE(PumpUntil([&] { return listener->calls == 1; }));
    EXPECT_EQ(listener->lastCode, Kiplink::KIPLINKERROR_NONE);
    EXPECT_EQ(listener->lastMessage, "(null)");
    EXPECT_EQ(root->GetGameUpdateResult(), 2);
    const auto calls = m_server->ReceivedCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].params[1].asString(), "build-7");
    EXPECT_EQ(calls[0].body["ver"].asUInt(), 3001u);

    m_game.SetResult("soon");
    root->SendGameUpdate();
    ASSERT_TRUE(PumpUntil([&] { return listener->calls == 2; }));
    EXPECT_EQ(listener->lastCode, Kiplink::KIPLINKERROR_FAILED);
    EXPECT_EQ(listener->lastMessage, "error");

    m_server->InjectFault(Fault::ErrorText("maintenance"));
    root->SendGameUpdate();
    ASSERT_TRUE(PumpUntil([&] { return listener->calls == 3; }));
    EXPECT_EQ(listener->lastCode, Kiplink::KIPLINKERROR_FAILED);
    EXPECT_EQ(listener->lastMessage, "maintenance");
    EXPECT_EQ(root->GetGameUpdateResult(), 2);
}

TEST_F(ClientTest, PlainJsonRepliesAreParsedAsTheyCome) {
    Kiplink::KiplinkProviderImpl* root = MakeRoot();
    Kiplink::RefPtr<ReplyTarget> target(new ReplyTarget);
    m_game.SetResult(1);
    m_server->InjectFault(Fault::PlainJson());
    Kiplink::RequestContext context("game", "update");
    context.Params().AppendString("device");
    context.Params().AppendString("build");
    Kiplink::SendRequest(context, root, target.Get(), &ReplyTarget::OnReply, 0);
    ASSERT_TRUE(PumpUntil([&] { return target->calls == 1; }));
    EXPECT_EQ(target->errorText, "null");
    EXPECT_EQ(target->resultInt, 1);
}

TEST_F(ClientTest, EveryFailureReachesTheHandlerOnceWithError) {
    const struct {
        const char* name;
        Fault fault;
    } cases[] = {
        {"http error", Fault::HttpError(500)},
        {"empty body", Fault::Corrupt(BodyCorruption::Empty)},
        {"no content type", Fault::Corrupt(BodyCorruption::NoContentType)},
        {"seven bytes", Fault::Corrupt(BodyCorruption::SevenBytes)},
        {"length past body", Fault::Corrupt(BodyCorruption::LengthPastBody)},
        {"zlib error", Fault::Corrupt(BodyCorruption::BrokenZlib)},
        {"flipped byte", Fault::Corrupt(BodyCorruption::FlippedByte)},
        {"bad json", Fault::Corrupt(BodyCorruption::NotJson)},
        {"closed before read", Fault::CloseBeforeRead()},
        {"closed after action", Fault::CloseAfterAction()},
    };
    Kiplink::KiplinkProviderImpl* root = MakeRoot();
    // Loading asks the server's clock; let that call end first so the only
    // pending entry below is the call under test and no fault meets it.
    ASSERT_TRUE(PumpUntil([&] { return root->Pending().Size() == 0; }));
    for (const auto& c : cases) {
        m_server->InjectFault(c.fault);
        Kiplink::RefPtr<ReplyTarget> target(new ReplyTarget);
        Kiplink::RequestContext context("game", "update");
        context.Params().AppendString("d");
        context.Params().AppendString("b");
        Kiplink::SendRequest(context, root, target.Get(), &ReplyTarget::OnReply, 0);
        ASSERT_TRUE(PumpUntil([&] { return target->calls > 0; })) << c.name;
        for (int i = 0; i < 5; ++i) {
            Frame();
        }
        EXPECT_EQ(target->calls, 1) << c.name;
        EXPECT_EQ(target->errorText, "error") << c.name;
        EXPECT_EQ(root->Pending().Size(), 0u) << c.name;
        m_server->ClearFaults();
    }
}

TEST_F(ClientTest, EmptyBaseUrlFailsAtOnce) {
    const std::string none;
    Kiplink::KiplinkProviderImpl* root = MakeRoot(&none);
    Kiplink::RefPtr<ReplyTarget> target(new ReplyTarget);
    Kiplink::RequestContext context("game", "update");
    Kiplink::SendRequest(context, root, target.Get(), &ReplyTarget::OnReply, 0);
    EXPECT_EQ(target->calls, 1);
    EXPECT_EQ(target->errorText, "error");
}

TEST_F(ClientTest, ACallWithoutAnAnswerEndsAfterTenSeconds) {
    Kiplink::KiplinkProviderImpl* root = MakeRoot();
    m_server->InjectFault(Fault::Delay(20000));
    Kiplink::RefPtr<ReplyTarget> target(new ReplyTarget);
    Kiplink::RequestContext context("game", "update");
    const auto start = std::chrono::steady_clock::now();
    Kiplink::SendRequest(context, root, target.Get(), &ReplyTarget::OnReply, 0);
    ASSERT_TRUE(PumpUntil([&] { return target->calls > 0; }, 15000));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(9));
    EXPECT_EQ(target->errorText, "error");
}

// ---- Downloads ----

struct DownloadResult {
    int* calls;
    std::string* path;
    void Done(const char* local) {
        ++*calls;
        *path = local != nullptr ? local : "(null)";
    }
    bool operator==(const DownloadResult& other) const { return calls == other.calls; }
};

Kiplink::DownloadCompletion Completion(int* calls, std::string* path) {
    return Kiplink::BoundRecordFunctor<DownloadResult, const char*>(DownloadResult{calls, path},
                                                                     &DownloadResult::Done);
}

uint32_t s_wallClock = 0;
uint32_t FakeTicks() { return 1; }
uint32_t FakeWall() { return s_wallClock; }

class DownloadTest : public OnlineFixture {
protected:
    void SetUp() override {
        OnlineFixture::SetUp();
        static const Kiplink::ClockHooks hooks{&FakeTicks, &FakeWall};
        s_wallClock = 36000;  // 10:00:00
        Kiplink::SetClockHooks(&hooks);
    }
    void TearDown() override {
        Kiplink::SetClockHooks(nullptr);
        OnlineFixture::TearDown();
    }
    std::string Url(const char* name) const { return m_server->StaticUrl() + name; }
};

TEST_F(DownloadTest, AQueuedUrlKeepsItsFirstCallbackAndTheFileLandsInOta) {
    Kiplink::KiplinkProviderImpl* root = MakeRoot();
    int firstCalls = 0, secondCalls = 0;
    std::string firstPath, secondPath;
    const std::string url = Url("Items_2.offline");
    root->Downloads().Download(url, Completion(&firstCalls, &firstPath), "", false);
    root->Downloads().Download(url, Completion(&secondCalls, &secondPath), "", false);
    EXPECT_EQ(root->Downloads().QueuedCount(), 1u);
    ASSERT_TRUE(PumpUntil([&] { return firstCalls == 1; }));
    EXPECT_EQ(secondCalls, 0);
    EXPECT_EQ(firstPath, "save/ota/Items_2.offline");
    EXPECT_TRUE(std::ifstream(SavePath("ota/Items_2.offline")).good());
    // Finished and present: answered at once, no request.
    root->Downloads().Download(url, Completion(&secondCalls, &secondPath), "", false);
    EXPECT_EQ(secondCalls, 1);
    EXPECT_EQ(secondPath, firstPath);
}

TEST_F(DownloadTest, AFailedDownloadWaitsTwoMinutesAndFailsForGoodTheSecondTime) {
    Kiplink::KiplinkProviderImpl* root = MakeRoot();
    m_server->InjectFault(Fault::HttpError(503).For("static/Items_2.offline").Times(2));
    int calls = 0;
    std::string path;
    root->Downloads().Download(Url("Items_2.offline"), Completion(&calls, &path), "", false);
    Frame();  // starts it
    ASSERT_TRUE(PumpUntil([&] { return !root->Downloads().IsRunning(); }));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(root->Downloads().QueuedCount(), 1u);

    s_wallClock = 36000 + 119;  // 10:01:59
    Frame();
    EXPECT_FALSE(root->Downloads().IsRunning());
    s_wallClock = 36000 + 120;  // 10:02:00
    Frame();
    EXPECT_TRUE(root->Downloads().IsRunning());
    ASSERT_TRUE(PumpUntil([&] { return calls == 1; }));
    EXPECT_EQ(path, "(null)");
    EXPECT_EQ(root->Downloads().QueuedCount(), 0u);
}

TEST_F(DownloadTest, NamesLeavingTheDownloadFolderAreRefused) {
    Kiplink::KiplinkProviderImpl* root = MakeRoot();
    for (const char* name : {"../escape.bin", "/etc/escape.bin", "a/../../escape.bin"}) {
        int calls = 0;
        std::string path;
        root->Downloads().Download(Url("Items_2.offline"), Completion(&calls, &path), name, true);
        ASSERT_TRUE(PumpUntil([&] { return calls == 1; })) << name;
        EXPECT_EQ(path, "(null)") << name;
        EXPECT_EQ(root->Downloads().QueuedCount(), 0u);
    }
    EXPECT_FALSE(std::ifstream(m_saveFolder + "/escape.bin").good());
    EXPECT_FALSE(std::ifstream(m_saveFolder + "/save/escape.bin").good());
}

}  // namespace
}  // namespace OnlineTest
