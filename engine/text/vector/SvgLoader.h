// Builds an SvgDocument from the root element of a parsed SVG file. Only a
// fixed subset is read; everything else is passed over without effect, and
// nothing malformed stops the rest of the file from loading.
#pragma once

#include "engine/core/Colour.h"
#include "engine/text/vector/SvgDocument.h"
#include "engine/text/vector/SvgTypes.h"

#include <memory>

class TiXmlElement;

namespace Varnok {

class SvgLoader {
public:
    // Null unless the element is named exactly "svg".
    static std::unique_ptr<SvgDocument> Load(const TiXmlElement* root);

    // The pieces of syntax, each answering whether the text was read.
    // A colour that is not read leaves outColour as it was.
    static bool ParseColour(const char* text, Colour& outColour);
    // An unreadable colour still succeeds, as opaque black; "url(" without
    // "#" fails and leaves the paint as it was.
    static bool ParsePaint(const char* text, SvgPaint& outPaint);
    // Applies each operation to ioMatrix on the right as it is read, so a
    // failing list leaves the operations before the failure applied.
    static bool ParseTransform(const char* text, SvgAffine& ioMatrix);
    // False (and outViewBox untouched) unless all four numbers are there.
    static bool ParseViewBox(const char* text, SvgViewBox& outViewBox);
    // Applies one property by name, as an attribute or a style declaration;
    // false when the name is not a presentation attribute.
    static bool ApplyPresentationAttribute(const char* name, const char* value, SvgStyle& style);
    // The declarations of a "style" text, each through the table above.
    static void ApplyStyleAttribute(const char* text, SvgStyle& style);
};

}  // namespace Varnok
