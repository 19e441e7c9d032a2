// What the advertising provider uses of the platform: the ad mediation
// client (banner views, one shared full-screen controller per ad unit, the
// conversion tracker, adapters made by custom-event class name), the three
// ad-network clients the adapters stand on, and the few views and screens
// the ads are placed in. platform/ has stand-ins; the program installs one
// with MoPubBridge::InstallClient. Main thread only. The clients answer
// through listeners on a later frame, never inside the call that asked.
#pragma once

#include "engine/core/Delegate.h"
#include "engine/core/UIImageHelper.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace Varnok {

struct AdRect {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
};

// A view in points. Its transform is a scale about its centre; the frame is
// the scaled bounds around the centre, in the superview's points.
class AdView : public CapturableView {
public:
    virtual AdRect GetFrame() const = 0;
    // Bounds become the frame's size over the scale, the centre its middle.
    virtual void SetFrame(const AdRect& frame) = 0;
    virtual float GetCenterX() const = 0;
    virtual float GetCenterY() const = 0;
    virtual void SetCenter(float x, float y) = 0;
    virtual float GetScaleX() const = 0;
    virtual float GetScaleY() const = 0;
    virtual void SetScale(float scaleX, float scaleY) = 0;
    virtual float GetAlpha() const = 0;
    virtual void SetAlpha(float alpha) = 0;
    virtual int GetSubviewCount() const = 0;
    virtual AdView* GetSubview(int index) const = 0;  // null out of range
    virtual AdView* GetSuperview() const = 0;        // null when not placed
    // Not owned: a view leaves its superview when it is destroyed.
    virtual void AddSubview(AdView& view) = 0;
    virtual void RemoveFromSuperview() = 0;
    // The deepest view under the point (in the superview's points) that takes
    // touches; null when none. Hidden and nearly transparent (alpha below
    // 0.01) views take none.
    virtual AdView* HitTest(float x, float y) = 0;
};

// A button that sends its action on a touch that ends inside it.
class AdButton : public AdView {
public:
    virtual void SetImage(const char* bundleFileName) = 0;
    virtual void SetTouchUpInsideAction(Delegate0<void> action) = 0;
};

// Something shown modally over the game: a network's full-screen ad or a
// fallback screen of the provider's own.
class AdModalScreen {
public:
    virtual ~AdModalScreen() = default;
    virtual AdView* GetScreenView() = 0;  // may be null
};

// The application's root view controller.
class AdRootViewController {
public:
    virtual ~AdRootViewController() = default;
    virtual AdView* GetView() = 0;  // null when it has none
    // Not owned: the screen must stay until dismissed.
    virtual void PresentModal(AdModalScreen& screen, bool animated) = 0;
    // Dismisses the topmost modal screen; nothing without one.
    virtual void DismissModal(bool animated) = 0;
    virtual AdModalScreen* GetPresentedModal() = 0;  // the topmost, or null
};

// ---- The mediation client ----

class MediationBannerView;
class MediationInterstitial;

class MediationBannerDelegate {
public:
    virtual ~MediationBannerDelegate() = default;
    virtual AdRootViewController* GetViewControllerForPresentingModalView() = 0;
    virtual void OnBannerLoaded(MediationBannerView& view) = 0;
    virtual void OnBannerFailed(MediationBannerView& view) = 0;
    virtual void OnBannerClose(MediationBannerView& view) = 0;
};

// What a subclass of the banner view overrides of its hit test.
class BannerHitTestOverride {
public:
    virtual ~BannerHitTestOverride() = default;
    // view.BaseHitTest gives the base class's answer.
    virtual AdView* HitTest(MediationBannerView& view, float x, float y) = 0;
};

// A banner of one ad unit; the loaded ad's view becomes its first subview.
class MediationBannerView : public AdView {
public:
    virtual const std::string& GetAdUnitId() const = 0;
    virtual void SetDelegate(MediationBannerDelegate* delegate) = 0;  // not owned; may be null
    virtual void SetIgnoresAutorefresh(bool ignores) = 0;
    virtual void SetOpaque(bool opaque) = 0;
    virtual void SetClearsContextBeforeDrawing(bool clears) = 0;
    virtual void LoadAd() = 0;
    // Not owned; null for the base class's own.
    virtual void SetHitTestOverride(BannerHitTestOverride* override) = 0;
    virtual AdView* BaseHitTest(float x, float y) = 0;
};

class MediationInterstitialDelegate {
public:
    virtual ~MediationInterstitialDelegate() = default;
    virtual void OnInterstitialLoaded(MediationInterstitial& controller) = 0;
    virtual void OnInterstitialFailed(MediationInterstitial& controller) = 0;
    virtual void OnInterstitialDidDisappear(MediationInterstitial& controller) = 0;
};

// The shared full-screen controller of one ad unit, owned by the client.
class MediationInterstitial {
public:
    virtual ~MediationInterstitial() = default;
    virtual const std::string& GetAdUnitId() const = 0;
    virtual void SetDelegate(MediationInterstitialDelegate* delegate) = 0;  // not owned
    virtual void LoadAd() = 0;
    virtual bool IsReady() const = 0;
    virtual void ShowFromViewController(AdRootViewController& controller) = 0;
    // From its appearing until its disappearing.
    virtual bool IsShowing() const = 0;
};

// ---- Custom events: adapters for networks the client does not serve ----

// What the mediation service sends along with a custom event; unused here.
using CustomEventInfo = std::map<std::string, std::string>;

enum class FullscreenAdEvent { Loaded, Failed, WillAppear, DidAppear, WillDisappear, DidDisappear, Tapped };
enum class BannerAdEvent { Loaded, Failed, WillBeginAction, DidFinishAction, WillLeaveApplication };

