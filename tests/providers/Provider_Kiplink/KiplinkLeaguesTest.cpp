// Leagues: the reply readers, and the service's calls, metadata and events
// against the protocol server.
#include "tests/providers/Provider_Kiplink/KiplinkWorld.h"

#include "engine/core/Event.h"
#include "providers/Provider_Kiplink/KiplinkLeagueReaders.h"
#include "providers/Provider_Kiplink/KiplinkLeaguesService.h"

#include <gtest/gtest.h>

#include <optional>

namespace Varnok {
namespace TestSupport {
namespace {

Kiplink::RefPtr<Kiplink::IValue> Parsed(const char* json) {
    auto value = Kiplink::RefPtr<Kiplink::IValue>::Adopt(Kiplink::CreateValue());
    EXPECT_TRUE(value->Parse(json)) << json;
    return value;
}

TEST(KiplinkLeagueReadersTest, TopLeaguesKeepNumberScoresHighestFirst) {
    const auto top = ReadTopLeagues(*Parsed(R"({"a":{"score":5},"b":{"score":9},"c":{"score":"9"},"d":7})"));
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(top[0], std::make_pair(std::string("b"), 9.0f));
    EXPECT_EQ(top[1], std::make_pair(std::string("a"), 5.0f));
    for (const char* odd : {"[]", "null", "\"x\"", "{}", R"({"a":[1]})"}) {
        EXPECT_TRUE(ReadTopLeagues(*Parsed(odd)).empty()) << odd;
    }
}

TEST(KiplinkLeagueReadersTest, FeedAndMembersReadWhatIsThereAndDefaultTheRest) {
    const auto feed = ReadLeagueFeed(*Parsed(
        R"({"77":{"type":"global","score":"12.5","displayName":"Ann","leagueId":"L7"},"x":{"score":3,"countryId":4},"y":5})"));
    ASSERT_EQ(feed.size(), 2u);
    EXPECT_EQ(feed[0].timeStamp, 77u);
    EXPECT_TRUE(feed[0].global);
    EXPECT_FLOAT_EQ(feed[0].score, 12.5f);
    EXPECT_EQ(feed[0].displayName, "Ann");
    EXPECT_EQ(feed[0].leagueId, "L7");
    EXPECT_EQ(feed[1].timeStamp, 0u);
    EXPECT_FALSE(feed[1].global);
    EXPECT_EQ(feed[1].countryId, "");  // not text

    const auto users = ReadLeagueUsers(*Parsed(
        R"({"u1":{"displayName":"Bo","todayScore":3.5,"todayScoreTs":4000000000,"yesterdayScore":"9"},"u2":{}})"));
    ASSERT_EQ(users.size(), 2u);
    EXPECT_EQ(users[0].id, "u1");
    EXPECT_EQ(users[0].displayName, "Bo");
    EXPECT_FLOAT_EQ(users[0].todayScore, 3.5f);
    EXPECT_EQ(users[0].todayScoreTs, 4000000000u);
    EXPECT_FLOAT_EQ(users[0].yesterdayScore, 0.0f);
    EXPECT_EQ(users[1].id, "u2");

    EXPECT_EQ(LeagueErrorText(*Parsed(R"([3,"new league is full"])")), "new league is full");
    EXPECT_EQ(LeagueErrorText(*Parsed(R"([3,4])")), "");
    EXPECT_EQ(LeagueErrorText(*Parsed(R"("full")")), "");
}

struct Heard {
    std::vector<std::string> events;
    void On(const Event& event) {
        std::string line = event.GetName();
        for (const char* arg : {"league_size", "process", "reason"}) {
            if (event.HasArg(arg)) {
                line += std::string(" ") + arg + "=" + event.GetArgText(arg).c_str();
            }
        }
        events.push_back(line);
    }
};

struct Answer {
    std::optional<std::string> error;  // nullopt: success
    bool done = false;
    void On(const char* text) {
        done = true;
        error = text != nullptr ? std::optional<std::string>(text) : std::nullopt;
    }
};

class KiplinkLeaguesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_world.Start();
        ASSERT_NE(Service(), nullptr);
        ASSERT_TRUE(m_world.FramesUntil([&] { return m_world.Current()->HasId("kpauth"); }));
        for (const char* name : {"joined_league", "joined_league_failed", "left_league"}) {
            EventDispatcher::Get().Subscribe(name, EventListener(&m_heard, &Heard::On));
        }
    }
    void TearDown() override {
        for (const char* name : {"joined_league", "joined_league_failed", "left_league"}) {
            EventDispatcher::Get().Unsubscribe(name, EventListener(&m_heard, &Heard::On));
        }
    }
    KiplinkLeaguesService* Service() { return m_world.Provider()->GetLeaguesService(); }
    void Reply(const char* method, Json::Value result, Json::Value error = Json::Value()) {
        m_world.Server().SetHandler("leagues", method, [result, error](const Tools::ServiceCall&) {
            Tools::ServiceReply reply;
            reply.result = result;
            reply.error = error;
            return reply;
        });
    }
    std::string LeagueMeta() {
        const char* held = m_world.Current()->GetMeta("leagues", "leagueID");
        return held != nullptr ? held : "(none)";
    }

