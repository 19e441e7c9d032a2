// Operation lists on cloud-object data: each code on small fixtures, the
// faults that fail a run, the value hash against zlib's CRC-32, and
// compaction, whose folded list must leave the same data as the original.
#include "kiplink/Source/CloudOps.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace {

using Kiplink::IValue;
using Kiplink::RefPtr;

constexpr uint32_t kNow = 1000000;

RefPtr<IValue> Parsed(const std::string& text) {
    RefPtr<IValue> value = RefPtr<IValue>::Adopt(Kiplink::CreateValue());
    EXPECT_TRUE(value->Parse(text.c_str())) << text;
    return value;
}

std::string Text(const IValue& value) {
    Kiplink::TextBuffer* buffer = value.ToText();
    std::string text(buffer->GetText(), buffer->GetLength());
    buffer->Release();
    return text;
}

uint32_t ZlibCrc(uint32_t start, const std::string& bytes) {
    return static_cast<uint32_t>(
        crc32(start, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

struct Outcome {
    bool ok;
    std::string data;
    std::string meta;
};

Outcome RunOps(const std::string& list, const std::string& data, const std::string& meta = "{}") {
    RefPtr<IValue> ops = Parsed(list);
    RefPtr<IValue> d = Parsed(data);
    RefPtr<IValue> m = Parsed(meta);
    const bool ok = Kiplink::RunCloudOps(*ops, *d, *m, kNow);
    return {ok, Text(*d), Text(*m)};
}

std::string HashOf(const char* json) { return std::to_string(Kiplink::CloudValueHash(*Parsed(json))); }

TEST(CloudOps, ScalarHashesAreTheCrcOfTheirText) {
    EXPECT_EQ(Kiplink::CloudValueHash(*Parsed("0")), 0xF4DBDF21u);
    EXPECT_EQ(Kiplink::CloudValueHash(*Parsed("false")), 0x2BCD6830u);
    EXPECT_EQ(Kiplink::CloudValueHash(*Parsed("\"\"")), 0u);
    EXPECT_EQ(Kiplink::CloudValueHash(*Parsed("null")), 0u);
    EXPECT_EQ(Kiplink::CloudValueHash(*Parsed("\"hello\"")), ZlibCrc(0, "hello"));
    EXPECT_EQ(Kiplink::CloudValueHash(*Parsed("-42")), ZlibCrc(0, "-42"));
}

TEST(CloudOps, ContainerHashesFoldTheirMembersWithKeysOrIndexes) {
    const uint32_t one = ZlibCrc(0, "1"), two = ZlibCrc(0, "2");
    EXPECT_EQ(Kiplink::CloudValueHash(*Parsed("[1,2]")), ZlibCrc(one, "0") ^ ZlibCrc(two, "1"));
    EXPECT_EQ(Kiplink::CloudValueHash(*Parsed("{\"a\":1,\"b\":2}")), ZlibCrc(one, "a") ^ ZlibCrc(two, "b"));
    // Member order does not count.
    EXPECT_EQ(HashOf("{\"b\":2,\"a\":1}"), HashOf("{\"a\":1,\"b\":2}"));
    EXPECT_EQ(Kiplink::CloudValueHash(*Parsed("[]")), 0u);
    EXPECT_EQ(Kiplink::CloudValueHash(*Parsed("{}")), 0u);
}

TEST(CloudOps, EachCodeChangesItsMember) {
    const std::string hash3 = HashOf("3");
    const std::string now = std::to_string(kNow);
    const std::string hundredAgo = std::to_string(kNow - 100);
    const struct {
        const char* what;
        std::string list, data, meta, wantData;
    } cases[] = {
        {"10 applies with the hash of the old value", "[10,\"a\",5," + hash3 + "]", "{\"a\":3}", "{}", "{\"a\":5}"},
        {"10 skips with another hash", "[10,\"a\",5,1]", "{\"a\":3}", "{}", "{\"a\":3}"},
        {"10 always applies on a missing member", "[10,\"a\",5,1]", "{}", "{}", "{\"a\":5}"},
        {"10 skips without a number as crc", "[10,\"a\",5,\"x\"]", "{}", "{}", "{\"a\":null}"},
        {"10 merge sets each member", "[-1,10,\"a\",{\"x\":1,\"y\":2},0]", "{\"x\":0}", "{}",
         "{\"x\":1,\"a\":null,\"y\":2}"},
        {"11 sets a lower value", "[11,\"best\",7]", "{\"best\":9}", "{}", "{\"best\":7}"},
        {"11 skips a higher one", "[11,\"best\",7]", "{\"best\":5}", "{}", "{\"best\":5}"},
        {"12 sets a higher value", "[12,\"best\",7]", "{\"best\":5}", "{}", "{\"best\":7}"},
        {"13 skips an older time", "[13,\"a\",1,5]", "{\"a\":0}", "{\"a\":9}", "{\"a\":0}"},
        {"13 takes a newer time", "[13,\"a\",1,10]", "{\"a\":0}", "{\"a\":9}", "{\"a\":1}"},
        {"20 adds", "[20,\"n\",2,20,\"n\",3]", "{\"n\":1}", "{}", "{\"n\":6}"},
        {"21 multiplies", "[21,\"n\",4]", "{\"n\":3}", "{}", "{\"n\":12}"},
        {"22 to 25 are unsigned bit operations", "[22,\"a\",6,23,\"b\",1,24,\"c\",3,25,\"d\"]",
         "{\"a\":12,\"b\":4,\"c\":5,\"d\":0}", "{}", "{\"a\":4,\"b\":5,\"c\":6,\"d\":4294967295}"},
        {"26 takes the remainder", "[26,\"n\",4]", "{\"n\":11}", "{}", "{\"n\":3}"},
        {"27 accrues since the stamp", "[27,\"coins\",2]", "{\"coins\":0}", "{\"coins\":" + hundredAgo + "}",
         "{\"coins\":200}"},
        {"27 accrues nothing for a stamp ahead of the clock", "[27,\"coins\",2]", "{\"coins\":0}",
         "{\"coins\":" + std::to_string(kNow + 50) + "}", "{\"coins\":0}"},
        {"30 appends text to a new string", "[30,\"s\",\"x\",30,\"s\",\"y\"]", "{\"s\":4}", "{}", "{\"s\":\"xy\"}"},
        {"40 and 41 prepend and append", "[40,\"l\",1,41,\"l\",3]", "{\"l\":[2]}", "{}", "{\"l\":[1,2,3]}"},
        {"42 and 43 drop the ends", "[42,\"l\",43,\"l\"]", "{\"l\":[1,2,3]}", "{}", "{\"l\":[2]}"},
        {"44 removes every match", "[44,\"l\"," + HashOf("7") + "]", "{\"l\":[7,1,7]}", "{}", "{\"l\":[1]}"},
        {"45 removes the first match", "[45,\"l\"," + HashOf("7") + "]", "{\"l\":[7,1,7]}", "{}",
         "{\"l\":[1,7]}"},
        {"46 keeps the newest max", "[46,\"l\",4,3]", "{\"l\":[1,2,3]}", "{}", "{\"l\":[2,3,4]}"},
        {"50 negates", "[50,\"f\"]", "{\"f\":true}", "{}", "{\"f\":false}"},
        {"51 on a non-flag clears it", "[51,\"f\",true]", "{\"f\":3}", "{}", "{\"f\":false}"},
        {"52 ORs flags", "[52,\"f\",true]", "{\"f\":false}", "{}", "{\"f\":true}"},
        {"53 XORs into 0 or 1", "[53,\"f\",true]", "{\"f\":true}", "{}", "{\"f\":0}"},
        {"60 moves a member", "[60,\"a\",\"b\"]", "{\"a\":1}", "{}", "{\"b\":1}"},
        {"60 onto itself keeps the member", "[60,\"a\",\"a\"]", "{\"a\":1}", "{}", "{\"a\":1}"},
        {"integer keys name elements", "[20,1,5]", "[1,2]", "[]", "[1,7]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome outcome = RunOps(c.list, c.data, c.meta);
        EXPECT_TRUE(outcome.ok);
        EXPECT_EQ(outcome.data, c.wantData);
    }
}

TEST(CloudOps, ChangesStampTheirMetaMemberAndSkipsDoNot) {
    const std::string now = std::to_string(kNow);
    EXPECT_EQ(RunOps("[20,\"n\",1]", "{}").meta, "{\"n\":" + now + "}");
    EXPECT_EQ(RunOps("[11,\"best\",7]", "{\"best\":5}").meta, "{}");
    // The first accrual counts from 0: the whole clock times the rate.
    EXPECT_EQ(RunOps("[27,\"c\",2]", "{}").data, "{\"c\":" + std::to_string(2 * kNow) + "}");
    // Flags already set change without a stamp.
    EXPECT_EQ(RunOps("[52,\"f\",true]", "{\"f\":false}").meta, "{}");
}

TEST(CloudOps, DescentsMoveBothCursorsAndReturn) {
    const Outcome outcome = RunOps("[0,\"a\",0,\"b\",20,\"n\",1,2,2,20,\"top\",1]", "{\"a\":{\"b\":{\"n\":4}}}");
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.data, "{\"a\":{\"b\":{\"n\":5}},\"top\":1}");
    const std::string now = std::to_string(kNow);
    EXPECT_EQ(outcome.meta, "{\"a\":{\"b\":{\"n\":" + now + "}},\"top\":" + now + "}");
}

TEST(CloudOps, FaultsFailTheRunAndKeepWhatWentBefore) {
    const struct {
        const char* what;
        const char* list;
        const char* data;
    } cases[] = {
        {"pop at the root", "[1]", "{}"},
        {"pop past the root", "[0,\"a\",2,2]", "{}"},
        {"unknown code", "[99,\"a\"]", "{}"},
        {"code that is text", "[\"x\"]", "{}"},
        {"modifier at the end", "[-1]", "{}"},
        {"operation cut short", "[20,\"a\"]", "{}"},
        {"key that is a flag", "[20,true,1]", "{}"},
        {"zero divisor", "[26,\"n\",0]", "{\"n\":5}"},
        {"zero float divisor", "[26,\"n\",0.0]", "{\"n\":5}"},
        {"negative element", "[20,-1,1]", "[1]"},
        {"element far past the end", "[20,2147483647,1]", "[]"},
        {"list that is an object", "{}", "{}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(RunOps(c.list, c.data).ok);
    }
    const Outcome partial = RunOps("[20,\"n\",1,1]", "{\"n\":1}");
    EXPECT_FALSE(partial.ok);
    EXPECT_EQ(partial.data, "{\"n\":2}");
    EXPECT_TRUE(RunOps("null", "{}").ok);
}

TEST(CloudOps, DeepDescentsStopAtTheLimit) {
    std::string list = "[";
    for (int i = 0; i < 600; ++i) {
        list += "0,\"a\",";
    }
    list += "20,\"n\",1]";
    EXPECT_FALSE(RunOps(list, "{}").ok);
}

TEST(CloudOps, CompactionFoldsAndRegroups) {
    const struct {
        const char* what;
        const char* list;
        const char* want;
    } cases[] = {
        {"two additions", "[20,\"n\",1,20,\"n\",2]", "[20,\"n\",3]"},
        {"two texts", "[30,\"s\",\"x\",30,\"s\",\"y\"]", "[30,\"s\",\"xy\"]"},
        {"addition then product", "[20,\"n\",1,21,\"n\",2]", "[20,\"n\",1,21,\"n\",2]"},
        {"additions to two members", "[20,\"a\",1,20,\"b\",2]", "[20,\"a\",1,20,\"b\",2]"},
        {"ORs", "[23,\"m\",1,23,\"m\",4]", "[23,\"m\",5]"},
        {"flag ORs", "[52,\"f\",false,52,\"f\",true]", "[52,\"f\",true]"},
        {"one path kept", "[0,\"a\",0,\"b\",20,\"n\",1,2,2]", "[0,\"a\",0,\"b\",20,\"n\",1,2,2]"},
        {"visits of one member join", "[0,\"a\",20,\"n\",1,1,20,\"t\",1,0,\"a\",20,\"n\",2,1]",
         "[20,\"t\",1,0,\"a\",20,\"n\",3,1]"},
        {"siblings pop between them", "[0,\"a\",0,\"b\",20,\"n\",1,2,2,0,\"c\",20,\"n\",1,1]",
         "[0,\"a\",0,\"b\",20,\"n\",1,2,2,0,\"c\",20,\"n\",1,1]"},
        {"merge form kept", "[-1,10,\"a\",{\"x\":1},0,20,\"n\",1]", "[-1,10,\"a\",{\"x\":1},0,20,\"n\",1]"},
        {"empty", "[]", "[]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RefPtr<IValue> list = Parsed(c.list);
        ASSERT_TRUE(Kiplink::CompactCloudOps(*list));
        EXPECT_EQ(Text(*list), c.want);
    }
}

TEST(CloudOps, CompactedListsLeaveTheSameData) {
    const struct {
        const char* list;
        const char* data;
    } cases[] = {
        {"[20,\"n\",1,20,\"n\",2.5,0,\"a\",30,\"s\",\"x\",1,0,\"a\",30,\"s\",\"y\",1]", "{\"n\":1}"},
        {"[52,\"f\",false,52,\"f\",true]", "{\"f\":3}"},
        {"[52,\"f\",false,52,\"f\",true]", "{\"f\":false}"},
        {"[21,\"n\",2,21,\"n\",3,20,\"n\",1]", "{\"n\":2}"},
        {"[0,1,20,\"n\",1,1,0,1,20,\"n\",2,1]", "{}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        RefPtr<IValue> compacted = Parsed(c.list);
        ASSERT_TRUE(Kiplink::CompactCloudOps(*compacted));
        EXPECT_EQ(RunOps(Text(*compacted), c.data).data, RunOps(c.list, c.data).data);
    }
}

TEST(CloudOps, CompactionFailsWholeAndLeavesTheList) {
    const char* const lists[] = {
        "[46,\"l\",1,3]",                 // no folding rule for a bounded append
        "[0,\"~\",20,\"n\",1,1]",         // a member named as the compactor's records
        "[0,\"~~\",20,\"n\",1,1]",
        "[20,\"n\",1,1]",                 // pop at the root
        "[20,\"n\"]",                     // cut short
        "[99]",
        "[\"x\"]",
    };
    for (const char* text : lists) {
        SCOPED_TRACE(text);
        RefPtr<IValue> list = Parsed(text);
        const std::string before = Text(*list);
        EXPECT_FALSE(Kiplink::CompactCloudOps(*list));
        EXPECT_EQ(Text(*list), before);
    }
}

}  // namespace
