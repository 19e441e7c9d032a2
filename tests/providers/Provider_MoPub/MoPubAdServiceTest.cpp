// The advertising service over the mediation stand-in: configuration,
// full-screen ads, banners and their placement over the game's view.
#include "tests/providers/Provider_MoPub/MoPubHarness.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace MoPubTest {
namespace {

TEST(MoPubConfig, ShippedFileGivesTheSpacesAndStartsTheNetworks) {
    MoPubHarness harness;
    ASSERT_TRUE(harness.started);
    ASSERT_NE(harness.ads, nullptr);
    EXPECT_EQ(harness.manager.FindServiceByKey("Provider_MoPub/IAdvertisingService"),
              harness.provider->GetAdService());
    EXPECT_TRUE(harness.provider->GetAdService()->IsEnabled());

    const auto& spaces = harness.provider->GetAdService()->GetAdSpaces();
    ASSERT_EQ(spaces.count(AsciiString(kFullscreenAlias)), 1u);
    EXPECT_STREQ(spaces.at(AsciiString(kFullscreenAlias)).adUnitId.c_str(), kFullscreenUnit);
    const AdSize banner = harness.ads->GetBannerAdSize(kBannerAlias);
    EXPECT_EQ(banner.m_width, 320);
    EXPECT_EQ(banner.m_height, 50);

    // Each network's key went to its holder, the App Store id to the
    // conversion tracker, and the adapters are known by their class names.
    EXPECT_EQ(Provider_MoPubCustomNetwork_Greystripe::GetGUID(), "vellmarch-greystripe-guid");
    EXPECT_EQ(Provider_MoPubCustomNetwork_InMobi::GetAppID(), "vellmarch-inmobi-app");
    EXPECT_EQ(harness.client->Networks().GetMobclixStarts(), std::vector<std::string>{"vellmarch-mobclix-key"});
    EXPECT_EQ(harness.client->GetConversionReports(), std::vector<std::string>{"100000001"});
    for (const char* name :
         {"Provider_MoPubCustomNetwork_Greystripe_Fullscreen", "Provider_MoPubCustomNetwork_Greystripe_Banner",
          "Provider_MoPubCustomNetwork_Mobclix_Fullscreen", "Provider_MoPubCustomNetwork_Mobclix_Banner",
          "Provider_MoPubCustomNetwork_InMobi_Fullscreen", "Provider_MoPubCustomNetwork_InMobi_Banner"}) {
        EXPECT_TRUE(harness.client->HasCustomEvent(name)) << name;
    }
}

TEST(MoPubConfig, LaterElementsWinAndMissingSizesAreZero) {
    MoPubHarness harness(MediationStandInDef(), "dupes", true);
    ASSERT_TRUE(harness.started);
    const auto& spaces = harness.provider->GetAdService()->GetAdSpaces();
    ASSERT_EQ(spaces.size(), 2u);  // "SPACE" and the empty alias
    const AdSpace& space = spaces.at(AsciiString("SPACE"));
    EXPECT_STREQ(space.adUnitId.c_str(), "second");
    EXPECT_EQ(space.width, 300);
    EXPECT_EQ(space.height, 0);
    EXPECT_STREQ(spaces.at(AsciiString("")).adUnitId.c_str(), "no-alias");
    EXPECT_EQ(Provider_MoPubCustomNetwork_Greystripe::GetGUID(), "new");
}

TEST(MoPubConfig, WithoutTheElementNothingIsRegistered) {
    MoPubHarness harness(MediationStandInDef(), "missing", true);
    EXPECT_FALSE(harness.started);
    EXPECT_FALSE(harness.provider->IsEnabled());
    EXPECT_EQ(harness.ads, nullptr);
    EXPECT_TRUE(harness.client->GetConversionReports().empty());
}

TEST(MoPubAds, ShowingBeforeAnyLoadDismissesAtOnce) {
    MoPubHarness harness;
    Counter dismissed;
    harness.ads->AddFullscreenAdDismissedListener(dismissed.AsDelegate());
    harness.ads->ShowFullscreenAd();
    EXPECT_EQ(dismissed.calls, 1);
    EXPECT_EQ(harness.client->RootViewController()->GetModalCount(), 0);

    // A removed listener hears nothing more.
    harness.ads->RemoveFullscreenAdDismissedListener(dismissed.AsDelegate());
    harness.ads->ShowFullscreenAd();
    EXPECT_EQ(dismissed.calls, 1);
}

TEST(MoPubAds, ShownAndClosedFiresTheDismissedEventOnce) {
    MoPubHarness harness;
    Counter loaded;
    Counter dismissed;
    harness.ads->SetFullscreenAdLoadedCallback(loaded.AsDelegate());
    harness.ads->AddFullscreenAdDismissedListener(dismissed.AsDelegate());
    harness.ads->LoadFullscreenAd(kFullscreenAlias);
    EXPECT_EQ(loaded.calls, 0);  // the client answers on a later frame
    harness.Frames();
    EXPECT_EQ(loaded.calls, 1);

    harness.ads->ShowFullscreenAd();
    StandInRootViewController* root = harness.client->RootViewController();
    EXPECT_EQ(root->GetModalCount(), 1);
    EXPECT_TRUE(harness.Delegate().GetInterstitialController()->IsShowing());
    ASSERT_TRUE(harness.client->CloseFullscreenAd());
    harness.Frames(5);
    EXPECT_EQ(dismissed.calls, 1);
    EXPECT_EQ(root->GetModalCount(), 0);
    EXPECT_EQ(harness.Delegate().GetInterstitialController(), nullptr);
}

TEST(MoPubAds, AFailedLoadLeavesAnUnrelatedModalScreenUp) {
    MoPubHarness harness;
    AdUnitScript empty;
    empty.fills = false;
    harness.client->SetAdUnit(kFullscreenUnit, empty);
    Counter failed;
    Counter dismissed;
    harness.ads->SetFullscreenAdFailedCallback(failed.AsDelegate());
    harness.ads->AddFullscreenAdDismissedListener(dismissed.AsDelegate());
    StandInModalScreen dashboard(AdRect{0, 0, 320, 480}, 0x102030FF);
    StandInRootViewController* root = harness.client->RootViewController();
    root->PresentModal(dashboard, true);

    harness.ads->LoadFullscreenAd(kFullscreenAlias);
    harness.Frames();
    EXPECT_EQ(failed.calls, 1);
    EXPECT_EQ(dismissed.calls, 0);
    EXPECT_EQ(root->GetPresentedModal(), &dashboard);

    // Nor does a dismissal with no ad up take the other screen down.
    harness.ads->DismissFullscreenAd();
    EXPECT_EQ(dismissed.calls, 1);
    EXPECT_EQ(root->GetPresentedModal(), &dashboard);
    root->DismissModal(false);
}

TEST(MoPubAds, UnknownAliasesFindNothingOrMakeAnEmptySpace) {
    MoPubHarness harness;
    harness.ads->LoadFullscreenAd("NOT_CONFIGURED");
    EXPECT_EQ(harness.client->GetSharedInterstitialCount(), 0);
    EXPECT_FALSE(harness.ads->IsBannerAdLoaded("NOT_CONFIGURED"));
    EXPECT_FALSE(harness.ads->UpdateTexture("NOT_CONFIGURED"));

    const AdSize size = harness.ads->GetBannerAdSize("NEW_SPACE");
    EXPECT_EQ(size.m_width, 0);
    EXPECT_EQ(size.m_height, 0);
    EXPECT_EQ(harness.provider->GetAdService()->GetAdSpaces().count(AsciiString("NEW_SPACE")), 1u);
    // The space now exists: the banner asked for has an empty id and no size.
    harness.ads->LoadBannerAd("NEW_SPACE");
    CustomAdUnit* unit = harness.Delegate().GetAdView("");
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->GetOriginalSize().m_width, 0);
    EXPECT_EQ(unit->GetOriginalSize().m_height, 0);
    EXPECT_TRUE(unit->View().IsHidden());
}

