// svg2png INPUT.svg SIZE OUTPUT.png: draws the file's document over the whole
// image (SIZE is N or WxH pixels) and writes it as PNG.
#include "engine/core/XmlDocument.h"
#include "engine/text/vector/SvgLoader.h"
#include "engine/text/vector/VectorImage.h"
#include "platform/FrameCapture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

bool ParseSize(const char* text, uint32_t& outWidth, uint32_t& outHeight) {
    char* end = nullptr;
    const unsigned long width = std::strtoul(text, &end, 10);
    unsigned long height = width;
    if (*end == 'x') {
        const char* rest = end + 1;
        height = std::strtoul(rest, &end, 10);
        if (end == rest) {
            return false;
        }
    }
    if (*end != '\0' || width == 0 || height == 0 || width > Varnok::VectorImage::kMaxSide ||
        height > Varnok::VectorImage::kMaxSide) {
        return false;
    }
    outWidth = static_cast<uint32_t>(width);
    outHeight = static_cast<uint32_t>(height);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace Varnok;
    uint32_t width = 0;
    uint32_t height = 0;
    if (argc != 4 || !ParseSize(argv[2], width, height)) {
        std::fprintf(stderr, "usage: svg2png INPUT.svg SIZE|WIDTHxHEIGHT OUTPUT.png\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    TiXmlDocument xml;
    if (!file || !ParseXmlDocument(xml, bytes.data(), bytes.size())) {
        std::fprintf(stderr, "svg2png: %s: not an XML file\n", argv[1]);
        return 1;
    }
    std::unique_ptr<SvgDocument> document = SvgLoader::Load(xml.RootElement());
    if (!document) {
        std::fprintf(stderr, "svg2png: %s: the root element is not \"svg\"\n", argv[1]);
        return 1;
    }
    VectorImage image;
    image.SetDocument(std::move(document));
    std::unique_ptr<VectorRasterImage> raster = image.Rasterize(VectorRasterParams{width, height, {}});
    if (!raster) {
        return 1;
    }
    std::vector<uint8_t> rgba(raster->GetBytes().size());
    const std::vector<uint8_t>& bgra = raster->GetBytes();
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = bgra[i + 2];
        rgba[i + 1] = bgra[i + 1];
        rgba[i + 2] = bgra[i];
        rgba[i + 3] = bgra[i + 3];
    }
    return WritePng(argv[3], static_cast<int>(width), static_cast<int>(height), rgba) ? 0 : 1;
}
