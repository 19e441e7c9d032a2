// A script's call of a library method through the Lua exports against the
// same work behind one bare C function registered with the plain Lua API.
// Both ask a store item HasTag("blade") 10000 times per pass from a Lua
// loop compiled once: ours as item:HasTag('blade') on the exported userdata
// (the object lookup, the argument checks), the peer as HasTag(item,
// 'blade') on a userdata holding the item's pointer in its own lua_State.
#include "bench/SideBySide.h"
#include "kiplink/Public/IStore.h"
#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Lua/Exports/ExportSupport.h"
#include "kiplink/Source/Lua/LuaObjectRef.h"
#include "kiplink/Source/Lua/LuaVM.h"
#include "kiplink/Source/StoreProviderImpl.h"

#include <lua.hpp>

#include <cstdio>

namespace {

constexpr int kBatches = 15;
constexpr double kBatchSeconds = 0.02;
constexpr int kCallsPerPass = 10000;

const char kItems[] =
    "[{\"referenceId\": \"sword\", \"itemName\": \"Sword\", \"itemTags\": [\"weapon\", \"sharp\", \"blade\"]}]";
const char kLoop[] =
    "local item = ...\n"
    "local found = 0\n"
    "for i = 1, 10000 do if %s then found = found + 1 end end\n"
    "return found";

Kiplink::RefPtr<Kiplink::IValue> Parsed(const char* text) {
    Kiplink::RefPtr<Kiplink::IValue> value = Kiplink::RefPtr<Kiplink::IValue>::Adopt(Kiplink::CreateValue());
    value->Parse(text);
    return value;
}

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

double Ours() {
    Kiplink::KiplinkSettings settings{"bench", "http://127.0.0.1:1/", "build"};
    Kiplink::RefPtr<Kiplink::KiplinkProviderImpl> root =
        Kiplink::RefPtr<Kiplink::KiplinkProviderImpl>::Adopt(static_cast<Kiplink::KiplinkProviderImpl*>(
            Kiplink::CreateKiplinkProvider(settings, nullptr)));
    auto* store = static_cast<Kiplink::StoreProviderImpl*>(root->GetStoreProvider());
    store->LoadItems(*Parsed(kItems), *Parsed("[]"), *Parsed("[]"));
    Kiplink::IStoreItem* item = store->GetItem("sword");  // the userdata owns this reference
    Kiplink::LuaVM* vm = root->GetLuaVM();
    vm->PushObject(Kiplink::LuaTypeId("Kiplink::IStoreItem"), static_cast<Kiplink::RefCounted*>(item), nullptr);
    const int slot = luaL_ref(vm->GetState(), LUA_REGISTRYINDEX);
    const double figure = TimeLoop(vm->GetState(), "item:HasTag('blade')",
                                   [&] { lua_rawgeti(vm->GetState(), LUA_REGISTRYINDEX, slot); });
    luaL_unref(vm->GetState(), LUA_REGISTRYINDEX, slot);
    store->Release();
    return figure;
}

int BareHasTag(lua_State* state) {
    auto** item = static_cast<Kiplink::IStoreItem**>(lua_touserdata(state, 1));
    const char* tag = lua_tostring(state, 2);
    lua_pushboolean(state, item != nullptr && (*item)->HasTag(tag));
    return 1;
}

double PlainLua() {
    Kiplink::RefPtr<Kiplink::StoreProviderImpl> store(new Kiplink::StoreProviderImpl(nullptr, nullptr));
    store->LoadItems(*Parsed(kItems), *Parsed("[]"), *Parsed("[]"));
    Kiplink::RefPtr<Kiplink::IStoreItem> item = Kiplink::RefPtr<Kiplink::IStoreItem>::Adopt(store->GetItem("sword"));
    lua_State* state = luaL_newstate();
    luaL_openlibs(state);
    lua_register(state, "HasTag", BareHasTag);
    auto** block = static_cast<Kiplink::IStoreItem**>(lua_newuserdata(state, sizeof(Kiplink::IStoreItem*)));
    *block = item.Get();
    const int slot = luaL_ref(state, LUA_REGISTRYINDEX);
    const double figure =
        TimeLoop(state, "HasTag(item, 'blade')", [&] { lua_rawgeti(state, LUA_REGISTRYINDEX, slot); });
    lua_close(state);
    return figure;
}

}  // namespace

int main(int argc, char** argv) {
    Bench::Comparison comparison;
    comparison.workload =
        "a Lua loop asking a store item HasTag('blade') 10000 times: through the library's exports "
        "(item:HasTag) against one bare C function on the plain Lua API (HasTag(item, ...))";
    comparison.unit = "ns per call";
    comparison.contenders = {{"exports", Ours}, {"plain Lua C function", PlainLua}};
    return Bench::RunSideBySide(argc, argv, comparison);
}
