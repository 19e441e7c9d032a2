// Asynchronous matches against the protocol server: lobby pages with the
// service's key, the page size cap, deleting only what the user owns, join
// errors, creation into both lists, and the requests' parameters.
#include "kiplink/Source/LobbyService.h"
#include "tests/providers/OnlineFixture.h"
#include "tools/kiplink_server/MatchService.h"

#include <string>
#include <vector>

namespace OnlineTest {
namespace {

using Kiplink::AsyncMatchImpl;
using Kiplink::AsyncUserService;
using Kiplink::RefPtr;

struct Report {
    std::string kind;
    uint32_t callId;
    int32_t status;
    std::string matchId;
};

class Recorder : public Kiplink::IAsyncProviderCallbacks {
public:
    void OnLoadLobbies(uint32_t id, int32_t status) override { reports.push_back({"lobbies", id, status, ""}); }
    void OnLoadUserMatches(uint32_t id, int32_t status) override { reports.push_back({"user", id, status, ""}); }
    void OnCreateMatch(uint32_t id, int32_t status, AsyncMatchImpl* match) override {
        reports.push_back({"create", id, status, match != nullptr ? match->GetMatchId() : "(null)"});
    }
    void OnDeleteMatch(uint32_t id, int32_t status, const char* matchId) override {
        reports.push_back({"delete", id, status, matchId != nullptr ? matchId : "(null)"});
    }
    std::vector<Report> reports;
};

// Match replies, into the same list.
class MatchRecorder : public Kiplink::IAsyncMatchCallbacks {
public:
    explicit MatchRecorder(std::vector<Report>* reports) : m_reports(reports) {}
    void OnMatchUpdated(uint32_t id, int32_t status, AsyncMatchImpl* match) override {
        m_reports->push_back({"match", id, status, match->GetMatchId()});
    }

private:
    std::vector<Report>* m_reports;
};

class MatchTest : public OnlineFixture {
protected:
    void SetUp() override {
        OnlineFixture::SetUp();
        m_matches.Install(*m_server);
        root = MakeRoot();
        games = new Kiplink::AsyncGamesRoot(root);
        service = RefPtr<AsyncUserService>::Adopt(games->GetService({"alice", "alice"}));
        recorder = new Recorder;
        service->AddCallbacks(recorder.Get());
    }
    void TearDown() override {
        service->RemoveCallbacks(recorder.Get());
        service.Reset();
        games.Reset();
        OnlineFixture::TearDown();
    }
    bool WaitForReports(size_t count) {
        return PumpUntil([&] { return recorder->reports.size() >= count; });
    }
    size_t CallCount() const { return m_server->ReceivedCalls().size(); }

    Varnok::Tools::MatchService m_matches;
    Kiplink::KiplinkProviderImpl* root = nullptr;
    RefPtr<Kiplink::AsyncGamesRoot> games;
    RefPtr<AsyncUserService> service;
    RefPtr<Recorder> recorder;
};

TEST_F(MatchTest, LobbyPagesFollowTheKeyAndAnEmptyPageStepsBack) {
    m_matches.AddLobbies("duel", 50, "bob");
    m_matches.AddLobbies("race", 3, "bob", "r");
    uint32_t id = 0;
    service->LoadLobbies("duel", &id);
    ASSERT_TRUE(WaitForReports(1));
    EXPECT_EQ(recorder->reports[0].callId, id);
    EXPECT_EQ(recorder->reports[0].status, Kiplink::kAsyncSuccess);
    EXPECT_EQ(service->GetLobbyCount(), 50);
    RefPtr<AsyncMatchImpl> last = RefPtr<AsyncMatchImpl>::Adopt(service->GetLobby(49));
    EXPECT_STREQ(last->GetMatchId(), "m049");
    EXPECT_EQ(service->GetLobby(50), nullptr);
    EXPECT_STREQ(service->GetExclusiveStartKey().AsString(""), "m049");

    uint32_t next = 777;
    service->NextLobbyPage(&next);
    EXPECT_NE(next, 777u);  // a fetch takes a new call id
    ASSERT_TRUE(WaitForReports(2));
    EXPECT_EQ(recorder->reports[1].callId, next);
    const auto calls = m_server->ReceivedCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].params[3]["exclusiveStartKey"].asString(), "m049");
    EXPECT_EQ(calls[1].params[3]["limit"].asUInt(), 50u);
    EXPECT_EQ(service->GetPage(), 1u);  // nothing there: back to page 1
    EXPECT_EQ(service->GetLobbyCount(), 50);

