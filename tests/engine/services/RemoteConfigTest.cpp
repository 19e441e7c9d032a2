// The remote configuration against a real dnsmasq publishing records signed
// by the development key with OpenSSL, and its cache in a real save folder.
#include "engine/services/IVersionService.h"
#include "engine/services/RemoteConfig.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/ServiceManagerConfig.h"

#include "ServiceHarness.h"
#include "tests/support/Dnsmasq.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using TestSupport::FakeNow;
using TestSupport::Publish;
using TestSupport::ReadHost;
using TestSupport::RunUntil;
using TestSupport::ServiceWorld;
using TestSupport::WriteHost;

constexpr const char* kName = "remoteconfig.varnok.test";
const std::string kDocument =
    R"({"update": 1, "buildId": "vellmarch-1.0.0", "kiplink": {"universe": "http://127.0.0.1:8480/"}, "gone": null})";

// Counts what the version aggregate passes on.
class CountingVersion final : public IVersionService {
public:
    bool Initialise() override { return true; }
    void Update() override {}
    const AsciiString& GetLogData() const override { return m_name; }
    const AsciiString& GetProviderName() const override { return m_name; }
    const AsciiString& GetCustomName() const override { return m_none; }
    void OnRemoteConfigChanged() override {}
    UpdateState GetUpdateState() override {
        ++stateQueries;
        return UpdateState::Online;
    }
    const char* GetUpdateUrl() override { return nullptr; }
    int stateQueries = 0;

private:
    AsciiString m_name{"Counting"};
    AsciiString m_none;
};

class RemoteConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteHost(world.SavePath("Services/ServiceManager.xml"),
                  std::string("<serviceManager><remoteConfig value=\"") + kName + "\"/></serviceManager>");
        manager.GetBackend().AddService<IVersionService>(&version);
    }
    void TearDown() override { manager.GetBackend().RemoveService<IVersionService>(&version); }

    ServiceManagerConfig* Load() {
        manager.LoadConfig("Services", ServiceDefines());
        return manager.GetConfig();
    }
    bool Publishing(const std::vector<std::string>& lines, int ttl = 60) {
        const bool started = dnsmasq.Start(lines, ttl, dnsmasq.Port());
        DnsTxtResolver::Get().SetServer("127.0.0.1", dnsmasq.Port());
        return started;
    }
    void Republish(const std::vector<std::string>& lines, int ttl = 60) {
        dnsmasq.Stop();
        ASSERT_TRUE(Publishing(lines, ttl)) << dnsmasq.Log();
    }
    // Moves the clock on and runs updates until the fetch that starts ends.
    bool FetchAt(ServiceManagerConfig* config, int64_t when) {
        FakeNow() = when;
        config->Update();
        if (!config->IsFetchingRemoteConfig()) {
            return false;
        }
        return RunUntil([&] { config->Update(); }, [&] { return !config->IsFetchingRemoteConfig(); });
    }

    ServiceWorld world;
    ServiceManager manager;
    CountingVersion version;
    TestSupport::Dnsmasq dnsmasq;
};

