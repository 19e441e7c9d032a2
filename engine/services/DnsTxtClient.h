// A small DNS client for TXT records over TCP (RFC 1035 messages with the
// two-byte length prefix). Every query is a state machine over a
// non-blocking socket stepped once per frame from the service update; each
// ends, success or failure, in exactly one call of its completion delegate.
// Main thread only.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Delegate.h"
#include "engine/services/DnsSocket.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

struct DnsQuestion {
    std::string name;  // dotted; read back with a final "."
    uint16_t type = 0;
    uint16_t klass = 0;

    void Write(std::string& out) const;
    // False when the bytes end before the question does.
    [[nodiscard]] bool Read(const uint8_t* message, size_t length, size_t& offset);
};

struct DnsResourceRecord {
    std::string name;
    uint16_t type = 0;
    uint16_t klass = 0;
    uint32_t ttl = 0;
    std::string data;

    void Write(std::string& out) const;
    [[nodiscard]] bool Read(const uint8_t* message, size_t length, size_t& offset);
};

struct DnsMessage {
    // id drawn from rand() modulo 65535, flags 0, empty lists.
    DnsMessage();

    uint16_t id = 0;
    uint16_t flags = 0;
    std::vector<DnsQuestion> questions;
    std::vector<DnsResourceRecord> answers;
    std::vector<DnsResourceRecord> authority;
    std::vector<DnsResourceRecord> additional;

    DnsQuestion& AddQuestion();
    DnsResourceRecord& AddAnswer();
    DnsResourceRecord& AddAuthority();
    DnsResourceRecord& AddAdditional();

    // Appends the message without its length prefix.
    void Write(std::string& out) const;
    // Parses a whole message from message[offset..length): the offset after
    // its last record, or -1 (lists emptied) when a count, length, label or
    // pointer reaches past the bytes.
    int64_t Read(const uint8_t* message, size_t length, size_t offset = 0);
    void Clear();
};

// Writes a dotted name as labels: "0.a.b" and "0.a.b." both give
// 01 30 01 61 01 62 00.
void WriteDnsName(const std::string& name, std::string& out);
// Reads a name at offset (a pointer only as its first byte, labels at the
// target read plainly); appends "." after every label. False on an overrun.
[[nodiscard]] bool ReadDnsName(const uint8_t* message, size_t length, size_t& offset, std::string& out);

// The first character-string of a TXT record's data; empty when the data
// are empty, and cut at the data's end when the length byte overstates it.
void DnsTxtText(const DnsResourceRecord& record, AsciiString& outText);

using DnsCompletion = Delegate1<void, const DnsMessage&>;

class DnsTxtQuery {
public:
    enum State { Connecting, Sending, AwaitingLength, AwaitingBody, Finished };

    DnsTxtQuery(const DnsMessage& query, const DnsCompletion& completion);
    ~DnsTxtQuery();
    DnsTxtQuery(const DnsTxtQuery&) = delete;
    DnsTxtQuery& operator=(const DnsTxtQuery&) = delete;

    // Opens the socket and starts connecting; on failure the query finishes
    // and its delegate runs here.
    void Start(const char* address, uint16_t port);
    void Step();
    State GetState() const { return m_state; }
    bool IsFinished() const { return m_state == Finished; }

    static constexpr int kPhaseSeconds = 4;
    static constexpr int kMaxSelectErrors = 10;

private:
    void Fail();
    void Succeed();
    // False when the step should end here (not ready, or the query ended).
    bool Ready(int readiness);

    DnsMessage m_query;
    DnsMessage m_answer;
    DnsCompletion m_completion;
    std::unique_ptr<DnsSocket> m_socket;
    State m_state = Connecting;
    int m_selectErrors = 0;
    int64_t m_deadline = 0;
    std::string m_outgoing;   // prefix and message while sending
    size_t m_sent = 0;
    uint8_t m_lengthBytes[2] = {};
    size_t m_lengthRead = 0;
    std::vector<uint8_t> m_body;
    size_t m_bodyRead = 0;
};

class DnsTxtResolver {
public:
    static DnsTxtResolver& Get();
    DnsTxtResolver();
    ~DnsTxtResolver();

    // The resolver asked: 127.0.0.1 port 53 unless VARNOK_DNS_RESOLVER
    // ("address[:port]") or this says otherwise.
    void SetServer(const char* address, uint16_t port);
    const std::string& GetServerAddress() const { return m_address; }
    uint16_t GetServerPort() const { return m_port; }

    void Query(const DnsMessage& query, const DnsCompletion& completion);
    // Steps every query once; finished ones are deleted, the last moving into
    // the gap and being stepped in the same poll, as are queries appended by
    // completion delegates.
    void Poll();
    int GetPendingCount() const { return static_cast<int>(m_queries.size()); }
    // Deletes every query without calling its delegate.
    void Clear();

private:
    std::vector<std::unique_ptr<DnsTxtQuery>> m_queries;
    std::string m_address;
    uint16_t m_port = 53;
};

}  // namespace Varnok
