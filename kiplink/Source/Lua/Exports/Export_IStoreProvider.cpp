// The store provider's lookups for scripts.
#include "kiplink/Public/IStore.h"
#include "kiplink/Source/Lua/Exports/ExportSupport.h"

namespace Kiplink {

namespace {

#define STORE_SELF KIPLINK_LUA_SELF(IStoreProvider, store, "Kiplink::IStoreProvider", "storeProvider")

uint32_t ItemTypeId() {
    static const uint32_t kId = LuaTypeId("Kiplink::IStoreItem");
    return kId;
}

int GetItemCount(lua_State* state) {
    STORE_SELF;
    vm->PushNumberValue(static_cast<int32_t>(store->GetItemCount()));
    return 1;
}

int GetItem(lua_State* state) {
    STORE_SELF;
    const char* itemId = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &itemId), "Argument named itemId expected type const char *");
    PushOwnedObject(*vm, ItemTypeId(), store->GetItem(itemId));
    return 1;
}

int GetItemGroup(lua_State* state) {
    STORE_SELF;
    const char* groupId = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &groupId), "Argument named itemGroupId expected type const char *");
    static const uint32_t kGroupTypeId = LuaTypeId("Kiplink::IItemGroup");
    PushOwnedObject(*vm, kGroupTypeId, store->GetItemGroup(groupId));
    return 1;
}

int GetItemGroupById(lua_State* state) {
    STORE_SELF;
    const char* itemId = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &itemId), "Argument named itemId expected type const char *");
    static const uint32_t kGroupTypeId = LuaTypeId("Kiplink::IItemGroup");
    PushOwnedObject(*vm, kGroupTypeId, store->GetItemGroup(itemId));
    return 1;
}

int GetItemByIndex(lua_State* state) {
    STORE_SELF;
    int32_t index = 0;
    KIPLINK_LUA_CHECK(vm, vm->GetInt(2, &index), "Argument named index expected type int");
    PushOwnedObject(*vm, ItemTypeId(), store->GetItemByIndex(static_cast<uint32_t>(index)));
    return 1;
}

int GetItemGroupCount(lua_State* state) {
    STORE_SELF;
    vm->PushNumberValue(static_cast<int32_t>(store->GetItemGroupCount()));
    return 1;
}

int GetItemGroupIdByIndex(lua_State* state) {
    STORE_SELF;
    int32_t index = 0;
    KIPLINK_LUA_CHECK(vm, vm->GetInt(2, &index), "Argument named index expected type int");
    vm->PushString(store->GetItemGroupIdByIndex(static_cast<uint32_t>(index)));
    return 1;
}

const LuaMethod kMethods[] = {
    {"GetItemCount", GetItemCount},
    {"GetItem", GetItem},
    {"GetItemGroup", GetItemGroup},
    {"GetItemGroupById", GetItemGroupById},
    {"GetItemByIndex", GetItemByIndex},
    {"GetItemGroupCount", GetItemGroupCount},
    {"GetItemGroupIdByIndex", GetItemGroupIdByIndex},
    {nullptr, nullptr},
};

}  // namespace

void Export_IStoreProvider(LuaVM& vm) {
    (void)RegisterLuaClass(vm, {"Kiplink::IStoreProvider", kMethods, true, nullptr, nullptr});
}

}  // namespace Kiplink
