// A save area in a fresh temporary folder, the shipped static data behind a
// "ServiceManagerOffline" view, a real platform and the protocol server.
#pragma once

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/PrefixFileSystem.h"
#include "engine/core/ZipFileSystem.h"
#include "kiplink/Source/KiplinkProviderImpl.h"
#include "providers/Provider_Kiplink/KiplinkPlatform.h"
#include "tools/kiplink_server/GameUpdateService.h"
#include "tools/kiplink_server/KiplinkServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace OnlineTest {

class OnlineFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kiplink-save-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_saveFolder = pattern;
        auto& registry = Varnok::FileSystemRegistry::Get();
        m_save = registry.Add(std::make_unique<Varnok::DirectoryFileSystem>(m_saveFolder.c_str(), false),
                              Varnok::FileSystemKey("save"), 100);
        m_bundle = registry.Add(std::make_unique<Varnok::DirectoryFileSystem>(VARNOK_BUNDLE_DIR, true),
                                Varnok::FileSystemKey("bundle"), 10);
        auto assets = std::make_unique<Varnok::ZipFileSystem>();
        ASSERT_TRUE(assets->Open(VARNOK_BUNDLE_DIR "/assets.zip", nullptr, nullptr));
        m_assets = registry.Add(std::move(assets), Varnok::FileSystemKey("fileZip"), 4);
        auto offline = std::make_unique<Varnok::PrefixFileSystem>();
        offline->SetTarget(m_assets, "services/offline");
        m_offline = registry.Add(std::move(offline), Varnok::FileSystemKey("ServiceManagerOffline"), 20);

        Varnok::Tools::KiplinkServerConfig config;
        config.staticRoot = VARNOK_PUBLISHED_STATIC_DIR;
        m_server = std::make_unique<Varnok::Tools::KiplinkServer>(config);
        ASSERT_TRUE(m_server->Start());
        m_game.Install(*m_server);
        m_platform = new Varnok::KiplinkPlatform(nullptr, nullptr);
    }

    void TearDown() override {
        m_root.Reset();
        m_platform.Reset();
        if (m_server) {
            m_server->Stop();
        }
        auto& registry = Varnok::FileSystemRegistry::Get();
        registry.Remove(m_offline);
        registry.Remove(m_assets);
        registry.Remove(m_bundle);
        registry.Remove(m_save);
        std::system(("rm -rf " + m_saveFolder).c_str());
    }

    // A loaded root on the server (or on baseUrl when given).
    Kiplink::KiplinkProviderImpl* MakeRoot(const std::string* baseUrl = nullptr) {
        Kiplink::KiplinkSettings settings{"fam", baseUrl != nullptr ? *baseUrl : m_server->BaseUrl(), "build-7"};
        m_root = Kiplink::RefPtr<Kiplink::KiplinkProviderImpl>::Adopt(
            static_cast<Kiplink::KiplinkProviderImpl*>(Kiplink::CreateKiplinkProvider(settings, m_platform.Get())));
        m_root->Load();
        return m_root.Get();
    }

    // Runs frames (HTTP delivery, then the library's poll) until done says
    // so or the time is up.
    bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            Frame();
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    void Frame() {
        m_platform->UpdateHttp();
        if (m_root) {
            m_root->Update();
        }
    }

    std::string SavePath(const std::string& name) const { return m_saveFolder + "/save/" + name; }

    std::string m_saveFolder;
    Varnok::FileSystem* m_save = nullptr;
    Varnok::FileSystem* m_bundle = nullptr;
    Varnok::FileSystem* m_assets = nullptr;  // the bundle's assets.zip
    Varnok::FileSystem* m_offline = nullptr;
    std::unique_ptr<Varnok::Tools::KiplinkServer> m_server;
    Varnok::Tools::GameUpdateService m_game;
    Kiplink::RefPtr<Varnok::KiplinkPlatform> m_platform;
    Kiplink::RefPtr<Kiplink::KiplinkProviderImpl> m_root;
};

}  // namespace OnlineTest
