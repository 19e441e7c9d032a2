// service_probe: prints what the service framework makes of a configuration
// folder for the given defines: the defines after ServiceManager.xml's own,
// the remote-configuration name, the builders that "disableProvider" turns
// off, and every provider file's prepared document (includes resolved,
// filters applied, sections merged). Problems with files are logged on
// standard error as the framework words them.
//
//   service_probe SERVICES_FOLDER [NAME=VALUE ...]
//   e.g. service_probe build/bundle/Services platform=ios product=SD tablet=false
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/services/ServiceManagerConfig.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Varnok;

constexpr const char* kManagerFile = "ServiceManager.xml";

int Usage() {
    std::fprintf(stderr, "usage: service_probe SERVICES_FOLDER [NAME=VALUE ...]\n");
    return 2;
}

// The provider names of the folder's other XML files, in name order.
std::vector<std::string> ProviderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::filesystem::path& path = entry.path();
        if (entry.is_regular_file() && path.extension() == ".xml" &&
            path.filename() != kManagerFile) {
            names.push_back(path.stem().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return Usage();
    }
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::absolute(argv[1], error);
    if (error || !std::filesystem::is_directory(folder)) {
        std::fprintf(stderr, "service_probe: %s is not a folder\n", argv[1]);
        return 1;
    }
    ServiceDefines defines;
    for (int i = 2; i < argc; ++i) {
        const char* equals = std::strchr(argv[i], '=');
        if (equals == nullptr || equals == argv[i]) {
            return Usage();
        }
        defines[AsciiString(argv[i], static_cast<int>(equals - argv[i]))] = AsciiString(equals + 1);
    }

    // The folder is read the way the game reads it: by name, under a mounted
    // directory.
    const std::filesystem::path parent = folder.parent_path();
    const std::string name = folder.filename().string();
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(parent.c_str(), true),
                                  FileSystemKey("base"), 0);
    ServiceManagerConfig config(name.c_str(), defines);

    std::printf("defines:");
    for (const auto& [defineName, value] : config.GetDefines()) {
        std::printf(" %s=%s", defineName.c_str(), value.c_str());
    }
    std::printf("\nremote configuration: %s\n",
                config.GetRemoteConfigName().IsEmpty() ? "(none)" : config.GetRemoteConfigName().c_str());
    std::printf("disabled builders:");
    int disabled = 0;
    if (const TiXmlElement* root = config.GetRoot()) {
        for (const TiXmlElement* child = root->FirstChildElement(); child != nullptr;
             child = child->NextSiblingElement()) {
            const char* provider = child->Attribute("provider");
            if (IsElementNamed(child, "disableProvider") && provider != nullptr) {
                std::printf(" %s", provider);
                ++disabled;
            }
        }
    }
    std::printf("%s\n", disabled == 0 ? " (none)" : "");

    for (const std::string& provider : ProviderNames(folder)) {
        std::printf("\n== %s ==\n", provider.c_str());
        const TiXmlElement* prepared = config.GetProviderConfig(provider.c_str());
        if (prepared == nullptr) {
            std::printf("(no configuration)\n");
            continue;
        }
        TiXmlPrinter printer;
        printer.SetIndent("    ");
        prepared->Accept(&printer);
        std::fputs(printer.CStr(), stdout);
    }
    return 0;
}
