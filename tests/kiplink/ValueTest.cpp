#include "kiplink/Public/IValue.h"

#include "kiplink/Source/ValueImpl.h"
#include "tests/kiplink/LogLines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using Kiplink::IValue;
using Kiplink::RefPtr;
using Kiplink::ValueType;

RefPtr<IValue> NewValue() { return RefPtr<IValue>::Adopt(Kiplink::CreateValue()); }

RefPtr<IValue> Parsed(const char* text) {
    RefPtr<IValue> value = NewValue();
    EXPECT_TRUE(value->Parse(text)) << text;
    return value;
}

std::string Text(const IValue& value) {
    Kiplink::TextBuffer* buffer = value.ToText();
    std::string text(buffer->GetText(), buffer->GetLength());
    buffer->Release();
    return text;
}

uint32_t HashOf(const char* text) { return Kiplink::ValueHashBytes(text, strlen(text)); }

TEST(Value, ParsesScalarsByTheirText) {
    const struct {
        const char* text;
        ValueType type;
        const char* written;
    } cases[] = {
        {"123", ValueType::UInt, "123"},
        {"-123", ValueType::Int, "-123"},
        {"1.5", ValueType::Float, "1.500000"},
        {"1e3", ValueType::Float, "1000.000000"},
        {"-0", ValueType::Int, "0"},
        {"4294967295", ValueType::UInt, "4294967295"},
        {"1 x", ValueType::UInt, "1"},  // text after the first value is not looked at
        {" /* c */ // line\n true", ValueType::Bool, "true"},
        {"/*/ 7", ValueType::UInt, "7"},  // the opening asterisk closes it
        {"null", ValueType::Null, "null"},
        {"\"a\\u00e9\\q\\n\"", ValueType::String, "\"a\xE9\\n\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        RefPtr<IValue> value = Parsed(c.text);
        EXPECT_EQ(value->GetType(), c.type);
        EXPECT_EQ(Text(*value), c.written);
    }
    EXPECT_EQ(Parsed("-0")->AsInt(5), 0);
    uint32_t length = 0;
    RefPtr<IValue> escaped = Parsed("\"\\u00e9\\q\"");
    const char* bytes = escaped->AsStringWithLength(&length);
    ASSERT_EQ(length, 1u);  // "\q" gives nothing, the escape one byte
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xE9);
}

TEST(Value, RefusesBadTextWithOneLinePerPass) {
    const std::string longNumber(128, '1');
    const std::string longestNumber(127, '1');
    const char* cases[] = {
        longNumber.c_str(), "{[1]:2}", "{{}:1}", "{true:1}", "[1 2]", "\"open", "-", "nul", "", "\"\\u12\"",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        KiplinkTest::LogLines log;
        RefPtr<IValue> value = NewValue();
        EXPECT_FALSE(value->Parse(text));
        ASSERT_EQ(log.Get().size(), 2u);
        EXPECT_EQ(log.Get()[0].rfind("JSON: Failed to parse ", 0), 0u) << log.Get()[0];
    }
    EXPECT_TRUE(NewValue()->Parse(longestNumber.c_str()));
}

TEST(Value, CapsNestingDepth) {
    const std::string deepest = std::string(512, '[') + std::string(512, ']');
    const std::string tooDeep = "[" + deepest + "]";
    EXPECT_TRUE(NewValue()->Parse(deepest.c_str()));
    KiplinkTest::LogLines log;
    RefPtr<IValue> value = NewValue();
    EXPECT_FALSE(value->Parse(tooDeep.c_str()));
    EXPECT_EQ(log.Get().size(), 2u);
    const std::string objects = std::string(600, '{') + "";
    std::string nested;
    for (int i = 0; i < 600; ++i) nested += "{\"a\":";
    EXPECT_FALSE(NewValue()->Parse(nested.c_str()));
}

TEST(Value, ParsesIntoExistingContainersInPlace) {
    RefPtr<IValue> array = Parsed("[9,9,9,9,9]");
    IValue* third = array->GetMemberAt(2);
    EXPECT_TRUE(array->Parse("[1,2]"));
    EXPECT_EQ(Text(*array), "[1,2,null,null,null]");
    EXPECT_EQ(array->GetMemberAt(2), third);  // the elements themselves stay
    EXPECT_TRUE(array->Parse("[]"));
    EXPECT_EQ(array->GetMemberCount(), 5u);

    RefPtr<IValue> object = Parsed("{\"a\":5,\"b\":2}");
    EXPECT_TRUE(object->Parse("{\"a\":1}"));
    EXPECT_EQ(Text(*object), "{\"a\":1,\"b\":null}");
    EXPECT_TRUE(object->Parse("{}"));
    EXPECT_EQ(Text(*object), "{\"a\":1,\"b\":null}");

    // A scalar becomes the container the text holds.
    RefPtr<IValue> scalar = Parsed("5");
    EXPECT_TRUE(scalar->Parse("{\"x\":[true]}"));
    EXPECT_EQ(Text(*scalar), "{\"x\":[true]}");
}

