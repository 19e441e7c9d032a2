// The global functions every script sees: file inclusion, text output, the
// lookups through which exported objects resolve fields and methods, and the
// library's replacement of math.random. Each is a native function that may
// raise: no object with a destructor lives in these frames.
#include "kiplink/Source/Log.h"
#include "kiplink/Source/Lua/LuaObjectRef.h"
#include "kiplink/Source/Lua/LuaVM.h"
#include "kiplink/Source/Random.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace Kiplink {

namespace {

// "__super" and "__data" chains are data from scripts: a cycle must end.
constexpr int kMaxChainHops = 64;

const int kKeyTypes[2] = {kLuaTypeString, kLuaTypeNumber};

#define KIPLINK_CHECK_KEY(vm) \
    KIPLINK_LUA_CHECK((vm), (vm)->IsOneOfTypes(2, kKeyTypes, 2), "Argument #2 named name got wrong type.")

int Include(lua_State* state) {
    LuaVM* vm = LuaVM::FromState(state);
    KIPLINK_LUA_CHECK(vm, vm->IsType(1, kLuaTypeString), "(*vm)->IsType(1, LTYPE_STRING)");
    const char* fileName = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(1, &fileName), "(*vm)->Get(1, &filename)");
    vm->IncludeFile(fileName);
    return 0;
}

int Compile(lua_State* state) {
    LuaVM* vm = LuaVM::FromState(state);
    KIPLINK_LUA_CHECK(vm, vm->IsType(1, kLuaTypeString), "(*vm)->IsType(1, LTYPE_STRING)");
    const char* fileName = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(1, &fileName), "(*vm)->Get(1, &filename)");
    return vm->CompileFile(fileName) ? 1 : 0;
}

int CompileString(lua_State* state) {
    LuaVM* vm = LuaVM::FromState(state);
    KIPLINK_LUA_CHECK(vm, vm->IsType(1, kLuaTypeString), "(*vm)->IsType(1, LTYPE_STRING)");
    const char* text = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(1, &text), "(*vm)->Get(1, &string)");
    return vm->CompileString(text) ? 1 : 0;
}

int PrintString(lua_State* state) {
    LuaVM* vm = LuaVM::FromState(state);
    // Numbers are refused although GetString would take them.
    KIPLINK_LUA_CHECK(vm, vm->IsType(1, kLuaTypeString), "(*vm)->IsType(1, LTYPE_STRING)");
    const char* text = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(1, &text), "(*vm)->Get(1, &string)");
    Log("%s", text);
    return 0;
}

bool IsTextKey(lua_State* state, int keyIndex, const char* text) {
    return lua_type(state, keyIndex) == LUA_TSTRING && strcmp(lua_tostring(state, keyIndex), text) == 0;
}

// Pushes the raw t[k] of the table at tableIndex, following link (a raw
// field naming the next table) while the answer is nil. With stopAtLink the
// key that names the link itself is not followed.
void PushChainSearch(lua_State* state, int tableIndex, int keyIndex, const char* link, bool stopAtLink) {
    lua_pushvalue(state, tableIndex);
    for (int hop = 0; hop < kMaxChainHops; ++hop) {
        lua_pushvalue(state, keyIndex);
        lua_rawget(state, -2);
        if (!lua_isnil(state, -1) || (stopAtLink && IsTextKey(state, keyIndex, link))) {
            lua_remove(state, -2);
            return;
        }
        lua_pop(state, 1);
        lua_pushstring(state, link);
        lua_rawget(state, -2);
        if (!lua_istable(state, -1)) {
            lua_pop(state, 2);
            lua_pushnil(state);
            return;
        }
        lua_remove(state, -2);
    }
    lua_pop(state, 1);
    lua_pushnil(state);
}

void PushDeepTableSearch(lua_State* state, int tableIndex, int keyIndex) {
    if (!lua_istable(state, tableIndex)) {
        lua_pushnil(state);
        return;
    }
    PushChainSearch(state, tableIndex, keyIndex, "__super", true);
}

