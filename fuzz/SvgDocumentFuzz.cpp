// SVG files from anywhere: whatever the loader makes of the bytes must draw
// into small rasters of exactly the asked size, upright and turned.
#include "engine/core/XmlDocument.h"
#include "engine/text/vector/SvgLoader.h"
#include "engine/text/vector/VectorImage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Varnok;
    if (size > (1u << 16)) {
        return 0;  // larger files only repeat what smaller ones reach
    }
    TiXmlDocument xml;
    if (!ParseXmlDocument(xml, reinterpret_cast<const char*>(data), size)) {
        return 0;
    }
    VectorImage image;
    image.SetDocument(SvgLoader::Load(xml.RootElement()));
    if (image.GetDocument() == nullptr) {
        return 0;
    }
    VectorRasterParams params{24, 16, {}};
    for (int pass = 0; pass < 2; ++pass) {
        const std::unique_ptr<VectorRasterImage> raster = image.Rasterize(params);
        if (!raster || raster->GetBytes().size() != size_t{params.width} * params.height * 4) {
            __builtin_trap();
        }
        // A quarter turn, shrunk, off the centre.
        params = VectorRasterParams{16, 16, {0.0f, 0.7f, -0.7f, 0.0f, 0.1f, -0.2f}};
    }
    return 0;
}
