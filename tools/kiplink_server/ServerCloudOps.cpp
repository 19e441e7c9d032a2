#include "tools/kiplink_server/ServerCloudOps.h"

#include <lua.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Varnok {
namespace Tools {

// ServerCloudOps.lua, embedded by the build.
extern const char* const kServerCloudOpsScript;

namespace {

// One run's data (its copies, lists and boxes) never needs near this much;
// past it Lua fails the call instead of the process growing without end.
constexpr size_t kMemoryLimit = 256u * 1024u * 1024u;

// One interpreter a thread, holding the script's table of functions.
class ScriptState {
public:
    ScriptState() {
        m_state = lua_newstate(&ScriptState::Allocate, this);
        if (m_state == nullptr) {
            return;
        }
        luaL_requiref(m_state, "_G", luaopen_base, 1);
        luaL_requiref(m_state, LUA_MATHLIBNAME, luaopen_math, 1);
        luaL_requiref(m_state, LUA_STRLIBNAME, luaopen_string, 1);
        luaL_requiref(m_state, LUA_TABLIBNAME, luaopen_table, 1);
        luaL_requiref(m_state, LUA_BITLIBNAME, luaopen_bit32, 1);
        lua_settop(m_state, 0);
        if (luaL_loadbuffer(m_state, kServerCloudOpsScript, std::strlen(kServerCloudOpsScript),
                            "=ServerCloudOps.lua") != LUA_OK ||
            lua_pcall(m_state, 0, 1, 0) != LUA_OK || !lua_istable(m_state, -1)) {
            std::fprintf(stderr, "ServerCloudOps: the runner script does not load: %s\n",
                         lua_isstring(m_state, -1) ? lua_tostring(m_state, -1) : "no table");
            lua_close(m_state);
            m_state = nullptr;
            return;
        }
        m_module = luaL_ref(m_state, LUA_REGISTRYINDEX);
    }
    ~ScriptState() {
        if (m_state != nullptr) {
            lua_close(m_state);
        }
    }
    ScriptState(const ScriptState&) = delete;
    ScriptState& operator=(const ScriptState&) = delete;

    // Null when the script did not load (already logged).
    lua_State* State() const { return m_state; }
    // Pushes the script's function called name.
    void PushFunction(const char* name) const {
        lua_rawgeti(m_state, LUA_REGISTRYINDEX, m_module);
        lua_getfield(m_state, -1, name);
        lua_remove(m_state, -2);
    }

private:
    static void* Allocate(void* self, void* block, size_t oldSize, size_t newSize) {
        auto* state = static_cast<ScriptState*>(self);
        const size_t held = block != nullptr ? oldSize : 0;
        if (newSize == 0) {
            std::free(block);
            state->m_bytes -= held;
            return nullptr;
        }
        if (newSize > held && state->m_bytes + (newSize - held) > kMemoryLimit) {
            return nullptr;
        }
        void* grown = std::realloc(block, newSize);
        if (grown != nullptr) {
            state->m_bytes = state->m_bytes - held + newSize;
        }
        return grown;
    }

