// The value handles over library values: members that outlive their
// container, the reference made from a handle, and the two appends that
// share a name in the library (an array element, text onto a string).
#include "engine/core/ServiceValueHandle.h"
#include "engine/core/ServiceValueRef.h"
#include "kiplink/Public/IValue.h"
#include "providers/Provider_Kiplink/KiplinkValue.h"

#include <gtest/gtest.h>

#include <string>

namespace Varnok {
namespace {

ServiceValueHandle Parsed(const char* json) {
    Kiplink::IValue* value = Kiplink::CreateValue();
    EXPECT_TRUE(value->Parse(json));
    return ServiceValueHandle(KiplinkValue::Adopt(value));
}

std::string Text(const ServiceValueHandle& handle) {
    Kiplink::TextBuffer* text = KiplinkValue::LibraryValueOf(handle)->ToText();
    std::string copy = text->GetText();
    text->Release();
    return copy;
}

TEST(KiplinkValueTest, MemberHandlesOutliveTheirContainer) {
    ServiceValueHandle container = Parsed(R"({"a":{"b":5},"list":[1,"two"]})");
    ServiceValueHandle member = container.Get()->GetMemberHandleByString("a");
    ServiceValueRef element = container.Get()->GetMemberByString("list").Get()->GetMemberByInt(1);
    ServiceValueHandle key = container.Get()->GetMemberName(1);
    container = ServiceValueHandle();  // the last handle of the container

    EXPECT_EQ(member.Get()->MemberHandle("b").Get()->AsInt(0), 5);
    EXPECT_STREQ(element.Get()->AsString(""), "two");
    EXPECT_STREQ(key.Get()->AsString(""), "list");
    // Changing an orphaned member is safe and stays local to it.
    member.Get()->GetMemberByString("c").SetInt(-3);
    EXPECT_EQ(Text(member), R"({"b":5,"c":-3})");
}

TEST(KiplinkValueTest, ReferencesFromHandlesShareTheValueAndForwardTheirSetters) {
    EXPECT_TRUE(ServiceValueRef::FromHandle(ServiceValueHandle()).IsEmpty());

    ServiceValueHandle handle = Parsed(R"("ab")");
    ServiceValueRef ref = ServiceValueRef::FromHandle(handle);
    ASSERT_FALSE(ref.IsEmpty());
    EXPECT_NE(ref.Get(), handle.Get());  // a wrapper of its own...
    EXPECT_EQ(KiplinkValue::LibraryValueOf(ref), KiplinkValue::LibraryValueOf(handle));  // ...of the same value

    ref.AppendString("c");  // text onto the string
    EXPECT_STREQ(handle.Get()->AsString(""), "abc");
    ref.SetStringRange("hello", 3);
    EXPECT_STREQ(handle.Get()->AsString(""), "hel");
    ref.SetString("x");
    EXPECT_STREQ(handle.Get()->AsString(""), "x");
    ref.SetInt(-7);
    EXPECT_EQ(handle.Get()->AsInt(0), -7);
    ref.SetUInt(4000000000u);
    EXPECT_EQ(handle.Get()->AsUInt(0), 4000000000u);

    // The wrapper's own AppendString adds an array element instead.
    ServiceValueHandle list = Parsed("[]");
    list.Get()->AppendString("c");
    ServiceValueRef::FromHandle(list).AppendString("ignored: not a string");
    EXPECT_EQ(Text(list), R"(["c"])");
}

TEST(KiplinkValueTest, CopiesClonesEqualityAndMissingMembers) {
    ServiceValueHandle handle = Parsed(R"({"n":1})");
    ServiceValueRef copy = handle.Get()->Clone();
    EXPECT_TRUE(copy.Get()->IsObject());
    EXPECT_TRUE(handle.Get()->Equals(ServiceValueHandle(copy.Get())));
    copy.Get()->GetMemberByString("n").SetInt(2);
    EXPECT_FALSE(handle.Get()->Equals(ServiceValueHandle(copy.Get())));
    EXPECT_FALSE(handle.Get()->Equals(ServiceValueHandle()));
    EXPECT_EQ(handle.Get()->GetMemberByString("n").Get()->AsInt(0), 1);

    handle.Get()->SetAsValue(copy);
    EXPECT_EQ(Text(handle), R"({"n":2})");
    handle.Get()->SetAsValue(ServiceValueRef());  // nothing to copy: unchanged
    EXPECT_EQ(Text(handle), R"({"n":2})");

    EXPECT_TRUE(handle.Get()->GetMemberAt(5).IsEmpty());  // past the end
    EXPECT_TRUE(handle.Get()->GetNull().Get()->IsNull());
    ServiceValueRef made = handle.Get()->Create();
    EXPECT_TRUE(made.Get()->IsNull());
    made.Get()->AppendInt(3);
    ServiceValueHandle list = Parsed("[1]");
    list.Get()->AppendValue(made);
    list.Get()->AppendValue(ServiceValueHandle());  // nothing to append
    EXPECT_EQ(Text(list), "[1,[3]]");
}

}  // namespace
}  // namespace Varnok
