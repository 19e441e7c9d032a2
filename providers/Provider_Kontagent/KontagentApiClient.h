// Sends Kontagent messages as HTTP GETs of <uri>/<api key>/<query text>, and
// keeps every message it cannot send in a queue that lives in
// "kontagent.dat": no endpoint yet, no network, or an HTTP error answer.
// Main thread only; answers arrive when the owner updates the request
// manager.
#pragma once

#include "engine/core/Delegate.h"
#include "engine/core/HttpRequest.h"
#include "providers/Provider_Kontagent/KontagentReport.h"

#include <json/json.h>

#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <string>

namespace Varnok {

class HttpRequestManager;

// The message id and whether the server took the message.
using KontagentCompletion = Delegate2<void, int, bool>;

class KontagentApiClient {
public:
    static constexpr int kRequestTimeoutSeconds = 60;
    static constexpr int64_t kFlushSeconds = 2;  // ahead of the last flush

    // Loads the queue. http must outlive the client.
    explicit KontagentApiClient(HttpRequestManager& http);
    // Saves the queue; requests still running are the manager's to cancel.
    ~KontagentApiClient();
    KontagentApiClient(const KontagentApiClient&) = delete;
    KontagentApiClient& operator=(const KontagentApiClient&) = delete;

    void SetEndpoint(const std::string& uri, const std::string& apiKey);
    bool HasEndpoint() const { return !m_uri.empty() && !m_apiKey.empty(); }

    // Sends at once when there is an endpoint and the network is reachable;
    // otherwise queues the query text with "&ts=" and the time and calls the
    // completion with false. Answers the message id.
    int Send(const KontagentCompletion& completion, const std::string& userKey, const KontagentReport& report,
             const Json::Value& data);
    // At most one queued message, at most every kFlushSeconds + 1 seconds,
    // only with an endpoint and the network reachable.
    void Flush();

    // Appends, drops the oldest beyond kKontagentQueueLimit, saves.
    void QueueMessage(std::string text);
    // The oldest message, removed (the queue is saved); false when empty.
    bool PopMessage(std::string& outText);
    void SaveQueue();
    void LoadQueue();
    const std::deque<std::string>& GetQueue() const { return m_queue; }

private:
    // One request in flight: what is needed to requeue it.
    struct RequestContext {
        KontagentApiClient* client;
        KontagentCompletion completion;
        int messageId;
        std::string text;
        int64_t firstAttempt;  // seconds; 0 for a message resent from the queue
        bool done = false;

        void OnComplete(HttpRequest* request, HttpResponse* response);
    };

    void Submit(const std::string& text, int64_t firstAttempt, const KontagentCompletion& completion,
                int messageId);
    void ForgetFinishedRequests();

    HttpRequestManager& m_http;
    std::string m_uri;
    std::string m_apiKey;
    int m_nextMessageId = 0;
    std::deque<std::string> m_queue;  // oldest first
    int64_t m_nextFlush = 0;
    std::list<std::unique_ptr<RequestContext>> m_requests;  // the requests' delegates point here
    bool m_saveFailing = false;  // logged once until a save works again
};

}  // namespace Varnok
