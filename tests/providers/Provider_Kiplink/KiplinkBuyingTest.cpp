// The bank, inventory, store, setting and purchase services over a signed-in
// guest: a catalogue of the test's own loaded into the client library, and
// hand-made library items where the shipped layout cannot say it (prices of
// several currencies, bundles).
#include "tests/providers/Provider_Kiplink/KiplinkWorld.h"

#include "engine/core/Event.h"
#include "engine/services/IBankService.h"
#include "engine/services/IInventoryService.h"
#include "engine/services/IPurchaseService.h"
#include "engine/services/ISettingService.h"
#include "engine/services/IStoreService.h"
#include "kiplink/Source/BankProviderImpl.h"
#include "kiplink/Source/SettingProviderImpl.h"
#include "kiplink/Source/StoreProviderImpl.h"
#include "kiplink/Source/Transaction.h"
#include "providers/Provider_Kiplink/KiplinkPurchaseService.h"
#include "providers/Provider_Kiplink/KiplinkStoreService.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Varnok {
namespace TestSupport {
namespace {

Kiplink::RefPtr<Kiplink::IValue> Parsed(const char* json) {
    auto value = Kiplink::RefPtr<Kiplink::IValue>::Adopt(Kiplink::CreateValue());
    EXPECT_TRUE(value->Parse(json)) << json;
    return value;
}

// A library item whose prices, bundle and limit the test sets.
class HandMadeItem final : public Kiplink::IStoreItem {
public:
    explicit HandMadeItem(std::string id) : m_id(std::move(id)) {}

    // Each price is a list of (currency, cost).
    void AddPrice(const std::vector<std::pair<std::string, int>>& costs) {
        Kiplink::RefPtr<Kiplink::StorePrice> price(new Kiplink::StorePrice);
        for (const auto& cost : costs) {
            price->AddCost(cost.first, cost.second);
        }
        prices.push_back(price);
    }

    const char* GetReferenceId() const override { return m_id.c_str(); }
    const char* GetName() const override { return m_id.c_str(); }
    const char* GetDescription() const override { return ""; }
    uint32_t GetTagCount() const override { return 0; }
    const char* GetTag(uint32_t) const override { return nullptr; }
    bool HasTag(const char*) const override { return false; }
    const Kiplink::IValue* GetMetaData() const override { return nullptr; }
    int32_t GetMaximumCount() const override { return maximum; }
    int32_t GetDefaultQuantity() const override { return 0; }
    bool IsBundle() const override { return bundled.Get() != nullptr; }
    Kiplink::IStoreItem* GetBundledItem() const override {
        if (bundled) {
            bundled->Reference();
        }
        return bundled.Get();
    }
    int32_t GetBundleCount() const override { return bundleCount; }
    bool GetDisplayCost(const char*, const char*, char*, size_t) const override { return false; }
    const char* GetProductSku(const char*) const override { return nullptr; }
    int32_t GetPaymentMethods() const override { return prices.empty() ? 0 : Kiplink::kPaymentVirtualCurrency; }
    uint32_t GetPriceCount() const override { return static_cast<uint32_t>(prices.size()); }
    const Kiplink::StorePrice* GetPrice(uint32_t index) const override {
        return index < prices.size() ? prices[index].Get() : nullptr;
    }
    const char* GetPriceCurrency(uint32_t index) const override {
        return index < prices.size() ? prices[index]->GetCurrency(0) : nullptr;
    }
    int32_t GetCost(const char* currency) const override {
        for (const auto& price : prices) {
            int32_t cost = 0;
            if (currency != nullptr && price->GetCost(currency, &cost)) {
                return cost;
            }
        }
        return -1;
    }
    int32_t GetBundleWeight() const override { return 0; }
    const Kiplink::IValue* GetScriptData() const override { return nullptr; }
    Kiplink::LuaObjectRef* GetDataTable() const override { return nullptr; }

