// Names one Lua value for library code that must not keep raw stack
// positions: a registry slot (kept alive), the globals table, or a stack slot
// that keeps its meaning while values are pushed above it. Every reference
// must be released before its VM.
#pragma once

#include "kiplink/Public/RefCounted.h"

#include <lua.hpp>

#include <cstddef>
#include <cstdint>

namespace Kiplink {

class LuaVM;

class LuaObjectRef : public RefCounted {
public:
    explicit LuaObjectRef(LuaVM* vm) : m_vm(vm) {}

    virtual bool IsPersistent() const = 0;
    virtual void Push() const = 0;
    LuaVM* GetVM() const { return m_vm; }

    int GetType() const;
    bool GetInt(int32_t* out) const;
    bool GetFloat(float* out) const;
    bool GetNumber(double* out) const;
    bool GetString(const char** out) const;
    bool GetLString(const char** out, size_t* outLength) const;
    bool GetBool(bool* out) const;
    bool GetUserData(void** out) const;
    bool IsNil() const;
    bool GetMetatable(RefPtr<LuaObjectRef>* out) const;
    int GetLength() const;

    // Raw reads; a value that is not a table pushes nil.
    void PushField(const char* name) const;
    void PushIndex(int32_t key) const;
    // value[name] with metamethods, in a protected call; a function stays
    // pushed (true), anything else is popped (false).
    bool PushFunction(const char* name) const;

    bool GetFieldInt(const char* name, int32_t* out) const;
    bool GetFieldFloat(const char* name, float* out) const;
    bool GetFieldNumber(const char* name, double* out) const;
    bool GetFieldString(const char* name, const char** out) const;
    bool GetFieldLString(const char* name, const char** out, size_t* outLength) const;
    bool GetFieldBool(const char* name, bool* out) const;
    bool GetFieldUserData(const char* name, void** out) const;
    bool GetFieldRef(const char* name, RefPtr<LuaObjectRef>* out) const;
    bool GetIndexInt(int32_t key, int32_t* out) const;
    bool GetIndexFloat(int32_t key, float* out) const;
    bool GetIndexNumber(int32_t key, double* out) const;
    bool GetIndexString(int32_t key, const char** out) const;
    bool GetIndexLString(int32_t key, const char** out, size_t* outLength) const;
    bool GetIndexBool(int32_t key, bool* out) const;
    bool GetIndexUserData(int32_t key, void** out) const;
    bool GetIndexRef(int32_t key, RefPtr<LuaObjectRef>* out) const;

    // Raw writes; nothing happens when the value is not a table.
    void SetFieldFromStack(const char* name, int stackIndex) const;
    void SetFieldFromTop(const char* name) const;  // the value stays pushed
    void SetFieldPopTop(const char* name) const;   // the value is popped
    void SetIndexFromStack(int32_t key, int stackIndex) const;
    void SetIndexFromTop(int32_t key) const;
    void SetIndexPopTop(int32_t key) const;
    void SetFieldNil(const char* name) const;
    void SetFieldFloat(const char* name, float number) const;
    void SetFieldNumber(const char* name, double number) const;
    void SetFieldInt(const char* name, int32_t number) const;
    void SetFieldString(const char* name, const char* text) const;
    void SetFieldLString(const char* name, const char* bytes, size_t length) const;
    void SetFieldCFunction(const char* name, lua_CFunction function) const;
    void SetFieldBool(const char* name, bool flag) const;
    void SetFieldRef(const char* name, const LuaObjectRef& other) const;
    void SetIndexNil(int32_t key) const;
    void SetIndexFloat(int32_t key, float number) const;
    void SetIndexNumber(int32_t key, double number) const;
    void SetIndexInt(int32_t key, int32_t number) const;
    void SetIndexString(int32_t key, const char* text) const;
    void SetIndexLString(int32_t key, const char* bytes, size_t length) const;
    void SetIndexCFunction(int32_t key, lua_CFunction function) const;
    void SetIndexBool(int32_t key, bool flag) const;
    void SetIndexRef(int32_t key, const LuaObjectRef& other) const;

    // lua_setmetatable with the value other names (a table or nil).
    void SetMetatable(const LuaObjectRef& other) const;

protected:
    lua_State* State() const;

private:
    template <class PushKey, class PushValue>
    void RawSet(PushKey pushKey, PushValue pushValue) const;
    template <class Getter>
    bool GetPushed(Getter getter) const;

    LuaVM* m_vm;  // not referenced: the VM outlives its references
};

// A slot in the Lua registry: keeps its value alive until destroyed.
class LuaRegistryRef : public LuaObjectRef {
public:
    // Takes a reference to the value at stackIndex; the stack is unchanged.
    LuaRegistryRef(LuaVM* vm, int stackIndex);
    ~LuaRegistryRef() override;

    bool IsPersistent() const override { return true; }
    void Push() const override;
    int ReferenceNumber() const { return m_reference; }

protected:
    struct FixedSlot {
        int reference;
    };
    LuaRegistryRef(LuaVM* vm, FixedSlot slot) : LuaObjectRef(vm), m_reference(slot.reference) {}

private:
    int m_reference = -1;
};

// The registry's fixed entry of the globals table; releases nothing.
class LuaGlobalsRef final : public LuaRegistryRef {
public:
    explicit LuaGlobalsRef(LuaVM* vm) : LuaRegistryRef(vm, FixedSlot{LUA_RIDX_GLOBALS}) {}
};

// A stack slot, valid while it exists: release the reference before popping
// the slot.
class LuaStackRef final : public LuaObjectRef {
public:
    // index: negative, relative to the top now.
    LuaStackRef(LuaVM* vm, int index);

    bool IsPersistent() const override { return false; }
    void Push() const override;
    int WorkingIndex() const;

private:
    int m_index;
    int m_heightAtCreation;
};

}  // namespace Kiplink