TEST(MoPubAds, BannerLoadsAndFailuresReachTheirCallbacks) {
    MoPubHarness harness;
    Counter loaded;
    Counter failed;
    harness.ads->SetBannerAdLoadedCallback(loaded.AsDelegate());
    harness.ads->SetBannerAdFailedCallback(failed.AsDelegate());
    harness.ads->LoadBannerAd(kBannerAlias);
    EXPECT_FALSE(harness.ads->IsBannerAdLoaded(kBannerAlias));
    harness.Frames();
    EXPECT_EQ(loaded.calls, 1);
    EXPECT_TRUE(harness.ads->IsBannerAdLoaded(kBannerAlias));

    AdUnitScript empty;
    empty.fills = false;
    harness.client->SetAdUnit(kBannerUnit, empty);
    harness.ads->LoadBannerAd(kBannerAlias);  // a new view replaces the loaded one
    harness.Frames();
    EXPECT_EQ(failed.calls, 1);
    EXPECT_FALSE(harness.ads->IsBannerAdLoaded(kBannerAlias));
}

// ---- Placement ----

TEST(MoPubPlacement, ViewportPositionsBecomeScreenPoints) {
    const struct {
        const char* what;
        AdViewportBounds viewport;
        int x, y;
        bool centred;
        float scale;
        AdRect frame;
    } cases[] = {
        {"top-left corner", {0, 0, 480, 320}, 80, 0, false, 1.0f, {80, 0, 320, 50}},
        {"centred", {0, 0, 480, 320}, 240, 160, true, 1.0f, {80, 135, 320, 50}},
        {"twice the screen's units", {0, 0, 960, 640}, 160, 0, false, 1.0f, {80, 0, 160, 25}},
        {"scaled up", {0, 0, 480, 320}, 0, 0, false, 1.5f, {0, 0, 480, 75}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MoPubHarness harness;  // root view 320 x 480, the viewport landscape
        harness.ads->SetViewportBounds(c.viewport);
        harness.ads->LoadBannerAd(kBannerAlias);
        harness.Frames();
        harness.ads->ShowBannerAd(kBannerAlias, c.x, c.y, c.centred, c.scale);
        CustomAdUnit* unit = harness.Delegate().GetAdView(kBannerUnit);
        ASSERT_NE(unit, nullptr);
        const AdRect frame = unit->View().GetFrame();
        EXPECT_FLOAT_EQ(frame.x, c.frame.x);
        EXPECT_FLOAT_EQ(frame.y, c.frame.y);
        EXPECT_FLOAT_EQ(frame.width, c.frame.width);
        EXPECT_FLOAT_EQ(frame.height, c.frame.height);
        EXPECT_FLOAT_EQ(unit->GetWidthScale(), c.frame.width / 320.0f);
        EXPECT_FALSE(unit->View().IsHidden());
        EXPECT_EQ(unit->View().GetSuperview(), harness.client->RootViewController()->GetView());
        // The ad's own view keeps the made size inside the scaled banner.
        ASSERT_NE(unit->View().GetSubview(0), nullptr);
        EXPECT_FLOAT_EQ(unit->View().GetSubview(0)->GetFrame().width, 320.0f);
    }
}

TEST(MoPubPlacement, ShowActsOnceAndMoveMoves) {
    MoPubHarness harness;
    harness.ads->SetViewportBounds(AdViewportBounds{0, 0, 480, 320});
    CustomAdUnit* unit = harness.ShowBanner(80, 0);
    ASSERT_NE(unit, nullptr);
    harness.ads->ShowBannerAd(kBannerAlias, 0, 200, false, 1.0f);
    EXPECT_FLOAT_EQ(unit->View().GetFrame().y, 0.0f);
    harness.ads->MoveBannerAd(kBannerAlias, 0, 200, false);
    EXPECT_FLOAT_EQ(unit->View().GetFrame().x, 0.0f);
    EXPECT_FLOAT_EQ(unit->View().GetFrame().y, 200.0f);
    harness.ads->MoveBannerAd(kBannerAlias, 0, 0, false, 0.5f);
    EXPECT_FLOAT_EQ(unit->View().GetFrame().width, 160.0f);

    harness.ads->HideBannerAd(kBannerAlias);
    EXPECT_EQ(harness.Delegate().GetAdView(kBannerUnit), nullptr);
    EXPECT_EQ(harness.client->RootViewController()->GetView()->GetSubviewCount(), 0);
}

TEST(MoPubPlacement, ATransparentBannerStillTakesTouches) {
    MoPubHarness harness;
    harness.ads->SetViewportBounds(AdViewportBounds{0, 0, 480, 320});
    CustomAdUnit* unit = harness.ShowBanner(80, 0);
    ASSERT_NE(unit, nullptr);
    harness.ads->SetBannerAdOpacity(kBannerAlias, 0.0f);
    AdView* hit = harness.client->Tap(100.0f, 10.0f);
    ASSERT_NE(hit, nullptr);
    EXPECT_TRUE(hit == &unit->View() || hit->GetSuperview() == &unit->View());
    EXPECT_FLOAT_EQ(unit->View().GetAlpha(), 0.0f);
    // Beside the banner the touch reaches the game's view.
    EXPECT_EQ(harness.client->Tap(10.0f, 10.0f), harness.client->RootViewController()->GetView());
}

TEST(MoPubPlacement, ABannerThatAsksToCloseGoes) {
    MoPubHarness harness;
    harness.ads->SetViewportBounds(AdViewportBounds{0, 0, 480, 320});
    ASSERT_NE(harness.ShowBanner(0, 0), nullptr);
    harness.client->RequestBannerClose(kBannerUnit);
    harness.Frames();
    EXPECT_EQ(harness.Delegate().GetAdView(kBannerUnit), nullptr);
    EXPECT_EQ(harness.client->RootViewController()->GetView()->GetSubviewCount(), 0);
}

TEST(MoPubPlacement, AnEmptyViewportPlacesNothing) {
    MoPubHarness harness;
    harness.ads->SetViewportBounds(AdViewportBounds{0, 0, 0, 0});
    CustomAdUnit* unit = harness.ShowBanner(80, 0);
    ASSERT_NE(unit, nullptr);
    EXPECT_FLOAT_EQ(unit->GetWidthScale(), 1.0f);
    EXPECT_FLOAT_EQ(unit->View().GetFrame().x, 0.0f);
}

}  // namespace
}  // namespace MoPubTest
}  // namespace Varnok
