// Users for scripts: their ids, sign-in state, linked accounts, metadata and
// transactions, and their own data table for the fields scripts set.
#include "kiplink/Public/IUser.h"
#include "kiplink/Source/Lua/Exports/ExportSupport.h"
#include "kiplink/Source/UserImpl.h"

namespace Kiplink {

namespace {

#define USER_SELF KIPLINK_LUA_SELF(IUser, user, "Kiplink::IUser", "user")

LuaObjectRef* DataTableOf(IUser* user) {
    // Every user an exported operation hands out is one of the root's.
    return const_cast<LuaObjectRef*>(static_cast<UserImpl*>(user)->GetLuaTable());
}

int CIndex(lua_State* state) {
    USER_SELF;
    const char* key = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &key), "Argument named key expected type const char *");
    return PushDataTableOrNothing(*vm, DataTableOf(user));
}

int CNewIndex(lua_State* state) {
    USER_SELF;
    const char* key = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &key), "Argument named key expected type const char *");
    (void)user;
    return 0;  // the object lookup stores the field in the data table
}

int BeginTransaction(lua_State* state) {
    USER_SELF;
    user->BeginTransaction();
    return 0;
}

int EndTransaction(lua_State* state) {
    USER_SELF;
    user->EndTransaction();
    return 0;
}

int GetKiplinkID(lua_State* state) {
    USER_SELF;
    const char* id = user->GetKiplinkID();
    vm->PushString(id != nullptr && id[0] != '\0' ? id : nullptr);
    return 1;
}

int IsAuthenticated(lua_State* state) {
    USER_SELF;
    vm->PushBoolean(user->IsAuthenticated());
    return 1;
}

int IsLinkedAccount(lua_State* state) {
    USER_SELF;
    const char* accountType = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &accountType), "Argument named accountType expected type const char *");
    vm->PushBoolean(user->IsLinkedAccount(accountType));
    return 1;
}

int IsRegisteredUser(lua_State* state) {
    USER_SELF;
    vm->PushBoolean(user->IsRegisteredUser());
    return 1;
}

int IsValid(lua_State* state) {
    USER_SELF;
    vm->PushBoolean(user->IsValid());
    return 1;
}

int GetAuthToken(lua_State* state) {
    USER_SELF;
    vm->PushString(user->GetAuthToken());
    return 1;
}

int GetCountry(lua_State* state) {
    USER_SELF;
    const char* country = user->GetCountry();
    vm->PushString(country != nullptr ? country : "");
    return 1;
}

int GetCountryCode(lua_State* state) {
    USER_SELF;
    vm->PushString(user->GetCountryCode());
    return 1;
}

int GetDisplayName(lua_State* state) {
    USER_SELF;
    const char* name = user->GetDisplayName();
    vm->PushString(name != nullptr ? name : "");
    return 1;
}

int GetGUID(lua_State* state) {
    USER_SELF;
    vm->PushString(user->GetGUID());
    return 1;
}

int GetLinkedAccount(lua_State* state) {
    USER_SELF;
    int32_t index = 0;
    KIPLINK_LUA_CHECK(vm, vm->GetInt(2, &index), "Argument named index expected type int");
    vm->PushString(user->GetLinkedAccount(index));
    return 1;
}

int GetLinkedAccountCount(lua_State* state) {
    USER_SELF;
    vm->PushNumberValue(user->GetLinkedAccountCount());
    return 1;
}

int HasMeta(lua_State* state) {
    USER_SELF;
    const char* key = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &key), "Argument named key expected type const char *");
    vm->PushBoolean(user->HasMeta(key));
    return 1;
}

int GetMeta(lua_State* state) {
    USER_SELF;
    const char* key = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &key), "Argument named key expected type const char *");
    vm->PushString(user->HasMeta(key) ? user->GetMeta(key) : nullptr);
    return 1;
}

int SetMeta(lua_State* state) {
    USER_SELF;
    const char* key = nullptr;
    const char* value = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &key), "Argument named key expected type const char *");
    KIPLINK_LUA_CHECK(vm, vm->GetString(3, &value), "Argument named value expected type const char *");
    user->SetMeta(key, value);
    return 0;
}

const LuaMethod kMethods[] = {
    {"BeginTransaction", BeginTransaction},
    {"EndTransaction", EndTransaction},
    {"GetKiplinkID", GetKiplinkID},
    {"IsAuthenticated", IsAuthenticated},
    {"IsLinkedAccount", IsLinkedAccount},
    {"IsRegisteredUser", IsRegisteredUser},
    {"IsValid", IsValid},
    {"GetAuthToken", GetAuthToken},
    {"GetCountry", GetCountry},
    {"GetCountryCode", GetCountryCode},
    {"GetDisplayName", GetDisplayName},
    {"GetGUID", GetGUID},
    {"GetLinkedAccount", GetLinkedAccount},
    {"GetLinkedAccountCount", GetLinkedAccountCount},
    {"HasMeta", HasMeta},
    {"GetMeta", GetMeta},
    {"SetMeta", SetMeta},
    {nullptr, nullptr},
};

}  // namespace

void Export_IUser(LuaVM& vm) {
    (void)RegisterLuaClass(vm, {"Kiplink::IUser", kMethods, true, CIndex, CNewIndex});
}

}  // namespace Kiplink
