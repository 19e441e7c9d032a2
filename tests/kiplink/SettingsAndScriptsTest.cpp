// The settings value of the static data and the client scripts: each script
// fills its own table through "meta", in member order, and "meta" is gone
// afterwards.
#include "kiplink/Source/SettingProviderImpl.h"

#include "kiplink/Source/Lua/LuaObjectRef.h"
#include "kiplink/Source/Lua/LuaVM.h"
#include "tests/kiplink/LogLines.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Kiplink::IValue;
using Kiplink::LuaObjectRef;
using Kiplink::RefPtr;

RefPtr<IValue> Parsed(const char* text) {
    RefPtr<IValue> value = RefPtr<IValue>::Adopt(Kiplink::CreateValue());
    EXPECT_TRUE(value->Parse(text)) << text;
    return value;
}

class Loaded : public Kiplink::ISettingProviderCallbacks {
public:
    void OnSettingsLoaded(Kiplink::ISettingProvider*) override { ++calls; }
    int calls = 0;
};

TEST(Settings, StartNullAndTakeADeepCopyOfEachLoad) {
    RefPtr<Kiplink::SettingProviderImpl> settings(new Kiplink::SettingProviderImpl);
    RefPtr<Loaded> loaded(new Loaded);
    settings->AddCallbacks(loaded.Get());
    RefPtr<IValue> before = RefPtr<IValue>::Adopt(settings->GetSettings());
    ASSERT_TRUE(before);
    EXPECT_TRUE(before->IsNull());

    RefPtr<IValue> source = Parsed(R"({"shopEnabled": true, "limits": [1, 2]})");
    settings->LoadSettings(*source);
    source->GetMemberByString("shopEnabled")->SetAsBool(false);
    RefPtr<IValue> after = RefPtr<IValue>::Adopt(settings->GetSettings());
    EXPECT_EQ(after.Get(), before.Get());  // one value for the provider's life
    EXPECT_TRUE(after->GetMemberByString("shopEnabled")->AsBool(false));
    settings->LoadSettings(*Parsed("null"));
    EXPECT_TRUE(after->IsNull());
    EXPECT_EQ(loaded->calls, 2);
    settings->RemoveCallbacks(loaded.Get());
}

TEST(Scripts, RunInMemberOrderEachWithItsOwnMeta) {
    KiplinkTest::LogLines log;
    RefPtr<Kiplink::LuaVM> vm(new Kiplink::LuaVM());
    {
        Kiplink::ScriptRegistry scripts(vm.Get());
        RefPtr<LuaObjectRef> globals;
        (void)vm->GetGlobals(&globals);
        ASSERT_TRUE(vm->RunString("order = ''"));
        scripts.LoadScripts(*Parsed(R"json({
            "Zeta": {"scriptClientCode": "order = order .. 'z'; meta.name = 'zeta'"},
            "Alpha": {"scriptClientCode": "order = order .. 'a'; meta.name = 'alpha'; function meta:Twice(n) return n * 2 end"},
            "Broken": {"scriptClientCode": "this is not lua"},
            "Raises": {"scriptClientCode": "error('no')"},
            "NoCode": {"other": 1},
            "Number": {"scriptClientCode": 5},
            "After": {"scriptClientCode": "order = order .. 'x'"}
        })json"));
        const char* order = nullptr;
        ASSERT_TRUE(globals->GetFieldString("order", &order));
        EXPECT_STREQ(order, "zax");
        EXPECT_EQ(globals->GetType(), Kiplink::kLuaTypeTable);
        globals->PushField("meta");
        EXPECT_TRUE(vm->IsNil(-1));
        vm->Pop(1);

        const char* name = nullptr;
        EXPECT_TRUE(scripts.GetScriptTable("Zeta")->GetFieldString("name", &name));
        EXPECT_STREQ(name, "zeta");
        EXPECT_TRUE(scripts.GetScriptTable("Alpha")->GetFieldString("name", &name));
        EXPECT_STREQ(name, "alpha");
        EXPECT_EQ(scripts.GetScriptCount(), 5u);  // the two failing ones still have tables
        EXPECT_NE(log.Joined().find("Compile error"), std::string::npos);
        EXPECT_NE(log.Joined().find("Runtime Error"), std::string::npos);

        // A reload runs against the same table: values the new code leaves
        // alone stay.
        RefPtr<LuaObjectRef> alpha = scripts.GetScriptTable("Alpha");
        scripts.LoadScripts(*Parsed(R"({"Alpha": {"scriptClientCode": "meta.level = 3"}})"));
        EXPECT_EQ(scripts.GetScriptTable("Alpha").Get(), alpha.Get());
        EXPECT_TRUE(alpha->GetFieldString("name", &name));
        int32_t level = 0;
        EXPECT_TRUE(alpha->GetFieldInt("level", &level));
        EXPECT_EQ(level, 3);
    }
}

}  // namespace
