// Fetching a 16-chunk remote configuration from a local dnsmasq over TCP:
// the engine's DNS client (header first, then the signature and the chunks
// together, one connection each, polled as the frame update polls them)
// against glibc's res_nquery with RES_USEVC asking the same names in turn.
// Each side starts its own dnsmasq outside the timing; the figure is the
// mean time of one whole fetch over 5 fetches.
#include "SideBySide.h"

#include "engine/services/DnsTxtClient.h"
#include "platform/PosixDnsSocket.h"
#include "tests/support/Dnsmasq.h"
#include "tools/sign_remote_config/RemoteConfigRecords.h"
#include "tools/sign_remote_config/SigningKey.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace Varnok;

constexpr int kFetches = 5;
constexpr int kChunks = 16;

struct Published {
    std::vector<std::string> lines;
    std::vector<std::string> names;  // header, signature, chunks
};

// A document cut into exactly 16 chunks of up to 255 bytes.
bool Publish(Published& out) {
    Tools::SigningKey key;
    if (!key.Load(Tools::DevelopmentKeyPath())) {
        return false;
    }
    std::string filler(2800, 'x');
    Tools::RemoteConfigPublication publication;
    std::string why;
    Tools::RemoteConfigOptions options;
    options.name = "remoteconfig.varnok.test";
    for (int attempt = 0; attempt < 200; ++attempt) {
        const std::string document = "{\"update\":0,\"buildId\":\"bench\",\"pad\":\"" + filler + "\"}";
        if (!Tools::PublishRemoteConfig(document, key, options, &publication, &why)) {
            return false;
        }
        const int chunks = static_cast<int>(publication.records.size()) - 2;
        if (chunks == kChunks) {
            break;
        }
        filler.resize(filler.size() + (chunks < kChunks ? 40 : -40), 'x');
    }
    if (static_cast<int>(publication.records.size()) != kChunks + 2) {
        return false;
    }
    for (const auto& record : publication.records) {
        out.lines.push_back(Tools::DnsmasqTxtLine(record));
        out.names.push_back(record.name);
    }
    return true;
}

struct Counter {
    void On(const DnsMessage& answer) {
        ++done;
        ok += answer.answers.empty() ? 0 : 1;
    }
    int done = 0;
    int ok = 0;
};

DnsMessage TxtQuery(const std::string& name) {
    DnsMessage message;
    message.flags = 0x0100;
    DnsQuestion& question = message.AddQuestion();
    question.name = name;
    question.type = 16;
    question.klass = 1;
    return message;
}

double Measure(bool ours) {
    Published published;
    if (!Publish(published)) {
        std::fprintf(stderr, "could not sign the records\n");
        return -1.0;
    }
    TestSupport::Dnsmasq dnsmasq;
    if (!dnsmasq.Start(published.lines, 300)) {
        std::fprintf(stderr, "dnsmasq: %s\n", dnsmasq.Log().c_str());
        return -1.0;
    }
    SetDnsSocketFactory(&CreatePosixDnsSocket);
    DnsTxtResolver& resolver = DnsTxtResolver::Get();
    resolver.SetServer("127.0.0.1", dnsmasq.Port());
    int answered = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int fetch = 0; fetch < kFetches; ++fetch) {
        if (ours) {
            Counter header;
            resolver.Query(TxtQuery(published.names[0]), DnsCompletion(&header, &Counter::On));
            while (header.done == 0) {
                resolver.Poll();
            }
            Counter rest;
            for (size_t i = 1; i < published.names.size(); ++i) {
                resolver.Query(TxtQuery(published.names[i]), DnsCompletion(&rest, &Counter::On));
            }
            while (rest.done < static_cast<int>(published.names.size()) - 1) {
                resolver.Poll();
            }
            answered += header.ok + rest.ok;
        } else {
            for (const std::string& name : published.names) {
                std::vector<TestSupport::TxtAnswer> answers;
                answered += TestSupport::QueryTxtOverTcp(dnsmasq.Port(), name, &answers) ? 1 : 0;
            }
        }
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / kFetches;
    if (answered != kFetches * static_cast<int>(published.names.size())) {
        std::fprintf(stderr, "only %d of %d answers\n", answered, kFetches * static_cast<int>(published.names.size()));
        return -1.0;
    }
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    Bench::Comparison comparison;
    comparison.workload =
        "one remote-configuration fetch from dnsmasq over TCP: header, signature and 16 chunks (18 TXT names)";
    comparison.unit = "ms per fetch";
    comparison.rounds = 5;
    comparison.contenders = {{"varnok-dns-client", [] { return Measure(true); }},
                             {"glibc-res_nquery-tcp", [] { return Measure(false); }}};
    return Bench::RunSideBySide(argc, argv, comparison);
}
