#include "engine/services/IAchievementService.h"
#include "engine/services/IAdvertisingService.h"
#include "engine/services/IAsyncService.h"
#include "engine/services/IAuthenticationService.h"
#include "engine/services/IBankService.h"
#include "engine/services/ICloudService.h"
#include "engine/services/IDashboardService.h"
#include "engine/services/IDeepLinkService.h"
#include "engine/services/IFriendsService.h"
#include "engine/services/IInventoryService.h"
#include "engine/services/ILeaderboardService.h"
#include "engine/services/ILeaguesService.h"
#include "engine/services/ILoginService.h"
#include "engine/services/INewsService.h"
#include "engine/services/IPlayerPoolService.h"
#include "engine/services/IPurchaseService.h"
#include "engine/services/ISettingService.h"
#include "engine/services/ISocialService.h"
#include "engine/services/IStoreService.h"
#include "engine/services/ITimeService.h"
#include "engine/services/IVersionService.h"
#include "tests/engine/services/ServiceStubs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace {

using namespace TestSupport;

template <typename Service>
std::string NameOf() {
    using Aggregate = typename ServiceAggregateFor<Service>::Type;
    Aggregate aggregate;  // every aggregate can be made
    EXPECT_TRUE(aggregate.Initialise());
    EXPECT_FALSE(aggregate.IsOnline());
    EXPECT_TRUE(aggregate.GetProviderName().IsEmpty());
    EXPECT_TRUE(aggregate.GetCustomName().IsEmpty());
    EXPECT_TRUE(aggregate.GetLogData().IsEmpty());
    EXPECT_EQ(&Service::GetServiceName(), &Service::BaseAggregateType::GetServiceName());
    return Service::GetServiceName().c_str();
}

TEST(ServiceAggregates, EveryInterfaceIsNamedAfterItsClass) {
    const std::vector<std::string> names = {
        NameOf<IAchievementService>(),  NameOf<IAdvertisingService>(),
        NameOf<IAnalyticsService>(),    NameOf<IAsyncService>(),
        NameOf<IAuthenticationService>(), NameOf<IBankService>(),
        NameOf<ICloudService>(),        NameOf<IDashboardService>(),
        NameOf<IDeepLinkService>(),     NameOf<IFriendsService>(),
        NameOf<IInventoryService>(),    NameOf<ILeaderboardService>(),
        NameOf<ILeaguesService>(),      NameOf<ILoginService>(),
        NameOf<INewsService>(),         NameOf<IPlayerPoolService>(),
        NameOf<IPurchaseService>(),     NameOf<ISettingService>(),
        NameOf<ISocialService>(),       NameOf<IStoreService>(),
        NameOf<ITimeService>(),         NameOf<IVersionService>(),
    };
    const std::vector<std::string> expected = {
        "IAchievementService", "IAdvertisingService", "IAnalyticsService", "IAsyncService",
        "IAuthenticationService", "IBankService", "ICloudService", "IDashboardService",
        "IDeepLinkService", "IFriendsService", "IInventoryService", "ILeaderboardService",
        "ILeaguesService", "ILoginService", "INewsService", "IPlayerPoolService",
        "IPurchaseService", "ISettingService", "ISocialService", "IStoreService",
        "ITimeService", "IVersionService",
    };
    EXPECT_EQ(names, expected);
}

class Aggregates : public testing::Test {
protected:
    template <typename Service>
    void Register(Service& service, bool enabled) {
        m_manager.GetBackend().AddService(&service);
        service.SetEnabled(enabled);
    }
    ServiceManager m_manager;
};

TEST_F(Aggregates, BroadcastsSkipDisabledServicesWhileQueriesAskThem) {
    StubAdvertising off("Provider_Off");
    StubAdvertising on("Provider_On");
    off.size = AdSize{0, 50};
    on.size = AdSize{320, 50};
    off.bannerLoaded = true;
    Register(off, false);
    Register(on, true);
    auto* ads = m_manager.GetServiceAggregate<IAdvertisingService>();
    ASSERT_NE(ads, nullptr);

    ads->ShowFullscreenAd();
    ads->ShowBannerAd("banner", 0, 0, true, 1.0f);
    ads->MoveBannerAd("banner", 1, 2, false, 2.0f);
    EXPECT_EQ(off.commands, 0);
    EXPECT_EQ(on.commands, 3);

    const AdSize size = ads->GetBannerAdSize("banner");
    EXPECT_EQ(size.m_width, 320);
    EXPECT_EQ(size.m_height, 50);
    EXPECT_TRUE(ads->IsBannerAdLoaded("banner"));  // the disabled one has it
    EXPECT_EQ(ads->UpdateTexture("banner").Get(), nullptr);

    on.size = AdSize{0, 0};
    EXPECT_EQ(ads->GetBannerAdSize("banner").m_width, 0);

    ads->Update();
    EXPECT_EQ(off.updates, 0);
    EXPECT_EQ(on.updates, 1);
    EXPECT_EQ(ads->GetService(-1), nullptr);
    EXPECT_EQ(ads->GetService(2), nullptr);
    EXPECT_EQ(ads->GetService(1), &on);
}