    std::vector<Kiplink::RefPtr<Kiplink::StorePrice>> prices;
    Kiplink::RefPtr<Kiplink::IStoreItem> bundled;
    int32_t bundleCount = 0;
    int32_t maximum = -1;

private:
    std::string m_id;
};

struct Calls {
    int count = 0;
    void On() { ++count; }
};

struct Results {
    std::vector<std::pair<IStorePurchase*, STOREPURCHASE>> heard;
    void On(IStorePurchase* purchase, STOREPURCHASE state) { heard.emplace_back(purchase, state); }
};

// "gold" can be earned, "gems" only bought elsewhere; the catalogue prices in
// both, in the single currency "real" and in a currency no bank knows.
constexpr const char* kCurrencies = R"([
    {"referenceId": "gold", "currencyName": "Gold", "currencyEarnable": true},
    {"referenceId": "gems", "currencyName": "Gems", "currencyEarnable": false}])";
constexpr const char* kItems = R"([
    {"referenceId": "lamp", "itemName": "Lamp", "itemMaxQty": -1, "itemMetaData": {"kind": "light"},
     "itemPricing": [{"virtual": [{"amount": 40, "currency": "gold"}]}]},
    {"referenceId": "torch", "itemName": "Torch", "itemMaxQty": -1, "itemMetaData": {"kind": "light"},
     "itemPricing": [{"virtual": [{"amount": 10, "currency": "gold"}, {"amount": 5, "currency": "gems"}]}]},
    {"referenceId": "crown", "itemName": "Crown", "itemMaxQty": 4, "itemMetaData": {"kind": "hat"},
     "itemPricing": [{"virtual": [{"amount": 1, "currency": "gold"}]}]},
    {"referenceId": "pearl", "itemName": "Pearl", "itemMaxQty": -1, "itemPricing": [{"real": "real"}]},
    {"referenceId": "zinc_bar", "itemName": "Zinc bar", "itemMaxQty": -1,
     "itemPricing": [{"virtual": [{"amount": 3, "currency": "zinc"}]}]}])";

class KiplinkBuyingTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_world.Start();
        ASSERT_TRUE(m_world.FramesUntil([&] { return m_world.Current()->HasId("kpauth"); }));
        m_world.Settle();
        user = m_world.Current();
        library = KiplinkWorld::LibraryUser(user);
        ASSERT_NE(library, nullptr);
        Kiplink::IKiplinkProvider* root = m_world.Provider()->GetRoot();
        auto banks = Kiplink::RefPtr<Kiplink::IBankProvider>::Adopt(root->GetBankProvider());
        static_cast<Kiplink::BankProviderImpl*>(banks.Get())->LoadCurrencies(*Parsed(kCurrencies), true);
        auto store = Kiplink::RefPtr<Kiplink::IStoreProvider>::Adopt(root->GetStoreProvider());
        static_cast<Kiplink::StoreProviderImpl*>(store.Get())
            ->LoadItems(*Parsed(kItems), *Parsed("[]"), *Parsed("[]"));
        bank = m_world.Manager().GetService<IBankService>();
        inventory = m_world.Manager().GetService<IInventoryService>();
        purchases = m_world.Manager().GetServiceAggregate<IPurchaseService>();
        this->store = m_world.Provider()->GetStoreService();
        ASSERT_NE(bank, nullptr);
        ASSERT_NE(inventory, nullptr);
        ASSERT_NE(purchases, nullptr);
        ASSERT_NE(this->store, nullptr);
    }

    // Sets a balance straight in the library, earnable or not.
    void Give(const char* currency, int amount) {
        Kiplink::IKiplinkProvider* root = m_world.Provider()->GetRoot();
        auto banks = Kiplink::RefPtr<Kiplink::IBankProvider>::Adopt(root->GetBankProvider());
        auto libraryBank = Kiplink::RefPtr<Kiplink::IBank>::Adopt(banks->GetBank(library));
        libraryBank->ModifyCurrencyById(currency, amount - libraryBank->GetCurrencyById(currency));
    }
    // The adapter of a hand-made item.
    KiplinkStoreItem* Adapt(const Kiplink::RefPtr<HandMadeItem>& item) {
        item->Reference();  // the reference a library getter would add
        return store->AdapterFor(item.Get());
    }
    size_t Batches() const { return library->Pending().Size(); }
    // The transaction types of the newest batch.
    std::vector<std::string> LastBatch() const {
        std::vector<std::string> types;
        if (library->Pending().Size() > 0) {
            const Kiplink::TransactionBatch* batch = library->Pending().At(library->Pending().Size() - 1);
            for (size_t i = 0; i < batch->GetCount(); ++i) {
                types.emplace_back(batch->GetTransaction(i)->GetTypeName());
            }
        }
        return types;
    }

    KiplinkWorld m_world;
    User* user = nullptr;
    Kiplink::UserImpl* library = nullptr;
    IBankService* bank = nullptr;
    IInventoryService* inventory = nullptr;
    IPurchaseServiceAggregate* purchases = nullptr;
    KiplinkStoreService* store = nullptr;
};

