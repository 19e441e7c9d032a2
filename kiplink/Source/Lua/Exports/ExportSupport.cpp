#include "kiplink/Source/Lua/Exports/ExportSupport.h"

#include "kiplink/Source/Lua/LuaObjectRef.h"

#include <cstring>

namespace Kiplink {

namespace {

constexpr uint32_t kFnvBasis = 0x811C9DC5u;
constexpr uint32_t kFnvPrime = 16777619u;

}  // namespace

uint32_t LuaTypeId(const char* className) {
    uint32_t hash = kFnvBasis;
    for (const char* c = className; *c != '\0'; ++c) {
        if (*c == ':') {
            hash = kFnvBasis;
        } else if (*c != ' ' && *c != '\t' && *c != '&' && *c != '*') {
            hash = (hash ^ static_cast<uint8_t>(*c)) * kFnvPrime;
        }
    }
    if (std::strstr(className, "const ") != nullptr || std::strstr(className, "const\t") != nullptr) {
        hash = (hash ^ 0x43u) * kFnvPrime;
    }
    return hash;
}

RefCounted* LuaObjectArgument(LuaVM& vm, int index, uint32_t typeId) {
    void* object = nullptr;
    if (!vm.IsType(index, typeId) || !vm.GetUserData(index, &object)) {
        return nullptr;
    }
    return static_cast<RefCounted*>(object);
}

void PushOwnedObject(LuaVM& vm, uint32_t typeId, RefCounted* object) {
    if (object == nullptr) {
        vm.PushNil();
        return;
    }
    vm.PushObject(typeId, object, nullptr);
}

void PushBorrowedObject(LuaVM& vm, uint32_t typeId, RefCounted* object) {
    if (object != nullptr) {
        object->Reference();
    }
    PushOwnedObject(vm, typeId, object);
}

void PushConstValue(LuaVM& vm, const IValue* value, bool takeOverReference) {
    static const uint32_t kValueTypeId = LuaTypeId("Kiplink::IValue");
    if (value == nullptr) {
        vm.PushNil();
        return;
    }
    if (!takeOverReference) {
        value->Reference();
    }
    vm.PushObject(kValueTypeId, const_cast<IValue*>(static_cast<const IValue*>(value)), nullptr);
    luaL_getmetatable(vm.GetState(), "const Kiplink::IValue");
    lua_setmetatable(vm.GetState(), -2);
}

RefPtr<LuaObjectRef> RegisterLuaClass(LuaVM& vm, const LuaClassDef& def) {
    RefPtr<LuaObjectRef> metatable = vm.RegisterClass(LuaTypeId(def.className), def.className);
    RefPtr<LuaObjectRef> globals;
    (void)vm.GetGlobals(&globals);
    RefPtr<LuaObjectRef> index;
    RefPtr<LuaObjectRef> newIndex;
    if (globals->GetFieldRef("OOIndex", &index) && globals->GetFieldRef("OONewIndex", &newIndex)) {
        metatable->SetFieldRef("__index", *index);
        metatable->SetFieldRef("__newindex", *newIndex);
    }
    if (def.collects) {
        metatable->SetFieldCFunction("__gc", LuaReleaseObjectGc);
    }
    if (def.cIndex != nullptr) {
        metatable->SetFieldCFunction("__cindex", def.cIndex);
        metatable->SetFieldCFunction("__cnewindex", def.cNewIndex);
    }
    for (const LuaMethod* method = def.methods; method->name != nullptr; ++method) {
        metatable->SetFieldCFunction(method->name, method->function);
    }
    return metatable;
}

int PushDataTableOrNothing(LuaVM& vm, LuaObjectRef* table) {
    const char* key = nullptr;
    if (!vm.GetString(2, &key) || std::strcmp(key, "__data") != 0) {
        return 0;
    }
    if (table == nullptr) {
        vm.PushNil();
    } else {
        table->Push();
    }
    return 1;
}

void RegisterLuaExports(KiplinkProviderImpl* root, LuaVM& vm) {
    Export_IKiplinkProvider(root, vm);
    Export_IUser(vm);
    Export_IInventoryProvider(vm);
    Export_IInventory(vm);
    Export_IStoreProvider(vm);
    Export_IStoreItem(vm);
    Export_IItemGroup(vm);
    Export_IValue(vm);
    Export_IBankProvider(vm);
    Export_IBank(vm);
    Export_ICurrency(vm);
}

}  // namespace Kiplink
