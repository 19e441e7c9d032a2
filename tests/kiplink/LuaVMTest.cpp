#include "kiplink/Source/Lua/LuaVM.h"

#include "kiplink/Source/Lua/LuaObjectRef.h"
#include "tests/kiplink/LogLines.h"
#include "tests/kiplink/RandomDraws.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using Kiplink::LuaObjectRef;
using Kiplink::LuaVM;
using Kiplink::RefPtr;

class LuaVMTest : public testing::Test {
protected:
    LuaVMTest() : vm(new LuaVM()) {
        vm->SetScriptRoot(VARNOK_TEST_DATA_DIR);
        (void)vm->GetGlobals(&globals);
    }
    ~LuaVMTest() override { globals.Reset(); }

    std::string GlobalText(const char* name) {
        const char* text = nullptr;
        return globals->GetFieldString(name, &text) ? text : "<none>";
    }
    int32_t GlobalInt(const char* name) {
        int32_t value = -999;
        EXPECT_TRUE(globals->GetFieldInt(name, &value)) << name;
        return value;
    }

    KiplinkTest::LogLines log;
    RefPtr<LuaVM> vm;
    RefPtr<LuaObjectRef> globals;
};

TEST_F(LuaVMTest, IncludeFindsScriptsInAnyCaseAndLooksNextToTheIncluderFirst) {
    EXPECT_TRUE(vm->RunString("include('Scripts\\\\Items\\\\Sword.lua')"));
    EXPECT_EQ(log.Joined(), "");
    EXPECT_EQ(GlobalText("swordLoaded"), "<none>");  // a boolean: not a text
    bool loaded = false;
    EXPECT_TRUE(globals->GetFieldBool("swordLoaded", &loaded));
    EXPECT_TRUE(loaded);
    EXPECT_EQ(GlobalText("utilFrom"), "items");  // scripts/items/util.lua before util.lua
    EXPECT_EQ(GlobalText("shieldFrom"), "root");  // then the bare name
    EXPECT_TRUE(vm->SearchPath().empty());
    EXPECT_EQ(vm->GetTop(), 0);
}

TEST_F(LuaVMTest, MissingAndBrokenScriptsAreLoggedAndRunNothing) {
    EXPECT_TRUE(vm->RunString("chunk = compile('Missing\\\\Thing.lua'); include('nope.lua')"));
    ASSERT_EQ(log.Get().size(), 2u);
    EXPECT_EQ(log.Get()[0], "Script Run Error: Missing\\Thing.lua could not be found.");
    EXPECT_EQ(log.Get()[1], "Script Run Error: nope.lua could not be found.");
    RefPtr<LuaObjectRef> chunk;
    globals->GetFieldRef("chunk", &chunk);
    EXPECT_TRUE(chunk->IsNil());
    chunk.Reset();

    log.Clear();
    EXPECT_FALSE(vm->CompileFile("scripts/broken.lua"));
    ASSERT_EQ(log.Get().size(), 1u);
    EXPECT_EQ(log.Get()[0].rfind("Compile error: ", 0), 0u);
    EXPECT_NE(log.Get()[0].find("Broken.lua"), std::string::npos);
    EXPECT_TRUE(vm->SearchPath().empty());
    EXPECT_EQ(vm->GetTop(), 0);

    EXPECT_TRUE(vm->CompileFile("Scripts/Items/Util.lua"));
    EXPECT_EQ(vm->GetType(-1), Kiplink::kLuaTypeFunction);  // the chunk stays, not yet run
    EXPECT_EQ(GlobalText("utilFrom"), "<none>");
}

TEST_F(LuaVMTest, ErrorsInScriptsAreLoggedAndAnswerFalse) {
    EXPECT_FALSE(vm->RunString("error('boom')"));
    ASSERT_EQ(log.Get().size(), 1u);
    EXPECT_EQ(log.Get()[0], "Runtime Error: [string \"error('boom')\"]:1: boom");
    log.Clear();
    EXPECT_FALSE(vm->RunString("x = = 1"));
    ASSERT_EQ(log.Get().size(), 1u);
    EXPECT_EQ(log.Get()[0].rfind("Compile error: ", 0), 0u);
    EXPECT_EQ(vm->GetTop(), 0);
    EXPECT_TRUE(vm->RunString("assert(dofile == nil and loadfile == nil and bit32 and debug and io)"));
}

