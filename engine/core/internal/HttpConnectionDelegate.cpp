// Turns the transport's reports into the request's final response.
#include "engine/core/internal/HttpConnectionDelegate.h"

#include "engine/core/internal/HttpRequestIOS.h"

namespace Varnok {

void HttpConnectionDelegate::DidReceiveResponse(int statusCode, const std::string* contentType) {
    // Data before a redirect or an interim reply is not the answer.
    m_responseData.clear();
    m_httpStatusCode = statusCode;
    m_contentType = contentType != nullptr ? *contentType : std::string();
}

void HttpConnectionDelegate::DidReceiveData(const void* bytes, size_t length) {
    const auto* first = static_cast<const uint8_t*>(bytes);
    m_responseData.insert(m_responseData.end(), first, first + length);
}

void HttpConnectionDelegate::DidFinishLoading() {
    m_request->SetDone();
    if (HttpResponse* response = m_request->GetResponse()) {
        response->SetStatusCode(m_httpStatusCode);
        response->SetComplete(true);
        response->SetContentType(AsciiString(m_contentType.c_str(),
                                              static_cast<int>(m_contentType.size())));
        response->AppendBody(m_responseData.data(), static_cast<int>(m_responseData.size()));
    }
    m_responseData = {};
    m_httpStatusCode = 0;
}

void HttpConnectionDelegate::DidFailWithError(int errorCode) {
    m_request->SetDone();
    if (HttpResponse* response = m_request->GetResponse()) {
        response->SetStatusCode(errorCode);
        response->SetComplete(true);
    }
    m_responseData = {};
}

}  // namespace Varnok