class FullscreenCustomEventDelegate {
public:
    virtual ~FullscreenCustomEventDelegate() = default;
    virtual void OnFullscreenCustomEvent(FullscreenAdEvent event) = 0;
};

class BannerCustomEventDelegate {
public:
    virtual ~BannerCustomEventDelegate() = default;
    // view: the banner to show with Loaded, else null.
    virtual void OnBannerCustomEvent(BannerAdEvent event, AdView* view) = 0;
};

// The client's full-screen custom-event base.
class FullscreenCustomEvent {
public:
    virtual ~FullscreenCustomEvent() = default;
    void SetDelegate(FullscreenCustomEventDelegate* delegate) { m_delegate = delegate; }
    virtual void RequestAd(const CustomEventInfo& info) = 0;
    virtual void ShowFromViewController(AdRootViewController& controller) = 0;

protected:
    void Report(FullscreenAdEvent event) {
        if (m_delegate != nullptr) {
            m_delegate->OnFullscreenCustomEvent(event);
        }
    }

private:
    FullscreenCustomEventDelegate* m_delegate = nullptr;  // not owned
};

// The client's banner custom-event base.
class BannerCustomEvent {
public:
    virtual ~BannerCustomEvent() = default;
    void SetDelegate(BannerCustomEventDelegate* delegate) { m_delegate = delegate; }
    virtual void RequestAd(float width, float height, const CustomEventInfo& info) = 0;

protected:
    void Report(BannerAdEvent event, AdView* view = nullptr) {
        if (m_delegate != nullptr) {
            m_delegate->OnBannerCustomEvent(event, view);
        }
    }

private:
    BannerCustomEventDelegate* m_delegate = nullptr;  // not owned
};

using FullscreenCustomEventFactory = std::unique_ptr<FullscreenCustomEvent> (*)();
using BannerCustomEventFactory = std::unique_ptr<BannerCustomEvent> (*)();

// ---- The ad-network clients ----

enum class AdNetwork { Greystripe, Mobclix, InMobi };

enum class AdNetworkFormat {
    Fullscreen,
    Banner320x50,
    MediumRectangle300x250,
    TabletMediumRectangle300x250,  // Mobclix's tablet variant
};

enum class AdNetworkEvent {
    Loaded,
    Failed,
    Clicked,
    WillPresent,
    FailedToPresent,
    WillDismiss,
    DidDismiss,
    WillLeaveApplication,
};

class AdNetworkAd;

class AdNetworkListener {
public:
    virtual ~AdNetworkListener() = default;
    virtual void OnAdNetworkEvent(AdNetworkAd& ad, AdNetworkEvent event) = 0;
};

struct AdNetworkAdDef {
    AdNetwork network = AdNetwork::Greystripe;
    AdNetworkFormat format = AdNetworkFormat::Fullscreen;
    std::string key;              // the network's GUID or application id
    bool autoload = true;         // Greystripe banners: off
    float refreshSeconds = 0.0f;  // Mobclix views: -1 for no refresh
    int sizeCode = 0;             // InMobi's banner size code
    AdRect frame;                 // InMobi banners
};

// One ad object of a network client: a full-screen ad or a banner view.
class AdNetworkAd {
public:
    virtual ~AdNetworkAd() = default;
    virtual const AdNetworkAdDef& GetDef() const = 0;
    // Not owned; null silences the ad (adapters clear it when they go).
    virtual void SetListener(AdNetworkListener* listener) = 0;
    virtual void Fetch() = 0;
    virtual bool IsReady() const = 0;
    // Full-screen ads: shown modally from the controller.
    virtual void PresentFrom(AdRootViewController& controller, bool animated) = 0;
    // Banners: the view to show; null for full-screen ads.
    virtual AdView* GetView() = 0;
};

class AdNetworkClients {
public:
    virtual ~AdNetworkClients() = default;
    virtual std::unique_ptr<AdNetworkAd> CreateAd(const AdNetworkAdDef& def,
                                                  AdNetworkListener* listener) = 0;
    // Mobclix's client start with the application id.
    virtual void StartMobclix(const std::string& applicationId) = 0;
};

// ---- The installed whole ----

class MediationClient {
public:
    virtual ~MediationClient() = default;

    virtual std::unique_ptr<MediationBannerView> CreateBannerView(const std::string& adUnitId,
                                                                  float width, float height) = 0;
    // Made on first request; the client owns it until RemoveSharedInterstitial.
    virtual MediationInterstitial* GetSharedInterstitial(const std::string& adUnitId) = 0;
    // Null is ignored.
    virtual void RemoveSharedInterstitial(MediationInterstitial* controller) = 0;
    // The conversion tracker: the application was opened.
    virtual void ReportApplicationOpen(const std::string& applicationId) = 0;
    virtual void RegisterCustomEvent(const char* className, FullscreenCustomEventFactory factory) = 0;
    virtual void RegisterCustomEvent(const char* className, BannerCustomEventFactory factory) = 0;
    virtual AdNetworkClients& GetNetworks() = 0;

    // The UIKit side. The application delegate's root view controller; null
    // when it does not answer for one.
    virtual AdRootViewController* GetRootViewController() = 0;
    // The main screen's bounds; zero without a screen.
    virtual AdRect GetMainScreenBounds() = 0;
    virtual std::unique_ptr<AdView> CreateView(const AdRect& frame, uint32_t backgroundRgba) = 0;
    virtual std::unique_ptr<AdButton> CreateButton(const AdRect& frame) = 0;
};

}  // namespace Varnok
