#include "engine/core/NetworkAvailabilityMonitor.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

TEST(NetworkAvailabilityMonitor, MonitorKeepsTheStatusReadAtStartUntilNotified) {
    int platformStatus = kNetworkReachable;
    NetworkAvailabilityMonitor monitor([&platformStatus] { return platformStatus; });
    EXPECT_EQ(monitor.GetCachedStatus(), kNetworkNotReachable);
    monitor.Start();
    EXPECT_EQ(monitor.GetCachedStatus(), kNetworkReachable);

    platformStatus = kNetworkNotReachable;
    EXPECT_EQ(monitor.GetCachedStatus(), kNetworkReachable);  // not asked again
    monitor.OnStatusChanged(monitor);
    EXPECT_EQ(monitor.GetCachedStatus(), kNetworkNotReachable);

    // A notifier that cannot answer leaves the kept status.
    const NetworkAvailabilityMonitor silent(nullptr);
    platformStatus = kNetworkReachable;
    monitor.OnStatusChanged(silent);
    EXPECT_EQ(monitor.GetCachedStatus(), kNetworkNotReachable);
}

TEST(NetworkAvailabilityMonitor, ProcessMonitorWithoutAProbeIsNotReachable) {
    // Nothing in this program installs the platform's probe.
    EXPECT_EQ(IsNetworkReachable(), kNetworkNotReachable);
    EXPECT_EQ(NetworkAvailabilityMonitor::ForInternetConnection().ReadCurrentStatus(), -1);
}

}  // namespace
}  // namespace Varnok