TEST_F(RemoteConfigTest, AdoptsCachesRestartsFromCacheRedatesUnchangedAndAdoptsChanges) {
    const auto publication = Publish(kDocument, kName, 40);  // small chunks: several queries
    ASSERT_GT(publication.records.size(), 4u);
    ASSERT_TRUE(Publishing(TestSupport::DnsmasqLines(publication))) << dnsmasq.Log();
    const int64_t start = FakeNow();
    ServiceManagerConfig* config = Load();
    EXPECT_FALSE(config->HasRemoteConfig());
    EXPECT_FALSE(FetchAt(config, start + 1));  // not before 2 s
    ASSERT_TRUE(FetchAt(config, start + 2));
    ASSERT_TRUE(config->HasRemoteConfig());
    EXPECT_EQ(config->GetUpdateValue(), 1);
    EXPECT_EQ(config->GetRemoteValue("buildId")->asString(), "vellmarch-1.0.0");
    EXPECT_EQ(config->GetRemoteValue("gone"), nullptr);
    EXPECT_EQ(config->GetRemoteValue(nullptr), nullptr);
    EXPECT_EQ(config->GetRemoteConfigExpiry(), start + 2 + 60);
    EXPECT_EQ(version.stateQueries, 1);  // the aggregate was told
    // One name both ways: no final dot in the cache's file names.
    EXPECT_EQ(ReadHost(world.SavePath(std::string(kName) + ".dat")), publication.data);
    EXPECT_EQ(ReadHost(world.SavePath(std::string(kName) + ".sig")), publication.signature);

    // A restart: the cache is in force before any fetch, and counts as expired.
    config = Load();
    ASSERT_TRUE(config->HasRemoteConfig());
    EXPECT_EQ(config->GetRemoteConfigExpiry(), 10);
    EXPECT_EQ(version.stateQueries, 2);
    // Unchanged records re-date it without RSA work or a write.
    std::filesystem::remove(world.SavePath(std::string(kName) + ".dat"));
    ASSERT_TRUE(FetchAt(config, FakeNow() + 2));
    EXPECT_EQ(config->GetRemoteConfigExpiry(), FakeNow() + 60);
    EXPECT_FALSE(std::filesystem::exists(world.SavePath(std::string(kName) + ".dat")));
    // No fetch again before TTL + 5 s.
    EXPECT_FALSE(FetchAt(config, FakeNow() + 65));

    // Changed records are adopted.
    const auto changed = Publish(R"({"update": 3, "buildId": "vellmarch-2.0.0"})", kName);
    Republish(TestSupport::DnsmasqLines(changed));
    ASSERT_TRUE(FetchAt(config, FakeNow() + 1));
    EXPECT_EQ(config->GetUpdateValue(), 3);
    EXPECT_EQ(config->GetRemoteValue("buildId")->asString(), "vellmarch-2.0.0");
    EXPECT_EQ(ReadHost(world.SavePath(std::string(kName) + ".sig")), changed.signature);
}

TEST_F(RemoteConfigTest, EveryFlippedByteOfTheCachedPairIsRefused) {
    const auto publication = Publish(kDocument, kName);
    for (const char* suffix : {".dat", ".sig"}) {
        const std::string original = std::string(suffix) == ".dat" ? publication.data : publication.signature;
        for (size_t i = 0; i < original.size(); ++i) {
            std::string flipped = original;
            flipped[i] = static_cast<char>(flipped[i] ^ 0x01);
            WriteHost(world.SavePath(std::string(kName) + ".dat"),
                      std::string(suffix) == ".dat" ? flipped : publication.data);
            WriteHost(world.SavePath(std::string(kName) + ".sig"),
                      std::string(suffix) == ".sig" ? flipped : publication.signature);
            EXPECT_FALSE(Load()->HasRemoteConfig()) << suffix << " byte " << i;
        }
    }
    WriteHost(world.SavePath(std::string(kName) + ".dat"), publication.data);
    WriteHost(world.SavePath(std::string(kName) + ".sig"), publication.signature);
    EXPECT_TRUE(Load()->HasRemoteConfig());
    // Zero padding after the document is accepted by the check.
    Json::Value document;
    EXPECT_TRUE(CheckRemoteConfig(publication.data, publication.signature, document));
    EXPECT_EQ(document["buildId"].asString(), "vellmarch-1.0.0");
}

// The published records with one part changed.
std::vector<std::string> Tampered(const Tools::RemoteConfigPublication& publication, size_t record,
                                  const std::string& text) {
    auto records = publication.records;
    records[record].text = text;
    std::vector<std::string> lines;
    for (const auto& r : records) {
        lines.push_back(Tools::DnsmasqTxtLine(r));
    }
    return lines;
}

std::string FlipBase64(std::string text, size_t at) {
    text[at] = text[at] == 'A' ? 'B' : 'A';
    return text;
}

