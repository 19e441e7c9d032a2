// What the online provider's engine tests share: a fresh documents folder
// with the sample provider file, a signed remote configuration (the cache
// pair a fetch leaves) naming the protocol server on loopback, the build's
// static data, hand-moved service and library clocks, and a service manager
// started as the game starts it.
#pragma once

#include "engine/core/PrefixFileSystem.h"
#include "engine/core/ZipFileSystem.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/User.h"
#include "engine/services/UserStore.h"
#include "kiplink/Source/Random.h"
#include "kiplink/Source/UserImpl.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"
#include "tests/engine/services/ServiceHarness.h"
#include "tools/kiplink_server/FriendsService.h"
#include "tools/kiplink_server/KiplinkServer.h"
#include "tools/kiplink_server/UserService.h"

#include <algorithm>
#include <memory>
#include <string>

namespace Varnok {
namespace TestSupport {

constexpr const char* kKiplinkRemoteName = "remoteconfig.varnok.test";

inline uint32_t& LibrarySeconds() {
    static uint32_t s_seconds = 2000000;
    return s_seconds;
}
inline uint32_t ReadLibrarySeconds() { return LibrarySeconds(); }
inline uint32_t ReadLibraryTicks() { return LibrarySeconds() * 1000u; }

class KiplinkWorld {
public:
    KiplinkWorld() {
        auto assets = std::make_unique<ZipFileSystem>();
        EXPECT_TRUE(assets->Open(VARNOK_BUNDLE_DIR "/assets.zip", nullptr, nullptr));
        m_assets = FileSystemRegistry::Get().Add(std::move(assets), FileSystemKey("fileZip"), 4);
        auto offline = std::make_unique<PrefixFileSystem>();
        offline->SetTarget(m_assets, "services/offline");
        m_offline = FileSystemRegistry::Get().Add(std::move(offline), FileSystemKey("ServiceManagerOffline"), 20);

        static const Kiplink::ClockHooks s_hooks{&ReadLibraryTicks, &ReadLibrarySeconds};
        LibrarySeconds() = 2000000;
        Kiplink::SetClockHooks(&s_hooks);

        Tools::KiplinkServerConfig config;
        config.staticRoot = VARNOK_PUBLISHED_STATIC_DIR;
        m_server = std::make_unique<Tools::KiplinkServer>(config);
        EXPECT_TRUE(m_server->Start());
        accounts.Install(*m_server);
        social.Install(*m_server);

        WriteHost(m_world.SavePath("Services/ServiceManager.xml"),
                  std::string("<serviceManager><remoteConfig value=\"") + kKiplinkRemoteName +
                      "\"/></serviceManager>");
        WriteProviderFile(ReadHost(std::string(VARNOK_SOURCE_DATA_DIR) + "/Services/Provider_Kiplink.xml"));
        PublishServer(m_server->BaseUrl());
    }
    ~KiplinkWorld() {
        m_manager.reset();
        m_server->Stop();
        Kiplink::SetClockHooks(nullptr);
        FileSystemRegistry::Get().Remove(m_offline);
        FileSystemRegistry::Get().Remove(m_assets);
    }

    void WriteProviderFile(const std::string& text) { WriteHost(m_world.SavePath("Services/Provider_Kiplink.xml"), text); }
    // The signed pair in "save", as a fetch would have left it.
    void PublishServer(const std::string& universe) {
        const auto publication =
            Publish("{\"buildId\":\"build-7\",\"kiplink\":{\"universe\":\"" + universe + "\"}}", kKiplinkRemoteName);
        WriteHost(m_world.SavePath(std::string(kKiplinkRemoteName) + ".dat"), publication.data);
        WriteHost(m_world.SavePath(std::string(kKiplinkRemoteName) + ".sig"), publication.signature);
    }

    void Start() {
        m_manager.reset();
        m_manager = std::make_unique<ServiceManager>();
        m_manager->Initialise("Services", "1.0.0", ServiceDefines());
        m_manager->AddProviderBuilder(Provider_KiplinkBuilder::Get());
        m_manager->InitialiseProviders();
    }

    ServiceManager& Manager() { return *m_manager; }
    UserStore& Store() { return *m_manager->GetUserStore(); }
    Provider_Kiplink* Provider() { return m_manager->GetProvider<Provider_Kiplink>(); }
    User* Current() { return m_manager->GetCurrentUser(); }
    static Kiplink::UserImpl* LibraryUser(const User* user) {
        return static_cast<Kiplink::UserImpl*>(UserComponent_Kiplink::LibraryUserOf(user));
    }

    // Frames until done() or a generous real-time limit.
    template <typename Done>
    bool FramesUntil(Done done, int limitMs = 10000) {
        return RunUntil([this] { m_manager->Update(); }, done, limitMs);
    }
    // Frames for a short real time: late replies have their chance to land.
    void Settle(int milliseconds = 200) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end) {
            m_manager->Update();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    // "POST <service>" lines the server saw for a service and method.
    int CallCount(const std::string& service, const std::string& method) const {
        int count = 0;
        for (const auto& call : m_server->ReceivedCalls()) {
            count += call.service == service && call.method == method ? 1 : 0;
        }
        return count;
    }

    Tools::KiplinkServer& Server() { return *m_server; }
    std::string SavePath(const std::string& name) const { return m_world.SavePath(name); }

    Tools::UserService accounts;
    Tools::FriendsService social{accounts};

private:
    ServiceWorld m_world;
    FileSystem* m_assets = nullptr;
    FileSystem* m_offline = nullptr;
    std::unique_ptr<Tools::KiplinkServer> m_server;
    std::unique_ptr<ServiceManager> m_manager;
};

}  // namespace TestSupport
}  // namespace Varnok
