// Colour markup in text: "<name>" starts colouring the following characters
// with a colour defined under that name, "</...>" ends it. Parsing strips the
// tags and remembers each character's colour by its index.
#pragma once

#include "engine/core/AsciiString.h"
#include "engine/core/Colour.h"

#include <cstdint>
#include <map>
#include <string>

namespace Varnok {

// "Colourise" = 1, "StripTagsOnly" = 2, anything else (null too) = 0; the
// comparison is exact.
int ParseTextMarkupMode(const char* text);

class MarkupColourMap {
public:
    // (0, 0, 0, 255) means "no colour": a name defined with it colours nothing.
    static constexpr Colour kNoColour{0, 0, 0, 255};

    void DefineColour(const char* name, const Colour& colour);
    // Replaces the text by itself without tags and records the colour of
    // every character under a tag. Tags do not nest: a closing tag always
    // ends colouring; a '<' never closed removes the rest of the text; a '>'
    // outside a tag is text. Empty text is left alone.
    void Parse(std::string& inOutText);
    // The colour stored for a character index; false when none.
    bool GetCharColour(int index, Colour& outColour) const;
    void ClearCharColours() { m_charColours.clear(); }

private:
    Colour FindNamedColour(const char* name, int length) const;

    std::map<int, Colour> m_charColours;
    std::map<AsciiString, Colour, AsciiStringLess> m_namedColours;
};

}  // namespace Varnok
