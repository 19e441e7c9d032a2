// The request manager over libcurl against a server of our own on 127.0.0.1.
#include "engine/core/HttpRequestManager.h"

#include "tests/engine/core/support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace Varnok {
namespace {

using VarnokTest::LoopbackHttpServer;
using namespace std::chrono_literals;

constexpr auto kWaitLimit = 4s;

struct Result {
    int status = 0;
    std::string contentType;
    std::string body;
    bool insideUpdate = false;
};

// Collects completions and knows whether it is inside the manager's update.
class Client {
public:
    Client() : manager(CreateHttpRequestManager()) {}

    void OnComplete(HttpRequest*, HttpResponse* response) {
        Result result;
        result.insideUpdate = m_updating;
        result.status = response->GetStatusCode();
        result.contentType = response->GetContentType().c_str();
        result.body.assign(response->GetBody().begin(), response->GetBody().end());
        results.push_back(result);
    }

    HttpRequest Request(const std::string& url, int method = kHttpMethodGet) {
        HttpRequest request(url, method);
        request.SetCallback(HttpCompletionDelegate(this, &Client::OnComplete));
        return request;
    }

    void Update() {
        m_updating = true;
        manager->Update();
        m_updating = false;
    }

    // Updates like a frame loop until `count` requests have completed.
    bool UpdateUntil(size_t count, std::chrono::steady_clock::duration limit = kWaitLimit) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (results.size() < count && std::chrono::steady_clock::now() < until) {
            Update();
            std::this_thread::sleep_for(2ms);
        }
        return results.size() >= count;
    }

    std::unique_ptr<HttpRequestManager> manager;
    std::vector<Result> results;

private:
    bool m_updating = false;
};

TEST(HttpRequestManager, GetReceivesStatusHeadersAndBody) {
    LoopbackHttpServer server({LoopbackHttpServer::Reply(200, "OK", "text/plain", "1")});
    ASSERT_TRUE(server.IsRunning());
    Client client;
    HttpRequest request = client.Request(server.Url("/track?event=start&n=2"));
    request.AddHeader("X-Clock:12:30:05");
    request.AppendBody("ignored", 7);  // GET sends no body
    client.manager->StartRequest(request);
    EXPECT_TRUE(client.manager->HasActiveRequests());

    ASSERT_TRUE(client.UpdateUntil(1));
    const Result& result = client.results[0];
    EXPECT_TRUE(result.insideUpdate);
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.contentType, "text/plain");
    EXPECT_EQ(result.body, "1");
    EXPECT_FALSE(client.manager->HasActiveRequests());

    const auto seen = server.Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "GET");
    EXPECT_EQ(seen[0].target, "/track?event=start&n=2");
    EXPECT_EQ(seen[0].Header("X-Clock"), "12:30:05");
    EXPECT_EQ(seen[0].body, "");
    EXPECT_FALSE(seen[0].HasHeader("Expect"));
}

TEST(HttpRequestManager, PostSendsBodyAndContentType) {
    const std::string reply = std::string("ok\0tail", 7);
    LoopbackHttpServer server({LoopbackHttpServer::Reply(201, "Created", "application/octet-stream", reply)});
    ASSERT_TRUE(server.IsRunning());
    Client client;
    HttpRequest request = client.Request(server.Url("/rpc"), kHttpMethodPost);
    request.AddHeader("Content-Type:application/json");
    const std::string body = "{\"op\":\"login\",\"n\":1}";
    request.AppendBody(body.data(), static_cast<int>(body.size()));
    client.manager->StartRequest(request);
    EXPECT_EQ(request.GetBody().size(), body.size());  // the caller's copy keeps its body

    ASSERT_TRUE(client.UpdateUntil(1));
    EXPECT_EQ(client.results[0].status, 201);
    EXPECT_EQ(client.results[0].contentType, "application/octet-stream");
    EXPECT_EQ(client.results[0].body, reply);  // binary bodies arrive whole

    const auto seen = server.Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "POST");
    EXPECT_EQ(seen[0].Header("Content-Type"), "application/json");
    EXPECT_EQ(seen[0].body, body);
}

TEST(HttpRequestManager, FollowsRedirectAndReportsFinalResponse) {
    LoopbackHttpServer server({
        LoopbackHttpServer::Reply(302, "Found", "text/html", "moved", "Location: /final\r\n"),
        LoopbackHttpServer::Reply(404, "Not Found", "", "missing"),
    });
    ASSERT_TRUE(server.IsRunning());
    Client client;
    client.manager->StartRequest(client.Request(server.Url("/start")));
    ASSERT_TRUE(client.UpdateUntil(1));
    EXPECT_EQ(client.results[0].status, 404);
    EXPECT_EQ(client.results[0].contentType, "");
    EXPECT_EQ(client.results[0].body, "missing");
    const auto seen = server.Requests();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].target, "/final");
}

TEST(HttpRequestManager, SilentServerTimesOutAsFailure) {
    LoopbackHttpServer server({""});  // accepts, reads, never answers
    ASSERT_TRUE(server.IsRunning());
    Client client;
    HttpRequest request = client.Request(server.Url("/slow"));
    request.SetTimeout(1);
    const auto start = std::chrono::steady_clock::now();
    client.manager->StartRequest(request);
    ASSERT_TRUE(client.UpdateUntil(1));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(client.results[0].status, 0);
    EXPECT_EQ(client.results[0].body, "");
    EXPECT_GE(elapsed, 900ms);
    EXPECT_TRUE(server.WaitForRequests(1, 0ms));
}

TEST(HttpRequestManager, ConnectionFailuresAreReportedAsFailures) {
    VarnokTest::RefusingPort refusing;
    ASSERT_NE(refusing.Port(), 0);
    const std::string hostPort = "127.0.0.1:" + std::to_string(refusing.Port());
    const struct {
        const char* what;
        std::string url;
        bool starts;  // false: cannot start at all, reported with status 0
    } cases[] = {
        {"refused http", "http://" + hostPort + "/", true},
        {"refused https", "https://" + hostPort + "/", true},
        {"not http", "file:///etc/hostname", false},
        {"no scheme", hostPort + "/", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Client client;
        client.manager->StartRequest(client.Request(c.url));
        ASSERT_TRUE(client.UpdateUntil(1));
        if (c.starts) {
            EXPECT_LT(client.results[0].status, 0);
        } else {
            EXPECT_EQ(client.results[0].status, 0);
        }
        EXPECT_EQ(client.results[0].body, "");
        EXPECT_TRUE(client.results[0].insideUpdate);
    }
}

TEST(HttpRequestManager, DestructorDropsRequestsInFlight) {
    LoopbackHttpServer server({""});
    ASSERT_TRUE(server.IsRunning());
    Client client;
    client.manager->StartRequest(client.Request(server.Url("/a")));
    HttpRequest post = client.Request(server.Url("/b"), kHttpMethodPost);
    post.AppendBody("payload", 7);
    client.manager->StartRequest(post);
    const auto until = std::chrono::steady_clock::now() + kWaitLimit;
    while (!server.WaitForRequests(2, 0ms) && std::chrono::steady_clock::now() < until) {
        client.Update();
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_TRUE(server.WaitForRequests(2, 0ms));
    client.manager.reset();
    EXPECT_TRUE(client.results.empty());
}

}  // namespace
}  // namespace Varnok
