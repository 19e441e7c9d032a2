// A small HTTP server for tests, on 127.0.0.1 at a port the system picks:
// one thread answers each connection with a canned reply (or never answers),
// records what it was sent, and stops by itself after its lifetime.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace VarnokTest {

// Opens a TCP socket on 127.0.0.1 bound to a fresh port; listens when asked.
// Returns the socket (or -1) and writes the port.
inline int OpenLoopbackSocket(bool listening, int& outPort) {
    outPort = 0;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        (listening && listen(fd, 16) != 0) ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        return -1;
    }
    outPort = ntohs(address.sin_port);
    return fd;
}

// A port on 127.0.0.1 that refuses connections: bound (so nobody else takes
// it) but not listening, for as long as this object lives.
class RefusingPort {
public:
    RefusingPort() { m_fd = OpenLoopbackSocket(false, m_port); }
    ~RefusingPort() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    int Port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

class LoopbackHttpServer {
public:
    struct Request {
        std::string method;
        std::string target;
        std::vector<std::string> headerLines;
        std::string body;

        // The value of the first field of that name (case-blind), leading
        // blanks removed; empty when absent.
        std::string Header(const std::string& name) const {
            for (const std::string& line : headerLines) {
                if (line.size() > name.size() && line[name.size()] == ':' &&
                    strncasecmp(line.c_str(), name.c_str(), name.size()) == 0) {
                    const size_t start = line.find_first_not_of(" \t", name.size() + 1);
                    return start == std::string::npos ? std::string() : line.substr(start);
                }
            }
            return std::string();
        }
        bool HasHeader(const std::string& name) const {
            return std::any_of(headerLines.begin(), headerLines.end(), [&name](const auto& line) {
                return line.size() > name.size() && line[name.size()] == ':' &&
                       strncasecmp(line.c_str(), name.c_str(), name.size()) == 0;
            });
        }
    };

    // A whole reply with Content-Length and "Connection: close".
    static std::string Reply(int status, const std::string& reason, const std::string& contentType,
                             const std::string& body, const std::string& extraHeaders = "") {
        std::string reply = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
        if (!contentType.empty()) {
            reply += "Content-Type: " + contentType + "\r\n";
        }
        reply += extraHeaders;
        reply += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
        return reply + body;
    }

    // Connection i gets replies[i], the last one repeating; an empty reply
    // means: read the request and never answer.
    explicit LoopbackHttpServer(std::vector<std::string> replies,
                                std::chrono::milliseconds lifetime = std::chrono::seconds(5))
        : m_replies(std::move(replies)), m_deadline(Clock::now() + lifetime) {
        m_listenFd = OpenLoopbackSocket(true, m_port);
        if (m_listenFd >= 0) {
            m_thread = std::thread([this] { Run(); });
        }
    }

    ~LoopbackHttpServer() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
        if (m_listenFd >= 0) {
            close(m_listenFd);
        }
    }

    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool IsRunning() const { return m_listenFd >= 0; }
    int Port() const { return m_port; }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }

    // Waits until `count` requests have been read (and answered, when there
    // is an answer) or `wait` has passed.
    bool WaitForRequests(size_t count, std::chrono::milliseconds wait) const {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, wait, [&] { return m_requests.size() >= count; });
    }

    std::vector<Request> Requests() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr int kPollMs = 10;
    static constexpr std::chrono::milliseconds kReadLimit{1000};
    static constexpr std::chrono::milliseconds kDrainLimit{200};

    bool Running() const { return !m_stop && Clock::now() < m_deadline; }

    // Waits for the socket to be readable, up to `until`.
    bool WaitReadable(int fd, Clock::time_point until) const {
        while (Running() && Clock::now() < until) {
            pollfd entry{fd, POLLIN, 0};
            if (poll(&entry, 1, kPollMs) > 0) {
                return true;
            }
        }
        return false;
    }

    void Run() {
        std::vector<int> silent;  // held open, never answered
        size_t served = 0;
        while (Running()) {
            if (!WaitReadable(m_listenFd, m_deadline)) {
                continue;
            }
            const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                continue;
            }
            const std::string& reply = m_replies.empty()
                                           ? std::string()
                                           : m_replies[std::min(served, m_replies.size() - 1)];
            ++served;
            Request request;
            const bool complete = ReadRequest(fd, request);
            // Recorded before the reply goes out: a client that has its
            // answer must find its request already here.
            if (complete) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_requests.push_back(std::move(request));
                m_changed.notify_all();
            }
            if (complete && !reply.empty()) {
                SendAll(fd, reply);
                shutdown(fd, SHUT_WR);
                Drain(fd);
                close(fd);
            } else {
                silent.push_back(fd);
            }
        }
        for (const int fd : silent) {
            close(fd);
        }
    }

    bool ReadRequest(int fd, Request& out) const {
        const Clock::time_point until = Clock::now() + kReadLimit;
        std::string data;
        size_t headEnd = std::string::npos;
        size_t bodyLength = 0;
        while (true) {
            if (headEnd == std::string::npos) {
                headEnd = data.find("\r\n\r\n");
                if (headEnd != std::string::npos) {
                    ParseHead(data.substr(0, headEnd), out);
                    const std::string length = out.Header("Content-Length");
                    bodyLength = length.empty() ? 0 : std::stoul(length);
                }
            }
            if (headEnd != std::string::npos && data.size() >= headEnd + 4 + bodyLength) {
                out.body = data.substr(headEnd + 4, bodyLength);
                return true;
            }
            if (!WaitReadable(fd, until)) {
                return false;
            }
            char buffer[4096];
            const ssize_t got = recv(fd, buffer, sizeof(buffer), 0);
            if (got <= 0) {
                return false;
            }
            data.append(buffer, static_cast<size_t>(got));
        }
    }

    static void ParseHead(const std::string& head, Request& out) {
        size_t start = 0;
        bool first = true;
        while (start <= head.size()) {
            size_t end = head.find("\r\n", start);
            if (end == std::string::npos) {
                end = head.size();
            }
            const std::string line = head.substr(start, end - start);
            if (first) {
                const size_t space = line.find(' ');
                const size_t second = line.find(' ', space + 1);
                out.method = line.substr(0, space);
                out.target = line.substr(space + 1, second - space - 1);
                first = false;
            } else {
                out.headerLines.push_back(line);
            }
            start = end + 2;
        }
    }

    static void SendAll(int fd, const std::string& bytes) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                return;
            }
            sent += static_cast<size_t>(n);
        }
    }

    // Lets the client read the reply and close first, so that closing here
    // never resets the connection under it.
    void Drain(int fd) const {
        const Clock::time_point until = Clock::now() + kDrainLimit;
        char buffer[512];
        while (WaitReadable(fd, until) && recv(fd, buffer, sizeof(buffer), 0) > 0) {
        }
    }

    const std::vector<std::string> m_replies;
    const Clock::time_point m_deadline;
    int m_listenFd = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<Request> m_requests;
};

}  // namespace VarnokTest
