// Binary XML images from anywhere: the reader must fail cleanly, and whatever
// tree it builds must print.
#include "engine/core/BinaryXml.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly the input's size, so any read past it is caught.
    std::unique_ptr<uint8_t[]> image(new uint8_t[size > 0 ? size : 1]);
    std::copy(data, data + size, image.get());

    TiXmlDocument document;
    const uint8_t* end = Varnok::ReadBinaryXml(document, image.get(), size);
    if (end != nullptr && (end < image.get() || end > image.get() + size)) {
        __builtin_trap();  // the answered position must lie inside the image
    }
    if (end != nullptr && document.Error()) {
        __builtin_trap();  // success and an error at once
    }
    TiXmlPrinter printer;
    document.Accept(&printer);
    return 0;
}