void PushDeepTableSearchData(lua_State* state, int tableIndex, int keyIndex) {
    if (!lua_istable(state, tableIndex)) {
        lua_pushnil(state);
        return;
    }
    PushChainSearch(state, tableIndex, keyIndex, "__data", false);
}

// Pushes the raw field name of the metatable of the value at index, or nil
// (also when there is no metatable).
void PushMetaField(lua_State* state, int index, const char* name) {
    if (!lua_getmetatable(state, index)) {
        lua_pushnil(state);
        return;
    }
    lua_pushstring(state, name);
    lua_rawget(state, -2);
    lua_remove(state, -2);
}

// The object's class lookup: its metatable's "__cindex" called with the
// object and key, else the same lookup on the metatable's "__super" table.
// Returns the number of results pushed (0 or 1).
int PushDeepMetaSearch(lua_State* state, int objectIndex, int keyIndex) {
    lua_pushvalue(state, objectIndex);
    for (int hop = 0; hop < kMaxChainHops; ++hop) {
        if (!lua_getmetatable(state, -1)) {
            lua_pop(state, 1);
            return 0;
        }
        lua_pushstring(state, "__cindex");
        lua_rawget(state, -2);
        if (lua_isfunction(state, -1)) {
            lua_pushvalue(state, -3);  // the object (or table) searched
            lua_pushvalue(state, keyIndex);
            lua_call(state, 2, 1);
            lua_replace(state, -3);
            lua_pop(state, 1);
            return 1;
        }
        lua_pop(state, 1);
        lua_pushstring(state, "__super");
        lua_rawget(state, -2);
        if (!lua_istable(state, -1)) {
            lua_pop(state, 3);
            return 0;
        }
        lua_replace(state, -3);
        lua_pop(state, 1);
    }
    lua_pop(state, 1);
    return 0;
}

int DeepTableSearch(lua_State* state) {
    LuaVM* vm = LuaVM::FromState(state);
    KIPLINK_CHECK_KEY(vm);
    PushDeepTableSearch(state, 1, 2);
    return 1;
}

int DeepTableSearchData(lua_State* state) {
    LuaVM* vm = LuaVM::FromState(state);
    KIPLINK_CHECK_KEY(vm);
    PushDeepTableSearchData(state, 1, 2);
    return 1;
}

int DeepMetaSearch(lua_State* state) {
    LuaVM* vm = LuaVM::FromState(state);
    KIPLINK_CHECK_KEY(vm);
    return PushDeepMetaSearch(state, 1, 2);
}

// "__index" of every exported class: the object's data table first, then its
// own raw fields (tables), then the class methods, then the class lookup.
int OOIndex(lua_State* state) {
    LuaVM* vm = LuaVM::FromState(state);
    KIPLINK_CHECK_KEY(vm);
    lua_settop(state, 2);
    const int type = lua_type(state, 1);
    if (type == LUA_TUSERDATA) {
        PushMetaField(state, 1, "__cindex");
        if (lua_isfunction(state, -1)) {
            lua_pushvalue(state, 1);
            lua_pushstring(state, "__data");
            lua_call(state, 2, 1);
            if (lua_istable(state, -1)) {
                PushDeepTableSearchData(state, lua_gettop(state), 2);
                if (!lua_isnil(state, -1)) {
                    return 1;
                }
                lua_pop(state, 1);
            }
        }
        lua_settop(state, 2);
    }
    if (type == LUA_TTABLE) {
        lua_pushvalue(state, 2);
        lua_rawget(state, 1);
        if (!lua_isnil(state, -1)) {
            return 1;
        }
        lua_pop(state, 1);
    }
    if (lua_getmetatable(state, 1)) {
        PushDeepTableSearch(state, lua_gettop(state), 2);
        if (!lua_isnil(state, -1)) {
            return 1;
        }
        lua_settop(state, 2);
    }
    if (type == LUA_TUSERDATA) {
        return PushDeepMetaSearch(state, 1, 2);
    }
    if (type == LUA_TTABLE) {
        PushDeepTableSearchData(state, 1, 2);
        return 1;
    }
    return 0;
}