TEST_F(KiplinkBuyingTest, TheBankEarnsOnlyEarnableCurrenciesAndSpendsAny) {
    Give("gold", 100);
    Give("gems", 100);
    const struct {
        const char* currency;
        int amount;
        int balance;
        size_t newBatches;
    } steps[] = {
        {"gold", 50, 150, 1},
        {"gems", 50, 100, 0},  // cannot be earned: only answered
        {"gems", -30, 70, 1},
        {"gold", 0, 150, 0},
        {"tin", 5, 0, 0},  // no such currency
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.currency) + " " + std::to_string(step.amount));
        const size_t before = Batches();
        EXPECT_EQ(bank->ModifyCurrency(user, step.currency, step.amount), step.balance);
        EXPECT_EQ(bank->GetCurrencyBalance(user, step.currency), step.balance);
        ASSERT_EQ(Batches() - before, step.newBatches);
        if (step.newBatches == 1) {
            EXPECT_EQ(LastBatch(), std::vector<std::string>{"bank"});
        }
    }
    EXPECT_EQ(bank->ModifyCurrency(nullptr, "gold", 5), 0);
    EXPECT_EQ(bank->GetCurrencyBalance(nullptr, "gold"), 0);

    // Inside the caller's transaction the change joins it rather than
    // closing a batch of its own.
    const size_t before = Batches();
    user->BeginTransaction();
    bank->ModifyCurrency(user, "gold", 1);
    bank->ModifyCurrency(user, "gold", 2);
    EXPECT_EQ(Batches(), before);
    user->EndTransaction();
    EXPECT_EQ(Batches(), before + 1);
    EXPECT_EQ(LastBatch(), (std::vector<std::string>{"bank", "bank"}));

    std::vector<std::string> ids;
    for (int i = 0; i < bank->GetCurrencyCount(); ++i) {
        ids.emplace_back(bank->GetCurrencyId(i));
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"coins", "gold", "gems"}));
    EXPECT_EQ(bank->GetCurrencyId(ids.size()), nullptr);
}

TEST_F(KiplinkBuyingTest, AListenerAddedTwiceRunsTwiceAndOneRemovalDropsBoth) {
    auto* banks = m_world.Manager().GetServiceAggregate<IBankService>();
    auto* inventories = m_world.Manager().GetServiceAggregate<IInventoryService>();
    auto* stores = m_world.Manager().GetServiceAggregate<IStoreService>();
    auto* settings = m_world.Manager().GetServiceAggregate<ISettingService>();
    ASSERT_NE(settings, nullptr);
    Kiplink::IKiplinkProvider* root = m_world.Provider()->GetRoot();
    const struct {
        const char* what;
        std::function<void(Delegate0<void>)> add;
        std::function<void(Delegate0<void>)> remove;
        std::function<void()> change;
    } kinds[] = {
        {"bank", [&](Delegate0<void> d) { banks->AddBankUpdateListener(d); },
         [&](Delegate0<void> d) { banks->RemoveBankUpdateListener(d); },
         [&] { bank->ModifyCurrency(user, "gold", 1); }},
        {"inventory", [&](Delegate0<void> d) { inventories->AddInventoryUpdateListener(d); },
         [&](Delegate0<void> d) { inventories->RemoveInventoryUpdateListener(d); },
         [&] { inventory->ModifyItemCount(user, "lamp", 1); }},
        {"store", [&](Delegate0<void> d) { stores->AddStoreUpdateListener(d); },
         [&](Delegate0<void> d) { stores->RemoveStoreUpdateListener(d); },
         [&] {
             auto provider = Kiplink::RefPtr<Kiplink::IStoreProvider>::Adopt(root->GetStoreProvider());
             static_cast<Kiplink::StoreProviderImpl*>(provider.Get())
                 ->LoadItems(*Parsed(kItems), *Parsed("[]"), *Parsed("[]"));
         }},
        {"settings", [&](Delegate0<void> d) { settings->AddSettingsLoadedListener(d); },
         [&](Delegate0<void> d) { settings->RemoveSettingsLoadedListener(d); },
         [&] {
             auto provider = Kiplink::RefPtr<Kiplink::ISettingProvider>::Adopt(root->GetSettingProvider());
             static_cast<Kiplink::SettingProviderImpl*>(provider.Get())->LoadSettings(*Parsed(R"({"speed": 3})"));
         }},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.what);
        Calls twice, other;
        kind.add(Delegate0<void>(&twice, &Calls::On));
        kind.add(Delegate0<void>(&twice, &Calls::On));
        kind.add(Delegate0<void>(&other, &Calls::On));
        kind.add(Delegate0<void>());  // empty: never called, never harmful
        kind.change();
        EXPECT_EQ(twice.count, 2);
        EXPECT_EQ(other.count, 1);
        kind.remove(Delegate0<void>(&twice, &Calls::On));
        kind.change();
        EXPECT_EQ(twice.count, 2);
        EXPECT_EQ(other.count, 2);
        kind.remove(Delegate0<void>(&other, &Calls::On));
    }
    // The loaded settings come out as a service value.
    ServiceValueHandle loaded = m_world.Manager().GetService<ISettingService>()->GetSettings();
    ASSERT_FALSE(loaded.IsEmpty());
    EXPECT_EQ(loaded.Get()->GetMemberHandleByString("speed").Get()->AsInt(0), 3);
}

