// The protocol server on loopback, driven by libcurl as a real HTTP client:
// framed calls and replies, plain JSON, time and static files, and every
// fault a test can ask of it.
#include "tools/kiplink_server/GameUpdateService.h"
#include "tools/kiplink_server/KiplinkServer.h"
#include "tools/sign_remote_config/FileBytes.h"
#include "tools/sign_remote_config/SigningKey.h"
#include "tools/sign_remote_config/TransportFrame.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <json/json.h>

#include <atomic>
#include <chrono>
#include <sstream>
#include <string>

namespace Varnok {
namespace Tools {
namespace {

struct HttpResult {
    CURLcode code = CURLE_OK;
    long status = 0;
    bool hasContentType = false;
    std::string contentType;
    std::string body;
};

size_t Collect(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

// contentType null: a GET; otherwise a POST of body with that content type.
HttpResult Fetch(const std::string& url, const char* contentType = nullptr,
                 const std::string& body = "", long timeoutMs = 5000) {
    HttpResult result;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result.body);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeoutMs);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_slist* headers = nullptr;
    if (contentType != nullptr) {
        headers = curl_slist_append(headers, (std::string("Content-Type: ") + contentType).c_str());
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    }
    result.code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
    char* type = nullptr;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
    result.hasContentType = type != nullptr;
    result.contentType = type != nullptr ? type : "";
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return result;
}

std::string Compact(const Json::Value& value) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    return Json::writeString(writer, value);
}

Json::Value Parse(const std::string& text) {
    Json::Value value;
    Json::CharReaderBuilder reader;
    std::string errors;
    std::istringstream in(text);
    EXPECT_TRUE(Json::parseFromStream(reader, in, &value, &errors)) << errors << ": " << text;
    return value;
}

std::string CallText(const std::string& method, const Json::Value& params, size_t padding = 0) {
    Json::Value call(Json::objectValue);
    call["method"] = method;
    call["id"] = 7;
    call["ver"] = 3001;
    call["lang"] = "en";
    call["time"] = 0;
    call["params"] = params;
    if (padding > 0) {
        call["pad"] = std::string(padding, 'q');
    }
    return Compact(call);
}

Json::Value UpdateParams() {
    Json::Value params(Json::arrayValue);
    params.append("device-1");
    params.append("build-1");
    return params;
}

std::string Framed(const std::string& text) {
    std::string body;
    EXPECT_TRUE(FrameBody(text, &body));
    return body;
}

// The reply object of a framed answer.
Json::Value Unframed(const HttpResult& r) {
    std::string text;
    std::string why;
    EXPECT_TRUE(UnframeBody(r.body, &text, &why)) << why;
    return Parse(text.substr(0, text.find('\0')));
}

class KiplinkServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        KiplinkServerConfig config;
        config.staticRoot = VARNOK_PUBLISHED_STATIC_DIR;
        server = std::make_unique<KiplinkServer>(config);
        game.Install(*server);
        ASSERT_TRUE(server->Start());
    }

    HttpResult PostUpdate(long timeoutMs = 5000) {
        return Fetch(server->BaseUrl() + "game", kKiplinkContentType,
                     Framed(CallText("update", UpdateParams())), timeoutMs);
    }

    GameUpdateService game;
    std::unique_ptr<KiplinkServer> server;
};

TEST_F(KiplinkServerTest, AnswersAFramedCallFramed) {
    game.SetResult(2);
    const HttpResult r = PostUpdate();
    ASSERT_EQ(r.code, CURLE_OK);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.contentType, "application/x-kiplink");
    EXPECT_EQ(r.body.size() % 16, 0u);
    const Json::Value reply = Unframed(r);
    EXPECT_TRUE(reply["error"].isNull());
    EXPECT_EQ(reply["result"], 2);

    const auto calls = server->ReceivedCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].service, "game");
    EXPECT_EQ(calls[0].method, "update");
    EXPECT_EQ(calls[0].params, UpdateParams());
    EXPECT_EQ(calls[0].body["ver"], 3001);
}

