// Scripts see the root, the store, its items and groups and values through
// the exports: class type ids, method calls, the argument errors with our
// own source location, const values, data tables and the item's script hook.
#include "kiplink/Source/Lua/Exports/ExportSupport.h"

#include "kiplink/Source/BankProviderImpl.h"
#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Lua/LuaObjectRef.h"
#include "kiplink/Source/Lua/LuaVM.h"
#include "kiplink/Source/SettingProviderImpl.h"
#include "kiplink/Source/StoreProviderImpl.h"
#include "kiplink/Source/UserImpl.h"
#include "tests/kiplink/LogLines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using Kiplink::IValue;
using Kiplink::LuaObjectRef;
using Kiplink::RefPtr;

RefPtr<IValue> Parsed(const char* text) {
    RefPtr<IValue> value = RefPtr<IValue>::Adopt(Kiplink::CreateValue());
    EXPECT_TRUE(value->Parse(text)) << text;
    return value;
}

TEST(LuaTypeId, HashesTheNameAfterTheLastScope) {
    EXPECT_EQ(Kiplink::LuaTypeId("Kiplink::IValue"), 0x3502EB9Du);
    EXPECT_EQ(Kiplink::LuaTypeId("const Kiplink::IValue"), 0x51994E7Au);
    EXPECT_EQ(Kiplink::LuaTypeId("Other::IValue"), 0x3502EB9Du);
    EXPECT_EQ(Kiplink::LuaTypeId("Kiplink::IValue *"), 0x3502EB9Du);
    EXPECT_EQ(Kiplink::LuaTypeId("Kiplink::IValue&"), 0x3502EB9Du);
    EXPECT_NE(Kiplink::LuaTypeId("Kiplink::IStoreItem"), Kiplink::LuaTypeId("Kiplink::IItemGroup"));
}

class LuaExportsTest : public ::testing::Test {
protected:
    LuaExportsTest() {
        Kiplink::KiplinkSettings settings{"fam", "http://127.0.0.1:1/", "build"};
        root = RefPtr<Kiplink::KiplinkProviderImpl>::Adopt(static_cast<Kiplink::KiplinkProviderImpl*>(
            Kiplink::CreateKiplinkProvider(settings, nullptr)));
        vm = root->GetLuaVM();
        (void)vm->GetGlobals(&globals);
        root->GetScriptRegistry()->LoadScripts(*Parsed(R"lua({"Multiply": {"scriptClientCode":
            "function meta:OnAddedToInventory(user, amount) return amount * self:GetScriptData():GetMemberByString('multiplier'):AsInt() end"}})lua"));
        store = static_cast<Kiplink::StoreProviderImpl*>(root->GetStoreProvider());
        store->LoadItems(*Parsed(R"([
            {"referenceId": "sword", "itemName": "Sword", "itemTags": ["blade"], "itemMetaData": {"type": "W", "n": [1, 2, 3, 4]},
             "itemScriptId": "Multiply", "itemScriptData": {"multiplier": 10}},
            {"referenceId": "ads", "itemName": "No Ads", "itemPricing": [{"store": "real"}]}])"),
                         *Parsed(R"([{"paymentProviderId": "appstore", "prices": {"ads": 1999}}])"),
                         *Parsed(R"([{"referenceId": "weapons", "name": "Weapons", "items": [{"referenceId": "sword"}]}])"));
    }
    ~LuaExportsTest() override {
        globals.Reset();
        store->Release();
    }

    // Runs code in a protected call; the error text, or "" when it ran.
    std::string ErrorOf(const std::string& code) {
        const std::string wrapped = "ok, err = pcall(function() " + code + " end)";
        EXPECT_TRUE(vm->RunString(wrapped.c_str())) << code;
        const char* text = nullptr;
        return globals->GetFieldString("err", &text) ? text : "";
    }
    std::string Text(const char* global) {
        const char* text = nullptr;
        return globals->GetFieldString(global, &text) ? text : "(none)";
    }
    double Number(const char* global) {
        double number = -12345;
        (void)globals->GetFieldNumber(global, &number);
        return number;
    }

    KiplinkTest::LogLines log;
    RefPtr<Kiplink::KiplinkProviderImpl> root;
    Kiplink::LuaVM* vm = nullptr;
    RefPtr<LuaObjectRef> globals;
    Kiplink::StoreProviderImpl* store = nullptr;
};

