#include "kiplink/Source/Lua/LuaObjectRef.h"

#include "kiplink/Source/Lua/LuaVM.h"
#include "tests/kiplink/LogLines.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Kiplink::LuaObjectRef;
using Kiplink::LuaVM;
using Kiplink::RefPtr;

class LuaObjectRefTest : public testing::Test {
protected:
    LuaObjectRefTest() : vm(new LuaVM()) {}

    // A registry reference to what the code evaluates to; the stack is left empty.
    RefPtr<LuaObjectRef> Evaluate(const char* code) {
        EXPECT_TRUE(vm->CompileString((std::string("return ") + code).c_str()));
        EXPECT_TRUE(vm->Call(0, 1));
        RefPtr<LuaObjectRef> ref;
        (void)vm->NewRegistryRef(-1, &ref);
        vm->Pop(1);
        return ref;
    }

    KiplinkTest::LogLines log;
    RefPtr<LuaVM> vm;
};

TEST_F(LuaObjectRefTest, RegistryReferencesKeepTheirValueAndLeaveTheStack) {
    vm->PushString("kept");
    RefPtr<LuaObjectRef> ref;
    ASSERT_TRUE(vm->NewRegistryRef(-1, &ref));
    EXPECT_EQ(vm->GetTop(), 1);
    EXPECT_TRUE(ref->IsPersistent());
    vm->SetTop(0);
    vm->CollectGarbage();
    ref->Push();
    const char* text = nullptr;
    EXPECT_TRUE(vm->GetString(-1, &text));
    EXPECT_STREQ(text, "kept");
    vm->Pop(1);
}

TEST_F(LuaObjectRefTest, ReadsFieldsRawAndByLength) {
    RefPtr<LuaObjectRef> table = Evaluate("setmetatable({10, 20, 30, name = 'n', flag = 1}, "
                                          "{__index = function() return 'meta' end})");
    RefPtr<LuaObjectRef> number = Evaluate("5");
    EXPECT_EQ(table->GetLength(), 3);
    EXPECT_EQ(number->GetLength(), 0);
    int32_t value = 0;
    EXPECT_TRUE(table->GetIndexInt(2, &value));
    EXPECT_EQ(value, 20);
    const char* name = nullptr;
    EXPECT_TRUE(table->GetFieldString("name", &name));
    EXPECT_STREQ(name, "n");
    bool flag = true;
    EXPECT_FALSE(table->GetFieldBool("flag", &flag));  // a number is not a boolean
    EXPECT_TRUE(flag);

    table->PushField("missing");  // raw: the "__index" does not run
    EXPECT_TRUE(vm->IsNil(-1));
    vm->Pop(1);
    EXPECT_EQ(vm->GetTop(), 0);
    EXPECT_FALSE(table->PushFunction("missing"));  // 'meta' is no function
    EXPECT_EQ(vm->GetTop(), 0);
    number->PushField("x");  // not a table: nil, no crash
    EXPECT_TRUE(vm->IsNil(-1));
    vm->Pop(1);
    number->SetFieldInt("x", 1);
    EXPECT_EQ(vm->GetTop(), 0);

    RefPtr<LuaObjectRef> metatable;
    EXPECT_TRUE(table->GetMetatable(&metatable));
    EXPECT_FALSE(number->GetMetatable(&metatable));
    EXPECT_EQ(vm->GetTop(), 0);
}