    lua_State* m_state = nullptr;
    int m_module = LUA_NOREF;
    size_t m_bytes = 0;
};

ScriptState& Script() {
    thread_local ScriptState script;
    return script;
}

void SetField(lua_State* lua, const char* field, const char* text) {
    lua_pushstring(lua, text);
    lua_setfield(lua, -2, field);
}

void SetField(lua_State* lua, const char* field, double number) {
    lua_pushnumber(lua, number);
    lua_setfield(lua, -2, field);
}

// Pushes value as a box (see the script). Lua errors unwind through here, so
// nothing on these frames may need a destructor.
void PushBox(lua_State* lua, const Json::Value& value) {
    luaL_checkstack(lua, 8, "value nested too deeply");
    switch (value.type()) {
        case Json::booleanValue:
            lua_createtable(lua, 0, 2);
            SetField(lua, "t", "bool");
            lua_pushboolean(lua, value.asBool() ? 1 : 0);
            lua_setfield(lua, -2, "v");
            return;
        case Json::intValue:
        case Json::uintValue: {
            const bool isSigned = value.type() == Json::intValue;
            const uint64_t bits = isSigned ? static_cast<uint64_t>(value.asInt64()) : value.asUInt64();
            // The hash reads a value wider than 64 signed bits as the
            // largest signed one.
            char text[32];
            std::snprintf(text, sizeof text, "%lld",
                          static_cast<long long>(value.isInt64() ? value.asInt64() : INT64_MAX));
            lua_createtable(lua, 0, 5);
            SetField(lua, "t", isSigned ? "int" : "uint");
            SetField(lua, "hi", static_cast<double>(static_cast<uint32_t>(bits >> 32)));
            SetField(lua, "lo", static_cast<double>(static_cast<uint32_t>(bits)));
            SetField(lua, "d", value.asDouble());
            SetField(lua, "text", text);
            return;
        }
        case Json::realValue:
            lua_createtable(lua, 0, 2);
            SetField(lua, "t", "real");
            SetField(lua, "d", value.asDouble());
            return;
        case Json::stringValue: {
            const char* begin = nullptr;
            const char* end = nullptr;
            value.getString(&begin, &end);
            lua_createtable(lua, 0, 2);
            SetField(lua, "t", "string");
            lua_pushlstring(lua, begin, static_cast<size_t>(end - begin));
            lua_setfield(lua, -2, "v");
            return;
        }
        case Json::arrayValue: {
            const Json::ArrayIndex size = value.size();
            lua_createtable(lua, static_cast<int>(size < 1024 ? size : 1024), 2);
            SetField(lua, "t", "array");
            SetField(lua, "n", static_cast<double>(size));
            for (Json::ArrayIndex i = 0; i < size; ++i) {
                PushBox(lua, value[i]);
                lua_rawseti(lua, -2, static_cast<int>(i) + 1);
            }
            return;
        }
        case Json::objectValue: {
            lua_createtable(lua, 0, 2);
            SetField(lua, "t", "object");
            lua_createtable(lua, 0, static_cast<int>(value.size() < 1024 ? value.size() : 1024));
            for (auto it = value.begin(); it != value.end(); ++it) {
                const char* end = nullptr;
                const char* name = it.memberName(&end);
                lua_pushlstring(lua, name, static_cast<size_t>(end - name));
                PushBox(lua, *it);
                lua_rawset(lua, -3);
            }
            lua_setfield(lua, -2, "m");
            return;
        }
        default:
            lua_createtable(lua, 0, 1);
            SetField(lua, "t", "null");
            return;
    }
}

double NumberField(lua_State* lua, int box, const char* field) {
    lua_getfield(lua, box, field);
    const double number = lua_tonumber(lua, -1);
    lua_pop(lua, 1);
    return number;
}

// Writes the box at index box into out. Runs inside the protected call: a
// Lua error unwinds through these frames, which hold nothing to destroy.
void ReadBox(lua_State* lua, int box, Json::Value& out) {
    luaL_checkstack(lua, 8, "value nested too deeply");
    box = lua_absindex(lua, box);
    lua_getfield(lua, box, "t");
    size_t kindSize = 0;
    const char* kind = lua_tolstring(lua, -1, &kindSize);
    const char first = kind != nullptr && kindSize > 0 ? kind[0] : 'n';
    lua_pop(lua, 1);  // the kind stays interned in the script's constants
    if (first == 'b') {
        lua_getfield(lua, box, "v");
        out = lua_toboolean(lua, -1) != 0;
        lua_pop(lua, 1);
    } else if (first == 'i' || first == 'u') {
        const uint64_t bits = (static_cast<uint64_t>(static_cast<uint32_t>(NumberField(lua, box, "hi"))) << 32) |
                              static_cast<uint32_t>(NumberField(lua, box, "lo"));
        if (first == 'i') {
            out = static_cast<Json::Int64>(bits);
        } else {
            out = static_cast<Json::UInt64>(bits);
        }
    } else if (first == 'r') {
        out = NumberField(lua, box, "d");
    } else if (first == 's') {
        lua_getfield(lua, box, "v");
        size_t size = 0;
        const char* text = lua_tolstring(lua, -1, &size);
        out = text != nullptr ? Json::Value(text, text + size) : Json::Value("");
        lua_pop(lua, 1);
    } else if (first == 'a') {
        out = Json::Value(Json::arrayValue);
        const double size = NumberField(lua, box, "n");
        if (size > 0) {
            out.resize(static_cast<Json::ArrayIndex>(size));
        }
        for (Json::ArrayIndex i = 0; i < out.size(); ++i) {
            lua_rawgeti(lua, box, static_cast<int>(i) + 1);
            if (lua_istable(lua, -1)) {
                ReadBox(lua, -1, out[i]);
            }
            lua_pop(lua, 1);
        }
    } else if (first == 'o') {
        out = Json::Value(Json::objectValue);
        lua_getfield(lua, box, "m");
        const int members = lua_gettop(lua);
        lua_pushnil(lua);
        while (lua_istable(lua, members) && lua_next(lua, members) != 0) {
            size_t size = 0;
            // Names are strings: lua_tolstring cannot turn one into a number
            // and upset the traversal.
            const char* name = lua_type(lua, -2) == LUA_TSTRING ? lua_tolstring(lua, -2, &size) : nullptr;
            if (name != nullptr && lua_istable(lua, -1)) {
                Json::Value& member = out[Json::String(name, size)];
                ReadBox(lua, -1, member);
            }
            lua_pop(lua, 1);
        }
        lua_pop(lua, 1);
    } else {
        out = Json::Value();
    }
}

// What one protected call works on.
struct Call {
    const Json::Value* list = nullptr;
    Json::Value* data = nullptr;
    Json::Value* meta = nullptr;
    const Json::Value* hashed = nullptr;
    Json::Value dataAfter;  // filled inside the call, kept only when it ends
    Json::Value metaAfter;
    uint32_t now = 0;
    bool ok = false;
    uint32_t hash = 0;
};

int RunProtected(lua_State* lua) {
    Call& call = *static_cast<Call*>(lua_touserdata(lua, 1));
    lua_settop(lua, 0);
    Script().PushFunction("run");
    PushBox(lua, *call.list);
    PushBox(lua, *call.data);
    PushBox(lua, *call.meta);
    lua_pushnumber(lua, call.now);
    lua_pushvalue(lua, 3);
    lua_pushvalue(lua, 4);
    lua_insert(lua, 1);
    lua_insert(lua, 1);  // data and meta kept below the call
    lua_call(lua, 4, 1);
    call.ok = lua_toboolean(lua, -1) != 0;
    // The edits made before a fault stay, as the caller expects.
    ReadBox(lua, 1, call.dataAfter);
    ReadBox(lua, 2, call.metaAfter);
    return 0;
}

int HashProtected(lua_State* lua) {
    Call& call = *static_cast<Call*>(lua_touserdata(lua, 1));
    lua_settop(lua, 0);
    Script().PushFunction("hash");
    PushBox(lua, *call.hashed);
    lua_call(lua, 1, 1);
    call.hash = static_cast<uint32_t>(lua_tonumber(lua, -1));
    return 0;
}

// Runs body under lua_pcall; false (logged) when Lua raised an error.
bool Protected(lua_CFunction body, Call& call) {
    lua_State* lua = Script().State();
    if (lua == nullptr) {
        return false;
    }
    lua_settop(lua, 0);
    lua_pushcfunction(lua, body);
    lua_pushlightuserdata(lua, &call);
    const bool ok = lua_pcall(lua, 1, 0, 0) == LUA_OK;
    if (!ok) {
        std::fprintf(stderr, "ServerCloudOps: %s\n", lua_isstring(lua, -1) ? lua_tostring(lua, -1) : "error");
    }
    lua_settop(lua, 0);
    return ok;
}

}  // namespace

uint32_t ServerCloudHash(const Json::Value& value) {
    Call call;
    call.hashed = &value;
    return Protected(&HashProtected, call) ? call.hash : 0;
}

bool RunServerCloudOps(const Json::Value& list, Json::Value& data, Json::Value& meta, uint32_t now) {
    Call call;
    call.list = &list;
    call.data = &data;
    call.meta = &meta;
    call.now = now;
    if (!Protected(&RunProtected, call)) {
        return false;
    }
    data.swap(call.dataAfter);
    meta.swap(call.metaAfter);
    return call.ok;
}

void UpdateServerCloudCopy(Json::Value& copy, const std::string& ownerId, const std::string& objectId,
                           const Json::Value& list, uint32_t now) {
    if (!copy.isObject()) {
        copy = Json::Value(Json::objectValue);
    }
    Json::Value changed = copy;
    if (RunServerCloudOps(list, changed["data"], changed["meta"], now)) {
        copy = changed;
    }
    copy["ownerId"] = ownerId;
    copy["cloudObjectId"] = objectId;
    copy["crc"] = static_cast<Json::UInt>(ServerCloudHash(copy["data"]));
}

}  // namespace Tools
}  // namespace Varnok
