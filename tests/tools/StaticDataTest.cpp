// Signed static data: the files' layout and signature, the sets the build
// signs into the bundle and for the server, and their announced hashes.
#include "tools/sign_remote_config/FileBytes.h"
#include "tools/sign_remote_config/SigningKey.h"
#include "tools/sign_remote_config/TransportFrame.h"
#include "tools/sign_static_data/StaticDataFile.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace Varnok {
namespace Tools {
namespace {

const std::vector<std::string> kNineTypes = {"Items", "ItemGroups", "PaymentProviders",
                                             "Achievements", "Currencies", "Leaderboards",
                                             "Scripts", "CloudObjects", "Settings"};

Json::Value OpenShipped(const std::string& name, std::string* outText = nullptr) {
    SignedStaticFile signedFile;
    const std::string path = std::string(VARNOK_OFFLINE_DIR) + "/" + name + ".offline";
    EXPECT_TRUE(ReadFileBytes(path, &signedFile.file));
    EXPECT_TRUE(ReadFileBytes(path + ".sig", &signedFile.signature));
    Json::Value data;
    std::string text;
    std::string why;
    EXPECT_TRUE(OpenStaticData(signedFile, DevelopmentPublicKeyPath(), &data, &text, &why))
        << name << ": " << why;
    if (outText != nullptr) {
        *outText = text;
    }
    return data;
}

SignedStaticFile SignSmall() {
    SigningKey key;
    EXPECT_TRUE(key.Load(DevelopmentKeyPath()));
    Json::Value data(Json::objectValue);
    data["coins"] = 5;
    SignedStaticFile signedFile;
    EXPECT_TRUE(SignStaticData(data, key, &signedFile));
    return signedFile;
}

TEST(StaticDataFile, IsAFramedDataObjectSignedAsStored) {
    const SignedStaticFile signedFile = SignSmall();
    EXPECT_EQ(signedFile.file.size() % 16, 0u);
    ASSERT_EQ(signedFile.signature.size(), 128u);
    EXPECT_TRUE(VerifySignature(DevelopmentPublicKeyPath(), signedFile.file, signedFile.signature));
    std::string text;
    std::string why;
    ASSERT_TRUE(UnframeBody(signedFile.file, &text, &why)) << why;
    EXPECT_EQ(text, "{\"data\":{\"coins\":5}}");
}

TEST(StaticDataFile, EveryChangedByteIsRefused) {
    const SignedStaticFile good = SignSmall();
    Json::Value data;
    std::string text;
    std::string why;
    ASSERT_TRUE(OpenStaticData(good, DevelopmentPublicKeyPath(), &data, &text, &why)) << why;
    int refused = 0;
    for (size_t i = 0; i < good.file.size() + good.signature.size(); ++i) {
        SignedStaticFile bad = good;
        std::string& bytes = i < good.file.size() ? bad.file : bad.signature;
        bytes[i < good.file.size() ? i : i - good.file.size()] ^= 0x01;
        refused += OpenStaticData(bad, DevelopmentPublicKeyPath(), &data, &text, &why) ? 0 : 1;
    }
    EXPECT_EQ(refused, static_cast<int>(good.file.size() + good.signature.size()));
    for (size_t length : {127u, 129u}) {
        SignedStaticFile bad = good;
        bad.signature.resize(length, '\0');
        EXPECT_FALSE(OpenStaticData(bad, DevelopmentPublicKeyPath(), &data, &text, &why)) << length;
    }
}

TEST(StaticDataSets, TheBundleShipsTheGamesV3Set) {
    const Json::Value info = OpenShipped("offlineInfo");
    EXPECT_EQ(info["version"].asString(), "v3");
    std::vector<std::string> files;
    for (const Json::Value& name : info["files"]) {
        files.push_back(name.asString());
    }
    EXPECT_EQ(std::set<std::string>(files.begin(), files.end()),
              std::set<std::string>(kNineTypes.begin(), kNineTypes.end()));
    for (const std::string& type : files) {
        EXPECT_FALSE(OpenShipped(type).isNull()) << type;
    }

    const Json::Value currencies = OpenShipped("Currencies");
    ASSERT_EQ(currencies.size(), 1u);
    EXPECT_EQ(currencies[0]["referenceId"].asString(), "coins");
    EXPECT_TRUE(currencies[0]["currencyEarnable"].asBool());

    std::set<std::string> boards;
    for (const Json::Value& board : OpenShipped("Leaderboards")) {
        boards.insert(board["referenceId"].asString());
    }
    EXPECT_EQ(boards, (std::set<std::string>{"CLASSIC_SCORES", "CLASSIC_SCORES_WEEKLY",
                                             "NEW_MODE_SCORES", "NEW_MODE_SCORES_WEEKLY"}));

    // Every item costs coins or real money; every group and price names an item.
    std::set<std::string> items;
    std::set<std::string> realMoneyItems;
    for (const Json::Value& item : OpenShipped("Items")) {
        const std::string id = item["referenceId"].asString();
        items.insert(id);
        bool priced = false;
        for (const Json::Value& pricing : item["itemPricing"]) {
            for (const std::string& member : pricing.getMemberNames()) {
                const Json::Value& price = pricing[member];
                if (price.isString() && price.asString() == "real") {
                    realMoneyItems.insert(id);
                    priced = true;
                }
                for (const Json::Value& p : price.isArray() ? price : Json::Value(Json::arrayValue)) {
                    EXPECT_EQ(p["currency"].asString(), "coins") << id;
                    priced = priced || p["amount"].isNumeric();
                }
            }
        }
        EXPECT_TRUE(priced) << id;
    }
    for (const Json::Value& group : OpenShipped("ItemGroups")) {
        for (const Json::Value& member : group["items"]) {
            EXPECT_EQ(items.count(member["referenceId"].asString()), 1u) << group["referenceId"];
        }
    }
    const Json::Value providers = OpenShipped("PaymentProviders");
    for (const std::string& id : realMoneyItems) {
        EXPECT_TRUE(providers[0]["prices"][id].isInt()) << id;
        EXPECT_TRUE(providers[0]["skusLookup"][id].isString()) << id;
    }

    bool hasHook = false;
    for (const Json::Value& script : OpenShipped("Scripts")) {
        hasHook = hasHook ||
                  script["scriptClientCode"].asString().find("OnAddedToInventory") != std::string::npos;
    }
    EXPECT_TRUE(hasHook);
    EXPECT_TRUE(OpenShipped("CloudObjects").isObject());
    EXPECT_TRUE(OpenShipped("Settings").isObject());
}

TEST(StaticDataSets, HashIsTheSha1OfTheSortedFileHashes) {
    StaticDataSet shipped;
    std::string why;
    ASSERT_TRUE(ReadStaticDataSet(VARNOK_OFFLINE_DIR, ".offline", DevelopmentPublicKeyPath(),
                                  &shipped, &why))
        << why;
    std::vector<std::string> hashes;
    for (const std::string& name : shipped.hashTable.getMemberNames()) {
        std::string text;
        OpenShipped(name, &text);
        hashes.push_back(Sha1Hex(text));
        EXPECT_EQ(shipped.hashTable[name].asString(), name + ".offline");
    }
    EXPECT_EQ(hashes.size(), 10u);  // offlineInfo and the nine types
    std::sort(hashes.begin(), hashes.end());
    std::string joined;
    for (const std::string& h : hashes) {
        joined += h;
    }
    EXPECT_EQ(shipped.hash, Sha1Hex(joined));
    EXPECT_EQ(shipped.hash.size(), 40u);

    StaticDataSet published;
    ASSERT_TRUE(ReadStaticDataSet(VARNOK_PUBLISHED_STATIC_DIR, VARNOK_PUBLISHED_STATIC_SUFFIX,
                                  DevelopmentPublicKeyPath(), &published, &why))
        << why;
    EXPECT_NE(published.hash, shipped.hash);
    EXPECT_EQ(published.hashTable["Items"].asString(),
              std::string("Items") + VARNOK_PUBLISHED_STATIC_SUFFIX);
    EXPECT_EQ(published.hashTable.size(), 10u);

    const Json::Value announced = StaticDataAnnouncement(published, "http://127.0.0.1:1/static/");
    EXPECT_EQ(announced["hash"].asString(), published.hash);
    EXPECT_EQ(announced["url"].asString(), "http://127.0.0.1:1/static/");
    EXPECT_EQ(announced["hashTable"], published.hashTable);
}

TEST(StaticDataSets, ASetWithAFileMissingIsRefused) {
    const std::string dir = ::testing::TempDir() + "/static-set";
    ASSERT_EQ(std::system(("rm -rf " + dir + " && mkdir -p " + dir + " && cp " +
                           VARNOK_OFFLINE_DIR + "/* " + dir + " && rm " + dir +
                           "/Scripts.offline.sig").c_str()),
              0);
    StaticDataSet set;
    std::string why;
    EXPECT_FALSE(ReadStaticDataSet(dir, ".offline", DevelopmentPublicKeyPath(), &set, &why));
    EXPECT_NE(why.find("Scripts.offline"), std::string::npos) << why;
}

}  // namespace
}  // namespace Tools
}  // namespace Varnok