TEST_F(KiplinkBuyingTest, InventoryCountsBelongToSignedInUsers) {
    EXPECT_EQ(inventory->ModifyItemCount(user, "lamp", 3), 3);
    EXPECT_EQ(inventory->ModifyItemCount(user, "lamp", -1), 2);
    EXPECT_EQ(inventory->GetItemCount(user, "lamp"), 2);
    EXPECT_EQ(inventory->GetInventoryCount(user), 1);
    EXPECT_STREQ(inventory->GetInventoryItem(user, 0), "lamp");
    EXPECT_EQ(inventory->GetInventoryItem(user, 1), nullptr);
    EXPECT_EQ(inventory->ModifyItemCount(nullptr, "lamp", 3), 0);
    EXPECT_EQ(inventory->GetItemCount(nullptr, "lamp"), 0);
    EXPECT_EQ(inventory->GetInventoryCount(nullptr), 0);
}

TEST_F(KiplinkBuyingTest, FindPaymentMethodTakesTheMostLeadingCurrenciesEarliestFirst) {
    using Costs = std::vector<std::pair<std::string, int>>;
    const char* const wanted[] = {"a", "b"};
    const struct {
        const char* what;
        std::vector<Costs> prices;
        int expected;  // price index, -1 none
    } cases[] = {
        {"(a, c) then (a, b)", {{{"a", 1}, {"c", 1}}, {{"a", 1}, {"b", 1}}}, 1},
        {"(a) then (a)", {{{"a", 1}}, {{"a", 2}}}, 0},
        {"(c, a)", {{{"c", 1}, {"a", 1}}}, -1},
        {"no price", {}, -1},
    };
    int made = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Kiplink::RefPtr<HandMadeItem> raw(new HandMadeItem("made" + std::to_string(made++)));
        for (const auto& costs : c.prices) {
            raw->AddPrice(costs);
        }
        KiplinkStoreItem* item = Adapt(raw);
        IPaymentMethod* found = item->FindPaymentMethod(wanted, 2);
        EXPECT_EQ(found, c.expected < 0 ? nullptr : item->GetPaymentMethod(c.expected));
    }
}

