// The service-clock estimate against the server's "utc", and the league
// calls passed through as they came.
#include "kiplink/Public/ILeagueProvider.h"
#include "kiplink/Public/ITimeService.h"
#include "kiplink/Source/Random.h"
#include "kiplink/Source/TimeService.h"
#include "tests/providers/AccountFixture.h"
#include "tools/kiplink_server/LeagueService.h"

#include <algorithm>
#include <atomic>

namespace OnlineTest {
namespace {

std::atomic<uint32_t> s_deviceSeconds{500};

class TimeTest : public AccountFixture {
protected:
    void SetUp() override {
        AccountFixture::SetUp();
        static const Kiplink::ClockHooks hooks{[] { return 0u; }, [] { return s_deviceSeconds.load(); }};
        Kiplink::SetClockHooks(&hooks);
        m_server->SetClock([] { return int64_t{1000000}; });
    }
    void TearDown() override {
        AccountFixture::TearDown();
        Kiplink::SetClockHooks(nullptr);
    }

    int TimeRequests() const {
        const auto log = m_server->RequestLog();
        return static_cast<int>(std::count(log.begin(), log.end(), "GET utc"));
    }

    Kiplink::TimeService& Time() {
        auto time = Kiplink::RefPtr<Kiplink::ITimeService>::Adopt(m_root->GetTimeService());
        return static_cast<Kiplink::TimeService&>(*time);  // the root keeps it
    }