TEST_F(LuaVMTest, BadArgumentsRaiseTheCheckWithItsSourceAndLine) {
    EXPECT_FALSE(vm->RunString("printstring(5)"));  // a number, though GetString would take it
    ASSERT_EQ(log.Get().size(), 1u);
    const std::string line = log.Get()[0];
    const std::string prefix = "Runtime Error: [string \"printstring(5)\"]:1: (*vm)->IsType(1, LTYPE_STRING) @ ";
    EXPECT_EQ(line.rfind(prefix, 0), 0u) << line;
    const size_t file = line.find("LuaGlobals.cpp");
    ASSERT_NE(file, std::string::npos) << line;
    const std::string lineNumber = line.substr(file + strlen("LuaGlobals.cpp"));
    EXPECT_FALSE(lineNumber.empty());
    EXPECT_EQ(lineNumber.find_first_not_of("0123456789"), std::string::npos) << line;
    EXPECT_EQ(Kiplink::GetLuaErrorVM(), vm.Get());
    EXPECT_EQ(std::string(Kiplink::GetLuaErrorText()).rfind("(*vm)->IsType(1, LTYPE_STRING) @ ", 0), 0u);

    const char* refused[] = {"include({})", "compile(nil)", "compilestring(true)",
                             "OOIndex({}, true)", "DeepTableSearch({}, {})"};
    for (const char* code : refused) {
        SCOPED_TRACE(code);
        log.Clear();
        EXPECT_FALSE(vm->RunString(code));
        ASSERT_EQ(log.Get().size(), 1u);
    }
    EXPECT_NE(log.Get()[0].find("Argument #2 named name got wrong type. @ "), std::string::npos);

    log.Clear();
    EXPECT_TRUE(vm->RunString("printstring('hello')"));
    EXPECT_EQ(log.Joined(), "hello\n");
}

TEST_F(LuaVMTest, MathRandomDrawsFromTheLibraryGenerator) {
    Kiplink::InstallLuaMathRandom(*vm);
    const uint32_t kMax = 0xFFFFFFFFu;
    const struct {
        const char* call;
        uint32_t draw;
        int32_t expected;
    } cases[] = {
        {"math.random(1)", 0, 1},          {"math.random(1)", kMax, 1},
        {"math.random(6)", 0, 1},          {"math.random(6)", kMax - 1, 5},
        {"math.random(6)", kMax, 6},       {"math.random(1, 6)", kMax - 1, 5},
        {"math.random(1, 6)", kMax, 6},    {"math.random(3, 3)", 123456789, 3},
        {"math.random(5, 1)", 0, 5},       {"math.random(5, 1)", 1, 4},
        {"math.random(5, 1)", kMax, 1},    {"math.random(-3, 3)", 0, -3},
        {"math.random(-3, 3)", 1, -2},     {"math.random(-3, 3)", 1431655766, 0},
        {"math.random(-3, 3)", 2863311529u, 0}, {"math.random(-3, 3)", kMax, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.call) + " draw " + std::to_string(c.draw));
        KiplinkTest::StateForDraw(c.draw);
        ASSERT_TRUE(vm->RunString((std::string("result = ") + c.call).c_str()));
        EXPECT_EQ(GlobalInt("result"), c.expected);
    }
    for (uint32_t draw : {0u, kMax, 2147483648u}) {
        KiplinkTest::StateForDraw(draw);
        ASSERT_TRUE(vm->RunString("plain = math.random(); text = math.random('x')"));
        double plain = -1;
        double text = -1;
        ASSERT_TRUE(globals->GetFieldNumber("plain", &plain));
        ASSERT_TRUE(globals->GetFieldNumber("text", &text));
        EXPECT_DOUBLE_EQ(plain, draw / 4294967295.0);
        EXPECT_GE(text, 0.0);
        EXPECT_LE(text, 1.0);
    }
}

