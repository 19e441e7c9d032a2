// The little of HTTP/1.1 the protocol server speaks: one request per
// connection, bodies sized by Content-Length, replies closed after sending.
#pragma once

#include <atomic>
#include <map>
#include <string>

namespace Varnok {
namespace Tools {

struct HttpRequest {
    std::string method;                         // "GET", "POST"
    std::string path;                           // target without its query
    std::map<std::string, std::string> headers; // names in lower case
    std::string body;

    // The header's value, or fallback when absent.
    std::string Header(const std::string& lowerName, const std::string& fallback = "") const;
};

enum class ReadResult { Ok, Closed, TooLarge, Malformed, Unsupported, Stopped, TimedOut };

// Reads one request from a connected socket, polling so that stop (when it
// turns true) or idleMs without a byte ends the wait. Answers "100 Continue"
// to a client that expects it before reading the body.
ReadResult ReadHttpRequest(int fd, const std::atomic<bool>& stop, int idleMs,
                           HttpRequest* outRequest);

// A whole response; no Content-Type header when contentType is null.
std::string FormatHttpResponse(int status, const char* contentType, const std::string& body);

// Sends every byte (never raising SIGPIPE); false when the peer went away.
bool SendAll(int fd, const std::string& bytes);

}  // namespace Tools
}  // namespace Varnok
