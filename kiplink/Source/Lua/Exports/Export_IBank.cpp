// Banks for scripts: balances read from and changed through the user's
// transactions, and their own data table.
#include "kiplink/Public/IBank.h"
#include "kiplink/Source/BankProviderImpl.h"
#include "kiplink/Source/Lua/Exports/ExportSupport.h"

namespace Kiplink {

namespace {

#define BANK_SELF KIPLINK_LUA_SELF(IBank, bank, "Kiplink::IBank", "Bank")

ICurrency* CurrencyArgument(LuaVM& vm, int index) {
    static const uint32_t kCurrencyTypeId = LuaTypeId("Kiplink::ICurrency");
    return static_cast<ICurrency*>(LuaObjectArgument(vm, index, kCurrencyTypeId));
}

int CIndex(lua_State* state) {
    BANK_SELF;
    const char* key = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &key), "Argument named key expected type const char *");
    return PushDataTableOrNothing(*vm, static_cast<BankImpl*>(bank)->GetDataTable());
}

int CNewIndex(lua_State* state) {
    BANK_SELF;
    const char* key = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &key), "Argument named key expected type const char *");
    (void)bank;
    return 0;  // the object lookup stores the field in the data table
}

int GetUser(lua_State* state) {
    BANK_SELF;
    static const uint32_t kUserTypeId = LuaTypeId("Kiplink::IUser");
    PushOwnedObject(*vm, kUserTypeId, bank->GetUser());
    return 1;
}

int GetCurrency(lua_State* state) {
    BANK_SELF;
    ICurrency* currency = CurrencyArgument(*vm, 2);
    KIPLINK_LUA_CHECK(vm, currency != nullptr, "Argument named item expected type Kiplink::ICurrency");
    vm->PushNumberValue(bank->GetCurrency(currency));
    return 1;
}

int GetCurrencyById(lua_State* state) {
    BANK_SELF;
    const char* id = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &id), "Argument named item expected type const char *");
    vm->PushNumberValue(bank->GetCurrencyById(id));
    return 1;
}

int ModifyCurrency(lua_State* state) {
    BANK_SELF;
    ICurrency* currency = CurrencyArgument(*vm, 2);
    int32_t delta = 0;
    KIPLINK_LUA_CHECK(vm, currency != nullptr, "Argument named item expected type Kiplink::ICurrency");
    KIPLINK_LUA_CHECK(vm, vm->GetInt(3, &delta), "Argument named delta expected type int");
    vm->PushNumberValue(bank->ModifyCurrency(currency, delta));
    return 1;
}

int ModifyCurrencyById(lua_State* state) {
    BANK_SELF;
    const char* id = nullptr;
    int32_t delta = 0;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &id), "Argument named item expected type const char *");
    KIPLINK_LUA_CHECK(vm, vm->GetInt(3, &delta), "Argument named delta expected type int");
    vm->PushNumberValue(bank->ModifyCurrencyById(id, delta));
    return 1;
}

const LuaMethod kMethods[] = {
    {"GetUser", GetUser},
    {"GetCurrency", GetCurrency},
    {"GetCurrencyById", GetCurrencyById},
    {"ModifyCurrency", ModifyCurrency},
    {"ModifyCurrencyById", ModifyCurrencyById},
    {nullptr, nullptr},
};

}  // namespace

void Export_IBank(LuaVM& vm) {
    (void)RegisterLuaClass(vm, {"Kiplink::IBank", kMethods, true, CIndex, CNewIndex});
}

}  // namespace Kiplink
