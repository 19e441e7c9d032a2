// The store read from both static-data layouts: lookups, prices and their
// display texts, reloads that keep the item objects, categories, weighted
// bundle draws and the link from an item to its script's table.
#include "kiplink/Source/StoreProviderImpl.h"

#include "kiplink/Source/Lua/LuaObjectRef.h"
#include "kiplink/Source/Lua/LuaVM.h"
#include "kiplink/Source/SettingProviderImpl.h"
#include "tests/kiplink/LogLines.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using Kiplink::IStoreItem;
using Kiplink::IValue;
using Kiplink::RefPtr;
using Kiplink::StoreProviderImpl;

RefPtr<IValue> Parsed(const char* text) {
    RefPtr<IValue> value = RefPtr<IValue>::Adopt(Kiplink::CreateValue());
    EXPECT_TRUE(value->Parse(text)) << text;
    return value;
}

const char kItems[] = R"([
  {"referenceId": "sword", "itemName": "Sword", "itemTags": ["blade", "sharp"], "itemDefaultQty": 1,
   "itemMaxQty": 3, "itemMetaData": {"type": "WEAPON"}, "itemScriptData": {"multiplier": 4},
   "itemPricing": [{"virtual": [{"amount": 250, "currency": "coins"}, {"amount": 9, "currency": "gems"}]},
                   {"virtual": [{"amount": 400, "currency": "coins"}]}]},
  {"referenceId": "ads", "itemName": "No Ads", "itemPricing": [{"store": "real"}]},
  {"referenceId": "both", "itemPricing": [{"store": "real", "virtual": [{"amount": 5, "currency": "coins"}]}]},
  7, {"itemName": "no id"}, {"referenceId": 12}
])";
const char kProviders[] = R"([
  {"paymentProviderId": "appstore", "skusLookup": {"ads": "com.example.noads", "7": "seven"},
   "prices": {"ads": 1999, "sword": 5, "both": 99, "gone": null}},
  {"noId": true}
])";
const char kGroups[] = R"([
  {"referenceId": "weapons", "name": "Weapons", "items": [{"referenceId": "sword"}, 3, {"referenceId": "ads"}]},
  {"referenceId": "weapons", "name": "again"},
  {"name": "no id"}
])";

TEST(StoreProvider, ReadsTheItemLayout) {
    RefPtr<StoreProviderImpl> store(new StoreProviderImpl(nullptr, nullptr));
    store->LoadItems(*Parsed(kItems), *Parsed(kProviders), *Parsed(kGroups));
    ASSERT_EQ(store->GetItemCount(), 3u);

    RefPtr<IStoreItem> sword = RefPtr<IStoreItem>::Adopt(store->GetItem("sword"));
    ASSERT_TRUE(sword);
    EXPECT_STREQ(sword->GetName(), "Sword");
    EXPECT_EQ(sword->GetTagCount(), 2u);
    EXPECT_TRUE(sword->HasTag("sharp"));
    EXPECT_FALSE(sword->HasTag(nullptr));
    EXPECT_EQ(sword->GetTag(2), nullptr);
    EXPECT_EQ(sword->GetMaximumCount(), 3);
    EXPECT_EQ(sword->GetDefaultQuantity(), 1);
    EXPECT_STREQ(sword->GetMetaData()->GetMemberByString("type")->AsString(""), "WEAPON");
    EXPECT_EQ(sword->GetScriptData()->GetMemberByString("multiplier")->AsInt(0), 4);
    EXPECT_EQ(sword->GetPriceCount(), 3u);
    EXPECT_EQ(sword->GetCost("coins"), 250);  // the first price that lists it
    EXPECT_EQ(sword->GetCost("gems"), 9);
    EXPECT_EQ(sword->GetCost("tokens"), -1);
    EXPECT_EQ(sword->GetCost(nullptr), -1);
    EXPECT_STREQ(sword->GetPriceCurrency(2), "coins");
    EXPECT_EQ(sword->GetPriceCurrency(3), nullptr);
    EXPECT_EQ(sword->GetPaymentMethods(), Kiplink::kPaymentVirtualCurrency);

    RefPtr<IStoreItem> ads = RefPtr<IStoreItem>::Adopt(store->GetItem("ads"));
    EXPECT_EQ(ads->GetPaymentMethods(), Kiplink::kPaymentRealMoney);
    EXPECT_EQ(ads->GetCost("real"), 0);
    EXPECT_STREQ(ads->GetProductSku("appstore"), "com.example.noads");
    EXPECT_STREQ(sword->GetProductSku("appstore"), "");
    EXPECT_EQ(ads->GetProductSku("playstore"), nullptr);
    RefPtr<IStoreItem> both = RefPtr<IStoreItem>::Adopt(store->GetItem("both"));
    EXPECT_EQ(both->GetPaymentMethods(), Kiplink::kPaymentBoth);

    EXPECT_EQ(store->GetItemGroupCount(), 1u);
    EXPECT_STREQ(store->GetItemGroupIdByIndex(0), "weapons");
    RefPtr<Kiplink::IItemGroup> group = RefPtr<Kiplink::IItemGroup>::Adopt(store->GetItemGroup("weapons"));
    ASSERT_TRUE(group);
    EXPECT_STREQ(group->GetName(), "Weapons");
    EXPECT_EQ(group->GetItemCount(), 2u);
    EXPECT_STREQ(group->GetItem(1), "ads");
    EXPECT_EQ(group->GetItem(2), nullptr);
    EXPECT_EQ(store->GetItemGroup("nothing"), nullptr);
    EXPECT_EQ(store->GetItem("nothing"), nullptr);
}