TEST_F(KiplinkBuyingTest, APaymentMethodLivesAsLongAsItsItem) {
    Give("gold", 100);
    Kiplink::RefPtr<HandMadeItem> raw(new HandMadeItem("lantern"));
    raw->AddPrice({{"gold", 30}});
    KiplinkStoreItem* item = Adapt(raw);
    EXPECT_EQ(Adapt(raw), item);  // one adapter per library item

    IPaymentMethod* first = item->GetPaymentMethod(0);
    EXPECT_EQ(item->GetPaymentMethod(0), first);  // asking again keeps it
    IStorePurchase* purchase = item->Purchase(user, first, StorePurchaseDelegate());
    ASSERT_NE(purchase, nullptr);
    EXPECT_EQ(purchase->GetState(), STOREPURCHASE::Succeeded);

    // A reload that gives the index a new price: the purchase's method still
    // answers (a freed one would trip the address sanitiser here).
    raw->prices[0] = new Kiplink::StorePrice;
    raw->prices[0]->AddCost("gold", 35);
    IPaymentMethod* second = item->GetPaymentMethod(0);
    EXPECT_NE(second, first);
    int cost = 0;
    ASSERT_TRUE(purchase->GetPaymentMethod()->GetCost("gold", &cost));
    EXPECT_EQ(cost, 30);
    ASSERT_TRUE(second->GetCost("gold", &cost));
    EXPECT_EQ(cost, 35);
    EXPECT_EQ(item->GetPaymentMethod(1), nullptr);
    EXPECT_EQ(item->GetPaymentMethod(-1), nullptr);
}

TEST_F(KiplinkBuyingTest, TheCatalogueKeepsOneAdapterPerItemAndFindsByMetaData) {
    IStoreItem* lamp = store->GetItem("lamp");
    ASSERT_NE(lamp, nullptr);
    bool sawLamp = false;
    for (int i = 0; i < store->GetItemCount(); ++i) {
        IStoreItem* item = store->GetItemByIndex(i);
        EXPECT_EQ(store->GetItemByIndex(i), item);
        sawLamp = sawLamp || item == lamp;
    }
    EXPECT_TRUE(sawLamp);
    EXPECT_EQ(store->GetItemByIndex(store->GetItemCount()), nullptr);
    EXPECT_EQ(store->GetItem("no_such_item"), nullptr);
    EXPECT_EQ(store->FindItemByMetaData("kind", "hat"), store->GetItem("crown"));
    IStoreItem* light = store->FindItemByMetaData("kind", "light");
    EXPECT_TRUE(light == lamp || light == store->GetItem("torch"));
    EXPECT_EQ(store->FindItemByMetaData("kind", "boot"), nullptr);
    EXPECT_EQ(store->FindItemByMetaData("colour", "light"), nullptr);

    // Real money and no price at all are always affordable; virtual prices
    // when the balance covers one of them.
    Give("gold", 9);
    Give("gems", 5);
    EXPECT_TRUE(store->CanUserAfford(user, store->GetItem("pearl")));
    EXPECT_TRUE(store->CanUserAfford(user, store->GetItem("torch")));  // the gems cover it
    EXPECT_FALSE(store->CanUserAfford(user, lamp));
    EXPECT_FALSE(store->CanUserAfford(nullptr, lamp));
    std::string shown = "kept";
    lamp->GetDisplayCost(nullptr, "gold", shown);
    EXPECT_EQ(shown, "kept");
}

