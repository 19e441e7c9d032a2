// Banner placement and the full-screen ad's life over the mediation client.
#include "providers/Provider_MoPub/MoPubDelegate.h"

#include "engine/core/AsciiString.h"
#include "engine/core/Log.h"
#include "providers/Provider_MoPub/MoPubBridge.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace Varnok {

MoPubDelegate::MoPubDelegate(MoPubBridge& bridge, MediationClient* client)
    : m_bridge(bridge), m_client(client) {
    if (m_client == nullptr) {
        return;
    }
    m_rootViewController = m_client->GetRootViewController();
    if (m_rootViewController == nullptr) {
        return;
    }
    AdRect frame;
    if (const AdView* view = m_rootViewController->GetView()) {
        frame = view->GetFrame();
    }
    m_viewportBounds.m_left = static_cast<int32_t>(frame.x);
    m_viewportBounds.m_top = static_cast<int32_t>(frame.y);
    m_viewportBounds.m_right = static_cast<int32_t>(frame.width);
    m_viewportBounds.m_bottom = static_cast<int32_t>(frame.height);
}

MoPubDelegate::~MoPubDelegate() {
    for (auto& entry : m_adViews) {
        entry.second->View().RemoveFromSuperview();
    }
    m_adViews.clear();
    if (m_interstitial != nullptr) {
        m_interstitial->SetDelegate(nullptr);
        m_client->RemoveSharedInterstitial(m_interstitial);
        m_interstitial = nullptr;
    }
}

// ---- Full-screen ads ----

void MoPubDelegate::LoadFullscreenAd(const std::string& adUnitId) {
    if (m_client == nullptr) {
        Log("MoPub: no mediation client; the full-screen ad %s cannot load", adUnitId.c_str());
        m_bridge.CallFullscreenAdFailed();
        return;
    }
    m_interstitial = m_client->GetSharedInterstitial(adUnitId);
    if (m_interstitial == nullptr) {
        m_bridge.CallFullscreenAdFailed();
        return;
    }
    m_interstitial->SetDelegate(this);
    m_interstitial->LoadAd();
}

void MoPubDelegate::ShowFullscreenAd() {
    if (m_interstitial != nullptr && m_interstitial->IsReady() && m_rootViewController != nullptr) {
        m_interstitial->ShowFromViewController(*m_rootViewController);
        return;
    }
    DismissFullscreenAd();
}

void MoPubDelegate::HideFullscreenAd() {
    if (m_interstitial == nullptr) {
        return;
    }
    // Only the ad's own screen comes down: the game may have another modal
    // screen up (a dashboard, a sign-in) that is not the ad's to close.
    if (m_interstitial->IsShowing() && m_rootViewController != nullptr) {
        m_rootViewController->DismissModal(true);
    }
    MediationInterstitial* controller = m_interstitial;
    m_interstitial = nullptr;
    controller->SetDelegate(nullptr);
    m_client->RemoveSharedInterstitial(controller);
}

void MoPubDelegate::DismissFullscreenAd() {
    HideFullscreenAd();
    m_bridge.DispatchFullscreenAdDismissed();
}

void MoPubDelegate::OnInterstitialLoaded(MediationInterstitial& /*controller*/) {
    m_bridge.CallFullscreenAdLoaded();
}

void MoPubDelegate::OnInterstitialFailed(MediationInterstitial& /*controller*/) {
    m_interstitial = nullptr;
    HideFullscreenAd();
    m_bridge.CallFullscreenAdFailed();
}

void MoPubDelegate::OnInterstitialDidDisappear(MediationInterstitial& /*controller*/) {
    m_interstitial = nullptr;
    DismissFullscreenAd();
}

// ---- Banners ----

CustomAdUnit* MoPubDelegate::GetAdView(const std::string& adUnitId) const {
    const auto it = m_adViews.find(adUnitId);
    return it != m_adViews.end() ? it->second.get() : nullptr;
}

