// DNS messages, one query's socket state machine and the list of pending
// queries.
#include "engine/services/DnsTxtClient.h"

#include "engine/services/ServiceClock.h"

#include <cstdlib>
#include <cstring>

namespace Varnok {

namespace {

DnsSocketFactory& Factory() {
    static DnsSocketFactory s_factory;
    return s_factory;
}

void Put16(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value & 0xFF));
}

void Put32(std::string& out, uint32_t value) {
    Put16(out, static_cast<uint16_t>(value >> 16));
    Put16(out, static_cast<uint16_t>(value & 0xFFFF));
}

bool Get16(const uint8_t* message, size_t length, size_t& offset, uint16_t& value) {
    if (offset > length || length - offset < 2) {
        return false;
    }
    value = static_cast<uint16_t>((message[offset] << 8) | message[offset + 1]);
    offset += 2;
    return true;
}

bool Get32(const uint8_t* message, size_t length, size_t& offset, uint32_t& value) {
    uint16_t high = 0;
    uint16_t low = 0;
    if (!Get16(message, length, offset, high) || !Get16(message, length, offset, low)) {
        return false;
    }
    value = (static_cast<uint32_t>(high) << 16) | low;
    return true;
}

// Labels from offset until a zero byte; false past the end.
bool ReadLabels(const uint8_t* message, size_t length, size_t& offset, std::string& out) {
    while (true) {
        if (offset >= length) {
            return false;
        }
        const uint8_t labelLength = message[offset++];
        if (labelLength == 0) {
            return true;
        }
        if (length - offset < labelLength) {
            return false;
        }
        out.append(reinterpret_cast<const char*>(message + offset), labelLength);
        out.push_back('.');
        offset += labelLength;
    }
}

}  // namespace

void SetDnsSocketFactory(DnsSocketFactory factory) {
    Factory() = std::move(factory);
}

std::unique_ptr<DnsSocket> CreateDnsSocket() {
    return Factory() ? Factory()() : nullptr;
}

// ---- Names and messages ----

void WriteDnsName(const std::string& name, std::string& out) {
    size_t labelStart = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        const bool atDot = i < name.size() && name[i] == '.';
        const bool atEnd = i == name.size();
        if (!atDot && !atEnd) {
            continue;
        }
        const size_t labelLength = i - labelStart;
        if (atDot || labelLength > 0) {
            // An empty label between dots writes a single zero byte.
            out.push_back(static_cast<char>(labelLength & 0xFF));
            out.append(name, labelStart, labelLength);
        }
        labelStart = i + 1;
    }
    out.push_back('\0');
}

bool ReadDnsName(const uint8_t* message, size_t length, size_t& offset, std::string& out) {
    out.clear();
    if (offset >= length) {
        return false;
    }
    if ((message[offset] & 0xC0) == 0xC0) {
        if (length - offset < 2) {
            return false;
        }
        size_t target = (static_cast<size_t>(message[offset] & 0x3F) << 8) | message[offset + 1];
        offset += 2;
        return ReadLabels(message, length, target, out);
    }
    return ReadLabels(message, length, offset, out);
}

void DnsQuestion::Write(std::string& out) const {
    WriteDnsName(name, out);
    Put16(out, type);
    Put16(out, klass);
}

bool DnsQuestion::Read(const uint8_t* message, size_t length, size_t& offset) {
    return ReadDnsName(message, length, offset, name) && Get16(message, length, offset, type) &&
           Get16(message, length, offset, klass);
}

void DnsResourceRecord::Write(std::string& out) const {
    WriteDnsName(name, out);
    Put16(out, type);
    Put16(out, klass);
    Put32(out, ttl);
    Put16(out, static_cast<uint16_t>(data.size()));
    out.append(data);
}

bool DnsResourceRecord::Read(const uint8_t* message, size_t length, size_t& offset) {
    uint16_t dataLength = 0;
    if (!ReadDnsName(message, length, offset, name) || !Get16(message, length, offset, type) ||
        !Get16(message, length, offset, klass) || !Get32(message, length, offset, ttl) ||
        !Get16(message, length, offset, dataLength) || length - offset < dataLength) {
        return false;
    }
    data.assign(reinterpret_cast<const char*>(message + offset), dataLength);
    offset += dataLength;
    return true;
}

DnsMessage::DnsMessage() : id(static_cast<uint16_t>(std::rand() % 65535)) {}

