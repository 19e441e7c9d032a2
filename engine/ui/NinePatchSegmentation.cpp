// The built-in segmentation and the segmentation file reader.
#include "engine/ui/NinePatchSegmentation.h"

#include <tinyxml.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <strings.h>

namespace Varnok {

namespace {

const char* const kSegmentNames[NinePatchSegment::Count] = {"w", "tl", "t",  "tr", "l",
                                                            "m", "r",  "bl", "b",  "br"};

// Decimal; a missing attribute is 0 and values past the int range are held
// at its ends.
int ReadInt(const TiXmlElement& element, const char* name) {
    const char* text = element.Attribute(name);
    if (text == nullptr) {
        return 0;
    }
    errno = 0;
    const long value = std::strtol(text, nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

void ReadSegments(const TiXmlElement& parent, NinePatchSegmentation& out) {
    for (const TiXmlElement* e = parent.FirstChildElement(); e != nullptr; e = e->NextSiblingElement()) {
        const char* value = e->Value();
        for (int i = 0; i < NinePatchSegment::Count; ++i) {
            if (value != nullptr && strcasecmp(value, kSegmentNames[i]) == 0) {
                out.rects[i] = NinePatchRect{ReadInt(*e, "l"), ReadInt(*e, "t"), ReadInt(*e, "r"),
                                             ReadInt(*e, "b")};
                break;
            }
        }
    }
}

}  // namespace

const NinePatchSegmentation& NinePatchSegmentation::BuiltIn() {
    static const NinePatchSegmentation s_builtIn = {{
        {0, 0, 32, 32},
        {0, 0, 15, 15},
        {15, 0, 16, 15},
        {16, 0, 32, 15},
        {0, 15, 15, 16},
        {15, 15, 16, 16},
        {16, 15, 32, 16},
        {0, 16, 15, 32},
        {15, 16, 16, 32},
        {16, 16, 32, 32},
    }};
    return s_builtIn;
}

bool ReadNinePatchSegmentation(const TiXmlDocument& document, NinePatchSegmentation& outGeometry,
                               NinePatchSegmentation& outUV) {
    outGeometry = NinePatchSegmentation::BuiltIn();
    outUV = NinePatchSegmentation::BuiltIn();
    const TiXmlElement* meta = document.FirstChildElement("segmentationmeta");
    const TiXmlElement* geometry = meta != nullptr ? meta->FirstChildElement("segmentation") : nullptr;
    if (geometry == nullptr) {
        return false;
    }
    ReadSegments(*geometry, outGeometry);
    outUV = outGeometry;
    if (const TiXmlElement* uv = meta->FirstChildElement("segmentationuv")) {
        ReadSegments(*uv, outUV);
    }
    return true;
}

}  // namespace Varnok