TEST(StoreProvider, CentsDisplayWithTwoDecimalsAndCostsCopyOnlyWhenTheyFit) {
    RefPtr<StoreProviderImpl> store(new StoreProviderImpl(nullptr, nullptr));
    store->LoadItems(*Parsed(kItems), *Parsed(kProviders), *Parsed(kGroups));
    RefPtr<Kiplink::PaymentProvider> appstore =
        RefPtr<Kiplink::PaymentProvider>::Adopt(store->GetPaymentProvider("appstore"));
    ASSERT_TRUE(appstore);
    EXPECT_STREQ(appstore->GetDisplayPrice("sword"), "0.05");
    EXPECT_STREQ(appstore->GetDisplayPrice("both"), "0.99");
    EXPECT_STREQ(appstore->GetDisplayPrice("ads"), "19.99");
    EXPECT_EQ(appstore->GetPriceCents("ads"), 1999);
    EXPECT_STREQ(appstore->GetDisplayPrice("gone"), "");
    EXPECT_STREQ(appstore->GetSku("7"), "seven");
    EXPECT_STREQ(appstore->GetDisplayPriceForItem(nullptr), "");

    RefPtr<IStoreItem> ads = RefPtr<IStoreItem>::Adopt(store->GetItem("ads"));
    char buffer[8] = "xxxxxxx";
    EXPECT_FALSE(ads->GetDisplayCost("appstore", "USD", buffer, 5));  // "19.99" needs 6
    EXPECT_FALSE(ads->GetDisplayCost("appstore", "USD", buffer, 6 - 1));
    EXPECT_TRUE(ads->GetDisplayCost("appstore", "USD", buffer, 6));
    EXPECT_STREQ(buffer, "19.99");
    EXPECT_FALSE(ads->GetDisplayCost("", nullptr, buffer, sizeof buffer));
    EXPECT_FALSE(ads->GetDisplayCost(nullptr, nullptr, buffer, sizeof buffer));
    EXPECT_FALSE(ads->GetDisplayCost("playstore", nullptr, buffer, sizeof buffer));
}

const char kCategories[] = R"([
  {"categoryId": "blades", "name": "Blades", "position": 2},
  {"categoryId": "packs", "name": "Packs"},
  null, {"name": "no id"}
])";

std::string Catalogue(const char* swordCategory) {
    return std::string(R"([
  {"value": {"catalogueId": "sword", "categoryId": ")") + swordCategory + R"(", "name": "Sword",
             "paymentMethod": "coinsOrRealMoneyOnly", "isBoughtWithCurrencyId": "coins", "cost": 30,
             "customParameters": "Blade_Sword"}},
  {"value": {"catalogueId": "axe", "categoryId": "blades", "customParameters": "blade_axe",
             "bundleCategoryWeight": 0}},
  {"value": {"catalogueId": "lucky", "categoryId": "packs", "bundleOfCatalogueId": "sword",
             "bundleOfCategoryId": "blades", "qtyInPack": 3}},
  {"value": {"catalogueId": "single", "categoryId": "packs", "bundleOfCatalogueId": "axe"}},
  {"catalogueId": "not wrapped"}
])";
}

const char kCatalogueProviders[] = R"([{"paymentProviderId": "appstore", "prices": {"sword": "$0.99"}}])";

