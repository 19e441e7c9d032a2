// Loads the UI project and one screen by name from a bundle and prints the
// screen's component dump. Usage: ui_inspect BUNDLE_DIR SCREEN [PROJECT_FILE [SKU]]
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/ui/Component.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIProjectReader.h"

#include <cstdio>
#include <memory>

using namespace Varnok;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s BUNDLE_DIR SCREEN [PROJECT_FILE [SKU]]\n", argv[0]);
        return 2;
    }
    const char* project = argc > 3 ? argv[3] : "xml/TamberloFelis_skuLayout.xml";
    const char* sku = argc > 4 ? argv[4] : "~iPhone";
    FileSystemRegistry::Get().Add(std::make_unique<DirectoryFileSystem>(argv[1], false),
                                  FileSystemKey("base"), 0);
    UIProjectSettings settings;
    const int read = UIProjectReader::Read(project, settings);
    if (read != UIProjectReader::kRead) {
        std::fprintf(stderr, "ui_inspect: project \"%s\" does not read (%d)\n", project, read);
        return 1;
    }
    settings.createsSimple2D = false;  // nothing is drawn
    settings.createsDefaultTextures = false;
    UIManager& ui = UIManager::Get();
    ui.Init(settings, AsciiString(sku));
    Component* screen = ui.LoadScreen(AsciiString(argv[2]));
    if (screen == nullptr) {
        std::fprintf(stderr, "ui_inspect: no screen \"%s\" under \"%s\"\n", argv[2],
                     ui.GetScreenPath(AsciiString(argv[2])).c_str());
        ui.Shutdown();
        return 1;
    }
    std::fputs(screen->Dump().c_str(), stdout);
    std::fputs("\n", stdout);
    ui.Shutdown();
    return 0;
}
