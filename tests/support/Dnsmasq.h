// A real dnsmasq for tests: started on 127.0.0.1 at a free port with the
// TXT records given as its "--txt-record=name,text" arguments, answering
// over UDP and TCP with --local-ttl as every record's TTL, stopped by its
// process id. Nothing else of the machine is read (no resolv.conf, hosts or
// configuration file), nothing is forwarded, and no pid file is written.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Varnok {
namespace TestSupport {

class Dnsmasq {
public:
    Dnsmasq() = default;
    ~Dnsmasq();
    Dnsmasq(const Dnsmasq&) = delete;
    Dnsmasq& operator=(const Dnsmasq&) = delete;

    // txtRecordLines are "--txt-record=..." arguments (the signing tool's
    // output lines). port 0 picks a free port; give the old Port() to restart
    // with other records where a client already points. Returns once dnsmasq
    // accepts TCP connections; false (with its output in Log()) otherwise.
    [[nodiscard]] bool Start(const std::vector<std::string>& txtRecordLines,
                             int localTtlSeconds, uint16_t port = 0);
    // SIGTERM, then SIGKILL after 2 s; waits for the process. Safe to repeat.
    void Stop();

    bool IsRunning() const { return m_pid > 0; }
    uint16_t Port() const { return m_port; }
    pid_t Pid() const { return m_pid; }
    std::string Log() const;  // what dnsmasq printed

    // The non-empty lines of a file such as sign_remote_config's --dnsmasq output.
    static std::vector<std::string> ReadLines(const std::string& path);

private:
    bool StartAt(const std::vector<std::string>& lines, int ttl, uint16_t port);

    pid_t m_pid = -1;
    uint16_t m_port = 0;
    std::string m_logPath;
};

// One TXT record of an answer.
struct TxtAnswer {
    std::string owner;                 // as glibc renders it, without a final "."
    uint32_t ttl = 0;
    std::vector<std::string> strings;  // every character-string of the record
};

// Asks 127.0.0.1:port for name's TXT records over TCP with glibc's
// res_nquery (RES_USEVC): the independent reference client. False when the
// query fails or the answer holds no TXT record.
[[nodiscard]] bool QueryTxtOverTcp(uint16_t port, const std::string& name,
                                   std::vector<TxtAnswer>* outAnswers);

}  // namespace TestSupport
}  // namespace Varnok
