// Opened links to graph requests: one fetch per link, one deletion per
// request id once the fetch has answered.
#include "providers/Provider_Facebook/DeepLinkService_Facebook.h"

#include "engine/core/Log.h"
#include "engine/iOS/LaunchUrl.h"
#include "providers/Provider_Facebook/AppRequestLink.h"
#include "providers/Provider_Facebook/Provider_Facebook.h"
#include "providers/Provider_Facebook/SocialClient.h"

namespace Varnok {

DeepLinkService_Facebook::DeepLinkService_Facebook()
    : m_optionNames{"openScreen", "highlightItem", "giveCurrency", "giveItem",
                    "sentFromFacebookId", "sentFromFacebookName", "createdTime"},
      m_alive(std::make_shared<DeepLinkService_Facebook*>(this)) {
    AddLaunchUrlListener(LaunchUrlDispatcher::Listener(this, &DeepLinkService_Facebook::OnLaunchUrl));
}

DeepLinkService_Facebook::~DeepLinkService_Facebook() {
    RemoveLaunchUrlListener(
        LaunchUrlDispatcher::Listener(this, &DeepLinkService_Facebook::OnLaunchUrl));
}

const AsciiString& DeepLinkService_Facebook::GetProviderName() const {
    return Provider_Facebook::GetProviderName();
}

void DeepLinkService_Facebook::OnLaunchUrl(const char* url) {
    SocialClient* client = GetSocialClient();
    if (client == nullptr) {
        return;
    }
    client->HandleDidBecomeActive();
    std::vector<std::string> requestIds;
    if (!IsAppRequestLink(url) || !ParseAppRequestIds(url, requestIds)) {
        return;
    }
    std::weak_ptr<DeepLinkService_Facebook*> alive = m_alive;
    client->StartGraphRequest(
        requestIds.back(), "GET",
        [alive, requestIds](const std::string& body, const std::string* error) {
            const auto service = alive.lock();
            if (service != nullptr && error == nullptr) {
                (*service)->OnRequestFetched(requestIds, body);
            }
        });
}

void DeepLinkService_Facebook::OnRequestFetched(const std::vector<std::string>& requestIds,
                                                const std::string& body) {
    if (body.empty()) {
        return;
    }
    Log("Result: %s", body.c_str());
    AppRequestResult result;
    if (!ReadAppRequestResult(body, m_optionNames, result)) {
        return;
    }
    if (!m_onDeepLink.IsEmpty()) {
        const DeepLinkOptions options = result.options;
        m_onDeepLink(options);
    }
    SocialClient* client = GetSocialClient();
    if (client == nullptr) {
        return;
    }
    for (const std::string& path : AppRequestDeletionPaths(requestIds, result.recipientId)) {
        client->StartGraphRequest(path, "DELETE", SocialClient::GraphHandler());
    }
}

}  // namespace Varnok
