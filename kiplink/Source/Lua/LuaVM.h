// The library's one Lua 5.2 state: a thin layer over the C API that the
// bindings use, the registry of class metatables, script loading with a
// search path, and the global functions of the binding layer (include,
// compile, printstring and the object lookups of exported classes).
//
// Debian's Lua is built as C: a Lua error leaves a native function by
// longjmp, so a binding must hold no object with a destructor in its frame
// when it raises (KIPLINK_LUA_CHECK raises from a static text).
#pragma once

#include "kiplink/Public/RefCounted.h"

#include <lua.hpp>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Kiplink {

class LuaObjectRef;

// The VM's type codes are Lua's; a full userdata of an exported object
// answers its class type id instead, so class ids start above Lua's.
constexpr int kLuaTypeNil = LUA_TNIL;
constexpr int kLuaTypeBoolean = LUA_TBOOLEAN;
constexpr int kLuaTypeNumber = LUA_TNUMBER;
constexpr int kLuaTypeString = LUA_TSTRING;
constexpr int kLuaTypeTable = LUA_TTABLE;
constexpr int kLuaTypeFunction = LUA_TFUNCTION;
constexpr int kLuaTypeUserData = LUA_TUSERDATA;
constexpr uint32_t kFirstClassTypeId = 16;

class LuaVM : public RefCounted {
public:
    LuaVM();
    ~LuaVM() override;
    LuaVM(const LuaVM&) = delete;
    LuaVM& operator=(const LuaVM&) = delete;

    // The VM that owns state; null for a state of no VM.
    static LuaVM* FromState(lua_State* state);

    lua_State* GetState() const { return m_state; }

    void PushNil();
    void PushFloat(float number);
    void PushNumber(double number);
    void PushNumberValue(int32_t number);
    void PushString(const char* text);  // null pushes nil
    void PushLString(const char* bytes, size_t length);
    void PushCFunction(lua_CFunction function);
    void PushBoolean(bool flag);
    void Pop(int count);

    // False (out untouched) unless the value is a number or a numeric
    // string; numbers are truncated toward zero (saturating).
    bool GetInt(int index, int32_t* out);
    bool GetFloat(int index, float* out);
    bool GetNumber(int index, double* out);
    // Strings and numbers (a number is turned into a string in place).
    bool GetString(int index, const char** out);
    bool GetLString(int index, const char** out, size_t* outLength);
    // Only a boolean answers true.
    bool GetBool(int index, bool* out);
    bool GetUserData(int index, void** out);

    bool NewStackRef(int index, RefPtr<LuaObjectRef>* out);
    bool NewRegistryRef(int index, RefPtr<LuaObjectRef>* out);
    bool GetGlobals(RefPtr<LuaObjectRef>* out);

    // Protected call; a runtime error is logged and popped.
    bool Call(int argumentCount, int resultCount);
    void SaveTop();
    void RestoreTop();  // requires: a saved top
    int GetTop() const;
    void SetTop(int index);

    int GetType(int index) const;
    bool IsType(int index, int type) const;
    bool IsOneOfTypes(int index, const int* types, int count) const;
    bool IsNil(int index) const;

    void* NewUserData(size_t size);
    // A userdata naming object (not referenced here: the pushing binding
    // decides who owns what); metatable null takes the registered class's.
    void PushObject(uint32_t typeId, void* object, const LuaObjectRef* metatable);
    // A userdata holding a copy of the bytes.
    void PushObjectCopy(uint32_t typeId, const void* bytes, size_t length, const LuaObjectRef* metatable);
    void NewTable();

    // Leaves the chunk on the stack.
    bool CompileFile(const char* fileName);
    bool CompileString(const char* text);
    // Runs the file with its folders on the search path, so its own
    // includes resolve next to it first.
    void IncludeFile(const char* fileName);
    bool RunString(const char* text);

    // The class's metatable, made on first registration.
    RefPtr<LuaObjectRef> RegisterClass(uint32_t typeId, const char* className);
    void CollectGarbage();
    const char* GetVersion() const { return "Lua 5.2"; }
    void DumpTable(const LuaObjectRef& table);
    // luaL_error: the calling script's chunk and line, then message; never
    // returns to the caller.
    int RaiseError(const char* message);

    // Relative script names resolve under this folder (the working
    // directory by default). Names match case-blind where the exact name is
    // missing: scripts name their files in any case.
    void SetScriptRoot(const char* folder);
    const std::vector<std::string>& SearchPath() const { return m_searchPath; }

private:
    std::string FindScript(const std::string& loweredName) const;
    bool LoadScript(const char* fileName, std::vector<std::string>* outSavedPath);

    lua_State* m_state = nullptr;
    std::vector<int> m_savedTops;
    std::vector<std::string> m_searchPath;
    std::map<uint32_t, RefPtr<LuaObjectRef>> m_classes;
    std::string m_scriptRoot;
};

// The last argument error: its VM and text, kept in static storage so the
// text outlives the non-local exit of the Lua error.
void SetLuaError(LuaVM* vm, const char* text);
const char* GetLuaErrorText();
LuaVM* GetLuaErrorVM();
// Stores "text @ file" + line and raises it. Returns only to satisfy a
// lua_CFunction's return statement.
int RaiseLuaArgumentError(LuaVM* vm, const char* text, const char* file, int line);

#define KIPLINK_LUA_CHECK(vm, condition, text)                                     \
    do {                                                                           \
        if (!(condition)) {                                                        \
            return ::Kiplink::RaiseLuaArgumentError((vm), (text), __FILE__, __LINE__); \
        }                                                                          \
    } while (0)

// Replaces math.random with a draw of the library's generator.
void InstallLuaMathRandom(LuaVM& vm);

// A __gc for classes whose userdata owns one reference on a RefCounted
// pushed by pointer.
int LuaReleaseObjectGc(lua_State* state);

// Calls a script method on an exported object: Begin pushes the object (the
// userdata takes one reference on it, released by the class's __gc) and looks
// the method up as Lua's indexing would.
class ScriptHookCall {
public:
    bool Begin(LuaVM& vm, uint32_t typeId, RefCounted* object, const char* method);
    // Further arguments; only pushed when the method was found.
    void PushObjectArgument(uint32_t typeId, RefCounted* object);
    void PushInt(int32_t number);
    // One int result; false when not found or the call failed.
    bool CallForInt(int32_t* out);

    bool Found() const { return m_found; }
    bool Called() const { return m_called; }

private:
    LuaVM* m_vm = nullptr;
    int32_t m_argumentCount = 0;
    bool m_called = false;
    bool m_found = false;
};

}  // namespace Kiplink
