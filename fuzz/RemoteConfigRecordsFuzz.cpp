// The remote configuration's record and cache pipeline on arbitrary bytes.
// The input is split at the first two "\n\n" separators: a header record's
// text, then the cached ".dat", then the cached ".sig". The header is parsed
// as a fetch parses it; the cache pair goes through the constructor's load
// from a real save folder; the data is also deciphered and parsed directly,
// as a document that passed its signature would be. Nothing may crash, and
// a refused pair leaves no document.
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/services/RemoteConfig.h"
#include "engine/services/ServiceManagerConfig.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string g_folder;

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    using namespace Varnok;
    char pattern[] = "/tmp/varnok-fuzz-remote-XXXXXX";
    g_folder = mkdtemp(pattern);
    std::filesystem::create_directories(g_folder + "/Services");
    WriteFile(g_folder + "/Services/ServiceManager.xml",
              "<serviceManager><remoteConfig value=\"remote.fuzz.test\"/></serviceManager>");
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(g_folder.c_str(), false),
                                  FileSystemKey("save"), 2);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Varnok;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t first = input.find("\n\n");
    const std::string header = input.substr(0, first);
    const size_t second = first == std::string::npos ? std::string::npos : input.find("\n\n", first + 2);
    const std::string dat = first == std::string::npos ? std::string() : input.substr(first + 2, second - first - 2);
    const std::string sig = second == std::string::npos ? std::string() : input.substr(second + 2);

    std::string base;
    std::string part;
    int count = -1;
    if (ParseRemoteConfigHeader(header, base, count, part) && (count < 0 || count > 255 || base.empty())) {
        std::abort();
    }
    Json::Value document;
    (void)DecodeRemoteConfig(dat, document);

    WriteFile(g_folder + "/remote.fuzz.test.dat", dat);
    WriteFile(g_folder + "/remote.fuzz.test.sig", sig);
    ServiceManagerConfig config("Services", ServiceDefines());
    if (config.HasRemoteConfig() && (sig.size() != 128 || dat.empty())) {
        std::abort();
    }
    (void)config.GetRemoteValue("buildId");
    return 0;
}
