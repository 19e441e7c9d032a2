// The Lua state, its stack helpers, class metatables and script loading.
#include "kiplink/Source/Lua/LuaVM.h"

#include "kiplink/Source/Log.h"
#include "kiplink/Source/Lua/LuaObjectRef.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

namespace Kiplink {

// Defined with the global functions.
void InstallLuaGlobals(LuaVM& vm);

namespace {

// The registry key under which a state keeps its VM.
const char s_vmKey = 0;

// Exported objects' userdata: a marker that tells ours from other full
// userdata (the io library's files), the class, and the object's pointer or
// its bytes at kPayloadOffset.
constexpr uint32_t kObjectMarker = 0x4B4C5544;  // "KLUD"
constexpr size_t kPayloadOffset = 16;

struct ObjectHeader {
    uint32_t marker;
    uint32_t typeId;
    uint32_t storage;  // 0: a pointer follows; 1: the object's bytes follow
    uint32_t reserved;
};
static_assert(sizeof(ObjectHeader) == kPayloadOffset, "payload offset");

const ObjectHeader* ObjectAt(lua_State* state, int index) {
    if (lua_type(state, index) != LUA_TUSERDATA || lua_rawlen(state, index) < kPayloadOffset) {
        return nullptr;
    }
    const auto* header = static_cast<const ObjectHeader*>(lua_touserdata(state, index));
    return header->marker == kObjectMarker ? header : nullptr;
}

int32_t SaturatedInt(double number) {
    if (!(number == number)) {
        return 0;
    }
    if (number >= 2147483647.0) {
        return std::numeric_limits<int32_t>::max();
    }
    if (number <= -2147483648.0) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(number);  // toward zero
}

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// path as it stands, or with each missing component matched case-blind in
// its folder; empty when nothing matches.
std::string ResolveCaseBlind(const std::string& path) {
    if (IsRegularFile(path)) {
        return path;
    }
    std::string resolved = path.size() > 0 && path[0] == '/' ? "/" : "";
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty()) {
            if (end == path.size()) {
                break;
            }
            continue;
        }
        const std::string exact = resolved + part;
        struct stat info;
        if (stat(exact.c_str(), &info) == 0) {
            resolved = exact;
        } else {
            DIR* folder = opendir(resolved.empty() ? "." : resolved.c_str());
            if (folder == nullptr) {
                return std::string();
            }
            std::string match;
            while (dirent* entry = readdir(folder)) {
                if (strcasecmp(entry->d_name, part.c_str()) == 0) {
                    match = entry->d_name;
                    break;
                }
            }
            closedir(folder);
            if (match.empty()) {
                return std::string();
            }
            resolved += match;
        }
        if (end < path.size()) {
            resolved += "/";
        }
    }
    return IsRegularFile(resolved) ? resolved : std::string();
}

}  // namespace

LuaVM::LuaVM() {
    m_state = luaL_newstate();
    lua_pushlightuserdata(m_state, this);
    lua_rawsetp(m_state, LUA_REGISTRYINDEX, &s_vmKey);
    luaL_openlibs(m_state);
    InstallLuaGlobals(*this);
}

LuaVM::~LuaVM() {
    m_classes.clear();
    lua_close(m_state);
    m_state = nullptr;
}

LuaVM* LuaVM::FromState(lua_State* state) {
    lua_rawgetp(state, LUA_REGISTRYINDEX, &s_vmKey);
    auto* vm = static_cast<LuaVM*>(lua_touserdata(state, -1));
    lua_pop(state, 1);
    return vm;
}

void LuaVM::PushNil() { lua_pushnil(m_state); }
void LuaVM::PushFloat(float number) { lua_pushnumber(m_state, static_cast<double>(number)); }
void LuaVM::PushNumber(double number) { lua_pushnumber(m_state, number); }
void LuaVM::PushNumberValue(int32_t number) { lua_pushinteger(m_state, number); }

void LuaVM::PushString(const char* text) {
    if (text == nullptr) {
        lua_pushnil(m_state);
    } else {
        lua_pushstring(m_state, text);
    }
}

void LuaVM::PushLString(const char* bytes, size_t length) { lua_pushlstring(m_state, bytes, length); }
void LuaVM::PushCFunction(lua_CFunction function) { lua_pushcclosure(m_state, function, 0); }
void LuaVM::PushBoolean(bool flag) { lua_pushboolean(m_state, flag ? 1 : 0); }
void LuaVM::Pop(int count) { lua_settop(m_state, -count - 1); }

