// Request parsing and response formatting over plain POSIX sockets.
#include "tools/kiplink_server/HttpMessage.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace Varnok {
namespace Tools {

namespace {

constexpr size_t kMaxHeaderBytes = 64 * 1024;
constexpr size_t kMaxBodyBytes = 16u << 20;
constexpr int kPollSliceMs = 50;

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Trim(const std::string& s) {
    const size_t begin = s.find_first_not_of(" \t");
    if (begin == std::string::npos) {
        return "";
    }
    const size_t end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}

// Appends what one recv gives once the socket is readable.
ReadResult ReadSome(int fd, const std::atomic<bool>& stop, int idleMs, std::string* buffer) {
    int waited = 0;
    while (!stop.load()) {
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, kPollSliceMs);
        if (ready < 0 && errno != EINTR) {
            return ReadResult::Closed;
        }
        if (ready > 0) {
            char chunk[16 * 1024];
            const ssize_t got = recv(fd, chunk, sizeof chunk, 0);
            if (got <= 0) {
                return ReadResult::Closed;
            }
            buffer->append(chunk, static_cast<size_t>(got));
            return ReadResult::Ok;
        }
        waited += kPollSliceMs;
        if (waited >= idleMs) {
            return ReadResult::TimedOut;
        }
    }
    return ReadResult::Stopped;
}

}  // namespace

std::string HttpRequest::Header(const std::string& lowerName, const std::string& fallback) const {
    const auto it = headers.find(lowerName);
    return it == headers.end() ? fallback : it->second;
}

ReadResult ReadHttpRequest(int fd, const std::atomic<bool>& stop, int idleMs,
                           HttpRequest* outRequest) {
    std::string buffer;
    size_t headerEnd = std::string::npos;
    while ((headerEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
        if (buffer.size() > kMaxHeaderBytes) {
            return ReadResult::TooLarge;
        }
        const ReadResult result = ReadSome(fd, stop, idleMs, &buffer);
        if (result != ReadResult::Ok) {
            return result;
        }
    }

    HttpRequest request;
    const std::string head = buffer.substr(0, headerEnd);
    size_t lineEnd = head.find("\r\n");
    const std::string requestLine = head.substr(0, lineEnd);
    const size_t space1 = requestLine.find(' ');
    const size_t space2 = requestLine.rfind(' ');
    if (space1 == std::string::npos || space2 == space1 ||
        requestLine.compare(space2 + 1, 7, "HTTP/1.") != 0) {
        return ReadResult::Malformed;
    }
    request.method = requestLine.substr(0, space1);
    const std::string target = requestLine.substr(space1 + 1, space2 - space1 - 1);
    request.path = target.substr(0, target.find('?'));
    while (lineEnd != std::string::npos) {
        const size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        const std::string line = head.substr(start, lineEnd == std::string::npos ? std::string::npos
                                                                                 : lineEnd - start);
        const size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0) {
            return ReadResult::Malformed;
        }
        request.headers[Lower(line.substr(0, colon))] = Trim(line.substr(colon + 1));
    }
    if (!request.Header("transfer-encoding").empty()) {
        return ReadResult::Unsupported;
    }

    const std::string lengthText = request.Header("content-length", "0");
    char* end = nullptr;
    const unsigned long long length = std::strtoull(lengthText.c_str(), &end, 10);
    if (lengthText.empty() || *end != '\0' || !std::isdigit(static_cast<unsigned char>(lengthText[0]))) {
        return ReadResult::Malformed;
    }
    if (length > kMaxBodyBytes) {
        return ReadResult::TooLarge;
    }
    request.body = buffer.substr(headerEnd + 4);
    if (request.body.size() < length && Lower(request.Header("expect")) == "100-continue" &&
        !SendAll(fd, "HTTP/1.1 100 Continue\r\n\r\n")) {
        return ReadResult::Closed;
    }
    while (request.body.size() < length) {
        const ReadResult result = ReadSome(fd, stop, idleMs, &request.body);
        if (result != ReadResult::Ok) {
            return result;
        }
    }
    request.body.resize(length);
    *outRequest = std::move(request);
    return ReadResult::Ok;
}

std::string FormatHttpResponse(int status, const char* contentType, const std::string& body) {
    const char* reason = "Error";
    switch (status) {
        case 200: reason = "OK"; break;
        case 400: reason = "Bad Request"; break;
        case 404: reason = "Not Found"; break;
        case 405: reason = "Method Not Allowed"; break;
        case 413: reason = "Payload Too Large"; break;
        case 415: reason = "Unsupported Media Type"; break;
        case 500: reason = "Internal Server Error"; break;
        case 501: reason = "Not Implemented"; break;
        case 503: reason = "Service Unavailable"; break;
        default: break;
    }
    std::string response = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
    if (contentType != nullptr) {
        response += std::string("Content-Type: ") + contentType + "\r\n";
    }
    response += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
    return response + body;
}

bool SendAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace Tools
}  // namespace Varnok
