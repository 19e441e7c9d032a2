// The project's online protocol server, for tests, tools and ./run: listens on
// 127.0.0.1, takes POST <base><service> in the transport framing (see
// tools/sign_remote_config/TransportFrame.h) and answers {"error", "result"}
// framed with the content type "application/x-kiplink"; serves GET <base>utc
// (the server's time in seconds as a JSON number) and GET <base>static/<path>
// from a folder of published files. Calls go to a table of handlers keyed by
// service and method; faults injected by tests take precedence.
//
// Plain JSON: a request sent as "application/json" is answered as
// "application/json"; so is every request when replies are set plain.
#pragma once

#include "tools/kiplink_server/HttpMessage.h"

#include <json/json.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace Varnok {
namespace Tools {

constexpr const char* kKiplinkContentType = "application/x-kiplink";

struct ServiceCall {
    std::string service;
    std::string method;
    Json::Value params;  // the "params" array, null when missing
    Json::Value body;    // the whole request object ("id", "ver", "lang", "time", ...)
};

struct ServiceReply {
    Json::Value error;   // null on success; Error() makes [1, text]
    Json::Value result;
    Json::Value extra = Json::Value(Json::objectValue);  // further top-level members

    static ServiceReply Result(Json::Value result);
    static ServiceReply Error(const std::string& text);
};

// Runs on a connection thread, one handler at a time (the server serialises them).
using ServiceHandler = std::function<ServiceReply(const ServiceCall&)>;

// How a corrupt reply is corrupt; each stops the client at a different check.
enum class BodyCorruption {
    FlippedByte,     // a proper frame with one byte flipped inside its zlib stream
    Empty,           // no bytes at all
    SevenBytes,      // the first 7 bytes of a proper frame
    LengthPastBody,  // a header whose compressed length exceeds the body
    BrokenZlib,      // a proper header around bytes that are no zlib stream
    NotJson,         // a proper frame of text that is not JSON
    NoContentType,   // a proper frame sent without a Content-Type header
};

enum class FaultKind {
    ErrorText,         // {"error": [1, text], "result": null}; GET: text as the body
    HttpStatus,        // that status with a short text body
    CorruptBody,       // see BodyCorruption; GET: the file with the corruption
    Delay,             // waits delayMs (or until Stop), then answers normally
    CloseBeforeRead,   // the next connection is closed before anything is read
    CloseAfterAction,  // the handler runs, then the connection closes unanswered
    PlainJson,         // the normal reply as plain JSON
};

struct Fault {
    FaultKind kind = FaultKind::ErrorText;
    std::string target;  // "" any request but "utc"; a service name, "utc" or "static/<path>"
    int times = 1;       // requests it spoils; -1 all of them
    std::string errorText;
    int httpStatus = 500;
    BodyCorruption corruption = BodyCorruption::FlippedByte;
    int delayMs = 0;

    static Fault ErrorText(std::string text);
    static Fault HttpError(int status);
    static Fault Corrupt(BodyCorruption corruption);
    static Fault Delay(int delayMs);
    static Fault CloseBeforeRead();
    static Fault CloseAfterAction();
    static Fault PlainJson();

    Fault For(std::string requestTarget) const;
    Fault Times(int count) const;
};

struct KiplinkServerConfig {
    std::string basePath = "/kiplink/";  // starts and ends with "/"
    std::string staticRoot;              // folder behind <base>static/; empty: none
    uint16_t port = 0;                   // 0: a free port
    bool plainJsonReplies = false;
    int idleTimeoutMs = 30000;           // a silent client is dropped after this
};

class KiplinkServer {
public:
    explicit KiplinkServer(KiplinkServerConfig config = {});
    ~KiplinkServer();
    KiplinkServer(const KiplinkServer&) = delete;
    KiplinkServer& operator=(const KiplinkServer&) = delete;

    // Binds 127.0.0.1 and starts answering; logs one line on failure.
    [[nodiscard]] bool Start();
    // Ends every connection (delays included) and joins all threads.
    void Stop();

    uint16_t Port() const { return m_port; }
    std::string BaseUrl() const;    // "http://127.0.0.1:<port><base>"
    std::string StaticUrl() const;  // BaseUrl() + "static/"

    // Replaces the handler of (service, method).
    void SetHandler(const std::string& service, const std::string& method, ServiceHandler handler);
    void SetClock(std::function<int64_t()> nowSeconds);
    void SetPlainJsonReplies(bool plain);

    void InjectFault(Fault fault);  // queued; the first match applies
    void ClearFaults();

    std::vector<ServiceCall> ReceivedCalls() const;
    // Every request line seen, such as "POST game" or "GET utc".
    std::vector<std::string> RequestLog() const;

private:
    struct Response {
        int status = 200;
        std::string contentType;  // empty: no header
        std::string body;
        bool close = false;       // close without answering
    };

    void AcceptLoop();
    void ReapFinishedConnections();  // Requires: m_threadsMutex held
    void Serve(int fd);
    Response Route(const HttpRequest& request);
    Response HandleCall(const HttpRequest& request, const std::string& service);
    Response HandleGet(const std::string& target);
    bool TakeFault(const std::string& target, FaultKind onlyKind, bool matchKind, Fault* outFault);
    bool SleepUnlessStopped(int delayMs);

    KiplinkServerConfig m_config;
    uint16_t m_port = 0;
    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    std::atomic<bool> m_stop{false};
    std::thread m_acceptThread;

    struct Connection {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::mutex m_threadsMutex;
    std::vector<Connection> m_connections;  // finished ones are joined at the next accept

    mutable std::mutex m_mutex;  // everything below
    std::map<std::pair<std::string, std::string>, ServiceHandler> m_handlers;
    std::function<int64_t()> m_clock;
    std::deque<Fault> m_faults;
    std::vector<ServiceCall> m_calls;
    std::vector<std::string> m_requestLog;

    std::mutex m_handlerMutex;  // one handler at a time
    std::mutex m_sleepMutex;
    std::condition_variable m_sleepWake;
};

}  // namespace Tools
}  // namespace Varnok
