// Whether this build of the game must or may be updated, from the online
// service's "game" "update" call, and the short link that leads to the update.
#pragma once

#include "engine/services/IVersionService.h"

#include <string>

namespace Kiplink {
class IKiplinkProvider;
}

namespace Varnok {

class KiplinkVersionService final : public IVersionService {
public:
    // Our short links: the build id follows directly.
    static constexpr const char* kShortLinkBase = "https://get.varnok.net/";

    explicit KiplinkVersionService(Kiplink::IKiplinkProvider* root) : m_root(root) {}

    bool Initialise() override { return true; }
    void Update() override {}
    const AsciiString& GetProviderName() const override;

    // Asks the service again.
    void OnRemoteConfigChanged() override;
    // The call's last result: 0 and 1 as they are, 2 a mandatory update,
    // anything else (no answer yet, an unknown code) online.
    UpdateState GetUpdateState() override;
    // Null without a build id.
    const char* GetUpdateUrl() override;

private:
    Kiplink::IKiplinkProvider* m_root;  // not referenced
    std::string m_updateUrl;
};

}  // namespace Varnok
