#include "providers/Klui/ICloudLoginStore.h"

#include "engine/iOS/AppleICloudHelper.h"
#include "engine/services/ServiceManager.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"

namespace Klui {

void SaveLoginInfo(const char* service, const char* accountId, Varnok::ServiceManager& manager) {
    Varnok::Provider_Kiplink* provider = manager.GetProvider<Varnok::Provider_Kiplink>();
    Kiplink::IKiplinkProvider* root = provider != nullptr ? provider->GetRoot() : nullptr;
    const char* family = root != nullptr ? root->GetGameFamily() : nullptr;
    Varnok::AppleICloudHelperBridge::Get().GetHelper().SaveLoginInfo(service, accountId,
                                                                     family != nullptr ? family : "");
}

}  // namespace Klui
