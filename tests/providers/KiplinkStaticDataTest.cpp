// Encrypted files in the save area and the signed static data: the shipped
// set through the offline view, its fingerprint, an incomplete set, and a
// newer set that the server publishes, tampered or not.
#include "kiplink/Source/StaticDataManager.h"
#include "tests/providers/OnlineFixture.h"
#include "tools/sign_remote_config/SigningKey.h"
#include "tools/sign_static_data/StaticDataFile.h"

#include <fstream>
#include <iterator>

namespace OnlineTest {
namespace {

using Varnok::Tools::BodyCorruption;
using Varnok::Tools::Fault;

std::string ReadHostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Varnok::Tools::StaticDataSet ReadSet(const std::string& folder, const std::string& suffix) {
    Varnok::Tools::StaticDataSet set;
    std::string why;
    EXPECT_TRUE(Varnok::Tools::ReadStaticDataSet(folder, suffix, VARNOK_PROJECT_KEY_PUB, &set, &why)) << why;
    return set;
}

class StaticDataTest : public OnlineFixture {};

TEST_F(StaticDataTest, SavingTheSameDataTwiceGivesTwoFilesThatLoadAlike) {
    MakeRoot();
    Kiplink::RefPtr<Kiplink::EncryptedJsonFile> file(new Kiplink::EncryptedJsonFile(m_platform.Get(), "save/a.json"));
    file->GetData()["coins"].SetAsInt(12);
    ASSERT_TRUE(file->Save());
    const std::string first = ReadHostFile(SavePath("a.json"));
    ASSERT_TRUE(file->Save());
    const std::string second = ReadHostFile(SavePath("a.json"));
    EXPECT_NE(first, second);
    EXPECT_EQ(first.size() % 16, 0u);

    Kiplink::RefPtr<Kiplink::EncryptedJsonFile> again(new Kiplink::EncryptedJsonFile(m_platform.Get(), "save/a.json"));
    ASSERT_TRUE(again->Load());
    EXPECT_EQ(again->GetData()["coins"].AsInt(0), 12);

    // Another key's bytes do not parse and leave the data alone.
    std::ofstream(SavePath("a.json"), std::ios::binary | std::ios::trunc) << std::string(32, 'z');
    EXPECT_FALSE(again->Load());
    EXPECT_EQ(again->GetData()["coins"].AsInt(0), 12);
}

TEST_F(StaticDataTest, TheShippedSetLoadsAndItsHashIsTheSortedFileHashes) {
    Kiplink::KiplinkProviderImpl* root = MakeRoot();
    Kiplink::StaticDataManager* data = root->GetStaticData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->GetAppliedCount(), 1);
    EXPECT_TRUE(data->IsItemLayout());
    ASSERT_NE(data->GetFile(Kiplink::kStaticCurrencies), nullptr);
    std::string hash;
    data->GetHash(&hash);
    EXPECT_EQ(hash, ReadSet(VARNOK_OFFLINE_DIR, ".offline").hash);
    EXPECT_TRUE(std::ifstream(SavePath("StaticData.json")).good());
}

TEST_F(StaticDataTest, AVersionThreeSetMissingOneTypeAppliesNothing) {
    // A shipped set in the save area that lists eight of the nine types.
    Varnok::Tools::SigningKey key;
    ASSERT_TRUE(key.Load(VARNOK_PROJECT_KEY));
    Json::Value info;
    info["version"] = "v3";
    const char* names[] = {"Items", "ItemGroups", "PaymentProviders", "Achievements",
                           "Currencies", "Leaderboards", "Scripts", "CloudObjects"};
    for (const char* name : names) {
        info["files"].append(name);
        Varnok::Tools::SignedStaticFile signedFile;
        Json::Value content(Json::arrayValue);
        content.append(name);
        ASSERT_TRUE(Varnok::Tools::SignStaticData(content, key, &signedFile));
        std::ofstream(m_saveFolder + "/" + name + ".offline", std::ios::binary) << signedFile.file;
        std::ofstream(m_saveFolder + "/" + name + ".offline.sig", std::ios::binary) << signedFile.signature;
    }
    Varnok::Tools::SignedStaticFile infoFile;
    ASSERT_TRUE(Varnok::Tools::SignStaticData(info, key, &infoFile));
    std::ofstream(m_saveFolder + "/offlineInfo.offline", std::ios::binary) << infoFile.file;
    std::ofstream(m_saveFolder + "/offlineInfo.offline.sig", std::ios::binary) << infoFile.signature;

    Kiplink::KiplinkProviderImpl* root = MakeRoot();
    EXPECT_EQ(root->GetStaticData()->GetAppliedCount(), 0);
    EXPECT_NE(root->GetStaticData()->GetFile(Kiplink::kStaticItems), nullptr);
}

TEST_F(StaticDataTest, APublishedUpdateSwitchesTheSetAndSurvivesARestart) {
    const Varnok::Tools::StaticDataSet published = ReadSet(VARNOK_PUBLISHED_STATIC_DIR, VARNOK_PUBLISHED_STATIC_SUFFIX);
    Kiplink::KiplinkProviderImpl* root = MakeRoot();
    std::string before;
    root->GetStaticData()->GetHash(&before);
    ASSERT_NE(before, published.hash);

    Kiplink::IValue* table = Kiplink::CreateValue();
    ASSERT_TRUE(table->Parse(Json::FastWriter().write(published.hashTable).c_str()));
    table->GetMemberByString("Unknowns")->SetAsString("nothing.offline");
    root->GetStaticData()->RequestUpdate(published.hash.c_str(), m_server->StaticUrl().c_str(), *table);
    EXPECT_EQ(root->GetStaticData()->GetPendingDownloadCount(), 10u);
    ASSERT_TRUE(PumpUntil([&] { return root->GetStaticData()->GetAppliedCount() == 2; }, 10000));
    std::string after;
    root->GetStaticData()->GetHash(&after);
    EXPECT_EQ(after, published.hash);
    const Kiplink::IValue& current = *root->GetStaticData()->GetIndex().GetMemberByString("current");
    EXPECT_STREQ(current.GetMemberByString("items")->AsString(""), "save/ota/Items_2.offline");

    // The same hash again asks for nothing.
    root->GetStaticData()->RequestUpdate(published.hash.c_str(), m_server->StaticUrl().c_str(), *table);
    EXPECT_EQ(root->GetStaticData()->GetPendingDownloadCount(), 0u);
    table->Release();

    m_root.Reset();
    Kiplink::KiplinkProviderImpl* restarted = MakeRoot();
    std::string reloaded;
    restarted->GetStaticData()->GetHash(&reloaded);
    EXPECT_EQ(reloaded, published.hash);
    EXPECT_EQ(restarted->GetStaticData()->GetAppliedCount(), 1);
}

TEST_F(StaticDataTest, ATamperedDownloadLeavesTheOldSetInUse) {
    const Varnok::Tools::StaticDataSet published = ReadSet(VARNOK_PUBLISHED_STATIC_DIR, VARNOK_PUBLISHED_STATIC_SUFFIX);
    Kiplink::KiplinkProviderImpl* root = MakeRoot();
    std::string before;
    root->GetStaticData()->GetHash(&before);
    m_server->InjectFault(Fault::Corrupt(BodyCorruption::FlippedByte).For(std::string("static/Currencies") +
                                                                          VARNOK_PUBLISHED_STATIC_SUFFIX));
    Kiplink::IValue* table = Kiplink::CreateValue();
    ASSERT_TRUE(table->Parse(Json::FastWriter().write(published.hashTable).c_str()));
    root->GetStaticData()->RequestUpdate(published.hash.c_str(), m_server->StaticUrl().c_str(), *table);
    table->Release();
    ASSERT_TRUE(PumpUntil([&] { return root->GetStaticData()->GetPendingDownloadCount() == 0; }, 10000));
    for (int i = 0; i < 5; ++i) {
        Frame();
    }
    std::string after;
    root->GetStaticData()->GetHash(&after);
    EXPECT_EQ(after, before);
    EXPECT_EQ(root->GetStaticData()->GetAppliedCount(), 1);
    const Kiplink::IValue& current = *root->GetStaticData()->GetIndex().GetMemberByString("current");
    EXPECT_STREQ(current.GetMemberByString("Items")->AsString(""), "Items.offline");
}

}  // namespace
}  // namespace OnlineTest
