// Starting and stopping dnsmasq with posix_spawn, and glibc's resolver as
// the reference client.
#include "tests/support/Dnsmasq.h"

#include <arpa/inet.h>
#include <arpa/nameser.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <resolv.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace Varnok {
namespace TestSupport {

namespace {

constexpr const char* kDnsmasq = "/usr/sbin/dnsmasq";
constexpr int kStartAttempts = 5;
constexpr auto kReadyTimeout = std::chrono::seconds(5);
constexpr auto kStopGrace = std::chrono::seconds(2);

sockaddr_in Loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A port that is free for both TCP and UDP right now.
uint16_t FreePort() {
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int tcp = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = Loopback(0);
        socklen_t length = sizeof address;
        if (tcp < 0) {
            return 0;
        }
        if (bind(tcp, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            getsockname(tcp, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            close(tcp);
            continue;
        }
        const int udp = socket(AF_INET, SOCK_DGRAM, 0);
        const bool udpFree =
            udp >= 0 && bind(udp, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        if (udp >= 0) {
            close(udp);
        }
        close(tcp);
        if (udpFree) {
            return ntohs(address.sin_port);
        }
    }
    return 0;
}

bool AcceptsTcp(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = Loopback(port);
    const bool ok =
        fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) {
        close(fd);
    }
    return ok;
}

}  // namespace

Dnsmasq::~Dnsmasq() {
    Stop();
    if (!m_logPath.empty()) {
        std::remove(m_logPath.c_str());
    }
}

bool Dnsmasq::Start(const std::vector<std::string>& txtRecordLines, int localTtlSeconds,
                    uint16_t port) {
    Stop();
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        const uint16_t tryPort = port != 0 ? port : FreePort();
        if (tryPort != 0 && StartAt(txtRecordLines, localTtlSeconds, tryPort)) {
            return true;
        }
        if (port != 0) {
            // The old port may linger a moment after the last instance ended.
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }
    std::fprintf(stderr, "Dnsmasq: could not start; its output:\n%s\n", Log().c_str());
    return false;
}

bool Dnsmasq::StartAt(const std::vector<std::string>& lines, int ttl, uint16_t port) {
    if (m_logPath.empty()) {
        char pattern[] = "/tmp/varnok-dnsmasq-XXXXXX";
        const int fd = mkstemp(pattern);
        if (fd < 0) {
            return false;
        }
        close(fd);
        m_logPath = pattern;
    }
    std::vector<std::string> args = {
        kDnsmasq,
        "--keep-in-foreground",
        "--conf-file=/dev/null",
        "--no-resolv",
        "--no-hosts",
        "--no-poll",
        "--listen-address=127.0.0.1",
        "--bind-interfaces",
        "--port=" + std::to_string(port),
        "--local-ttl=" + std::to_string(ttl),
        "--pid-file=",
        "--log-facility=-",
    };
    args.insert(args.end(), lines.begin(), lines.end());
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(&arg[0]);
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, m_logPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, kDnsmasq, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return false;
    }

    const auto deadline = std::chrono::steady_clock::now() + kReadyTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return false;  // it gave up (a taken port, a bad argument)
        }
        if (AcceptsTcp(port)) {
            m_pid = pid;
            m_port = port;
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return false;
}

void Dnsmasq::Stop() {
    if (m_pid <= 0) {
        return;
    }
    kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kStopGrace;
    while (waitpid(m_pid, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    m_pid = -1;
}

std::string Dnsmasq::Log() const {
    std::ifstream in(m_logPath);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Dnsmasq::ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

bool QueryTxtOverTcp(uint16_t port, const std::string& name, std::vector<TxtAnswer>* outAnswers) {
    struct __res_state state {};
    if (res_ninit(&state) != 0) {
        return false;
    }
    state.nscount = 1;
    state.nsaddr_list[0] = Loopback(port);
    state.options |= RES_USEVC;
    state.retry = 1;
    state.retrans = 2;
    std::vector<unsigned char> answer(65535);
    const int length = res_nquery(&state, name.c_str(), ns_c_in, ns_t_txt, answer.data(),
                                  static_cast<int>(answer.size()));
    res_nclose(&state);
    ns_msg message;
    if (length < 0 || ns_initparse(answer.data(), length, &message) != 0) {
        return false;
    }
    outAnswers->clear();
    for (int i = 0; i < ns_msg_count(message, ns_s_an); ++i) {
        ns_rr record;
        if (ns_parserr(&message, ns_s_an, i, &record) != 0 || ns_rr_type(record) != ns_t_txt) {
            continue;
        }
        TxtAnswer txt;
        txt.owner = ns_rr_name(record);
        txt.ttl = ns_rr_ttl(record);
        const unsigned char* data = ns_rr_rdata(record);
        const unsigned char* end = data + ns_rr_rdlen(record);
        while (data < end && data + 1 + *data <= end) {
            txt.strings.emplace_back(reinterpret_cast<const char*>(data + 1), *data);
            data += 1 + *data;
        }
        outAnswers->push_back(std::move(txt));
    }
    return !outAnswers->empty();
}

}  // namespace TestSupport
}  // namespace Varnok
