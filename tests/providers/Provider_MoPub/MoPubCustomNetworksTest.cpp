// The custom ad networks: their key holders, their adapters over the
// network stand-ins, and full-screen ads served through them by class name.
#include "tests/providers/Provider_MoPub/MoPubHarness.h"

#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <vector>

namespace Varnok {
namespace MoPubTest {
namespace {

using TestSupport::IsOneLogLineNaming;
using TestSupport::LogCapture;

// What an adapter reported, in order.
struct FullscreenRecorder final : FullscreenCustomEventDelegate {
    void OnFullscreenCustomEvent(FullscreenAdEvent event) override { events.push_back(event); }
    std::vector<FullscreenAdEvent> events;
};

struct BannerRecorder final : BannerCustomEventDelegate {
    void OnBannerCustomEvent(BannerAdEvent event, AdView* view) override {
        events.push_back(event);
        lastView = view;
    }
    std::vector<BannerAdEvent> events;
    AdView* lastView = nullptr;
};

TEST(MoPubNetworkKeys, MissingOrEmptyKeysRefuseWithTheirLine) {
    MoPubHarness harness(MediationStandInDef(), "missing", true);  // no keys given
    const struct {
        const char* what;
        bool (*ask)();
        const char* line;
    } holders[] = {
        {"Greystripe", &Provider_MoPubCustomNetwork_Greystripe::ValidGUID, "MoPub Custom Greystripe: invalid GUID!"},
        {"InMobi", &Provider_MoPubCustomNetwork_InMobi::ValidAppID, "MoPub Custom InMobi: invalid App ID!"},
        {"Mobclix", &Provider_MoPubCustomNetwork_Mobclix::Initialised, "MoPub Custom Mobclix: not initialised!"},
    };
    for (const auto& holder : holders) {
        SCOPED_TRACE(holder.what);
        LogCapture log;
        EXPECT_FALSE(holder.ask());
        EXPECT_TRUE(IsOneLogLineNaming(log.Take(), holder.line, holder.line));
    }

    Provider_MoPubCustomNetwork_Greystripe::InitGreystripe("");
    Provider_MoPubCustomNetwork_InMobi::InitInMobi("");
    Provider_MoPubCustomNetwork_Mobclix::InitMobclix("");  // still starts the client
    for (const auto& holder : holders) {
        SCOPED_TRACE(holder.what);
        LogCapture log;
        EXPECT_FALSE(holder.ask());
        EXPECT_TRUE(IsOneLogLineNaming(log.Take(), holder.line, holder.line));
    }
    EXPECT_EQ(harness.client->Networks().GetMobclixStarts(), std::vector<std::string>{""});

    Provider_MoPubCustomNetwork_Greystripe::InitGreystripe("guid");
    Provider_MoPubCustomNetwork_InMobi::InitInMobi("app");
    Provider_MoPubCustomNetwork_Mobclix::InitMobclix("key");
    LogCapture log;
    for (const auto& holder : holders) {
        EXPECT_TRUE(holder.ask()) << holder.what;
    }
    EXPECT_EQ(log.Take(), "");
}

TEST(MoPubNetworks, ARequestWithoutItsKeyFailsAtOnce) {
    MoPubHarness harness(MediationStandInDef(), "missing", true);
    FullscreenRecorder fullscreen;
    Provider_MoPubCustomNetwork_InMobi_Fullscreen adapter;
    adapter.SetDelegate(&fullscreen);
    LogCapture log;
    adapter.RequestAd(CustomEventInfo{});
    EXPECT_TRUE(IsOneLogLineNaming(log.Take(), "InMobi", "invalid App ID!"));
    EXPECT_EQ(fullscreen.events, std::vector<FullscreenAdEvent>{FullscreenAdEvent::Failed});
    EXPECT_TRUE(harness.client->Networks().GetCreatedAds().empty());
}

TEST(MoPubNetworks, GreystripeShowsOnlyAReadyAd) {
    MoPubHarness harness;
    FullscreenRecorder recorder;
    Provider_MoPubCustomNetwork_Greystripe_Fullscreen adapter;
    adapter.SetDelegate(&recorder);
    StandInRootViewController& root = *harness.client->RootViewController();
    adapter.ShowFromViewController(root);  // nothing fetched yet
    EXPECT_EQ(recorder.events, std::vector<FullscreenAdEvent>{FullscreenAdEvent::Failed});
    EXPECT_EQ(root.GetModalCount(), 0);

    recorder.events.clear();
    adapter.RequestAd(CustomEventInfo{});
    harness.Frames();
    adapter.ShowFromViewController(root);
    EXPECT_EQ(root.GetModalCount(), 1);
    harness.Frames();
    ASSERT_TRUE(harness.client->Networks().CloseShownAd());
    harness.Frames();
    EXPECT_EQ(recorder.events,
              (std::vector<FullscreenAdEvent>{FullscreenAdEvent::Loaded, FullscreenAdEvent::WillAppear,
                                              FullscreenAdEvent::DidAppear, FullscreenAdEvent::WillDisappear,
                                              FullscreenAdEvent::DidDisappear}));
    EXPECT_EQ(root.GetModalCount(), 0);
}

TEST(MoPubNetworks, MobclixFallbackSitsCentredAndItsCloseButtonDismisses) {
    MediationStandInDef def;
    def.screenBounds = AdRect{0, 0, 320, 480};  // a portrait report of a 480 x 320 screen
    MoPubHarness harness(def);
    harness.client->Networks().SetFill(AdNetwork::Mobclix, AdNetworkFormat::Fullscreen, false);
    FullscreenRecorder recorder;
    Provider_MoPubCustomNetwork_Mobclix_Fullscreen adapter;
    adapter.SetDelegate(&recorder);
    {
        LogCapture log;
        adapter.RequestAd(CustomEventInfo{});
        harness.Frames();  // no full-screen ad: the fallback is asked for
        EXPECT_TRUE(recorder.events.empty());
        harness.Frames();
        const std::string lines = log.Take();
        EXPECT_NE(lines.find("Mobclix fullscreen failed to load - trying fallback"), std::string::npos);
        EXPECT_NE(lines.find("Mobclix fallback fullscreen loaded"), std::string::npos);
    }
    EXPECT_EQ(recorder.events, std::vector<FullscreenAdEvent>{FullscreenAdEvent::Loaded});
    ASSERT_NE(adapter.GetFallbackAd(), nullptr);
    EXPECT_EQ(adapter.GetFallbackAd()->GetDef().format, AdNetworkFormat::TabletMediumRectangle300x250);
    EXPECT_FLOAT_EQ(adapter.GetFallbackAd()->GetDef().refreshSeconds, -1.0f);

    StandInRootViewController& root = *harness.client->RootViewController();
    adapter.ShowFromViewController(root);
    ASSERT_EQ(root.GetPresentedModal(), adapter.GetFallbackController());
    const AdRect screen = adapter.GetFallbackController()->GetScreenView()->GetFrame();
    EXPECT_FLOAT_EQ(screen.width, 480.0f);
    EXPECT_FLOAT_EQ(screen.height, 320.0f);
    const AdRect ad = adapter.GetFallbackAd()->GetView()->GetFrame();
    EXPECT_FLOAT_EQ(ad.x, 90.0f);
    EXPECT_FLOAT_EQ(ad.y, 35.0f);
    EXPECT_FLOAT_EQ(ad.width, 300.0f);
    EXPECT_FLOAT_EQ(ad.height, 250.0f);
    AdButton* close = adapter.GetFallbackController()->GetCloseButton();
    ASSERT_NE(close, nullptr);
    const AdRect button = close->GetFrame();
    EXPECT_FLOAT_EQ(button.x, 480.0f - 44.0f);
    EXPECT_FLOAT_EQ(button.y, 8.0f);
    EXPECT_FLOAT_EQ(button.width, 36.0f);
    EXPECT_FLOAT_EQ(button.height, 36.0f);
    EXPECT_EQ(static_cast<StandInButton*>(close)->GetImage(), "MPCloseButtonX.png");

    // A touch on the ad is not the button's; one on the button closes.
    harness.client->Tap(200.0f, 100.0f);
    EXPECT_EQ(root.GetModalCount(), 1);
    EXPECT_EQ(harness.client->Tap(450.0f, 20.0f), close);
    EXPECT_EQ(root.GetModalCount(), 0);
    EXPECT_EQ(recorder.events,
              (std::vector<FullscreenAdEvent>{FullscreenAdEvent::Loaded, FullscreenAdEvent::WillAppear,
                                              FullscreenAdEvent::DidAppear, FullscreenAdEvent::WillDisappear,
                                              FullscreenAdEvent::DidDisappear}));
}

TEST(MoPubNetworks, MobclixWithNothingToShowFails) {
    MoPubHarness harness;
    FullscreenRecorder recorder;
    Provider_MoPubCustomNetwork_Mobclix_Fullscreen adapter;
    adapter.SetDelegate(&recorder);
    adapter.ShowFromViewController(*harness.client->RootViewController());
    EXPECT_EQ(recorder.events, std::vector<FullscreenAdEvent>{FullscreenAdEvent::Failed});
}

TEST(MoPubNetworks, BannerAdaptersServeTheirTwoSizesOnly) {
    MoPubHarness harness;
    const struct {
        const char* what;
        float width, height;
        bool served;
        AdNetworkFormat format;
        int sizeCode;
    } sizes[] = {
        {"phone banner", 320, 50, true, AdNetworkFormat::Banner320x50, 15},
        {"medium rectangle", 300, 250, true, AdNetworkFormat::MediumRectangle300x250, 10},
        {"other", 468, 60, false, AdNetworkFormat::Fullscreen, 0},
    };
    for (const auto& size : sizes) {
        SCOPED_TRACE(size.what);
        std::unique_ptr<BannerCustomEvent> adapters[] = {
            std::make_unique<Provider_MoPubCustomNetwork_Greystripe_Banner>(),
            std::make_unique<Provider_MoPubCustomNetwork_Mobclix_Banner>(),
            std::make_unique<Provider_MoPubCustomNetwork_InMobi_Banner>(),
        };
        for (auto& adapter : adapters) {
            BannerRecorder recorder;
            adapter->SetDelegate(&recorder);
            const size_t before = harness.client->Networks().GetCreatedAds().size();
            adapter->RequestAd(size.width, size.height, CustomEventInfo{});
            harness.Frames();
            const auto& created = harness.client->Networks().GetCreatedAds();
            if (!size.served) {
                EXPECT_EQ(created.size(), before);
                EXPECT_TRUE(recorder.events.empty());
                continue;
            }
            ASSERT_EQ(created.size(), before + 1);
            EXPECT_EQ(created.back().format, size.format);
            if (created.back().network == AdNetwork::InMobi) {
                EXPECT_EQ(created.back().sizeCode, size.sizeCode);
                EXPECT_FLOAT_EQ(created.back().frame.width, size.width);
            }
            if (created.back().network == AdNetwork::Greystripe) {
                EXPECT_FALSE(created.back().autoload);
            }
            EXPECT_EQ(recorder.events, std::vector<BannerAdEvent>{BannerAdEvent::Loaded});
            ASSERT_NE(recorder.lastView, nullptr);
            EXPECT_FLOAT_EQ(recorder.lastView->GetFrame().width, size.width);
        }
    }
}

TEST(MoPubNetworks, TheMediationServesAFullscreenAdThroughAnAdapterByName) {
    MoPubHarness harness;
    AdUnitScript script;
    script.customEventClass = "Provider_MoPubCustomNetwork_InMobi_Fullscreen";
    harness.client->SetAdUnit(kFullscreenUnit, script);
    Counter loaded;
    Counter dismissed;
    harness.ads->SetFullscreenAdLoadedCallback(loaded.AsDelegate());
    harness.ads->AddFullscreenAdDismissedListener(dismissed.AsDelegate());
    harness.ads->LoadFullscreenAd(kFullscreenAlias);
    harness.Frames(2);
    EXPECT_EQ(loaded.calls, 1);
    ASSERT_FALSE(harness.client->Networks().GetCreatedAds().empty());
    EXPECT_EQ(harness.client->Networks().GetCreatedAds().back().network, AdNetwork::InMobi);
    EXPECT_EQ(harness.client->Networks().GetCreatedAds().back().key, "vellmarch-inmobi-app");

    harness.ads->ShowFullscreenAd();
    harness.Frames();
    EXPECT_TRUE(harness.Delegate().GetInterstitialController()->IsShowing());
    ASSERT_TRUE(harness.client->CloseFullscreenAd());
    harness.Frames(3);
    EXPECT_EQ(dismissed.calls, 1);
    EXPECT_EQ(harness.client->RootViewController()->GetModalCount(), 0);
}

}  // namespace
}  // namespace MoPubTest
}  // namespace Varnok
