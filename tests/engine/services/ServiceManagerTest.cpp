#include "engine/services/ServiceManager.h"

#include "engine/services/IPlayerPoolService.h"
#include "engine/services/ServiceManagerConfig.h"
#include "tests/engine/services/ServiceStubs.h"
#include "tests/engine/services/ServiceTestData.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using namespace TestSupport;

TEST(ServiceModel, EnabledAndOnlineFlags) {
    StubAnalytics service("Provider_A");
    EXPECT_FALSE(service.IsEnabled());
    service.SetEnabled(false);  // no change: no notification
    EXPECT_EQ(service.enabledCalls + service.disabledCalls, 0);
    service.SetOnline(true);
    EXPECT_FALSE(service.IsOnline());  // online but disabled
    service.SetEnabled(true);
    service.SetEnabled(true);
    EXPECT_EQ(service.enabledCalls, 1);
    EXPECT_TRUE(service.IsOnline());
    service.SetOnline(false);
    EXPECT_FALSE(service.IsOnline());
    service.SetEnabled(false);
    EXPECT_EQ(service.disabledCalls, 1);

    EXPECT_TRUE(service.GetServices().empty());
    EXPECT_EQ(service.GetServiceCount(), 0);
    EXPECT_EQ(service.GetService(0), nullptr);
    EXPECT_EQ(&IAnalyticsService::GetServiceName(), &IAnalyticsService::GetServiceName());
    EXPECT_STREQ(IAnalyticsService::GetServiceName().c_str(), "IAnalyticsService");
}

TEST(ServiceManager, RegistersUnderProviderInterfaceAndCustomName) {
    ServiceManager manager;
    ServiceManagerBackend& backend = manager.GetBackend();
    StubAnalytics first("Provider_A");
    StubAnalytics sameKey("Provider_A");
    StubAnalytics custom("Provider_A", "second");
    StubAnalytics sameCustom("Provider_A", "second");
    StubAnalytics other("Provider_B");
    backend.AddService(&first);
    backend.AddService(&first);  // listed once
    backend.AddService(&sameKey);
    backend.AddService(&custom);
    backend.AddService(&sameCustom);
    backend.AddService(&other);

    IAnalyticsServiceAggregate* aggregate = manager.GetServiceAggregate<IAnalyticsService>();
    ASSERT_NE(aggregate, nullptr);
    EXPECT_EQ(aggregate->GetServices(),
              (std::vector<IAnalyticsService*>{&first, &custom, &other}));
    EXPECT_EQ(manager.FindServiceByKey("Provider_A/IAnalyticsService"), &first);
    EXPECT_EQ(manager.FindServiceByKey("Provider_A/IAnalyticsService/second"), &custom);
    EXPECT_EQ(manager.GetAggregates().size(), 1u);
    EXPECT_FALSE(first.IsEnabled());  // registration does not enable

    EXPECT_EQ(manager.GetService<IAnalyticsService>(), &first);
    EXPECT_EQ(manager.GetService<IAnalyticsService>("Provider_B"), &other);
    EXPECT_EQ(manager.GetService<IAnalyticsService>("provider_b"), nullptr);
    EXPECT_EQ(manager.GetService<IAnalyticsService>("Provider_C"), nullptr);
}

TEST(ServiceManager, AMissingAggregateAnswersNullWithOneLinePerInterface) {
    ServiceManager manager;
    LogCapture log;
    EXPECT_EQ(manager.GetServiceAggregate<IPlayerPoolService>(), nullptr);
    EXPECT_EQ(manager.GetService<IPlayerPoolService>(), nullptr);
    EXPECT_EQ(manager.GetService<IPlayerPoolService>("Provider_A"), nullptr);
    EXPECT_TRUE(IsOneLogLineNaming(log.Take(), "ServiceManager", "IPlayerPoolService"));
    EXPECT_TRUE(GetAggregateWarnFlag<IPlayerPoolServiceAggregate>());
}

TEST(ServiceManager, AnEmptyAggregateAnswersNullForTheFirstService) {
    ServiceManager manager;
    StubAnalytics service("Provider_A");
    manager.GetBackend().AddService(&service);
    manager.GetBackend().RemoveService(&service);
    ASSERT_NE(manager.GetServiceAggregate<IAnalyticsService>(), nullptr);
    EXPECT_EQ(manager.GetService<IAnalyticsService>(), nullptr);
    EXPECT_EQ(manager.FindServiceByKey("Provider_A/IAnalyticsService"), nullptr);
}

