// The advertising service: the ad spaces and network keys of the provider's
// configuration, and every advertising operation on an ad-space alias turned
// into a call on the bridge with the space's ad unit id.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/services/IAdvertisingService.h"

#include <map>

namespace Varnok {

class ServiceManagerConfig;

struct AdSpace {
    AsciiString adUnitId;  // empty for a space made by a lookup
    int32_t width = 0;     // banner size in points; 0 when not configured
    int32_t height = 0;
};

class MoPubAdService final : public IAdvertisingService {
public:
    using AdSpaceMap = std::map<AsciiString, AdSpace, AsciiStringLess>;
    using CustomDataMap = std::map<AsciiString, AsciiString, AsciiStringLess>;

    // config may be null: Initialise then fails.
    explicit MoPubAdService(ServiceManagerConfig* config) : m_config(config) {}

    // Reads the "IAdvertisingService" element of the provider's file: its
    // "adSpaceAlias" and "customData" children (a later one of the same
    // alias or id wins). False without the element.
    bool Initialise() override;
    // The banner-texture refresh.
    void Update() override;
    const AsciiString& GetProviderName() const override;

    // Queries answer false, null or 0 x 0 for an alias that is not there;
    // GetBannerAdSize, HideBannerAd, both MoveBannerAd and SetBannerAdOpacity
    // first make an empty ad space of an unknown alias. The banner
    // operations do nothing unless AreBannerAdsAvailable.
    void LoadFullscreenAd(const char* alias) override;
    void ShowFullscreenAd() override;
    void DismissFullscreenAd() override;
    AdSize GetBannerAdSize(const char* alias) override;
    bool IsBannerAdLoaded(const char* alias) override;
    void LoadBannerAd(const char* alias) override;
    void ShowBannerAd(const char* alias, int x, int y, bool centred, float scale) override;
    void ShowBannerAd(const char* alias, int x, int y, bool centred, int width, int height) override;
    void HideBannerAd(const char* alias) override;
    void MoveBannerAd(const char* alias, int x, int y, bool centred) override;
    void MoveBannerAd(const char* alias, int x, int y, bool centred, float scale) override;
    void SetBannerAdOpacity(const char* alias, float opacity) override;
    // Nothing to do here.
    void ReservedOperation1(int32_t /*value*/) override {}
    void ReservedOperation2(int32_t /*value*/) override {}
    void AddFullscreenAdDismissedListener(Delegate0<void> listener) override;
    void RemoveFullscreenAdDismissedListener(Delegate0<void> listener) override;
    void SetFullscreenAdLoadedCallback(Delegate0<void> callback) override;
    void SetFullscreenAdFailedCallback(Delegate0<void> callback) override;
    void SetBannerAdLoadedCallback(Delegate0<void> callback) override;
    void SetBannerAdFailedCallback(Delegate0<void> callback) override;
    void SetViewportBounds(const AdViewportBounds& bounds) override;
    SmartPtr<Texture> UpdateTexture(const char* alias) override;
    bool IsAdvertisingAvailable() override { return true; }
    bool AreBannerAdsAvailable() override;
    bool SupportsBannerTexture() override;

    // The value of a custom-data id, or null.
    const AsciiString* FindCustomData(const char* id) const;
    const AdSpaceMap& GetAdSpaces() const { return m_adSpaces; }

private:
    const AdSpace* Find(const char* alias) const;
    AdSpace& FindOrInsert(const char* alias);

    ServiceManagerConfig* m_config;
    AdSpaceMap m_adSpaces;
    CustomDataMap m_customData;
};

}  // namespace Varnok