    // No key any more: the next page is known empty without asking (the
    // listing still takes its call id).
    uint32_t mine = 99;
    service->NextLobbyPage(&mine);
    ASSERT_EQ(recorder->reports.size(), 3u);
    EXPECT_EQ(recorder->reports[2].callId, mine);
    EXPECT_EQ(recorder->reports[2].status, Kiplink::kAsyncSuccess);
    EXPECT_EQ(service->GetPage(), 1u);
    EXPECT_EQ(CallCount(), 2u);
}

TEST_F(MatchTest, LobbyCountNeverGoesBelowZeroWhileAPageIsFetched) {
    // A service that says more follow after a short page.
    int page = 0;
    m_server->SetHandler("async_lobbies", "list", [&page](const Varnok::Tools::ServiceCall&) {
        const int count = page++ == 0 ? 50 : 20;
        Json::Value result(Json::objectValue);
        for (int i = 0; i < count; ++i) {
            Json::Value match(Json::objectValue);
            match["matchId"] = "p" + std::to_string(page) + "-" + std::to_string(i);
            result["items"].append(match);
        }
        result["exclusiveStartKey"] = "more";
        return Varnok::Tools::ServiceReply::Result(result);
    });
    service->LoadLobbies("duel");
    ASSERT_TRUE(WaitForReports(1));
    uint32_t id = 0;
    service->NextLobbyPage(&id);
    ASSERT_TRUE(WaitForReports(2));
    EXPECT_EQ(service->GetLobbyCount(), 20);
    service->NextLobbyPage(&id);  // page 3 of 70 held
    EXPECT_EQ(service->GetLobbyCount(), 0);
    EXPECT_EQ(service->GetLobby(0), nullptr);
    ASSERT_TRUE(WaitForReports(3));
    service->PreviousLobbyPage(&id);
    EXPECT_EQ(service->GetPage(), 2u);
}

TEST_F(MatchTest, PagingWithoutAListReportsNothingDone) {
    uint32_t id = 5;
    service->NextLobbyPage(&id);
    service->PreviousLobbyPage(&id);
    ASSERT_EQ(recorder->reports.size(), 2u);
    EXPECT_EQ(recorder->reports[0].status, Kiplink::kAsyncNothingDone);
    EXPECT_EQ(recorder->reports[1].status, Kiplink::kAsyncNothingDone);
    EXPECT_EQ(CallCount(), 0u);
    EXPECT_TRUE(service->SetLobbyPageSize(80));
    EXPECT_EQ(service->GetPageSize(), 50u);
    EXPECT_TRUE(service->SetLobbyPageSize(10));
    EXPECT_EQ(service->GetPageSize(), 10u);
}

TEST_F(MatchTest, OnlyOwnedMatchesAreDeleted) {
    m_matches.AddLobbies("duel", 2, "bob");
    service->LoadLobbies("duel");
    ASSERT_TRUE(WaitForReports(1));
    uint32_t id = 0;
    service->DeleteMatch("m000", &id);
    ASSERT_EQ(recorder->reports.size(), 2u);
    EXPECT_EQ(recorder->reports[1].callId, id);
    EXPECT_EQ(recorder->reports[1].status, Kiplink::kAsyncNothingDone);
    EXPECT_EQ(recorder->reports[1].matchId, "(null)");
    service->DeleteMatch("nothing");
    EXPECT_EQ(recorder->reports[2].status, Kiplink::kAsyncNothingDone);
    EXPECT_EQ(CallCount(), 1u);  // only the lobby list

    service->CreateMatch("duel", 2);
    ASSERT_TRUE(WaitForReports(4));
    const std::string created = recorder->reports[3].matchId;
    EXPECT_EQ(recorder->reports[3].status, Kiplink::kAsyncSuccess);
    RefPtr<AsyncMatchImpl> mine = RefPtr<AsyncMatchImpl>::Adopt(service->FindUserMatch(created.c_str()));
    RefPtr<AsyncMatchImpl> lobby = RefPtr<AsyncMatchImpl>::Adopt(service->FindLobby(created.c_str()));
    ASSERT_TRUE(mine && lobby);
    EXPECT_NE(mine.Get(), lobby.Get());  // two objects of one match
    EXPECT_TRUE(mine->IsOwner());

    service->DeleteMatch(created.c_str());
    ASSERT_TRUE(WaitForReports(5));
    EXPECT_EQ(recorder->reports[4].status, Kiplink::kAsyncSuccess);
    EXPECT_EQ(recorder->reports[4].matchId, created);
    EXPECT_EQ(service->FindUserMatch(created.c_str()), nullptr);
    EXPECT_EQ(service->FindLobby(created.c_str()), nullptr);
    EXPECT_TRUE(m_matches.Match(created).isNull());
}

