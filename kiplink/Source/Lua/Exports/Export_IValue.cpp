// Values for scripts, in two classes: "Kiplink::IValue" reads and writes,
// "const Kiplink::IValue" (values a script may only look at) only reads.
// Both carry the type id of Kiplink::IValue, so either passes a value
// argument.
#include "kiplink/Public/IValue.h"
#include "kiplink/Source/Lua/Exports/ExportSupport.h"
#include "kiplink/Source/Lua/LuaObjectRef.h"

#include <cmath>

namespace Kiplink {

namespace {

// The object's argument name is "item" for these and "v" for the rest.
#define ITEM_SELF KIPLINK_LUA_SELF(IValue, value, "Kiplink::IValue", "item")
#define V_SELF KIPLINK_LUA_SELF(IValue, value, "Kiplink::IValue", "v")

uint32_t ValueTypeId() {
    static const uint32_t kId = LuaTypeId("Kiplink::IValue");
    return kId;
}

int NewValue(lua_State* state) {
    LuaVM* vm = LuaVM::FromState(state);
    PushOwnedObject(*vm, ValueTypeId(), CreateValue());
    return 1;
}

int GetParent(lua_State* state) {
    ITEM_SELF;
    PushConstValue(*vm, value->GetParent(), false);
    return 1;
}

int GetKey(lua_State* state) {
    ITEM_SELF;
    PushConstValue(*vm, value->GetKey(), true);
    return 1;
}

int Hash(lua_State* state) {
    ITEM_SELF;
    // Signed on purpose: hashes of 2^31 and above read as negative numbers.
    vm->PushNumberValue(static_cast<int32_t>(value->Hash()));
    return 1;
}

#define VALUE_TEST(Name, kind)                     \
    int Name(lua_State* state) {                   \
        kind;                                      \
        vm->PushBoolean(value->Name());            \
        return 1;                                  \
    }
VALUE_TEST(IsNull, ITEM_SELF)
VALUE_TEST(IsBool, V_SELF)
VALUE_TEST(IsNumber, V_SELF)
VALUE_TEST(IsString, V_SELF)
VALUE_TEST(IsArray, V_SELF)
VALUE_TEST(IsObject, V_SELF)
VALUE_TEST(IsFloat, V_SELF)
VALUE_TEST(IsInt, V_SELF)
VALUE_TEST(IsUInt, V_SELF)
#undef VALUE_TEST

int AsString(lua_State* state) {
    V_SELF;
    vm->PushString(value->AsString(""));
    return 1;
}

int AsInt(lua_State* state) {
    V_SELF;
    vm->PushNumberValue(value->AsInt(0));
    return 1;
}

int AsUInt(lua_State* state) {
    V_SELF;
    vm->PushNumber(static_cast<double>(value->AsUInt(0)));
    return 1;
}

int AsFloat(lua_State* state) {
    V_SELF;
    vm->PushFloat(value->AsFloat(0.0f));
    return 1;
}

int AsBool(lua_State* state) {
    V_SELF;
    vm->PushBoolean(value->AsBool(false));
    return 1;
}

int GetMemberCount(lua_State* state) {
    V_SELF;
    vm->PushNumberValue(static_cast<int32_t>(value->GetMemberCount()));
    return 1;
}

int GetMemberName(lua_State* state) {
    V_SELF;
    int32_t index = 0;
    KIPLINK_LUA_CHECK(vm, vm->GetInt(2, &index), "Argument named index expected type int");
    const IValue* name = value->GetMemberName(static_cast<uint32_t>(index));
    if (name == nullptr) {
        return 0;
    }
    PushConstValue(*vm, name, false);
    return 1;
}

// The mutable reads hand out members that scripts may change.
int PushMember(LuaVM& vm, IValue* member) {
    if (member == nullptr) {
        return 0;
    }
    PushBorrowedObject(vm, ValueTypeId(), member);
    return 1;
}

int GetMemberByInt(lua_State* state) {
    V_SELF;
    int32_t index = 0;
    KIPLINK_LUA_CHECK(vm, vm->GetInt(2, &index), "Argument named index expected type int");
    return PushMember(*vm, value->GetMemberByInt(index));
}

int GetMemberByString(lua_State* state) {
    V_SELF;
    const char* index = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &index), "Argument named index expected type const char *");
    return PushMember(*vm, value->GetMemberByString(index));
}

int GetMemberAt(lua_State* state) {
    V_SELF;
    int32_t index = 0;
    KIPLINK_LUA_CHECK(vm, vm->GetInt(2, &index), "Argument named index expected type int");
    return PushMember(*vm, value->GetMemberAt(static_cast<uint32_t>(index)));
}

int PushConstMember(LuaVM& vm, const IValue* member) {
    if (member == nullptr) {
        return 0;
    }
    PushConstValue(vm, member, false);
    return 1;
}

