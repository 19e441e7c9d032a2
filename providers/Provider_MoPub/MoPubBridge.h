// The engine side of the advertising glue: it owns the platform delegate,
// the callbacks and the full-screen-dismissed event that the service fills,
// and the engine textures that banners are drawn into.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/EventList.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/MemoryBlockTextureSource.h"
#include "engine/render/Texture.h"
#include "engine/services/ServiceTypes.h"

#include <map>
#include <memory>

namespace Varnok {

class MediationClient;
class MoPubAdService;
class MoPubDelegate;

class MoPubBridge {
public:
    // Every 45th update each banner texture takes one capture-or-upload step.
    static constexpr int kTextureRefreshUpdates = 45;
    // A banner texture starts at this size, transparent.
    static constexpr int kInitialTextureWidth = 320;
    static constexpr int kInitialTextureHeight = 50;

    struct BannerTexture {
        SmartPtr<MemoryBlockTextureSource> source;
        SmartPtr<Texture> texture;
        int width = 0;
        int height = 0;
    };

    // The process's bridge, made on first use over the installed client.
    static MoPubBridge& Instance();
    // The mediation client the bridge's delegate is made over; null for none
    // (nothing loads). At start-up, before the provider starts.
    static void InstallClient(std::shared_ptr<MediationClient> client);
    static MediationClient* GetInstalledClient();

    MoPubBridge();
    ~MoPubBridge();
    MoPubBridge(const MoPubBridge&) = delete;
    MoPubBridge& operator=(const MoPubBridge&) = delete;

    // Back to the state of first use over the installed client: banners,
    // textures, listeners and callbacks go. Before the GL context goes.
    void Reset();

    // The banner-texture refresh, once per service update.
    void Update();
    // Hands the custom networks their keys from the service's custom data and
    // registers their adapters with the client.
    void StartNetworks(const MoPubAdService& service);
    // Made transparent at 320 x 50 on first request; null when no texture
    // could be made (the next request tries again).
    SmartPtr<Texture> GetBannerTexture(const AsciiString& adUnitId);
    // pixels: width x height RGBA. Another size rebuilds the source.
    void UploadBannerTexture(const AsciiString& adUnitId, const uint8_t* pixels, int width, int height);
    const BannerTexture* FindBannerTexture(const AsciiString& adUnitId) const;

    // Listeners added while it runs wait for the next one.
    void DispatchFullscreenAdDismissed() { m_fullscreenAdDismissed.Invoke(); }
    void AddFullscreenAdDismissedListener(const Delegate0<void>& listener);
    // Every equal delegate.
    void RemoveFullscreenAdDismissedListener(const Delegate0<void>& listener);
    void SetFullscreenAdLoadedCallback(const Delegate0<void>& callback) { m_fullscreenLoaded = callback; }
    void SetFullscreenAdFailedCallback(const Delegate0<void>& callback) { m_fullscreenFailed = callback; }
    void SetBannerAdLoadedCallback(const Delegate0<void>& callback) { m_bannerLoaded = callback; }
    void SetBannerAdFailedCallback(const Delegate0<void>& callback) { m_bannerFailed = callback; }
    // An empty callback is skipped.
    void CallFullscreenAdLoaded() const { m_fullscreenLoaded(); }
    void CallFullscreenAdFailed() const { m_fullscreenFailed(); }
    void CallBannerAdLoaded() const { m_bannerLoaded(); }
    void CallBannerAdFailed() const { m_bannerFailed(); }
    bool AreBannerAdsAvailable() const { return true; }
    bool IsBannerTextureAvailable() const { return true; }

    // Forwarded to the delegate; integer positions become floats.
    void LoadFullscreenAd(const AsciiString& adUnitId);
    void ShowFullscreenAd();
    void DismissFullscreenAd();
    bool IsBannerAdLoaded(const AsciiString& adUnitId);
    void LoadBannerAd(const AsciiString& adUnitId, const AdSize& size);
    void ShowBannerAd(const AsciiString& adUnitId, int x, int y, bool centred, float scale);
    void ShowBannerAd(const AsciiString& adUnitId, int x, int y, bool centred, int width, int height);
    void HideBannerAd(const AsciiString& adUnitId);
    void MoveBannerAd(const AsciiString& adUnitId, int x, int y, bool centred);
    void MoveBannerAd(const AsciiString& adUnitId, int x, int y, bool centred, float scale);
    void SetBannerAdOpacity(const AsciiString& adUnitId, float opacity);
    void SetViewportBounds(const AdViewportBounds& bounds);

    MoPubDelegate& GetDelegate() const { return *m_delegate; }
    int GetRefreshCounter() const { return m_refreshCounter; }

private:
    Event0 m_fullscreenAdDismissed;
    Delegate0<void> m_fullscreenLoaded;
    Delegate0<void> m_fullscreenFailed;
    Delegate0<void> m_bannerLoaded;
    Delegate0<void> m_bannerFailed;
    std::map<AsciiString, BannerTexture, AsciiStringLess> m_textures;
    int m_refreshCounter = 0;
    std::unique_ptr<MoPubDelegate> m_delegate;
};

}  // namespace Varnok