    KiplinkWorld m_world;
    Heard m_heard;
};

TEST_F(KiplinkLeaguesTest, AJoinStoresTheLeagueAndSaysWhetherItWasCreated) {
    const struct {
        int count;
        const char* event;
    } cases[] = {{1, "joined_league league_size=1 process=created"}, {5, "joined_league league_size=5 process=specified"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        Json::Value result;
        result["count"] = c.count;
        result["leagueId"] = "L7";
        Reply("joinLeague", result);
        m_heard.events.clear();
        Answer answer;
        Service()->JoinLeague(ILeaguesService::ResultDelegate(&answer, &Answer::On), "L7", 0);
        ASSERT_TRUE(m_world.FramesUntil([&] { return answer.done; }));
        EXPECT_EQ(answer.error, std::nullopt);
        EXPECT_EQ(LeagueMeta(), "L7");
        EXPECT_EQ(m_heard.events, std::vector<std::string>{c.event});
    }

    Reply("leaveLeague", Json::Value(true));
    m_heard.events.clear();
    Answer left;
    Service()->LeaveLeague(ILeaguesService::ResultDelegate(&left, &Answer::On), 0);
    ASSERT_TRUE(m_world.FramesUntil([&] { return left.done; }));
    EXPECT_EQ(left.error, std::nullopt);
    EXPECT_EQ(LeagueMeta(), "");
    EXPECT_EQ(m_heard.events, std::vector<std::string>{"left_league"});
}

TEST_F(KiplinkLeaguesTest, RefusedJoinsNameTheirReason) {
    const struct {
        const char* text;
        const char* reason;
    } cases[] = {{"new league is full", "full"},
                 {"league name contains inappropriate word", "bad_name"},
                 {"something else", "internal_error"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Json::Value error(Json::arrayValue);
        error.append(3);
        error.append(c.text);
        Reply("joinLeague", Json::Value(), error);
        m_heard.events.clear();
        Answer answer;
        Service()->JoinLeague(ILeaguesService::ResultDelegate(&answer, &Answer::On), "L9", 0);
        ASSERT_TRUE(m_world.FramesUntil([&] { return answer.done; }));
        EXPECT_EQ(answer.error, std::optional<std::string>(c.reason));
        EXPECT_EQ(m_heard.events, std::vector<std::string>{std::string("joined_league_failed reason=") + c.reason});
    }
}

TEST_F(KiplinkLeaguesTest, TopLeaguesArriveSortedAndActivityCarriesTheStoredLeague) {
    Reply("getTopLeagues", [] {
        Json::Value result;
        result["results"]["a"]["score"] = 5;
        result["results"]["b"]["score"] = 9;
        result["results"]["c"]["score"] = "9";
        return result;
    }());
    std::vector<std::string> names;
    bool done = false;
    struct Top {
        std::vector<std::string>* names;
        bool* done;
        void On(const char* error, const char* const* list, int count) {
            EXPECT_EQ(error, nullptr);
            for (int i = 0; i < count; ++i) {
                names->push_back(list[i]);
            }
            *done = true;
        }
    } top{&names, &done};
    Service()->GetTopLeagues(ILeaguesService::LeagueListDelegate(&top, &Top::On));
    ASSERT_TRUE(m_world.FramesUntil([&] { return done; }));
    EXPECT_EQ(names, (std::vector<std::string>{"b", "a"}));

    Reply("getRecentActivity", Json::Value(Json::objectValue));
    int feedCount = -1;
    struct Feed {
        int* count;
        void On(const char*, const LeagueFeedUser*, int n) { *count = n; }
    } feed{&feedCount};
    Service()->GetRecentActivity(ILeaguesService::FeedDelegate(&feed, &Feed::On), 0);
    ASSERT_TRUE(m_world.FramesUntil([&] { return feedCount == 0; }));
    const auto calls = m_world.Server().ReceivedCalls();
    ASSERT_EQ(calls.back().method, "getRecentActivity");
    EXPECT_EQ(calls.back().params[calls.back().params.size() - 1].asString(), "");
}

TEST_F(KiplinkLeaguesTest, OfflineOrAnEmptySlotAnswersAtOnceAndSendsNothing) {
    const size_t before = m_world.Server().ReceivedCalls().size();
    Answer emptySlot;
    Service()->JoinLeague(ILeaguesService::ResultDelegate(&emptySlot, &Answer::On), "L7", 3);
    EXPECT_EQ(emptySlot.error, std::optional<std::string>(KiplinkLeaguesService::kNotSent));
    Service()->SetOnline(false);
    Answer offline;
    Service()->LeaveLeague(ILeaguesService::ResultDelegate(&offline, &Answer::On), 0);
    EXPECT_EQ(offline.error, std::optional<std::string>(KiplinkLeaguesService::kNotSent));
    m_world.Settle();
    EXPECT_EQ(m_world.Server().ReceivedCalls().size(), before);
    EXPECT_TRUE(m_heard.events.empty());
}

}  // namespace
}  // namespace TestSupport
}  // namespace Varnok
