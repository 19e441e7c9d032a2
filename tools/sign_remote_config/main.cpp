// sign_remote_config: a JSON document in, its signed and enciphered DNS
// records out, as dnsmasq arguments and as the client's ".dat"/".sig" cache.
#include "tools/sign_remote_config/FileBytes.h"
#include "tools/sign_remote_config/RemoteConfigRecords.h"
#include "tools/sign_remote_config/SigningKey.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace Varnok::Tools;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: sign_remote_config --name NAME [--key PEM] [--base NAME] [--max-text N]\n"
                 "                          [--dnsmasq FILE] [--pair PREFIX] INPUT.json\n"
                 "  --dnsmasq FILE  one --txt-record=... argument for dnsmasq per line\n"
                 "  --pair PREFIX   writes PREFIX.dat (enciphered document) and PREFIX.sig\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    RemoteConfigOptions options;
    std::string keyPath = DevelopmentKeyPath();
    std::string dnsmasqPath;
    std::string pairPrefix;
    std::string inputPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--name" && hasValue) {
            options.name = argv[++i];
        } else if (arg == "--key" && hasValue) {
            keyPath = argv[++i];
        } else if (arg == "--base" && hasValue) {
            options.baseName = argv[++i];
        } else if (arg == "--max-text" && hasValue) {
            options.maxTextBytes = static_cast<size_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--dnsmasq" && hasValue) {
            dnsmasqPath = argv[++i];
        } else if (arg == "--pair" && hasValue) {
            pairPrefix = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && inputPath.empty()) {
            inputPath = arg;
        } else {
            return Usage();
        }
    }
    if (options.name.empty() || inputPath.empty() || (dnsmasqPath.empty() && pairPrefix.empty())) {
        return Usage();
    }

    SigningKey key;
    std::string document;
    if (!key.Load(keyPath) || !ReadFileBytes(inputPath, &document)) {
        return 1;
    }
    RemoteConfigPublication publication;
    std::string why;
    if (!PublishRemoteConfig(document, key, options, &publication, &why)) {
        std::fprintf(stderr, "sign_remote_config: %s: %s\n", inputPath.c_str(), why.c_str());
        return 1;
    }
    if (!dnsmasqPath.empty()) {
        std::string lines;
        for (const TxtRecord& record : publication.records) {
            lines += DnsmasqTxtLine(record) + "\n";
        }
        if (!WriteFileBytes(dnsmasqPath, lines)) {
            return 1;
        }
    }
    if (!pairPrefix.empty() && (!WriteFileBytes(pairPrefix + ".dat", publication.data) ||
                                !WriteFileBytes(pairPrefix + ".sig", publication.signature))) {
        return 1;
    }
    return 0;
}
