// An HTTP request as its caller fills it (URL, method, header lines, body,
// completion delegate, timeout) and the response that a started request
// receives. Requests are started through an HttpRequestManager.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Delegate.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Varnok {

// Method codes; any other value also means GET.
constexpr int kHttpMethodGet = 0;
constexpr int kHttpMethodPost = 1;
constexpr int kHttpMethodPut = 2;
constexpr int kHttpMethodDelete = 3;

constexpr int kHttpDefaultTimeoutSeconds = 60;

class HttpResponse {
public:
    // The HTTP status of the final response once complete; 0 when the request
    // could not start; below 0 (a transport error code) when the transfer
    // failed. 200 until the transfer has ended.
    int GetStatusCode() const { return m_status; }
    // "Content-Type" of the final response; empty when it had none.
    const AsciiString& GetContentType() const { return m_contentType; }
    const std::vector<uint8_t>& GetBody() const { return m_body; }
    // True once the transfer has ended, in any way.
    bool IsComplete() const { return m_complete; }

    // Copies min(count, body size) bytes from the front of the body; with
    // consume 1 they are removed from it. Returns the number copied.
    int ReadBody(void* destination, int count, int consume);
    // False, leaving outText alone, when the body is empty. Otherwise the body
    // up to its first zero byte (or its end) becomes outText and the body is
    // emptied.
    bool GetBodyText(std::string& outText);
    void AppendBody(const void* bytes, int length);

    void SetStatusCode(int status) { m_status = status; }
    void SetContentType(const AsciiString& contentType) { m_contentType = contentType; }
    void SetComplete(bool complete) { m_complete = complete; }

private:
    AsciiString m_contentType;
    std::vector<uint8_t> m_body;
    int m_status = 200;
    bool m_complete = false;
};

class HttpRequest;
// Receives the manager's copy of the request and its response; both are
// deleted right after the call, so it copies what it needs.
using HttpCompletionDelegate = Delegate2<void, HttpRequest*, HttpResponse*>;

class HttpRequest {
public:
    HttpRequest(std::string url, int method);
    // Copies URL, method, header lines, body, callback and timeout; the copy
    // has no cookies and no response.
    HttpRequest(const HttpRequest& other);
    HttpRequest& operator=(const HttpRequest&) = delete;
    virtual ~HttpRequest() = default;

    // Sends the request; nothing in a plain request.
    virtual void Submit() {}
    // Makes the response the transfer fills; nothing in a plain request.
    virtual void CreateResponse() {}
    // Null in a plain request.
    virtual HttpResponse* GetResponse() { return nullptr; }
    // Calls the callback, when one is set, with this request and its response.
    virtual void NotifyComplete();

    // One header line: the field name, ':' and the value, e.g.
    // "Content-Type:application/json". Null is ignored.
    void AddHeader(const char* line);
    void AddCookie(const char* cookie);  // null is ignored
    // Sent only by POST and PUT.
    void AppendBody(const void* bytes, int length);
    // As HttpResponse::ReadBody.
    int ReadBody(void* destination, int count, int consume);
    // An empty delegate clears the callback.
    void SetCallback(const HttpCompletionDelegate& callback) { m_callback = callback; }
    // Seconds for the whole transfer; negative values become 0 (no limit).
    void SetTimeout(int seconds) { m_timeout = seconds < 0 ? 0 : seconds; }
    int GetTimeout() const { return m_timeout; }

    const std::string& GetUrl() const { return m_url; }
    int GetMethod() const { return m_method; }
    const std::vector<std::string>& GetHeaders() const { return m_headers; }
    const std::vector<uint8_t>& GetBody() const { return m_body; }
    const std::vector<std::string>& GetCookies() const { return m_cookies; }

private:
    std::string m_url;
    int m_method;
    std::vector<std::string> m_headers;
    std::vector<uint8_t> m_body;
    HttpCompletionDelegate m_callback;
    std::vector<std::string> m_cookies;
    int m_timeout = kHttpDefaultTimeoutSeconds;
};

}  // namespace Varnok
