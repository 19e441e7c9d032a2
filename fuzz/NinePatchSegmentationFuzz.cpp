// Segmentation files from anywhere: reading never fails badly, a refused
// file leaves the built-in cut, and laying the result out at any size
// stays in defined arithmetic (sanitizers watch the int and float work).
#include "engine/core/XmlDocument.h"
#include "engine/ui/NinePatchSegmentation.h"

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Varnok;
    TiXmlDocument document;
    if (!ParseXmlDocument(document, reinterpret_cast<const char*>(data), size)) {
        return 0;
    }
    NinePatchSegmentation geometry;
    NinePatchSegmentation uv;
    if (!ReadNinePatchSegmentation(document, geometry, uv)) {
        if (std::memcmp(&geometry, &NinePatchSegmentation::BuiltIn(), sizeof(geometry)) != 0) {
            __builtin_trap();  // a refused file keeps the built-in cut
        }
        return 0;
    }
    for (float size : {0.0f, 1.0f, 20.0f, 1000.0f}) {
        for (bool shrink : {false, true}) {
            const NinePatchLayout layout = LayoutNinePatch(geometry, size, size * 0.5f, 1.0f, shrink);
            (void)layout;
        }
    }
    return 0;
}
