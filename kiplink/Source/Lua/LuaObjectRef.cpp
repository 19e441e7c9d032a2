// Reference objects: every operation pushes the named value, works at the
// top of the stack and pops what it pushed, so a registry slot and a stack
// slot behave alike.
#include "kiplink/Source/Lua/LuaObjectRef.h"

#include "kiplink/Source/Log.h"
#include "kiplink/Source/Lua/LuaVM.h"

namespace Kiplink {

lua_State* LuaObjectRef::State() const { return m_vm->GetState(); }

template <class Getter>
bool LuaObjectRef::GetPushed(Getter getter) const {
    Push();
    const bool answer = getter(-1);
    m_vm->Pop(1);
    return answer;
}

int LuaObjectRef::GetType() const {
    Push();
    const int type = m_vm->GetType(-1);
    m_vm->Pop(1);
    return type;
}

bool LuaObjectRef::GetInt(int32_t* out) const {
    return GetPushed([&](int index) { return m_vm->GetInt(index, out); });
}
bool LuaObjectRef::GetFloat(float* out) const {
    return GetPushed([&](int index) { return m_vm->GetFloat(index, out); });
}
bool LuaObjectRef::GetNumber(double* out) const {
    return GetPushed([&](int index) { return m_vm->GetNumber(index, out); });
}
bool LuaObjectRef::GetString(const char** out) const {
    return GetPushed([&](int index) { return m_vm->GetString(index, out); });
}
bool LuaObjectRef::GetLString(const char** out, size_t* outLength) const {
    return GetPushed([&](int index) { return m_vm->GetLString(index, out, outLength); });
}
bool LuaObjectRef::GetBool(bool* out) const {
    return GetPushed([&](int index) { return m_vm->GetBool(index, out); });
}
bool LuaObjectRef::GetUserData(void** out) const {
    return GetPushed([&](int index) { return m_vm->GetUserData(index, out); });
}
bool LuaObjectRef::IsNil() const {
    return GetPushed([&](int index) { return m_vm->IsNil(index); });
}

bool LuaObjectRef::GetMetatable(RefPtr<LuaObjectRef>* out) const {
    Push();
    if (!lua_getmetatable(State(), -1)) {
        m_vm->Pop(1);
        return false;
    }
    (void)m_vm->NewRegistryRef(-1, out);
    m_vm->Pop(2);
    return true;
}

int LuaObjectRef::GetLength() const {
    Push();
    const int length = lua_istable(State(), -1) ? static_cast<int>(lua_rawlen(State(), -1)) : 0;
    m_vm->Pop(1);
    return length;
}

void LuaObjectRef::PushField(const char* name) const {
    Push();
    if (lua_istable(State(), -1)) {
        lua_pushstring(State(), name);
        lua_rawget(State(), -2);
    } else {
        lua_pushnil(State());
    }
    lua_remove(State(), -2);  // the table from under the field
}

void LuaObjectRef::PushIndex(int32_t key) const {
    Push();
    if (lua_istable(State(), -1)) {
        lua_pushinteger(State(), key);
        lua_rawget(State(), -2);
    } else {
        lua_pushnil(State());
    }
    lua_remove(State(), -2);
}

namespace {

// (value, name) -> value[name], run protected: an "__index" that raises must
// not unwind through library code.
int IndexWithMetamethods(lua_State* state) {
    lua_gettable(state, 1);
    return 1;
}

}  // namespace

bool LuaObjectRef::PushFunction(const char* name) const {
    lua_pushcfunction(State(), IndexWithMetamethods);
    Push();
    lua_pushstring(State(), name);
    if (!m_vm->Call(2, 1)) {
        return false;
    }
    if (lua_isfunction(State(), -1)) {
        return true;
    }
    m_vm->Pop(1);
    return false;
}

#define KIPLINK_FIELD_GETTER(Name, ...)                                          \
    bool LuaObjectRef::GetField##Name(const char* name, __VA_ARGS__) const {      \
        PushField(name);                                                         \
        const bool answer = CALL;                                                \
        m_vm->Pop(1);                                                            \
        return answer;                                                           \
    }                                                                            \
    bool LuaObjectRef::GetIndex##Name(int32_t key, __VA_ARGS__) const {           \
        PushIndex(key);                                                          \
        const bool answer = CALL;                                                \
        m_vm->Pop(1);                                                            \
        return answer;                                                           \
    }

#define CALL m_vm->GetInt(-1, out)
KIPLINK_FIELD_GETTER(Int, int32_t* out)
#undef CALL
#define CALL m_vm->GetFloat(-1, out)
KIPLINK_FIELD_GETTER(Float, float* out)
#undef CALL
#define CALL m_vm->GetNumber(-1, out)
KIPLINK_FIELD_GETTER(Number, double* out)
#undef CALL
#define CALL m_vm->GetString(-1, out)
KIPLINK_FIELD_GETTER(String, const char** out)
#undef CALL
#define CALL m_vm->GetLString(-1, out, outLength)
KIPLINK_FIELD_GETTER(LString, const char** out, size_t* outLength)
#undef CALL
#define CALL m_vm->GetBool(-1, out)
KIPLINK_FIELD_GETTER(Bool, bool* out)
#undef CALL
#define CALL m_vm->GetUserData(-1, out)
KIPLINK_FIELD_GETTER(UserData, void** out)
#undef CALL
#define CALL m_vm->NewRegistryRef(-1, out)
KIPLINK_FIELD_GETTER(Ref, RefPtr<LuaObjectRef>* out)
#undef CALL
#undef KIPLINK_FIELD_GETTER

