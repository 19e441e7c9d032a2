// The online service's provider and its builder. It starts with no services:
// they join as the online client's engine side grows.
#pragma once

#include "engine/services/ServiceModel.h"

namespace Varnok {

class ServiceManagerBackend;

class Provider_Kiplink final : public IProvider {
public:
    static const AsciiString& GetProviderName();

    explicit Provider_Kiplink(ServiceManagerBackend* backend) : m_backend(backend) {}

    // Nothing to start yet: succeeds.
    bool Initialise() override { return true; }
    const char* GetName() const override { return GetProviderName().c_str(); }
    void Update() override {}

    ServiceManagerBackend* GetBackend() const { return m_backend; }

private:
    ServiceManagerBackend* m_backend;
};

class Provider_KiplinkBuilder final : public IProviderBuilder {
public:
    static Provider_KiplinkBuilder& Get();
    IProvider* CreateProvider(ServiceManagerBackend* backend) override;
    const char* GetName() const override { return Provider_Kiplink::GetProviderName().c_str(); }
};

// Hands the builder to the process's service manager.
void RegisterProvider_KiplinkBuilder();

}  // namespace Varnok
