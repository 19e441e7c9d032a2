// Opened app-request links through the Facebook deep-link service, the
// launch-URL dispatcher and the social client stand-in.
#include "providers/Provider_Facebook/DeepLinkService_Facebook.h"

#include "engine/iOS/LaunchUrl.h"
#include "providers/Provider_Facebook/AppRequestLink.h"
#include "tests/providers/Provider_Facebook/SocialFixture.h"
#include "tests/support/LogCapture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace SocialTest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

struct OptionsLog {
    std::vector<std::map<std::string, std::string>> calls;
    void On(const Varnok::DeepLinkOptions& options) { calls.push_back(options.options); }
};

// The link a request notification opens the game with; the address is
// escaped as it is inside the link.
std::string RequestLink(const std::string& escapedTarget) {
    return "fb123://authorize?expires_in=0&target_url=" + escapedTarget + "&ref=notif";
}

const char* const kExampleTarget =
    "http%3A%2F%2Fapps.facebook.com%2Fgame%2F%3Frequest_ids%3D111%2C222%26ref%3Dnotif";

std::vector<std::string> Calls(const Varnok::SocialClientStandIn& client) {
    std::vector<std::string> calls;
    for (const auto& call : client.GetGraphCalls()) {
        calls.push_back(call.method + " " + call.path);
    }
    return calls;
}

class FacebookDeepLinks : public SocialFixture {
protected:
    void SetUp() override {
        SocialFixture::SetUp();
        Varnok::DeliverLaunchUrl();  // the shell starts delivery after the set-up
        m_service.SetDeepLinkCallback(
            Varnok::IDeepLinkService::DeepLinkDelegate(&m_options, &OptionsLog::On));
    }
    void Open(const std::string& url) { Varnok::SetLaunchUrl(url.c_str()); }

    Varnok::DeepLinkService_Facebook m_service;
    OptionsLog m_options;
};

TEST_F(FacebookDeepLinks, TheRequestIsFetchedReadAndDeletedForItsRecipient) {
    Client().SetGraphAnswer("GET", "222", R"({"id":"222","created_time":"2012-05-01T10:00:00+0000",
        "from":{"name":"Ann","id":"42"},"to":{"name":"Bob","id":"999"},
        "data":"{\"giveCurrency\":100,\"colour\":\"red\"}"})");
    Open(RequestLink(kExampleTarget));
    EXPECT_EQ(Client().GetBecameActiveCount(), 1);
    EXPECT_THAT(Calls(Client()), ElementsAre("GET 222"));
    RunFrame();
    ASSERT_EQ(m_options.calls.size(), 1u);
    EXPECT_THAT(m_options.calls[0],
                ElementsAre(Pair("createdTime", "2012-05-01T10:00:00+0000"), Pair("giveCurrency", "100"),
                            Pair("sentFromFacebookId", "42"), Pair("sentFromFacebookName", "Ann")));
    EXPECT_THAT(Calls(Client()), ElementsAre("GET 222", "DELETE 111_999", "DELETE 222_999"));
}

TEST_F(FacebookDeepLinks, AResultWithoutRecipientDeletesBareIds) {
    Client().SetGraphAnswer("GET", "5", R"({"from":{"name":"Ann","id":"42"},"created_time":"t"})");
    // The marker in capitals at the end of the address's name part.
    Open(RequestLink("http%3A%2F%2Fx%2F%3FREQUEST_IDS%3D5"));
    RunFrame();
    EXPECT_THAT(Calls(Client()), ElementsAre("GET 5", "DELETE 5"));
    EXPECT_EQ(m_options.calls.size(), 1u);
}

TEST_F(FacebookDeepLinks, LinksThatAreNotAppRequestsEndEarly) {
    const struct {
        const char* what;
        std::string url;
    } cases[] = {
        {"no notif", "fb123://authorize?target_url=http%3A%2F%2Fx%2F%3Frequest_ids%3D1"},
        {"no authorize?", "fb123://other?target_url=http%3A%2F%2Fx%2F%3Frequest_ids%3D1&ref=notif"},
        {"no target_url", "fb123://authorize?ref=notif"},
        {"no request_ids", RequestLink("http%3A%2F%2Fx%2F%3Fref%3Dnotif")},
        {"empty request_ids", RequestLink("http%3A%2F%2Fx%2F%3Frequest_ids%3D")},
        {"ids that are not ids", RequestLink("http%3A%2F%2Fx%2F%3Frequest_ids%3Dme%2Ffriends")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Open(c.url);
        RunFrame();
    }
    EXPECT_THAT(Client().GetGraphCalls(), IsEmpty());
    EXPECT_EQ(Client().GetBecameActiveCount(), 6);  // every link tells the session
}

TEST_F(FacebookDeepLinks, PiecesWithoutEqualsAreSkipped) {
    std::vector<std::string> ids;
    ASSERT_TRUE(Varnok::ParseAppRequestIds(
        "fb1://authorize?bare&&target_url=http%3A%2F%2Fx%2F%3Frequest_ids%3D7%2C8%26flag&ref=notif", ids));
    EXPECT_THAT(ids, ElementsAre("7", "8"));
    // A later pair of the same name replaces the earlier; bad escapes stay.
    EXPECT_EQ(Varnok::DecodePercentEscapes("a%2Cb%zz%4"), "a,b%zz%4");
}

TEST_F(FacebookDeepLinks, FieldsOfTheWrongTypeAreLeftOutWithOneLine) {
    Client().SetGraphAnswer("GET", "1",
                            R"({"from":"Ann","created_time":12,"data":"[1]","to":{"id":"999"}})");
    Varnok::TestSupport::LogCapture capture;
    Open(RequestLink("http%3A%2F%2Fx%2F%3Frequest_ids%3D1"));
    RunFrame();
    const std::string log = capture.Take();
    EXPECT_NE(log.find("no usable from, created_time, data"), std::string::npos) << log;
    ASSERT_EQ(m_options.calls.size(), 1u);
    EXPECT_THAT(m_options.calls[0], IsEmpty());
    EXPECT_THAT(Calls(Client()), ElementsAre("GET 1", "DELETE 1_999"));
}

TEST_F(FacebookDeepLinks, AFailedOrUnreadableFetchReportsAndDeletesNothing) {
    Client().SetGraphError("GET", "1", "(#100) unknown");
    Client().SetGraphAnswer("GET", "2", "not json");
    Varnok::TestSupport::LogCapture capture;
    Open(RequestLink("http%3A%2F%2Fx%2F%3Frequest_ids%3D1"));
    Open(RequestLink("http%3A%2F%2Fx%2F%3Frequest_ids%3D2"));
    RunFrame();
    EXPECT_NE(capture.Take().find("not a JSON object"), std::string::npos);
    EXPECT_THAT(m_options.calls, IsEmpty());
    EXPECT_THAT(Calls(Client()), ElementsAre("GET 1", "GET 2"));
}

TEST_F(FacebookDeepLinks, AnAnswerAfterTheServiceIsGoneIsDropped) {
    Client().SetGraphAnswer("GET", "3", R"({"from":{"name":"A","id":"1"},"created_time":"t"})");
    {
        Varnok::DeepLinkService_Facebook shortLived;
        Open(RequestLink("http%3A%2F%2Fx%2F%3Frequest_ids%3D3"));
    }
    RunFrame();
    // The fixture's own service fetched and deleted; the gone one did nothing.
    EXPECT_THAT(Calls(Client()), ElementsAre("GET 3", "GET 3", "DELETE 3"));
}

}  // namespace
}  // namespace SocialTest
