// Small helpers for the vector tests: documents from text, pixels by position.
#pragma once

#include "engine/text/vector/SvgDocument.h"
#include "engine/text/vector/SvgLoader.h"
#include "engine/text/vector/VectorImage.h"

#include <tinyxml.h>

#include <cstdint>
#include <memory>
#include <string>

namespace Varnok {

inline std::unique_ptr<SvgDocument> LoadSvgText(const std::string& text) {
    TiXmlDocument xml;
    xml.Parse(text.c_str());
    return SvgLoader::Load(xml.RootElement());
}

// An "svg" root around the body.
inline std::unique_ptr<SvgDocument> LoadSvgBody(const std::string& body,
                                                const std::string& rootAttributes = "") {
    return LoadSvgText("<svg xmlns:xlink='http://www.w3.org/1999/xlink' " + rootAttributes + ">" +
                       body + "</svg>");
}

struct Bgra {
    int b, g, r, a;
};

inline Bgra PixelOf(const VectorRasterImage& image, uint32_t x, uint32_t y) {
    const uint8_t* p = &image.GetBytes()[(static_cast<size_t>(y) * image.GetWidth() + x) * 4];
    return Bgra{p[0], p[1], p[2], p[3]};
}

}  // namespace Varnok
