// sign_static_data: each INPUT.json (the data value itself) becomes a signed
// pair "<name><suffix>" and "<name><suffix>.sig" in the output folder, with
// the development key and the signing code of sign_remote_config.
#include "tools/sign_remote_config/FileBytes.h"
#include "tools/sign_remote_config/SigningKey.h"
#include "tools/sign_static_data/StaticDataFile.h"

#include <json/json.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using namespace Varnok::Tools;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: sign_static_data --out DIR [--key PEM] [--suffix .offline] INPUT.json...\n");
    return 2;
}

std::string BaseName(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    const size_t dot = name.rfind(".json");
    if (dot != std::string::npos && dot + 5 == name.size()) {
        name.resize(dot);
    }
    return name;
}

}  // namespace

int main(int argc, char** argv) {
    std::string keyPath = DevelopmentKeyPath();
    std::string outDir;
    std::string suffix = ".offline";
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--out" && hasValue) {
            outDir = argv[++i];
        } else if (arg == "--key" && hasValue) {
            keyPath = argv[++i];
        } else if (arg == "--suffix" && hasValue) {
            suffix = argv[++i];
        } else if (!arg.empty() && arg[0] != '-') {
            inputs.push_back(arg);
        } else {
            return Usage();
        }
    }
    if (outDir.empty() || inputs.empty()) {
        return Usage();
    }
    SigningKey key;
    if (!key.Load(keyPath)) {
        return 1;
    }
    Json::CharReaderBuilder reader;
    for (const std::string& input : inputs) {
        std::string text;
        if (!ReadFileBytes(input, &text)) {
            return 1;
        }
        Json::Value data;
        std::string errors;
        std::istringstream in(text);
        if (!Json::parseFromStream(reader, in, &data, &errors)) {
            std::fprintf(stderr, "sign_static_data: %s is not JSON: %s\n", input.c_str(),
                         errors.c_str());
            return 1;
        }
        SignedStaticFile signedFile;
        const std::string out = outDir + "/" + BaseName(input) + suffix;
        if (!SignStaticData(data, key, &signedFile) || !WriteFileBytes(out, signedFile.file) ||
            !WriteFileBytes(out + ".sig", signedFile.signature)) {
            std::fprintf(stderr, "sign_static_data: cannot sign %s\n", input.c_str());
            return 1;
        }
    }
    return 0;
}
