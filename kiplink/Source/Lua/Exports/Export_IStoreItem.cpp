// Store items for scripts: their catalogue fields, and their own data table
// whose "__data" is the table of the script the item names.
#include "kiplink/Public/IStore.h"
#include "kiplink/Source/Lua/Exports/ExportSupport.h"

namespace Kiplink {

namespace {

#define ITEM_SELF KIPLINK_LUA_SELF(IStoreItem, item, "Kiplink::IStoreItem", "item")

constexpr size_t kDisplayCostBytes = 256;

int CIndex(lua_State* state) {
    ITEM_SELF;
    const char* key = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &key), "Argument named key expected type const char *");
    return PushDataTableOrNothing(*vm, item->GetDataTable());
}

int CNewIndex(lua_State* state) {
    ITEM_SELF;
    const char* key = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &key), "Argument named key expected type const char *");
    (void)item;
    return 0;  // the object lookup stores the field in the data table
}

int GetBundleCount(lua_State* state) {
    ITEM_SELF;
    vm->PushNumberValue(item->GetBundleCount());
    return 1;
}

int GetBundledItem(lua_State* state) {
    ITEM_SELF;
    PushOwnedObject(*vm, kSelfTypeId, item->GetBundledItem());
    return 1;
}

int GetDefaultQuantity(lua_State* state) {
    ITEM_SELF;
    vm->PushNumberValue(item->GetDefaultQuantity());
    return 1;
}

int GetDescription(lua_State* state) {
    ITEM_SELF;
    vm->PushString(item->GetDescription());
    return 1;
}

int GetDisplayCost(lua_State* state) {
    ITEM_SELF;
    const char* provider = nullptr;
    const char* currency = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &provider), "Argument named provider expected type const char *");
    KIPLINK_LUA_CHECK(vm, vm->GetString(3, &currency), "Argument named currency expected type const char *");
    char buffer[kDisplayCostBytes];
    if (item->GetDisplayCost(provider, currency, buffer, sizeof buffer)) {
        vm->PushString(buffer);
    } else {
        vm->PushNil();
    }
    return 1;
}

int GetMaximumCount(lua_State* state) {
    ITEM_SELF;
    vm->PushNumberValue(item->GetMaximumCount());
    return 1;
}

int GetMetaData(lua_State* state) {
    ITEM_SELF;
    PushConstValue(*vm, item->GetMetaData(), false);
    return 1;
}

int GetScriptData(lua_State* state) {
    ITEM_SELF;
    PushConstValue(*vm, item->GetScriptData(), false);
    return 1;
}

int GetName(lua_State* state) {
    ITEM_SELF;
    vm->PushString(item->GetName());
    return 1;
}

int GetReferenceId(lua_State* state) {
    ITEM_SELF;
    vm->PushString(item->GetReferenceId());
    return 1;
}

int GetTag(lua_State* state) {
    ITEM_SELF;
    int32_t index = 0;
    KIPLINK_LUA_CHECK(vm, vm->GetInt(2, &index), "Argument named index expected type int");
    vm->PushString(item->GetTag(static_cast<uint32_t>(index)));
    return 1;
}

int GetTagCount(lua_State* state) {
    ITEM_SELF;
    vm->PushNumberValue(static_cast<int32_t>(item->GetTagCount()));
    return 1;
}

int HasTag(lua_State* state) {
    ITEM_SELF;
    const char* tag = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &tag), "Argument named tag expected type const char *");
    vm->PushBoolean(item->HasTag(tag));
    return 1;
}

const LuaMethod kMethods[] = {
    {"GetBundleCount", GetBundleCount},
    {"GetBundledItem", GetBundledItem},
    {"GetDefaultQuantity", GetDefaultQuantity},
    {"GetDescription", GetDescription},
    {"GetDisplayCost", GetDisplayCost},
    {"GetMaximumCount", GetMaximumCount},
    {"GetMetaData", GetMetaData},
    {"GetScriptData", GetScriptData},
    {"GetName", GetName},
    {"GetReferenceId", GetReferenceId},
    {"GetTag", GetTag},
    {"GetTagCount", GetTagCount},
    {"HasTag", HasTag},
    {nullptr, nullptr},
};

}  // namespace

void Export_IStoreItem(LuaVM& vm) {
    (void)RegisterLuaClass(vm, {"Kiplink::IStoreItem", kMethods, true, CIndex, CNewIndex});
}

}  // namespace Kiplink
