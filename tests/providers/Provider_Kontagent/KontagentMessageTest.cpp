// The user keys and the query texts, against liblzma's CRC-64 and known
// digests.
#include "providers/Provider_Kontagent/KontagentKeys.h"
#include "providers/Provider_Kontagent/KontagentReport.h"

#include <gtest/gtest.h>
#include <lzma.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace Varnok {
namespace {

Json::Value ParseJson(const std::string& text) {
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &value, &errors)) << text;
    return value;
}

TEST(KontagentKeys, DeviceKeyIsCrc64XzWithTheTopBitCleared) {
    EXPECT_EQ(KontagentKeyText(KontagentDeviceKey("abc")), "3231342946509354535");
    EXPECT_EQ(KontagentDeviceKey(""), 0u);
    // The check value of CRC-64/XZ has its top bit set.
    EXPECT_EQ(Crc64Xz("123456789", 9), 0x995DC9BBDF1939FAull);
    EXPECT_EQ(KontagentDeviceKey("123456789"), 0x195DC9BBDF1939FAull);

    // Every alignment; lengths around the eight-byte steps of the table and
    // the 16- and 64-byte steps of the folding path, then long ones.
    std::mt19937 random(11);
    std::vector<uint8_t> bytes(3000);
    for (auto& b : bytes) {
        b = static_cast<uint8_t>(random());
    }
    for (size_t offset = 0; offset < 8; ++offset) {
        for (size_t length = 0; length + offset <= bytes.size(); length += length < 300 ? 7 : 401) {
            ASSERT_EQ(Crc64Xz(bytes.data() + offset, length), lzma_crc64(bytes.data() + offset, length, 0))
                << offset << "+" << length;
        }
    }
}

TEST(KontagentKeys, OnlineIdKeyIsTheFirstEightDigestBytesLittleEndianShiftedOnce) {
    // SHA-256("12345") begins 59 94 47 1a bb 01 11 2a.
    EXPECT_EQ(KontagentOnlineIdKey("12345"), 0x2A1101BB1A479459ull >> 1);
    EXPECT_EQ(KontagentKeyText(KontagentOnlineIdKey("12345")), "1515602963654232620");
}

TEST(KontagentQuery, FieldsInTheKindsOrderAbsentAndEmptySkippedEncodedForTheQuery) {
    Json::Value data(Json::objectValue);
    data["b"] = "12345";
    data["d"] = "abc";
    KontagentUserInformation information;
    information.os = "ios";
    information.manufacturer = "apple";
    information.model = "iPhone4,1";
    information.productVersion = "2.1.0:b-7";
    information.gender = "";
    KontagentRevenue revenue;
    revenue.value = "99";
    revenue.transactionType = "in app";
    revenue.subType3 = "a&b=c/d";

    const struct {
        const char* what;
        KontagentReport report;
        Json::Value data;
        std::string query;
    } cases[] = {
        {"a name only", KontagentCustomEvent{"Start"}.ToReport(), Json::Value(), "evt/?s=K&n=Start"},
        {"no name at all", KontagentCustomEvent{}.ToReport(), Json::Value(), "evt/?s=K"},
        {"every event field",
         KontagentCustomEvent{"Go", "3", "2", "x", "y", "z"}.ToReport(),
         Json::Value(),
         "evt/?s=K&n=Go&v=3&l=2&st1=x&st2=y&st3=z"},
        {"space as plus, & and = kept, others escaped", revenue.ToReport(), Json::Value(),
         "mtu/?s=K&v=99&tu=in+app&st3=a&b=c%2Fd"},
        {"user information, empty gender skipped", information.ToReport(), Json::Value(),
         "cpu/?s=K&os=ios&m=apple&d=iPhone4%2C1&v_maj=2.1.0%3Ab-7"},
        {"data: Base64 of the compact text with its line feed", KontagentPageRequest{}.ToReport(), data,
         "pgr/?s=K&data=eyJiIjoiMTIzNDUiLCJkIjoiYWJjIn0K"},
        {"application added", KontagentApplicationAdded{"u1", "s1"}.ToReport(), Json::Value(),
         "apa/?s=K&u=u1&su=s1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(BuildKontagentQuery(c.report, "K", c.data), c.query);
    }
    EXPECT_EQ(BuildKontagentQuery(KontagentPageRequest{}.ToReport(), "", Json::Value()), "pgr/?");
}

TEST(KontagentRecords, RecordsKeepGivenFieldsAndReadBackCaseBlind) {
    const Json::Value record = MakeKontagentRecord(KontagentCustomEvent{"Start", ""}.ToReport(), Json::Value());
    EXPECT_EQ(WriteCompactJson(record),
              "{\"AdditionalData\":null,\"EventName\":\"Start\",\"Type\":\"CustomEvent\",\"Value\":\"\"}\n");

    Json::Value stored = record;
    stored["Type"] = "customEVENT";
    stored["Level"] = 7;  // not a string: absent
    KontagentReport report;
    ASSERT_TRUE(ReadKontagentRecord(stored, report));
    EXPECT_EQ(BuildKontagentQuery(report, "K", Json::Value()), "evt/?s=K&n=Start");

    for (const char* bad : {"[1]", "{\"Type\":3}", "{\"Type\":\"Unknown\"}", "{}", "\"CustomEvent\""}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ReadKontagentRecord(ParseJson(bad), report));
    }
}

}  // namespace
}  // namespace Varnok