// An exported class for the lookup tests: its data table, a name the class
// itself answers, and a method in the metatable.
constexpr uint32_t kItemType = 100;

class Item : public Kiplink::RefCounted {
public:
    RefPtr<LuaObjectRef> data;
    std::string name = "sword";
};

Item* ItemAt(lua_State* state, int index) {
    void* pointer = nullptr;
    if (!LuaVM::FromState(state)->GetUserData(index, &pointer)) {
        return nullptr;
    }
    return static_cast<Item*>(static_cast<Kiplink::RefCounted*>(pointer));
}

int ItemCIndex(lua_State* state) {
    Item* item = ItemAt(state, 1);
    const char* key = lua_type(state, 2) == LUA_TSTRING ? lua_tostring(state, 2) : "";
    if (item == nullptr) {
        return 0;
    }
    if (strcmp(key, "__data") == 0) {
        item->data->Push();
        return 1;
    }
    if (strcmp(key, "name") == 0) {
        lua_pushstring(state, item->name.c_str());
        return 1;
    }
    return 0;
}

int ItemCNewIndex(lua_State* state) {
    Item* item = ItemAt(state, 1);
    const bool handled = item != nullptr && lua_type(state, 2) == LUA_TSTRING &&
                         strcmp(lua_tostring(state, 2), "name") == 0 && lua_isstring(state, 3);
    if (handled) {
        item->name = lua_tostring(state, 3);
    }
    lua_pushboolean(state, handled);
    return 1;
}

int ItemDescribe(lua_State* state) {
    lua_pushstring(state, "method");
    return 1;
}

class LuaObjectsTest : public LuaVMTest {
protected:
    LuaObjectsTest() {
        RefPtr<LuaObjectRef> metatable = vm->RegisterClass(kItemType, "Item");
        EXPECT_EQ(vm->RegisterClass(kItemType, "Item").Get(), metatable.Get());
        RefPtr<LuaObjectRef> ooIndex;
        RefPtr<LuaObjectRef> ooNewIndex;
        globals->GetFieldRef("OOIndex", &ooIndex);
        globals->GetFieldRef("OONewIndex", &ooNewIndex);
        metatable->SetFieldRef("__index", *ooIndex);
        metatable->SetFieldRef("__newindex", *ooNewIndex);
        metatable->SetFieldCFunction("__cindex", ItemCIndex);
        metatable->SetFieldCFunction("__cnewindex", ItemCNewIndex);
        metatable->SetFieldCFunction("__gc", Kiplink::LuaReleaseObjectGc);
        metatable->SetFieldCFunction("Describe", ItemDescribe);

        item = new Item();
        vm->NewTable();
        (void)vm->NewRegistryRef(-1, &item->data);
        vm->Pop(1);
        // The item's script: found through the data table's "__data".
        EXPECT_TRUE(vm->RunString("script = { bonus = 7, Double = function(self, n) return n * 2 end }"));
        RefPtr<LuaObjectRef> script;
        globals->GetFieldRef("script", &script);
        item->data->SetFieldRef("__data", *script);

        item->Reference();  // the userdata's, dropped by __gc
        vm->PushObject(kItemType, static_cast<Kiplink::RefCounted*>(item), nullptr);
        globals->SetFieldPopTop("item");
    }

    Item* item = nullptr;  // owned by its userdata
};

TEST_F(LuaObjectsTest, DataTableReadsComeBeforeMethods) {
    item->data->SetFieldNil("__data");  // no script behind this one
    ASSERT_TRUE(vm->RunString(
        "before = item:Describe()\n"
        "item.Describe = 'data'\n"
        "after = item.Describe\n"
        "name = item.name\n"
        "item.name = 'axe'\n"
        "missing = item.nothing == nil"));
    EXPECT_EQ(GlobalText("before"), "method");
    EXPECT_EQ(GlobalText("after"), "data");
    EXPECT_EQ(GlobalText("name"), "sword");  // the class answers it
    EXPECT_EQ(item->name, "axe");            // and takes it
    bool flag = false;
    EXPECT_TRUE(globals->GetFieldBool("missing", &flag) && flag);
    const char* stored = nullptr;
    EXPECT_TRUE(item->data->GetFieldString("Describe", &stored));
    EXPECT_STREQ(stored, "data");
    EXPECT_EQ(log.Joined(), "");
}