TEST_F(KiplinkServerTest, LargeBodiesRoundTrip) {
    // Over 1 KB libcurl asks "Expect: 100-continue" first.
    server->SetHandler("echo", "back", [](const ServiceCall& call) {
        return ServiceReply::Result(call.body["pad"]);
    });
    const HttpResult r = Fetch(server->BaseUrl() + "echo", kKiplinkContentType,
                               Framed(CallText("back", Json::Value(Json::arrayValue), 30000)));
    ASSERT_EQ(r.code, CURLE_OK);
    EXPECT_EQ(Unframed(r)["result"].asString(), std::string(30000, 'q'));
}

TEST_F(KiplinkServerTest, PlainJsonWhenAskedFor) {
    HttpResult r = Fetch(server->BaseUrl() + "game", "application/json",
                         CallText("update", UpdateParams()));
    EXPECT_EQ(r.contentType, "application/json");
    EXPECT_EQ(Parse(r.body)["result"], 0);

    server->InjectFault(Fault::PlainJson());
    r = PostUpdate();
    EXPECT_EQ(r.contentType, "application/json");
    EXPECT_EQ(Parse(r.body)["result"], 0);
    EXPECT_EQ(PostUpdate().contentType, "application/x-kiplink");

    server->SetPlainJsonReplies(true);
    r = PostUpdate();
    EXPECT_EQ(r.contentType, "application/json");
    EXPECT_EQ(Parse(r.body)["result"], 0);
}

TEST_F(KiplinkServerTest, RefusesWhatIsNotACall) {
    const struct { const char* what; std::string path; const char* type; std::string body; long status; } cases[] = {
        {"undecodable body", "game", kKiplinkContentType, "short", 400},
        {"not a call object", "game", kKiplinkContentType, Framed("[1,2]"), 400},
        {"other content type", "game", "text/plain", CallText("update", UpdateParams()), 415},
        {"outside the base", "../game", kKiplinkContentType, Framed(CallText("update", UpdateParams())), 404},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const HttpResult r = Fetch(server->BaseUrl() + c.path, c.type, c.body);
        ASSERT_EQ(r.code, CURLE_OK);
        EXPECT_EQ(r.status, c.status);
    }
    EXPECT_TRUE(server->ReceivedCalls().empty());

    const HttpResult r = Fetch(server->BaseUrl() + "game", kKiplinkContentType,
                               Framed(CallText("noSuchMethod", Json::Value(Json::arrayValue))));
    const Json::Value reply = Unframed(r);
    EXPECT_EQ(reply["error"][1].asString(), "unknown method game.noSuchMethod");
    EXPECT_TRUE(reply["result"].isNull());
}

TEST_F(KiplinkServerTest, ServesTimeAndPublishedFiles) {
    server->SetClock([] { return int64_t{1700000000}; });
    HttpResult r = Fetch(server->BaseUrl() + "utc");
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, "1700000000");

    const std::string name = std::string("Items") + VARNOK_PUBLISHED_STATIC_SUFFIX;
    std::string file;
    ASSERT_TRUE(ReadFileBytes(std::string(VARNOK_PUBLISHED_STATIC_DIR) + "/" + name, &file));
    r = Fetch(server->StaticUrl() + name);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, file);

    for (const char* bad : {"static/missing.offline", "static/../published/x", "static/.hidden",
                            "static/a//b", "static/", "Items_2.offline"}) {
        EXPECT_EQ(Fetch(server->BaseUrl() + bad).status, 404) << bad;
    }
}

TEST_F(KiplinkServerTest, InjectedRepliesSpoilOnlyWhatTheyTarget) {
    server->InjectFault(Fault::ErrorText("invalid token").For("game").Times(2));
    server->InjectFault(Fault::HttpError(503).For("utc"));
    for (int i = 0; i < 2; ++i) {
        const Json::Value reply = Unframed(PostUpdate());
        EXPECT_EQ(reply["error"][1].asString(), "invalid token");
        EXPECT_TRUE(reply["result"].isNull());
    }
    EXPECT_TRUE(Unframed(PostUpdate())["error"].isNull());
    EXPECT_EQ(Fetch(server->BaseUrl() + "utc").status, 503);
    EXPECT_EQ(Fetch(server->BaseUrl() + "utc").status, 200);

    server->InjectFault(Fault::HttpError(500).Times(-1));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(PostUpdate().status, 500);
    }
    server->ClearFaults();
    EXPECT_EQ(PostUpdate().status, 200);
}

