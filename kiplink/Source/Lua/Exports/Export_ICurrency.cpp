// Currency definitions for scripts. A currency has no data table: fields a
// script sets on one are dropped.
#include "kiplink/Public/IBank.h"
#include "kiplink/Source/Lua/Exports/ExportSupport.h"

namespace Kiplink {

namespace {

#define CURRENCY_SELF KIPLINK_LUA_SELF(ICurrency, currency, "Kiplink::ICurrency", "currency")

int GetCurrencyId(lua_State* state) {
    CURRENCY_SELF;
    vm->PushString(currency->GetCurrencyId());
    return 1;
}

int GetName(lua_State* state) {
    CURRENCY_SELF;
    vm->PushString(currency->GetName());
    return 1;
}

int GetDescription(lua_State* state) {
    CURRENCY_SELF;
    vm->PushString(currency->GetDescription());
    return 1;
}

int IsEarnable(lua_State* state) {
    CURRENCY_SELF;
    vm->PushBoolean(currency->IsEarnable());
    return 1;
}

int GetInitialGiftAmount(lua_State* state) {
    CURRENCY_SELF;
    vm->PushNumberValue(currency->GetInitialGiftAmount());
    return 1;
}

const LuaMethod kMethods[] = {
    {"GetCurrencyId", GetCurrencyId},
    {"GetName", GetName},
    {"GetDescription", GetDescription},
    {"IsEarnable", IsEarnable},
    {"GetInitialGiftAmount", GetInitialGiftAmount},
    {nullptr, nullptr},
};

}  // namespace

void Export_ICurrency(LuaVM& vm) {
    (void)RegisterLuaClass(vm, {"Kiplink::ICurrency", kMethods, true, nullptr, nullptr});
}

}  // namespace Kiplink
