// Item saves from anywhere over a small catalogue: no locked item is ever
// equipped, and a save written after reading one reads back unchanged. Run
// with -close_fd_mask=2.
#include "game/rules/GameRecord.h"
#include "game/rules/Items.h"

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

const char kCatalogue[] =
    "<itemManagerFile>"
    "<item name=\"a\" type=\"SLASH_MODIFIER\"/>"
    "<item name=\"b\" type=\"SLASH_MODIFIER\"><requirements/></item>"
    "<item name=\"c\" type=\"BACKGROUND\"/>"
    "<item name=\"d\" type=\"BACKGROUND\"><requirements/></item>"
    "<item name=\"e\" type=\"REMOVEADS\"><requirements/></item>"
    "</itemManagerFile>";

std::string Written(const Varnok::ItemManager& items) {
    TiXmlDocument document;
    items.WriteSave(document);
    TiXmlPrinter printer;
    document.Accept(&printer);
    return printer.CStr();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Varnok;
    if (size > (1u << 16)) {
        return 0;
    }
    ItemManager& items = ItemManager::Instance();
    items.LoadCatalogueText(kCatalogue, std::strlen(kCatalogue));
    items.ReadSaveText(reinterpret_cast<const char*>(data), size);
    for (int type = 0; type < kItemTypeCount; ++type) {
        const Item* item = items.Equipped(type);
        if (item != nullptr && item->lockCount >= 1) {
            __builtin_trap();
        }
    }
    const std::string first = Written(items);
    items.ReadSaveText(first.c_str(), first.size());
    if (Written(items) != first) {
        __builtin_trap();
    }
    items.DestroyItems();
    return 0;
}
