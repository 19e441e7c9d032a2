#include "engine/services/RegisteredVariables.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace Varnok {
namespace {

struct Reads {
    bool asBool;
    int32_t asInt;
    const char* asText;
};

void ExpectReads(const char* name, const Reads& expected) {
    RegisteredVariable handle(name);
    ASSERT_TRUE(handle.Bind());
    EXPECT_EQ(handle.GetBool(), expected.asBool);
    EXPECT_EQ(handle.GetInt(), expected.asInt);
    EXPECT_STREQ(handle.GetString().c_str(), expected.asText);
}

TEST(RegisteredVariables, ReadsConvertEachTypeAfresh) {
    RegisteredVariables& registry = RegisteredVariables::Get();
    int32_t lives = -23;
    uint32_t biggest = 4294967295u;
    float fraction = -2.7f;
    AsciiString capitalTrue("True");
    AsciiString digits("12abc");
    AsciiString lowerTrue("true");
    bool flag = true;
    const auto a = registry.Register("test.int", &lives);
    const auto b = registry.Register("test.uint", &biggest);
    const auto c = registry.Register("test.float", &fraction);
    const auto d = registry.Register("test.capitalTrue", &capitalTrue);
    const auto e = registry.Register("test.digits", &digits);
    const auto f = registry.Register("test.lowerTrue", &lowerTrue);
    const auto g = registry.Register("test.bool", &flag);

    ExpectReads("test.int", {true, -23, "-23"});
    ExpectReads("test.uint", {true, -1, "4294967295"});
    ExpectReads("test.float", {true, -2, "-2.700000"});
    ExpectReads("test.capitalTrue", {false, 0, "True"});
    ExpectReads("test.digits", {false, 12, "12abc"});
    ExpectReads("test.lowerTrue", {true, 0, "true"});
    ExpectReads("test.bool", {true, 1, "true"});

    RegisteredVariable handle("test.int");
    lives = 0;  // read afresh
    EXPECT_FALSE(handle.GetBool());
    EXPECT_STREQ(handle.GetString().c_str(), "0");
}

TEST(RegisteredVariables, HandlesUnbindWhenTheValueGoesAndBindToALaterOne) {
    RegisteredVariables& registry = RegisteredVariables::Get();
    RegisteredVariable nobody("test.nobody");
    EXPECT_FALSE(nobody.Bind());
    EXPECT_EQ(nobody.GetInt(), 0);
    EXPECT_STREQ(nobody.GetString().c_str(), "");

    int32_t first = 1;
    int32_t second = 2;
    auto registered = registry.Register("test.coming", &first);
    RegisteredVariable handle("test.coming");
    EXPECT_EQ(handle.GetInt(), 1);
    registered = nullptr;  // the registrant lets go
    EXPECT_FALSE(handle.Bind());
    EXPECT_EQ(handle.GetInt(), 0);
    const auto later = registry.Register("test.coming", &second);
    EXPECT_TRUE(handle.Bind());
    EXPECT_EQ(handle.GetInt(), 2);
    registry.Unregister("test.coming");
    RegisteredVariable afterUnregister("test.coming");
    EXPECT_FALSE(afterUnregister.Bind());
    EXPECT_FALSE(handle.SetName("test.coming"));  // unregistered, though still alive
}

}  // namespace
}  // namespace Varnok
