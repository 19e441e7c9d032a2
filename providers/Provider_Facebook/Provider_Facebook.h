// The Facebook provider: its social service and its deep-link service.
#pragma once

#include "engine/services/ServiceModel.h"
#include "providers/Provider_Facebook/DeepLinkService_Facebook.h"
#include "providers/Provider_Facebook/SocialService_Facebook.h"

#include <memory>

namespace Varnok {

class ServiceManagerBackend;

class Provider_Facebook final : public IProvider {
public:
    static const AsciiString& GetProviderName();

    explicit Provider_Facebook(ServiceManagerBackend* backend);
    ~Provider_Facebook() override;

    // Makes both services, registers and enables them; false (nothing
    // registered) when either fails.
    bool Initialise() override;
    const char* GetName() const override { return GetProviderName().c_str(); }
    void Update() override {}

    // Null until Initialise.
    SocialService_Facebook* GetSocialService() const { return m_social.get(); }
    DeepLinkService_Facebook* GetDeepLinkService() const { return m_deepLink.get(); }

private:
    ServiceManagerBackend* m_backend;
    std::unique_ptr<SocialService_Facebook> m_social;
    std::unique_ptr<DeepLinkService_Facebook> m_deepLink;
};

class Provider_FacebookBuilder final : public IProviderBuilder {
public:
    static Provider_FacebookBuilder& Get();
    IProvider* CreateProvider(ServiceManagerBackend* backend) override;
    const char* GetName() const override { return Provider_Facebook::GetProviderName().c_str(); }
};

// Hands the builder to the process's service manager.
void RegisterProvider_FacebookBuilder();

}  // namespace Varnok
