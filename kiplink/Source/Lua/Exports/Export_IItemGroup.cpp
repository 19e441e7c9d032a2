// Item groups for scripts: their ids, names and member item ids.
#include "kiplink/Public/IStore.h"
#include "kiplink/Source/Lua/Exports/ExportSupport.h"

namespace Kiplink {

namespace {

#define GROUP_SELF KIPLINK_LUA_SELF(IItemGroup, group, "Kiplink::IItemGroup", "item")

int CIndex(lua_State* state) {
    GROUP_SELF;
    const char* key = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &key), "Argument named key expected type const char *");
    return PushDataTableOrNothing(*vm, group->GetDataTable());
}

int CNewIndex(lua_State* state) {
    GROUP_SELF;
    const char* key = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &key), "Argument named key expected type const char *");
    (void)group;
    return 0;
}

int GetItemCount(lua_State* state) {
    GROUP_SELF;
    vm->PushNumberValue(static_cast<int32_t>(group->GetItemCount()));
    return 1;
}

int GetItem(lua_State* state) {
    GROUP_SELF;
    int32_t index = 0;
    KIPLINK_LUA_CHECK(vm, vm->GetInt(2, &index), "Argument named index expected type int");
    vm->PushString(group->GetItem(static_cast<uint32_t>(index)));
    return 1;
}

int GetReferenceId(lua_State* state) {
    GROUP_SELF;
    vm->PushString(group->GetReferenceId());
    return 1;
}

int GetName(lua_State* state) {
    GROUP_SELF;
    vm->PushString(group->GetName());
    return 1;
}

const LuaMethod kMethods[] = {
    {"GetItemCount", GetItemCount},
    {"GetItem", GetItem},
    {"GetReferenceId", GetReferenceId},
    {"GetName", GetName},
    {nullptr, nullptr},
};

}  // namespace

void Export_IItemGroup(LuaVM& vm) {
    (void)RegisterLuaClass(vm, {"Kiplink::IItemGroup", kMethods, true, CIndex, CNewIndex});
}

}  // namespace Kiplink
