// The network monitor and its process-wide instance.
#include "engine/core/NetworkAvailabilityMonitor.h"

#include <utility>

namespace Varnok {

NetworkAvailabilityMonitor::NetworkAvailabilityMonitor(StatusProbe probe)
    : m_probe(std::move(probe)) {}

void NetworkAvailabilityMonitor::Start() {
    const int status = ReadCurrentStatus();
    m_cachedStatus.store(status < 0 ? kNetworkNotReachable : status);
}

void NetworkAvailabilityMonitor::OnStatusChanged(const NetworkAvailabilityMonitor& notifier) {
    const int status = notifier.ReadCurrentStatus();
    if (status >= 0) {
        m_cachedStatus.store(status);
    }
}

int NetworkAvailabilityMonitor::ReadCurrentStatus() const {
    return m_probe ? m_probe() : -1;
}

NetworkAvailabilityMonitor& NetworkAvailabilityMonitor::ForInternetConnection() {
    static NetworkAvailabilityMonitor* monitor = [] {
        auto* m = new NetworkAvailabilityMonitor(nullptr);  // lives for the process
        m->Start();
        return m;
    }();
    return *monitor;
}

void NetworkAvailabilityMonitor::InstallInternetProbe(StatusProbe probe) {
    NetworkAvailabilityMonitor& monitor = ForInternetConnection();
    monitor.m_probe = std::move(probe);
    monitor.Start();
}

int IsNetworkReachable() {
    return NetworkAvailabilityMonitor::ForInternetConnection().GetCachedStatus();
}

}  // namespace Varnok