TEST_F(Aggregates, SyncBringsEveryEnabledServiceToTheMastersBest) {
    StubAchievement low("Provider_Low", true);
    StubAchievement high("Provider_High", true);
    StubAchievement follower("Provider_Follower", false);
    StubAchievement idle("Provider_Idle", true);
    low.Know("slicer", 30);
    high.Know("slicer", 50);
    high.Know("bomber", 0);  // a first progress of 0 still counts
    follower.Know("slicer", 80);
    idle.Know("slicer", 10);
    Register(low, true);
    Register(high, true);
    Register(follower, true);
    Register(idle, false);  // a disabled master still contributes

    m_manager.GetServiceAggregate<IAchievementService>()->Sync(nullptr);
    for (StubAchievement* service : {&low, &high, &follower}) {
        EXPECT_EQ(service->progressById["slicer"], 50);
        EXPECT_EQ(service->progressById["bomber"], 0);
        EXPECT_EQ(service->setCalls, (std::vector<std::string>{"bomber", "slicer"}));
    }
    EXPECT_TRUE(idle.setCalls.empty());
}

TEST_F(Aggregates, SyncWithoutMastersSetsNothing) {
    StubAchievement follower("Provider_Follower", false);
    follower.Know("slicer", 80);
    Register(follower, true);
    m_manager.GetServiceAggregate<IAchievementService>()->Sync(nullptr);
    EXPECT_TRUE(follower.setCalls.empty());
}

TEST_F(Aggregates, UnlockedCallbackIsKeptByTheAggregateAndEachService) {
    StubAchievement service("Provider_A", true);
    Register(service, true);
    static std::vector<std::string> s_unlocked;
    s_unlocked.clear();
    m_manager.GetServiceAggregate<IAchievementService>()->SetUnlockedCallback(
        Delegate1<void, std::string>(+[](std::string id) { s_unlocked.push_back(id); }));
    service.OnUnlocked("first_slice");
    EXPECT_EQ(s_unlocked, (std::vector<std::string>{"first_slice"}));
}

TEST_F(Aggregates, AnUnknownBoardAnswersThroughEachEnabledServicesOwnDelegateCopy) {
    StubLeaderboard first("Provider_A");
    StubLeaderboard second("Provider_B");
    StubLeaderboard off("Provider_C");
    Register(first, true);
    Register(second, true);
    Register(off, false);
    static std::vector<LeaderboardErrorType> s_answers;
    s_answers.clear();
    const LeaderboardResultDelegate onDone(
        +[](LeaderboardErrorType error) { s_answers.push_back(error); });
    m_manager.GetServiceAggregate<ILeaderboardService>()->SetLeaderboardScore(nullptr, "NO_SUCH_BOARD",
                                                                              123, onDone);
    EXPECT_EQ(s_answers, (std::vector<LeaderboardErrorType>{LeaderboardErrorType::UnknownLeaderboard,
                                                            LeaderboardErrorType::UnknownLeaderboard}));
    ASSERT_EQ(first.received.size(), 1u);
    ASSERT_EQ(second.received.size(), 1u);
    EXPECT_TRUE(off.received.empty());
    EXPECT_TRUE(first.received[0] == onDone);
}

class StubAuthentication final : public StubService<IAuthenticationService> {
public:
    StubAuthentication(const char* provider, AuthenticationState state)
        : StubService(provider), m_state(state) {}
    void CancelAuthentication(int) override {}
    void Logout(User*, LogoutDelegate) override {}
    AuthenticationState GetAuthenticationState(User*, const char*) override { return m_state; }
    void AuthenticateUserHandle(int, AuthenticateDelegate, MergeOfferDelegate) override {}
    void ReAuthenticateUser(User*, ReAuthenticateDelegate) override {}

private:
    AuthenticationState m_state;
};

TEST_F(Aggregates, FirstDecisiveStateAsksDisabledServicesToo) {
    StubAuthentication neutral("Provider_A", AuthenticationState::Neutral);
    Register(neutral, true);
    auto* auth = m_manager.GetServiceAggregate<IAuthenticationService>();
    EXPECT_EQ(auth->GetAuthenticationState(nullptr, "kiplink"), AuthenticationState::Neutral);
    StubAuthentication decisive("Provider_B", static_cast<AuthenticationState>(1));
    Register(decisive, false);
    EXPECT_EQ(auth->GetAuthenticationState(nullptr, "kiplink"), static_cast<AuthenticationState>(1));
}

class StubPurchase final : public StubService<IPurchaseService> {
public:
    StubPurchase(const char* provider, const char* product) : StubService(provider), m_product(product) {}
    bool SupportsProduct(const char* id) override { return id != nullptr && m_product == id; }
    bool SupportsPaymentMethod(const IPaymentMethod* method) override { return method != nullptr; }
    const char* GetName() override { return m_product.c_str(); }
    void QueryProduct(IStoreItem*, const char*, ProductDelegate) override {}
    void Purchase(IStorePurchase*) override {}

private:
    std::string m_product;
};

TEST_F(Aggregates, FirstOwnerAsksDisabledServicesToo) {
    StubPurchase coins("Provider_A", "coins");
    StubPurchase blades("Provider_B", "blades");
    Register(coins, true);
    Register(blades, false);
    auto* purchases = m_manager.GetServiceAggregate<IPurchaseService>();
    EXPECT_EQ(purchases->FindServiceForProduct("blades"), &blades);
    EXPECT_EQ(purchases->FindServiceForProduct("gems"), nullptr);
    EXPECT_EQ(purchases->FindServiceForPaymentMethod(nullptr), nullptr);
    EXPECT_EQ(coins.FindServiceForProduct("coins"), nullptr);  // a single service finds nothing
    EXPECT_FALSE(coins.RestorePurchases(Delegate1<void, bool>()));
}

}  // namespace
}  // namespace Varnok
