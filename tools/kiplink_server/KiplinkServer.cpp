// One thread accepts; each connection gets a thread that reads one request,
// answers it (or plays a fault) and closes. Stop wakes and joins them all.
#include "tools/kiplink_server/KiplinkServer.h"

#include "tools/sign_remote_config/TransportFrame.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

namespace Varnok {
namespace Tools {

namespace {

constexpr const char* kJsonContentType = "application/json";
constexpr const char* kStaticPrefix = "static/";

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string CompactJson(const Json::Value& value) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    writer["emitUTF8"] = true;  // raw UTF-8: the client keeps only the low byte of "\u" escapes
    return Json::writeString(writer, value);
}

bool ParseJson(const std::string& text, Json::Value* out) {
    Json::CharReaderBuilder reader;
    std::string errors;
    std::istringstream in(text);
    return Json::parseFromStream(reader, in, out, &errors);
}

// A relative path inside the static folder: no "..", no empty or hidden
// segment, no leading "/", nothing but plain name characters.
bool IsSafeRelativePath(const std::string& path) {
    if (path.empty() || path[0] == '/') {
        return false;
    }
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        const std::string segment = path.substr(start, end - start);
        if (segment.empty() || segment[0] == '.') {
            return false;
        }
        for (unsigned char c : segment) {
            if (!std::isalnum(c) && c != '_' && c != '-' && c != '.') {
                return false;
            }
        }
        start = end + 1;
    }
    return true;
}

bool ReadQuietly(const std::string& path, std::string* outBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    *outBytes = bytes.str();
    return true;
}

std::string Corrupted(BodyCorruption corruption, const std::string& framed,
                      const std::string& replyText) {
    switch (corruption) {
        case BodyCorruption::Empty:
            return "";
        case BodyCorruption::SevenBytes:
            return framed.substr(0, 7);
        case BodyCorruption::LengthPastBody: {
            std::string body;
            if (!FrameBody(replyText, &body)) {
                return "";
            }
            std::string plain = DecipherTransport(body);
            const uint32_t past = static_cast<uint32_t>(body.size());  // > size - 8
            return EncipherTransport(FramePlaintext(past, static_cast<uint32_t>(replyText.size()),
                                                    plain.substr(8)));
        }
        case BodyCorruption::BrokenZlib:
            return EncipherTransport(FramePlaintext(24, static_cast<uint32_t>(replyText.size()),
                                                    std::string(24, 'z')));
        case BodyCorruption::NotJson: {
            std::string body;
            return FrameBody("this is {not json", &body) ? body : "";
        }
        case BodyCorruption::NoContentType:
            return framed;
        case BodyCorruption::FlippedByte:
            break;
    }
    // Flipping a byte of the second block garbles that block's plaintext, so
    // the zlib stream inside fails its check; a one-block body loses its header.
    std::string body = framed;
    if (!body.empty()) {
        body[body.size() > 16 ? 16 + 3 : body.size() / 2] ^= 0x5A;
    }
    return body;
}

}  // namespace

ServiceReply ServiceReply::Result(Json::Value result) {
    ServiceReply reply;
    reply.result = std::move(result);
    return reply;
}

ServiceReply ServiceReply::Error(const std::string& text) {
    ServiceReply reply;
    reply.error = Json::Value(Json::arrayValue);
    reply.error.append(1);
    reply.error.append(text);
    return reply;
}

Fault Fault::ErrorText(std::string text) {
    Fault f;
    f.kind = FaultKind::ErrorText;
    f.errorText = std::move(text);
    return f;
}

Fault Fault::HttpError(int status) {
    Fault f;
    f.kind = FaultKind::HttpStatus;
    f.httpStatus = status;
    return f;
}

Fault Fault::Corrupt(BodyCorruption corruption) {
    Fault f;
    f.kind = FaultKind::CorruptBody;
    f.corruption = corruption;
    return f;
}

Fault Fault::Delay(int delayMs) {
    Fault f;
    f.kind = FaultKind::Delay;
    f.delayMs = delayMs;
    return f;
}

