// What the Kontagent tests share: a "save" folder, the hand-moved service
// clock, the device id "abc", the sample provider file, a signed remote
// configuration naming a loopback server as the endpoint, and a service
// manager started as the game starts it.
#pragma once

#include "engine/core/DevicePropertyMap.h"
#include "engine/core/DeviceSettings.h"
#include "engine/core/NetworkAvailabilityMonitor.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/ServiceManagerConfig.h"
#include "engine/services/User.h"
#include "providers/Provider_Kontagent/KontagentAnalyticsService.h"
#include "providers/Provider_Kontagent/KontagentApiClient.h"
#include "providers/Provider_Kontagent/KontagentFiles.h"
#include "providers/Provider_Kontagent/Provider_Kontagent.h"
#include "tests/engine/core/support/LoopbackHttpServer.h"
#include "tests/engine/services/ServiceHarness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace Varnok {
namespace TestSupport {

constexpr const char* kRemoteConfigName = "remoteconfig.varnok.test";
constexpr const char* kApiKey = "apikey";
constexpr const char* kAbcDeviceKey = "3231342946509354535";  // CRC-64/XZ of "abc"

inline void SetNetwork(bool reachable) {
    NetworkAvailabilityMonitor::InstallInternetProbe(
        [reachable] { return reachable ? kNetworkReachable : kNetworkNotReachable; });
}

// Stands in for the online-service provider: its presence is what counts.
class OnlineProviderStandIn final : public IProvider {
public:
    bool Initialise() override { return true; }
    const char* GetName() const override { return KontagentAnalyticsService::kOnlineProviderName; }
    void Update() override {}
};

class KontagentWorld {
public:
    KontagentWorld() {
        DeviceSettings settings;
        settings.deviceId = "abc";
        settings.model = "iPhone4,1";
        SetDeviceSettings(settings);
        DevicePropertyMap::Rebuild();
        WriteHost(m_world.SavePath("Services/ServiceManager.xml"),
                  std::string("<serviceManager><remoteConfig value=\"") + kRemoteConfigName +
                      "\"/></serviceManager>");
        WriteHost(m_world.SavePath("Services/Provider_Kontagent.xml"),
                  ReadHost(std::string(VARNOK_SOURCE_DATA_DIR) + "/Services/Provider_Kontagent.xml"));
    }
    ~KontagentWorld() {
        m_manager.reset();
        SetDeviceSettings(DeviceSettings());
        DevicePropertyMap::Destroy();
        SetNetwork(true);
    }

    // The signed pair in "save", as a fetch would have left it.
    void PublishEndpoint(const std::string& uri, const std::string& extraMembers = "") {
        const auto publication = Publish("{\"kontagent\":{\"uri\":\"" + uri + "\",\"key\":\"" + kApiKey + "\"}" +
                                             extraMembers + "}",
                                         kRemoteConfigName);
        WriteHost(m_world.SavePath(std::string(kRemoteConfigName) + ".dat"), publication.data);
        WriteHost(m_world.SavePath(std::string(kRemoteConfigName) + ".sig"), publication.signature);
    }

    // A new manager as the game starts one; the old one goes first.
    void Start(bool withOnlineProvider = false) {
        m_manager.reset();
        m_manager = std::make_unique<ServiceManager>();
        m_manager->Initialise("Services", "2.1.0", ServiceDefines());
        if (withOnlineProvider) {
            m_manager->AddProvider(new OnlineProviderStandIn());
        }
        RegisterProvider_KontagentBuilder(*m_manager);
        m_manager->InitialiseProviders();
    }
    void Stop() { m_manager.reset(); }

    ServiceManager& Manager() { return *m_manager; }
    KontagentAnalyticsService& Service() {
        return *m_manager->GetProvider<Provider_Kontagent>()->GetAnalyticsService();
    }
    const std::deque<std::string>& Queue() { return Service().GetApiClient()->GetQueue(); }

    // Frames until the server holds count requests and their answers have
    // been taken in; false after the limit.
    bool UpdateUntilServed(const VarnokTest::LoopbackHttpServer& server, size_t count) {
        if (!RunUntil([this] { m_manager->Update(); },
                      [&] { return server.Requests().size() >= count; })) {
            return false;
        }
        Settle();
        return true;
    }
    // Frames for a short real time at the same clock: answers come in.
    void Settle(int milliseconds = 150) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end) {
            m_manager->Update();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    std::string SavePath(const std::string& name) const { return m_world.SavePath(name); }

private:
    ServiceWorld m_world;
    std::unique_ptr<ServiceManager> m_manager;
};

// The request targets without the "/apikey/" in front.
inline std::vector<std::string> Queries(const VarnokTest::LoopbackHttpServer& server) {
    std::vector<std::string> out;
    const std::string prefix = std::string("/") + kApiKey + "/";
    for (const auto& request : server.Requests()) {
        out.push_back(request.target.compare(0, prefix.size(), prefix) == 0 ? request.target.substr(prefix.size())
                                                                            : request.target);
    }
    return out;
}

inline std::string Ok(const std::string& body) {
    return VarnokTest::LoopbackHttpServer::Reply(200, "OK", "text/plain", body);
}

}  // namespace TestSupport
}  // namespace Varnok