DnsQuestion& DnsMessage::AddQuestion() {
    questions.emplace_back();
    return questions.back();
}
DnsResourceRecord& DnsMessage::AddAnswer() {
    answers.emplace_back();
    return answers.back();
}
DnsResourceRecord& DnsMessage::AddAuthority() {
    authority.emplace_back();
    return authority.back();
}
DnsResourceRecord& DnsMessage::AddAdditional() {
    additional.emplace_back();
    return additional.back();
}

void DnsMessage::Clear() {
    questions.clear();
    answers.clear();
    authority.clear();
    additional.clear();
}

void DnsMessage::Write(std::string& out) const {
    Put16(out, id);
    Put16(out, flags);
    Put16(out, static_cast<uint16_t>(questions.size()));
    Put16(out, static_cast<uint16_t>(answers.size()));
    Put16(out, static_cast<uint16_t>(authority.size()));
    Put16(out, static_cast<uint16_t>(additional.size()));
    for (const DnsQuestion& question : questions) {
        question.Write(out);
    }
    for (const auto* list : {&answers, &authority, &additional}) {
        for (const DnsResourceRecord& record : *list) {
            record.Write(out);
        }
    }
}

int64_t DnsMessage::Read(const uint8_t* message, size_t length, size_t offset) {
    Clear();
    uint16_t counts[4] = {};
    if (!Get16(message, length, offset, id) || !Get16(message, length, offset, flags)) {
        return -1;
    }
    for (uint16_t& count : counts) {
        if (!Get16(message, length, offset, count)) {
            return -1;
        }
    }
    // Each element takes at least 5 bytes: counts beyond what the bytes can
    // hold are refused before anything is allocated for them.
    const size_t left = length - offset;
    if (static_cast<size_t>(counts[0]) + counts[1] + counts[2] + counts[3] > left / 5) {
        return -1;
    }
    for (uint16_t i = 0; i < counts[0]; ++i) {
        if (!AddQuestion().Read(message, length, offset)) {
            Clear();
            return -1;
        }
    }
    std::vector<DnsResourceRecord>* lists[3] = {&answers, &authority, &additional};
    for (int list = 0; list < 3; ++list) {
        for (uint16_t i = 0; i < counts[list + 1]; ++i) {
            lists[list]->emplace_back();
            if (!lists[list]->back().Read(message, length, offset)) {
                Clear();
                return -1;
            }
        }
    }
    return static_cast<int64_t>(offset);
}

void DnsTxtText(const DnsResourceRecord& record, AsciiString& outText) {
    if (record.data.empty()) {
        outText = AsciiString();
        return;
    }
    const size_t n = static_cast<uint8_t>(record.data[0]);
    const size_t available = record.data.size() - 1;
    outText = AsciiString(record.data.data() + 1, static_cast<int>(n < available ? n : available));
}

// ---- One query ----

DnsTxtQuery::DnsTxtQuery(const DnsMessage& query, const DnsCompletion& completion)
    : m_query(query), m_completion(completion) {}

DnsTxtQuery::~DnsTxtQuery() {
    if (m_socket != nullptr) {
        m_socket->Close();
    }
}

void DnsTxtQuery::Start(const char* address, uint16_t port) {
    m_socket = CreateDnsSocket();
    if (m_socket == nullptr || !m_socket->Open(address, port)) {
        Fail();
        return;
    }
    m_deadline = GetServiceTime() + kPhaseSeconds;
}

void DnsTxtQuery::Fail() {
    m_state = Finished;
    m_answer.Clear();
    if (m_socket != nullptr) {
        m_socket->Close();
    }
    m_completion(m_answer);
}

void DnsTxtQuery::Succeed() {
    m_state = Finished;
    m_socket->Close();
    m_completion(m_answer);
}

bool DnsTxtQuery::Ready(int readiness) {
    if (readiness < 0) {
        if (++m_selectErrors >= kMaxSelectErrors) {
            Fail();
        }
        return false;
    }
    if (readiness == 0) {
        if (GetServiceTime() > m_deadline) {
            Fail();
        }
        return false;
    }
    return true;
}

