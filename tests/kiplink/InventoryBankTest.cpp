// Items and money as a user's transactions: the item's script hook on the
// amount, listeners through the providers' forwarders, the currency
// definitions in both static-data layouts.
#include "kiplink/Source/BankProviderImpl.h"
#include "kiplink/Source/InventoryProviderImpl.h"

#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Lua/LuaObjectRef.h"
#include "kiplink/Source/Lua/LuaVM.h"
#include "kiplink/Source/SettingProviderImpl.h"
#include "kiplink/Source/StoreProviderImpl.h"
#include "kiplink/Source/UserImpl.h"
#include "tests/kiplink/LogLines.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace Kiplink;

RefPtr<IValue> Parsed(const char* text) {
    RefPtr<IValue> value = RefPtr<IValue>::Adopt(CreateValue());
    EXPECT_TRUE(value->Parse(text)) << text;
    return value;
}

struct Counts {
    int inventory = 0;
    int bank = 0;
    int currencies = 0;
};

// One listener of each kind, counting into one place.
struct Heard {
    struct Inventory : IInventoryCallbacks {
        explicit Inventory(Counts* c) : counts(c) {}
        void OnInventoryUpdated(IInventory*) override { ++counts->inventory; }
        Counts* counts;
    };
    struct Inventories : IInventoryProviderCallbacks {
        explicit Inventories(Counts* c) : counts(c) {}
        void OnInventoryUpdated(IInventory*) override { ++counts->inventory; }
        Counts* counts;
    };
    struct Bank : IBankCallbacks {
        explicit Bank(Counts* c) : counts(c) {}
        void OnBankUpdated(IBank*) override { ++counts->bank; }
        Counts* counts;
    };
    struct Banks : IBankProviderCallbacks {
        explicit Banks(Counts* c) : counts(c) {}
        void OnBankUpdated(IBank*) override { ++counts->bank; }
        void OnCurrenciesUpdated(IBankProvider*) override { ++counts->currencies; }
        Counts* counts;
    };
    Counts counts;
    RefPtr<Inventory> inventory{new Inventory(&counts)};
    RefPtr<Inventories> inventories{new Inventories(&counts)};
    RefPtr<Bank> bank{new Bank(&counts)};
    RefPtr<Banks> banks{new Banks(&counts)};
};

// A root without a platform or server: the store, its scripts and one user.
class InventoryBankTest : public ::testing::Test {
protected:
    InventoryBankTest() {
        KiplinkSettings settings{"fam", "http://127.0.0.1:1/", "build"};
        root = RefPtr<KiplinkProviderImpl>::Adopt(
            static_cast<KiplinkProviderImpl*>(CreateKiplinkProvider(settings, nullptr)));
        root->GetScriptRegistry()->LoadScripts(*Parsed(R"lua({
            "Five": {"scriptClientCode": "function meta:OnAddedToInventory(user, amount) calls = calls + 1; lastUser = user:GetGUID(); return amount * 5 end"},
            "Silent": {"scriptClientCode": "function meta:OnAddedToInventory(user, amount) calls = calls + 1 end"},
            "Word": {"scriptClientCode": "function meta:OnAddedToInventory(user, amount) calls = calls + 1; return 'many' end"},
            "Raises": {"scriptClientCode": "function meta:OnAddedToInventory(user, amount) calls = calls + 1; error('no') end"}
        })lua"));
        store = RefPtr<StoreProviderImpl>::Adopt(static_cast<StoreProviderImpl*>(root->GetStoreProvider()));
        store->LoadItems(*Parsed(R"([
            {"referenceId": "gem", "itemName": "Gem", "itemScriptId": "Five"},
            {"referenceId": "quiet", "itemName": "Quiet", "itemScriptId": "Silent"},
            {"referenceId": "word", "itemName": "Word", "itemScriptId": "Word"},
            {"referenceId": "raises", "itemName": "Raises", "itemScriptId": "Raises"},
            {"referenceId": "plain", "itemName": "Plain"}])"),
                         *Parsed("[]"), *Parsed("[]"));
        (void)root->GetLuaVM()->RunString("calls = 0");
        user = RefPtr<UserImpl>::Adopt(static_cast<UserImpl*>(root->CreateUser()));
        inventories = RefPtr<IInventoryProvider>::Adopt(root->GetInventoryProvider());
        banks = RefPtr<IBankProvider>::Adopt(root->GetBankProvider());
        inventory = RefPtr<IInventory>::Adopt(inventories->GetInventory(user.Get()));
        bank = RefPtr<IBank>::Adopt(banks->GetBank(user.Get()));
        inventory->AddCallbacks(heard.inventory.Get());
        inventories->AddCallbacks(heard.inventories.Get());
        bank->AddCallbacks(heard.bank.Get());
        banks->AddCallbacks(heard.banks.Get());
    }
    ~InventoryBankTest() override {
        inventory->RemoveCallbacks(heard.inventory.Get());
        inventories->RemoveCallbacks(heard.inventories.Get());
        bank->RemoveCallbacks(heard.bank.Get());
        banks->RemoveCallbacks(heard.banks.Get());
    }

    int ScriptCalls() {
        RefPtr<LuaObjectRef> globals;
        (void)root->GetLuaVM()->GetGlobals(&globals);
        int32_t calls = -1;
        (void)globals->GetFieldInt("calls", &calls);
        return calls;
    }
    size_t OpenBatchSize() {
        auto batch = RefPtr<TransactionBatch>::Adopt(user->GetOpenTransaction());
        return batch ? batch->GetCount() : 0;
    }

    KiplinkTest::LogLines log;
    RefPtr<KiplinkProviderImpl> root;
    RefPtr<StoreProviderImpl> store;
    RefPtr<UserImpl> user;
    RefPtr<IInventoryProvider> inventories;
    RefPtr<IBankProvider> banks;
    RefPtr<IInventory> inventory;
    RefPtr<IBank> bank;
    Heard heard;
};