TEST_F(KiplinkBuyingTest, PurchasesPayWhatTheyCanAndGrantWhatWasBought) {
    Give("gold", 40);
    Results results;
    const StorePurchaseDelegate onDone(&results, &Results::On);
    const size_t kept = store->GetPurchaseCount();

    // A currency no service supports, directly or through the item's own.
    EXPECT_EQ(store->GetItem("zinc_bar")->Purchase(user, onDone, "zinc"), nullptr);
    // Two prices and no method: the caller must choose.
    EXPECT_EQ(store->GetItem("torch")->Purchase(user, nullptr, onDone), nullptr);
    // Only real money: not this service's to take.
    EXPECT_EQ(store->GetItem("pearl")->Purchase(user, nullptr, onDone), nullptr);
    EXPECT_TRUE(results.heard.empty());
    EXPECT_EQ(store->GetPurchaseCount(), kept);

    // Owning the maximum is refused before any purchase exists.
    inventory->ModifyItemCount(user, "crown", 4);
    EXPECT_FALSE(store->CanBuyItem(user, store->GetItem("crown")));
    EXPECT_EQ(store->GetItem("crown")->Purchase(user, nullptr, onDone), nullptr);
    ASSERT_EQ(results.heard.size(), 1u);
    EXPECT_EQ(results.heard[0], std::make_pair(static_cast<IStorePurchase*>(nullptr), STOREPURCHASE::OwnsMaximum));
    EXPECT_EQ(store->GetPurchaseCount(), kept);
    results.heard.clear();

    // One price and no method: price 0; a balance equal to the cost suffices,
    // paid and granted in one batch.
    IStoreItem* lamp = store->GetItem("lamp");
    EXPECT_TRUE(store->CanBuyItem(user, lamp));
    const size_t batches = Batches();
    IStorePurchase* bought = lamp->Purchase(user, nullptr, onDone);
    ASSERT_NE(bought, nullptr);
    EXPECT_EQ(bought->GetPaymentMethod(), lamp->GetPaymentMethod(0));
    EXPECT_EQ(bought->GetState(), STOREPURCHASE::Succeeded);
    EXPECT_EQ(results.heard, (std::vector<std::pair<IStorePurchase*, STOREPURCHASE>>{{bought, STOREPURCHASE::Succeeded}}));
    EXPECT_EQ(bank->GetCurrencyBalance(user, "gold"), 0);
    EXPECT_EQ(inventory->GetItemCount(user, "lamp"), 1);
    EXPECT_EQ(Batches(), batches + 1);
    EXPECT_EQ(LastBatch(), (std::vector<std::string>{"bank", "iap", "inventory"}));
    // Complete: further states change nothing and call nobody.
    bought->SetState(STOREPURCHASE::Failed);
    EXPECT_EQ(bought->GetState(), STOREPURCHASE::Succeeded);
    EXPECT_EQ(results.heard.size(), 1u);
    results.heard.clear();

    // One short: refused, nothing paid or granted.
    Give("gold", 39);
    IStorePurchase* refused = lamp->Purchase(user, onDone, "gold");
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(refused->GetState(), STOREPURCHASE::Failed);
    EXPECT_STREQ(refused->GetErrorMessage(), "insufficient balance");
    EXPECT_EQ(bank->GetCurrencyBalance(user, "gold"), 39);
    EXPECT_EQ(inventory->GetItemCount(user, "lamp"), 1);

    // By a currency the service takes: an unknown one falls back to the
    // item's own.
    Give("gold", 40);
    IStorePurchase* byCurrency = lamp->Purchase(user, onDone, "tin");
    ASSERT_NE(byCurrency, nullptr);
    EXPECT_STREQ(byCurrency->GetCurrencyId(), "gold");
    EXPECT_EQ(byCurrency->GetState(), STOREPURCHASE::Succeeded);
    EXPECT_EQ(bank->GetCurrencyBalance(user, "gold"), 0);

    // No user: "invalid user".
    Give("gold", 40);
    IStorePurchase* nobody = lamp->Purchase(nullptr, onDone, "gold");
    ASSERT_NE(nobody, nullptr);
    EXPECT_STREQ(nobody->GetErrorMessage(), "invalid user");
    EXPECT_EQ(store->GetPurchaseCount(), kept + 4);
}

TEST_F(KiplinkBuyingTest, ABundleGrantsItsUnitsOfTheBundledItemAndNothingOfItself) {
    Give("gold", 10);
    Kiplink::RefPtr<HandMadeItem> bundle(new HandMadeItem("lamp_crate"));
    bundle->AddPrice({{"gold", 10}});
    auto lamp = Kiplink::RefPtr<Kiplink::IStoreItem>::Adopt(
        Kiplink::RefPtr<Kiplink::IStoreProvider>::Adopt(m_world.Provider()->GetRoot()->GetStoreProvider())
            ->GetItem("lamp"));
    bundle->bundled = lamp;
    bundle->bundleCount = 3;
    IStorePurchase* bought = Adapt(bundle)->Purchase(user, nullptr, StorePurchaseDelegate());
    ASSERT_NE(bought, nullptr);
    EXPECT_EQ(bought->GetState(), STOREPURCHASE::Succeeded);
    EXPECT_EQ(inventory->GetItemCount(user, "lamp"), 3);
    EXPECT_EQ(inventory->GetItemCount(user, "lamp_crate"), 0);
    EXPECT_EQ(LastBatch(), (std::vector<std::string>{"bank", "iap", "inventory"}));
}