TEST_F(RemoteConfigTest, TamperedOrMalformedRecordsAreRefusedAndTheEarlierDocumentStays) {
    const auto publication = Publish(kDocument, kName);
    ASSERT_TRUE(Publishing(TestSupport::DnsmasqLines(publication))) << dnsmasq.Log();
    ServiceManagerConfig* config = Load();
    ASSERT_TRUE(FetchAt(config, FakeNow() + 2));
    ASSERT_TRUE(config->HasRemoteConfig());
    const std::string header = publication.records[0].text;
    const std::string base = header.substr(0, header.find(';'));
    const std::string signature = publication.records[1].text;
    const std::string countAndFirst = header.substr(header.find(';') + 1);
    const std::string first = countAndFirst.substr(countAndFirst.find(';') + 1);

    std::string sig127;
    std::string sig129;
    sig127 = Tools::Base64Encode(publication.signature.substr(0, 127));
    sig129 = Tools::Base64Encode(publication.signature + "x");
    struct Case {
        const char* what;
        size_t record;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"data's first Base64 character", 0, base + ";" + countAndFirst.substr(0, countAndFirst.find(';')) + ";" +
                                                 FlipBase64(first, 0)},
        {"data's middle", 0, base + ";" + countAndFirst.substr(0, countAndFirst.find(';')) + ";" +
                                 FlipBase64(first, first.size() / 2)},
        {"signature's first character", 1, FlipBase64(signature, 0)},
        {"signature's middle", 1, FlipBase64(signature, signature.size() / 2)},
        {"127-byte signature", 1, sig127},
        {"129-byte signature", 1, sig129},
        {"two header fields", 0, base + ";" + countAndFirst.substr(0, countAndFirst.find(';'))},
        {"four header fields", 0, header + ";x"},
        {"count 100", 0, base + ";100;" + first},
        {"count not hex", 0, base + ";zz;" + first},
    };
    for (const Case& c : cases) {
        Republish(Tampered(publication, c.record, c.text));
        ASSERT_TRUE(FetchAt(config, FakeNow() + 66)) << c.what;
        EXPECT_EQ(config->GetRemoteValue("buildId")->asString(), "vellmarch-1.0.0") << c.what;
    }
    // Without an earlier document (nothing cached, no kept signature) every
    // case goes through the full check and leaves none.
    std::filesystem::remove(world.SavePath(std::string(kName) + ".dat"));
    for (const Case& c : cases) {
        Republish(Tampered(publication, c.record, c.text));
        ServiceManagerConfig* fresh = Load();
        ASSERT_TRUE(FetchAt(fresh, FakeNow() + 2)) << c.what;
        EXPECT_FALSE(fresh->HasRemoteConfig()) << c.what;
        EXPECT_FALSE(std::filesystem::exists(world.SavePath(std::string(kName) + ".dat"))) << c.what;
    }
}

TEST_F(RemoteConfigTest, FirstFetchAfterTwoSecondsRetriesEveryFiveNoneWhileUnreachable) {
    DnsTxtResolver::Get().SetServer("127.0.0.1", 1);  // refused: every fetch fails
    const int64_t start = FakeNow();
    ServiceManagerConfig* config = Load();
    EXPECT_FALSE(FetchAt(config, start + 1));
    EXPECT_TRUE(FetchAt(config, start + 2));
    for (int64_t t = start + 3; t <= start + 7; ++t) {
        EXPECT_FALSE(FetchAt(config, t)) << t - start;
    }
    EXPECT_TRUE(FetchAt(config, start + 8));
    NetworkAvailabilityMonitor::InstallInternetProbe([] { return kNetworkNotReachable; });
    EXPECT_FALSE(FetchAt(config, start + 30));
    NetworkAvailabilityMonitor::InstallInternetProbe([] { return kNetworkReachable; });
    EXPECT_TRUE(FetchAt(config, start + 31));
    DnsTxtResolver::Get().SetServer("127.0.0.1", 53);
}

TEST_F(RemoteConfigTest, NoNameNeverFetches) {
    WriteHost(world.SavePath("Services/ServiceManager.xml"), "<serviceManager/>");
    ServiceManagerConfig* config = Load();
    EXPECT_FALSE(FetchAt(config, FakeNow() + 10));
    EXPECT_FALSE(config->HasRemoteConfig());
}

}  // namespace
}  // namespace Varnok
