#include "providers/Provider_Kiplink/KiplinkVersionService.h"

#include "kiplink/Public/IKiplinkProvider.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"

namespace Varnok {

const AsciiString& KiplinkVersionService::GetProviderName() const { return Provider_Kiplink::GetProviderName(); }

void KiplinkVersionService::OnRemoteConfigChanged() { m_root->SendGameUpdate(); }

UpdateState KiplinkVersionService::GetUpdateState() {
    switch (static_cast<uint32_t>(m_root->GetGameUpdateResult())) {
        case 0:
            return UpdateState::Online;
        case 1:
            return UpdateState::OptionalUpdate;
        case 2:
            return UpdateState::MandatoryUpdate;
        default:
            return UpdateState::Online;
    }
}

const char* KiplinkVersionService::GetUpdateUrl() {
    const char* buildId = m_root->GetBuildId();
    if (buildId == nullptr || buildId[0] == '\0') {
        return nullptr;
    }
    m_updateUrl = std::string(kShortLinkBase) + buildId;
    return m_updateUrl.c_str();
}

}  // namespace Varnok