bool LuaVM::GetInt(int index, int32_t* out) {
    if (!lua_isnumber(m_state, index)) {
        return false;
    }
    *out = SaturatedInt(lua_tonumberx(m_state, index, nullptr));
    return true;
}

bool LuaVM::GetFloat(int index, float* out) {
    if (!lua_isnumber(m_state, index)) {
        return false;
    }
    *out = static_cast<float>(lua_tonumberx(m_state, index, nullptr));
    return true;
}

bool LuaVM::GetNumber(int index, double* out) {
    if (!lua_isnumber(m_state, index)) {
        return false;
    }
    *out = lua_tonumberx(m_state, index, nullptr);
    return true;
}

bool LuaVM::GetString(int index, const char** out) {
    if (!lua_isstring(m_state, index)) {
        return false;
    }
    *out = lua_tolstring(m_state, index, nullptr);
    return true;
}

bool LuaVM::GetLString(int index, const char** out, size_t* outLength) {
    if (!lua_isstring(m_state, index)) {
        return false;
    }
    *out = lua_tolstring(m_state, index, outLength);
    return true;
}

bool LuaVM::GetBool(int index, bool* out) {
    if (lua_type(m_state, index) != LUA_TBOOLEAN) {
        return false;
    }
    *out = lua_toboolean(m_state, index) != 0;
    return true;
}

bool LuaVM::GetUserData(int index, void** out) {
    const ObjectHeader* header = ObjectAt(m_state, index);
    if (header == nullptr) {
        *out = nullptr;
        return false;
    }
    auto* payload = const_cast<char*>(reinterpret_cast<const char*>(header) + kPayloadOffset);
    if (header->storage == 1) {
        *out = payload;
    } else {
        memcpy(out, payload, sizeof(void*));
    }
    return true;
}

bool LuaVM::NewStackRef(int index, RefPtr<LuaObjectRef>* out) {
    *out = new LuaStackRef(this, index);
    return true;
}

bool LuaVM::NewRegistryRef(int index, RefPtr<LuaObjectRef>* out) {
    *out = new LuaRegistryRef(this, index);
    return true;
}

bool LuaVM::GetGlobals(RefPtr<LuaObjectRef>* out) {
    *out = new LuaGlobalsRef(this);
    return true;
}

bool LuaVM::Call(int argumentCount, int resultCount) {
    if (lua_pcallk(m_state, argumentCount, resultCount, 0, 0, nullptr) == LUA_OK) {
        return true;
    }
    const char* message = nullptr;
    if (!GetString(-1, &message)) {
        message = luaL_typename(m_state, -1);  // error() with a table or nil
    }
    Log("Runtime Error: %s", message);
    Pop(1);
    return false;
}

void LuaVM::SaveTop() { m_savedTops.push_back(lua_gettop(m_state)); }

void LuaVM::RestoreTop() {
    KIPLINK_ASSERT(!m_savedTops.empty());
    lua_settop(m_state, m_savedTops.back());
    m_savedTops.pop_back();
}

int LuaVM::GetTop() const { return lua_gettop(m_state); }
void LuaVM::SetTop(int index) { lua_settop(m_state, index); }

int LuaVM::GetType(int index) const {
    if (const ObjectHeader* header = ObjectAt(m_state, index)) {
        return static_cast<int>(header->typeId);
    }
    return lua_type(m_state, index);
}

bool LuaVM::IsType(int index, int type) const {
    if (const ObjectHeader* header = ObjectAt(m_state, index)) {
        if (static_cast<int>(header->typeId) == type) {
            return true;
        }
    }
    return lua_type(m_state, index) == type;
}

bool LuaVM::IsOneOfTypes(int index, const int* types, int count) const {
    const int type = GetType(index);
    for (int i = 0; i < count; ++i) {
        if (types[i] == type) {
            return true;
        }
    }
    return false;
}

bool LuaVM::IsNil(int index) const { return lua_type(m_state, index) == LUA_TNIL; }

void* LuaVM::NewUserData(size_t size) { return lua_newuserdata(m_state, size); }

void LuaVM::NewTable() { lua_createtable(m_state, 0, 0); }

