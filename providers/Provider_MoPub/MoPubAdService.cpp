// Ad spaces from the configuration and the operations on them.
#include "providers/Provider_MoPub/MoPubAdService.h"

#include "engine/core/FillPlaceholders.h"
#include "engine/services/ServiceManagerConfig.h"
#include "providers/Provider_MoPub/MoPubBridge.h"
#include "providers/Provider_MoPub/Provider_MoPub.h"

#include <tinyxml.h>

#include <cstdlib>

namespace Varnok {

bool MoPubAdService::Initialise() {
    if (m_config == nullptr) {
        return false;
    }
    const TiXmlElement* root = m_config->GetProviderConfigElement(
        Provider_MoPub::GetProviderName().c_str(), IAdvertisingServiceAggregate::GetServiceName().c_str());
    if (root == nullptr) {
        return false;
    }
    for (const TiXmlElement* space = root->FirstChildElement("adSpaceAlias"); space != nullptr;
         space = space->NextSiblingElement("adSpaceAlias")) {
        const char* value = space->Attribute("value");
        const char* width = space->Attribute("width");
        const char* height = space->Attribute("height");
        const char* alias = space->Attribute("alias");
        DebugPrintf("%s : %s", alias, value != nullptr ? value : "");
        AdSpace& entry = FindOrInsert(alias);
        entry.adUnitId = AsciiString(value);
        entry.width = width != nullptr ? std::atoi(width) : 0;
        entry.height = height != nullptr ? std::atoi(height) : 0;
    }
    for (const TiXmlElement* data = root->FirstChildElement("customData"); data != nullptr;
         data = data->NextSiblingElement("customData")) {
        m_customData[AsciiString(data->Attribute("id"))] = AsciiString(data->Attribute("value"));
    }
    return true;
}

void MoPubAdService::Update() {
    MoPubBridge::Instance().Update();
}

const AsciiString& MoPubAdService::GetProviderName() const {
    return Provider_MoPub::GetProviderName();
}

const AdSpace* MoPubAdService::Find(const char* alias) const {
    const auto found = m_adSpaces.find(AsciiString(alias));
    return found != m_adSpaces.end() ? &found->second : nullptr;
}

AdSpace& MoPubAdService::FindOrInsert(const char* alias) {
    return m_adSpaces[AsciiString(alias)];
}

const AsciiString* MoPubAdService::FindCustomData(const char* id) const {
    const auto found = m_customData.find(AsciiString(id));
    return found != m_customData.end() ? &found->second : nullptr;
}

void MoPubAdService::LoadFullscreenAd(const char* alias) {
    if (const AdSpace* space = Find(alias)) {
        MoPubBridge::Instance().LoadFullscreenAd(space->adUnitId);
    }
}

void MoPubAdService::ShowFullscreenAd() {
    MoPubBridge::Instance().ShowFullscreenAd();
}

void MoPubAdService::DismissFullscreenAd() {
    MoPubBridge::Instance().DismissFullscreenAd();
}

AdSize MoPubAdService::GetBannerAdSize(const char* alias) {
    const AdSpace& space = FindOrInsert(alias);
    return AdSize{space.width, space.height};
}

bool MoPubAdService::IsBannerAdLoaded(const char* alias) {
    if (!AreBannerAdsAvailable()) {
        return false;
    }
    const AdSpace* space = Find(alias);
    return space != nullptr && MoPubBridge::Instance().IsBannerAdLoaded(space->adUnitId);
}

void MoPubAdService::LoadBannerAd(const char* alias) {
    if (!AreBannerAdsAvailable()) {
        return;
    }
    if (const AdSpace* space = Find(alias)) {
        MoPubBridge::Instance().LoadBannerAd(space->adUnitId, AdSize{space->width, space->height});
    }
}

void MoPubAdService::ShowBannerAd(const char* alias, int x, int y, bool centred, float scale) {
    if (!AreBannerAdsAvailable()) {
        return;
    }
    if (const AdSpace* space = Find(alias)) {
        MoPubBridge::Instance().ShowBannerAd(space->adUnitId, x, y, centred, scale);
    }
}

void MoPubAdService::ShowBannerAd(const char* alias, int x, int y, bool centred, int width, int height) {
    if (!AreBannerAdsAvailable()) {
        return;
    }
    if (const AdSpace* space = Find(alias)) {
        MoPubBridge::Instance().ShowBannerAd(space->adUnitId, x, y, centred, width, height);
    }
}

void MoPubAdService::HideBannerAd(const char* alias) {
    if (AreBannerAdsAvailable()) {
        MoPubBridge::Instance().HideBannerAd(FindOrInsert(alias).adUnitId);
    }
}

void MoPubAdService::MoveBannerAd(const char* alias, int x, int y, bool centred) {
    if (AreBannerAdsAvailable()) {
        MoPubBridge::Instance().MoveBannerAd(FindOrInsert(alias).adUnitId, x, y, centred);
    }
}

void MoPubAdService::MoveBannerAd(const char* alias, int x, int y, bool centred, float scale) {
    if (AreBannerAdsAvailable()) {
        MoPubBridge::Instance().MoveBannerAd(FindOrInsert(alias).adUnitId, x, y, centred, scale);
    }
}

void MoPubAdService::SetBannerAdOpacity(const char* alias, float opacity) {
    if (AreBannerAdsAvailable()) {
        MoPubBridge::Instance().SetBannerAdOpacity(FindOrInsert(alias).adUnitId, opacity);
    }
}

void MoPubAdService::AddFullscreenAdDismissedListener(Delegate0<void> listener) {
    MoPubBridge::Instance().AddFullscreenAdDismissedListener(listener);
}

void MoPubAdService::RemoveFullscreenAdDismissedListener(Delegate0<void> listener) {
    MoPubBridge::Instance().RemoveFullscreenAdDismissedListener(listener);
}

void MoPubAdService::SetFullscreenAdLoadedCallback(Delegate0<void> callback) {
    MoPubBridge::Instance().SetFullscreenAdLoadedCallback(callback);
}

void MoPubAdService::SetFullscreenAdFailedCallback(Delegate0<void> callback) {
    MoPubBridge::Instance().SetFullscreenAdFailedCallback(callback);
}

void MoPubAdService::SetBannerAdLoadedCallback(Delegate0<void> callback) {
    MoPubBridge::Instance().SetBannerAdLoadedCallback(callback);
}

void MoPubAdService::SetBannerAdFailedCallback(Delegate0<void> callback) {
    MoPubBridge::Instance().SetBannerAdFailedCallback(callback);
}

void MoPubAdService::SetViewportBounds(const AdViewportBounds& bounds) {
    MoPubBridge::Instance().SetViewportBounds(bounds);
}

SmartPtr<Texture> MoPubAdService::UpdateTexture(const char* alias) {
    const AdSpace* space = Find(alias);
    return space != nullptr ? MoPubBridge::Instance().GetBannerTexture(space->adUnitId) : nullptr;
}

bool MoPubAdService::AreBannerAdsAvailable() {
    return MoPubBridge::Instance().AreBannerAdsAvailable();
}

bool MoPubAdService::SupportsBannerTexture() {
    return MoPubBridge::Instance().IsBannerTextureAvailable();
}

}  // namespace Varnok
