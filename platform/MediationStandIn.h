// A stand-in for the ad mediation client and the screen it shows ads on:
// banner views and shared full-screen controllers that load on a later
// frame, fill, fail or hand the request to a custom-event adapter as a test
// scripts each ad unit, a conversion tracker that records its reports, and
// the three network clients. Frames advance with the platform hub's
// post-update (the shell's frame) or with AdvanceFrame.
#pragma once

#include "platform/AdNetworkStandIns.h"
#include "platform/MediationViews.h"
#include "providers/Provider_MoPub/MediationClient.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class StandInInterstitial;

struct MediationStandInDef {
    AdRect rootViewFrame{0.0f, 0.0f, 320.0f, 480.0f};
    AdRect screenBounds{0.0f, 0.0f, 320.0f, 480.0f};
    bool hasRootViewController = true;  // false: the application delegate has none
};

// What the mediation service answers for an ad unit.
struct AdUnitScript {
    bool fills = true;
    std::string customEventClass;  // non-empty: an adapter of that class serves it
    uint32_t colourLeft = 0xD02020FF;   // the banner's picture: two halves (RGBA)
    uint32_t colourRight = 0x20A040FF;
    int frames = 1;                     // frames until the answer
};

class MediationStandIn final : public MediationClient {
public:
    explicit MediationStandIn(const MediationStandInDef& def = MediationStandInDef());
    ~MediationStandIn() override;
    MediationStandIn(const MediationStandIn&) = delete;
    MediationStandIn& operator=(const MediationStandIn&) = delete;

    // ---- Scripting and the simulated user ----
    void SetAdUnit(const std::string& adUnitId, const AdUnitScript& script);
    const AdUnitScript& GetAdUnit(const std::string& adUnitId) const;
    void AdvanceFrame();
    void AdvanceFrames(int count);
    // The user closes the full-screen ad on the screen (the mediation's own
    // or a network's); false when none is up.
    bool CloseFullscreenAd();
    // The banner of the ad unit asks to close, on a later frame.
    void RequestBannerClose(const std::string& adUnitId);
    // A finger lifted at (x, y) of the screen: the view under it, after a
    // button there has sent its action.
    AdView* Tap(float x, float y);
    AdNetworkStandIns& Networks() { return m_networks; }
    StandInRootViewController* RootViewController() { return m_root.get(); }  // may be null
    const std::vector<std::string>& GetConversionReports() const { return m_conversions; }
    bool HasCustomEvent(const char* className) const;
    int GetSharedInterstitialCount() const { return static_cast<int>(m_interstitials.size()); }
    MediationFrameQueue& Queue() { return m_queue; }

    // ---- MediationClient ----
    std::unique_ptr<MediationBannerView> CreateBannerView(const std::string& adUnitId, float width,
                                                          float height) override;
    MediationInterstitial* GetSharedInterstitial(const std::string& adUnitId) override;
    void RemoveSharedInterstitial(MediationInterstitial* controller) override;
    void ReportApplicationOpen(const std::string& applicationId) override;
    void RegisterCustomEvent(const char* className, FullscreenCustomEventFactory factory) override;
    void RegisterCustomEvent(const char* className, BannerCustomEventFactory factory) override;
    AdNetworkClients& GetNetworks() override { return m_networks; }
    AdRootViewController* GetRootViewController() override { return m_root.get(); }
    AdRect GetMainScreenBounds() override { return m_def.screenBounds; }
    std::unique_ptr<AdView> CreateView(const AdRect& frame, uint32_t backgroundRgba) override;
    std::unique_ptr<AdButton> CreateButton(const AdRect& frame) override;

    // For the views and controllers.
    std::unique_ptr<FullscreenCustomEvent> MakeFullscreenCustomEvent(const std::string& className) const;
    std::unique_ptr<BannerCustomEvent> MakeBannerCustomEvent(const std::string& className) const;

private:
    void OnPostUpdate(float stepSeconds);

    MediationStandInDef m_def;
    MediationFrameQueue m_queue;
    AdNetworkStandIns m_networks;
    std::unique_ptr<StandInRootViewController> m_root;
    std::map<std::string, AdUnitScript> m_adUnits;
    std::map<std::string, std::unique_ptr<StandInInterstitial>> m_interstitials;
    std::map<std::string, FullscreenCustomEventFactory> m_fullscreenEvents;
    std::map<std::string, BannerCustomEventFactory> m_bannerEvents;
    std::map<std::string, std::vector<MediationBannerView*>> m_banners;  // by ad unit, alive
    std::vector<std::string> m_conversions;

    friend class StandInBannerView;
};

}  // namespace Varnok
