// Remote configuration records: how a document is cut into TXT records and
// read back, and the records the build signs from data/remote/.
#include "tools/sign_remote_config/FileBytes.h"
#include "tools/sign_remote_config/RemoteConfigRecords.h"
#include "tools/sign_remote_config/SigningKey.h"
#include "tools/sign_remote_config/TransportFrame.h"

#include "tests/support/Dnsmasq.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <map>
#include <sstream>
#include <string>

namespace Varnok {
namespace Tools {
namespace {

const char* const kName = "remoteconfig.varnok.test";

const SigningKey& Key() {
    static SigningKey* key = [] {
        auto* k = new SigningKey;
        EXPECT_TRUE(k->Load(DevelopmentKeyPath()));
        return k;
    }();
    return *key;
}

std::map<std::string, std::string> ByName(const std::vector<TxtRecord>& records) {
    std::map<std::string, std::string> texts;
    for (const TxtRecord& r : records) {
        texts[r.name] = r.text;
    }
    return texts;
}

std::string DocumentOfSize(size_t padding) {
    return "{\"update\":1,\"buildId\":\"b\",\"pad\":\"" + std::string(padding, 'p') + "\"}";
}

Json::Value ParseZeroPadded(const std::string& plain) {
    Json::Value value;
    Json::CharReaderBuilder reader;
    std::string errors;
    std::istringstream in(plain.substr(0, plain.find('\0')));
    EXPECT_TRUE(Json::parseFromStream(reader, in, &value, &errors)) << errors;
    return value;
}

// What every publication must satisfy, whatever its size.
void ExpectWellFormed(const RemoteConfigPublication& p, size_t maxText) {
    ASSERT_GE(p.records.size(), 2u);
    EXPECT_EQ(p.records[0].name, std::string(kName) + ".");
    const std::string& header = p.records[0].text;
    const size_t semi1 = header.find(';');
    const size_t semi2 = header.find(';', semi1 + 1);
    ASSERT_NE(semi2, std::string::npos);
    const std::string base = header.substr(0, semi1);
    EXPECT_EQ(base.back(), '.');
    EXPECT_EQ(std::stoul(header.substr(semi1 + 1, semi2 - semi1 - 1), nullptr, 16),
              p.records.size() - 2);
    EXPECT_GT(header.size(), semi2 + 1) << "the first part is never empty";
    EXPECT_EQ(p.records[1].name, base);
    for (size_t i = 2; i < p.records.size(); ++i) {
        EXPECT_EQ(p.records[i].name, std::to_string(i - 2) + "." + base);
    }
    for (const TxtRecord& r : p.records) {
        EXPECT_FALSE(r.text.empty()) << r.name;
        EXPECT_LE(r.text.size(), r.name == base ? 255u : maxText) << r.name;
    }
    std::string data;
    std::string signature;
    std::string why;
    ASSERT_TRUE(AssembleRemoteConfig(ByName(p.records), kName, &data, &signature, &why)) << why;
    EXPECT_EQ(data, p.data);
    EXPECT_EQ(signature, p.signature);
    EXPECT_EQ(data.size() % 16, 0u);
    EXPECT_TRUE(VerifySignature(DevelopmentPublicKeyPath(), data, signature));
}

TEST(RemoteConfigRecords, SplitAndReassembleAtEverySize) {
    // Small records make many chunks, crossing the count's step from one hex
    // digit to two (15 to 16 chunks) on the way.
    for (size_t maxText : {255u, 80u}) {
        for (size_t padding = 0; padding < 1500; padding += 37) {
            SCOPED_TRACE(std::to_string(maxText) + " / " + std::to_string(padding));
            RemoteConfigOptions options;
            options.name = kName;
            options.maxTextBytes = maxText;
            RemoteConfigPublication p;
            std::string why;
            ASSERT_TRUE(PublishRemoteConfig(DocumentOfSize(padding), Key(), options, &p, &why)) << why;
            ExpectWellFormed(p, maxText);
            EXPECT_EQ(ParseZeroPadded(DecipherTransport(p.data))["pad"].asString().size(), padding);
        }
    }
}

TEST(RemoteConfigRecords, SmallDocumentFitsInTheHeaderAlone) {
    RemoteConfigOptions options;
    options.name = std::string(kName) + ".";  // a final dot changes nothing
    options.baseName = "s.remoteconfig.varnok.test";
    RemoteConfigPublication p;
    std::string why;
    ASSERT_TRUE(PublishRemoteConfig("{}", Key(), options, &p, &why)) << why;
    ASSERT_EQ(p.records.size(), 2u);
    EXPECT_EQ(p.records[0].text.substr(0, 30), "s.remoteconfig.varnok.test.;0;");
    EXPECT_EQ(p.records[0].text.substr(30), Base64Encode(p.data));
    EXPECT_EQ(DnsmasqTxtLine(p.records[1]),
              "--txt-record=s.remoteconfig.varnok.test," + Base64Encode(p.signature));
}

TEST(RemoteConfigRecords, NewContentGetsNewRecordNames) {
    RemoteConfigOptions options;
    options.name = kName;
    RemoteConfigPublication a;
    RemoteConfigPublication b;
    std::string why;
    ASSERT_TRUE(PublishRemoteConfig(DocumentOfSize(1), Key(), options, &a, &why));
    ASSERT_TRUE(PublishRemoteConfig(DocumentOfSize(2), Key(), options, &b, &why));
    EXPECT_NE(a.records[1].name, b.records[1].name);
    EXPECT_EQ(a.records[0].name, b.records[0].name);
}

TEST(RemoteConfigRecords, RefusesWhatCannotBePublished) {
    const struct { const char* what; std::string document; std::string name; size_t maxText; } cases[] = {
        {"not JSON", "{\"update\":", kName, 255},
        {"not an object", "[1, 2]", kName, 255},
        {"more than 255 chunks", DocumentOfSize(60000), kName, 255},
        {"empty name", "{}", "", 255},
        {"empty label", "{}", "a..test", 255},
        {"label over 63 bytes", "{}", std::string(64, 'l') + ".test", 255},
        {"comma in the name", "{}", "a,b.test", 255},
        {"records too small for the header", "{}", kName, 30},
        {"records over 255 bytes", "{}", kName, 256},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RemoteConfigOptions options;
        options.name = c.name;
        options.maxTextBytes = c.maxText;
        RemoteConfigPublication p;
        std::string why;
        EXPECT_FALSE(PublishRemoteConfig(c.document, Key(), options, &p, &why));
        EXPECT_FALSE(why.empty());
    }
}

TEST(RemoteConfigRecords, AssemblyRefusesBrokenRecordSets) {
    RemoteConfigOptions options;
    options.name = kName;
    options.maxTextBytes = 100;
    RemoteConfigPublication p;
    std::string why;
    ASSERT_TRUE(PublishRemoteConfig(DocumentOfSize(400), Key(), options, &p, &why));
    const std::string header = p.records[0].name;
    const std::string base = p.records[1].name;
    auto with = [&](const std::string& name, const std::string* text) {
        auto texts = ByName(p.records);
        if (text == nullptr) {
            texts.erase(name);
        } else {
            texts[name] = *text;
        }
        return texts;
    };
    const std::string twoFields = base + ";3";
    const std::string fourFields = base + ";3;abcd;efgh";
    const std::string count256 = base + ";100;abcd";
    const std::string shortSignature = Base64Encode(p.signature.substr(0, 127));
    const std::string longSignature = Base64Encode(p.signature + "x");
    const struct { const char* what; std::map<std::string, std::string> texts; } cases[] = {
        {"no header", with(header, nullptr)},
        {"two fields", with(header, &twoFields)},
        {"four fields", with(header, &fourFields)},
        {"count 100", with(header, &count256)},
        {"missing chunk", with("1." + base, nullptr)},
        {"missing signature", with(base, nullptr)},
        {"127-byte signature", with(base, &shortSignature)},
        {"129-byte signature", with(base, &longSignature)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string data;
        std::string signature;
        EXPECT_FALSE(AssembleRemoteConfig(c.texts, kName, &data, &signature, &why));
    }
}

TEST(RemoteConfigRecords, TheBuildSignsTheSampleConfiguration) {
    const std::string prefix =
        std::string(VARNOK_REMOTE_CONFIG_DIR) + "/" + VARNOK_REMOTE_CONFIG_NAME;
    std::string data;
    std::string signature;
    ASSERT_TRUE(ReadFileBytes(prefix + ".dat", &data));
    ASSERT_TRUE(ReadFileBytes(prefix + ".sig", &signature));
    EXPECT_TRUE(VerifySignature(DevelopmentPublicKeyPath(), data, signature));

    // The dnsmasq lines carry exactly the cache pair.
    std::map<std::string, std::string> texts;
    const std::string flag = "--txt-record=";
    for (const std::string& line : TestSupport::Dnsmasq::ReadLines(prefix + ".dnsmasq")) {
        ASSERT_EQ(line.compare(0, flag.size(), flag), 0) << line;
        const size_t comma = line.find(',');
        ASSERT_NE(comma, std::string::npos);
        texts[line.substr(flag.size(), comma - flag.size()) + "."] = line.substr(comma + 1);
    }
    std::string fromDns;
    std::string signatureFromDns;
    std::string why;
    ASSERT_TRUE(AssembleRemoteConfig(texts, VARNOK_REMOTE_CONFIG_NAME, &fromDns, &signatureFromDns, &why))
        << why;
    EXPECT_EQ(fromDns, data);
    EXPECT_EQ(signatureFromDns, signature);

    const Json::Value document = ParseZeroPadded(DecipherTransport(data));
    EXPECT_TRUE(document["update"].isInt());
    EXPECT_TRUE(document["buildId"].isString());
    EXPECT_EQ(document["kiplink"]["universe"].asString().rfind("http://127.0.0.1:", 0), 0u);
    EXPECT_EQ(document["kontagent"]["uri"].asString().rfind("http://127.0.0.1:", 0), 0u);
    EXPECT_TRUE(document["kontagent"]["key"].isString());
}

}  // namespace
}  // namespace Tools
}  // namespace Varnok
