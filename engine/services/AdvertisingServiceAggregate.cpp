// The advertising aggregate's queries over every registered service.
#include "engine/services/IAdvertisingService.h"

namespace Varnok {

AdSize AdvertisingServiceAggregate::GetBannerAdSize(const char* alias) {
    for (IAdvertisingService* service : m_services) {
        const AdSize size = service->GetBannerAdSize(alias);
        if (size.m_width > 0 && size.m_height > 0) {
            return size;
        }
    }
    return AdSize{};
}

SmartPtr<Texture> AdvertisingServiceAggregate::UpdateTexture(const char* alias) {
    for (IAdvertisingService* service : m_services) {
        if (!service->SupportsBannerTexture() || !service->IsBannerAdLoaded(alias)) {
            continue;
        }
        SmartPtr<Texture> texture = service->UpdateTexture(alias);
        if (texture.Get() != nullptr) {
            return texture;
        }
    }
    return SmartPtr<Texture>();
}

}  // namespace Varnok