    // Ticks with the device clock at seconds.
    void TickAt(uint32_t seconds) {
        s_deviceSeconds = seconds;
        m_root->Update();
    }
};

TEST_F(TimeTest, TheReplyIsCorrectedByHalfTheRoundTrip) {
    s_deviceSeconds = 500;
    MakeRoot();  // asks at 500
    ASSERT_TRUE(Time().IsRequestInFlight());
    s_deviceSeconds = 504;
    ASSERT_TRUE(PumpUntil([&] { return Time().IsValid(); }));
    EXPECT_EQ(Time().GetServerTime(), 999998u);
    EXPECT_EQ(Time().GetDifference(), static_cast<int32_t>(504u - 999998u));

    // Nine ticks 70 s apart are long gaps that add up; the tenth invalidates.
    uint32_t now = 504;
    for (int i = 0; i < 9; ++i) {
        TickAt(now += 70);
        EXPECT_TRUE(Time().IsValid()) << i;
    }
    EXPECT_EQ(Time().GetGapTotal(), 630);
    EXPECT_EQ(Time().GetServerTime(), now - static_cast<uint32_t>(Time().GetDifference()));
    TickAt(now += 70);
    EXPECT_FALSE(Time().IsValid());

    // The estimate survives a restart in "Time.json", unverified.
    m_root.Reset();
    MakeRoot();
    EXPECT_FALSE(Time().IsValid());
    EXPECT_EQ(Time().GetDifference(), static_cast<int32_t>(504u - 999998u));
}

TEST_F(TimeTest, AClockSetBackInvalidatesAndTheNextRequestWaitsForTheCountdown) {
    s_deviceSeconds = 2000;
    MakeRoot();
    ASSERT_TRUE(PumpUntil([&] { return Time().IsValid(); }));
    const int asked = TimeRequests();
    TickAt(1999);
    EXPECT_FALSE(Time().IsValid());
    const int32_t left = Time().GetCountdown();
    ASSERT_GT(left, 1);
    for (int32_t i = 1; i < left; ++i) {
        TickAt(1999);
    }
    EXPECT_FALSE(Time().IsRequestInFlight());
    TickAt(1999);
    EXPECT_TRUE(Time().IsRequestInFlight());
    ASSERT_TRUE(PumpUntil([&] { return Time().IsValid(); }));
    EXPECT_EQ(TimeRequests(), asked + 1);
}

TEST_F(TimeTest, RequestBodiesCarryTheEstimate) {
    s_deviceSeconds = 500;
    MakeRoot();
    ASSERT_TRUE(PumpUntil([&] { return Time().IsValid(); }));
    m_root->SendGameUpdate();
    ASSERT_TRUE(PumpUntil([&] { return m_root->Pending().Size() == 0; }));  // the reply holds the root
    EXPECT_EQ(m_server->ReceivedCalls().back().body["time"].asUInt(), Time().GetServerTime());
}

class LeagueReplies : public Kiplink::ILeagueProviderCallbacks {
public:
    void Add(const char* what, uint32_t id, const Kiplink::IValue& error, const Kiplink::IValue& result) {
        Kiplink::TextBuffer* text = result.ToText();
        replies.push_back({what, id, error.IsNull(), text->GetText()});
        text->Release();
    }
    void OnJoinLeague(Kiplink::ILeagueProvider*, uint32_t id, const Kiplink::IValue& e, const Kiplink::IValue& r) override {
        Add("join", id, e, r);
    }
    void OnUserLeague(Kiplink::ILeagueProvider*, uint32_t id, const Kiplink::IValue& e, const Kiplink::IValue& r) override {
        Add("userLeague", id, e, r);
    }
    void OnUpdateUser(Kiplink::ILeagueProvider*, uint32_t id, const Kiplink::IValue& e, const Kiplink::IValue& r) override {
        Add("updateUser", id, e, r);
    }
    void OnUpdateLeagueScore(Kiplink::ILeagueProvider*, uint32_t id, const Kiplink::IValue& e,
                             const Kiplink::IValue& r) override {
        Add("score", id, e, r);
    }
    struct Reply {
        std::string what;
        uint32_t id;
        bool ok;
        std::string result;
    };
    std::vector<Reply> replies;
};

class LeagueTest : public AccountFixture {
protected:
    void SetUp() override {
        AccountFixture::SetUp();
        m_leagueService.Install(*m_server);
        MakeRoot();
    }
    Varnok::Tools::LeagueService m_leagueService{m_accounts};
};

TEST_F(LeagueTest, CallsCarryTheirIdsAndRepliesPassAsTheyCame) {
    auto user = LoginAsGuest();
    ASSERT_TRUE(user);
    auto leagues = Kiplink::RefPtr<Kiplink::ILeagueProvider>::Adopt(m_root->GetLeagueProvider());
    Kiplink::RefPtr<LeagueReplies> replies(new LeagueReplies);
    leagues->AddCallbacks(replies.Get());

    uint32_t joinId = 0;
    leagues->JoinLeague(user.Get(), &joinId, "silver");
    const uint32_t next = Kiplink::NextCallId();  // the call used one id, this one the next
    EXPECT_EQ(next, joinId + 1);
    leagues->JoinLeague(user.Get(), nullptr, nullptr);  // no id asked for: one is used all the same
    leagues->UpdateUser(user.Get(), nullptr, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return replies->replies.size() == 3; }));
    std::sort(replies->replies.begin(), replies->replies.end(),
              [](const auto& a, const auto& b) { return a.id < b.id; });
    EXPECT_EQ(replies->replies[0].id, joinId);
    EXPECT_TRUE(replies->replies[0].ok);
    EXPECT_NE(replies->replies[0].result.find("\"silver\""), std::string::npos);
    EXPECT_EQ(replies->replies[1].id, joinId + 2);
    EXPECT_FALSE(replies->replies[1].ok);  // "" is no league
    EXPECT_EQ(replies->replies[2].what, "updateUser");
    EXPECT_EQ(replies->replies[2].result, "null");

    Json::Value sentUpdate;
    for (const auto& call : m_server->ReceivedCalls()) {
        if (call.method == "updateUser") {
            sentUpdate = call.params;
        }
    }
    ASSERT_EQ(sentUpdate.size(), 4u);
    EXPECT_EQ(sentUpdate[0].asString(), user->GetAuthToken());
    EXPECT_EQ(sentUpdate[2].asString(), "build-7");
    EXPECT_TRUE(sentUpdate[3].isNull());
    EXPECT_EQ(m_leagueService.Members("silver").size(), 1u);

    Kiplink::IValue* data = Kiplink::CreateValue();
    data->Parse(R"({"hat":"red"})");
    leagues->UpdateLeagueScore(user.Get(), nullptr, 1500, data);
    data->Release();
    ASSERT_TRUE(PumpUntil([&] { return replies->replies.size() == 4; }));
    EXPECT_EQ(replies->replies.back().result, R"({"data":{"hat":"red"},"score":1500})");
}

}  // namespace
}  // namespace OnlineTest
