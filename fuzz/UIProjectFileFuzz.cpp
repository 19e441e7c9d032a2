// UI project files from anywhere: the reader answers one of its four codes
// and never crashes.
#include "engine/core/XmlDocument.h"
#include "engine/ui/UIProjectReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TiXmlDocument document;
    if (!Varnok::ParseXmlDocument(document, reinterpret_cast<const char*>(data), size)) {
        return 0;
    }
    Varnok::UIProjectSettings settings;
    const int result = Varnok::UIProjectReader::ReadRoot(document.RootElement(), settings);
    if (result != 0 && result != -1 && result != 2) {
        __builtin_trap();
    }
    return 0;
}