Fault Fault::CloseBeforeRead() {
    Fault f;
    f.kind = FaultKind::CloseBeforeRead;
    return f;
}

Fault Fault::CloseAfterAction() {
    Fault f;
    f.kind = FaultKind::CloseAfterAction;
    return f;
}

Fault Fault::PlainJson() {
    Fault f;
    f.kind = FaultKind::PlainJson;
    return f;
}

Fault Fault::For(std::string requestTarget) const {
    Fault f = *this;
    f.target = std::move(requestTarget);
    return f;
}

Fault Fault::Times(int count) const {
    Fault f = *this;
    f.times = count;
    return f;
}

KiplinkServer::KiplinkServer(KiplinkServerConfig config)
    : m_config(std::move(config)), m_clock([] { return static_cast<int64_t>(std::time(nullptr)); }) {
    if (m_config.basePath.empty() || m_config.basePath.front() != '/') {
        m_config.basePath.insert(0, "/");
    }
    if (m_config.basePath.back() != '/') {
        m_config.basePath += '/';
    }
}

KiplinkServer::~KiplinkServer() {
    Stop();
}

bool KiplinkServer::Start() {
    if (m_listenFd >= 0) {
        return true;
    }
    m_stop = false;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_config.port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0 ||
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 64) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        pipe2(m_wakePipe, O_CLOEXEC) != 0) {
        std::fprintf(stderr, "KiplinkServer: cannot listen on 127.0.0.1:%u\n",
                     static_cast<unsigned>(m_config.port));
        if (fd >= 0) {
            close(fd);
        }
        return false;
    }
    m_listenFd = fd;
    m_port = ntohs(address.sin_port);
    m_acceptThread = std::thread([this] { AcceptLoop(); });
    return true;
}

void KiplinkServer::Stop() {
    if (m_listenFd < 0) {
        return;
    }
    m_stop = true;
    {
        std::lock_guard<std::mutex> lock(m_sleepMutex);
        m_sleepWake.notify_all();
    }
    const char wake = 1;
    (void)!write(m_wakePipe[1], &wake, 1);
    m_acceptThread.join();
    std::vector<Connection> connections;
    {
        std::lock_guard<std::mutex> lock(m_threadsMutex);
        connections.swap(m_connections);
    }
    for (Connection& c : connections) {
        c.thread.join();
    }
    close(m_listenFd);
    close(m_wakePipe[0]);
    close(m_wakePipe[1]);
    m_listenFd = -1;
    m_wakePipe[0] = m_wakePipe[1] = -1;
}

std::string KiplinkServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(m_port) + m_config.basePath;
}

std::string KiplinkServer::StaticUrl() const {
    return BaseUrl() + kStaticPrefix;
}

void KiplinkServer::SetHandler(const std::string& service, const std::string& method,
                               ServiceHandler handler) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handlers[{service, method}] = std::move(handler);
}

void KiplinkServer::SetClock(std::function<int64_t()> nowSeconds) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_clock = std::move(nowSeconds);
}

void KiplinkServer::SetPlainJsonReplies(bool plain) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_config.plainJsonReplies = plain;
}

void KiplinkServer::InjectFault(Fault fault) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults.push_back(std::move(fault));
}

void KiplinkServer::ClearFaults() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults.clear();
}

std::vector<ServiceCall> KiplinkServer::ReceivedCalls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

std::vector<std::string> KiplinkServer::RequestLog() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requestLog;
}

bool KiplinkServer::TakeFault(const std::string& target, FaultKind onlyKind, bool matchKind,
                              Fault* outFault) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_faults.begin(); it != m_faults.end(); ++it) {
        const bool kindOk = matchKind ? it->kind == onlyKind : it->kind != FaultKind::CloseBeforeRead;
        // The clients ask for the time on their own: only a fault aimed at
        // "utc" spoils it, so that one meant for "any call" hits the call.
        const bool targetOk = it->target.empty() ? target != "utc" : it->target == target;
        if (!kindOk || !targetOk) {
            continue;
        }
        *outFault = *it;
        if (it->times > 0 && --it->times == 0) {
            m_faults.erase(it);
        }
        return true;
    }
    return false;
}