TEST(Value, WritesEscapesAndReadsThemBack) {
    std::string bytes;
    for (int c = 0; c < 256; ++c) bytes.push_back(static_cast<char>(c));
    RefPtr<IValue> value = NewValue();
    value->SetAsStringWithLength(bytes.data(), static_cast<uint32_t>(bytes.size()));
    const std::string text = Text(*value);
    EXPECT_EQ(text.substr(0, 8), "\"\\u0000\\");
    EXPECT_NE(text.find("\\b\\t\\n\\u000b\\f\\r\\u000e"), std::string::npos);
    EXPECT_NE(text.find("\\\"#$%&'()*+,-.\\/0"), std::string::npos);
    EXPECT_NE(text.find("[\\\\]"), std::string::npos);
    RefPtr<IValue> back = Parsed(text.c_str());
    uint32_t length = 0;
    const char* read = back->AsStringWithLength(&length);
    EXPECT_EQ(std::string(read, length), bytes);
}

TEST(Value, WritesNumbersAndKeysAsTheyAre) {
    RefPtr<IValue> object = Parsed("{}");
    object->GetMemberByInt(7)->SetAsFloat(0.5f);
    object->GetMemberByString("n")->SetAsInt(-2147483647 - 1);
    EXPECT_EQ(Text(*object), "{7:0.500000,\"n\":-2147483648}");
    EXPECT_EQ(object->GetMemberByInt(7)->Hash(), HashOf("0.5000"));
    // A float without a JSON text is written as null, so the text reads back.
    object->GetMemberByString("n")->SetAsFloat(1e30f);
    *object->GetMemberByString("n") *= *object->GetMemberByString("n");
    EXPECT_EQ(Text(*object), "{7:0.500000,\"n\":null}");
    EXPECT_TRUE(NewValue()->Parse(Text(*object).c_str()));
}

TEST(Value, MembersByIntAndByNameShareKeys) {
    RefPtr<IValue> object = Parsed("{}");
    IValue* byInt = object->GetMemberByInt(5);
    EXPECT_EQ(object->GetMemberByString("5"), byInt);
    EXPECT_EQ(object->GetMemberCount(), 1u);
    EXPECT_EQ(object->GetMemberAt(10), nullptr);
    IValue* key = byInt->GetKey();
    EXPECT_TRUE(key->IsInt());
    key->Release();
    EXPECT_EQ(byInt->GetParent(), object.Get());

    RefPtr<IValue> array = Parsed("[]");
    array->GetMemberByInt(3);
    EXPECT_EQ(array->GetMemberCount(), 4u);
    // An array read by name becomes an object keyed 0..n-1.
    RefPtr<IValue> list = Parsed("[\"a\",\"b\"]");
    list->GetMemberByString("x")->SetAsBool(true);
    EXPECT_EQ(Text(*list), "{0:\"a\",1:\"b\",\"x\":true}");
}

