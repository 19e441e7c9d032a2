// Body handling of requests and responses; sending lives with the manager.
#include "engine/core/HttpRequest.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace Varnok {

namespace {

int ReadBytes(std::vector<uint8_t>& body, void* destination, int count, int consume) {
    if (destination == nullptr || count <= 0) {
        return 0;
    }
    const size_t copied = std::min(static_cast<size_t>(count), body.size());
    if (copied > 0) {
        std::memcpy(destination, body.data(), copied);
    }
    if (consume == 1) {
        body.erase(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(copied));
    }
    return static_cast<int>(copied);
}

void AppendBytes(std::vector<uint8_t>& body, const void* bytes, int length) {
    if (bytes == nullptr || length <= 0) {
        return;
    }
    const auto* first = static_cast<const uint8_t*>(bytes);
    body.insert(body.end(), first, first + length);
}

}  // namespace

int HttpResponse::ReadBody(void* destination, int count, int consume) {
    return ReadBytes(m_body, destination, count, consume);
}

bool HttpResponse::GetBodyText(std::string& outText) {
    if (m_body.empty()) {
        return false;
    }
    // The text ends at the first zero byte, or at the end of the body when
    // there is none.
    const auto end = std::find(m_body.begin(), m_body.end(), uint8_t{0});
    outText.assign(m_body.begin(), end);
    m_body.clear();
    return true;
}

void HttpResponse::AppendBody(const void* bytes, int length) {
    AppendBytes(m_body, bytes, length);
}

HttpRequest::HttpRequest(std::string url, int method) : m_url(std::move(url)), m_method(method) {}

HttpRequest::HttpRequest(const HttpRequest& other)
    : m_url(other.m_url),
      m_method(other.m_method),
      m_headers(other.m_headers),
      m_body(other.m_body),
      m_callback(other.m_callback),
      m_timeout(other.m_timeout) {}

void HttpRequest::NotifyComplete() {
    if (m_callback) {
        m_callback(this, GetResponse());
    }
}

void HttpRequest::AddHeader(const char* line) {
    if (line != nullptr) {
        m_headers.emplace_back(line);
    }
}

void HttpRequest::AddCookie(const char* cookie) {
    if (cookie != nullptr) {
        m_cookies.emplace_back(cookie);
    }
}

void HttpRequest::AppendBody(const void* bytes, int length) {
    AppendBytes(m_body, bytes, length);
}

int HttpRequest::ReadBody(void* destination, int count, int consume) {
    return ReadBytes(m_body, destination, count, consume);
}

}  // namespace Varnok
