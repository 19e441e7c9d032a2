#include "providers/Provider_Kontagent/KontagentApiClient.h"

#include "engine/core/HttpRequestManager.h"
#include "engine/core/Log.h"
#include "engine/core/NetworkAvailabilityMonitor.h"
#include "engine/services/ServiceClock.h"
#include "providers/Provider_Kontagent/KontagentFiles.h"

#include <utility>

namespace Varnok {
namespace {

std::string WithTimeStamp(std::string text, int64_t seconds) {
    text += "&ts=";
    text += std::to_string(seconds);
    return text;
}

void AppendWithSlash(std::string& url, const std::string& part) {
    url += part;
    if (url.empty() || url.back() != '/') {
        url += '/';
    }
}

}  // namespace

KontagentApiClient::KontagentApiClient(HttpRequestManager& http) : m_http(http) {
    LoadQueue();
}

KontagentApiClient::~KontagentApiClient() {
    SaveQueue();
}

void KontagentApiClient::SetEndpoint(const std::string& uri, const std::string& apiKey) {
    m_uri = uri;
    m_apiKey = apiKey;
}

int KontagentApiClient::Send(const KontagentCompletion& completion, const std::string& userKey,
                             const KontagentReport& report, const Json::Value& data) {
    const int messageId = m_nextMessageId++;
    const std::string text = BuildKontagentQuery(report, userKey, data);
    const int64_t now = GetServiceTime();
    if (HasEndpoint() && IsNetworkReachable() != kNetworkNotReachable) {
        Submit(text, now, completion, messageId);
    } else {
        QueueMessage(WithTimeStamp(text, now));
        completion(messageId, false);
    }
    return messageId;
}

void KontagentApiClient::Flush() {
    ForgetFinishedRequests();
    if (!HasEndpoint()) {
        return;
    }
    const int64_t now = GetServiceTime();
    if (m_nextFlush >= now) {
        return;
    }
    m_nextFlush = now + kFlushSeconds;
    std::string text;
    if (IsNetworkReachable() == kNetworkNotReachable || !PopMessage(text)) {
        return;
    }
    // A whole URL was never ours to queue; it cannot be sent to the endpoint.
    if (text.compare(0, 4, "http") == 0) {
        return;
    }
    Submit(text, 0, KontagentCompletion(), m_nextMessageId++);
}

void KontagentApiClient::Submit(const std::string& text, int64_t firstAttempt,
                                const KontagentCompletion& completion, int messageId) {
    std::string url;
    AppendWithSlash(url, m_uri);
    AppendWithSlash(url, m_apiKey);
    url += text;
    auto context = std::make_unique<RequestContext>(
        RequestContext{this, completion, messageId, text, firstAttempt});
    HttpRequest request(url, kHttpMethodGet);
    request.SetTimeout(kRequestTimeoutSeconds);
    request.SetCallback(HttpCompletionDelegate(context.get(), &RequestContext::OnComplete));
    m_requests.push_back(std::move(context));
    m_http.StartRequest(request);
}

void KontagentApiClient::RequestContext::OnComplete(HttpRequest* /*request*/, HttpResponse* response) {
    done = true;
    const int status = response != nullptr ? response->GetStatusCode() : 0;
    if (status == 200) {
        std::string body;
        const bool taken = response->GetBodyText(body) && body == "1";
        completion(messageId, taken);
        return;
    }
    client->QueueMessage(firstAttempt != 0 ? WithTimeStamp(text, firstAttempt) : text);
    completion(messageId, false);
}

void KontagentApiClient::ForgetFinishedRequests() {
    m_requests.remove_if([](const std::unique_ptr<RequestContext>& context) { return context->done; });
}

void KontagentApiClient::QueueMessage(std::string text) {
    m_queue.push_back(std::move(text));
    while (m_queue.size() > kKontagentQueueLimit) {
        m_queue.pop_front();
    }
    SaveQueue();
}

bool KontagentApiClient::PopMessage(std::string& outText) {
    if (m_queue.empty()) {
        return false;
    }
    outText = std::move(m_queue.front());
    m_queue.pop_front();
    SaveQueue();
    return true;
}

void KontagentApiClient::SaveQueue() {
    const bool saved = WriteKontagentFile(kKontagentQueueFile, SerialiseKontagentQueue(m_queue));
    if (!saved && !m_saveFailing) {
        Log("KontagentApiClient: cannot write %s in \"save\"; the queue stays in memory", kKontagentQueueFile);
    }
    m_saveFailing = !saved;
}

void KontagentApiClient::LoadQueue() {
    std::string bytes;
    if (!ReadKontagentFile(kKontagentQueueFile, bytes)) {
        return;
    }
    std::string fault;
    ParseKontagentQueue(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), m_queue, fault);
    if (!fault.empty()) {
        Log("KontagentApiClient: %s: %s", kKontagentQueueFile, fault.c_str());
    }
}

}  // namespace Varnok