TEST_F(MatchTest, JoinsReportAFullMatchApart) {
    m_matches.AddLobbies("duel", 1, "bob", "full", 1);
    m_matches.AddLobbies("duel", 1, "bob", "open", 2);
    service->LoadLobbies("duel");
    ASSERT_TRUE(WaitForReports(1));
    RefPtr<AsyncMatchImpl> full = RefPtr<AsyncMatchImpl>::Adopt(service->FindLobby("full000"));
    RefPtr<AsyncMatchImpl> open = RefPtr<AsyncMatchImpl>::Adopt(service->FindLobby("open000"));
    ASSERT_TRUE(full && open);
    RefPtr<MatchRecorder> matchRecorder(new MatchRecorder(&recorder->reports));
    full->AddCallbacks(matchRecorder.Get());
    open->AddCallbacks(matchRecorder.Get());

    full->Join();
    ASSERT_TRUE(WaitForReports(2));
    EXPECT_EQ(recorder->reports[1].status, Kiplink::kAsyncMatchFull);
    m_server->InjectFault(Varnok::Tools::Fault::ErrorText("Server busy."));
    open->Join();
    ASSERT_TRUE(WaitForReports(3));
    EXPECT_EQ(recorder->reports[2].status, Kiplink::kAsyncServiceError);
    open->Join();
    ASSERT_TRUE(WaitForReports(4));
    EXPECT_EQ(recorder->reports[3].status, Kiplink::kAsyncSuccess);
    ASSERT_EQ(open->GetUserCount(), 2u);
    EXPECT_STREQ(open->GetUser(1), "alice");
    EXPECT_EQ(open->GetUser(2), nullptr);
    EXPECT_EQ(open->GetRevision(), 1u);

    const auto calls = m_server->ReceivedCalls();
    const Json::Value& params = calls.back().params;
    ASSERT_EQ(params.size(), 4u);
    EXPECT_EQ(params[0].asString(), "alice");
    EXPECT_EQ(params[2].asString(), "build-7");
    EXPECT_EQ(params[3].getMemberNames().size(), 3u);
    EXPECT_EQ(params[3]["lobbyOrInProgress"].asString(), "lobby");
    full->RemoveCallbacks(matchRecorder.Get());
    open->RemoveCallbacks(matchRecorder.Get());
}

TEST_F(MatchTest, RepliesThatAreNoObjectsReportBadResults) {
    m_server->SetHandler("async_game", "create", [](const Varnok::Tools::ServiceCall&) {
        return Varnok::Tools::ServiceReply::Result(Json::Value(7));
    });
    service->CreateMatch("duel", 2);
    service->LoadUserMatches();
    ASSERT_TRUE(WaitForReports(2));
    for (const Report& report : recorder->reports) {
        if (report.kind == "create") {
            EXPECT_EQ(report.status, Kiplink::kAsyncBadResult);
            EXPECT_EQ(report.matchId, "(null)");
        } else {
            EXPECT_EQ(report.status, Kiplink::kAsyncSuccess);
        }
    }
    EXPECT_EQ(service->GetUserMatchCount(), 0u);
}

}  // namespace
}  // namespace OnlineTest
