// Starts copies of HTTP requests and, when its owner updates it once per
// frame, hands every finished one to its completion delegate and deletes it.
// Each user of HTTP owns one manager; everything happens on the owner's
// thread.
#pragma once

#include "engine/core/HttpRequest.h"

#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class HttpRequestManager {
public:
    HttpRequestManager() = default;
    HttpRequestManager(const HttpRequestManager&) = delete;
    HttpRequestManager& operator=(const HttpRequestManager&) = delete;
    virtual ~HttpRequestManager() = default;

    // Advances the transfers and reaps the finished requests: their callbacks
    // run here, in the order the requests were started. Never blocks.
    virtual void Update() {}
    // Starts a copy of the request; the caller may destroy or reuse its own
    // at once. The callback later receives the copy.
    virtual void StartRequest(const HttpRequest& request) { static_cast<void>(request); }
    virtual bool HasActiveRequests() const = 0;

protected:
    // Added to every request the manager starts.
    std::vector<std::string> m_cookies;
};

// A manager over the platform's HTTP client (libcurl). Its destructor cancels
// the requests still running without calling their callbacks.
std::unique_ptr<HttpRequestManager> CreateHttpRequestManager();

}  // namespace Varnok
