// The Twitter provider: one social service.
#pragma once

#include "engine/services/ServiceModel.h"
#include "providers/Provider_Twitter/SocialService_Twitter.h"

#include <memory>

namespace Varnok {

class ServiceManagerBackend;

class Provider_Twitter final : public IProvider {
public:
    static const AsciiString& GetProviderName();

    explicit Provider_Twitter(ServiceManagerBackend* backend);
    ~Provider_Twitter() override;

    // Makes the service, registers and enables it.
    bool Initialise() override;
    const char* GetName() const override { return GetProviderName().c_str(); }
    void Update() override {}

    // Null until Initialise.
    SocialService_Twitter* GetSocialService() const { return m_social.get(); }

private:
    ServiceManagerBackend* m_backend;
    std::unique_ptr<SocialService_Twitter> m_social;
};

class Provider_TwitterBuilder final : public IProviderBuilder {
public:
    static Provider_TwitterBuilder& Get();
    IProvider* CreateProvider(ServiceManagerBackend* backend) override;
    const char* GetName() const override { return Provider_Twitter::GetProviderName().c_str(); }
};

// Hands the builder to the process's service manager.
void RegisterProvider_TwitterBuilder();

}  // namespace Varnok