bool KiplinkServer::SleepUnlessStopped(int delayMs) {
    std::unique_lock<std::mutex> lock(m_sleepMutex);
    return !m_sleepWake.wait_for(lock, std::chrono::milliseconds(delayMs),
                                 [this] { return m_stop.load(); });
}

void KiplinkServer::ReapFinishedConnections() {
    for (size_t i = 0; i < m_connections.size();) {
        if (*m_connections[i].done) {
            m_connections[i].thread.join();
            m_connections[i] = std::move(m_connections.back());
            m_connections.pop_back();
        } else {
            ++i;
        }
    }
}

void KiplinkServer::AcceptLoop() {
    while (!m_stop) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN) != 0) {
            continue;
        }
        const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        // A client that stops reading cannot hold a reply (and Stop) forever.
        const timeval sendTimeout{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
        Fault fault;
        if (TakeFault("", FaultKind::CloseBeforeRead, true, &fault)) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requestLog.push_back("closed before reading");
            close(fd);
            continue;
        }
        std::lock_guard<std::mutex> lock(m_threadsMutex);
        ReapFinishedConnections();
        auto done = std::make_shared<std::atomic<bool>>(false);
        m_connections.push_back({std::thread([this, fd, done] {
                                     Serve(fd);
                                     close(fd);
                                     *done = true;
                                 }),
                                 done});
    }
}

void KiplinkServer::Serve(int fd) {
    HttpRequest request;
    const ReadResult read = ReadHttpRequest(fd, m_stop, m_config.idleTimeoutMs, &request);
    Response response;
    switch (read) {
        case ReadResult::Ok:
            response = Route(request);
            break;
        case ReadResult::TooLarge:
            response = {413, "text/plain", "request too large\n"};
            break;
        case ReadResult::Malformed:
            response = {400, "text/plain", "malformed request\n"};
            break;
        case ReadResult::Unsupported:
            response = {501, "text/plain", "only Content-Length bodies\n"};
            break;
        case ReadResult::Closed:
        case ReadResult::Stopped:
        case ReadResult::TimedOut:
            return;
    }
    if (response.close || m_stop) {
        return;
    }
    SendAll(fd, FormatHttpResponse(response.status,
                                   response.contentType.empty() ? nullptr
                                                                : response.contentType.c_str(),
                                   response.body));
    shutdown(fd, SHUT_WR);
}

KiplinkServer::Response KiplinkServer::Route(const HttpRequest& request) {
    const std::string& base = m_config.basePath;
    if (request.path.compare(0, base.size(), base) != 0) {
        return {404, "text/plain", "not under " + base + "\n"};
    }
    const std::string target = request.path.substr(base.size());
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requestLog.push_back(request.method + " " + target);
    }
    if (request.method == "POST" && !target.empty() && target.find('/') == std::string::npos) {
        return HandleCall(request, target);
    }
    if (request.method == "GET") {
        return HandleGet(target);
    }
    return {405, "text/plain", "method not allowed\n"};
}

