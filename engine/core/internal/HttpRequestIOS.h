// The manager's copy of a request: sends itself through the transport and
// owns the response and the connection delegate that fills it.
#pragma once

#include "engine/core/HttpRequest.h"
#include "engine/core/internal/HttpConnectionDelegate.h"
#include "engine/core/internal/HttpTransport.h"

#include <memory>

namespace Varnok {

class HttpRequestIOS final : public HttpRequest {
public:
    // The transport must outlive the request.
    HttpRequestIOS(const HttpRequest& source, HttpTransport& transport);
    // Cancels a transfer still running.
    ~HttpRequestIOS() override;

    // Requires: called once. A request that cannot start is done at once,
    // with status 0.
    void Submit() override;
    void CreateResponse() override;
    HttpResponse* GetResponse() override { return m_response.get(); }

    // Set when the transfer has ended in any way.
    bool IsDone() const { return m_done; }
    void SetDone() { m_done = true; }

private:
    // Empties the body for POST and PUT (it moves into the transfer).
    HttpTransferDef BuildTransfer();

    HttpTransport& m_transport;
    std::unique_ptr<HttpConnectionDelegate> m_delegate;
    std::unique_ptr<HttpResponse> m_response;
    bool m_done = false;
};

}  // namespace Varnok