int ConstGetMemberByInt(lua_State* state) {
    V_SELF;
    int32_t index = 0;
    KIPLINK_LUA_CHECK(vm, vm->GetInt(2, &index), "Argument named index expected type int");
    return PushConstMember(*vm, static_cast<const IValue*>(value)->GetMemberByInt(index));
}

int ConstGetMemberByString(lua_State* state) {
    V_SELF;
    const char* index = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &index), "Argument named index expected type const char *");
    return PushConstMember(*vm, static_cast<const IValue*>(value)->GetMemberByString(index));
}

int ConstGetMemberAt(lua_State* state) {
    V_SELF;
    int32_t index = 0;
    KIPLINK_LUA_CHECK(vm, vm->GetInt(2, &index), "Argument named index expected type int");
    return PushConstMember(*vm, static_cast<const IValue*>(value)->GetMemberAt(static_cast<uint32_t>(index)));
}

int SetAsString(lua_State* state) {
    V_SELF;
    const char* n = nullptr;
    KIPLINK_LUA_CHECK(vm, vm->GetString(2, &n), "Argument named n expected type const char *");
    value->SetAsString(n);
    return 0;
}

int SetAsInt(lua_State* state) {
    V_SELF;
    int32_t n = 0;
    KIPLINK_LUA_CHECK(vm, vm->GetInt(2, &n), "Argument named n expected type int");
    value->SetAsInt(n);
    return 0;
}

int SetAsUInt(lua_State* state) {
    V_SELF;
    double n = 0.0;
    KIPLINK_LUA_CHECK(vm, vm->GetNumber(2, &n), "Argument named n expected type double");
    // Truncated toward zero into 0 .. 2^32 - 1 (NaN as 0).
    const double clamped = std::isnan(n) ? 0.0 : n < 0.0 ? 0.0 : n > 4294967295.0 ? 4294967295.0 : std::trunc(n);
    value->SetAsUInt(static_cast<uint32_t>(clamped));
    return 0;
}

int SetAsFloat(lua_State* state) {
    V_SELF;
    float n = 0.0f;
    KIPLINK_LUA_CHECK(vm, vm->GetFloat(2, &n), "Argument named n expected type float");
    value->SetAsFloat(n);
    return 0;
}

int SetAsBool(lua_State* state) {
    V_SELF;
    bool n = false;
    KIPLINK_LUA_CHECK(vm, vm->GetBool(2, &n), "Argument named n expected type bool");
    value->SetAsBool(n);
    return 0;
}

int SetAsValue(lua_State* state) {
    V_SELF;
    IValue* n = static_cast<IValue*>(LuaObjectArgument(*vm, 2, ValueTypeId()));
    KIPLINK_LUA_CHECK(vm, n != nullptr, "Argument named n expected type Kiplink::IValue");
    value->SetAsValue(*n);
    return 0;
}

#define SHARED_METHODS                                                                          \
    {"GetParent", GetParent}, {"GetKey", GetKey}, {"Hash", Hash}, {"IsNull", IsNull},           \
        {"IsBool", IsBool}, {"IsNumber", IsNumber}, {"IsString", IsString}, {"IsArray", IsArray}, \
        {"IsObject", IsObject}, {"IsFloat", IsFloat}, {"IsInt", IsInt}, {"IsUInt", IsUInt},      \
        {"AsString", AsString}, {"AsInt", AsInt}, {"AsUInt", AsUInt}, {"AsFloat", AsFloat},      \
        {"AsBool", AsBool}, {"GetMemberCount", GetMemberCount}, {"GetMemberName", GetMemberName}

const LuaMethod kMethods[] = {
    SHARED_METHODS,
    {"GetMemberByInt", GetMemberByInt},
    {"GetMemberByString", GetMemberByString},
    {"GetMemberAt", GetMemberAt},
    {"SetAsString", SetAsString},
    {"SetAsInt", SetAsInt},
    {"SetAsUInt", SetAsUInt},
    {"SetAsFloat", SetAsFloat},
    {"SetAsBool", SetAsBool},
    {"SetAsValue", SetAsValue},
    {nullptr, nullptr},
};

const LuaMethod kConstMethods[] = {
    SHARED_METHODS,
    {"GetMemberByInt", ConstGetMemberByInt},
    {"GetMemberByString", ConstGetMemberByString},
    {"GetMemberAt", ConstGetMemberAt},
    {nullptr, nullptr},
};

}  // namespace

void Export_IValue(LuaVM& vm) {
    RefPtr<LuaObjectRef> globals;
    (void)vm.GetGlobals(&globals);
    globals->SetFieldCFunction("Value", NewValue);
    (void)RegisterLuaClass(vm, {"Kiplink::IValue", kMethods, true, nullptr, nullptr});
    (void)RegisterLuaClass(vm, {"const Kiplink::IValue", kConstMethods, true, nullptr, nullptr});
}

}  // namespace Kiplink
