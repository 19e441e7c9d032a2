// Gathers one transfer's final response (status, content type, body) and
// hands it to the request it serves once the transfer has ended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Varnok {

class HttpRequestIOS;

class HttpConnectionDelegate {
public:
    // The request owns this delegate and must be set before the transfer
    // starts.
    void SetRequest(HttpRequestIOS* request) { m_request = request; }

    // Once per response header block (interim replies and redirects too):
    // only the data after the last one counts. contentType is null when the
    // response has no "Content-Type" field.
    void DidReceiveResponse(int statusCode, const std::string* contentType);
    void DidReceiveData(const void* bytes, size_t length);
    // The transfer ended normally: the request is done with the last
    // response's status, content type and data.
    void DidFinishLoading();
    // The transfer failed: the request is done with errorCode (the
    // transport's, never an HTTP status) and an empty body.
    void DidFailWithError(int errorCode);

private:
    std::vector<uint8_t> m_responseData;
    HttpRequestIOS* m_request = nullptr;  // not owned
    int m_httpStatusCode = 0;
    std::string m_contentType;
};

}  // namespace Varnok
