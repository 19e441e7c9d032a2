// The root provider as the global "KiplinkProvider": scripts reach the store,
// inventory and bank providers from here.
#include "kiplink/Public/IBank.h"
#include "kiplink/Public/IInventory.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "kiplink/Public/IStore.h"
#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Lua/Exports/ExportSupport.h"
#include "kiplink/Source/Lua/LuaObjectRef.h"

namespace Kiplink {

namespace {

int GetStoreProvider(lua_State* state) {
    KIPLINK_LUA_SELF(IKiplinkProvider, kiplink, "Kiplink::IKiplinkProvider", "kiplink");
    static const uint32_t kStoreTypeId = LuaTypeId("Kiplink::IStoreProvider");
    PushOwnedObject(*vm, kStoreTypeId, kiplink->GetStoreProvider());
    return 1;
}

int GetInventoryProvider(lua_State* state) {
    KIPLINK_LUA_SELF(IKiplinkProvider, kiplink, "Kiplink::IKiplinkProvider", "kiplink");
    static const uint32_t kTypeId = LuaTypeId("Kiplink::IInventoryProvider");
    PushOwnedObject(*vm, kTypeId, kiplink->GetInventoryProvider());
    return 1;
}

int GetBankProvider(lua_State* state) {
    KIPLINK_LUA_SELF(IKiplinkProvider, kiplink, "Kiplink::IKiplinkProvider", "kiplink");
    static const uint32_t kTypeId = LuaTypeId("Kiplink::IBankProvider");
    PushOwnedObject(*vm, kTypeId, kiplink->GetBankProvider());
    return 1;
}

const LuaMethod kMethods[] = {
    {"GetStoreProvider", GetStoreProvider},
    {"GetInventoryProvider", GetInventoryProvider},
    {"GetBankProvider", GetBankProvider},
    {nullptr, nullptr},
};

}  // namespace

void Export_IKiplinkProvider(KiplinkProviderImpl* root, LuaVM& vm) {
    const LuaClassDef def{"Kiplink::IKiplinkProvider", kMethods, false, nullptr, nullptr};
    RefPtr<LuaObjectRef> metatable = RegisterLuaClass(vm, def);
    RefPtr<LuaObjectRef> globals;
    (void)vm.GetGlobals(&globals);
    // No reference: the root outlives its Lua state.
    vm.PushObject(LuaTypeId(def.className), static_cast<RefCounted*>(static_cast<IKiplinkProvider*>(root)),
                  metatable.Get());
    globals->SetFieldPopTop("KiplinkProvider");
    InstallLuaMathRandom(vm);
}

}  // namespace Kiplink