bool MoPubDelegate::IsBannerAdLoaded(const std::string& adUnitId) const {
    const CustomAdUnit* unit = GetAdView(adUnitId);
    return unit != nullptr && unit->IsLoaded();
}

void MoPubDelegate::LoadBannerAd(const std::string& adUnitId, const AdSize& size) {
    HideBannerAd(adUnitId);
    if (m_client == nullptr) {
        return;
    }
    std::unique_ptr<MediationBannerView> view = m_client->CreateBannerView(
        adUnitId, static_cast<float>(size.m_width), static_cast<float>(size.m_height));
    if (view == nullptr) {
        return;
    }
    auto unit = std::make_unique<CustomAdUnit>(std::move(view), size, m_bridge);
    MediationBannerView& banner = unit->View();
    banner.SetDelegate(this);
    banner.SetHitTestOverride(unit.get());
    banner.SetIgnoresAutorefresh(true);
    banner.SetHidden(true);
    banner.SetOpaque(false);
    banner.SetClearsContextBeforeDrawing(true);
    m_adViews[adUnitId] = std::move(unit);
    banner.LoadAd();
}

void MoPubDelegate::HideBannerAd(const std::string& adUnitId) {
    const auto it = m_adViews.find(adUnitId);
    if (it == m_adViews.end()) {
        return;
    }
    // Out of the map before it goes, so that nothing reaches it meanwhile.
    std::unique_ptr<CustomAdUnit> unit = std::move(it->second);
    m_adViews.erase(it);
    unit->View().RemoveFromSuperview();
}

void MoPubDelegate::ShowBannerAd(const std::string& adUnitId, float x, float y, bool centred,
                                 float scale) {
    const CustomAdUnit* unit = GetAdView(adUnitId);
    if (unit == nullptr || !unit->View().IsHidden()) {
        return;
    }
    const AdSize size = unit->GetOriginalSize();
    ShowBannerAd(adUnitId, x, y, centred, static_cast<int>(size.m_width * scale),
                 static_cast<int>(size.m_height * scale));
}

void MoPubDelegate::ShowBannerAd(const std::string& adUnitId, float x, float y, bool centred,
                                 int width, int height) {
    CustomAdUnit* unit = GetAdView(adUnitId);
    if (unit == nullptr || !unit->View().IsHidden()) {
        return;
    }
    unit->View().SetHidden(false);
    SetBannerAd(unit, x, y, centred, width, height);
    if (m_rootViewController != nullptr) {
        if (AdView* root = m_rootViewController->GetView()) {
            root->AddSubview(unit->View());
        }
    }
}

void MoPubDelegate::MoveBannerAd(const std::string& adUnitId, float x, float y, bool centred) {
    CustomAdUnit* unit = GetAdView(adUnitId);
    if (unit == nullptr) {
        return;
    }
    const AdSize size = unit->GetOriginalSize();
    SetBannerAd(unit, x, y, centred, static_cast<int>(size.m_width * unit->GetWidthScale()),
                static_cast<int>(size.m_height * unit->GetHeightScale()));
}

void MoPubDelegate::MoveBannerAd(const std::string& adUnitId, float x, float y, bool centred,
                                 float scale) {
    CustomAdUnit* unit = GetAdView(adUnitId);
    if (unit == nullptr) {
        return;
    }
    const AdSize size = unit->GetOriginalSize();
    SetBannerAd(unit, x, y, centred, static_cast<int>(size.m_width * scale),
                static_cast<int>(size.m_height * scale));
}