TEST(StoreProvider, AReloadKeepsItemsAndMovesOneWhoseCategoryChanged) {
    RefPtr<StoreProviderImpl> store(new StoreProviderImpl(nullptr, nullptr));
    store->LoadCatalogue(*Parsed(Catalogue("blades").c_str()), *Parsed(kCategories), *Parsed(kCatalogueProviders));
    ASSERT_EQ(store->GetItemCount(), 4u);
    RefPtr<IStoreItem> sword = RefPtr<IStoreItem>::Adopt(store->GetItem("sword"));
    RefPtr<Kiplink::StoreCategory> blades = RefPtr<Kiplink::StoreCategory>::Adopt(store->GetCategory("blades"));
    RefPtr<Kiplink::StoreCategory> packs = RefPtr<Kiplink::StoreCategory>::Adopt(store->GetCategory("packs"));
    ASSERT_TRUE(blades && packs);
    EXPECT_EQ(blades->GetPosition(), 2);
    EXPECT_EQ(blades->GetItemCount(), 2u);
    EXPECT_EQ(sword->GetPaymentMethods(), Kiplink::kPaymentBoth);
    EXPECT_EQ(sword->GetCost("coins"), 30);
    char price[16];
    ASSERT_TRUE(sword->GetDisplayCost("appstore", nullptr, price, sizeof price));
    EXPECT_STREQ(price, "$0.99");

    store->LoadCatalogue(*Parsed(Catalogue("packs").c_str()), *Parsed(kCategories), *Parsed(kCatalogueProviders));
    EXPECT_EQ(store->GetItemCount(), 4u);
    RefPtr<IStoreItem> again = RefPtr<IStoreItem>::Adopt(store->GetItem("sword"));
    EXPECT_EQ(again.Get(), sword.Get());
    EXPECT_EQ(sword->GetTagCount(), 1u);  // replaced, not appended
    EXPECT_EQ(blades->GetItemCount(), 1u);
    RefPtr<IStoreItem> moved = RefPtr<IStoreItem>::Adopt(packs->GetItemById("sword"));
    EXPECT_EQ(moved.Get(), sword.Get());
    EXPECT_EQ(blades->GetItemById("sword"), nullptr);
    EXPECT_EQ(sword->GetCost("coins"), 30);  // prices re-read, not doubled
    EXPECT_EQ(sword->GetPriceCount(), 1u);
}

TEST(StoreProvider, FindsItemsByTheirMetadataText) {
    RefPtr<StoreProviderImpl> store(new StoreProviderImpl(nullptr, nullptr));
    store->LoadCatalogue(*Parsed(Catalogue("blades").c_str()), *Parsed(kCategories), *Parsed(kCatalogueProviders));
    RefPtr<IStoreItem> axe = RefPtr<IStoreItem>::Adopt(store->GetItem("BLADE_AXE"));
    ASSERT_TRUE(axe);
    EXPECT_STREQ(axe->GetReferenceId(), "axe");
    // "lucky" has no metadata text and comes before "sword" in id order: the
    // visit stops there.
    EXPECT_EQ(store->GetItem("blade_sword"), nullptr);
}

TEST(StoreProvider, BundlesDrawFromTheirCategoryBeforeTheirItem) {
    RefPtr<StoreProviderImpl> store(new StoreProviderImpl(nullptr, nullptr));
    store->LoadCatalogue(*Parsed(Catalogue("blades").c_str()), *Parsed(kCategories), *Parsed(kCatalogueProviders));
    RefPtr<IStoreItem> lucky = RefPtr<IStoreItem>::Adopt(store->GetItem("lucky"));
    RefPtr<IStoreItem> single = RefPtr<IStoreItem>::Adopt(store->GetItem("single"));
    RefPtr<IStoreItem> sword = RefPtr<IStoreItem>::Adopt(store->GetItem("sword"));
    ASSERT_TRUE(lucky->IsBundle());
    EXPECT_EQ(lucky->GetBundleCount(), 3);
    EXPECT_FALSE(sword->IsBundle());
    EXPECT_EQ(sword->GetBundledItem(), nullptr);
    RefPtr<IStoreItem> fromSingle = RefPtr<IStoreItem>::Adopt(single->GetBundledItem());
    EXPECT_STREQ(fromSingle->GetReferenceId(), "axe");
    std::srand(7);
    bool sawAxe = false;
    for (int i = 0; i < 100; ++i) {
        RefPtr<IStoreItem> drawn = RefPtr<IStoreItem>::Adopt(lucky->GetBundledItem());
        ASSERT_TRUE(drawn);
        EXPECT_TRUE(drawn->HasTag("blades"));  // never the catalogue id's own draw
        sawAxe = sawAxe || std::string(drawn->GetReferenceId()) == "axe";
    }
    EXPECT_TRUE(sawAxe);
}

