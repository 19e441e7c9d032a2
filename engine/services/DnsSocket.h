// The one TCP connection a DNS query needs, as the DNS client uses it: every
// call returns at once. platform/ implements it over POSIX sockets; tests may
// install their own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace Varnok {

class DnsSocket {
public:
    virtual ~DnsSocket() = default;
    // Makes a non-blocking stream socket that raises no signal on a closed
    // peer and starts connecting to the IPv4 address; false when the socket
    // cannot be made or configured (an address that does not parse too).
    [[nodiscard]] virtual bool Open(const char* address, uint16_t port) = 0;
    // Whether the descriptor is still an open socket.
    virtual bool IsSocket() = 0;
    // Zero-timeout readiness: 1 ready, 0 not yet, -1 the wait itself failed.
    // A connection that failed reads as ready (the next send or recv fails).
    virtual int PollWritable() = 0;
    virtual int PollReadable() = 0;
    // Bytes taken (0 when the socket would block), -1 on an error.
    virtual int Send(const uint8_t* data, int length) = 0;
    // Bytes read, 0 when the peer closed, -1 when nothing is there yet, -2 on
    // an error.
    virtual int Receive(uint8_t* buffer, int capacity) = 0;
    // Safe to repeat.
    virtual void Close() = 0;
};

using DnsSocketFactory = std::function<std::unique_ptr<DnsSocket>()>;

// Installed by the shell (platform's POSIX sockets) or a test. Without one,
// every query fails at once.
void SetDnsSocketFactory(DnsSocketFactory factory);
std::unique_ptr<DnsSocket> CreateDnsSocket();

}  // namespace Varnok
