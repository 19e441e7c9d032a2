// Adapters through which the mediation client serves three ad networks it
// does not serve itself: Greystripe, Mobclix and InMobi, each a full-screen
// and a banner adapter, with a key holder per network and, for Mobclix, a
// fallback screen. The mediation service names the adapters by class name,
// so the names are part of the interface, letter for letter. The network
// clients are the installed mediation client's.
#pragma once

#include "providers/Provider_MoPub/MediationClient.h"

#include <memory>
#include <string>

namespace Varnok {

// Registers the six adapters' factories under their class names.
void RegisterCustomNetworkAdapters(MediationClient& client);

// The key holders keep one key a network for the whole process; a later
// Init replaces it, null forgets it.
class Provider_MoPubCustomNetwork_Greystripe {
public:
    static void InitGreystripe(const char* guid);
    // Logs a line and answers false without a non-empty GUID.
    static bool ValidGUID();
    static const std::string& GetGUID();
};

class Provider_MoPubCustomNetwork_Mobclix {
public:
    // Starts the Mobclix client with the id (even an empty one); only a
    // non-empty id makes the network initialised.
    static void InitMobclix(const char* applicationId);
    // Logs a line first when false.
    static bool Initialised();
    // The provider never clears the flag; tests start afresh with this.
    static void ForgetInitialisation();
};

class Provider_MoPubCustomNetwork_InMobi {
public:
    static void InitInMobi(const char* applicationId);
    // Logs a line and answers false without a non-empty id.
    static bool ValidAppID();
    static const std::string& GetAppID();
};

class Provider_MoPubCustomNetwork_Greystripe_Fullscreen final : public FullscreenCustomEvent,
                                                                 public AdNetworkListener {
public:
    static constexpr const char* kClassName = "Provider_MoPubCustomNetwork_Greystripe_Fullscreen";
    ~Provider_MoPubCustomNetwork_Greystripe_Fullscreen() override;
    void RequestAd(const CustomEventInfo& info) override;
    void ShowFromViewController(AdRootViewController& controller) override;
    void OnAdNetworkEvent(AdNetworkAd& ad, AdNetworkEvent event) override;

private:
    std::unique_ptr<AdNetworkAd> m_fullscreenAd;
};

class Provider_MoPubCustomNetwork_Greystripe_Banner final : public BannerCustomEvent,
                                                             public AdNetworkListener {
public:
    static constexpr const char* kClassName = "Provider_MoPubCustomNetwork_Greystripe_Banner";
    ~Provider_MoPubCustomNetwork_Greystripe_Banner() override;
    void RequestAd(float width, float height, const CustomEventInfo& info) override;
    void OnAdNetworkEvent(AdNetworkAd& ad, AdNetworkEvent event) override;

private:
    std::unique_ptr<AdNetworkAd> m_bannerAd;
};

// Mobclix's own 300 x 250 ad shown full screen when its full-screen ad has
// none: a black screen over the whole display with a close button at the
// top right.
class Provider_MoPubCustomNetwork_Mobclix_FallbackFullscreenController final : public AdModalScreen {
public:
    static constexpr const char* kCloseButtonImage = "MPCloseButtonX.png";
    static constexpr int kModalPresentationFullScreen = 0;
    static constexpr int kModalTransitionCoverVertical = 0;

    // The button sends closeAction on a touch that ends inside it (nothing
    // when the action is empty).
    Provider_MoPubCustomNetwork_Mobclix_FallbackFullscreenController(MediationClient& client,
                                                                     Delegate0<void> closeAction);
    ~Provider_MoPubCustomNetwork_Mobclix_FallbackFullscreenController() override;

    AdView* GetScreenView() override { return m_view.get(); }
    AdButton* GetCloseButton() const { return m_closeButton.get(); }
    int GetModalPresentationStyle() const { return kModalPresentationFullScreen; }
    int GetModalTransitionStyle() const { return kModalTransitionCoverVertical; }

private:
    std::unique_ptr<AdView> m_view;
    std::unique_ptr<AdButton> m_closeButton;
};

class Provider_MoPubCustomNetwork_Mobclix_Fullscreen final : public FullscreenCustomEvent,
                                                              public AdNetworkListener {
public:
    static constexpr const char* kClassName = "Provider_MoPubCustomNetwork_Mobclix_Fullscreen";
    static constexpr float kFallbackWidth = 300.0f;
    static constexpr float kFallbackHeight = 250.0f;

    ~Provider_MoPubCustomNetwork_Mobclix_Fullscreen() override;
    void RequestAd(const CustomEventInfo& info) override;
    void ShowFromViewController(AdRootViewController& controller) override;
    void OnAdNetworkEvent(AdNetworkAd& ad, AdNetworkEvent event) override;
    // The fallback's close button.
    void FallbackClosed();

    Provider_MoPubCustomNetwork_Mobclix_FallbackFullscreenController* GetFallbackController() const {
        return m_fallbackController.get();
    }
    AdNetworkAd* GetFallbackAd() const { return m_fallbackFullscreenAd.get(); }

private:
    void LoadFallbackAd();

    std::unique_ptr<AdNetworkAd> m_fullscreenAd;
    std::unique_ptr<AdNetworkAd> m_fallbackFullscreenAd;
    std::unique_ptr<Provider_MoPubCustomNetwork_Mobclix_FallbackFullscreenController> m_fallbackController;
    AdRootViewController* m_presenter = nullptr;  // while the fallback is up
};

class Provider_MoPubCustomNetwork_Mobclix_Banner final : public BannerCustomEvent,
                                                          public AdNetworkListener {
public:
    static constexpr const char* kClassName = "Provider_MoPubCustomNetwork_Mobclix_Banner";
    ~Provider_MoPubCustomNetwork_Mobclix_Banner() override;
    void RequestAd(float width, float height, const CustomEventInfo& info) override;
    void OnAdNetworkEvent(AdNetworkAd& ad, AdNetworkEvent event) override;

private:
    std::unique_ptr<AdNetworkAd> m_bannerAd;
};

class Provider_MoPubCustomNetwork_InMobi_Fullscreen final : public FullscreenCustomEvent,
                                                             public AdNetworkListener {
public:
    static constexpr const char* kClassName = "Provider_MoPubCustomNetwork_InMobi_Fullscreen";
    ~Provider_MoPubCustomNetwork_InMobi_Fullscreen() override;
    void RequestAd(const CustomEventInfo& info) override;
    void ShowFromViewController(AdRootViewController& controller) override;
    void OnAdNetworkEvent(AdNetworkAd& ad, AdNetworkEvent event) override;

private:
    std::unique_ptr<AdNetworkAd> m_fullscreenAd;
};

class Provider_MoPubCustomNetwork_InMobi_Banner final : public BannerCustomEvent,
                                                         public AdNetworkListener {
public:
    static constexpr const char* kClassName = "Provider_MoPubCustomNetwork_InMobi_Banner";
    static constexpr int kSizeCode320x50 = 15;
    static constexpr int kSizeCode300x250 = 10;
    ~Provider_MoPubCustomNetwork_InMobi_Banner() override;
    void RequestAd(float width, float height, const CustomEventInfo& info) override;
    void OnAdNetworkEvent(AdNetworkAd& ad, AdNetworkEvent event) override;

private:
    std::unique_ptr<AdNetworkAd> m_bannerAd;
};

}  // namespace Varnok
