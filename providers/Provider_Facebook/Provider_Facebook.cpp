// The Facebook provider, its builder and the installed social client.
#include "providers/Provider_Facebook/Provider_Facebook.h"

#include "engine/services/IDeepLinkService.h"
#include "engine/services/ISocialService.h"
#include "engine/services/ServiceManager.h"
#include "providers/Provider_Facebook/SocialClient.h"

#include <utility>

namespace Varnok {
namespace {

std::shared_ptr<SocialClient>& InstalledSocialClient() {
    static std::shared_ptr<SocialClient> s_client;
    return s_client;
}

}  // namespace

SocialClient* GetSocialClient() {
    return InstalledSocialClient().get();
}

void SetSocialClient(std::shared_ptr<SocialClient> client) {
    InstalledSocialClient() = std::move(client);
}

const AsciiString& Provider_Facebook::GetProviderName() {
    static const AsciiString s_name("Provider_Facebook");
    return s_name;
}

Provider_Facebook::Provider_Facebook(ServiceManagerBackend* backend) : m_backend(backend) {}

Provider_Facebook::~Provider_Facebook() {
    if (m_backend != nullptr) {
        m_backend->RemoveService<ISocialService>(m_social.get());
        m_backend->RemoveService<IDeepLinkService>(m_deepLink.get());
    }
}

bool Provider_Facebook::Initialise() {
    if (m_social != nullptr) {  // a second start replaces the services
        m_backend->RemoveService<ISocialService>(m_social.get());
        m_backend->RemoveService<IDeepLinkService>(m_deepLink.get());
        m_deepLink.reset();
    }
    m_social = std::make_unique<SocialService_Facebook>();
    if (!m_social->Initialise()) {
        return false;
    }
    m_deepLink = std::make_unique<DeepLinkService_Facebook>();
    if (!m_deepLink->Initialise()) {
        return false;
    }
    m_backend->AddService<ISocialService>(m_social.get());
    m_social->SetEnabled(true);
    m_backend->AddService<IDeepLinkService>(m_deepLink.get());
    m_deepLink->SetEnabled(true);
    return true;
}

Provider_FacebookBuilder& Provider_FacebookBuilder::Get() {
    static Provider_FacebookBuilder s_builder;
    return s_builder;
}

IProvider* Provider_FacebookBuilder::CreateProvider(ServiceManagerBackend* backend) {
    return new Provider_Facebook(backend);
}

void RegisterProvider_FacebookBuilder() {
    ServiceManager::Get().AddProviderBuilder(Provider_FacebookBuilder::Get());
}

}  // namespace Varnok
