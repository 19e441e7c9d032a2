// The host's answer to "is the internet reachable", for the network monitor.
#pragma once

namespace Varnok {

// VARNOK_NETWORK forces the answer ("on"/"1" or "off"/"0"); otherwise, when
// VARNOK_NETWORK_PROBE names "host:port", a TCP connect there decides;
// otherwise any interface that is up, not loopback and has an address counts
// as reachable. Answers kNetworkReachable or kNetworkNotReachable.
int ProbeNetworkStatus();
// A non-blocking connect, waiting at most timeoutMs.
bool CanConnect(const char* host, int port, int timeoutMs);
bool HasNonLoopbackInterface();

}  // namespace Varnok
