// What every exporter of a library interface to Lua shares: class type ids,
// the check of an object argument, pushing objects with the one reference
// their userdata owns, and registering a class's metatable.
//
// A Lua error leaves a binding by longjmp: a binding holds no object with a
// destructor while it checks its arguments (KIPLINK_LUA_CHECK raises).
#pragma once

#include "kiplink/Public/IValue.h"
#include "kiplink/Public/RefCounted.h"
#include "kiplink/Source/Lua/LuaObjectRef.h"
#include "kiplink/Source/Lua/LuaVM.h"

#include <lua.hpp>

#include <cstdint>

namespace Kiplink {

class KiplinkProviderImpl;
class LuaObjectRef;

// FNV-1a over the class name where ":" restarts the hash and blanks, "&" and
// "*" are skipped, so only the part after the last "::" counts; a "const "
// name takes one more step with 'C'.
uint32_t LuaTypeId(const char* className);

// The object at index when it is a userdata of the class with an object.
RefCounted* LuaObjectArgument(LuaVM& vm, int index, uint32_t typeId);

// Pushes nil for null; otherwise the userdata takes over the reference the
// caller owns (a getter's added reference).
void PushOwnedObject(LuaVM& vm, uint32_t typeId, RefCounted* object);
// Adds the reference the userdata will own.
void PushBorrowedObject(LuaVM& vm, uint32_t typeId, RefCounted* object);
// A value under the metatable "const Kiplink::IValue"; argument checks for
// Kiplink::IValue still accept it. Nil for null.
void PushConstValue(LuaVM& vm, const IValue* value, bool takeOverReference);

struct LuaMethod {
    const char* name;
    lua_CFunction function;
};

struct LuaClassDef {
    const char* className;
    const LuaMethod* methods;  // ends with a null name
    bool collects;             // "__gc" releases the userdata's reference
    lua_CFunction cIndex;      // "__cindex" and "__cnewindex", or null
    lua_CFunction cNewIndex;
};

// The class's metatable with "__index" and "__newindex" of the VM's object
// lookup, the optional hooks and the methods.
RefPtr<LuaObjectRef> RegisterLuaClass(LuaVM& vm, const LuaClassDef& def);

// "__cindex" for classes with a data table: "__data" answers the table.
int PushDataTableOrNothing(LuaVM& vm, LuaObjectRef* table);

// Every exporter, in the order the classes are registered; run once when the
// root creates its Lua state.
void RegisterLuaExports(KiplinkProviderImpl* root, LuaVM& vm);

void Export_IKiplinkProvider(KiplinkProviderImpl* root, LuaVM& vm);
void Export_IUser(LuaVM& vm);
void Export_IInventoryProvider(LuaVM& vm);
void Export_IInventory(LuaVM& vm);
void Export_IStoreProvider(LuaVM& vm);
void Export_IStoreItem(LuaVM& vm);
void Export_IItemGroup(LuaVM& vm);
void Export_IValue(LuaVM& vm);
void Export_IBankProvider(LuaVM& vm);
void Export_IBank(LuaVM& vm);
void Export_ICurrency(LuaVM& vm);

}  // namespace Kiplink

// The binding's own object: a null object raises the argument error.
#define KIPLINK_LUA_SELF(Type, name, className, argumentName)                                   \
    ::Kiplink::LuaVM* vm = ::Kiplink::LuaVM::FromState(state);                                   \
    static const uint32_t kSelfTypeId = ::Kiplink::LuaTypeId(className);                         \
    Type* name = static_cast<Type*>(::Kiplink::LuaObjectArgument(*vm, 1, kSelfTypeId));         \
    KIPLINK_LUA_CHECK(vm, name != nullptr, "Argument named " argumentName " expected type " className)
