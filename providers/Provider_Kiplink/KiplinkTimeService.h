// The online service's clock as the client library estimates it; the
// device's clock when the library has no time service.
#pragma once

#include "engine/services/ITimeService.h"

namespace Kiplink {
class IKiplinkProvider;
}

namespace Varnok {

class KiplinkTimeService final : public ITimeService {
public:
    explicit KiplinkTimeService(Kiplink::IKiplinkProvider* root) : m_root(root) {}

    bool Initialise() override { return true; }
    void Update() override {}
    const AsciiString& GetProviderName() const override;
    int64_t GetServerTime() override;
    // Whether the library's estimate is valid now.
    bool HasServerTime() override;

private:
    Kiplink::IKiplinkProvider* m_root;  // not referenced
};

}  // namespace Varnok
