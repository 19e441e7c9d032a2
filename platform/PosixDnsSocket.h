// The DNS client's TCP connection over POSIX sockets.
#pragma once

#include "engine/services/DnsSocket.h"

namespace Varnok {

class PosixDnsSocket final : public DnsSocket {
public:
    PosixDnsSocket() = default;
    ~PosixDnsSocket() override;
    bool Open(const char* address, uint16_t port) override;
    bool IsSocket() override;
    int PollWritable() override;
    int PollReadable() override;
    int Send(const uint8_t* data, int length) override;
    int Receive(uint8_t* buffer, int capacity) override;
    void Close() override;

private:
    int Poll(bool forWriting);
    int m_fd = -1;
};

// For SetDnsSocketFactory.
std::unique_ptr<DnsSocket> CreatePosixDnsSocket();

}  // namespace Varnok
