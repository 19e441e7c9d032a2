// The server's runner is Lua over doubles: 64-bit integers, single-precision
// reals and its bounds are where it could part from the jsoncpp values it
// edits.
#include "kiplink/Source/CloudOps.h"
#include "tools/kiplink_server/ServerCloudOps.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <string>

namespace {

using Kiplink::IValue;
using Kiplink::RefPtr;

Json::Value Parsed(const std::string& text) {
    Json::Value value;
    EXPECT_TRUE(Json::Reader().parse(text, value)) << text;
    return value;
}

std::string Text(const Json::Value& value) { return Json::FastWriter().write(value); }

RefPtr<IValue> ClientParsed(const std::string& text) {
    RefPtr<IValue> value = RefPtr<IValue>::Adopt(Kiplink::CreateValue());
    EXPECT_TRUE(value->Parse(text.c_str())) << text;
    return value;
}

std::string ClientText(const IValue& value) {
    Kiplink::TextBuffer* text = value.ToText();
    const std::string out = Text(Parsed(text->GetText()));
    text->Release();
    return out;
}

TEST(ServerCloudScript, WideIntegersAndRealsPassThroughExactly) {
    const std::string data =
        R"({"big":18446744073709551615,"i":9007199254740993,"l":[-9223372036854775808,0.1,1e300,"s",null,{}],"r":0.30000000000000004})";
    Json::Value edited = Parsed(data);
    Json::Value meta(Json::objectValue);
    ASSERT_TRUE(Varnok::Tools::RunServerCloudOps(Parsed(R"([20,"x",1])"), edited, meta, 7));
    edited.removeMember("x");
    EXPECT_EQ(Text(edited), Text(Parsed(data)));
    EXPECT_EQ(Text(meta), "{\"x\":7}\n");
}

// Words wrap at 32 bits, reals round to single precision, keys clamp to
// 64 bits: each needs care in Lua, whose numbers are all doubles.
TEST(ServerCloudScript, WordsRealsAndKeysKeepTheirWidths) {
    const struct {
        const char* list;
        const char* data;
        const char* edited;
    } cases[] = {
        {R"([20,"r",0.1,21,"r",3])", R"({"r":0.2})", R"({"r":0.90000003576278687})"},
        {R"([21,"s",0,20,"t",-3.5])", R"({"s":1e39,"t":1e-46})", R"({"s":null,"t":-3.5})"},
        {R"([21,"a",3,20,"b",1])", R"({"a":4000000000,"b":2147483647})", R"({"a":3410065408,"b":-2147483648})"},
        {R"([20,"a",1,24,"b",1,21,"c",-1])", R"({"a":3333333333333333333,"b":-9223372036854775808,"c":4294967296})",
         R"({"a":-2092083882,"b":1,"c":0})"},
        {R"([26,"a",-3,26,"b",2.5,26,"c",7])", R"({"a":-7,"b":7,"c":4294967295})", R"({"a":-1,"b":2.0,"c":3})"},
        {R"([11,"a",-1e19,12,"b",18446744073709551615,12,"c",1.5])", R"({"a":5,"b":5,"c":1})",
         R"({"a":-1e+19,"b":18446744073709551615,"c":1.5})"},
        {R"([30,"s",2.5,30,"s",-9223372036854775808,30,"s",1e300])", "{}",
         R"({"s":"2.500000-9223372036854775808inf"})"},
        {R"([44,"l",2212294583,45,"k",2212294583])", R"({"l":[1,1.0,2,1],"k":[1,1]})", R"({"k":[1],"l":[1.0,2]})"},
        {R"([0,"o",20,1,5,20,4.9,1,1,60,"o","m"])", R"({"o":{}})", R"({"m":{"1":5,"4":1}})"},
        {R"([0,4.9,20,0,1,1,60,4.2,"z"])", "{}", R"({"z":[1]})"},
        // An array grown by one write has no holes: its first element goes.
        {R"([0,"l",20,3,1,1,42,"l"])", "{}", R"({"l":[null,null,1]})"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        Json::Value data = Parsed(c.data);
        Json::Value meta(Json::objectValue);
        EXPECT_TRUE(Varnok::Tools::RunServerCloudOps(Parsed(c.list), data, meta, 1000));
        EXPECT_EQ(Text(data), Text(Parsed(c.edited)));
    }
    Json::Value data(Json::objectValue);
    Json::Value meta(Json::objectValue);
    EXPECT_TRUE(Varnok::Tools::RunServerCloudOps(Parsed(R"([20,"r",1e300])"), data, meta, 1000));
    EXPECT_TRUE(data["r"].isDouble() && data["r"].asDouble() > 3.5e38) << Text(data);
}

TEST(ServerCloudScript, ArraysGrownByOneWriteAgreeWithTheClient) {
    const char* list = R"([0,"l",20,3,1,1,42,"l"])";
    Json::Value serverData(Json::objectValue);
    Json::Value serverMeta(Json::objectValue);
    ASSERT_TRUE(Varnok::Tools::RunServerCloudOps(Parsed(list), serverData, serverMeta, 1000));
    RefPtr<IValue> clientData = ClientParsed("{}");
    RefPtr<IValue> clientMeta = ClientParsed("{}");
    ASSERT_TRUE(Kiplink::RunCloudOps(*ClientParsed(list), *clientData, *clientMeta, 1000));
    EXPECT_EQ(Text(serverData), ClientText(*clientData));
    EXPECT_EQ(Varnok::Tools::ServerCloudHash(serverData), Kiplink::CloudValueHash(*clientData));
}

std::string Descents(int count) {
    std::string list = "[";
    for (int i = 0; i < count; ++i) {
        list += "0,\"d\",";
    }
    return list + "20,\"n\",1]";
}

TEST(ServerCloudScript, DepthAndGrowthAreBounded) {
    const struct {
        std::string list;
        bool ok;
    } cases[] = {
        {Descents(512), true},
        {Descents(513), false},
        {R"([0,"l",20,4096,1])", true},  // both new arrays grow by 4097
        {R"([0,"l",20,4097,1])", false},
        {R"([0,"l",20,-1,1])", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list.substr(0, 40));
        Json::Value data(Json::objectValue);
        Json::Value meta(Json::objectValue);
        EXPECT_EQ(Varnok::Tools::RunServerCloudOps(Parsed(c.list), data, meta, 1), c.ok);
    }
}

TEST(ServerCloudScript, AFaultKeepsTheEditsBeforeItAndTheCopyKeepsNone) {
    Json::Value data = Parsed(R"({"a":1})");
    Json::Value meta(Json::objectValue);
    const Json::Value list = Parsed(R"([20,"a",1,26,"a",0])");
    EXPECT_FALSE(Varnok::Tools::RunServerCloudOps(list, data, meta, 5));
    EXPECT_EQ(data["a"].asInt(), 2);

    Json::Value copy = Parsed(R"({"data":{"a":1},"meta":{}})");
    Varnok::Tools::UpdateServerCloudCopy(copy, "owner", "object", list, 5);
    EXPECT_EQ(copy["data"]["a"].asInt(), 1);
    EXPECT_EQ(copy["crc"].asUInt(), Varnok::Tools::ServerCloudHash(Parsed(R"({"a":1})")));
    EXPECT_EQ(copy["ownerId"].asString(), "owner");
}

}  // namespace
