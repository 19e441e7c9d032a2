// The signed records served by a real dnsmasq and read back over TCP by
// glibc's resolver: what a client of the remote configuration will see.
#include "tools/sign_remote_config/RemoteConfigRecords.h"
#include "tools/sign_remote_config/SigningKey.h"

#include "tests/support/Dnsmasq.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <map>
#include <string>

namespace Varnok {
namespace Tools {
namespace {

using TestSupport::Dnsmasq;
using TestSupport::QueryTxtOverTcp;
using TestSupport::TxtAnswer;

const char* const kName = "remoteconfig.varnok.test";

RemoteConfigPublication Publish(const std::string& document, size_t maxText = 255) {
    SigningKey key;
    EXPECT_TRUE(key.Load(DevelopmentKeyPath()));
    RemoteConfigOptions options;
    options.name = kName;
    options.maxTextBytes = maxText;
    RemoteConfigPublication p;
    std::string why;
    EXPECT_TRUE(PublishRemoteConfig(document, key, options, &p, &why)) << why;
    return p;
}

std::vector<std::string> Lines(const RemoteConfigPublication& p) {
    std::vector<std::string> lines;
    for (const TxtRecord& r : p.records) {
        lines.push_back(DnsmasqTxtLine(r));
    }
    return lines;
}

// Asks for every record of a publication as a client would, in order.
std::map<std::string, std::string> Fetch(uint16_t port, const RemoteConfigPublication& p,
                                         uint32_t expectedTtl) {
    std::map<std::string, std::string> texts;
    for (const TxtRecord& record : p.records) {
        std::vector<TxtAnswer> answers;
        EXPECT_TRUE(QueryTxtOverTcp(port, record.name, &answers)) << record.name;
        if (answers.size() != 1) {
            ADD_FAILURE() << record.name << ": " << answers.size() << " answers";
            continue;
        }
        EXPECT_EQ(answers[0].owner + ".", record.name);
        EXPECT_EQ(answers[0].ttl, expectedTtl);
        EXPECT_EQ(answers[0].strings.size(), 1u) << "one character-string per record";
        texts[answers[0].owner + "."] = answers[0].strings.empty() ? "" : answers[0].strings[0];
    }
    return texts;
}

TEST(Dnsmasq, ServesSignedRecordsOverTcp) {
    // Sixteen chunks of the longest records.
    const RemoteConfigPublication p =
        Publish("{\"update\":0,\"pad\":\"" + std::string(3100, 'x') + "\"}");
    ASSERT_EQ(p.records.size(), 18u);

    Dnsmasq dnsmasq;
    ASSERT_TRUE(dnsmasq.Start(Lines(p), 123));
    const auto texts = Fetch(dnsmasq.Port(), p, 123);
    std::string data;
    std::string signature;
    std::string why;
    ASSERT_TRUE(AssembleRemoteConfig(texts, kName, &data, &signature, &why)) << why;
    EXPECT_EQ(data, p.data);
    EXPECT_TRUE(VerifySignature(DevelopmentPublicKeyPath(), data, signature));

    std::vector<TxtAnswer> answers;
    EXPECT_FALSE(QueryTxtOverTcp(dnsmasq.Port(), "absent.varnok.test", &answers));
}

TEST(Dnsmasq, ServesTheBuildsRecords) {
    const std::string path = std::string(VARNOK_REMOTE_CONFIG_DIR) + "/" +
                             VARNOK_REMOTE_CONFIG_NAME + ".dnsmasq";
    const std::vector<std::string> lines = Dnsmasq::ReadLines(path);
    ASSERT_GE(lines.size(), 2u);
    Dnsmasq dnsmasq;
    ASSERT_TRUE(dnsmasq.Start(lines, 300));
    std::vector<TxtAnswer> answers;
    ASSERT_TRUE(QueryTxtOverTcp(dnsmasq.Port(), VARNOK_REMOTE_CONFIG_NAME, &answers));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].strings.at(0), lines[0].substr(lines[0].find(',') + 1));
}

TEST(Dnsmasq, RestartsOnItsPortWithNewRecordsAndStopsByPid) {
    const RemoteConfigPublication first = Publish("{\"update\":1}");
    const RemoteConfigPublication second = Publish("{\"update\":2}");
    Dnsmasq dnsmasq;
    ASSERT_TRUE(dnsmasq.Start(Lines(first), 60));
    const uint16_t port = dnsmasq.Port();
    const pid_t firstPid = dnsmasq.Pid();

    ASSERT_TRUE(dnsmasq.Start(Lines(second), 60, port));
    EXPECT_EQ(dnsmasq.Port(), port);
    EXPECT_NE(dnsmasq.Pid(), firstPid);
    std::vector<TxtAnswer> answers;
    ASSERT_TRUE(QueryTxtOverTcp(port, kName, &answers));
    EXPECT_EQ(answers.at(0).strings.at(0), second.records[0].text);

    const pid_t pid = dnsmasq.Pid();
    dnsmasq.Stop();
    EXPECT_FALSE(dnsmasq.IsRunning());
    EXPECT_EQ(kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    EXPECT_FALSE(QueryTxtOverTcp(port, kName, &answers));
}

}  // namespace
}  // namespace Tools
}  // namespace Varnok
