// The built-in segmentation and the segmentation file reader.
#include "engine/ui/NinePatchSegmentation.h"

#include <tinyxml.h>

#include <algorithm>
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

enum Band { kStart, kMiddle, kEnd };

Band ColumnOf(int segment) {
    switch (segment) {
        case NinePatchSegment::TopLeft:
        case NinePatchSegment::Left:
        case NinePatchSegment::BottomLeft: return kStart;
        case NinePatchSegment::TopRight:
        case NinePatchSegment::Right:
        case NinePatchSegment::BottomRight: return kEnd;
        default: return kMiddle;
    }
}

Band RowOf(int segment) {
    switch (segment) {
        case NinePatchSegment::TopLeft:
        case NinePatchSegment::Top:
        case NinePatchSegment::TopRight: return kStart;
        case NinePatchSegment::BottomLeft:
        case NinePatchSegment::Bottom:
        case NinePatchSegment::BottomRight: return kEnd;
        default: return kMiddle;
    }
}

// One axis of a segment: (low, high) of the segment, (wholeLow, wholeHigh)
// of the image, size the window's extent along the axis.
void PlaceAlong(Band band, float low, float high, float wholeLow, float wholeHigh, float size,
                float scale, float& outFrom, float& outTo) {
    switch (band) {
        case kStart:
            outFrom = (low - wholeLow) * scale;
            outTo = (high - wholeLow) * scale;
            break;
        case kMiddle:
            outFrom = (low - wholeLow) * scale;
            outTo = std::max(outFrom, size - (wholeHigh - high) * scale);
            break;
        case kEnd:
            outTo = size - (wholeHigh - high) * scale;
            outFrom = outTo - (high - low) * scale;
            break;
    }
}

// Right minus left in float: file values may span the whole int range.
float Extent(int low, int high) { return static_cast<float>(high) - static_cast<float>(low); }

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

NinePatchLayout LayoutNinePatch(const NinePatchSegmentation& segmentation, float width, float height,
                                float componentScale, bool scaleIfTooSmall) {
    NinePatchLayout layout;
    const NinePatchRect& w = segmentation.rects[NinePatchSegment::Whole];
    const float imageWidth = Extent(w.left, w.right);
    const float imageHeight = Extent(w.top, w.bottom);
    layout.scaleX = componentScale;
    layout.scaleY = componentScale;
    if (scaleIfTooSmall) {
        // An empty image (a malformed file) has nothing to shrink.
        if (imageWidth > 0.0f && width < componentScale * imageWidth) {
            layout.scaleX = width / imageWidth;
        }
        if (imageHeight > 0.0f && height < componentScale * imageHeight) {
            layout.scaleY = height / imageHeight;
        }
    }
    for (int i = NinePatchSegment::TopLeft; i < NinePatchSegment::Count; ++i) {
        const NinePatchRect& s = segmentation.rects[i];
        UIRect& r = layout.rects[i];
        PlaceAlong(ColumnOf(i), static_cast<float>(s.left), static_cast<float>(s.right),
                   static_cast<float>(w.left), static_cast<float>(w.right), width, layout.scaleX, r.left,
                   r.right);
        PlaceAlong(RowOf(i), static_cast<float>(s.top), static_cast<float>(s.bottom),
                   static_cast<float>(w.top), static_cast<float>(w.bottom), height, layout.scaleY, r.top,
                   r.bottom);
    }
    return layout;
}

}  // namespace Varnok
