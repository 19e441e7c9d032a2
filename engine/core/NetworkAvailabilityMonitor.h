// Whether the internet connection is reachable, as the platform last said.
#pragma once

#include <atomic>
#include <functional>

namespace Varnok {

// Status values: 0 not reachable, anything else reachable.
constexpr int kNetworkNotReachable = 0;
constexpr int kNetworkReachable = 1;

// Watches the internet connection and keeps its last known status.
class NetworkAvailabilityMonitor {
public:
    // Answers the current status; may block briefly (a connect with a time-out).
    using StatusProbe = std::function<int()>;

    explicit NetworkAvailabilityMonitor(StatusProbe probe);

    // Reads the status at once and keeps it.
    void Start();
    // The change notification: asks the notifying monitor for its current
    // status, when it can answer, and keeps it. Any thread.
    void OnStatusChanged(const NetworkAvailabilityMonitor& notifier);
    // The kept status, without asking the platform.
    int GetCachedStatus() const { return m_cachedStatus.load(); }
    // Asks the platform now; -1 when this monitor has no probe.
    int ReadCurrentStatus() const;

    // The process-wide monitor of the internet connection, created and started
    // on first use, never released. Until a probe is installed it has none,
    // and so keeps "not reachable".
    static NetworkAvailabilityMonitor& ForInternetConnection();
    // Gives the process-wide monitor the platform's probe (platform/ has the
    // host's) and starts it again. At start-up, before other threads ask.
    static void InstallInternetProbe(StatusProbe probe);

private:
    StatusProbe m_probe;
    std::atomic<int> m_cachedStatus{kNetworkNotReachable};
};

// The process-wide monitor's cached status.
int IsNetworkReachable();

}  // namespace Varnok