void MoPubDelegate::SetBannerAd(CustomAdUnit* unit, float x, float y, bool centred, int width,
                                int height) {
    if (unit == nullptr) {
        return;
    }
    const float viewportWidth =
        static_cast<float>(m_viewportBounds.m_right) - static_cast<float>(m_viewportBounds.m_left);
    const float viewportHeight =
        static_cast<float>(m_viewportBounds.m_bottom) - static_cast<float>(m_viewportBounds.m_top);
    if (viewportWidth == 0.0f || viewportHeight == 0.0f) {
        Log("MoPub: the viewport (%d, %d, %d, %d) is empty; the banner is not placed",
            m_viewportBounds.m_left, m_viewportBounds.m_top, m_viewportBounds.m_right,
            m_viewportBounds.m_bottom);
        return;
    }
    float rootWidth = 0.0f;
    float rootHeight = 0.0f;
    if (m_rootViewController != nullptr) {
        if (const AdView* root = m_rootViewController->GetView()) {
            rootWidth = root->GetFrame().width;
            rootHeight = root->GetFrame().height;
        }
    }
    // The screen is measured the way the viewport is turned.
    const bool landscape = viewportWidth > viewportHeight;
    const float screenX = landscape ? std::max(rootWidth, rootHeight) : std::min(rootWidth, rootHeight);
    const float screenY = landscape ? std::min(rootWidth, rootHeight) : std::max(rootWidth, rootHeight);
    const int newWidth = static_cast<int>(width * screenX / std::fabs(viewportWidth));
    const int newHeight = static_cast<int>(height * screenY / std::fabs(viewportHeight));

    MediationBannerView& view = unit->View();
    const AdSize created = unit->GetOriginalSize();
    if (AdView* content = view.GetSubview(0)) {
        content->SetFrame(AdRect{0.0f, 0.0f, static_cast<float>(created.m_width),
                                 static_cast<float>(created.m_height)});
    }
    // A banner made at size 0 keeps scale 1 on that side rather than divide by it.
    const float scaleX = created.m_width != 0 ? static_cast<float>(newWidth) / created.m_width : 1.0f;
    const float scaleY = created.m_height != 0 ? static_cast<float>(newHeight) / created.m_height : 1.0f;
    unit->SetScale(scaleX, scaleY);

    const float screenPosX = screenX * (x - m_viewportBounds.m_left) / viewportWidth;
    const float screenPosY = screenY * (y - m_viewportBounds.m_top) / viewportHeight;
    if (centred) {
        view.SetCenter(screenPosX, screenPosY);
    } else {
        const AdRect frame = view.GetFrame();
        view.SetCenter(screenPosX + frame.width * 0.5f, screenPosY + frame.height * 0.5f);
    }
}

void MoPubDelegate::SetBannerAdOpacity(const std::string& adUnitId, float opacity) {
    if (CustomAdUnit* unit = GetAdView(adUnitId)) {
        unit->View().SetAlpha(opacity);
    }
}

void MoPubDelegate::UpdateTexture(const std::string& adUnitId) {
    if (CustomAdUnit* unit = GetAdView(adUnitId)) {
        unit->UpdateTexture(adUnitId.c_str());
    }
}

int MoPubDelegate::GetAdTextureWidth(const std::string& adUnitId) const {
    const CustomAdUnit* unit = GetAdView(adUnitId);
    return unit != nullptr ? unit->ActualTextureDimensions().m_width : 0;
}

int MoPubDelegate::GetAdTextureHeight(const std::string& adUnitId) const {
    const CustomAdUnit* unit = GetAdView(adUnitId);
    return unit != nullptr ? unit->ActualTextureDimensions().m_height : 0;
}

// ---- Banner callbacks ----

void MoPubDelegate::OnBannerLoaded(MediationBannerView& view) {
    if (CustomAdUnit* unit = GetAdView(view.GetAdUnitId())) {
        unit->SetLoaded(true);
    }
    m_bridge.CallBannerAdLoaded();
}

void MoPubDelegate::OnBannerFailed(MediationBannerView& /*view*/) {
    m_bridge.CallBannerAdFailed();
}

void MoPubDelegate::OnBannerClose(MediationBannerView& view) {
    // A copy: the view goes with the hiding.
    const std::string adUnitId = view.GetAdUnitId();
    HideBannerAd(adUnitId);
}

}  // namespace Varnok