TEST_F(InventoryBankTest, TheItemsScriptHasItsSayOnTheAmountAdded) {
    const struct {
        const char* item;
        int32_t expectedCount;
        int expectedCalls;
    } cases[] = {
        {"gem", 5, 1},     // answers 5 for 1
        {"quiet", 1, 1},   // answers nothing
        {"word", 1, 1},    // answers a text
        {"raises", 1, 1},  // the call fails
        {"plain", 1, 0},   // no script
        {"unknown", 1, 0}, // not in the catalogue
    };
    user->BeginTransaction();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        const int before = ScriptCalls();
        EXPECT_EQ(inventory->ModifyItemCountById(c.item, 1), c.expectedCount);
        EXPECT_EQ(ScriptCalls() - before, c.expectedCalls);
        EXPECT_EQ(inventory->GetItemCountById(c.item), c.expectedCount);
    }
    EXPECT_EQ(OpenBatchSize(), 6u);
    EXPECT_EQ(heard.counts.inventory, 2 * 6);  // the inventory's own listener and the provider's
    user->EndTransaction();
    EXPECT_EQ(root->GetLuaVM()->GetTop(), 0);

    RefPtr<LuaObjectRef> globals;
    (void)root->GetLuaVM()->GetGlobals(&globals);
    const char* lastUser = nullptr;
    ASSERT_TRUE(globals->GetFieldString("lastUser", &lastUser));
    EXPECT_STREQ(lastUser, user->GetGUID());  // the hook got the user as a user object

    EXPECT_EQ(user->Pending().Size(), 1u);
    EXPECT_EQ(inventory->GetInventoryCount(), 6);
    EXPECT_STREQ(inventory->GetInventoryItem(0), "gem");
    EXPECT_EQ(inventory->GetInventoryItem(6), nullptr);
    EXPECT_EQ(inventory->GetInventoryItem(-1), nullptr);
}

TEST_F(InventoryBankTest, AZeroItemChangeDoesNothingWhileAZeroCurrencyChangeStillNotifies) {
    user->BeginTransaction();
    inventory->ModifyItemCountById("gem", 2);
    const int calls = ScriptCalls();
    const int heardBefore = heard.counts.inventory;
    EXPECT_EQ(inventory->ModifyItemCountById("gem", 0), 10);
    EXPECT_EQ(ScriptCalls(), calls);
    EXPECT_EQ(heard.counts.inventory, heardBefore);
    EXPECT_EQ(OpenBatchSize(), 1u);

    EXPECT_EQ(bank->ModifyCurrencyById("coins", 0), 0);
    EXPECT_EQ(heard.counts.bank, 2);
    EXPECT_EQ(bank->ModifyCurrencyById("coins", 30), 30);
    user->EndTransaction();
    EXPECT_EQ(bank->GetCurrencyById("coins"), 30);
    EXPECT_EQ(bank->GetCurrency(nullptr), 0);
    EXPECT_EQ(inventory->GetItemCount(nullptr), 0);
}

TEST_F(InventoryBankTest, ChangesWithoutAnOpenBatchGetOneOfTheirOwn) {
    bank->ModifyCurrencyById("coins", 7);
    inventory->ModifyItemCountById("plain", 2);
    EXPECT_EQ(user->Pending().Size(), 2u);
    EXPECT_EQ(bank->GetCurrencyById("coins"), 7);
    EXPECT_EQ(bank->ModifyCurrencyById("coins", -8), 7);  // below 0: its batch is refused
    EXPECT_EQ(bank->ModifyCurrencyById("coins", -7), 0);
    EXPECT_EQ(inventory->GetItemCountById("plain"), 2);
}

