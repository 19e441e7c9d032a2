// Facebook's deep links: an application opened from an app request fetches
// the request object, hands its sender, time and data to the game as
// deep-link options, and deletes the requests on the social network.
#pragma once

#include "engine/services/IDeepLinkService.h"

#include <memory>
#include <string>
#include <vector>

namespace Varnok {

class DeepLinkService_Facebook final : public IDeepLinkService {
public:
    // Listens to the launch-URL dispatcher until destroyed.
    DeepLinkService_Facebook();
    ~DeepLinkService_Facebook() override;
    DeepLinkService_Facebook(const DeepLinkService_Facebook&) = delete;
    DeepLinkService_Facebook& operator=(const DeepLinkService_Facebook&) = delete;

    bool Initialise() override { return true; }
    void Update() override {}
    const AsciiString& GetProviderName() const override;
    void SetDeepLinkCallback(DeepLinkDelegate onDeepLink) override { m_onDeepLink = onDeepLink; }

    // The launch-URL listener: tells the session the application became
    // active, then acts on an app-request link.
    void OnLaunchUrl(const char* url);

    const std::vector<std::string>& GetOptionNames() const { return m_optionNames; }

private:
    void OnRequestFetched(const std::vector<std::string>& requestIds, const std::string& body);

    std::vector<std::string> m_optionNames;
    DeepLinkDelegate m_onDeepLink;
    // Graph answers that come after the service is gone find this expired.
    std::shared_ptr<DeepLinkService_Facebook*> m_alive;
};

}  // namespace Varnok
