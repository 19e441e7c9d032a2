// The advertising provider started over a fresh mediation stand-in and a
// service manager of its own, with the shipped configuration (or a test
// folder's), as the game starts it.
#pragma once

#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/services/IAdvertisingService.h"
#include "engine/services/ServiceManager.h"
#include "platform/MediationStandIn.h"
#include "providers/Provider_MoPub/MoPubBridge.h"
#include "providers/Provider_MoPub/MoPubDelegate.h"
#include "providers/Provider_MoPub/Provider_MoPub.h"
#include "providers/Provider_MoPub/Provider_MoPubCustomNetworks.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace Varnok {
namespace MoPubTest {

constexpr const char* kFullscreenAlias = "FULLSCREEN_SPACE";
constexpr const char* kFullscreenUnit = "vellmarch-fullscreen-0001";
constexpr const char* kBannerAlias = "BANNER_SPACE";
constexpr const char* kBannerUnit = "vellmarch-banner-0001";

// Counts calls of the callbacks and listeners handed to the service.
struct Counter {
    int calls = 0;
    void Call() { ++calls; }
    Delegate0<void> AsDelegate() { return Delegate0<void>(this, &Counter::Call); }
};

// The network keys are process-wide: each harness starts without any.
inline void ForgetNetworkKeys() {
    Provider_MoPubCustomNetwork_Greystripe::InitGreystripe(nullptr);
    Provider_MoPubCustomNetwork_InMobi::InitInMobi(nullptr);
    Provider_MoPubCustomNetwork_Mobclix::ForgetInitialisation();
}

class MoPubHarness {
public:
    // folder: "Services" of the shipped data, or one of the test data's.
    explicit MoPubHarness(const MediationStandInDef& def = MediationStandInDef(),
                          const char* folder = "Services", bool testData = false)
        : client(std::make_shared<MediationStandIn>(def)) {
        m_mounted = FileSystemRegistry::Get().Add(
            std::make_unique<DirectoryFileSystem>(testData ? VARNOK_TEST_DATA_DIR : VARNOK_SOURCE_DATA_DIR, true),
            FileSystemKey("mopubTestData"), 100);
        ForgetNetworkKeys();
        MoPubBridge::InstallClient(client);
        MoPubBridge::Instance().Reset();
        manager.LoadConfig(folder, ServiceDefines());
        manager.AddProviderBuilder(builder);
        provider = manager.GetProvider<Provider_MoPub>();
        started = provider != nullptr && provider->Initialise();
        if (provider != nullptr) {
            provider->SetEnabled(started);
        }
        ads = manager.GetServiceAggregate<IAdvertisingService>();
    }
    ~MoPubHarness() {
        // The bridge outlives the harness: what it holds of this client goes first.
        MoPubBridge::InstallClient(nullptr);
        MoPubBridge::Instance().Reset();
        ForgetNetworkKeys();
        FileSystemRegistry::Get().Remove(m_mounted);
    }
    MoPubHarness(const MoPubHarness&) = delete;
    MoPubHarness& operator=(const MoPubHarness&) = delete;

    MoPubBridge& Bridge() const { return MoPubBridge::Instance(); }
    MoPubDelegate& Delegate() const { return MoPubBridge::Instance().GetDelegate(); }
    void Frames(int count = 1) { client->AdvanceFrames(count); }
    // A banner of the shipped banner space, loaded and shown at (x, y).
    CustomAdUnit* ShowBanner(int x, int y) {
        ads->LoadBannerAd(kBannerAlias);
        Frames();
        ads->ShowBannerAd(kBannerAlias, x, y, false, 1.0f);
        return Delegate().GetAdView(kBannerUnit);
    }

    std::shared_ptr<MediationStandIn> client;
    ServiceManager manager;
    Provider_MoPubBuilder builder;
    Provider_MoPub* provider = nullptr;
    bool started = false;
    IAdvertisingServiceAggregate* ads = nullptr;

private:
    FileSystem* m_mounted = nullptr;
};

}  // namespace MoPubTest
}  // namespace Varnok
