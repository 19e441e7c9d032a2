// The network under the HTTP request manager: starts transfers, drops them,
// and advances them only when its owner polls it, so that nothing blocks the
// frame and every callback runs on the owner's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Varnok {

class HttpConnectionDelegate;

// One transfer as the transport sends it.
struct HttpTransferDef {
    std::string url;
    std::string method;  // "GET", "POST", "PUT" or "DELETE"
    // Field name and value; each name once (case-blind). An empty value is
    // sent as an empty field.
    std::vector<std::pair<std::string, std::string>> headers;
    std::vector<uint8_t> body;  // sent only for "POST" and "PUT"
    int timeoutSeconds = 60;    // the whole transfer; 0: no limit
};

class HttpTransport {
public:
    virtual ~HttpTransport() = default;

    // False when the transfer cannot start; the delegate then hears nothing.
    // Otherwise the delegate hears about it from Poll() until it has ended or
    // is cancelled, and must live that long.
    [[nodiscard]] virtual bool Start(HttpTransferDef def, HttpConnectionDelegate& delegate) = 0;

    // Drops a transfer that has not ended; its delegate hears nothing more.
    // A delegate without a running transfer is ignored.
    virtual void Cancel(HttpConnectionDelegate& delegate) = 0;

    // Advances every transfer without blocking. The delegates' calls
    // (response, data, finished or failed) happen only in here.
    virtual void Poll() = 0;
};

}  // namespace Varnok