TEST_F(LuaObjectsTest, AScriptBehindTheDataTableAnswersAndTakesNewFields) {
    ASSERT_TRUE(vm->RunString(
        "bonus = item.bonus\n"
        "doubled = item:Double(4)\n"
        "sameScript = item.__data == script\n"
        "item.fresh = 5"));
    EXPECT_EQ(GlobalInt("bonus"), 7);
    EXPECT_EQ(GlobalInt("doubled"), 8);
    bool flag = false;
    EXPECT_TRUE(globals->GetFieldBool("sameScript", &flag) && flag);
    int32_t fresh = 0;
    RefPtr<LuaObjectRef> script;
    globals->GetFieldRef("script", &script);
    EXPECT_TRUE(script->GetFieldInt("fresh", &fresh));
    EXPECT_EQ(fresh, 5);
    EXPECT_FALSE(item->data->GetFieldInt("fresh", &fresh));
}

TEST_F(LuaObjectsTest, UserDataAnswersItsClassId) {
    RefPtr<LuaObjectRef> pushed;
    globals->GetFieldRef("item", &pushed);
    EXPECT_EQ(pushed->GetType(), static_cast<int>(kItemType));
    void* pointer = nullptr;
    EXPECT_TRUE(pushed->GetUserData(&pointer));
    EXPECT_EQ(pointer, static_cast<Kiplink::RefCounted*>(item));
    pushed->Push();
    EXPECT_TRUE(vm->IsType(-1, static_cast<int>(kItemType)));
    EXPECT_TRUE(vm->IsType(-1, Kiplink::kLuaTypeUserData));
    vm->Pop(1);

    // Other full userdata (an io file) are not taken for exported objects.
    ASSERT_TRUE(vm->RunString("stdoutFile = io.stdout"));
    RefPtr<LuaObjectRef> file;
    globals->GetFieldRef("stdoutFile", &file);
    EXPECT_EQ(file->GetType(), Kiplink::kLuaTypeUserData);
    EXPECT_FALSE(file->GetUserData(&pointer));
    EXPECT_EQ(pointer, nullptr);

    struct Pair {
        int32_t a, b;
    } pair{3, 4};
    RefPtr<LuaObjectRef> noMetatable;
    vm->PushNil();
    (void)vm->NewRegistryRef(-1, &noMetatable);
    vm->Pop(1);
    vm->PushObjectCopy(kItemType + 1, &pair, sizeof(pair), noMetatable.Get());
    EXPECT_TRUE(vm->GetUserData(-1, &pointer));
    EXPECT_EQ(static_cast<Pair*>(pointer)->b, 4);
    vm->Pop(1);
}

TEST_F(LuaObjectsTest, ScriptHooksCallMethodsFoundOnTheObject) {
    Kiplink::ScriptHookCall call;
    ASSERT_TRUE(call.Begin(*vm, kItemType, item, "Double"));
    call.PushInt(21);
    int32_t result = 0;
    EXPECT_TRUE(call.CallForInt(&result));
    EXPECT_EQ(result, 42);
    EXPECT_EQ(vm->GetTop(), 0);

    Kiplink::ScriptHookCall missing;
    EXPECT_FALSE(missing.Begin(*vm, kItemType, item, "Nothing"));
    missing.PushInt(1);
    EXPECT_FALSE(missing.CallForInt(&result));
    EXPECT_EQ(vm->GetTop(), 0);

    ASSERT_TRUE(vm->RunString("function script.Fail(self) error('no') end"));
    Kiplink::ScriptHookCall failing;
    ASSERT_TRUE(failing.Begin(*vm, kItemType, item, "Fail"));
    EXPECT_FALSE(failing.CallForInt(&result));
    EXPECT_EQ(vm->GetTop(), 0);
    EXPECT_EQ(log.Get().size(), 1u);
}

}  // namespace
