// Writes every screen of a folder of screen XML files as a binary screen
// file, with the project's SKUs and the class definitions under the data
// folder. Usage: ui_screen_writer DATA_DIR PROJECT_FILE SCREENS_DIR OUT_DIR
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIProjectReader.h"
#include "engine/ui/descriptions/ComponentDesc.h"
#include "tools/ui_screen_writer/UIScreenWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

using namespace Varnok;

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s DATA_DIR PROJECT_FILE SCREENS_DIR OUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string dataDir = argv[1];
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(dataDir.c_str(), false),
                                  FileSystemKey("base"), 0);
    UIProjectSettings settings;
    const int read = UIProjectReader::Read(argv[2], settings);
    if (read != UIProjectReader::kRead) {
        std::fprintf(stderr, "ui_screen_writer: project \"%s\" does not read (%d)\n", argv[2], read);
        return 1;
    }
    // Only names, SKUs and definitions are needed: no drawing set-up.
    settings.createsSimple2D = false;
    settings.createsDefaultTextures = false;
    settings.stringTables.clear();
    UIManager& ui = UIManager::Get();
    ui.Init(settings, AsciiString(settings.primarySkuName));

    std::error_code error;
    std::filesystem::create_directories(argv[4], error);
    int written = 0;
    int failed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(argv[3], error)) {
        if (entry.path().extension() != ".xml") {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::unique_ptr<ComponentDesc> desc =
            UIScreenWriter::ReadScreenXml(text, entry.path().string().c_str());
        if (desc == nullptr) {
            ++failed;
            continue;
        }
        const std::vector<uint8_t> bytes = UIScreenWriter::ToBytes(UIScreenWriter::ToRecords(*desc));
        const std::filesystem::path out =
            std::filesystem::path(argv[4]) / (entry.path().stem().string() + ".uiscreen");
        std::ofstream file(out, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!file) {
            std::fprintf(stderr, "ui_screen_writer: cannot write \"%s\"\n", out.string().c_str());
            ++failed;
            continue;
        }
        ++written;
    }
    ui.Shutdown();
    std::printf("ui_screen_writer: %d screens written, %d failed\n", written, failed);
    return failed == 0 ? 0 : 1;
}
