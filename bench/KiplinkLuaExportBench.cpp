// A script's call of a library method through the Lua exports against the
// same work behind one bare C function registered with the plain Lua API.
// Both ask a user's inventory GetItemCountById("sword") 10000 times per pass
// from a Lua loop compiled once: ours as inventory:GetItemCountById('sword')
// on the exported userdata (the object lookup through its data table, the
// argument checks), the peer as GetItemCountById(inventory, 'sword') on a
// userdata holding the inventory's pointer in its own lua_State. Both read
// the same user's state, which holds three swords.
#include "bench/SideBySide.h"
#include "kiplink/Public/IInventory.h"
#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Lua/Exports/ExportSupport.h"
#include "kiplink/Source/Lua/LuaObjectRef.h"
#include "kiplink/Source/Lua/LuaVM.h"
#include "kiplink/Source/UserImpl.h"

#include <lua.hpp>

#include <cstdio>

namespace {

constexpr int kBatches = 15;
constexpr double kBatchSeconds = 0.02;
constexpr int kCallsPerPass = 10000;

constexpr int kSwords = 3;
const char kLoop[] =
    "local item = ...\n"
    "local found = 0\n"
    "for i = 1, 10000 do if %s == 3 then found = found + 1 end end\n"
    "return found";

// Runs the loop once per pass on the item at the top of the stack.
template <class PushItem>
double TimeLoop(lua_State* state, const char* call, PushItem pushItem) {
    char code[512];
    std::snprintf(code, sizeof code, kLoop, call);
    if (luaL_loadstring(state, code) != LUA_OK) {
        return -1.0;
    }
    const int chunk = luaL_ref(state, LUA_REGISTRYINDEX);
    bool ok = true;
    const double perPass = Bench::MedianMicrosecondsPerPass(
        [&] {
            lua_rawgeti(state, LUA_REGISTRYINDEX, chunk);
            pushItem();
            ok = ok && lua_pcall(state, 1, 1, 0) == LUA_OK && lua_tointeger(state, -1) == kCallsPerPass;
            lua_settop(state, 0);
        },
        kBatchSeconds, kBatches);
    luaL_unref(state, LUA_REGISTRYINDEX, chunk);
    return ok ? perPass / kCallsPerPass * 1000.0 : -1.0;  // ns per call
}

// A root without a platform and one user holding three swords; the
// inventory comes with one reference the caller owns.
struct Holder {
    Holder() {
        Kiplink::KiplinkSettings settings{"bench", "http://127.0.0.1:1/", "build"};
        root = Kiplink::RefPtr<Kiplink::KiplinkProviderImpl>::Adopt(static_cast<Kiplink::KiplinkProviderImpl*>(
            Kiplink::CreateKiplinkProvider(settings, nullptr)));
        user = Kiplink::RefPtr<Kiplink::IUser>::Adopt(root->GetUser("bench-user"));
        auto inventories = Kiplink::RefPtr<Kiplink::IInventoryProvider>::Adopt(root->GetInventoryProvider());
        inventory = inventories->GetInventory(user.Get());
        inventory->ModifyItemCountById("sword", kSwords);
    }
    Kiplink::RefPtr<Kiplink::KiplinkProviderImpl> root;
    Kiplink::RefPtr<Kiplink::IUser> user;
    Kiplink::IInventory* inventory = nullptr;
};

double Ours() {
    Holder holder;
    Kiplink::LuaVM* vm = holder.root->GetLuaVM();
    // The userdata owns the getter's reference.
    vm->PushObject(Kiplink::LuaTypeId("Kiplink::IInventory"), static_cast<Kiplink::RefCounted*>(holder.inventory),
                   nullptr);
    const int slot = luaL_ref(vm->GetState(), LUA_REGISTRYINDEX);
    const double figure = TimeLoop(vm->GetState(), "item:GetItemCountById('sword')",
                                   [&] { lua_rawgeti(vm->GetState(), LUA_REGISTRYINDEX, slot); });
    luaL_unref(vm->GetState(), LUA_REGISTRYINDEX, slot);
    return figure;
}

int BareGetItemCountById(lua_State* state) {
    auto** inventory = static_cast<Kiplink::IInventory**>(lua_touserdata(state, 1));
    const char* id = lua_tostring(state, 2);
    lua_pushinteger(state, inventory != nullptr ? (*inventory)->GetItemCountById(id) : 0);
    return 1;
}

double PlainLua() {
    Holder holder;
    Kiplink::RefPtr<Kiplink::IInventory> inventory = Kiplink::RefPtr<Kiplink::IInventory>::Adopt(holder.inventory);
    lua_State* state = luaL_newstate();
    luaL_openlibs(state);
    lua_register(state, "GetItemCountById", BareGetItemCountById);
    auto** block = static_cast<Kiplink::IInventory**>(lua_newuserdata(state, sizeof(Kiplink::IInventory*)));
    *block = inventory.Get();
    const int slot = luaL_ref(state, LUA_REGISTRYINDEX);
    const double figure = TimeLoop(state, "GetItemCountById(item, 'sword')",
                                   [&] { lua_rawgeti(state, LUA_REGISTRYINDEX, slot); });
    lua_close(state);
    return figure;
}

}  // namespace

int main(int argc, char** argv) {
    Bench::Comparison comparison;
    comparison.workload =
        "a Lua loop asking a user's inventory GetItemCountById('sword') 10000 times: through the library's "
        "exports (inventory:GetItemCountById) against one bare C function on the plain Lua API "
        "(GetItemCountById(inventory, ...))";
    comparison.unit = "ns per call";
    comparison.contenders = {{"exports", Ours}, {"plain Lua C function", PlainLua}};
    return Bench::RunSideBySide(argc, argv, comparison);
}