TEST_F(LuaObjectRefTest, WritesFieldsRawFromTheStackOrByValue) {
    RefPtr<LuaObjectRef> table = Evaluate("setmetatable({}, {__newindex = function() error('no') end})");
    vm->PushNumber(1.5);
    table->SetFieldFromTop("top");
    EXPECT_EQ(vm->GetTop(), 1);
    table->SetFieldPopTop("popped");
    EXPECT_EQ(vm->GetTop(), 0);
    vm->PushString("s");
    table->SetIndexFromStack(4, 1);
    vm->Pop(1);
    table->SetFieldString("text", "t");
    table->SetIndexBool(1, true);
    table->SetFieldRef("self", *table);
    double number = 0;
    EXPECT_TRUE(table->GetFieldNumber("popped", &number));
    EXPECT_DOUBLE_EQ(number, 1.5);
    const char* text = nullptr;
    EXPECT_TRUE(table->GetIndexString(4, &text));
    EXPECT_STREQ(text, "s");
    RefPtr<LuaObjectRef> self;
    EXPECT_TRUE(table->GetFieldRef("self", &self));
    EXPECT_TRUE(self->GetFieldString("text", &text));
    EXPECT_STREQ(text, "t");
    EXPECT_EQ(log.Joined(), "");
    EXPECT_EQ(vm->GetTop(), 0);
}

TEST_F(LuaObjectRefTest, StackReferencesFollowTheirSlot) {
    vm->PushString("mine");
    RefPtr<LuaObjectRef> slot;
    ASSERT_TRUE(vm->NewStackRef(-1, &slot));
    EXPECT_FALSE(slot->IsPersistent());
    vm->PushNumber(1);
    vm->PushNumber(2);
    const char* text = nullptr;
    EXPECT_TRUE(slot->GetString(&text));
    EXPECT_STREQ(text, "mine");
    vm->Pop(2);
    EXPECT_TRUE(slot->GetString(&text));
    EXPECT_STREQ(text, "mine");
    slot.Reset();
    vm->Pop(1);
}

TEST_F(LuaObjectRefTest, TheGlobalsReferenceReleasesNothing) {
    {
        RefPtr<LuaObjectRef> globals;
        ASSERT_TRUE(vm->GetGlobals(&globals));
        globals->SetFieldInt("answer", 42);
    }
    vm->CollectGarbage();
    EXPECT_TRUE(vm->RunString("assert(answer == 42 and print ~= nil)"));
}

TEST_F(LuaObjectRefTest, StackGettersFollowLuasRules) {
    vm->PushNumber(1);
    vm->PushString("12.75");
    bool flag = false;
    EXPECT_FALSE(vm->GetBool(1, &flag));
    int32_t whole = 0;
    EXPECT_TRUE(vm->GetInt(2, &whole));  // numeric strings pass
    EXPECT_EQ(whole, 12);
    vm->PushNumber(-1e300);
    EXPECT_TRUE(vm->GetInt(-1, &whole));
    EXPECT_EQ(whole, -2147483647 - 1);  // saturates
    vm->SaveTop();
    vm->PushNil();
    vm->PushNil();
    vm->RestoreTop();
    EXPECT_EQ(vm->GetTop(), 3);
    const int types[] = {Kiplink::kLuaTypeString, Kiplink::kLuaTypeNumber};
    EXPECT_TRUE(vm->IsOneOfTypes(2, types, 2));
    vm->SetTop(0);
}

TEST_F(LuaObjectRefTest, LookupChainsEndEvenWhenTheyLoop) {
    EXPECT_TRUE(vm->RunString("t = {}; t.__super = t; t.__data = t\n"
                              "a = DeepTableSearch(t, 'x')\n"
                              "b = DeepTableSearchData(t, 'x')\n"
                              "c = DeepTableSearch({__super = {x = 3}}, 'x')\n"
                              "d = DeepTableSearch({__super = {__super = 1}}, '__super')\n"
                              "assert(a == nil and b == nil and c == 3 and type(d) == 'table')"));
    EXPECT_EQ(log.Joined(), "");
}

TEST_F(LuaObjectRefTest, DumpsTablesLineByLine) {
    RefPtr<LuaObjectRef> table = Evaluate("{answer = 42}");
    table->SetIndexString(1, "one");
    vm->DumpTable(*table);
    ASSERT_EQ(log.Get().size(), 2u);
    EXPECT_EQ(log.Get()[0], "1 = one");
    EXPECT_EQ(log.Get()[1], "answer = 42");
}

}  // namespace