namespace {

// Sets the metatable on the userdata below it: the given one, or the
// registered class's (which must exist and be a table).
void AttachMetatable(LuaVM& vm, lua_State* state, const std::map<uint32_t, RefPtr<LuaObjectRef>>& classes,
                     uint32_t typeId, const LuaObjectRef* metatable) {
    if (metatable != nullptr) {
        metatable->Push();
    } else {
        const auto found = classes.find(typeId);
        KIPLINK_ASSERT(found != classes.end());  // a class is registered before its objects are pushed
        found->second->Push();
        if (!lua_istable(state, -1)) {
            Log("Bad metatable.");
        }
    }
    if (lua_istable(state, -1) || lua_isnil(state, -1)) {
        lua_setmetatable(state, -2);
    } else {
        vm.Pop(1);
    }
}

}  // namespace

void LuaVM::PushObject(uint32_t typeId, void* object, const LuaObjectRef* metatable) {
    auto* block = static_cast<char*>(lua_newuserdata(m_state, kPayloadOffset + sizeof(void*)));
    const ObjectHeader header{kObjectMarker, typeId, 0, 0};
    memcpy(block, &header, sizeof(header));
    memcpy(block + kPayloadOffset, &object, sizeof(void*));
    AttachMetatable(*this, m_state, m_classes, typeId, metatable);
}

void LuaVM::PushObjectCopy(uint32_t typeId, const void* bytes, size_t length, const LuaObjectRef* metatable) {
    auto* block = static_cast<char*>(lua_newuserdata(m_state, kPayloadOffset + length));
    const ObjectHeader header{kObjectMarker, typeId, 1, 0};
    memcpy(block, &header, sizeof(header));
    if (length != 0) {
        memcpy(block + kPayloadOffset, bytes, length);
    }
    AttachMetatable(*this, m_state, m_classes, typeId, metatable);
}

// ---- scripts

void LuaVM::SetScriptRoot(const char* folder) { m_scriptRoot = folder != nullptr ? folder : ""; }

std::string LuaVM::FindScript(const std::string& loweredName) const {
    std::string prefix;
    for (const std::string& folder : m_searchPath) {
        prefix += folder;
        prefix += "/";
    }
    const std::string root = m_scriptRoot.empty() ? std::string() : m_scriptRoot + "/";
    for (const std::string& candidate : {prefix + loweredName, loweredName}) {
        const std::string path = candidate[0] == '/' ? candidate : root + candidate;
        std::string found = ResolveCaseBlind(path);
        if (!found.empty()) {
            return found;
        }
    }
    return std::string();
}

