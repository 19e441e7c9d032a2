#include "platform/NetworkProbe.h"

#include "engine/core/NetworkAvailabilityMonitor.h"
#include "tests/engine/core/support/LoopbackHttpServer.h"
#include "tests/platform/ScopedEnv.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

namespace Varnok {
namespace {

using VarnokTest::ScopedEnv;

TEST(NetworkProbe, ProbeCanBeForcedOrPointedAtAnAddress) {
    {
        ScopedEnv forced("VARNOK_NETWORK", "off");
        EXPECT_EQ(ProbeNetworkStatus(), kNetworkNotReachable);
    }
    {
        ScopedEnv forced("VARNOK_NETWORK", "on");
        EXPECT_EQ(ProbeNetworkStatus(), kNetworkReachable);
    }

    // A real listener on the loopback interface, and a port that refuses.
    int port = 0;
    const int listener = VarnokTest::OpenLoopbackSocket(true, port);
    ASSERT_GE(listener, 0);
    VarnokTest::RefusingPort refusing;
    ScopedEnv unforced("VARNOK_NETWORK", nullptr);
    {
        const std::string target = "127.0.0.1:" + std::to_string(port);
        ScopedEnv probe("VARNOK_NETWORK_PROBE", target.c_str());
        EXPECT_TRUE(CanConnect("127.0.0.1", port, 1000));
        EXPECT_EQ(ProbeNetworkStatus(), kNetworkReachable);
    }
    close(listener);
    {
        const std::string target = "127.0.0.1:" + std::to_string(refusing.Port());
        ScopedEnv probe("VARNOK_NETWORK_PROBE", target.c_str());
        EXPECT_FALSE(CanConnect("127.0.0.1", refusing.Port(), 1000));
        EXPECT_EQ(ProbeNetworkStatus(), kNetworkNotReachable);
    }
    {
        ScopedEnv probe("VARNOK_NETWORK_PROBE", "no-port-here");
        EXPECT_EQ(ProbeNetworkStatus(), kNetworkNotReachable);
    }
}

TEST(NetworkProbe, ProcessMonitorAnswersTheStatusReadAtStart) {
    // No other test touches the process-wide monitor, so it starts here,
    // with the host's probe as the shell installs it.
    ScopedEnv forced("VARNOK_NETWORK", "on");
    NetworkAvailabilityMonitor::InstallInternetProbe(&ProbeNetworkStatus);
    EXPECT_EQ(IsNetworkReachable(), kNetworkReachable);
    ScopedEnv changed("VARNOK_NETWORK", "off");
    EXPECT_EQ(IsNetworkReachable(), kNetworkReachable);  // no change notification yet
}

}  // namespace
}  // namespace Varnok
