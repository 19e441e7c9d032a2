// Turns a request into a transfer: method, body, header lines and cookies.
#include "engine/core/internal/HttpRequestIOS.h"

#include "engine/core/Log.h"

#include <strings.h>

#include <algorithm>
#include <string>
#include <utility>

namespace Varnok {

namespace {

const char* MethodName(int method) {
    switch (method) {
        case kHttpMethodPost:
            return "POST";
        case kHttpMethodPut:
            return "PUT";
        case kHttpMethodDelete:
            return "DELETE";
        default:
            return "GET";
    }
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// A later value for a field (names compare case-blind) replaces the earlier
// one in its place.
void SetHeader(std::vector<std::pair<std::string, std::string>>& headers, std::string name,
               std::string value) {
    const auto found = std::find_if(headers.begin(), headers.end(), [&name](const auto& header) {
        return strcasecmp(header.first.c_str(), name.c_str()) == 0;
    });
    if (found != headers.end()) {
        found->second = std::move(value);
    } else {
        headers.emplace_back(std::move(name), std::move(value));
    }
}

}  // namespace

HttpRequestIOS::HttpRequestIOS(const HttpRequest& source, HttpTransport& transport)
    : HttpRequest(source), m_transport(transport) {}

HttpRequestIOS::~HttpRequestIOS() {
    if (!m_done && m_delegate != nullptr) {
        m_transport.Cancel(*m_delegate);
    }
}

void HttpRequestIOS::CreateResponse() {
    m_response = std::make_unique<HttpResponse>();
}

void HttpRequestIOS::Submit() {
    CreateResponse();
    m_delegate = std::make_unique<HttpConnectionDelegate>();
    m_delegate->SetRequest(this);
    if (!m_transport.Start(BuildTransfer(), *m_delegate)) {
        m_done = true;
        m_response->SetStatusCode(0);
        m_response->SetComplete(true);
    }
}

HttpTransferDef HttpRequestIOS::BuildTransfer() {
    HttpTransferDef def;
    def.url = GetUrl();
    def.method = MethodName(GetMethod());
    def.timeoutSeconds = GetTimeout();

    if (GetMethod() == kHttpMethodPost || GetMethod() == kHttpMethodPut) {
        def.body.resize(GetBody().size());
        ReadBody(def.body.data(), static_cast<int>(def.body.size()), 1);
    }

    for (const std::string& line : GetHeaders()) {
        // Split at the first ':' only, so that values may hold colons
        // ("Host:example.com:8080", URLs, times).
        const size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0) {
            Log("HttpRequest: header line \"%s\" has no field name, not sent", line.c_str());
            continue;
        }
        if (HasLineBreak(line)) {
            // It would smuggle further fields (or a second request) onto the wire.
            Log("HttpRequest: header \"%s\" holds a line break, not sent",
                line.substr(0, colon).c_str());
            continue;
        }
        SetHeader(def.headers, line.substr(0, colon), line.substr(colon + 1));
    }

    std::string cookieText;
    for (const std::string& cookie : GetCookies()) {
        if (!cookieText.empty()) {
            cookieText += ';';
        }
        cookieText += cookie;
    }
    if (HasLineBreak(cookieText)) {
        Log("HttpRequest: a cookie holds a line break, no cookies sent");
    } else if (!cookieText.empty()) {
        SetHeader(def.headers, "Cookie", std::move(cookieText));
    }
    return def;
}

}  // namespace Varnok
