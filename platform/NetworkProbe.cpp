// Reachability from the host's interfaces, or a connect to a chosen address.
#include "platform/NetworkProbe.h"

#include "engine/core/Log.h"
#include "engine/core/NetworkAvailabilityMonitor.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace Varnok {
namespace {

const char* Env(const char* name) {
    const char* value = std::getenv(name);
    return (value != nullptr && value[0] != '\0') ? value : nullptr;
}

}  // namespace

int ProbeNetworkStatus() {
    if (const char* forced = Env("VARNOK_NETWORK")) {
        if (std::strcmp(forced, "on") == 0 || std::strcmp(forced, "1") == 0) {
            return kNetworkReachable;
        }
        if (std::strcmp(forced, "off") == 0 || std::strcmp(forced, "0") == 0) {
            return kNetworkNotReachable;
        }
        Log("DeviceInfo: VARNOK_NETWORK \"%s\" is not on or off; checking the network", forced);
    }
    if (const char* target = Env("VARNOK_NETWORK_PROBE")) {
        const std::string text = target;
        const size_t colon = text.rfind(':');
        const int port = colon == std::string::npos ? 0 : std::atoi(text.c_str() + colon + 1);
        if (port <= 0 || port > 65535) {
            Log("DeviceInfo: VARNOK_NETWORK_PROBE \"%s\" is not host:port", target);
            return kNetworkNotReachable;
        }
        const std::string host = text.substr(0, colon);
        return CanConnect(host.c_str(), port, 1000) ? kNetworkReachable : kNetworkNotReachable;
    }
    return HasNonLoopbackInterface() ? kNetworkReachable : kNetworkNotReachable;
}

bool CanConnect(const char* host, int port, int timeoutMs) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (getaddrinfo(host, service.c_str(), &hints, &found) != 0) {
        return false;
    }
    bool connected = false;
    for (addrinfo* a = found; a != nullptr && !connected; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                              a->ai_protocol);
        if (fd < 0) {
            continue;
        }
        if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            connected = true;
        } else if (errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            if (poll(&p, 1, timeoutMs) == 1) {
                int error = 0;
                socklen_t size = sizeof(error);
                connected = getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
            }
        }
        close(fd);
    }
    freeaddrinfo(found);
    return connected;
}

bool HasNonLoopbackInterface() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return false;
    }
    bool found = false;
    for (ifaddrs* i = list; i != nullptr && !found; i = i->ifa_next) {
        if (i->ifa_addr == nullptr || (i->ifa_flags & IFF_UP) == 0 ||
            (i->ifa_flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        const int family = i->ifa_addr->sa_family;
        found = family == AF_INET || family == AF_INET6;
    }
    freeifaddrs(list);
    return found;
}

}  // namespace Varnok
