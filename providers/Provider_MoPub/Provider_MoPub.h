// The advertising provider: one MoPubAdService over the mediation client,
// with the custom networks started from its configuration.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/services/ServiceModel.h"
#include "providers/Provider_MoPub/MoPubAdService.h"

#include <memory>

namespace Varnok {

class ServiceManagerBackend;

class Provider_MoPub final : public IProvider {
public:
    static const AsciiString& GetProviderName();

    explicit Provider_MoPub(ServiceManagerBackend* backend) : m_backend(backend) {}
    // Takes the service out of its aggregate, then deletes it.
    ~Provider_MoPub() override;

    // Creates and initialises the service; on success registers and enables
    // it and starts the networks.
    bool Initialise() override;
    const char* GetName() const override { return GetProviderName().c_str(); }
    void Update() override {}

    MoPubAdService* GetAdService() const { return m_service.get(); }  // null before Initialise

private:
    ServiceManagerBackend* m_backend;
    std::unique_ptr<MoPubAdService> m_service;
};

class Provider_MoPubBuilder final : public IProviderBuilder {
public:
    IProvider* CreateProvider(ServiceManagerBackend* backend) override;
    const char* GetName() const override { return Provider_MoPub::GetProviderName().c_str(); }
};

// Hands the builder to the process's service manager, which makes the
// provider unless the configuration disables it.
void RegisterProvider_MoPubBuilder();

}  // namespace Varnok
