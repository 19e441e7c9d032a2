// The shipped signed static data reaches the store, the settings and the
// client scripts when the root loads: prices by provider, the bundle, and
// the inventory hooks of the sample scripts.
#include "kiplink/Public/ISettingProvider.h"
#include "kiplink/Public/IStore.h"
#include "kiplink/Source/Lua/Exports/ExportSupport.h"
#include "kiplink/Source/Lua/LuaVM.h"
#include "tests/providers/OnlineFixture.h"

namespace OnlineTest {
namespace {

using Kiplink::IStoreItem;
using Kiplink::RefPtr;

class StoreDataTest : public OnlineFixture {};

int32_t HookAnswer(Kiplink::KiplinkProviderImpl* root, IStoreItem* item, int32_t amount) {
    Kiplink::ScriptHookCall hook;
    if (!hook.Begin(*root->GetLuaVM(), Kiplink::LuaTypeId("Kiplink::IStoreItem"), item, "OnAddedToInventory")) {
        return amount;  // no hook: the amount as asked
    }
    hook.PushInt(0);
    hook.PushInt(amount);
    int32_t answer = amount;
    return hook.CallForInt(&answer) ? answer : amount;
}

TEST_F(StoreDataTest, TheShippedSetFillsTheStoreSettingsAndScripts) {
    Kiplink::KiplinkProviderImpl* root = MakeRoot();
    RefPtr<Kiplink::IStoreProvider> store = RefPtr<Kiplink::IStoreProvider>::Adopt(root->GetStoreProvider());
    ASSERT_TRUE(store);
    EXPECT_EQ(store->GetItemCount(), 11u);
    EXPECT_EQ(store->GetItemGroupCount(), 4u);

    RefPtr<IStoreItem> pack = RefPtr<IStoreItem>::Adopt(store->GetItem("starter_pack"));
    ASSERT_TRUE(pack);
    EXPECT_EQ(pack->GetPaymentMethods(), Kiplink::kPaymentBoth);
    EXPECT_EQ(pack->GetCost("coins"), 900);
    char price[16];
    ASSERT_TRUE(pack->GetDisplayCost("appstore", "USD", price, sizeof price));
    EXPECT_STREQ(price, "1.99");
    ASSERT_TRUE(pack->GetDisplayCost("playstore", "USD", price, sizeof price));
    EXPECT_STREQ(price, "19.99");
    EXPECT_STREQ(pack->GetProductSku("appstore"), "com.varnok.vellmarch.starterpack");

    RefPtr<IStoreItem> beans = RefPtr<IStoreItem>::Adopt(store->GetItem("bean_bag"));
    RefPtr<IStoreItem> ads = RefPtr<IStoreItem>::Adopt(store->GetItem("remove_ads"));
    RefPtr<IStoreItem> blade = RefPtr<IStoreItem>::Adopt(store->GetItem("blade_fire"));
    EXPECT_EQ(HookAnswer(root, beans.Get(), 3), 15);
    EXPECT_EQ(HookAnswer(root, ads.Get(), 3), 1);
    EXPECT_EQ(HookAnswer(root, blade.Get(), 3), 3);

    RefPtr<Kiplink::ISettingProvider> settings =
        RefPtr<Kiplink::ISettingProvider>::Adopt(root->GetSettingProvider());
    RefPtr<Kiplink::IValue> values = RefPtr<Kiplink::IValue>::Adopt(settings->GetSettings());
    EXPECT_TRUE(values->GetMemberByString("shopEnabled")->AsBool(false));
    EXPECT_EQ(root->GetLuaVM()->GetTop(), 0);
}

}  // namespace
}  // namespace OnlineTest