TEST_F(KiplinkServerTest, CorruptBodiesFailTheClientsChecks) {
    const struct { BodyCorruption corruption; const char* fault; } cases[] = {
        {BodyCorruption::FlippedByte, "zlib"},
        {BodyCorruption::Empty, "shorter than its header"},
        {BodyCorruption::SevenBytes, "shorter than its header"},
        {BodyCorruption::LengthPastBody, "runs past the body"},
        {BodyCorruption::BrokenZlib, "zlib"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        server->InjectFault(Fault::Corrupt(c.corruption));
        const HttpResult r = PostUpdate();
        ASSERT_EQ(r.code, CURLE_OK);
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.contentType, "application/x-kiplink");
        std::string text;
        std::string why;
        EXPECT_FALSE(UnframeBody(r.body, &text, &why));
        EXPECT_NE(why.find(c.fault), std::string::npos) << why;
    }

    server->InjectFault(Fault::Corrupt(BodyCorruption::NotJson));
    HttpResult r = PostUpdate();
    std::string text;
    std::string why;
    ASSERT_TRUE(UnframeBody(r.body, &text, &why)) << why;
    Json::Value ignored;
    Json::CharReaderBuilder reader;
    std::istringstream in(text);
    EXPECT_FALSE(Json::parseFromStream(reader, in, &ignored, &why));

    server->InjectFault(Fault::Corrupt(BodyCorruption::NoContentType));
    r = PostUpdate();
    EXPECT_FALSE(r.hasContentType);
    EXPECT_EQ(Unframed(r)["result"], 0);

    // A tampered download no longer matches its signature.
    const std::string name = std::string("Items") + VARNOK_PUBLISHED_STATIC_SUFFIX;
    std::string signature;
    ASSERT_TRUE(ReadFileBytes(std::string(VARNOK_PUBLISHED_STATIC_DIR) + "/" + name + ".sig", &signature));
    server->InjectFault(Fault::Corrupt(BodyCorruption::FlippedByte).For("static/" + name));
    r = Fetch(server->StaticUrl() + name);
    EXPECT_EQ(r.status, 200);
    EXPECT_FALSE(VerifySignature(DevelopmentPublicKeyPath(), r.body, signature));
    EXPECT_TRUE(VerifySignature(DevelopmentPublicKeyPath(), Fetch(server->StaticUrl() + name).body,
                                signature));
}

TEST_F(KiplinkServerTest, DroppedConnections) {
    std::atomic<int> handled{0};
    server->SetHandler("game", "update", [&](const ServiceCall&) {
        ++handled;
        return ServiceReply::Result(0);
    });

    server->InjectFault(Fault::CloseBeforeRead());
    HttpResult r = PostUpdate();
    EXPECT_NE(r.code, CURLE_OK);
    EXPECT_EQ(handled, 0);
    EXPECT_TRUE(server->ReceivedCalls().empty());

    server->InjectFault(Fault::CloseAfterAction());
    r = PostUpdate();
    EXPECT_NE(r.code, CURLE_OK);
    EXPECT_EQ(handled, 1) << "the call took effect before the connection dropped";
    EXPECT_EQ(server->ReceivedCalls().size(), 1u);

    r = PostUpdate();
    EXPECT_EQ(r.code, CURLE_OK);
    EXPECT_EQ(handled, 2);
}

TEST_F(KiplinkServerTest, DelaysOutlastAClientsTimeOutAndEndWithStop) {
    server->InjectFault(Fault::Delay(1500));
    const auto start = std::chrono::steady_clock::now();
    const HttpResult late = PostUpdate(300);
    EXPECT_EQ(late.code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1400));
    EXPECT_EQ(PostUpdate().code, CURLE_OK) << "a delay holds back only its own request";

    server->InjectFault(Fault::Delay(60000));
    const HttpResult stopped = PostUpdate(300);
    EXPECT_EQ(stopped.code, CURLE_OPERATION_TIMEDOUT);
    const auto stopStart = std::chrono::steady_clock::now();
    server->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopStart, std::chrono::seconds(2));
}

}  // namespace
}  // namespace Tools
}  // namespace Varnok