TEST(ServiceManager, ProvidersByNameInTheOrderAdded) {
    ServiceManager manager;
    auto* a = new StubProvider(&manager.GetBackend(), "Provider_A");
    auto* b = new StubProvider(&manager.GetBackend(), "Provider_B");
    manager.AddProvider(a);
    manager.AddProvider(b);
    manager.AddProvider(a);  // the same object again: nothing
    manager.AddProvider(nullptr);
    EXPECT_TRUE(manager.HasProvider("Provider_A"));
    EXPECT_FALSE(manager.HasProvider("provider_a"));
    EXPECT_EQ(manager.GetProviders().size(), 2u);
    manager.NotifyUserCreated(nullptr);
    EXPECT_EQ(a->usersCreated, 1);
    EXPECT_EQ(b->usersCreated, 1);
    manager.RemoveProvider("Provider_Unknown");
    manager.RemoveProvider("Provider_A");
    EXPECT_FALSE(manager.HasProvider("Provider_A"));
    EXPECT_EQ(manager.GetProviders().size(), 1u);
}

// A replaced or removed provider's services must leave their aggregates and
// keys before it deletes them.
TEST(ServiceManager, ReplacingAProviderTakesItsServicesOutFirst) {
    ServiceManager manager;
    int destroyed = 0;
    auto* older = new StubProvider(&manager.GetBackend(), "Provider_A", &destroyed);
    manager.AddProvider(older);
    older->AddAnalytics();
    auto* keeper = new StubProvider(&manager.GetBackend(), "Provider_B");
    manager.AddProvider(keeper);
    StubAnalytics& kept = keeper->AddAnalytics();

    auto* newer = new StubProvider(&manager.GetBackend(), "Provider_A", &destroyed);
    manager.AddProvider(newer);
    EXPECT_EQ(destroyed, 1);
    auto* aggregate = manager.GetServiceAggregate<IAnalyticsService>();
    EXPECT_EQ(aggregate->GetServices(), (std::vector<IAnalyticsService*>{&kept}));
    EXPECT_EQ(manager.FindServiceByKey("Provider_A/IAnalyticsService"), nullptr);
    aggregate->ReportInstall();  // would touch the deleted service
    EXPECT_EQ(kept.installs, 1);

    // The key is free again for the newer provider's own service.
    StubAnalytics& fresh = newer->AddAnalytics();
    EXPECT_EQ(manager.GetService<IAnalyticsService>("Provider_A"), &fresh);

    manager.RemoveProvider("Provider_A");
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(aggregate->GetServiceCount(), 1);
}

TEST(ServiceManager, DisabledBuildersMakeNoProvider) {
    MountedServiceData data;
    ServiceManager manager;
    manager.LoadConfig("config", IosPhoneDefines());
    ASSERT_NE(manager.GetConfig(), nullptr);
    StubBuilder off("Provider_Off");
    StubBuilder tablet("Provider_Tablet");
    StubBuilder plain("Provider_Plain");
    manager.AddProviderBuilder(off);
    manager.AddProviderBuilder(tablet);
    manager.AddProviderBuilder(plain);
    EXPECT_EQ(off.made, 0);
    EXPECT_EQ(tablet.made, 1);  // its "disableProvider" sits in a failing filter
    EXPECT_EQ(plain.made, 1);
    EXPECT_FALSE(manager.HasProvider("Provider_Off"));
    EXPECT_TRUE(manager.HasProvider("Provider_Tablet"));
}

class NamedProvider final : public IProvider {
public:
    static const AsciiString& GetProviderName() {
        static const AsciiString s_serviceName("Provider_Named");
        return s_serviceName;
    }
    bool Initialise() override { return true; }
    const char* GetName() const override { return GetProviderName().c_str(); }
    void Update() override {}
};

TEST(ServiceManager, GetProviderFindsTheClassByItsStaticName) {
    ServiceManager manager;
    EXPECT_EQ(manager.GetProvider<NamedProvider>(), nullptr);
    auto* named = new NamedProvider();
    manager.AddProvider(named);
    EXPECT_EQ(manager.GetProvider<NamedProvider>(), named);
    // Another class under that name is not the one asked for.
    manager.AddProvider(new StubProvider(&manager.GetBackend(), "Provider_Named"));
    EXPECT_EQ(manager.GetProvider<NamedProvider>(), nullptr);
}

}  // namespace
}  // namespace Varnok
