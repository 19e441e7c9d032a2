// Requests, responses and the manager's start-and-reap logic over a scripted
// transport (no network).
#include "engine/core/HttpRequest.h"

#include "engine/core/HttpRequestManager.h"
#include "engine/core/internal/HttpConnectionDelegate.h"
#include "engine/core/internal/HttpRequestIOS.h"
#include "engine/core/internal/IosHttpBackend.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Varnok {
namespace {

std::string Text(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// What the scripted transport was asked to do; outlives the manager.
struct FakeNetwork {
    struct Transfer {
        HttpTransferDef def;
        HttpConnectionDelegate* delegate = nullptr;
        bool cancelled = false;
    };
    std::vector<Transfer> transfers;
    bool refuseStart = false;
    int polls = 0;
};

class FakeTransport final : public HttpTransport {
public:
    explicit FakeTransport(FakeNetwork& network) : m_network(network) {}

    bool Start(HttpTransferDef def, HttpConnectionDelegate& delegate) override {
        if (m_network.refuseStart) {
            return false;
        }
        m_network.transfers.push_back({std::move(def), &delegate, false});
        return true;
    }
    void Cancel(HttpConnectionDelegate& delegate) override {
        for (auto& transfer : m_network.transfers) {
            if (transfer.delegate == &delegate) {
                transfer.cancelled = true;
            }
        }
    }
    void Poll() override { ++m_network.polls; }

private:
    FakeNetwork& m_network;
};

// Records every completion the manager hands out.
struct Completion {
    std::string url;
    int status = 0;
    bool complete = false;
    std::string contentType;
    std::string body;
    size_t requestBodySize = 0;
};

class Recorder {
public:
    void OnComplete(HttpRequest* request, HttpResponse* response) {
        Completion c;
        c.url = request->GetUrl();
        c.requestBodySize = request->GetBody().size();
        if (response != nullptr) {
            c.status = response->GetStatusCode();
            c.complete = response->IsComplete();
            c.contentType = response->GetContentType().c_str();
            c.body = Text(response->GetBody());
        }
        completions.push_back(c);
    }
    HttpCompletionDelegate Delegate() { return HttpCompletionDelegate(this, &Recorder::OnComplete); }

    std::vector<Completion> completions;
};

HttpRequest MakeRequest(const std::string& url, Recorder& recorder, int method = kHttpMethodGet) {
    HttpRequest request(url, method);
    request.SetCallback(recorder.Delegate());
    return request;
}

void Finish(HttpConnectionDelegate& delegate, int status, const std::string& body,
            const std::string* contentType = nullptr) {
    delegate.DidReceiveResponse(status, contentType);
    delegate.DidReceiveData(body.data(), body.size());
    delegate.DidFinishLoading();
}

TEST(HttpRequest, StartsEmptyWithDefaultTimeout) {
    HttpRequest request("http://127.0.0.1/", kHttpMethodGet);
    EXPECT_EQ(request.GetTimeout(), 60);
    EXPECT_TRUE(request.GetHeaders().empty());
    EXPECT_TRUE(request.GetBody().empty());
    EXPECT_TRUE(request.GetCookies().empty());
    EXPECT_EQ(request.GetResponse(), nullptr);
    request.NotifyComplete();  // no callback: nothing happens

    request.SetTimeout(-5);
    EXPECT_EQ(request.GetTimeout(), 0);
    request.SetTimeout(7);
    EXPECT_EQ(request.GetTimeout(), 7);
}

TEST(HttpRequest, CopyKeepsEverythingButCookies) {
    Recorder recorder;
    HttpRequest original = MakeRequest("http://127.0.0.1/a", recorder, kHttpMethodPut);
    original.AddHeader("A:1");
    original.AddHeader("B:2");
    original.AppendBody("xyz", 3);
    original.AddCookie("k=v");
    original.SetTimeout(9);

    HttpRequest copy(original);
    EXPECT_EQ(copy.GetUrl(), "http://127.0.0.1/a");
    EXPECT_EQ(copy.GetMethod(), kHttpMethodPut);
    EXPECT_EQ(copy.GetHeaders(), (std::vector<std::string>{"A:1", "B:2"}));
    EXPECT_EQ(Text(copy.GetBody()), "xyz");
    EXPECT_EQ(copy.GetTimeout(), 9);
    EXPECT_TRUE(copy.GetCookies().empty());

    copy.NotifyComplete();  // the cloned callback, with no response
    ASSERT_EQ(recorder.completions.size(), 1u);
    EXPECT_EQ(recorder.completions[0].url, "http://127.0.0.1/a");

    copy.SetCallback(HttpCompletionDelegate());  // cleared
    copy.NotifyComplete();
    EXPECT_EQ(recorder.completions.size(), 1u);
}

TEST(HttpRequest, ReadBodyCopiesAndConsumes) {
    const struct {
        const char* what;
        int count;
        int consume;
        int copied;
        const char* left;
    } cases[] = {
        {"part, kept", 2, 0, 2, "hello"},
        {"part, consumed", 2, 1, 2, "llo"},
        {"more than there is", 99, 1, 5, ""},
        {"nothing asked", 0, 1, 0, "hello"},
        {"negative count", -3, 1, 0, "hello"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HttpResponse response;
        response.AppendBody("hello", 5);
        char out[8] = {};
        EXPECT_EQ(response.ReadBody(out, c.count, c.consume), c.copied);
        EXPECT_EQ(std::string(out, static_cast<size_t>(c.copied)),
                  std::string("hello").substr(0, static_cast<size_t>(c.copied)));
        EXPECT_EQ(Text(response.GetBody()), c.left);

        HttpRequest request("http://127.0.0.1/", kHttpMethodPost);
        request.AppendBody("hello", 5);
        EXPECT_EQ(request.ReadBody(out, c.count, c.consume), c.copied);
        EXPECT_EQ(Text(request.GetBody()), c.left);
    }
    HttpResponse response;
    response.AppendBody("hello", 5);
    response.AppendBody(nullptr, 3);
    response.AppendBody("x", -1);
    EXPECT_EQ(response.ReadBody(nullptr, 5, 1), 0);
    EXPECT_EQ(Text(response.GetBody()), "hello");
}

TEST(HttpResponse, BodyTextEndsAtZeroByteAndEmptiesBody) {
    HttpResponse response;
    EXPECT_EQ(response.GetStatusCode(), 200);
    EXPECT_FALSE(response.IsComplete());

    std::string text = "untouched";
    EXPECT_FALSE(response.GetBodyText(text));
    EXPECT_EQ(text, "untouched");

    response.AppendBody("ab\0cd", 5);
    EXPECT_TRUE(response.GetBodyText(text));
    EXPECT_EQ(text, "ab");
    EXPECT_TRUE(response.GetBody().empty());
    EXPECT_FALSE(response.GetBodyText(text));
    EXPECT_EQ(text, "ab");

    // No terminator in the body: the text ends with the body.
    response.AppendBody("1", 1);
    EXPECT_TRUE(response.GetBodyText(text));
    EXPECT_EQ(text, "1");
}

TEST(HttpRequestIOS, HeaderLinesAndCookiesBecomeFields) {
    FakeNetwork network;
    FakeTransport transport(network);
    HttpRequest source("http://127.0.0.1/h", kHttpMethodGet);
    source.AddHeader("Content-Type:application/json");
    source.AddHeader("X-Time:12:30:05");       // split at the first ':'
    source.AddHeader("X-Blank: v");            // the blank is part of the value
    source.AddHeader("NoColon");               // skipped
    source.AddHeader(":no-name");              // skipped
    source.AddHeader("X-Split:a\r\nInjected:1");  // skipped
    source.AddHeader("X-Empty:");
    source.AddHeader("x-time:later");          // replaces, in place
    source.AddHeader("Cookie:replaced");

    HttpRequestIOS request(source, transport);
    request.AddCookie("a=1");
    request.AddCookie("b=2");
    request.Submit();

    ASSERT_EQ(network.transfers.size(), 1u);
    const HttpTransferDef& def = network.transfers[0].def;
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Content-Type", "application/json"},
        {"X-Time", "later"},
        {"X-Blank", " v"},
        {"X-Empty", ""},
        {"Cookie", "a=1;b=2"},
    };
    EXPECT_EQ(def.headers, expected);
    EXPECT_EQ(def.url, "http://127.0.0.1/h");
    EXPECT_EQ(def.timeoutSeconds, 60);
    EXPECT_FALSE(request.IsDone());
    ASSERT_NE(request.GetResponse(), nullptr);
}

TEST(HttpRequestIOS, MethodDecidesWhetherBodyIsSent) {
    const struct {
        int method;
        const char* name;
        const char* sentBody;
        const char* keptBody;
    } cases[] = {
        {kHttpMethodGet, "GET", "", "data"},
        {kHttpMethodPost, "POST", "data", ""},
        {kHttpMethodPut, "PUT", "data", ""},
        {kHttpMethodDelete, "DELETE", "", "data"},
        {7, "GET", "", "data"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeNetwork network;
        FakeTransport transport(network);
        HttpRequest source("http://127.0.0.1/", c.method);
        source.AppendBody("data", 4);
        HttpRequestIOS request(source, transport);
        request.Submit();
        ASSERT_EQ(network.transfers.size(), 1u);
        EXPECT_EQ(network.transfers[0].def.method, c.name);
        EXPECT_EQ(Text(network.transfers[0].def.body), c.sentBody);
        EXPECT_EQ(Text(request.GetBody()), c.keptBody);
        EXPECT_EQ(Text(source.GetBody()), "data");  // the caller's request is untouched
    }
}

class IosHttpBackendTest : public ::testing::Test {
protected:
    IosHttpBackendTest() : manager(std::make_unique<FakeTransport>(network)) {}

    HttpConnectionDelegate& Delegate(size_t index) { return *network.transfers.at(index).delegate; }

    FakeNetwork network;
    IosHttpBackend manager;
    Recorder recorder;
};

TEST_F(IosHttpBackendTest, CompletesOnlyInsideUpdate) {
    {
        HttpRequest request = MakeRequest("http://127.0.0.1/one", recorder);
        manager.StartRequest(request);
    }  // the caller's request may go at once
    EXPECT_TRUE(manager.HasActiveRequests());
    manager.Update();
    EXPECT_TRUE(recorder.completions.empty());

    const std::string type = "text/plain";
    Finish(Delegate(0), 200, "1", &type);
    EXPECT_TRUE(recorder.completions.empty());  // ended, but not yet updated
    EXPECT_TRUE(manager.HasActiveRequests());

    manager.Update();
    ASSERT_EQ(recorder.completions.size(), 1u);
    const Completion& c = recorder.completions[0];
    EXPECT_EQ(c.url, "http://127.0.0.1/one");
    EXPECT_EQ(c.status, 200);
    EXPECT_TRUE(c.complete);
    EXPECT_EQ(c.contentType, "text/plain");
    EXPECT_EQ(c.body, "1");
    EXPECT_FALSE(manager.HasActiveRequests());

    manager.Update();
    EXPECT_EQ(recorder.completions.size(), 1u);  // reported once
    EXPECT_EQ(network.polls, 3);
}

TEST_F(IosHttpBackendTest, OnlyTheLastResponseCounts) {
    manager.StartRequest(MakeRequest("http://127.0.0.1/moved", recorder));
    const std::string html = "text/html";
    Delegate(0).DidReceiveResponse(302, &html);
    Delegate(0).DidReceiveData("moved", 5);
    Finish(Delegate(0), 404, "missing");
    manager.Update();
    ASSERT_EQ(recorder.completions.size(), 1u);
    EXPECT_EQ(recorder.completions[0].status, 404);  // reported as it is
    EXPECT_EQ(recorder.completions[0].contentType, "");
    EXPECT_EQ(recorder.completions[0].body, "missing");
}

TEST_F(IosHttpBackendTest, TransportFailureReportsErrorCodeAndNoBody) {
    manager.StartRequest(MakeRequest("http://127.0.0.1/fail", recorder));
    Delegate(0).DidReceiveResponse(200, nullptr);
    Delegate(0).DidReceiveData("partial", 7);
    Delegate(0).DidFailWithError(-28);
    manager.Update();
    ASSERT_EQ(recorder.completions.size(), 1u);
    EXPECT_EQ(recorder.completions[0].status, -28);
    EXPECT_TRUE(recorder.completions[0].complete);
    EXPECT_EQ(recorder.completions[0].body, "");
}

TEST_F(IosHttpBackendTest, RequestThatCannotStartIsReportedOnceAtNextUpdate) {
    network.refuseStart = true;
    manager.StartRequest(MakeRequest("http://127.0.0.1/never", recorder));
    EXPECT_TRUE(recorder.completions.empty());
    EXPECT_TRUE(manager.HasActiveRequests());
    manager.Update();
    ASSERT_EQ(recorder.completions.size(), 1u);
    EXPECT_EQ(recorder.completions[0].status, 0);
    EXPECT_TRUE(recorder.completions[0].complete);
    manager.Update();
    EXPECT_EQ(recorder.completions.size(), 1u);
}

TEST_F(IosHttpBackendTest, FinishedRequestsAreReportedInStartOrder) {
    for (const char* url : {"http://127.0.0.1/a", "http://127.0.0.1/b", "http://127.0.0.1/c"}) {
        manager.StartRequest(MakeRequest(url, recorder, kHttpMethodPost));
    }
    Finish(Delegate(2), 200, "c");
    Finish(Delegate(0), 200, "a");
    manager.Update();
    ASSERT_EQ(recorder.completions.size(), 2u);
    EXPECT_EQ(recorder.completions[0].url, "http://127.0.0.1/a");
    EXPECT_EQ(recorder.completions[1].url, "http://127.0.0.1/c");
    EXPECT_EQ(recorder.completions[0].requestBodySize, 0u);  // the copy's body went out
    EXPECT_TRUE(manager.HasActiveRequests());  // b still runs
}

// A callback that starts a follow-up request, which must wait for a later
// update even when it is done at once.
class ChainingCaller {
public:
    ChainingCaller(HttpRequestManager& manager, Recorder& recorder)
        : m_manager(manager), m_recorder(recorder) {}
    void OnFirst(HttpRequest*, HttpResponse*) {
        ++firstCalls;
        m_manager.StartRequest(MakeRequest("http://127.0.0.1/second", m_recorder));
    }
    int firstCalls = 0;

private:
    HttpRequestManager& m_manager;
    Recorder& m_recorder;
};

TEST_F(IosHttpBackendTest, RequestsStartedByCallbacksWaitForLaterUpdate) {
    ChainingCaller chain(manager, recorder);
    HttpRequest first("http://127.0.0.1/first", kHttpMethodGet);
    first.SetCallback(HttpCompletionDelegate(&chain, &ChainingCaller::OnFirst));
    manager.StartRequest(first);
    Finish(Delegate(0), 200, "");
    network.refuseStart = true;  // the follow-up is done at once

    manager.Update();
    EXPECT_EQ(chain.firstCalls, 1);
    EXPECT_TRUE(recorder.completions.empty());
    EXPECT_TRUE(manager.HasActiveRequests());

    manager.Update();
    ASSERT_EQ(recorder.completions.size(), 1u);
    EXPECT_EQ(recorder.completions[0].url, "http://127.0.0.1/second");
    EXPECT_FALSE(manager.HasActiveRequests());
}

TEST(IosHttpBackend, DestructorCancelsRunningRequestsWithoutCallbacks) {
    FakeNetwork network;
    Recorder recorder;
    {
        IosHttpBackend manager(std::make_unique<FakeTransport>(network));
        manager.StartRequest(MakeRequest("http://127.0.0.1/running", recorder));
        manager.StartRequest(MakeRequest("http://127.0.0.1/ended", recorder));
        Finish(*network.transfers[1].delegate, 200, "x");
    }
    EXPECT_TRUE(recorder.completions.empty());
    ASSERT_EQ(network.transfers.size(), 2u);
    EXPECT_TRUE(network.transfers[0].cancelled);
    EXPECT_FALSE(network.transfers[1].cancelled);  // already ended: nothing to cancel
}

}  // namespace
}  // namespace Varnok