KiplinkServer::Response KiplinkServer::HandleCall(const HttpRequest& request,
                                                  const std::string& service) {
    // Parameters such as "; charset=utf-8" do not change the framing.
    std::string contentType = Lower(request.Header("content-type"));
    contentType = contentType.substr(0, contentType.find(';'));
    while (!contentType.empty() && contentType.back() == ' ') {
        contentType.pop_back();
    }
    std::string text;
    bool plain = false;
    if (contentType == kKiplinkContentType) {
        std::string why;
        if (!UnframeBody(request.body, &text, &why)) {
            return {400, "text/plain", "undecodable body: " + why + "\n"};
        }
        // The frame is zero-padded, and a client may count a terminator.
        text.resize(std::min(text.size(), text.find('\0')));
    } else if (contentType == kJsonContentType) {
        text = request.body;
        plain = true;
    } else {
        return {415, "text/plain", "unsupported content type\n"};
    }
    ServiceCall call;
    if (!ParseJson(text, &call.body) || !call.body.isObject() || !call.body["method"].isString()) {
        return {400, "text/plain", "the body is not a call object\n"};
    }
    call.service = service;
    call.method = call.body["method"].asString();
    call.params = call.body["params"];

    ServiceHandler handler;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.push_back(call);
        plain = plain || m_config.plainJsonReplies;
        const auto it = m_handlers.find({service, call.method});
        if (it != m_handlers.end()) {
            handler = it->second;
        }
    }

    Fault fault;
    const bool faulty = TakeFault(service, FaultKind::ErrorText, false, &fault);
    if (faulty && fault.kind == FaultKind::Delay && !SleepUnlessStopped(fault.delayMs)) {
        return {0, "", "", true};
    }
    if (faulty && fault.kind == FaultKind::HttpStatus) {
        return {fault.httpStatus, "text/plain", "injected failure\n"};
    }
    ServiceReply reply;
    if (faulty && fault.kind == FaultKind::ErrorText) {
        reply = ServiceReply::Error(fault.errorText);
    } else if (handler) {
        std::lock_guard<std::mutex> lock(m_handlerMutex);
        reply = handler(call);
    } else {
        reply = ServiceReply::Error("unknown method " + service + "." + call.method);
    }
    if (faulty && fault.kind == FaultKind::CloseAfterAction) {
        return {0, "", "", true};
    }

    Json::Value replyObject = reply.extra.isObject() ? reply.extra : Json::Value(Json::objectValue);
    replyObject["error"] = reply.error;
    replyObject["result"] = reply.result;
    const std::string replyText = CompactJson(replyObject);
    if (plain || (faulty && fault.kind == FaultKind::PlainJson)) {
        return {200, kJsonContentType, replyText};
    }
    std::string framed;
    if (!FrameBody(replyText, &framed)) {
        return {500, "text/plain", "cannot compress the reply\n"};
    }
    if (faulty && fault.kind == FaultKind::CorruptBody) {
        const bool withType = fault.corruption != BodyCorruption::NoContentType;
        return {200, withType ? kKiplinkContentType : "", Corrupted(fault.corruption, framed, replyText)};
    }
    return {200, kKiplinkContentType, framed};
}

KiplinkServer::Response KiplinkServer::HandleGet(const std::string& target) {
    Fault fault;
    const bool faulty = TakeFault(target, FaultKind::ErrorText, false, &fault);
    if (faulty && fault.kind == FaultKind::Delay && !SleepUnlessStopped(fault.delayMs)) {
        return {0, "", "", true};
    }
    if (faulty && fault.kind == FaultKind::HttpStatus) {
        return {fault.httpStatus, "text/plain", "injected failure\n"};
    }
    if (faulty && fault.kind == FaultKind::ErrorText) {
        return {200, "text/plain", fault.errorText};
    }
    if (faulty && fault.kind == FaultKind::CloseAfterAction) {
        return {0, "", "", true};
    }

    Response response;
    if (target == "utc") {
        int64_t now = 0;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            now = m_clock();
        }
        response = {200, kJsonContentType, std::to_string(now)};
    } else {
        const std::string prefix = kStaticPrefix;
        const std::string relative = target.compare(0, prefix.size(), prefix) == 0
                                         ? target.substr(prefix.size())
                                         : std::string();
        std::string bytes;
        if (m_config.staticRoot.empty() || !IsSafeRelativePath(relative) ||
            !ReadQuietly(m_config.staticRoot + "/" + relative, &bytes)) {
            return {404, "text/plain", "no such file\n"};
        }
        response = {200, "application/octet-stream", bytes};
    }
    if (faulty && fault.kind == FaultKind::CorruptBody) {
        switch (fault.corruption) {
            case BodyCorruption::Empty:
            case BodyCorruption::SevenBytes:
                response.body = Corrupted(fault.corruption, response.body, "");
                break;
            case BodyCorruption::NoContentType:
                response.contentType.clear();
                break;
            default:  // a file has no frame of ours to break: change one byte
                response.body = Corrupted(BodyCorruption::FlippedByte, response.body, "");
                break;
        }
    }
    return response;
}

}  // namespace Tools
}  // namespace Varnok
