// The shop run through the engine's services against the protocol server: a
// guest signs in, earns coins, syncs, buys a blade through the store,
// purchase, bank and inventory services and syncs again. Dropping the
// connection mid-request at any step, then restarting over the same
// documents, ends with the server holding exactly what the undisturbed run
// left: nothing lost, nothing applied twice.
#include "tests/providers/Provider_Kiplink/KiplinkWorld.h"

#include "engine/services/IBankService.h"
#include "engine/services/IInventoryService.h"
#include "engine/services/IStoreService.h"
#include "kiplink/Source/Transaction.h"
#include "providers/Provider_Kiplink/KiplinkStoreService.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace TestSupport {
namespace {

using Tools::Fault;

constexpr int kEarned = 300;
constexpr const char* kBlade = "blade_fire";  // 250 coins, at most one
constexpr int kBladeCost = 250;

enum class Step { None, SignIn, FirstSync, PurchaseSync };

struct Outcomes {
    int count = 0;
    bool lastSuccess = false;
    void On(User*, bool success, const char*) {
        ++count;
        lastSuccess = success;
    }
};

struct ShopRun {
    std::string id;
    std::vector<uint32_t> batches;
    Json::Value data;
};

class KiplinkShopRunTest : public ::testing::Test {
protected:
    // Restarts until the slot-0 guest holds a token: a dropped sign-in is
    // retried ten library seconds later.
    bool SignIn(KiplinkWorld& world) {
        world.Start();
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (world.FramesUntil([&] { return world.Current()->HasId("kpauth"); }, 8000)) {
                return true;
            }
            LibrarySeconds() += 11;
        }
        return false;
    }

    // One sync of the slot-0 user; false when it failed or never answered.
    bool SyncOnce(KiplinkWorld& world) {
        User* user = world.Current();
        Kiplink::UserImpl* library = KiplinkWorld::LibraryUser(user);
        if (!world.FramesUntil([&] { return !library->IsSyncPending(); })) {
            return false;
        }
        Outcomes outcomes;
        const SyncResultDelegate listener(&outcomes, &Outcomes::On);
        user->AddSyncResultListener(listener);
        library->Synchronize();
        const bool answered = world.FramesUntil([&] { return outcomes.count > 0; }, 15000);
        user->RemoveSyncResultListener(listener);
        return answered && outcomes.lastSuccess;
    }

    // Syncs until nothing is left to send or confirm.
    bool SyncUntilSettled(KiplinkWorld& world) {
        for (int round = 0; round < 6; ++round) {
            (void)SyncOnce(world);
            Kiplink::UserImpl* library = KiplinkWorld::LibraryUser(world.Current());
            if (library->Pending().Size() == 0 && library->Sent().Size() == 0) {
                return true;
            }
        }
        return false;
    }

    // A sync that meets the fault, then a restart that settles the rest.
    void SyncThrough(KiplinkWorld& world, bool faulty, const Fault& fault) {
        if (!faulty) {
            ASSERT_TRUE(SyncUntilSettled(world));
            return;
        }
        world.Server().InjectFault(fault);
        EXPECT_FALSE(SyncOnce(world));
        world.Server().ClearFaults();
        const Kiplink::UserImpl* library = KiplinkWorld::LibraryUser(world.Current());
        EXPECT_GT(library->Pending().Size() + library->Sent().Size(), 0u);  // the sync did not get through
        ASSERT_TRUE(SignIn(world));  // the restart
        ASSERT_TRUE(SyncUntilSettled(world));
    }

    static uint32_t NewestBatch(User* user) {
        const auto& pending = KiplinkWorld::LibraryUser(user)->Pending();
        return pending.Size() > 0 ? pending.At(pending.Size() - 1)->GetId() : 0;
    }

    ShopRun Run(Step at, const Fault& fault) {
        ShopRun run;
        KiplinkWorld world;
        if (at == Step::SignIn) {
            world.Server().InjectFault(fault);
            world.Start();
            world.Settle(1500);
            EXPECT_FALSE(world.Current()->HasId("kpauth"));
            world.Server().ClearFaults();
        }
        EXPECT_TRUE(SignIn(world));
        User* user = world.Current();
        run.id = user->GetId("kpid");

        auto* bank = world.Manager().GetService<IBankService>();
        EXPECT_EQ(bank->ModifyCurrency(user, "coins", kEarned), kEarned);
        run.batches.push_back(NewestBatch(user));
        SyncThrough(world, at == Step::FirstSync, fault);

        user = world.Current();
        bank = world.Manager().GetService<IBankService>();
        auto* inventory = world.Manager().GetService<IInventoryService>();
        auto* store = world.Manager().GetService<IStoreService>();
        EXPECT_EQ(bank->GetCurrencyBalance(user, "coins"), kEarned);
        auto* blade = static_cast<KiplinkStoreService*>(store)->GetItem(kBlade);
        EXPECT_NE(blade, nullptr);
        if (blade == nullptr) {
            return run;
        }
        IStorePurchase* purchase = blade->Purchase(user, nullptr, StorePurchaseDelegate());
        EXPECT_NE(purchase, nullptr);
        EXPECT_EQ(purchase != nullptr ? purchase->GetState() : STOREPURCHASE::NotStarted, STOREPURCHASE::Succeeded);
        EXPECT_EQ(bank->GetCurrencyBalance(user, "coins"), kEarned - kBladeCost);
        EXPECT_EQ(inventory->GetItemCount(user, kBlade), 1);
        run.batches.push_back(NewestBatch(user));
        SyncThrough(world, at == Step::PurchaseSync, fault);

        run.data = world.accounts.GameData(run.id);
        for (uint32_t batch : run.batches) {
            EXPECT_EQ(world.accounts.TimesApplied(run.id, batch), 1) << batch;
        }
        return run;
    }
};

TEST_F(KiplinkShopRunTest, ADroppedConnectionAtAnyStepLeavesTheServerAsTheUndisturbedRunDoes) {
    const ShopRun reference = Run(Step::None, Fault());
    ASSERT_FALSE(reference.id.empty());
    const Json::Value& expected = reference.data;
    EXPECT_EQ(expected["bank"]["coins"]["qty"].asInt(), kEarned - kBladeCost);
    EXPECT_EQ(expected["inventory"][kBlade]["count"].asInt(), 1);
    ASSERT_EQ(expected["purchases"].size(), 1u);  // one "iap"
    EXPECT_EQ(reference.batches.size(), 2u);      // the earning, then payment and grant together

    // A connection closed unread cannot be told apart by its target: every
    // connection is closed while the step runs.
    const Fault unread = Fault::CloseBeforeRead().Times(-1);
    const struct {
        const char* what;
        Step at;
        Fault fault;
    } cases[] = {
        {"sign-in closed before the server read it", Step::SignIn, unread},
        {"sign-in closed after the server made the guest", Step::SignIn, Fault::CloseAfterAction().For("auth")},
        {"first sync closed before the server read it", Step::FirstSync, unread},
        {"first sync closed after the server applied it", Step::FirstSync, Fault::CloseAfterAction().For("game")},
        {"purchase sync closed before the server read it", Step::PurchaseSync, unread},
        {"purchase sync closed after the server applied it", Step::PurchaseSync,
         Fault::CloseAfterAction().For("game")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ShopRun run = Run(c.at, c.fault);
        EXPECT_EQ(run.data, expected) << run.data.toStyledString() << "\nexpected\n" << expected.toStyledString();
    }
}

}  // namespace
}  // namespace TestSupport
}  // namespace Varnok
