#include "platform/PosixDnsSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Varnok {

PosixDnsSocket::~PosixDnsSocket() {
    Close();
}

bool PosixDnsSocket::Open(const char* address, uint16_t port) {
    Close();
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    if (address == nullptr || inet_pton(AF_INET, address, &target.sin_addr) != 1) {
        return false;
    }
    m_fd = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_fd < 0) {
        return false;
    }
    // Linux has no SO_NOSIGPIPE: every send passes MSG_NOSIGNAL instead.
    const int flags = fcntl(m_fd, F_GETFL, 0);
    if (flags < 0 || fcntl(m_fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        return false;
    }
    // In progress or refused: the outcome shows when the socket turns writable.
    (void)connect(m_fd, reinterpret_cast<const sockaddr*>(&target), sizeof(target));
    return true;
}

bool PosixDnsSocket::IsSocket() {
    if (m_fd < 0 || m_fd >= FD_SETSIZE) {
        return false;
    }
    int type = 0;
    socklen_t size = sizeof(type);
    return getsockopt(m_fd, SOL_SOCKET, SO_TYPE, &type, &size) == 0;
}

int PosixDnsSocket::Poll(bool forWriting) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(m_fd, &set);
    timeval zero{};
    const int result = select(m_fd + 1, forWriting ? nullptr : &set, forWriting ? &set : nullptr,
                              nullptr, &zero);
    if (result < 0) {
        return -1;
    }
    return result > 0 ? 1 : 0;
}

int PosixDnsSocket::PollWritable() {
    return Poll(true);
}

int PosixDnsSocket::PollReadable() {
    return Poll(false);
}

int PosixDnsSocket::Send(const uint8_t* data, int length) {
    const ssize_t sent = send(m_fd, data, static_cast<size_t>(length), MSG_NOSIGNAL);
    if (sent < 0) {
        return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : -1;
    }
    return static_cast<int>(sent);
}

int PosixDnsSocket::Receive(uint8_t* buffer, int capacity) {
    const ssize_t got = recv(m_fd, buffer, static_cast<size_t>(capacity), 0);
    if (got < 0) {
        return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? -1 : -2;
    }
    return static_cast<int>(got);
}

void PosixDnsSocket::Close() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
}

std::unique_ptr<DnsSocket> CreatePosixDnsSocket() {
    return std::make_unique<PosixDnsSocket>();
}

}  // namespace Varnok
