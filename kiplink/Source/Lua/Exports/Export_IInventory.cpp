// Inventories for scripts: item counts read from and changed through the
// user's transactions, and their own data table.
#include "kiplink/Public/IInventory.h"
#include "kiplink/Public/IStore.h"
#include "kiplink/Source/InventoryProviderImpl.h"
#include "kiplink/Source/Lua/Exports/ExportSupport.h"

namespace Kiplink {

namespace {

#define INVENTORY_SELF KIPLINK_LUA_SELF(IInventory, inventory, "Kiplink::IInventory", "inventory")

IStoreItem* ItemArgument(LuaVM& vm, int index) {
    static const uint32_t kItemTypeId = LuaTypeId("Kiplink::IStoreItem");
    return static_cast<IStoreItem*>(LuaObjectArgument(vm, index, kItemTypeId));
}

int CIndex(lua_State* state) {
    INVENTORY_SELF;
    const char* key = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &key), "Argument named key expected type const char *");
    return PushDataTableOrNothing(*vm, static_cast<InventoryImpl*>(inventory)->GetDataTable());
}

int CNewIndex(lua_State* state) {
    INVENTORY_SELF;
    const char* key = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &key), "Argument named key expected type const char *");
    (void)inventory;
    return 0;  // the object lookup stores the field in the data table
}

int GetUser(lua_State* state) {
    INVENTORY_SELF;
    static const uint32_t kUserTypeId = LuaTypeId("Kiplink::IUser");
    PushOwnedObject(*vm, kUserTypeId, inventory->GetUser());
    return 1;
}

int GetItemCount(lua_State* state) {
    INVENTORY_SELF;
    IStoreItem* item = ItemArgument(*vm, 2);
    KIPLINK_LUA_CHECK(vm, item != nullptr, "Argument named item expected type Kiplink::IStoreItem");
    vm->PushNumberValue(inventory->GetItemCount(item));
    return 1;
}

int GetItemCountById(lua_State* state) {
    INVENTORY_SELF;
    const char* id = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &id), "Argument named item expected type const char *");
    vm->PushNumberValue(inventory->GetItemCountById(id));
    return 1;
}

int ModifyItemCount(lua_State* state) {
    INVENTORY_SELF;
    IStoreItem* item = ItemArgument(*vm, 2);
    int32_t delta = 0;
    KIPLINK_LUA_CHECK(vm, item != nullptr, "Argument named item expected type Kiplink::IStoreItem");
    KIPLINK_LUA_CHECK(vm, vm->GetInt(3, &delta), "Argument named delta expected type int");
    vm->PushNumberValue(inventory->ModifyItemCount(item, delta));
    return 1;
}

int ModifyItemCountById(lua_State* state) {
    INVENTORY_SELF;
    const char* id = nullptr;
    int32_t delta = 0;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &id), "Argument named item expected type const char *");
    KIPLINK_LUA_CHECK(vm, vm->GetInt(3, &delta), "Argument named delta expected type int");
    vm->PushNumberValue(inventory->ModifyItemCountById(id, delta));
    return 1;
}

int GetInventoryCount(lua_State* state) {
    INVENTORY_SELF;
    vm->PushNumberValue(inventory->GetInventoryCount());
    return 1;
}

int GetInventoryItem(lua_State* state) {
    INVENTORY_SELF;
    int32_t index = 0;
    KIPLINK_LUA_CHECK(vm, vm->GetInt(2, &index), "Argument named index expected type int");
    vm->PushString(inventory->GetInventoryItem(index));
    return 1;
}

const LuaMethod kMethods[] = {
    {"GetUser", GetUser},
    {"GetItemCount", GetItemCount},
    {"GetItemCountById", GetItemCountById},
    {"ModifyItemCount", ModifyItemCount},
    {"ModifyItemCountById", ModifyItemCountById},
    {"GetInventoryCount", GetInventoryCount},
    {"GetInventoryItem", GetInventoryItem},
    {nullptr, nullptr},
};

}  // namespace

void Export_IInventory(LuaVM& vm) {
    (void)RegisterLuaClass(vm, {"Kiplink::IInventory", kMethods, true, CIndex, CNewIndex});
}

}  // namespace Kiplink