TEST_F(KiplinkBuyingTest, AnOutsideStoresPurchaseReportsItsProgressAndGrantsWithoutNotice) {
    struct Progress {
        std::vector<std::string> lines;
        void On(const Event& event) {
            std::string line;
            for (const char* arg : {"name", "item", "event", "reason"}) {
                if (event.HasArg(arg)) {
                    line += std::string(arg) + "=" + event.GetArgText(arg).c_str() + " ";
                }
            }
            lines.push_back(line);
        }
    } progress;
    EventDispatcher::Get().Subscribe("iap_progress", EventListener(&progress, &Progress::On));
    IStoreItem* lamp = store->GetItem("lamp");
    std::unique_ptr<IStorePurchase> failed(lamp->CreateExternalPurchase("obj", "tx-1", "receipt"));
    EXPECT_EQ(failed->GetUser(), user);  // the user of slot 0
    failed->SetState(STOREPURCHASE::Initiated);  // not real money yet: no event
    failed->SetPaymentMethod(STOREPAYMENTMETHOD::RealMoney);
    failed->SetErrorMessage("declined");
    failed->SetState(STOREPURCHASE::Failed);
    failed->SetState(STOREPURCHASE::Succeeded);  // complete: ignored

    Kiplink::RefPtr<HandMadeItem> crate(new HandMadeItem("lamp_crate"));
    crate->bundled = Kiplink::RefPtr<Kiplink::IStoreItem>::Adopt(
        Kiplink::RefPtr<Kiplink::IStoreProvider>::Adopt(m_world.Provider()->GetRoot()->GetStoreProvider())
            ->GetItem("lamp"));
    crate->bundleCount = 2;
    std::unique_ptr<IStorePurchase> granted(Adapt(crate)->CreateExternalPurchase("obj", "tx-2", "receipt"));
    granted->SetPaymentMethod(STOREPAYMENTMETHOD::RealMoney);
    const size_t batches = Batches();
    granted->GrantWithoutNotice();
    EventDispatcher::Get().Unsubscribe("iap_progress", EventListener(&progress, &Progress::On));

    EXPECT_EQ(progress.lines, (std::vector<std::string>{"name=none item=lamp event=failed reason=declined "}));
    EXPECT_EQ(granted->GetState(), STOREPURCHASE::Succeeded);
    EXPECT_EQ(inventory->GetItemCount(user, "lamp"), 2);
    EXPECT_EQ(Batches(), batches + 1);
    EXPECT_EQ(LastBatch(), (std::vector<std::string>{"iap", "inventory"}));
}

TEST_F(KiplinkBuyingTest, ThePurchaseServiceTakesTheCurrenciesItsBankKnowsButNotRealMoneyAlone) {
    Kiplink::RefPtr<HandMadeItem> raw(new HandMadeItem("odd"));
    raw->AddPrice({{"real", 0}});
    raw->AddPrice({});
    raw->AddPrice({{"gold", 1}, {"gems", 1}});
    raw->AddPrice({{"gold", 1}, {"zinc", 1}});
    raw->AddPrice({{"real", 0}, {"gold", 1}});
    KiplinkStoreItem* item = Adapt(raw);
    const bool expected[] = {false, true, true, false, false};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(purchases->FindServiceForPaymentMethod(item->GetPaymentMethod(i)) != nullptr, expected[i]);
    }
    EXPECT_EQ(purchases->FindServiceForPaymentMethod(nullptr), nullptr);
    EXPECT_NE(purchases->FindServiceForProduct("lamp"), nullptr);
    EXPECT_EQ(purchases->FindServiceForProduct(""), nullptr);
    EXPECT_EQ(purchases->FindServiceForProduct("no_such_item"), nullptr);

    struct Product {
        int calls = 0;
        IStoreItem* item = nullptr;
        std::string id;
        int status = -1;
        void On(IStoreItem* i, const char* p, int s) {
            ++calls;
            item = i;
            id = p;
            status = s;
        }
    } product;
    IStoreItem* lamp = store->GetItem("lamp");
    lamp->QueryProduct("lamp", StoreProductDelegate(&product, &Product::On));
    EXPECT_EQ(product.calls, 1);
    EXPECT_EQ(product.item, lamp);
    EXPECT_EQ(product.id, "lamp");
    EXPECT_EQ(product.status, 0);
}

}  // namespace
}  // namespace TestSupport
}  // namespace Varnok