// "__newindex" of every exported class: into the data table unless the class
// takes the field itself.
int OONewIndex(lua_State* state) {
    lua_settop(state, 3);
    const int type = lua_type(state, 1);
    if (type != LUA_TTABLE && type != LUA_TUSERDATA) {
        return 0;
    }
    lua_pushstring(state, "__data");
    lua_gettable(state, 1);  // runs OOIndex on a userdata
    const int data = lua_gettop(state);
    if (type == LUA_TTABLE) {
        lua_pushvalue(state, 2);
        lua_pushvalue(state, 3);
        lua_rawset(state, lua_istable(state, data) ? data : 1);
        return 0;
    }
    PushMetaField(state, 1, "__cnewindex");
    if (lua_isfunction(state, -1)) {
        lua_pushvalue(state, 1);
        lua_pushvalue(state, 2);
        lua_pushvalue(state, 3);
        lua_call(state, 3, 1);
        if (lua_type(state, -1) == LUA_TBOOLEAN && lua_toboolean(state, -1)) {
            return 0;
        }
    }
    if (lua_istable(state, data)) {
        lua_pushvalue(state, 2);
        lua_pushvalue(state, 3);
        lua_rawset(state, data);
    }
    return 0;
}

// r = draw / 4294967295 lies in [0, 1], both ends possible.
int MathRandom(lua_State* state) {
    LuaVM* vm = LuaVM::FromState(state);
    const double r = static_cast<double>(XorShift128Random()) / 4294967295.0;
    int32_t first = 0;
    if (!vm->GetInt(1, &first)) {
        vm->PushNumber(r);
        return 1;
    }
    int32_t second = 0;
    double result = 0.0;
    if (!vm->GetInt(2, &second)) {
        result = (first - 1.0) * r + 1.0;
    } else {
        result = first + (static_cast<double>(second) - first) * r;
    }
    int32_t whole = 0;
    if (result >= 2147483647.0) {
        whole = std::numeric_limits<int32_t>::max();
    } else if (result <= -2147483648.0) {
        whole = std::numeric_limits<int32_t>::min();
    } else {
        whole = static_cast<int32_t>(result);  // toward zero
    }
    vm->PushNumberValue(whole);
    return 1;
}

}  // namespace

void InstallLuaGlobals(LuaVM& vm) {
    RefPtr<LuaObjectRef> globals;
    (void)vm.GetGlobals(&globals);
    globals->SetFieldNil("dofile");
    globals->SetFieldNil("loadfile");
    globals->SetFieldCFunction("include", Include);
    globals->SetFieldCFunction("compile", Compile);
    globals->SetFieldCFunction("compilestring", CompileString);
    globals->SetFieldCFunction("printstring", PrintString);
    globals->SetFieldCFunction("DeepTableSearch", DeepTableSearch);
    globals->SetFieldCFunction("DeepTableSearchData", DeepTableSearchData);
    globals->SetFieldCFunction("DeepMetaSearch", DeepMetaSearch);
    globals->SetFieldCFunction("OOIndex", OOIndex);
    globals->SetFieldCFunction("OONewIndex", OONewIndex);
}

void InstallLuaMathRandom(LuaVM& vm) {
    RefPtr<LuaObjectRef> globals;
    (void)vm.GetGlobals(&globals);
    RefPtr<LuaObjectRef> math;
    if (globals->GetFieldRef("math", &math)) {
        math->SetFieldCFunction("random", MathRandom);
    }
}

int LuaReleaseObjectGc(lua_State* state) {
    LuaVM* vm = LuaVM::FromState(state);
    void* object = nullptr;
    if (vm != nullptr && vm->GetUserData(1, &object) && object != nullptr) {
        static_cast<RefCounted*>(object)->Release();
    }
    return 0;
}

}  // namespace Kiplink
