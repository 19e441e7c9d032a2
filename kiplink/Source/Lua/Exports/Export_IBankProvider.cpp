// The bank provider for scripts: a user's bank and the currency definitions.
#include "kiplink/Public/IBank.h"
#include "kiplink/Public/IUser.h"
#include "kiplink/Source/Lua/Exports/ExportSupport.h"

namespace Kiplink {

namespace {

// The argument name is the one the inventory provider uses: scripts'
// error handling matches on it.
#define BANKS_SELF KIPLINK_LUA_SELF(IBankProvider, provider, "Kiplink::IBankProvider", "inventoryProvider")

uint32_t CurrencyTypeId() {
    static const uint32_t kTypeId = LuaTypeId("Kiplink::ICurrency");
    return kTypeId;
}

int GetBank(lua_State* state) {
    BANKS_SELF;
    static const uint32_t kUserTypeId = LuaTypeId("Kiplink::IUser");
    static const uint32_t kBankTypeId = LuaTypeId("Kiplink::IBank");
    auto* user = static_cast<IUser*>(LuaObjectArgument(*vm, 2, kUserTypeId));
    KIPLINK_LUA_CHECK(vm, user != nullptr, "Argument named user expected type Kiplink::IUser");
    PushOwnedObject(*vm, kBankTypeId, provider->GetBank(user));
    return 1;
}

int GetCurrencyCount(lua_State* state) {
    BANKS_SELF;
    vm->PushNumberValue(provider->GetCurrencyCount());
    return 1;
}

int GetCurrency(lua_State* state) {
    BANKS_SELF;
    int32_t index = 0;
    KIPLINK_LUA_CHECK(vm, vm->GetInt(2, &index), "Argument named index expected type int");
    PushOwnedObject(*vm, CurrencyTypeId(), provider->GetCurrency(index));
    return 1;
}

int GetCurrencyById(lua_State* state) {
    BANKS_SELF;
    const char* id = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &id), "Argument named index expected type const char *");
    PushOwnedObject(*vm, CurrencyTypeId(), provider->GetCurrencyById(id));
    return 1;
}

const LuaMethod kMethods[] = {
    {"GetBank", GetBank},
    {"GetCurrencyCount", GetCurrencyCount},
    {"GetCurrency", GetCurrency},
    {"GetCurrencyById", GetCurrencyById},
    {nullptr, nullptr},
};

}  // namespace

void Export_IBankProvider(LuaVM& vm) {
    (void)RegisterLuaClass(vm, {"Kiplink::IBankProvider", kMethods, true, nullptr, nullptr});
}

}  // namespace Kiplink
