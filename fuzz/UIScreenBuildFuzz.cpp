// Screen files from anywhere through to built screens: records, descriptions
// and components over the sample project's definitions. A file never
// crashes the load, and whatever stands under the UI root is a screen.
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/ui/Component.h"
#include "engine/ui/ComponentScreen.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIProjectReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace {

using namespace Varnok;

void SetUp() {
    FileSystemRegistry::Get().Add(
        std::make_unique<DirectoryFileSystem>(VARNOK_SOURCE_DATA_DIR, false), FileSystemKey("base"), 0);
    UIProjectSettings settings;
    if (UIProjectReader::Read("xml/TamberloFelis_skuLayout.xml", settings) != 0) {
        std::fprintf(stderr, "UIScreenBuildFuzz: the sample project does not read\n");
        __builtin_trap();
    }
    settings.createsSimple2D = false;
    settings.createsDefaultTextures = false;
    settings.stringTables.clear();
    UIManager::Get().Init(settings, AsciiString("~iPhone"));
    UIManager::Get().SetScreenSize(Vector2{480.0f, 320.0f});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool s_ready = (SetUp(), true);
    (void)s_ready;
    UIManager& ui = UIManager::Get();
    static const AsciiString s_name("fuzzed");
    Component* screen = ui.LoadScreenFromBytes(s_name, data, size);
    if (screen != nullptr) {
        screen->GetEnabledProperty()->Set(true);
        screen->Update(0.25f);
        (void)screen->Dump();
    }
    for (Component* c = ui.GetRoot()->GetFirstChild(); c != nullptr; c = c->GetNextSibling()) {
        if (!c->IsKindOf(ComponentScreen::GetStaticClassInfo())) {
            __builtin_trap();
        }
    }
    ui.RemoveScreen(s_name);
    if (ui.GetRoot()->GetFirstChild() != nullptr) {
        __builtin_trap();
    }
    return 0;
}
