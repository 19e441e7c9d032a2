// A purchase at library level: the bank pays the price in coins, the
// inventory takes the item through its script hook and the purchase
// provider records the receipt, all in one batch that the server applies
// once, also when the sync carrying it is cut off and the game restarts.
#include "kiplink/Public/IBank.h"
#include "kiplink/Public/IInventory.h"
#include "kiplink/Public/IStore.h"
#include "tests/providers/AccountFixture.h"

namespace OnlineTest {
namespace {

using Kiplink::RefPtr;
using Varnok::Tools::Fault;

class PurchaseTest : public AccountFixture {
protected:
    // Waits for the shipped static data to reach the store and the bank.
    bool CatalogueLoaded() {
        auto store = RefPtr<Kiplink::IStoreProvider>::Adopt(m_root->GetStoreProvider());
        auto banks = RefPtr<Kiplink::IBankProvider>::Adopt(m_root->GetBankProvider());
        return PumpUntil([&] {
            auto item = RefPtr<Kiplink::IStoreItem>::Adopt(store->GetItem("bean_bag"));
            auto coins = RefPtr<Kiplink::ICurrency>::Adopt(banks->GetCurrencyById("coins"));
            return item && coins;
        });
    }

    bool SyncUntilSettled(Kiplink::UserImpl& user) {
        for (int round = 0; round < 6; ++round) {
            const UserEvent* outcome = SyncOnce(user);
            if (outcome == nullptr || outcome->code != 0) {
                ADD_FAILURE() << "sync: " << (outcome != nullptr ? outcome->text : "no outcome");
                return false;
            }
            if (user.Pending().Size() == 0 && user.Sent().Size() == 0) {
                return true;
            }
        }
        return false;
    }

    // A guest with 500 coins earned and confirmed; answers its id.
    std::string GuestWithCoins() {
        MakeRoot();
        if (!CatalogueLoaded()) {
            ADD_FAILURE() << "no catalogue";
            return "";
        }
        auto user = LoginAsGuest();
        if (!user) {
            ADD_FAILURE() << "no guest login";
            return "";
        }
        auto banks = RefPtr<Kiplink::IBankProvider>::Adopt(m_root->GetBankProvider());
        auto bank = RefPtr<Kiplink::IBank>::Adopt(banks->GetBank(user.Get()));
        user->BeginTransaction();
        bank->ModifyCurrencyById("coins", 500);
        user->EndTransaction();
        EXPECT_TRUE(SyncUntilSettled(*user));
        return user->GetKiplinkID();
    }

    // Buys the bag of beans (100 coins; its script makes one bag five) in
    // one batch; answers the batch id.
    uint32_t BuyBeans(Kiplink::UserImpl& user) {
        auto store = RefPtr<Kiplink::IStoreProvider>::Adopt(m_root->GetStoreProvider());
        auto item = RefPtr<Kiplink::IStoreItem>::Adopt(store->GetItem("bean_bag"));
        auto banks = RefPtr<Kiplink::IBankProvider>::Adopt(m_root->GetBankProvider());
        auto bank = RefPtr<Kiplink::IBank>::Adopt(banks->GetBank(&user));
        auto inventories = RefPtr<Kiplink::IInventoryProvider>::Adopt(m_root->GetInventoryProvider());
        auto inventory = RefPtr<Kiplink::IInventory>::Adopt(inventories->GetInventory(&user));
        auto purchases = RefPtr<Kiplink::IPurchaseProvider>::Adopt(m_root->GetPurchaseProvider());

        user.BeginTransaction();
        EXPECT_EQ(bank->ModifyCurrencyById("coins", -item->GetCost("coins")), 400);
        EXPECT_EQ(inventory->ModifyItemCount(item.Get(), 1), 5);
        EXPECT_TRUE(purchases->AddPurchase(&user, "bean_bag", "store", "txn-1", "receipt-1"));
        auto batch = RefPtr<Kiplink::TransactionBatch>::Adopt(user.GetOpenTransaction());
        EXPECT_EQ(batch->GetCount(), 3u);
        const uint32_t id = batch->GetId();
        user.EndTransaction();
        return id;
    }

    void ExpectBoughtOnce(const std::string& id, uint32_t batch) {
        EXPECT_EQ(m_accounts.TimesApplied(id, batch), 1);
        const Json::Value data = m_accounts.GameData(id);
        EXPECT_EQ(data["bank"]["coins"]["qty"].asInt(), 400);
        EXPECT_EQ(data["inventory"]["bean_bag"]["count"].asInt(), 5);
        ASSERT_EQ(data["purchases"].size(), 1u);
        EXPECT_EQ(data["purchases"][0]["catalogueId"].asString(), "bean_bag");
        EXPECT_EQ(data["purchases"][0]["transactionIdentifier"].asString(), "txn-1");
        EXPECT_EQ(data["purchases"][0]["transactionReceipt"].asString(), "receipt-1");
    }
};

TEST_F(PurchaseTest, OneBatchPaysTakesTheItemAndRecordsTheReceipt) {
    const std::string id = GuestWithCoins();
    ASSERT_FALSE(id.empty());
    auto user = Reload(id);
    const uint32_t batch = BuyBeans(*user);
    ASSERT_TRUE(SyncUntilSettled(*user));
    ExpectBoughtOnce(id, batch);
    auto inventories = RefPtr<Kiplink::IInventoryProvider>::Adopt(m_root->GetInventoryProvider());
    auto inventory = RefPtr<Kiplink::IInventory>::Adopt(inventories->GetInventory(user.Get()));
    EXPECT_EQ(inventory->GetItemCountById("bean_bag"), 5);  // now from the server's data
}

TEST_F(PurchaseTest, ACutSyncAndARestartStillApplyThePurchaseOnce) {
    const struct {
        const char* what;
        Fault fault;
    } cases[] = {
        {"closed before the server read the sync", Fault::CloseBeforeRead()},
        {"closed after the server applied the batch", Fault::CloseAfterAction().For("game")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_root.Reset();
        const std::string id = GuestWithCoins();
        ASSERT_FALSE(id.empty());
        uint32_t batch = 0;
        {
            auto user = Reload(id);
            batch = BuyBeans(*user);
            ASSERT_TRUE(PumpUntil([&] { return m_root->Pending().Size() == 0; }));  // no call but the sync meets the fault
            m_server->InjectFault(c.fault);
            const UserEvent* outcome = SyncOnce(*user);
            ASSERT_NE(outcome, nullptr);
            EXPECT_EQ(outcome->code, Kiplink::KIPLINKERROR_FAILED);
        }
        m_root.Reset();  // a restart over the same save folder
        MakeRoot();
        ASSERT_TRUE(CatalogueLoaded());
        auto user = Reload(id);
        ASSERT_TRUE(user);
        ASSERT_TRUE(SyncUntilSettled(*user));
        ExpectBoughtOnce(id, batch);
        m_server->ClearFaults();
    }
}

}  // namespace
}  // namespace OnlineTest