void DnsTxtQuery::Step() {
    if (m_state == Finished) {
        return;
    }
    if (!m_socket->IsSocket()) {
        Fail();
        return;
    }
    switch (m_state) {
    case Connecting: {
        if (!Ready(m_socket->PollWritable())) {
            return;
        }
        std::string message;
        m_query.Write(message);
        if (message.size() > 0xFFFF) {
            Fail();
            return;
        }
        m_outgoing.clear();
        Put16(m_outgoing, static_cast<uint16_t>(message.size()));
        m_outgoing += message;
        m_sent = 0;
        m_state = Sending;
        m_deadline = GetServiceTime() + kPhaseSeconds;
    }
        [[fallthrough]];
    case Sending: {
        // A short send continues on the next steps within the same deadline.
        const int sent = m_socket->Send(reinterpret_cast<const uint8_t*>(m_outgoing.data()) + m_sent,
                                        static_cast<int>(m_outgoing.size() - m_sent));
        if (sent < 0) {
            Fail();
            return;
        }
        m_sent += static_cast<size_t>(sent);
        if (m_sent < m_outgoing.size()) {
            if (GetServiceTime() > m_deadline) {
                Fail();
            }
            return;
        }
        m_state = AwaitingLength;
        m_lengthRead = 0;
        m_deadline = GetServiceTime() + kPhaseSeconds;
        return;
    }
    case AwaitingLength: {
        if (!Ready(m_socket->PollReadable())) {
            return;
        }
        const int got = m_socket->Receive(m_lengthBytes + m_lengthRead, static_cast<int>(2 - m_lengthRead));
        if (got == 0 || got < -1) {
            Fail();
            return;
        }
        if (got > 0) {
            m_lengthRead += static_cast<size_t>(got);
        }
        if (m_lengthRead < 2) {
            if (GetServiceTime() > m_deadline) {
                Fail();
            }
            return;
        }
        const size_t announced = (static_cast<size_t>(m_lengthBytes[0]) << 8) | m_lengthBytes[1];
        if (announced < 12) {
            Fail();  // not even a header
            return;
        }
        m_body.assign(announced, 0);
        m_bodyRead = 0;
        m_state = AwaitingBody;
        m_deadline = GetServiceTime() + kPhaseSeconds;
        return;
    }
    case AwaitingBody: {
        if (!Ready(m_socket->PollReadable())) {
            return;
        }
        // The body may come in pieces; they gather until the announced length
        // or the deadline.
        const int got = m_socket->Receive(m_body.data() + m_bodyRead, static_cast<int>(m_body.size() - m_bodyRead));
        if (got == 0 || got < -1) {
            Fail();
            return;
        }
        if (got > 0) {
            m_bodyRead += static_cast<size_t>(got);
        }
        if (m_bodyRead < m_body.size()) {
            if (GetServiceTime() > m_deadline) {
                Fail();
            }
            return;
        }
        if (m_answer.Read(m_body.data(), m_body.size()) < 0) {
            Fail();
            return;
        }
        Succeed();
        return;
    }
    case Finished:
        return;
    }
}

// ---- The list of queries ----

DnsTxtResolver& DnsTxtResolver::Get() {
    static DnsTxtResolver s_resolver;
    return s_resolver;
}

DnsTxtResolver::DnsTxtResolver() : m_address("127.0.0.1") {
    if (const char* setting = std::getenv("VARNOK_DNS_RESOLVER")) {
        std::string text(setting);
        const size_t colon = text.rfind(':');
        if (colon != std::string::npos) {
            const int port = std::atoi(text.c_str() + colon + 1);
            if (port > 0 && port < 65536) {
                m_port = static_cast<uint16_t>(port);
            }
            text.resize(colon);
        }
        if (!text.empty()) {
            m_address = text;
        }
    }
}

DnsTxtResolver::~DnsTxtResolver() = default;

void DnsTxtResolver::SetServer(const char* address, uint16_t port) {
    m_address = address != nullptr ? address : "127.0.0.1";
    m_port = port;
}

void DnsTxtResolver::Query(const DnsMessage& query, const DnsCompletion& completion) {
    m_queries.push_back(std::make_unique<DnsTxtQuery>(query, completion));
    // Started once it is in the list: a delegate called inside may query again.
    DnsTxtQuery* added = m_queries.back().get();
    added->Start(m_address.c_str(), m_port);
}

void DnsTxtResolver::Poll() {
    size_t i = 0;
    while (i < m_queries.size()) {
        DnsTxtQuery* query = m_queries[i].get();
        query->Step();
        if (query->IsFinished()) {
            // The delegate may have appended queries: look the slot up again.
            if (i + 1 != m_queries.size()) {
                m_queries[i] = std::move(m_queries.back());
            }
            m_queries.pop_back();
            continue;  // the moved query is stepped in this poll
        }
        ++i;
    }
}

void DnsTxtResolver::Clear() {
    m_queries.clear();
}

}  // namespace Varnok
