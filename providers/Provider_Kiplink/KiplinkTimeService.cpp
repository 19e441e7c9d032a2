// The service's clock.
#include "providers/Provider_Kiplink/KiplinkTimeService.h"

#include "engine/services/ServiceClock.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "kiplink/Public/ITimeService.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"

namespace Varnok {

namespace {

Kiplink::RefPtr<Kiplink::ITimeService> TimeOf(Kiplink::IKiplinkProvider* root) {
    return Kiplink::RefPtr<Kiplink::ITimeService>::Adopt(root != nullptr ? root->GetTimeService() : nullptr);
}

}  // namespace

const AsciiString& KiplinkTimeService::GetProviderName() const { return Provider_Kiplink::GetProviderName(); }

int64_t KiplinkTimeService::GetServerTime() {
    auto time = TimeOf(m_root);
    return time ? static_cast<int64_t>(time->GetServerTime()) : GetServiceTime();
}

bool KiplinkTimeService::HasServerTime() {
    auto time = TimeOf(m_root);
    return time && time->IsValid();
}

}  // namespace Varnok