TEST_F(LuaExportsTest, ScriptsReachTheStoreFromTheRoot) {
    ASSERT_TRUE(vm->RunString(
        "local store = KiplinkProvider:GetStoreProvider()\n"
        "count = store:GetItemCount()\n"
        "local sword = store:GetItem('sword')\n"
        "name = sword:GetName()\n"
        "tag = sword:GetTag(0)\n"
        "hasTag = sword:HasTag('blade')\n"
        "metaType = sword:GetMetaData():GetMemberByString('type'):AsString()\n"
        "cost = store:GetItem('ads'):GetDisplayCost('appstore', 'USD')\n"
        "noCost = store:GetItem('ads'):GetDisplayCost('playstore', 'USD') == nil\n"
        "missing = store:GetItem('nothing') == nil\n"
        "group = store:GetItemGroup('weapons'):GetItem(0)\n"
        "groupId = store:GetItemGroupIdByIndex(0)\n"
        "byIndex = store:GetItemByIndex(1):GetReferenceId()\n"
        "numberTag = sword:HasTag(5)\n"));
    EXPECT_EQ(Number("count"), 2);
    EXPECT_EQ(Text("name"), "Sword");
    EXPECT_EQ(Text("tag"), "blade");
    EXPECT_EQ(Text("metaType"), "W");
    EXPECT_EQ(Text("cost"), "19.99");
    EXPECT_EQ(Text("group"), "sword");
    EXPECT_EQ(Text("groupId"), "weapons");
    EXPECT_EQ(Text("byIndex"), "ads");
    bool flag = false;
    for (const char* name : {"hasTag", "noCost", "missing"}) {
        EXPECT_TRUE(globals->GetFieldBool(name, &flag) && flag) << name;
    }
    EXPECT_TRUE(globals->GetFieldBool("numberTag", &flag) && !flag);  // converted to "5", not refused
    EXPECT_EQ(log.Joined(), "");
}

