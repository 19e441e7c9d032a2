// The inventory provider for scripts: a user's inventory.
#include "kiplink/Public/IInventory.h"
#include "kiplink/Public/IUser.h"
#include "kiplink/Source/Lua/Exports/ExportSupport.h"

namespace Kiplink {

namespace {

int GetInventory(lua_State* state) {
    KIPLINK_LUA_SELF(IInventoryProvider, provider, "Kiplink::IInventoryProvider", "inventoryProvider");
    static const uint32_t kUserTypeId = LuaTypeId("Kiplink::IUser");
    static const uint32_t kInventoryTypeId = LuaTypeId("Kiplink::IInventory");
    auto* user = static_cast<IUser*>(LuaObjectArgument(*vm, 2, kUserTypeId));
    KIPLINK_LUA_CHECK(vm, user != nullptr, "Argument named user expected type Kiplink::IUser");
    PushOwnedObject(*vm, kInventoryTypeId, provider->GetInventory(user));
    return 1;
}

const LuaMethod kMethods[] = {
    {"GetInventory", GetInventory},
    {nullptr, nullptr},
};

}  // namespace

void Export_IInventoryProvider(LuaVM& vm) {
    (void)RegisterLuaClass(vm, {"Kiplink::IInventoryProvider", kMethods, true, nullptr, nullptr});
}

}  // namespace Kiplink