// Finds and loads fileName, leaving its chunk on the stack with the name's
// folders on the search path; outSavedPath receives the path to restore.
bool LuaVM::LoadScript(const char* fileName, std::vector<std::string>* outSavedPath) {
    std::string lowered(fileName);
    for (char& c : lowered) {
        c = c == '\\' ? '/' : static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    const std::string path = lowered.empty() ? std::string() : FindScript(lowered);
    if (path.empty()) {
        Log("Script Run Error: %s could not be found.", fileName);
        return false;
    }
    *outSavedPath = m_searchPath;
    size_t start = 0;
    for (size_t slash = lowered.find('/'); slash != std::string::npos; slash = lowered.find('/', start)) {
        m_searchPath.push_back(lowered.substr(start, slash - start));
        start = slash + 1;
    }
    if (luaL_loadfilex(m_state, path.c_str(), nullptr) != LUA_OK) {
        const char* message = "";
        size_t length = 0;
        (void)GetLString(-1, &message, &length);
        Log("Compile error: %s", message);
        Pop(1);
        m_searchPath = *outSavedPath;
        return false;
    }
    return true;
}

bool LuaVM::CompileFile(const char* fileName) {
    std::vector<std::string> saved;
    if (!LoadScript(fileName, &saved)) {
        return false;
    }
    m_searchPath = std::move(saved);
    return true;
}

void LuaVM::IncludeFile(const char* fileName) {
    std::vector<std::string> saved;
    if (!LoadScript(fileName, &saved)) {
        return;
    }
    (void)Call(0, 0);
    m_searchPath = std::move(saved);
}

bool LuaVM::CompileString(const char* text) {
    if (luaL_loadstring(m_state, text) == LUA_OK) {
        return true;
    }
    const char* message = "";
    (void)GetString(-1, &message);
    Log("Compile error: %s", message);
    Pop(1);
    return false;
}

bool LuaVM::RunString(const char* text) {
    if (!CompileString(text)) {
        return false;
    }
    return Call(0, 0);
}

RefPtr<LuaObjectRef> LuaVM::RegisterClass(uint32_t typeId, const char* className) {
    KIPLINK_ASSERT(typeId >= kFirstClassTypeId);  // ids below name Lua's own types
    const auto found = m_classes.find(typeId);
    if (found != m_classes.end()) {
        return found->second;
    }
    luaL_newmetatable(m_state, className);
    RefPtr<LuaObjectRef> metatable;
    (void)NewRegistryRef(-1, &metatable);
    Pop(1);
    m_classes[typeId] = metatable;
    metatable->SetFieldString("typename", className);
    return metatable;
}

void LuaVM::CollectGarbage() { lua_gc(m_state, LUA_GCCOLLECT, 0); }

namespace {

// The text of a key or value without converting a number in place.
const char* TextOf(lua_State* state, int index, char* buffer, size_t size) {
    switch (lua_type(state, index)) {
        case LUA_TSTRING:
            return lua_tostring(state, index);
        case LUA_TNUMBER:
            snprintf(buffer, size, "%.14g", lua_tonumber(state, index));
            return buffer;
        case LUA_TBOOLEAN:
            return lua_toboolean(state, index) ? "true" : "false";
        default:
            return luaL_typename(state, index);
    }
}

void DumpEntries(lua_State* state, int depth) {
    // Nested tables print their own entries; a cycle stops at a fixed depth.
    const int table = lua_gettop(state);
    lua_pushnil(state);
    while (lua_next(state, table) != 0) {
        if (lua_istable(state, -1) && depth < 16) {
            DumpEntries(state, depth + 1);
        } else {
            char keyText[32];
            char valueText[32];
            Log("%s = %s", TextOf(state, -2, keyText, sizeof(keyText)),
                TextOf(state, -1, valueText, sizeof(valueText)));
        }
        lua_pop(state, 1);
    }
}

}  // namespace

void LuaVM::DumpTable(const LuaObjectRef& table) {
    table.Push();
    if (lua_istable(m_state, -1)) {
        DumpEntries(m_state, 0);
    }
    Pop(1);
}

int LuaVM::RaiseError(const char* message) { return luaL_error(m_state, "%s", message); }

// ---- the last argument error

namespace {

struct LastLuaError {
    LuaVM* vm = nullptr;
    char text[512] = {};
};
LastLuaError s_lastError;

}  // namespace

void SetLuaError(LuaVM* vm, const char* text) {
    s_lastError.vm = vm;
    snprintf(s_lastError.text, sizeof(s_lastError.text), "%s", text);
}

const char* GetLuaErrorText() { return s_lastError.text; }
LuaVM* GetLuaErrorVM() { return s_lastError.vm; }

int RaiseLuaArgumentError(LuaVM* vm, const char* text, const char* file, int line) {
    char message[sizeof(s_lastError.text)];
    snprintf(message, sizeof(message), "%s @ %s%d", text, file, line);
    SetLuaError(vm, message);
    return vm->RaiseError(s_lastError.text);
}

// ---- calling script methods

bool ScriptHookCall::Begin(LuaVM& vm, uint32_t typeId, RefCounted* object, const char* method) {
    m_vm = &vm;
    m_argumentCount = 0;
    m_called = false;
    m_found = false;
    object->Reference();  // owned by the userdata from here
    vm.PushObject(typeId, object, nullptr);
    {
        RefPtr<LuaObjectRef> item;
        (void)vm.NewStackRef(-1, &item);
        if (item->PushFunction(method)) {
            item->Push();
            m_argumentCount = 1;
            m_found = true;
            return true;
        }
    }
    vm.Pop(1);
    return false;
}

void ScriptHookCall::PushObjectArgument(uint32_t typeId, RefCounted* object) {
    if (!m_found) {
        return;
    }
    object->Reference();
    m_vm->PushObject(typeId, object, nullptr);
    ++m_argumentCount;
}

void ScriptHookCall::PushInt(int32_t number) {
    if (!m_found) {
        return;
    }
    m_vm->PushNumberValue(number);
    ++m_argumentCount;
}

bool ScriptHookCall::CallForInt(int32_t* out) {
    if (!m_found) {
        return false;
    }
    m_found = false;  // the call consumes the pushed function and arguments
    m_called = true;
    if (!m_vm->Call(m_argumentCount, 1)) {
        m_vm->Pop(1);  // the item beneath the function
        return false;
    }
    const bool read = m_vm->GetInt(-1, out);
    m_vm->Pop(2);
    return read;
}

}  // namespace Kiplink