template <class PushKey, class PushValue>
void LuaObjectRef::RawSet(PushKey pushKey, PushValue pushValue) const {
    Push();
    if (lua_istable(State(), -1)) {
        pushKey();
        pushValue();
        lua_rawset(State(), -3);
    }
    m_vm->Pop(1);
}

namespace {

// An absolute index for a value already on the stack.
int Absolute(lua_State* state, int index) { return lua_absindex(state, index); }

}  // namespace

void LuaObjectRef::SetFieldFromStack(const char* name, int stackIndex) const {
    const int source = Absolute(State(), stackIndex);
    RawSet([&] { lua_pushstring(State(), name); }, [&] { lua_pushvalue(State(), source); });
}
void LuaObjectRef::SetFieldFromTop(const char* name) const { SetFieldFromStack(name, -1); }
void LuaObjectRef::SetFieldPopTop(const char* name) const {
    SetFieldFromStack(name, -1);
    m_vm->Pop(1);
}
void LuaObjectRef::SetIndexFromStack(int32_t key, int stackIndex) const {
    const int source = Absolute(State(), stackIndex);
    RawSet([&] { lua_pushinteger(State(), key); }, [&] { lua_pushvalue(State(), source); });
}
void LuaObjectRef::SetIndexFromTop(int32_t key) const { SetIndexFromStack(key, -1); }
void LuaObjectRef::SetIndexPopTop(int32_t key) const {
    SetIndexFromStack(key, -1);
    m_vm->Pop(1);
}

#define KIPLINK_SETTERS(Name, Param, PushExpression)                                         \
    void LuaObjectRef::SetField##Name(const char* name Param) const {                        \
        RawSet([&] { lua_pushstring(State(), name); }, [&] { PushExpression; });             \
    }                                                                                        \
    void LuaObjectRef::SetIndex##Name(int32_t key Param) const {                             \
        RawSet([&] { lua_pushinteger(State(), key); }, [&] { PushExpression; });             \
    }

#define COMMA ,
KIPLINK_SETTERS(Nil, , lua_pushnil(State()))
KIPLINK_SETTERS(Float, COMMA float number, lua_pushnumber(State(), static_cast<double>(number)))
KIPLINK_SETTERS(Number, COMMA double number, lua_pushnumber(State(), number))
KIPLINK_SETTERS(Int, COMMA int32_t number, lua_pushinteger(State(), number))
KIPLINK_SETTERS(String, COMMA const char* text, m_vm->PushString(text))
KIPLINK_SETTERS(LString, COMMA const char* bytes COMMA size_t length, lua_pushlstring(State(), bytes, length))
KIPLINK_SETTERS(CFunction, COMMA lua_CFunction function, lua_pushcclosure(State(), function, 0))
KIPLINK_SETTERS(Bool, COMMA bool flag, lua_pushboolean(State(), flag ? 1 : 0))
KIPLINK_SETTERS(Ref, COMMA const LuaObjectRef& other, other.Push())
#undef COMMA
#undef KIPLINK_SETTERS

void LuaObjectRef::SetMetatable(const LuaObjectRef& other) const {
    Push();
    other.Push();
    if (lua_istable(State(), -1) || lua_isnil(State(), -1)) {
        lua_setmetatable(State(), -2);
    } else {
        m_vm->Pop(1);
    }
    m_vm->Pop(1);
}

// ---- registry, globals, stack

LuaRegistryRef::LuaRegistryRef(LuaVM* vm, int stackIndex) : LuaObjectRef(vm) {
    lua_pushvalue(State(), stackIndex);
    m_reference = luaL_ref(State(), LUA_REGISTRYINDEX);
}

LuaRegistryRef::~LuaRegistryRef() {
    // 1 and 2 are the registry's fixed entries (main thread, globals).
    if (m_reference > LUA_RIDX_LAST) {
        luaL_unref(State(), LUA_REGISTRYINDEX, m_reference);
    }
}

void LuaRegistryRef::Push() const { lua_rawgeti(State(), LUA_REGISTRYINDEX, m_reference); }

LuaStackRef::LuaStackRef(LuaVM* vm, int index) : LuaObjectRef(vm), m_index(index), m_heightAtCreation(vm->GetTop()) {}

int LuaStackRef::WorkingIndex() const { return m_index + m_heightAtCreation - GetVM()->GetTop(); }

void LuaStackRef::Push() const { lua_pushvalue(State(), WorkingIndex()); }

}  // namespace Kiplink
