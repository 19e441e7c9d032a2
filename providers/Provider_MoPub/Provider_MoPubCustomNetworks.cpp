// The three custom networks' key holders and adapters.
#include "providers/Provider_MoPub/Provider_MoPubCustomNetworks.h"

#include "engine/core/Log.h"
#include "providers/Provider_MoPub/MoPubBridge.h"

#include <algorithm>

namespace Varnok {
namespace {

// A key that may be missing altogether (never given, or given as null).
struct NetworkKey {
    bool present = false;
    std::string value;

    void Set(const char* text) {
        present = text != nullptr;
        value = text != nullptr ? text : "";
    }
    bool IsValid() const { return present && !value.empty(); }
};

NetworkKey& GreystripeGuid() {
    static NetworkKey s_key;
    return s_key;
}

NetworkKey& InMobiAppId() {
    static NetworkKey s_key;
    return s_key;
}

bool& MobclixInitialised() {
    static bool s_initialised = false;
    return s_initialised;
}

AdNetworkClients* Networks() {
    MediationClient* client = MoPubBridge::GetInstalledClient();
    return client != nullptr ? &client->GetNetworks() : nullptr;
}

// The network's ad, listened to by the adapter; null without a client.
std::unique_ptr<AdNetworkAd> CreateAd(const AdNetworkAdDef& def, AdNetworkListener* listener) {
    AdNetworkClients* networks = Networks();
    if (networks == nullptr) {
        Log("MoPub Custom: no ad-network client");
        return nullptr;
    }
    return networks->CreateAd(def, listener);
}

void Silence(std::unique_ptr<AdNetworkAd>& ad) {
    if (ad != nullptr) {
        ad->SetListener(nullptr);
        ad.reset();
    }
}

// Replaces the adapter's ad with a new one of def and starts fetching it;
// false when no ad could be made.
bool Refetch(std::unique_ptr<AdNetworkAd>& ad, const AdNetworkAdDef& def, AdNetworkListener* listener) {
    Silence(ad);
    ad = CreateAd(def, listener);
    if (ad == nullptr) {
        return false;
    }
    ad->Fetch();
    return true;
}

bool IsBannerSize(float width, float height, float expectedWidth, float expectedHeight) {
    return width == expectedWidth && height == expectedHeight;
}

template <typename T, typename Base>
std::unique_ptr<Base> Make() {
    return std::make_unique<T>();
}

}  // namespace

void RegisterCustomNetworkAdapters(MediationClient& client) {
    client.RegisterCustomEvent(Provider_MoPubCustomNetwork_Greystripe_Fullscreen::kClassName,
                               &Make<Provider_MoPubCustomNetwork_Greystripe_Fullscreen, FullscreenCustomEvent>);
    client.RegisterCustomEvent(Provider_MoPubCustomNetwork_Greystripe_Banner::kClassName,
                               &Make<Provider_MoPubCustomNetwork_Greystripe_Banner, BannerCustomEvent>);
    client.RegisterCustomEvent(Provider_MoPubCustomNetwork_Mobclix_Fullscreen::kClassName,
                               &Make<Provider_MoPubCustomNetwork_Mobclix_Fullscreen, FullscreenCustomEvent>);
    client.RegisterCustomEvent(Provider_MoPubCustomNetwork_Mobclix_Banner::kClassName,
                               &Make<Provider_MoPubCustomNetwork_Mobclix_Banner, BannerCustomEvent>);
    client.RegisterCustomEvent(Provider_MoPubCustomNetwork_InMobi_Fullscreen::kClassName,
                               &Make<Provider_MoPubCustomNetwork_InMobi_Fullscreen, FullscreenCustomEvent>);
    client.RegisterCustomEvent(Provider_MoPubCustomNetwork_InMobi_Banner::kClassName,
                               &Make<Provider_MoPubCustomNetwork_InMobi_Banner, BannerCustomEvent>);
}

// ---- Key holders ----

void Provider_MoPubCustomNetwork_Greystripe::InitGreystripe(const char* guid) {
    GreystripeGuid().Set(guid);
}

bool Provider_MoPubCustomNetwork_Greystripe::ValidGUID() {
    if (GreystripeGuid().IsValid()) {
        return true;
    }
    Log("MoPub Custom Greystripe: invalid GUID!");
    return false;
}

const std::string& Provider_MoPubCustomNetwork_Greystripe::GetGUID() {
    return GreystripeGuid().value;
}

void Provider_MoPubCustomNetwork_Mobclix::InitMobclix(const char* applicationId) {
    if (AdNetworkClients* networks = Networks()) {
        networks->StartMobclix(applicationId != nullptr ? applicationId : "");
    }
    if (applicationId != nullptr && applicationId[0] != '\0') {
        MobclixInitialised() = true;
    }
}

bool Provider_MoPubCustomNetwork_Mobclix::Initialised() {
    if (!MobclixInitialised()) {
        Log("MoPub Custom Mobclix: not initialised!");
    }
    return MobclixInitialised();
}

void Provider_MoPubCustomNetwork_Mobclix::ForgetInitialisation() {
    MobclixInitialised() = false;
}

void Provider_MoPubCustomNetwork_InMobi::InitInMobi(const char* applicationId) {
    InMobiAppId().Set(applicationId);
}

bool Provider_MoPubCustomNetwork_InMobi::ValidAppID() {
    if (InMobiAppId().IsValid()) {
        return true;
    }
    Log("MoPub Custom InMobi: invalid App ID!");
    return false;
}

const std::string& Provider_MoPubCustomNetwork_InMobi::GetAppID() {
    return InMobiAppId().value;
}

// ---- Greystripe ----

Provider_MoPubCustomNetwork_Greystripe_Fullscreen::~Provider_MoPubCustomNetwork_Greystripe_Fullscreen() {
    Silence(m_fullscreenAd);
}

void Provider_MoPubCustomNetwork_Greystripe_Fullscreen::RequestAd(const CustomEventInfo& /*info*/) {
    if (!Provider_MoPubCustomNetwork_Greystripe::ValidGUID()) {
        Report(FullscreenAdEvent::Failed);
        return;
    }
    AdNetworkAdDef def;
    def.network = AdNetwork::Greystripe;
    def.format = AdNetworkFormat::Fullscreen;
    def.key = Provider_MoPubCustomNetwork_Greystripe::GetGUID();
    if (!Refetch(m_fullscreenAd, def, this)) {
        Report(FullscreenAdEvent::Failed);
    }
}

void Provider_MoPubCustomNetwork_Greystripe_Fullscreen::ShowFromViewController(AdRootViewController& controller) {
    if (m_fullscreenAd != nullptr && m_fullscreenAd->IsReady()) {
        m_fullscreenAd->PresentFrom(controller, true);
        return;
    }
    Report(FullscreenAdEvent::Failed);
}

void Provider_MoPubCustomNetwork_Greystripe_Fullscreen::OnAdNetworkEvent(AdNetworkAd& /*ad*/,
                                                                         AdNetworkEvent event) {
    switch (event) {
        case AdNetworkEvent::Loaded:
            Log("Greystripe fullscreen loaded");
            Report(FullscreenAdEvent::Loaded);
            break;
        case AdNetworkEvent::Failed:
            Log("Greystripe fullscreen failed to load");
            Report(FullscreenAdEvent::Failed);
            break;
        case AdNetworkEvent::Clicked:
            Report(FullscreenAdEvent::Tapped);
            break;
        case AdNetworkEvent::WillPresent:
            Report(FullscreenAdEvent::WillAppear);
            Report(FullscreenAdEvent::DidAppear);
            break;
        case AdNetworkEvent::WillDismiss:
            Report(FullscreenAdEvent::WillDisappear);
            break;
        case AdNetworkEvent::DidDismiss:
            Report(FullscreenAdEvent::DidDisappear);
            break;
        default:
            break;
    }
}

Provider_MoPubCustomNetwork_Greystripe_Banner::~Provider_MoPubCustomNetwork_Greystripe_Banner() {
    Silence(m_bannerAd);
}

void Provider_MoPubCustomNetwork_Greystripe_Banner::RequestAd(float width, float height,
                                                              const CustomEventInfo& /*info*/) {
    if (!Provider_MoPubCustomNetwork_Greystripe::ValidGUID()) {
        Report(BannerAdEvent::Failed);
        return;
    }
    AdNetworkAdDef def;
    def.network = AdNetwork::Greystripe;
    def.key = Provider_MoPubCustomNetwork_Greystripe::GetGUID();
    def.autoload = false;
    if (IsBannerSize(width, height, 320.0f, 50.0f)) {
        def.format = AdNetworkFormat::Banner320x50;
    } else if (IsBannerSize(width, height, 300.0f, 250.0f)) {
        def.format = AdNetworkFormat::MediumRectangle300x250;
    } else {
        return;  // no view of that size: the request stays unanswered
    }
    Refetch(m_bannerAd, def, this);
}

void Provider_MoPubCustomNetwork_Greystripe_Banner::OnAdNetworkEvent(AdNetworkAd& /*ad*/,
                                                                     AdNetworkEvent event) {
    switch (event) {
        case AdNetworkEvent::Loaded:
            Log("Greystripe banner loaded");
            Report(BannerAdEvent::Loaded, m_bannerAd != nullptr ? m_bannerAd->GetView() : nullptr);
            break;
        case AdNetworkEvent::Failed:
            Log("Greystripe banner failed to load");
            Report(BannerAdEvent::Failed);
            break;
        case AdNetworkEvent::Clicked:
            Report(BannerAdEvent::WillLeaveApplication);
            break;
        case AdNetworkEvent::WillPresent:
            Report(BannerAdEvent::WillBeginAction);
            break;
        case AdNetworkEvent::DidDismiss:
            Report(BannerAdEvent::DidFinishAction);
            break;
        default:
            break;
    }
}

// ---- Mobclix ----

Provider_MoPubCustomNetwork_Mobclix_FallbackFullscreenController::
    Provider_MoPubCustomNetwork_Mobclix_FallbackFullscreenController(MediationClient& client,
                                                                     Delegate0<void> closeAction) {
    const AdRect screen = client.GetMainScreenBounds();
    const float longSide = std::max(screen.width, screen.height);
    const float shortSide = std::min(screen.width, screen.height);
    constexpr uint32_t kBlack = 0x000000FF;
    m_view = client.CreateView(AdRect{0.0f, 0.0f, longSide, shortSide}, kBlack);
    m_closeButton = client.CreateButton(AdRect{longSide - 44.0f, 8.0f, 36.0f, 36.0f});
    if (m_closeButton != nullptr) {
        m_closeButton->SetImage(kCloseButtonImage);
        if (m_view != nullptr) {
            m_view->AddSubview(*m_closeButton);
        }
        if (!closeAction.IsEmpty()) {
            m_closeButton->SetTouchUpInsideAction(closeAction);
        }
    }
}

Provider_MoPubCustomNetwork_Mobclix_FallbackFullscreenController::
    ~Provider_MoPubCustomNetwork_Mobclix_FallbackFullscreenController() {
    m_closeButton.reset();  // leaves the view first
    m_view.reset();
}

Provider_MoPubCustomNetwork_Mobclix_Fullscreen::~Provider_MoPubCustomNetwork_Mobclix_Fullscreen() {
    if (m_presenter != nullptr && m_fallbackController != nullptr &&
        m_presenter->GetPresentedModal() == m_fallbackController.get()) {
        m_presenter->DismissModal(false);  // never leave the screen up without its owner
    }
    Silence(m_fullscreenAd);
    Silence(m_fallbackFullscreenAd);
    m_fallbackController.reset();
}

void Provider_MoPubCustomNetwork_Mobclix_Fullscreen::RequestAd(const CustomEventInfo& /*info*/) {
    if (!Provider_MoPubCustomNetwork_Mobclix::Initialised()) {
        Report(FullscreenAdEvent::Failed);
        return;
    }
    AdNetworkAdDef def;
    def.network = AdNetwork::Mobclix;
    def.format = AdNetworkFormat::Fullscreen;
    if (!Refetch(m_fullscreenAd, def, this)) {
        Report(FullscreenAdEvent::Failed);
    }
}

void Provider_MoPubCustomNetwork_Mobclix_Fullscreen::LoadFallbackAd() {
    MediationClient* client = MoPubBridge::GetInstalledClient();
    if (!Provider_MoPubCustomNetwork_Mobclix::Initialised() || client == nullptr) {
        Report(FullscreenAdEvent::Failed);
        return;
    }
    m_fallbackController = std::make_unique<Provider_MoPubCustomNetwork_Mobclix_FallbackFullscreenController>(
        *client, Delegate0<void>(this, &Provider_MoPubCustomNetwork_Mobclix_Fullscreen::FallbackClosed));
    AdNetworkAdDef def;
    def.network = AdNetwork::Mobclix;
    def.format = AdNetworkFormat::TabletMediumRectangle300x250;
    def.refreshSeconds = -1.0f;  // no refresh
    if (!Refetch(m_fallbackFullscreenAd, def, this)) {
        Report(FullscreenAdEvent::Failed);
    }
}

void Provider_MoPubCustomNetwork_Mobclix_Fullscreen::ShowFromViewController(AdRootViewController& controller) {
    if (m_fullscreenAd != nullptr && m_fullscreenAd->IsReady()) {
        m_fullscreenAd->PresentFrom(controller, true);
        return;
    }
    AdView* adView = m_fallbackFullscreenAd != nullptr ? m_fallbackFullscreenAd->GetView() : nullptr;
    AdView* screenView = m_fallbackController != nullptr ? m_fallbackController->GetScreenView() : nullptr;
    if (adView == nullptr || screenView == nullptr) {
        Report(FullscreenAdEvent::Failed);
        return;
    }
    const AdRect frame = screenView->GetFrame();
    const float longSide = std::max(frame.width, frame.height);
    const float shortSide = std::min(frame.width, frame.height);
    adView->SetFrame(AdRect{(longSide - kFallbackWidth) / 2.0f, (shortSide - kFallbackHeight) / 2.0f,
                            kFallbackWidth, kFallbackHeight});
    screenView->AddSubview(*adView);
    m_presenter = &controller;
    controller.PresentModal(*m_fallbackController, true);
    Report(FullscreenAdEvent::WillAppear);
    Report(FullscreenAdEvent::DidAppear);
}

void Provider_MoPubCustomNetwork_Mobclix_Fullscreen::FallbackClosed() {
    if (m_presenter != nullptr && m_presenter->GetPresentedModal() == m_fallbackController.get()) {
        m_presenter->DismissModal(true);
    }
    m_presenter = nullptr;
    Report(FullscreenAdEvent::WillDisappear);
    Report(FullscreenAdEvent::DidDisappear);
}

void Provider_MoPubCustomNetwork_Mobclix_Fullscreen::OnAdNetworkEvent(AdNetworkAd& ad, AdNetworkEvent event) {
    if (&ad == m_fallbackFullscreenAd.get()) {
        if (event == AdNetworkEvent::Loaded) {
            Log("Mobclix fallback fullscreen loaded");
            Report(FullscreenAdEvent::Loaded);
        } else if (event == AdNetworkEvent::Failed) {
            Log("Mobclix fallback fullscreen failed to load");
            Report(FullscreenAdEvent::Failed);
        }
        return;
    }
    switch (event) {
        case AdNetworkEvent::Loaded:
            Log("Mobclix fullscreen loaded");
            Report(FullscreenAdEvent::Loaded);
            break;
        case AdNetworkEvent::Failed:
            Log("Mobclix fullscreen failed to load - trying fallback");
            LoadFallbackAd();
            break;
        case AdNetworkEvent::WillPresent:
            Report(FullscreenAdEvent::WillAppear);
            Report(FullscreenAdEvent::DidAppear);
            break;
        case AdNetworkEvent::DidDismiss:
            Report(FullscreenAdEvent::WillDisappear);
            Report(FullscreenAdEvent::DidDisappear);
            break;
        default:
            break;
    }
}

Provider_MoPubCustomNetwork_Mobclix_Banner::~Provider_MoPubCustomNetwork_Mobclix_Banner() {
    Silence(m_bannerAd);
}

void Provider_MoPubCustomNetwork_Mobclix_Banner::RequestAd(float width, float height,
                                                           const CustomEventInfo& /*info*/) {
    if (!Provider_MoPubCustomNetwork_Mobclix::Initialised()) {
        Report(BannerAdEvent::Failed);
        return;
    }
    AdNetworkAdDef def;
    def.network = AdNetwork::Mobclix;
    if (IsBannerSize(width, height, 320.0f, 50.0f)) {
        def.format = AdNetworkFormat::Banner320x50;
    } else if (IsBannerSize(width, height, 300.0f, 250.0f)) {
        def.format = AdNetworkFormat::MediumRectangle300x250;
    } else {
        return;
    }
    Refetch(m_bannerAd, def, this);
}

void Provider_MoPubCustomNetwork_Mobclix_Banner::OnAdNetworkEvent(AdNetworkAd& /*ad*/, AdNetworkEvent event) {
    if (event == AdNetworkEvent::Loaded) {
        Log("Mobclix banner ad loaded");
        Report(BannerAdEvent::Loaded, m_bannerAd != nullptr ? m_bannerAd->GetView() : nullptr);
    } else if (event == AdNetworkEvent::Failed) {
        Log("Mobclix banner ad failed to load");
        Report(BannerAdEvent::Failed);
    }
}

// ---- InMobi ----

Provider_MoPubCustomNetwork_InMobi_Fullscreen::~Provider_MoPubCustomNetwork_InMobi_Fullscreen() {
    Silence(m_fullscreenAd);
}

void Provider_MoPubCustomNetwork_InMobi_Fullscreen::RequestAd(const CustomEventInfo& /*info*/) {
    if (!Provider_MoPubCustomNetwork_InMobi::ValidAppID()) {
        Report(FullscreenAdEvent::Failed);
        return;
    }
    AdNetworkAdDef def;
    def.network = AdNetwork::InMobi;
    def.format = AdNetworkFormat::Fullscreen;
    def.key = Provider_MoPubCustomNetwork_InMobi::GetAppID();
    if (!Refetch(m_fullscreenAd, def, this)) {
        Report(FullscreenAdEvent::Failed);
    }
}

void Provider_MoPubCustomNetwork_InMobi_Fullscreen::ShowFromViewController(AdRootViewController& controller) {
    if (m_fullscreenAd != nullptr) {
        m_fullscreenAd->PresentFrom(controller, true);
    }
}

void Provider_MoPubCustomNetwork_InMobi_Fullscreen::OnAdNetworkEvent(AdNetworkAd& /*ad*/, AdNetworkEvent event) {
    switch (event) {
        case AdNetworkEvent::Loaded:
            Log("InMobi fullscreen loaded");
            Report(FullscreenAdEvent::Loaded);
            break;
        case AdNetworkEvent::Failed:
            Log("InMobi fullscreen failed to load");
            Report(FullscreenAdEvent::Failed);
            break;
        case AdNetworkEvent::WillPresent:
            Report(FullscreenAdEvent::WillAppear);
            Report(FullscreenAdEvent::DidAppear);
            break;
        case AdNetworkEvent::FailedToPresent:
            Report(FullscreenAdEvent::Failed);
            break;
        case AdNetworkEvent::WillDismiss:
            Report(FullscreenAdEvent::WillDisappear);
            break;
        case AdNetworkEvent::DidDismiss:
            Report(FullscreenAdEvent::DidDisappear);
            break;
        case AdNetworkEvent::WillLeaveApplication:
            Report(FullscreenAdEvent::Tapped);
            break;
        default:
            break;
    }
}

Provider_MoPubCustomNetwork_InMobi_Banner::~Provider_MoPubCustomNetwork_InMobi_Banner() {
    Silence(m_bannerAd);
}

void Provider_MoPubCustomNetwork_InMobi_Banner::RequestAd(float width, float height,
                                                          const CustomEventInfo& /*info*/) {
    if (!Provider_MoPubCustomNetwork_InMobi::ValidAppID()) {
        Report(BannerAdEvent::Failed);
        return;
    }
    AdNetworkAdDef def;
    def.network = AdNetwork::InMobi;
    def.key = Provider_MoPubCustomNetwork_InMobi::GetAppID();
    if (IsBannerSize(width, height, 320.0f, 50.0f)) {
        def.format = AdNetworkFormat::Banner320x50;
        def.sizeCode = kSizeCode320x50;
        def.frame = AdRect{0.0f, 0.0f, 320.0f, 50.0f};
    } else if (IsBannerSize(width, height, 300.0f, 250.0f)) {
        def.format = AdNetworkFormat::MediumRectangle300x250;
        def.sizeCode = kSizeCode300x250;
        def.frame = AdRect{0.0f, 0.0f, 300.0f, 250.0f};
    } else {
        return;
    }
    Refetch(m_bannerAd, def, this);
}

void Provider_MoPubCustomNetwork_InMobi_Banner::OnAdNetworkEvent(AdNetworkAd& /*ad*/, AdNetworkEvent event) {
    switch (event) {
        case AdNetworkEvent::Loaded:
            Log("InMobi banner ad loaded");
            Report(BannerAdEvent::Loaded, m_bannerAd != nullptr ? m_bannerAd->GetView() : nullptr);
            break;
        case AdNetworkEvent::Failed:
            Log("InMobi banner ad failed to load");
            Report(BannerAdEvent::Failed);
            break;
        case AdNetworkEvent::WillPresent:
            Report(BannerAdEvent::WillBeginAction);
            break;
        case AdNetworkEvent::DidDismiss:
            Report(BannerAdEvent::DidFinishAction);
            break;
        case AdNetworkEvent::WillLeaveApplication:
            Report(BannerAdEvent::WillLeaveApplication);
            break;
        default:
            break;
    }
}

}  // namespace Varnok
