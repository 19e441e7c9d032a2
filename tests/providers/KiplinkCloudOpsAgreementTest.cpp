// The server's runner and hash of cloud-object operations, written apart
// from the client's, agree with it on the same lists and data: where they
// differ, an edit would merge differently on the two sides.
#include "kiplink/Source/CloudOps.h"
#include "tools/kiplink_server/ServerCloudOps.h"
#include "tools/kiplink_server/UserService.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <string>

namespace {

using Kiplink::IValue;
using Kiplink::RefPtr;

Json::Value ServerParsed(const std::string& text) {
    Json::Value value;
    EXPECT_TRUE(Json::Reader().parse(text, value)) << text;
    return value;
}

RefPtr<IValue> ClientParsed(const std::string& text) {
    RefPtr<IValue> value = RefPtr<IValue>::Adopt(Kiplink::CreateValue());
    EXPECT_TRUE(value->Parse(text.c_str())) << text;
    return value;
}

Json::Value ClientAsServer(const IValue& value) {
    Kiplink::TextBuffer* text = value.ToText();
    Json::Value parsed = ServerParsed(text->GetText());
    text->Release();
    return parsed;
}

std::string Text(const Json::Value& value) { return Json::FastWriter().write(value); }

TEST(ServerCloudHash, KnownValuesAndTheClientsAgree) {
    EXPECT_EQ(Varnok::Tools::ServerCloudHash(Json::Value(0)), 0xF4DBDF21u);
    EXPECT_EQ(Varnok::Tools::ServerCloudHash(Json::Value(false)), 0x2BCD6830u);
    EXPECT_EQ(Varnok::Tools::ServerCloudHash(Json::Value("")), 0u);
    EXPECT_EQ(Varnok::Tools::ServerCloudHash(Json::Value()), 0u);
    for (const char* text : {"3", "-7", "\"abc\"", "true", "[1, \"x\", [2]]", R"({"a": 1, "b": {"c": [true, null]}})",
                             "4000000000", "1.5"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Varnok::Tools::ServerCloudHash(ServerParsed(text)), Kiplink::CloudValueHash(*ClientParsed(text)));
    }
}

TEST(ServerCloudOps, RunsListsAsTheClientDoes) {
    const uint32_t now = 1000;
    const struct {
        const char* what;
        const char* list;
        const char* data;
        const char* meta;
        bool ok;
    } cases[] = {
        {"descend, add, return", R"([0,"a",0,"b",20,"n",1,2,2])", R"({"a":{"b":{"n":4}}})", "{}", true},
        {"set if unchanged, hash of 3", R"([10,"a",9,1842515611])", R"({"a":3})", "{}", true},
        {"set if unchanged, wrong hash", R"([10,"a",9,1])", R"({"a":3})", "{}", true},
        {"set if unchanged, missing", R"([10,"a",9,1])", R"({})", "{}", true},
        {"set if lower", R"([11,"a",7,11,"b",7])", R"({"a":9,"b":5})", "{}", true},
        {"set if higher", R"([12,"a",7])", R"({"a":5})", "{}", true},
        {"merge set", R"([-1,11,"a",{"a":1,"z":2}])", R"({"a":5})", "{}", true},
        {"accrue", R"([27,"r",2])", R"({"r":0})", R"({"r":900})", true},
        {"texts", R"([30,"s","x",30,"s","y"])", R"({})", "{}", true},
        {"list edits", R"([41,"l",1,41,"l",2,40,"l",0,42,"l",43,"l",46,"l",5,2])", R"({"l":[]})", "{}", true},
        {"remove equal", R"([44,"l",2212294583])", R"({"l":[1,2,1]})", "{}", true},
        {"flags", R"([50,"f",52,"g",true,51,"h",true,53,"i",true])", R"({"f":false,"h":true})", "{}", true},
        {"bits", R"([22,"a",6,23,"b",1,24,"c",3,25,"d"])", R"({"a":3,"b":2,"c":5,"d":0})", "{}", true},
        {"move", R"([60,"a","b"])", R"({"a":1})", "{}", true},
        {"modulo by zero fails", R"([26,"a",0])", R"({"a":5})", "{}", false},
        {"up past the root fails", "[1]", "{}", "{}", false},
        {"unknown code fails", "[99,\"a\"]", "{}", "{}", false},
        {"cut short fails", "[20,\"a\"]", "{}", "{}", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Json::Value serverData = ServerParsed(c.data);
        Json::Value serverMeta = ServerParsed(c.meta);
        const bool serverOk = Varnok::Tools::RunServerCloudOps(ServerParsed(c.list), serverData, serverMeta, now);
        RefPtr<IValue> clientData = ClientParsed(c.data);
        RefPtr<IValue> clientMeta = ClientParsed(c.meta);
        const bool clientOk = Kiplink::RunCloudOps(*ClientParsed(c.list), *clientData, *clientMeta, now);
        EXPECT_EQ(serverOk, c.ok);
        EXPECT_EQ(clientOk, c.ok);
        if (c.ok) {
            // As texts: jsoncpp tells a signed 1000 from an unsigned one.
            EXPECT_EQ(Text(serverData), Text(ClientAsServer(*clientData)));
            EXPECT_EQ(Text(serverMeta), Text(ClientAsServer(*clientMeta)));
            EXPECT_EQ(Varnok::Tools::ServerCloudHash(serverData), Kiplink::CloudValueHash(*clientData));
        }
    }
}

TEST(ServerCloudOps, NumbersOutOfRangeAreClampedNeverThrown) {
    // jsoncpp throws on an out-of-range conversion; a client's numbers must
    // not reach one.
    for (const char* list : {R"([20,"a",3333333333333333333])", R"([18446744073709551615,"a"])",
                             R"([0,18446744073709551615,20,"n",1,1])", R"([10,"a",1,-9223372036854775808])",
                             R"([46,"l",1,1e300])"}) {
        SCOPED_TRACE(list);
        Json::Value data = ServerParsed(R"({"a": 4000000000, "l": []})");
        Json::Value meta(Json::objectValue);
        (void)Varnok::Tools::RunServerCloudOps(ServerParsed(list), data, meta, 1000);
        (void)Varnok::Tools::ServerCloudHash(ServerParsed(list));
    }
    Json::Value gameData(Json::objectValue);
    EXPECT_FALSE(Varnok::Tools::ApplyServerTransaction(
        gameData, ServerParsed(R"({"type": "bank", "obj": "coins", "value": 18446744073709551615})")));
    EXPECT_FALSE(Varnok::Tools::ApplyServerTransaction(
        gameData, ServerParsed(R"({"type": "bank", "obj": "coins", "value": -1e300})")));
    EXPECT_TRUE(Varnok::Tools::ApplyServerTransaction(
        gameData, ServerParsed(R"({"type": "bank", "obj": "coins", "value": 2.5})")));
    EXPECT_EQ(gameData["bank"]["coins"]["qty"].asInt(), 2);
}

}  // namespace