TEST_F(LuaExportsTest, BadArgumentsRaiseTheirTextAndOurLocation) {
    const struct {
        const char* code;
        const char* text;
        const char* file;
    } cases[] = {
        {"local v = Value(); v:GetMemberByInt('x')", "Argument named index expected type int", "Export_IValue.cpp"},
        {"local v = Value(); v:SetAsValue(KiplinkProvider:GetStoreProvider():GetItem('sword'))",
         "Argument named n expected type Kiplink::IValue", "Export_IValue.cpp"},
        {"local v = Value(); v.IsNull(KiplinkProvider:GetStoreProvider():GetItem('sword'))",
         "Argument named item expected type Kiplink::IValue", "Export_IValue.cpp"},
        {"local v = Value(); v:SetAsBool(1)", "Argument named n expected type bool", "Export_IValue.cpp"},
        {"KiplinkProvider:GetStoreProvider():GetItem(nil)", "Argument named itemId expected type const char *",
         "Export_IStoreProvider.cpp"},
        {"local s = KiplinkProvider:GetStoreProvider(); s.GetItemCount(s:GetItem('sword'))",
         "Argument named storeProvider expected type Kiplink::IStoreProvider", "Export_IStoreProvider.cpp"},
        {"local s = KiplinkProvider:GetStoreProvider(); s:GetItem('sword').GetName(s)",
         "Argument named item expected type Kiplink::IStoreItem", "Export_IStoreItem.cpp"},
        {"KiplinkProvider:GetBankProvider():GetBank(KiplinkProvider:GetStoreProvider():GetItem('sword'))",
         "Argument named user expected type Kiplink::IUser", "Export_IBankProvider.cpp"},
        {"KiplinkProvider:GetInventoryProvider():GetInventory(KiplinkProvider:GetStoreProvider():GetItem('sword'))",
         "Argument named user expected type Kiplink::IUser", "Export_IInventoryProvider.cpp"},
        {"local b = KiplinkProvider:GetBankProvider(); b.GetCurrencyCount(KiplinkProvider)",
         "Argument named inventoryProvider expected type Kiplink::IBankProvider", "Export_IBankProvider.cpp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const std::string error = ErrorOf(c.code);
        // The path is the compiler's: whatever leads to our source folder.
        const size_t at = error.find(std::string(c.text) + " @ ");
        ASSERT_NE(at, std::string::npos) << error;
        const std::string location = std::string("kiplink/Source/Lua/Exports/") + c.file;
        const size_t file = error.find(location, at);
        ASSERT_NE(file, std::string::npos) << error;
        const std::string line = error.substr(file + location.size());
        EXPECT_TRUE(!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) << error;
    }
}

TEST_F(LuaExportsTest, ValuesReadAndWriteAsTheirClassAllows) {
    EXPECT_EQ(ErrorOf("local v = Value(); v:SetAsInt(5); n5 = v:AsInt()\n"
                      "v:SetAsUInt(-1); low = v:AsUInt()\n"
                      "v:SetAsUInt(5e9); high = v:AsUInt()\n"
                      "v:SetAsUInt(7.9); cut = v:AsUInt()\n"
                      "local list = Value(); list:GetMemberByInt(3):SetAsInt(33)\n"
                      "third = list:GetMemberByInt('3'):AsInt()\n"
                      "parentCount = list:GetMemberByInt(3):GetParent():GetMemberCount()\n"),
              "");
    EXPECT_EQ(Number("n5"), 5);
    EXPECT_EQ(Number("low"), 0);
    EXPECT_EQ(Number("high"), 4294967295.0);
    EXPECT_EQ(Number("cut"), 7);
    EXPECT_EQ(Number("third"), 33);
    EXPECT_EQ(Number("parentCount"), 4);

    // A const value reads but has no setters; it still passes as a value.
    EXPECT_EQ(ErrorOf("local meta = KiplinkProvider:GetStoreProvider():GetItem('sword'):GetMetaData()\n"
                      "noSetter = meta.SetAsInt == nil\n"
                      "local copy = Value(); copy:SetAsValue(meta)\n"
                      "copied = copy:GetMemberByString('type'):AsString()\n"),
              "");
    bool flag = false;
    EXPECT_TRUE(globals->GetFieldBool("noSetter", &flag) && flag);
    EXPECT_EQ(Text("copied"), "W");
    EXPECT_NE(ErrorOf("KiplinkProvider:GetStoreProvider():GetItem('sword'):GetMetaData():SetAsInt(1)"), "");
}

TEST_F(LuaExportsTest, HashesOfTwoToTheThirtyFirstAndAboveReadNegative) {
    // Find a small text whose value hash has its top bit set.
    RefPtr<IValue> probe = Parsed("\"\"");
    std::string found;
    for (int i = 0; found.empty(); ++i) {
        const std::string text = "k" + std::to_string(i);
        probe->SetAsString(text.c_str());
        if (probe->Hash() >= 0x80000000u) {
            found = text;
        }
    }
    EXPECT_EQ(ErrorOf("local v = Value(); v:SetAsString('" + found + "'); h = v:Hash()"), "");
    EXPECT_EQ(Number("h"), static_cast<double>(static_cast<int32_t>(probe->Hash())));
    EXPECT_LT(Number("h"), 0);
}

TEST_F(LuaExportsTest, FieldsGoToDataTablesWhereTheClassHasOne) {
    EXPECT_EQ(ErrorOf("local store = KiplinkProvider:GetStoreProvider()\n"
                      "local sword = store:GetItem('sword')\n"
                      "sword.owned = 3\n"
                      "ownedAgain = store:GetItem('sword').owned\n"
                      "store.dropped = 1\n"
                      "dropped = store.dropped == nil\n"
                      "local group = store:GetItemGroup('weapons')\n"
                      "group.seen = true\n"
                      "dataIsTable = type(sword.__data) == 'table'\n"),
              "");
    EXPECT_EQ(Number("ownedAgain"), 3);
    bool flag = false;
    EXPECT_TRUE(globals->GetFieldBool("dropped", &flag) && flag);
    EXPECT_TRUE(globals->GetFieldBool("dataIsTable", &flag) && flag);
    RefPtr<Kiplink::IItemGroup> group = RefPtr<Kiplink::IItemGroup>::Adopt(store->GetItemGroup("weapons"));
    EXPECT_TRUE(group->GetDataTable()->GetFieldBool("seen", &flag) && flag);
}

TEST_F(LuaExportsTest, UsersBanksAndInventoriesKeepScriptFieldsWhileCurrenciesDropThem) {
    auto* banks = static_cast<Kiplink::BankProviderImpl*>(root->GetBankProvider());
    banks->LoadCurrencies(*Parsed(R"([{"referenceId": "coins", "currencyName": "Coins"}])"), true);
    banks->Release();
    auto user = RefPtr<Kiplink::IUser>::Adopt(root->CreateUser());
    Kiplink::PushBorrowedObject(*vm, Kiplink::LuaTypeId("Kiplink::IUser"), user.Get());
    globals->SetFieldPopTop("player");
    EXPECT_EQ(ErrorOf("player.level = 7\n"
                      "player:SetMeta('colour', 'red')\n"
                      "colour = player:GetMeta('colour')\n"
                      "noMeta = player:GetMeta('none') == nil\n"
                      "local bank = KiplinkProvider:GetBankProvider():GetBank(player)\n"
                      "bank.note = 'kept'\n"
                      "local coins = KiplinkProvider:GetBankProvider():GetCurrencyById('coins')\n"
                      "coins.note = 'dropped'\n"
                      "currencyNote = coins.note == nil\n"
                      "currencyName = coins:GetName()\n"
                      "balance = bank:ModifyCurrency(coins, 40)\n"
                      "local inventory = KiplinkProvider:GetInventoryProvider():GetInventory(player)\n"
                      "inventory:ModifyItemCountById('sword', 1)\n"
                      "swords = inventory:GetItemCount(KiplinkProvider:GetStoreProvider():GetItem('sword'))\n"
                      "sameUser = inventory:GetUser():GetGUID() == player:GetGUID()\n"
                      "levelAgain = bank:GetUser().level\n"
                      "noteAgain = KiplinkProvider:GetBankProvider():GetBank(player).note\n"),
              "");
    EXPECT_EQ(Text("colour"), "red");
    EXPECT_EQ(Text("currencyName"), "Coins");
    EXPECT_EQ(Number("balance"), 40);
    EXPECT_EQ(Number("swords"), 10);  // the sword's hook multiplies by its script data
    EXPECT_EQ(Number("levelAgain"), 7);
    EXPECT_EQ(Text("noteAgain"), "kept");
    bool flag = false;
    for (const char* name : {"noMeta", "currencyNote", "sameUser"}) {
        EXPECT_TRUE(globals->GetFieldBool(name, &flag) && flag) << name;
    }
    int32_t level = 0;
    auto* table = const_cast<LuaObjectRef*>(static_cast<Kiplink::UserImpl*>(user.Get())->GetLuaTable());
    EXPECT_TRUE(table->GetFieldInt("level", &level));
    EXPECT_EQ(level, 7);
    vm->PushNil();
    globals->SetFieldPopTop("player");
}

TEST_F(LuaExportsTest, AnItemsScriptHookAnswersThroughItsOwnScriptData) {
    RefPtr<Kiplink::IStoreItem> sword = RefPtr<Kiplink::IStoreItem>::Adopt(store->GetItem("sword"));
    RefPtr<Kiplink::IStoreItem> ads = RefPtr<Kiplink::IStoreItem>::Adopt(store->GetItem("ads"));
    const int before = sword->GetRefCount();
    const uint32_t itemType = Kiplink::LuaTypeId("Kiplink::IStoreItem");
    Kiplink::ScriptHookCall hook;
    ASSERT_TRUE(hook.Begin(*vm, itemType, sword.Get(), "OnAddedToInventory"));
    hook.PushInt(0);  // the user's place until users exist
    hook.PushInt(3);
    int32_t answer = 0;
    ASSERT_TRUE(hook.CallForInt(&answer));
    EXPECT_EQ(answer, 30);
    Kiplink::ScriptHookCall none;
    EXPECT_FALSE(none.Begin(*vm, itemType, ads.Get(), "OnAddedToInventory"));
    EXPECT_FALSE(none.CallForInt(&answer));
    vm->CollectGarbage();
    EXPECT_EQ(sword->GetRefCount(), before);  // the userdata gave its reference back
    EXPECT_EQ(vm->GetTop(), 0);
}

}  // namespace
