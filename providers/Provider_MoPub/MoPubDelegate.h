// The platform side of the advertising glue: one banner view per ad unit id,
// placed over the game by turning UI-viewport positions into screen points,
// the full-screen controller in use, and the mediation client's callbacks.
#pragma once

#include "engine/services/ServiceTypes.h"
#include "providers/Provider_MoPub/CustomAdUnit.h"
#include "providers/Provider_MoPub/MediationClient.h"

#include <map>
#include <memory>
#include <string>

namespace Varnok {

class MoPubBridge;

class MoPubDelegate final : public MediationBannerDelegate, public MediationInterstitialDelegate {
public:
    // Takes the root view controller from the client and the viewport bounds
    // from its view's frame. client may be null: then nothing is shown and a
    // full-screen load fails at once. Both must outlive the delegate.
    MoPubDelegate(MoPubBridge& bridge, MediationClient* client);
    // Takes every banner off the screen and lets the client drop the
    // full-screen controller in use.
    ~MoPubDelegate() override;
    MoPubDelegate(const MoPubDelegate&) = delete;
    MoPubDelegate& operator=(const MoPubDelegate&) = delete;

    void SetViewportBounds(const AdViewportBounds& bounds) { m_viewportBounds = bounds; }
    const AdViewportBounds& GetViewportBounds() const { return m_viewportBounds; }

    void LoadFullscreenAd(const std::string& adUnitId);
    // Shows a loaded and ready ad; otherwise dismisses at once.
    void ShowFullscreenAd();
    // Takes down the interstitial when it is being shown (and no other modal
    // screen) and lets the client drop it.
    void HideFullscreenAd();
    // HideFullscreenAd, then the dismissed event.
    void DismissFullscreenAd();

    bool IsBannerAdLoaded(const std::string& adUnitId) const;
    // Replaces any banner of the id with a new hidden one and loads it.
    void LoadBannerAd(const std::string& adUnitId, const AdSize& size);
    void HideBannerAd(const std::string& adUnitId);
    // The show messages act only on a hidden banner.
    void ShowBannerAd(const std::string& adUnitId, float x, float y, bool centred, float scale);
    void ShowBannerAd(const std::string& adUnitId, float x, float y, bool centred, int width,
                      int height);
    void MoveBannerAd(const std::string& adUnitId, float x, float y, bool centred);
    void MoveBannerAd(const std::string& adUnitId, float x, float y, bool centred, float scale);
    // (x, y) and the size are in viewport units; centred puts the banner's
    // centre at (x, y), otherwise its top-left corner. Null does nothing.
    void SetBannerAd(CustomAdUnit* unit, float x, float y, bool centred, int width, int height);
    void SetBannerAdOpacity(const std::string& adUnitId, float opacity);
    void UpdateTexture(const std::string& adUnitId);

    CustomAdUnit* GetAdView(const std::string& adUnitId) const;  // null when none
    MediationInterstitial* GetInterstitialController() const { return m_interstitial; }
    int GetAdTextureWidth(const std::string& adUnitId) const;
    int GetAdTextureHeight(const std::string& adUnitId) const;
    AdRootViewController* GetRootViewController() const { return m_rootViewController; }

    // The mediation client's callbacks.
    AdRootViewController* GetViewControllerForPresentingModalView() override {
        return m_rootViewController;
    }
    void OnBannerLoaded(MediationBannerView& view) override;
    void OnBannerFailed(MediationBannerView& view) override;
    void OnBannerClose(MediationBannerView& view) override;
    void OnInterstitialLoaded(MediationInterstitial& controller) override;
    void OnInterstitialFailed(MediationInterstitial& controller) override;
    void OnInterstitialDidDisappear(MediationInterstitial& controller) override;

private:
    MoPubBridge& m_bridge;
    MediationClient* m_client;                        // may be null
    AdRootViewController* m_rootViewController = nullptr;  // not owned; may be null
    std::map<std::string, std::unique_ptr<CustomAdUnit>> m_adViews;
    MediationInterstitial* m_interstitial = nullptr;  // the client's; null when none
    AdViewportBounds m_viewportBounds;
};

}  // namespace Varnok