std::string Weighted(int a, int b, int c) {
    char text[512];
    std::snprintf(text, sizeof text, R"([
      {"value": {"catalogueId": "a", "categoryId": "t", "bundleCategoryWeight": %d}},
      {"value": {"catalogueId": "b", "categoryId": "t", "bundleCategoryWeight": %d}},
      {"value": {"catalogueId": "c", "categoryId": "t", "bundleCategoryWeight": %d}}])", a, b, c);
    return text;
}

TEST(StoreProvider, RandomDrawsFollowTheWeights) {
    const struct {
        int a, b, c;
        int minimum[3];  // of 3000 seeded draws
        int maximum[3];
    } cases[] = {
        {1, 0, 3, {600, 0, 2100}, {900, 0, 2400}},
        {0, 0, 0, {900, 900, 900}, {1100, 1100, 1100}},
        {-5, 0, 2, {0, 0, 3000}, {0, 0, 3000}},  // a negative weight counts as none
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Weighted(c.a, c.b, c.c));
        RefPtr<StoreProviderImpl> store(new StoreProviderImpl(nullptr, nullptr));
        store->LoadCatalogue(*Parsed(Weighted(c.a, c.b, c.c).c_str()), *Parsed("[]"), *Parsed("[]"));
        std::srand(12345);
        int counts[3] = {0, 0, 0};
        for (int i = 0; i < 3000; ++i) {
            RefPtr<IStoreItem> drawn = RefPtr<IStoreItem>::Adopt(store->GetRandomItemWithTag("t"));
            ASSERT_TRUE(drawn);
            ++counts[drawn->GetReferenceId()[0] - 'a'];
        }
        for (int k = 0; k < 3; ++k) {
            EXPECT_GE(counts[k], c.minimum[k]) << k;
            EXPECT_LE(counts[k], c.maximum[k]) << k;
        }
    }
    RefPtr<StoreProviderImpl> empty(new StoreProviderImpl(nullptr, nullptr));
    EXPECT_EQ(empty->GetRandomItemWithTag("t"), nullptr);
}

class Updates : public Kiplink::IStoreProviderCallbacks {
public:
    void OnStoreUpdated(Kiplink::IStoreProvider*) override { ++calls; }
    int calls = 0;
};

TEST(StoreProvider, ListenersHearEveryLoad) {
    RefPtr<StoreProviderImpl> store(new StoreProviderImpl(nullptr, nullptr));
    RefPtr<Updates> updates(new Updates);
    store->AddCallbacks(updates.Get());
    store->LoadItems(*Parsed("[]"), *Parsed("[]"), *Parsed("[]"));
    store->LoadCatalogue(*Parsed("{}"), *Parsed("7"), *Parsed("null"));  // wrong shapes load nothing
    EXPECT_EQ(updates->calls, 2);
    EXPECT_EQ(store->GetItemCount(), 0u);
    store->RemoveCallbacks(updates.Get());
}

TEST(StoreProvider, AnItemLinksItsScriptTableBeforeAndAfterTheScriptLoads) {
    KiplinkTest::LogLines log;
    RefPtr<Kiplink::LuaVM> vm(new Kiplink::LuaVM());
    {
        Kiplink::ScriptRegistry scripts(vm.Get());
        RefPtr<StoreProviderImpl> store(new StoreProviderImpl(vm.Get(), &scripts));
        store->LoadItems(*Parsed(R"([{"referenceId": "x", "itemScriptId": "Doubler"}])"), *Parsed("[]"),
                         *Parsed("[]"));
        RefPtr<IStoreItem> item = RefPtr<IStoreItem>::Adopt(store->GetItem("x"));
        RefPtr<Kiplink::LuaObjectRef> linked;
        ASSERT_TRUE(item->GetDataTable()->GetFieldRef("__data", &linked));
        EXPECT_EQ(linked->GetLength(), 0);
        scripts.LoadScripts(*Parsed(R"({"Doubler": {"scriptClientCode": "meta.factor = 2"}})"));
        int32_t factor = 0;
        EXPECT_TRUE(linked->GetFieldInt("factor", &factor));
        EXPECT_EQ(factor, 2);
    }
    EXPECT_EQ(log.Joined(), "");
}

}  // namespace
