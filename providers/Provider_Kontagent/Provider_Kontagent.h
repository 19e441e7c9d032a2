// The Kontagent provider: one analytics service, registered for
// IAnalyticsService and enabled when it initialises.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/services/ServiceModel.h"

#include <memory>

namespace Varnok {

class KontagentAnalyticsService;
class ServiceManager;
class ServiceManagerBackend;

class Provider_Kontagent final : public IProvider {
public:
    static const AsciiString& GetProviderName();

    explicit Provider_Kontagent(ServiceManagerBackend* backend);
    ~Provider_Kontagent() override;

    // Makes the service; when its Initialise fails the service stays here,
    // unregistered, and the answer is false.
    bool Initialise() override;
    const char* GetName() const override { return GetProviderName().c_str(); }
    void Update() override {}

    // Null before Initialise.
    KontagentAnalyticsService* GetAnalyticsService() const { return m_analytics.get(); }

private:
    ServiceManagerBackend* m_backend;
    std::unique_ptr<KontagentAnalyticsService> m_analytics;
};

class Provider_KontagentBuilder final : public IProviderBuilder {
public:
    static Provider_KontagentBuilder& Get();
    IProvider* CreateProvider(ServiceManagerBackend* backend) override;
    const char* GetName() const override { return Provider_Kontagent::GetProviderName().c_str(); }
};

// Hands the builder to the manager (the game's set-up does it once).
void RegisterProvider_KontagentBuilder(ServiceManager& manager);

}  // namespace Varnok
