// Full-screen and banner advertising. An alias names an ad space of the
// provider's configuration.
#pragma once

#include "engine/services/ServiceAggregateBase.h"
#include "engine/services/ServiceTypes.h"
#include "engine/core/SmartPtr.h"
#include "engine/render/Texture.h"

namespace Varnok {

class IAdvertisingService;

class IAdvertisingServiceAggregate : public ServiceInterfaceBase<IAdvertisingService> {
public:
    static const AsciiString& GetServiceName() {
        static const AsciiString s_serviceName("IAdvertisingService");
        return s_serviceName;
    }
    virtual void LoadFullscreenAd(const char* alias) = 0;
    virtual void ShowFullscreenAd() = 0;
    virtual void DismissFullscreenAd() = 0;
    // The configured banner size of the space.
    virtual AdSize GetBannerAdSize(const char* alias) = 0;
    virtual bool IsBannerAdLoaded(const char* alias) = 0;
    virtual void LoadBannerAd(const char* alias) = 0;
    virtual void ShowBannerAd(const char* alias, int x, int y, bool centred, float scale) = 0;
    virtual void ShowBannerAd(const char* alias, int x, int y, bool centred, int width, int height) = 0;
    virtual void HideBannerAd(const char* alias) = 0;
    virtual void MoveBannerAd(const char* alias, int x, int y, bool centred) = 0;
    virtual void MoveBannerAd(const char* alias, int x, int y, bool centred, float scale) = 0;
    virtual void SetBannerAdOpacity(const char* alias, float opacity) = 0;
    virtual void ReservedOperation1(int32_t value) = 0;
    virtual void ReservedOperation2(int32_t value) = 0;
    virtual void AddFullscreenAdDismissedListener(Delegate0<void> listener) = 0;
    virtual void RemoveFullscreenAdDismissedListener(Delegate0<void> listener) = 0;
    virtual void SetFullscreenAdLoadedCallback(Delegate0<void> callback) = 0;
    virtual void SetFullscreenAdFailedCallback(Delegate0<void> callback) = 0;
    virtual void SetBannerAdLoadedCallback(Delegate0<void> callback) = 0;
    virtual void SetBannerAdFailedCallback(Delegate0<void> callback) = 0;
    // The area in which banners may appear.
    virtual void SetViewportBounds(const AdViewportBounds& bounds) = 0;
    // The banner drawn into an engine texture; empty when there is none.
    virtual SmartPtr<Texture> UpdateTexture(const char* alias) = 0;
};

class IAdvertisingService : public IAdvertisingServiceAggregate {
public:
    using BaseAggregateType = IAdvertisingServiceAggregate;
    using ServiceType = IAdvertisingService;
    virtual bool IsAdvertisingAvailable() = 0;
    virtual bool AreBannerAdsAvailable() = 0;
    // Whether UpdateTexture can answer for this service.
    virtual bool SupportsBannerTexture() = 0;
};

class AdvertisingServiceAggregate final : public ServiceAggregateBase<IAdvertisingServiceAggregate, IAdvertisingService> {
public:
    void LoadFullscreenAd(const char* alias) override {
        ForEachEnabled([&](IAdvertisingService& s) { s.LoadFullscreenAd(alias); });
    }
    void ShowFullscreenAd() override {
        ForEachEnabled([](IAdvertisingService& s) { s.ShowFullscreenAd(); });
    }
    void DismissFullscreenAd() override {
        ForEachEnabled([](IAdvertisingService& s) { s.DismissFullscreenAd(); });
    }
    // The first size with both sides above 0, else 0 by 0.
    AdSize GetBannerAdSize(const char* alias) override;
    bool IsBannerAdLoaded(const char* alias) override {
        return AnyAnswers([&](IAdvertisingService& s) { return s.IsBannerAdLoaded(alias); });
    }
    void LoadBannerAd(const char* alias) override {
        ForEachEnabled([&](IAdvertisingService& s) { s.LoadBannerAd(alias); });
    }
    void ShowBannerAd(const char* alias, int x, int y, bool centred, float scale) override {
        ForEachEnabled([&](IAdvertisingService& s) { s.ShowBannerAd(alias, x, y, centred, scale); });
    }
    void ShowBannerAd(const char* alias, int x, int y, bool centred, int width, int height) override {
        ForEachEnabled(
            [&](IAdvertisingService& s) { s.ShowBannerAd(alias, x, y, centred, width, height); });
    }
    void HideBannerAd(const char* alias) override {
        ForEachEnabled([&](IAdvertisingService& s) { s.HideBannerAd(alias); });
    }
    void MoveBannerAd(const char* alias, int x, int y, bool centred) override {
        ForEachEnabled([&](IAdvertisingService& s) { s.MoveBannerAd(alias, x, y, centred); });
    }
    void MoveBannerAd(const char* alias, int x, int y, bool centred, float scale) override {
        ForEachEnabled([&](IAdvertisingService& s) { s.MoveBannerAd(alias, x, y, centred, scale); });
    }
    void SetBannerAdOpacity(const char* alias, float opacity) override {
        ForEachEnabled([&](IAdvertisingService& s) { s.SetBannerAdOpacity(alias, opacity); });
    }
    void ReservedOperation1(int32_t value) override {
        ForEachEnabled([&](IAdvertisingService& s) { s.ReservedOperation1(value); });
    }
    void ReservedOperation2(int32_t value) override {
        ForEachEnabled([&](IAdvertisingService& s) { s.ReservedOperation2(value); });
    }
    void AddFullscreenAdDismissedListener(Delegate0<void> listener) override {
        ForEachEnabled([&](IAdvertisingService& s) { s.AddFullscreenAdDismissedListener(listener); });
    }
    void RemoveFullscreenAdDismissedListener(Delegate0<void> listener) override {
        ForEachEnabled(
            [&](IAdvertisingService& s) { s.RemoveFullscreenAdDismissedListener(listener); });
    }
    void SetFullscreenAdLoadedCallback(Delegate0<void> callback) override {
        ForEachEnabled([&](IAdvertisingService& s) { s.SetFullscreenAdLoadedCallback(callback); });
    }
    void SetFullscreenAdFailedCallback(Delegate0<void> callback) override {
        ForEachEnabled([&](IAdvertisingService& s) { s.SetFullscreenAdFailedCallback(callback); });
    }
    void SetBannerAdLoadedCallback(Delegate0<void> callback) override {
        ForEachEnabled([&](IAdvertisingService& s) { s.SetBannerAdLoadedCallback(callback); });
    }
    void SetBannerAdFailedCallback(Delegate0<void> callback) override {
        ForEachEnabled([&](IAdvertisingService& s) { s.SetBannerAdFailedCallback(callback); });
    }
    void SetViewportBounds(const AdViewportBounds& bounds) override {
        ForEachEnabled([&](IAdvertisingService& s) { s.SetViewportBounds(bounds); });
    }
    // The first texture of a service, enabled or not, that supports banner
    // textures and has the alias's banner loaded.
    SmartPtr<Texture> UpdateTexture(const char* alias) override;
};

template <>
struct ServiceAggregateFor<IAdvertisingService> {
    using Type = AdvertisingServiceAggregate;
};

}  // namespace Varnok
