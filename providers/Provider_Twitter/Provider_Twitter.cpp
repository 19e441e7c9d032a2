// The Twitter provider, its builder and the installed tweet composer.
#include "providers/Provider_Twitter/Provider_Twitter.h"

#include "engine/services/ISocialService.h"
#include "engine/services/ServiceManager.h"
#include "providers/Provider_Twitter/TweetComposer.h"

#include <utility>

namespace Varnok {
namespace {

std::shared_ptr<TweetComposer>& InstalledTweetComposer() {
    static std::shared_ptr<TweetComposer> s_composer;
    return s_composer;
}

}  // namespace

TweetComposer* GetTweetComposer() {
    return InstalledTweetComposer().get();
}

void SetTweetComposer(std::shared_ptr<TweetComposer> composer) {
    InstalledTweetComposer() = std::move(composer);
}

const AsciiString& Provider_Twitter::GetProviderName() {
    static const AsciiString s_name("Provider_Twitter");
    return s_name;
}

Provider_Twitter::Provider_Twitter(ServiceManagerBackend* backend) : m_backend(backend) {}

Provider_Twitter::~Provider_Twitter() {
    if (m_backend != nullptr) {
        m_backend->RemoveService<ISocialService>(m_social.get());
    }
}

bool Provider_Twitter::Initialise() {
    if (m_social != nullptr) {  // a second start replaces the service
        m_backend->RemoveService<ISocialService>(m_social.get());
    }
    m_social = std::make_unique<SocialService_Twitter>();
    if (!m_social->Initialise()) {
        return false;
    }
    m_backend->AddService<ISocialService>(m_social.get());
    m_social->SetEnabled(true);
    return true;
}

Provider_TwitterBuilder& Provider_TwitterBuilder::Get() {
    static Provider_TwitterBuilder s_builder;
    return s_builder;
}

IProvider* Provider_TwitterBuilder::CreateProvider(ServiceManagerBackend* backend) {
    return new Provider_Twitter(backend);
}

void RegisterProvider_TwitterBuilder() {
    ServiceManager::Get().AddProviderBuilder(Provider_TwitterBuilder::Get());
}

}  // namespace Varnok