TEST_F(InventoryBankTest, EachUserHasOneBankAndOneInventory) {
    auto again = RefPtr<IBank>::Adopt(banks->GetBank(user.Get()));
    EXPECT_EQ(again.Get(), bank.Get());
    auto sameInventory = RefPtr<IInventory>::Adopt(inventories->GetInventory(user.Get()));
    EXPECT_EQ(sameInventory.Get(), inventory.Get());
    EXPECT_EQ(banks->GetBank(nullptr), nullptr);
    EXPECT_EQ(inventories->GetInventory(nullptr), nullptr);
    auto owner = RefPtr<IUser>::Adopt(bank->GetUser());
    EXPECT_EQ(owner.Get(), static_cast<IUser*>(user.Get()));
}

TEST_F(InventoryBankTest, ABankOrInventoryOutlivingItsProviderReportsToNoOne) {
    RefPtr<IBank> kept;
    RefPtr<IInventory> keptInventory;
    {
        RefPtr<BankProviderImpl> provider(new BankProviderImpl(root.Get()));
        RefPtr<InventoryProviderImpl> items(new InventoryProviderImpl(root.Get()));
        provider->AddCallbacks(heard.banks.Get());
        kept = RefPtr<IBank>::Adopt(provider->GetBank(user.Get()));
        keptInventory = RefPtr<IInventory>::Adopt(items->GetInventory(user.Get()));
        kept->ModifyCurrencyById("coins", 1);
        EXPECT_EQ(heard.counts.bank, 1);
        provider->RemoveCallbacks(heard.banks.Get());
    }
    // The providers are gone; the objects still hold their forwarders.
    EXPECT_EQ(kept->ModifyCurrencyById("coins", 1), 2);
    EXPECT_EQ(keptInventory->ModifyItemCountById("plain", 1), 1);
    EXPECT_EQ(heard.counts.bank, 1);
}

TEST_F(InventoryBankTest, CurrenciesReadTheirLayoutsOwnMembers) {
    auto provider = static_cast<BankProviderImpl*>(banks.Get());
    provider->LoadCurrencies(*Parsed(R"([
        {"referenceId": "coins", "currencyName": "Coins", "currencyEarnable": 1, "currencyInitialGiftAmount": 100,
         "description": "not read here"},
        {"referenceId": "gems", "currencyName": "Gems", "currencyEarnable": 0},
        {"referenceId": 5}, null])"),
                             true);
    EXPECT_EQ(heard.counts.currencies, 1);
    ASSERT_EQ(banks->GetCurrencyCount(), 2);
    auto coins = RefPtr<ICurrency>::Adopt(banks->GetCurrencyById("coins"));
    ASSERT_TRUE(coins);
    EXPECT_STREQ(coins->GetName(), "Coins");
    EXPECT_TRUE(coins->IsEarnable());
    EXPECT_EQ(coins->GetInitialGiftAmount(), 100);
    EXPECT_STREQ(coins->GetDescription(), "");
    auto gems = RefPtr<ICurrency>::Adopt(banks->GetCurrency(1));
    EXPECT_FALSE(gems->IsEarnable());
    EXPECT_EQ(banks->GetCurrency(2), nullptr);
    EXPECT_EQ(banks->GetCurrencyById("stars"), nullptr);

    // The catalogue layout takes a bool only; the same object is refilled.
    provider->LoadCurrencies(*Parsed(R"([
        {"currencyId": "stars", "name": "Stars", "description": "Shiny", "earnable": 1, "initialGiftAmount": 3},
        {"currencyId": "coins", "earnable": false}])"),
                             false);
    auto stars = RefPtr<ICurrency>::Adopt(banks->GetCurrencyById("stars"));
    EXPECT_FALSE(stars->IsEarnable());
    EXPECT_STREQ(stars->GetDescription(), "Shiny");
    EXPECT_EQ(stars->GetInitialGiftAmount(), 3);
    auto coinsAgain = RefPtr<ICurrency>::Adopt(banks->GetCurrencyById("coins"));
    EXPECT_EQ(coinsAgain.Get(), coins.Get());
    EXPECT_FALSE(coins->IsEarnable());
    EXPECT_STREQ(coins->GetName(), "Coins");  // absent: kept
    provider->LoadCurrencies(*Parsed("[]"), false);
    EXPECT_EQ(heard.counts.currencies, 3);
    EXPECT_EQ(banks->GetCurrencyCount(), 3);
}

}  // namespace
