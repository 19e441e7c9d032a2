// The request manager over an HttpTransport: keeps the started requests in
// start order and reaps the finished ones in Update().
#pragma once

#include "engine/core/HttpRequestManager.h"
#include "engine/core/internal/HttpRequestIOS.h"
#include "engine/core/internal/HttpTransport.h"

#include <memory>
#include <vector>

namespace Varnok {

class IosHttpBackend final : public HttpRequestManager {
public:
    explicit IosHttpBackend(std::unique_ptr<HttpTransport> transport);
    // Cancels and deletes the requests still active; their callbacks are not
    // called.
    ~IosHttpBackend() override;

    void Update() override;
    void StartRequest(const HttpRequest& request) override;
    bool HasActiveRequests() const override { return !m_activeRequests.empty(); }

private:
    std::unique_ptr<HttpTransport> m_transport;
    std::vector<std::unique_ptr<HttpRequestIOS>> m_activeRequests;  // start order
};

}  // namespace Varnok