TEST(Value, ConstReadsNeverDiscardData) {
    const struct {
        const char* text;
    } cases[] = {{"[1,2]"}, {"true"}, {"7"}, {"-7"}, {"1.5"}, {"\"s\""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        RefPtr<IValue> value = Parsed(c.text);
        const std::string before = Text(*value);
        const IValue& constant = *value;
        const IValue* member = constant.GetMemberByString("name");
        EXPECT_TRUE(member->IsNull());
        if (!value->IsArray()) {
            EXPECT_TRUE(constant.GetMemberByInt(0)->IsNull());
            EXPECT_TRUE(constant.GetMemberAt(0)->IsNull());
        }
        EXPECT_EQ(Text(*value), before);
    }
    // A const read of a missing member still creates it as null.
    RefPtr<IValue> object = Parsed("{\"a\":1}");
    const IValue& constant = *object;
    EXPECT_TRUE(constant["b"].IsNull());
    EXPECT_EQ(object->GetMemberCount(), 2u);
    RefPtr<IValue> array = Parsed("[1]");
    EXPECT_TRUE(static_cast<const IValue&>(*array)[2].IsNull());
    EXPECT_EQ(array->GetMemberCount(), 3u);
}

TEST(Value, ComparesNumbersAcrossTypesAndOthersByHash) {
    auto make = [](const char* text) { return Parsed(text); };
    RefPtr<IValue> int7 = make("-7");
    *int7 *= *make("-1");
    ASSERT_TRUE(int7->IsInt());
    RefPtr<IValue> uint7 = make("7");
    RefPtr<IValue> float7 = make("7.0");
    EXPECT_TRUE(*int7 == *uint7);
    EXPECT_TRUE(*uint7 == *float7);
    EXPECT_TRUE(*int7 == *float7);
    RefPtr<IValue> one = NewValue();
    one->SetAsFloat(1.0f);
    RefPtr<IValue> nearOne = NewValue();
    nearOne->SetAsFloat(1.0000002f);
    EXPECT_FALSE(*one == *nearOne);
    EXPECT_TRUE(*make("-1") == *make("4294967295"));
    RefPtr<IValue> string7 = make("\"7\"");
    EXPECT_TRUE(*string7 == *uint7);
    EXPECT_FALSE(*make("\"a\"") == *make("\"b\""));

    EXPECT_TRUE(*make("-1") < *make("0"));
    EXPECT_TRUE(*make("2147483647") < *make("2147483648"));
    EXPECT_FALSE(*make("4294967295") < *make("-1"));
    EXPECT_TRUE(*make("4294967295") > *make("-1"));
    EXPECT_FALSE(*make("\"1\"") < *make("2"));
    // <= and >= lean to true by the float tolerance.
    RefPtr<IValue> justBelow = NewValue();
    justBelow->SetAsFloat(0.99999994f);
    RefPtr<IValue> intOne = make("1");
    EXPECT_TRUE(*intOne <= *justBelow);
    EXPECT_FALSE(*intOne < *justBelow);
    EXPECT_TRUE(*justBelow >= *intOne);
}

TEST(Value, HashFollowsEditsInsideContainers) {
    RefPtr<IValue> tree = Parsed("{\"a\":{\"b\":[1,2]}}");
    RefPtr<IValue> same = Parsed("{\"a\":{\"b\":[1,2]}}");
    const uint32_t before = tree->Hash();
    EXPECT_EQ(before, same->Hash());
    tree->GetMemberByString("a")->GetMemberByString("b")->GetMemberAt(1)->SetAsInt(3);
    EXPECT_NE(tree->Hash(), before);
    EXPECT_FALSE(*tree == *same);
    *tree->GetMemberByString("a")->GetMemberByString("b")->GetMemberAt(1) -= *Parsed("1");
    EXPECT_EQ(tree->Hash(), before);
    EXPECT_TRUE(*tree == *same);
    tree->GetMemberByString("a")->GetMemberByString("b")->AppendInt(4);
    EXPECT_NE(tree->Hash(), before);
    tree->GetMemberByString("a")->GetMemberByString("b")->PopBack();
    EXPECT_EQ(tree->Hash(), before);
    // Member order does not matter to the hash; the key hash orders pairs.
    EXPECT_EQ(Parsed("{\"x\":1,\"y\":2}")->Hash(), Parsed("{\"y\":2,\"x\":1}")->Hash());
}

TEST(Value, ArithmeticPicksTheWidestTypeAndNeverTraps) {
    const struct {
        const char* left;
        char operation;
        const char* right;
        const char* result;
    } cases[] = {
        {"7", '+', "-8", "-1"},             // uint with int: int
        {"7", '-', "8", "4294967295"},      // uint: wraps
        {"3", '*', "0.5", "1.500000"},      // a float makes both floats
        {"-7", '/', "2", "-3"},             // toward zero
        {"-7", '%', "2", "-1"},
        {"-7.5", '%', "2", "-1.500000"},
        {"-7", '/', "0", "-7"},             // by zero: unchanged
        {"7", '%', "0", "7"},
        {"-2147483648", '/', "-1", "-2147483648"},
        {"-2147483648", '%', "-1", "0"},
        {"\"a\"", '+', "\"b\"", "\"a\""},   // no number: nothing changes
        {"true", '+', "2", "3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.left) + c.operation + c.right);
        RefPtr<IValue> left = Parsed(c.left);
        RefPtr<IValue> right = Parsed(c.right);
        switch (c.operation) {
            case '+': *left += *right; break;
            case '-': *left -= *right; break;
            case '*': *left *= *right; break;
            case '/': *left /= *right; break;
            default: *left %= *right; break;
        }
        EXPECT_EQ(Text(*left), c.result);
    }
}

TEST(Value, ConvertsWithTheCallersDefault) {
    EXPECT_EQ(Parsed("null")->AsInt(9), 9);
    EXPECT_STREQ(Parsed("[]")->AsString("d"), "d");
    EXPECT_TRUE(Parsed("{}")->AsBool(false));
    EXPECT_EQ(Parsed("\" 42abc\"")->AsInt(0), 42);
    EXPECT_EQ(Parsed("\"abc\"")->AsInt(5), 5);
    EXPECT_EQ(Parsed("\"-1\"")->AsUInt(0), 4294967295u);
    EXPECT_FLOAT_EQ(Parsed("\"2.5\"")->AsFloat(0), 2.5f);
    EXPECT_TRUE(Parsed("\"true\"")->AsBool(false));
    EXPECT_TRUE(Parsed("\"0.1\"")->AsBool(false));
    EXPECT_FALSE(Parsed("\"yes\"")->AsBool(true));
    EXPECT_EQ(Parsed("-2.9")->AsInt(0), -2);
    EXPECT_EQ(Parsed("1e20")->AsInt(0), 2147483647);  // saturates, never undefined
    EXPECT_EQ(Parsed("-1")->AsUInt(0), 4294967295u);
    EXPECT_STREQ(Parsed("0.25")->AsString(""), "0.250000");
}

TEST(Value, EditsArraysAndObjects) {
    RefPtr<IValue> list = Parsed("[1,2,3]");
    list->PopFront();
    EXPECT_EQ(Text(*list), "[2,3]");
    list->PrependString("x");
    list->AppendBool(false);
    list->RemoveAt(1);
    list->RemoveAt(9);
    EXPECT_EQ(Text(*list), "[\"x\",3,false]");

    RefPtr<IValue> object = Parsed("{\"a\":1,\"7\":2,\"c\":3}");
    object->RemoveMemberByInt(7);
    object->RemoveMemberByString("missing");
    object->RemoveAt(0);
    EXPECT_EQ(Text(*object), "{\"c\":3}");

    // Merge takes arrays only.
    RefPtr<IValue> target = Parsed("[0]");
    target->Merge(*Parsed("[1,[2]]"));
    target->Merge(*Parsed("{\"a\":1}"));
    target->Merge(*target);  // itself: each element once
    EXPECT_EQ(Text(*target), "[0,1,[2],0,1,[2]]");
    RefPtr<IValue> empty = NewValue();
    empty->Merge(*Parsed("[5]"));
    EXPECT_EQ(Text(*empty), "[5]");
    object->Merge(*Parsed("[5]"));
    EXPECT_EQ(Text(*object), "{\"c\":3}");

    RefPtr<IValue> text = Parsed("\"ab\"");
    text->AppendText("cd");
    EXPECT_STREQ(text->AsString(""), "abcd");
}

TEST(Value, CopiesDeeplyEvenFromInsideItself) {
    RefPtr<IValue> tree = Parsed("{\"a\":{\"b\":[1,{\"c\":2}]}}");
    RefPtr<IValue> copy = RefPtr<IValue>::Adopt(tree->Clone());
    EXPECT_TRUE(*copy == *tree);
    EXPECT_EQ(copy->GetParent(), nullptr);
    tree->SetAsValue(*tree->GetMemberByString("a"));  // a child replaces its container
    EXPECT_EQ(Text(*tree), "{\"b\":[1,{\"c\":2}]}");
    EXPECT_EQ(tree->GetMemberByString("b")->GetParent(), tree.Get());
    tree->AppendValue(*tree);
    EXPECT_TRUE(tree->IsArray());
    EXPECT_EQ(Text(*copy), "{\"a\":{\"b\":[1,{\"c\":2}]}}");
}

TEST(Value, MembersHeldElsewhereOutliveTheirContainer) {
    RefPtr<IValue> member;
    {
        RefPtr<IValue> object = Parsed("{\"a\":[1]}");
        member = object->GetMemberByString("a");
    }
    EXPECT_EQ(member->GetParent(), nullptr);
    EXPECT_EQ(member->GetKey(), nullptr);
    EXPECT_EQ(Text(*member), "[1]");
}

TEST(Value, SharedNullSurvivesReleasesAndResetsWhenHandedOut) {
    RefPtr<IValue> value = NewValue();
    IValue* shared = value->GetNull();
    shared->Release();
    shared->Release();
    shared->GetMemberByString("x")->SetAsInt(1);  // writes stay until the next hand-out
    EXPECT_TRUE(shared->IsObject());
    EXPECT_EQ(value->GetNull(), shared);
    EXPECT_TRUE(shared->IsNull());
    {
        RefPtr<IValue> held(shared);
    }
    EXPECT_TRUE(value->GetMemberName(3)->IsNull());
    EXPECT_EQ(value->GetMemberName(3), shared);
}

}  // namespace
