// Start and reap: the requests' life cycle inside the manager.
#include "engine/core/internal/IosHttpBackend.h"

#include <algorithm>
#include <utility>

namespace Varnok {

IosHttpBackend::IosHttpBackend(std::unique_ptr<HttpTransport> transport)
    : m_transport(std::move(transport)) {}

IosHttpBackend::~IosHttpBackend() {
    // Each request cancels its own transfer, while the transport still lives.
    m_activeRequests.clear();
}

void IosHttpBackend::StartRequest(const HttpRequest& request) {
    m_activeRequests.push_back(std::make_unique<HttpRequestIOS>(request, *m_transport));
    HttpRequestIOS& copy = *m_activeRequests.back();
    for (const std::string& cookie : m_cookies) {
        copy.AddCookie(cookie.c_str());
    }
    copy.Submit();
}

void IosHttpBackend::Update() {
    m_transport->Poll();
    if (m_activeRequests.empty()) {
        return;
    }
    // Collected first: callbacks may start requests, which wait for a later
    // update, as do requests that end meanwhile.
    std::vector<HttpRequestIOS*> finished;
    for (const auto& request : m_activeRequests) {
        if (request->IsDone()) {
            finished.push_back(request.get());
        }
    }
    for (HttpRequestIOS* request : finished) {
        request->NotifyComplete();
        const auto found = std::find_if(m_activeRequests.begin(), m_activeRequests.end(),
                                        [request](const auto& held) { return held.get() == request; });
        if (found != m_activeRequests.end()) {
            m_activeRequests.erase(found);  // deletes the request and its response
        }
    }
}

}  // namespace Varnok
